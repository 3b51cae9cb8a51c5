#pragma once

#include "FakeDesktop.h"
#include "ProgramFolder.h"
#include "RecordingBusyPointer.h"
#include "RecordingPrinter.h"
#include "RecordingTray.h"
#include "ScriptedEventPump.h"
#include "ScriptedMessageBoxes.h"
#include "platform/Platform.h"
#include "SYSTRAY/TarvoTray.h"

#include <QStringList>
#include <QString>
#include <memory>

namespace tarvo { class Form1; }

namespace testing_support {

// A program folder of its own for one test (ProgramFolder.h), its registry
// listing two connections, and a scripted user at the message boxes. The
// desktop is a fake one written out by the test. Printer, tray, plug-ins and
// pointer only write down what they are told; the yields are counted and let
// the waiting messages run.
class Harness : public ProgramFolder {
public:
    Harness();
    virtual ~Harness();

    QString readErrorLog() const;
    QStringList errorLogLines() const;   // split on CR LF, last empty part dropped

    // Writes the machine's dial-up connections (in this order) and the
    // browser's start page; no list at all leaves the key out.
    void writeRegistry(const QStringList &connections, const QString &startPage = QString(), bool withKey = true);

    ScriptedMessageBoxes boxes;
    FakeDesktop desktop;
    RecordingKeystrokes keys;
    RecordingStarter starter;
    RecordingPrinter printer;
    platform::WindowProcedures procedures;
    platform::PictureTable pictures;
    RecordingNotificationArea tray{procedures};
    RecordingControlHost controls;
    TarvoTrayCtl::TarvoTray trayPlugIn;   // given as the program's plug-in
    ScriptedEventPump events;
    RecordingBusyPointer pointer;
    std::unique_ptr<platform::Platform> services;

    // The main window, created on first use (not yet loaded).
    tarvo::Form1 &form();
    // Creates the window and runs its load handler.
    tarvo::Form1 &start();
    void endForm();

protected:
    // For harnesses that put real windows on the desktop.
    Harness(platform::WindowManager &windows, platform::Keystrokes &keys, platform::ProcessStarter &starter);

private:
    void prepare();
    std::unique_ptr<platform::Platform> makeServices(platform::WindowManager &windows, platform::Keystrokes &typing,
                                                     platform::ProcessStarter &starting);
    std::unique_ptr<tarvo::Form1> m_form;
};

// Writes `bytes` over the whole file.
void overwrite(const QString &path, const QByteArray &bytes);

} // namespace testing_support
