// Quitting: the request, and the unload handler that carries it out.
#include "tarvo/Form1.h"

#include "SYSTRAY/TarvoTrayCtl.h"
#include "tarvo/Form3.h"
#include "tarvo/Form5.h"
#include "tarvo/Form6.h"
#include "tarvo/Form8.h"
#include "tarvo/Module2.h"
#include "tarvo/frmLogin.h"

#include <QPushButton>
#include <QScopedValueRollback>

namespace tarvo {

void Form1::ComQ_Click()
{
    trapped(*this, Window::Main, Form1Proc::ComQ_Click, [&] { run.quitRequested = true; });
}

void Form1::Form_Unload(int &Cancel)
{
    const bool finished = trapped(*this, Window::Main, Form1Proc::Form_Unload, [&] {
        // Once ended, nothing is asked again.
        if (m_ended) {
            Cancel = 0;
            return;
        }
        // Only a requested quit closes the main window.
        if (!run.quitRequested) {
            Cancel = 1;
            return;
        }
        // The questions below are the main window's own; whatever way this
        // ends, the tray icons hear again.
        const QScopedValueRollback<bool> messageOpen(run.messageOpen, true);

        const bool watching = Com[0]->text() == kGoOffline
            && (session.lineState.equals(LineUp) || (dial.stage == StageConnecting && dial.connectingWindow > 0));
        if (watching) {
            const int answer = m_platform.boxes.msgBox(
                QStringLiteral(" Tarvo Is Monitoring A Connection. ") + kCrLf
                    + QStringLiteral("1) Press Yes For Terminating Both The Connection & Tarvo. ") + kCrLf
                    + QStringLiteral("2) Press No To Keep The Connection Live & Quit Tarvo. ") + kCrLf
                    + QStringLiteral("3) Press Cancel For Not Terminating Both The Connection & Tarvo. "),
                platform::mb::YesNoCancel | platform::mb::Question, QStringLiteral("Tarvo - Exit Mode Confirmation"));
            if (answer == platform::mb::Yes) {
                // The monitor hangs up first and closes the window again.
                dial.watchConnecting = true;
                takeTrayIconsOut();
                run.exitMode = ExitHangUpFirst;
                Cancel = 1;
                return;
            }
            if (answer == platform::mb::No) {
                takeTrayIconsOut();
                run.exitMode = ExitKeepLine;
                Cancel = 0;
            } else {
                run.quitRequested = false;
                run.exitMode = ExitAsk;
                module2().ScanMode = ScanMonitor;
                Cancel = 1;
                return;
            }
        }

        const bool lineDown = session.lineState.isEmpty() || session.lineState.equals(LineDown);
        const bool declinedLine = session.lineState.equals(LineUp) && dial.takeOverDeclined;
        if (lineDown || declinedLine) {
            if (run.exitMode == ExitAsk) {
                const int answer = m_platform.boxes.msgBox(QStringLiteral(" Do You Want To Quit Tarvo ?  "),
                                                           platform::mb::YesNo | platform::mb::Question,
                                                           QStringLiteral("Tarvo - Exit Confirmation"));
                if (answer == platform::mb::No) {
                    run.quitRequested = false;
                    module2().ScanMode = ScanMonitor;
                    Cancel = 1;
                    return;
                }
            }
            // A session still up is recorded now; one that ended while the
            // exit waited for the hang-up has its record already.
            if ((run.exitMode == ExitKeepLine || run.exitMode == ExitHangUpFirst) && session.lineState.equals(LineUp))
                recordSessionOnce();
            takeTrayIconsOut();
            Cancel = 0;
        }

        closeOtherWindows();
        m_ended = true;
        Q_EMIT processEnded();
    });
    // A failure half-way keeps the window, so the program is never left
    // running without it.
    if (!finished)
        Cancel = 1;
}

void Form1::recordSessionOnce()
{
    if (m_sessionRecorded)
        return;
    m_sessionRecorded = true;
    SetCstatus(CloseSession);
}

void Form1::endSession()
{
    if (m_ended)
        return;
    // The desktop is going away: nothing may be asked, and a failure is
    // logged without a message.
    try {
        if (Com[0]->text() == kGoOffline && session.lineState.equals(LineUp))
            recordSessionOnce();
        takeTrayIconsOut();
        closeOtherWindows();
    } catch (...) {
        setFromCurrentException(Err);
        loger(Window::Main, Form1Proc::EndSession, true);
    }
    m_ended = true;
    Q_EMIT processEnded();
}

} // namespace tarvo
