#include "platform/QtKeystrokes.h"

#include "platform/KeyNotation.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

#include <iterator>

namespace platform {

namespace {

QWidget *receiver()
{
    QWidget *window = QApplication::activeWindow();
    if (!window)
        return nullptr;
    QWidget *focus = window->focusWidget();
    return focus ? focus : window;
}

// Sent rather than posted, so the keys are handled when sendKeys returns.
// The event is left non-spontaneous on purpose: QApplication::notify then
// offers a key press to the shortcut map first (ShortcutOverride, then label
// buddies, button mnemonics, QShortcut), just as a real key press from the
// window system is, and a press that a shortcut took goes no further. That
// keeps us on public API instead of QtTest's or Qt's private key helpers.
void sendKeyEvent(QWidget *target, bool press, int key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(target, &event);
}

struct ModifierKey {
    Qt::KeyboardModifier modifier;
    int key;
};
constexpr ModifierKey kModifierKeys[] = {
    {Qt::ShiftModifier, Qt::Key_Shift},
    {Qt::ControlModifier, Qt::Key_Control},
    {Qt::AltModifier, Qt::Key_Alt},
};

void strike(const keys::KeyStroke &stroke)
{
    QPointer<QWidget> target = receiver();
    if (!target)
        return;

    // The desktop, not the window, answers Alt+F4.
    if (stroke.key == Qt::Key_F4 && stroke.modifiers == Qt::AltModifier) {
        target->window()->close();
        return;
    }

    // Modifier keys go down one after another, each seeing those already held.
    Qt::KeyboardModifiers held;
    for (const ModifierKey &m : kModifierKeys) {
        if (!(stroke.modifiers & m.modifier) || !target)
            continue;
        sendKeyEvent(target, true, m.key, held, QString());
        held |= m.modifier;
    }
    if (target)
        sendKeyEvent(target, true, stroke.key, stroke.modifiers, stroke.text);
    // Enter or Escape may have closed and deleted the window.
    if (target)
        sendKeyEvent(target, false, stroke.key, stroke.modifiers, stroke.text);
    for (auto m = std::rbegin(kModifierKeys); m != std::rend(kModifierKeys); ++m) {
        if (!(stroke.modifiers & m->modifier) || !target)
            continue;
        sendKeyEvent(target, false, m->key, held, QString());
        held &= ~m->modifier;
    }
}

} // namespace

void QtKeystrokes::sendKeys(const QString &keys)
{
    for (const keys::KeyStroke &stroke : keys::parse(keys))
        strike(stroke);
}

} // namespace platform
