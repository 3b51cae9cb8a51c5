#pragma once

#include "platform/WindowProcedures.h"

// The control's window procedure, shared by every instance: while an icon
// is shown, its control's window runs TrayWindowProc, which turns the
// notification area's callback into the control's mouse events.
namespace mSysTray {

// The procedure the latest subclassing replaced. Every instance's window
// is of one class, so this is the procedure of each of them.
extern qintptr previousWindowProc;
// The window table the procedure was installed in.
extern platform::WindowProcedures *procedures;

// The callback message the control asks the notification area for.
constexpr quint32 TrayCallbackMessage = 0x400 + 101;

qintptr TrayWindowProc(platform::Hwnd hwnd, quint32 message, qintptr wParam, qintptr lParam);

} // namespace mSysTray
