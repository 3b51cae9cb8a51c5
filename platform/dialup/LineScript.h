#pragma once

#include <QString>

namespace dialup {

// How the line behaves when one connection is dialled, as the machine's
// line-script file tells it.
struct LineScript {
    enum class Outcome { Connects, ModemBusy, OtherProgramDialing, CannotEstablish, OtherFailure };

    QString user;                 // the account; empty: any credentials do
    QString password;
    bool checksCredentials = false;
    int dialSeconds = 2;
    int verifySeconds = 2;
    int connectSeconds = 1;
    Outcome outcome = Outcome::Connects;
    QString failureText;          // the box's text for OtherFailure
    int dropAfterSeconds = -1;    // the server hangs up this long after connecting; -1 never
    bool refusesToStart = false;

    // The section of `connection` in the file at `path`; a missing file or
    // section gives the defaults (connects, short delays). Unknown keys and
    // lines that do not read are passed over.
    static LineScript read(const QString &path, const QString &connection);

    // The text of the failure box for an outcome other than Connects.
    QString failureMessage() const;
};

} // namespace dialup
