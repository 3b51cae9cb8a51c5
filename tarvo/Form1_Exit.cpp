// Quitting: the request, and the unload handler that carries it out.
#include "tarvo/Form1.h"

#include "tarvo/Form5.h"
#include "tarvo/Form8.h"
#include "tarvo/Module2.h"
#include "tarvo/frmLogin.h"

#include <QPushButton>

namespace tarvo {

void Form1::ComQ_Click()
{
    trapped(*this, 1, 7, [&] { QuitRequested = true; });
}

void Form1::Form_Unload(int &Cancel)
{
    bool done = false;
    trapped(*this, 1, 13, [&] {
        // Only a requested quit closes the main window.
        if (!QuitRequested) {
            Cancel = 1;
            done = true;
            return;
        }
        MessageOpen = true;

        const bool watching = Com[0]->text() == QLatin1String("&Go Offline")
            && (LineState.equals(1) || (DialStage == 2 && ConnectingWindow > 0));
        if (watching) {
            const QString crLf = QStringLiteral("\r\n");
            const int answer = m_platform.boxes.msgBox(
                QStringLiteral(" Tarvo Is Monitoring A Connection. ") + crLf
                    + QStringLiteral("1) Press Yes For Terminating Both The Connection & Tarvo. ") + crLf
                    + QStringLiteral("2) Press No To Keep The Connection Live & Quit Tarvo. ") + crLf
                    + QStringLiteral("3) Press Cancel For Not Terminating Both The Connection & Tarvo. "),
                platform::mb::YesNoCancel | platform::mb::Question, QStringLiteral("Tarvo - Exit Mode Confirmation"));
            if (answer == platform::mb::Yes) {
                // The monitor hangs up first and closes the window again.
                WatchConnecting = true;
                ExitMode = 1;
                Cancel = 1;
                MessageOpen = false;
                done = true;
                return;
            }
            if (answer == platform::mb::No) {
                ExitMode = 0;
                Cancel = 0;
            } else {
                QuitRequested = false;
                ExitMode = -1;
                module2().ScanMode = 1;
                Cancel = 1;
                MessageOpen = false;
                done = true;
                return;
            }
        }

        const bool lineDown = LineState.isEmpty() || LineState.equals(0);
        const bool declinedLine = LineState.equals(1) && TakeOverDeclined;
        if (lineDown || declinedLine) {
            if (ExitMode == -1) {
                const int answer = m_platform.boxes.msgBox(QStringLiteral(" Do You Want To Quit Tarvo ?  "),
                                                           platform::mb::YesNo | platform::mb::Question,
                                                           QStringLiteral("Tarvo - Exit Confirmation"));
                if (answer == platform::mb::No) {
                    QuitRequested = false;
                    module2().ScanMode = 1;
                    Cancel = 1;
                    MessageOpen = false;
                    done = true;
                    return;
                }
            }
            // A session still up is recorded now; one that ended while the
            // exit waited for the hang-up has its record already.
            if ((ExitMode == 0 || ExitMode == 1) && LineState.equals(1))
                SetCstatus(1001);
            Cancel = 0;
        }

        if (m_form8)
            m_form8->close();
        if (m_login)
            m_login->reject();
        if (m_form5)
            m_form5->close();
        done = true;
        m_ended = true;
        Q_EMIT processEnded();
    });
    // A failure half-way keeps the window, so the program is never left
    // running without it.
    if (!done) {
        MessageOpen = false;
        Cancel = 1;
    }
}

} // namespace tarvo
