#pragma once

#include "platform/WindowManager.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>

#include <memory>
#include <vector>

namespace platform {

// The window manager over this process's own widgets, which stand in for
// every program on the desktop.
//
// Handles are handed out in the order widgets are first seen (normally when
// they are created, since the manager watches the whole application) and are
// forgotten when the widget is destroyed; a number is never handed out twice.
// The desktop is handle 1 and has no widget.
//
// Qt keeps no stacking order of its own, so the manager keeps one: a
// top-level window that is shown or activated moves to the front; windows
// never shown stay behind those, oldest first; always-on-top windows come
// before all others. Hidden windows are walked too. A top-level window's
// children follow it depth-first in the order they became its children
// (QObject::children(): QWidget::raise() moves a child to the end). A child
// widget that is a window of its own (a dialog with a parent) is walked as
// a top-level window, not under its parent.
//
// Only widgets that would be windows on a desktop are walked:
// - Qt's helper windows and widgets, with everything in them, are left out:
//   tool tip, popup and desktop windows (tool tips, menus, the drop-downs of
//   combo boxes and completers), QRubberBand, QFocusFrame, QSizeGrip,
//   QToolBarExtension, the window some desktops give a notification-area
//   icon (QSystemTrayIconSys), and any Qt class whose name holds "Private".
// - Composite widgets are one window and are not looked inside: QComboBox,
//   QAbstractSpinBox, QLineEdit, QTabBar, QMenuBar, QCalendarWidget,
//   QKeySequenceEdit and every QAbstractScrollArea (item views, text edits),
//   except that a QScrollArea's content widget is walked as its child.
//
// Window texts: a top-level window's title; a label's text as plain text
// (its window title when it shows no text, so a picture can carry a name);
// a button's text with its "&" mnemonic marks; a line edit's text, even in
// password mode; a spin box's text; a text edit's plain text; a combo box's
// current text; a group box's title; any other widget's window title.
//
// The walk works on a snapshot taken when it starts: windows destroyed by
// the visitor (which may process pending events) are skipped, windows
// created meanwhile are not visited. The desktop's snapshot is kept from
// walk to walk, since a monitor walks an unchanged desktop many times a
// second: it is taken afresh after a widget is created, destroyed, given
// or losing a child widget, re-parented or re-stacked among its siblings,
// after a top-level window comes to the front, and when a walked widget's
// window flags are found changed.
class QtWindowManager : public QObject, public WindowManager {
    Q_OBJECT

public:
    explicit QtWindowManager(QObject *parent = nullptr);
    ~QtWindowManager() override;

    Hwnd desktopWindow() override;
    bool enumChildWindows(Hwnd parent, const std::function<bool(Hwnd)> &visitor) override;
    QString getWindowText(Hwnd window, int maxCount) override;
    int isWindowVisible(Hwnd window) override;
    bool setForegroundWindow(Hwnd window) override;
    Hwnd setFocus(Hwnd window) override;
    Hwnd getForegroundWindow() override;
    bool setWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy, unsigned flags) override;
    QRect getWindowRect(Hwnd window) override;
    QPoint getCursorPos() override;
    Hwnd handleOf(QWidget *widget) override;
    QWidget *widgetOf(Hwnd window) override;

    static constexpr Hwnd Desktop = 1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // How a widget's text is read, found once per snapshot rather than by a
    // chain of casts at every read.
    enum class TextKind : quint8 { Title, Label, Button, LineEdit, ComboBox, GroupBox, SpinBox, PlainTextEdit, TextEdit };
    struct Walked {
        QWidget *widget;
        Hwnd handle;
        Qt::WindowFlags flags; // as taken; a change means the snapshot is stale
        TextKind kind;
    };
    using Walk = std::vector<Walked>;

    void bringToFront(QWidget *window);
    QList<QWidget *> topLevelWindows();
    void appendDescendants(QWidget *parent, Walk &out);
    void append(QWidget *w, Walk &out);
    std::shared_ptr<const Walk> desktopWalk();
    bool visit(const Walk &walk, const std::function<bool(Hwnd)> &visitor);
    static QString textOf(const QWidget *w, TextKind kind);
    static TextKind kindOf(const QWidget *w);

    Hwnd m_nextHandle = 0x100;
    QHash<const QObject *, Hwnd> m_handles;
    QHash<Hwnd, QWidget *> m_widgets;
    QList<Hwnd> m_front; // shown or activated top-level windows, frontmost first

    std::shared_ptr<const Walk> m_desktop; // null once stale
    int m_walking = 0;                      // walks under way, nested ones included
    QSet<Hwnd> m_goneDuringWalk;            // destroyed since the outermost walk began
    const Walked *m_visiting = nullptr;     // the window the innermost walk is visiting
};

} // namespace platform
