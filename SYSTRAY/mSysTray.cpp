#include "SYSTRAY/mSysTray.h"

#include "SYSTRAY/cSysTray.h"

namespace mSysTray {

qintptr previousWindowProc = 0;
platform::WindowProcedures *procedures = nullptr;

qintptr TrayWindowProc(platform::Hwnd hwnd, quint32 message, qintptr wParam, qintptr lParam)
{
    if (message == TrayCallbackMessage) {
        // The slot holds the instance that subclassed this window; it
        // outlives its icon, which it takes out when it goes.
        auto *instance = reinterpret_cast<TarvoTrayCtl::cSysTray *>(
            procedures->getWindowLong(hwnd, platform::gwl::GWL_USERDATA));
        if (instance)
            instance->RaiseMouseEvent(int(lParam), qint32(wParam));
    }
    // Read now: a handler may have taken the icon out meanwhile.
    return procedures->callWindowProc(reinterpret_cast<platform::WNDPROC>(previousWindowProc), hwnd, message, wParam,
                                      lParam);
}

} // namespace mSysTray
