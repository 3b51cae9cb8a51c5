#pragma once

#include "ScriptedMessageBoxes.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/SystemFolders.h"

#include <QTemporaryDir>
#include <QString>
#include <memory>

namespace tarvo { class Form1; }

namespace testing_support {

// A program folder of its own for one test: the shipped database, the
// stand-in machine's marker files, a clock that only moves when told to, and
// a scripted user at the message boxes.
class Harness {
public:
    Harness();
    ~Harness();

    QString folder() const { return m_dir.path(); }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString databasePath() const { return path(QStringLiteral("tarvo.mdb")); }
    QString readErrorLog() const;
    QStringList errorLogLines() const;   // split on CR LF, last empty part dropped

private:
    QTemporaryDir m_dir;   // first: everything below lives in it

public:
    platform::SettableClock clock;
    ScriptedMessageBoxes boxes;
    platform::MachineFolders folders;
    platform::DiskFileLookup files;
    platform::Platform services;

    // The main window, created on first use (not yet loaded).
    tarvo::Form1 &form();
    // Creates the window and runs its load handler.
    tarvo::Form1 &start();

private:
    std::unique_ptr<tarvo::Form1> m_form;
};

// Writes `bytes` over the whole file.
void overwrite(const QString &path, const QByteArray &bytes);

} // namespace testing_support
