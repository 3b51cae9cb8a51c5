#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/QtMessageBoxes.h"
#include "platform/SystemFolders.h"
#include "tarvo/Form1.h"

#include <QApplication>
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
    // The main window hides in the tray; only the exit procedure ends it.
    QApplication::setQuitOnLastWindowClosed(false);

    platform::SystemClock clock;
    platform::QtMessageBoxes boxes(QStringLiteral("Tarvo"));
    platform::MachineFolders folders(QCoreApplication::applicationDirPath());
    platform::DiskFileLookup files;
    platform::Platform services{clock, boxes, folders, files};

    tarvo::Form1 form(services);
    QObject::connect(&form, &tarvo::Form1::processEnded, &app, [] { QCoreApplication::exit(0); },
                     Qt::QueuedConnection);
    form.Form_Load();
    if (form.ended())
        return form.ExitMode == -1 ? 0 : 1;
    return app.exec();
}
