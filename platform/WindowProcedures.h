#pragma once

#include "platform/WindowManager.h"

#include <QHash>
#include <QtGlobal>

namespace platform {

// What a window does with a message sent to it.
using WNDPROC = qintptr (*)(Hwnd hwnd, quint32 message, qintptr wParam, qintptr lParam);

namespace gwl {
constexpr int GWL_WNDPROC = -4;
constexpr int GWL_USERDATA = -21;
} // namespace gwl

// Window subclassing: every window has a procedure, which an owner may
// replace (keeping the old one to pass messages on to), and a user-data
// slot for the owner's own use. Messages for a window are sent through
// here, so they reach whichever procedure is installed at that moment.
//
// One table for the whole process, handed by reference to whoever installs
// procedures or sends messages (the plug-ins the program hosts and the
// notification area). Kept in this header so that a plug-in works on the
// program's table, not on a copy of its own.
class WindowProcedures {
public:
    // The class procedure every window starts with: it does nothing with
    // the messages it gets.
    static qintptr defWindowProc(Hwnd, quint32, qintptr, qintptr) { return 0; }

    // Sets slot `index` (gwl::) of `window` and returns what it held.
    qintptr setWindowLong(Hwnd window, int index, qintptr value)
    {
        Slots &s = m_windows[window];
        qintptr &slot = index == gwl::GWL_WNDPROC ? s.procedure : s.userData;
        const qintptr previous = slot;
        slot = value;
        return previous;
    }
    qintptr getWindowLong(Hwnd window, int index) const
    {
        const Slots s = m_windows.value(window);
        return index == gwl::GWL_WNDPROC ? s.procedure : s.userData;
    }

    qintptr callWindowProc(WNDPROC procedure, Hwnd window, quint32 message, qintptr wParam, qintptr lParam)
    {
        return procedure ? procedure(window, message, wParam, lParam) : 0;
    }

    // Runs the window's procedure on the message, now.
    qintptr sendMessage(Hwnd window, quint32 message, qintptr wParam, qintptr lParam)
    {
        const auto procedure = reinterpret_cast<WNDPROC>(getWindowLong(window, gwl::GWL_WNDPROC));
        return callWindowProc(procedure, window, message, wParam, lParam);
    }

    static qintptr asLong(WNDPROC procedure) { return reinterpret_cast<qintptr>(procedure); }

private:
    struct Slots {
        qintptr procedure = reinterpret_cast<qintptr>(&WindowProcedures::defWindowProc);
        qintptr userData = 0;
    };
    QHash<Hwnd, Slots> m_windows;
};

} // namespace platform
