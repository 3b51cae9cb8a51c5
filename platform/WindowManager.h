#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QtGlobal>
#include <functional>

class QWidget;

namespace platform {

// A window handle: a whole number that names one window for as long as the
// process runs and is never given to another. -1 means "not found", 0 none.
using Hwnd = qint64;

namespace swp {
constexpr Hwnd HWND_TOPMOST = -1;
constexpr Hwnd HWND_NOTOPMOST = -2;
constexpr unsigned SWP_NOSIZE = 0x1;
constexpr unsigned SWP_NOMOVE = 0x2;
} // namespace swp

// The desktop's windows as the program sees them: every real window of every
// program on the desktop, hidden ones included, top-level windows front to
// back (most recently shown or activated first), each followed by its child
// windows in the order they were created.
class WindowManager {
public:
    virtual ~WindowManager() = default;

    virtual Hwnd desktopWindow() = 0;

    // Visits every descendant of `parent` depth-first: each child, then that
    // child's own children, before the next child. For the desktop window
    // the children are the top-level windows, front to back. The visitor
    // returns false to stop the walk. Returns false when `parent` is unknown.
    virtual bool enumChildWindows(Hwnd parent, const std::function<bool(Hwnd)> &visitor) = 0;

    // The window's text, at most `maxCount - 1` characters: a top-level
    // window's title, a label's, button's or line edit's text, a combo box's
    // current text; "" for an unknown handle.
    virtual QString getWindowText(Hwnd window, int maxCount) = 0;

    // 1 when the window and all its parents are shown, else 0.
    virtual int isWindowVisible(Hwnd window) = 0;

    // Brings the window's top-level window to the front and activates it.
    virtual bool setForegroundWindow(Hwnd window) = 0;
    // Gives the keyboard focus to the window (or, for a window that takes
    // no focus, leaves it where it is in that window's top-level window).
    // Returns the window that had the focus before, 0 if none.
    virtual Hwnd setFocus(Hwnd window) = 0;
    // The active top-level window, 0 when none is active.
    virtual Hwnd getForegroundWindow() = 0;

    // Moves, sizes and stacks a top-level window; `insertAfter` may be
    // HWND_TOPMOST (always on top) or HWND_NOTOPMOST.
    virtual bool setWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy, unsigned flags) = 0;

    // Where the window is on the screen, its frame included; the desktop
    // window's is the whole screen. Empty for an unknown handle.
    virtual QRect getWindowRect(Hwnd window) = 0;

    virtual QPoint getCursorPos() = 0;

    // The handle of one of this process's widgets, and back (nullptr for a
    // handle that names no live widget).
    virtual Hwnd handleOf(QWidget *widget) = 0;
    virtual QWidget *widgetOf(Hwnd window) = 0;
};

} // namespace platform
