#pragma once

#include "platform/Keystrokes.h"

namespace platform {

// Types keystrokes into this process's widgets as if they came from the
// keyboard: each key is pressed and released on the focus widget of the
// active window (the active window itself when nothing in it has focus),
// after Qt's shortcut step, so Alt+letter reaches label buddies and button
// mnemonics, Enter a dialog's default button and Escape its reject.
// Alt+F4 closes the active window, as the desktop would.
//
// Delivery is synchronous: when sendKeys returns, every key has been
// handled, except that a key whose handler runs a modal dialog holds back
// the keys after it until that dialog closes; they then go to whatever
// window is active. With no active window the keys are lost.
//
// Qt selects a line edit's text when a mnemonic brings the focus to it, so
// typing then replaces the text; a line edit that has the focus already
// keeps its text and the typing is added to it.
//
// A button's mnemonic works as Qt's does: pressed() at once, clicked() when
// the button's short press animation ends (about 100 ms, on the event loop).
//
// Malformed notation raises run-time error 5 before anything is typed
// (see KeyNotation.h).
class QtKeystrokes : public Keystrokes {
public:
    void sendKeys(const QString &keys) override;
};

} // namespace platform
