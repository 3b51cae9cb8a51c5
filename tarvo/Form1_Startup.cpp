// Start-up: the load sequence and the check that the dialing component is
// installed.
#include "tarvo/Form1.h"

#include "runtime/Basics.h"
#include "tarvo/Module1.h"
#include "tarvo/Module2.h"

#include <QCheckBox>

namespace tarvo {

void Form1::Form_Load()
{
    run.loading = true;
    bool failed = true;
    trapped(*this, Window::Main, Form1Proc::Form_Load, [&] {
        placeTrayViews();
        if (!CheckDialUp()) {
            run.quitRequested = true;
            run.exitMode = ExitDialUpMissing;
            failed = false;
            closeMainWindow();
            return;
        }
        if (!InitDatabase()) {
            run.quitRequested = true;
            run.exitMode = ExitStartupFailed;
            failed = false;
            closeMainWindow();
            return;
        }
        session.watchdogArmed = false;
        Backup->setInterval(1000);
        module1().ReadReg(ReadConnections);
        run.exitMode = ExitAsk;
        LoadConnection();
        LoadSettings();
        module2().BrowserRearmPending = false;
        dial.takeOverDeclined = false;
        ui.panelStep = 4500;
        Details_Click();
        if (Shrink->isChecked())
            Com_Click(1);
        KeepOnline->setInterval(int(settings->field(Settings::Delay).toLong()));
        if (AutoConnect->isChecked())
            Com_Click(0);
        run.loading = false;
        failed = false;
    });
    if (failed) {
        // The trap has logged it; a start that went wrong half-way ends here.
        m_platform.boxes.msgBox(QStringLiteral(" Tarvo Will Now Exit "), platform::mb::OkOnly);
        run.quitRequested = true;
        run.exitMode = ExitStartupFailed;
        closeMainWindow();
    }
}

bool Form1::CheckDialUp()
{
    return trapped(*this, Window::Main, Form1Proc::CheckDialUp, false, [&] {
        QString windowsDir = QString(100, QLatin1Char(' '));
        QString systemDir = QString(100, QLatin1Char(' '));
        m_platform.folders.getWindowsDirectory(windowsDir, 100);
        m_platform.folders.getSystemDirectory(systemDir, 100);
        windowsDir = rt::dropTrailingNul(rt::trimBlanks(windowsDir));
        systemDir = rt::dropTrailingNul(rt::trimBlanks(systemDir));

        const bool present = !m_platform.files.dir(windowsDir + QStringLiteral("/rundll32.exe")).isEmpty()
            && !m_platform.files.dir(systemDir + QStringLiteral("/rnaui.dll")).isEmpty()
            && !m_platform.files.dir(systemDir + QStringLiteral("/rnaapp.exe")).isEmpty();
        if (present)
            return true;

        m_platform.boxes.msgBox(QStringLiteral(" Dial-up Networking Not Installed Or Corrupt. ") + kCrLf
                                    + QStringLiteral(" Tarvo Cannot Function. ") + kCrLf
                                    + QStringLiteral(" Tarvo Will Now Exit."),
                                platform::mb::Critical | platform::mb::SystemModal,
                                QStringLiteral("Tarvo - Initialization Error"));
        return false;
    });
}

} // namespace tarvo
