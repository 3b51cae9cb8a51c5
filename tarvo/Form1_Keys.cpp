// Keystrokes to the dialing component's windows.
#include "tarvo/Form1.h"

namespace tarvo {

void Form1::Skey(SkeyAction action, platform::Hwnd hnd, const QString &txt)
{
    trapped(*this, Window::Main, Form1Proc::Skey, [&] {
        platform::WindowManager &windows = m_platform.windows;
        if (action == SkeyToWindow) {
            if (hnd != -1 && windows.isWindowVisible(hnd) == 1) {
                windows.setForegroundWindow(hnd);
                windows.setFocus(hnd);
                m_platform.keys.sendKeys(txt);
            }
        } else if (action == SkeyCredentials) {
            if (dial.connectToWindow == -1)
                return;
            windows.setForegroundWindow(dial.connectToWindow);
            windows.setFocus(dial.connectToWindow);
            // The user's own text is typed exactly as stored: characters
            // that the key notation would read as keys are written so that
            // they type themselves.
            if (!dial.user.isNull())
                m_platform.keys.sendKeys(QStringLiteral("%U") + platform::keys::literal(dial.user.toString())
                                         + QStringLiteral("%P")
                                         + platform::keys::literal(dial.password.isNull() ? QString()
                                                                                         : dial.password.toString()));
            m_platform.keys.sendKeys(QStringLiteral("{ENTER}"));
        }
    });
}

} // namespace tarvo
