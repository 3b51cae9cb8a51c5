#pragma once

#include "platform/WindowManager.h"

#include <QString>
#include <QtGlobal>
#include <cstddef>

namespace platform {

namespace nim {
constexpr quint32 NIM_ADD = 0;
constexpr quint32 NIM_MODIFY = 1;
constexpr quint32 NIM_DELETE = 2;
} // namespace nim

namespace nif {
constexpr quint32 NIF_MESSAGE = 0x1;
constexpr quint32 NIF_ICON = 0x2;
constexpr quint32 NIF_TIP = 0x4;
} // namespace nif

// Mouse messages, as an icon's owner is told of mouse activity on it.
namespace wm {
constexpr int WM_USER = 0x400;
constexpr int WM_MOUSEMOVE = 0x200;
constexpr int WM_LBUTTONDOWN = 0x201;
constexpr int WM_LBUTTONUP = 0x202;
constexpr int WM_LBUTTONDBLCLK = 0x203;
constexpr int WM_RBUTTONDOWN = 0x204;
constexpr int WM_RBUTTONUP = 0x205;
constexpr int WM_RBUTTONDBLCLK = 0x206;
constexpr int WM_MBUTTONDOWN = 0x207;
constexpr int WM_MBUTTONUP = 0x208;
constexpr int WM_MBUTTONDBLCLK = 0x209;
} // namespace wm

// The shell's notification record, byte for byte: 88 bytes, little-endian
// 32-bit fields, the tip as 64 single-byte characters.
struct NOTIFYICONDATAA {
    quint32 cbSize = 0;
    quint32 hWnd = 0;              // the owner's window
    quint32 uID = 0;               // the owner's number for the icon
    quint32 uFlags = 0;            // nif::, which of the next three count
    quint32 uCallbackMessage = 0;  // sent to hWnd on mouse activity
    quint32 hIcon = 0;             // a picture handle (PictureTable)
    char szTip[64] = {};
};
static_assert(sizeof(NOTIFYICONDATAA) == 88);
static_assert(offsetof(NOTIFYICONDATAA, hWnd) == 4);
static_assert(offsetof(NOTIFYICONDATAA, uFlags) == 12);
static_assert(offsetof(NOTIFYICONDATAA, uCallbackMessage) == 16);
static_assert(offsetof(NOTIFYICONDATAA, hIcon) == 20);
static_assert(offsetof(NOTIFYICONDATAA, szTip) == 24);

// What a tip field shows: its characters up to the first NUL, or all 64
// when there is none. The characters are single bytes (Latin-1).
inline QString shownTip(const NOTIFYICONDATAA &data)
{
    qsizetype n = 0;
    while (n < qsizetype(sizeof data.szTip) && data.szTip[n] != '\0')
        ++n;
    return QString::fromLatin1(data.szTip, n);
}

// The desktop's notification area (the "system tray"): small icons with a
// tool tip. Mouse activity on an icon is sent to its owner's window as the
// record's callback message, with the icon's number as the first parameter
// and the mouse message (wm::) as the second.
class NotificationArea {
public:
    virtual ~NotificationArea() = default;

    // nim::NIM_ADD puts the icon named by the record's window and number
    // in; NIM_MODIFY changes the fields that `uFlags` name; NIM_DELETE takes
    // it out. Adding an icon that is already there, or changing or deleting
    // one that is not, fails. An owner may change or delete its icon while
    // being told of mouse activity on it.
    virtual bool Shell_NotifyIconA(quint32 dwMessage, const NOTIFYICONDATAA &data) = 0;
};

} // namespace platform
