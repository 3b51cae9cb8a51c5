#include "platform/Clock.h"
#include "platform/FileRegistry.h"
#include "platform/ProgramLocation.h"
#include "platform/Platform.h"
#include "platform/QtBusyPointer.h"
#include "platform/QtControlHost.h"
#include "platform/QtEventPump.h"
#include "platform/QtKeystrokes.h"
#include "platform/QtMessageBoxes.h"
#include "platform/QtNotificationArea.h"
#include "platform/QtPrinter.h"
#include "platform/QtWindowManager.h"
#include "platform/SessionEnd.h"
#include "platform/SystemFolders.h"
#include "platform/dialup/Machine.h"
#include "tarvo/Form1.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>

namespace {

bool haveDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char **argv)
{
    if (!haveDisplay()) {
        std::fprintf(stderr, "tarvo: no display to show its windows on (start it from a desktop session, or under xvfb-run)\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvo"));
    // The desktop matches the windows to the launcher by these.
    Q_INIT_RESOURCE(tarvo);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tarvo/tarvo.svg")));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tarvo.Tarvo"));
    // The main window hides in the tray; only the exit procedure ends it.
    QApplication::setQuitOnLastWindowClosed(false);

    // The desktop is watched from before the first window is made, so every
    // window's place in the stacking order is known.
    platform::QtWindowManager windows;
    platform::QtKeystrokes keys;
    platform::SystemClock clock;
    platform::QtMessageBoxes boxes(QStringLiteral("Tarvo"));
    // Beside the program when it runs where it was built; in the user's data
    // folder, laid down from the shipped files, when it is installed.
    const platform::ProgramLocation location = platform::locateProgram(QCoreApplication::applicationDirPath());
    if (!location.problem.isEmpty()) {
        boxes.msgBox(location.problem, platform::mb::Critical, QStringLiteral("Tarvo - Initialization Error"));
        return 1;
    }
    platform::MachineFolders folders(location.programFolder);
    platform::DiskFileLookup files;
    platform::QtPrinter printer(folders.programFolder(), clock);
    // The tray icon plug-in works on these, handed to it by its site.
    platform::WindowProcedures procedures;
    platform::PictureTable pictures;
    platform::QtNotificationArea tray(procedures, pictures);
    platform::QtControlHost controls(location.plugInFolder, {tray, windows, procedures, pictures});
    platform::QtEventPump events;
    platform::QtBusyPointer pointer;

    // The machine: its registry, its dialing component and its own window.
    dialup::Machine machine(clock, folders.programFolder() + QStringLiteral("/machine"));

    platform::Platform services{.clock = clock,
                                .boxes = boxes,
                                .folders = folders,
                                .files = files,
                                .registry = machine.registry(),
                                .windows = windows,
                                .keys = keys,
                                .process = machine.starter(),
                                .printer = printer,
                                .controls = controls,
                                .events = events,
                                .pointer = pointer};

    tarvo::Form1 form(services);
    QObject::connect(&form, &tarvo::Form1::processEnded, &app, [] { QCoreApplication::exit(0); },
                     Qt::QueuedConnection);
    // A logout, shutdown or termination signal ends the program quietly,
    // with the session on the line recorded.
    platform::SessionEnd sessionEnd;
    QObject::connect(&sessionEnd, &platform::SessionEnd::ending, &form, &tarvo::Form1::endSession);

    form.Form_Load();
    if (form.ended())
        return form.run.exitMode == tarvo::ExitAsk ? 0 : 1;
    machine.window().move(20, 20);
    machine.window().show();
    return app.exec();
}
