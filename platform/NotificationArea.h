#pragma once

#include "platform/WindowManager.h"

#include <QIcon>
#include <QString>
#include <QtGlobal>
#include <functional>

namespace platform {

namespace nim {
constexpr int NIM_ADD = 0;
constexpr int NIM_MODIFY = 1;
constexpr int NIM_DELETE = 2;
} // namespace nim

namespace nif {
constexpr unsigned NIF_MESSAGE = 0x1;
constexpr unsigned NIF_ICON = 0x2;
constexpr unsigned NIF_TIP = 0x4;
} // namespace nif

// Mouse messages, as an icon's owner is told of mouse activity on it.
namespace wm {
constexpr int WM_MOUSEMOVE = 0x200;
constexpr int WM_LBUTTONDOWN = 0x201;
constexpr int WM_LBUTTONUP = 0x202;
constexpr int WM_LBUTTONDBLCLK = 0x203;
constexpr int WM_RBUTTONDOWN = 0x204;
constexpr int WM_RBUTTONUP = 0x205;
constexpr int WM_RBUTTONDBLCLK = 0x206;
constexpr int WM_MBUTTONDOWN = 0x207;
constexpr int WM_MBUTTONUP = 0x208;
} // namespace wm

// One icon of the notification area as the shell call describes it: the
// owner's window and a number of the owner's choosing name it; `flags`
// (nif::) say which of the other fields count.
struct NotifyIconData {
    Hwnd window = 0;
    quint32 id = 0;
    unsigned flags = 0;
    // NIF_MESSAGE: told of mouse activity on the icon, with the icon's
    // number and the mouse message (wm::).
    std::function<void(quint32 id, int mouseMessage)> callback;
    // NIF_ICON: the picture; a null icon shows none.
    QIcon icon;
    // NIF_TIP: the tool tip, as shownTip() makes of it.
    QString tip;
};

// What the tip field shows: the text up to its first NUL, cut at the field's
// 64 characters.
QString shownTip(const QString &tip);

// The desktop's notification area (the "system tray"): small icons with a
// tool tip that report mouse activity to their owners.
class NotificationArea {
public:
    virtual ~NotificationArea() = default;

    // nim::NIM_ADD puts the icon in; NIM_MODIFY changes the fields that
    // `data.flags` name; NIM_DELETE takes it out. Adding an icon that is
    // already there, or changing or deleting one that is not, fails.
    // An owner's callback may change or delete its icon while being told
    // of mouse activity.
    virtual bool shellNotifyIcon(int message, const NotifyIconData &data) = 0;
};

} // namespace platform
