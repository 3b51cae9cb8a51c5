// Quitting: the request, and the unload handler that carries it out.
#include "tarvo/Form1.h"

#include "tarvo/Form8.h"

namespace tarvo {

void Form1::ComQ_Click()
{
    trapped(*this, 1, 7, [&] { QuitRequested = true; });
}

void Form1::KeepOnline_Timer()
{
    trapped(*this, 1, 15, [&] {
        doEvents();
        // The quit is carried out here, never from the button itself.
        if (QuitRequested && ExitMode < 1) {
            closeMainWindow();
            return;
        }
    });
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

        const bool lineDown = LineState.isEmpty() || LineState.equals(0);
        const bool declinedLine = LineState.equals(1) && TakeOverDeclined;
        if (lineDown || declinedLine) {
            if (ExitMode == -1) {
                const int answer = m_platform.boxes.msgBox(QStringLiteral(" Do You Want To Quit Tarvo ?  "),
                                                           platform::mb::YesNo | platform::mb::Question,
                                                           QStringLiteral("Tarvo - Exit Confirmation"));
                if (answer == platform::mb::No) {
                    QuitRequested = false;
                    Cancel = 1;
                    MessageOpen = false;
                    done = true;
                    return;
                }
            }
            Cancel = 0;
        }

        if (m_form8)
            m_form8->close();
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
