#pragma once

#include "platform/Clock.h"
#include "platform/DefaultServices.h"
#include "platform/FileRegistry.h"
#include "platform/Platform.h"
#include "platform/SystemFolders.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testing_support {

// What Tarvo meets beyond its program folder: the user at its message boxes,
// the desktop's windows, the plug-ins it hosts and the messages it lets run;
// and, where someone watches them, the keys it types, the programs it
// starts, its printer and its pointer. Those not given do nothing
// (platform/DefaultServices.h).
struct Surroundings {
    platform::MessageBoxes &boxes;
    platform::WindowManager &windows;
    platform::Keystrokes &keys = platform::defaults::keys();
    platform::ProcessStarter &process = platform::defaults::process();
    platform::Printer &printer = platform::defaults::printer();
    platform::ControlHost &controls;
    platform::EventPump &events;
    platform::BusyPointer &pointer = platform::defaults::pointer();
};

// A program folder of its own in a temporary folder, with the services that
// only look at it: the stand-in machine's folders and registry file there,
// the files on disk, and a clock that moves only when told to. The tests'
// harness and the benchmarks both start Tarvo on one, so it needs no test
// framework.
class ProgramFolder {
public:
    ProgramFolder();

    bool isValid() const { return m_dir.isValid(); }
    QString folder() const { return m_dir.path(); }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString databasePath() const { return path(QStringLiteral("tarvo.mdb")); }
    QString registryPath() const { return path(QStringLiteral("machine/registry.reg")); }

    // Lays down what Tarvo will not start without: the shipped database and
    // the marker files that tell it dial-up networking is installed. The
    // registry is left to the caller, who knows which connections it wants.
    // Returns the files that could not be written.
    QStringList layDown();

    // The services Tarvo is handed: this folder's and `around`. Its timers
    // never fire by themselves; whoever runs it calls their handlers.
    platform::Platform servicesWith(const Surroundings &around);

private:
    QTemporaryDir m_dir;   // first: everything below lives in it

public:
    platform::SettableClock clock;
    platform::MachineFolders folders;
    platform::DiskFileLookup files;
    platform::FileRegistry registry;
};

} // namespace testing_support
