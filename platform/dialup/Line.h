#pragma once

#include <QObject>
#include <QString>

namespace dialup {

// What stands behind the dialing component's windows: the line itself.
// The windows say what the user did (dial with these credentials, cancel,
// hang up); the line answers with how the attempt goes, and reports
// connections that come and go by other hands.
class Line : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether the dialer can be started for `name` at all.
    virtual bool canStart(const QString &name) = 0;
    // Dials `name` with what was typed into the dialing dialog. Answers come
    // as dialing progress, then connected() or failed().
    virtual void dial(const QString &name, const QString &user, const QString &password) = 0;
    // The attempt under way (or its failure) is given up.
    virtual void cancel(const QString &name) = 0;
    // The user hangs up a connected line.
    virtual void hangUp(const QString &name) = 0;
    // The far end hangs up (the machine window's "Server drops the line").
    virtual void drop(const QString &name) = 0;
    // Moves a line that keeps time by the clock along; called by the
    // component's timer in the program and by tests.
    virtual void advance() {}

    // The standard failure texts, worded as the dialing component words
    // them, for a line to report through failed().
    static QString modemBusyMessage();
    static QString otherProgramDialingMessage();
    static QString cannotEstablishMessage();
    static QString passwordRefusedMessage();

Q_SIGNALS:
    void verifying(const QString &name);
    void loggingOn(const QString &name);
    void connected(const QString &name);
    void failed(const QString &name, const QString &text);
    // A connected line went down without hangUp().
    void dropped(const QString &name);
    // Another program began dialing `name` (its progress follows).
    void dialingElsewhere(const QString &name);
};

} // namespace dialup
