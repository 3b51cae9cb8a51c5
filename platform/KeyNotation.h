#pragma once

#include <QList>
#include <QString>
#include <Qt>

namespace platform::keys {

// One key pressed and released with the modifier keys held around it.
struct KeyStroke {
    int key = 0;                      // a Qt::Key value
    Qt::KeyboardModifiers modifiers;
    QString text;                     // what the key types; empty when it types nothing

    friend bool operator==(const KeyStroke &a, const KeyStroke &b)
    {
        return a.key == b.key && a.modifiers == b.modifiers && a.text == b.text;
    }
};

// Reads the keystroke notation (see Keystrokes.h) into the keys it presses.
//
// - A plain character types itself, letters of any alphabet included; it is
//   sent without Shift even when it is a capital letter.
// - "+" Shift, "^" Ctrl and "%" Alt hold for the next key, or for every key
//   of a parenthesised group: "+(ab)" types "AB". Parentheses without a
//   modifier just group. Under Ctrl or Alt a key types no text, as on the
//   keyboard, so "%u" reaches mnemonics and shortcuts only.
// - "~" is Enter.
// - Braces hold a key name, case-insensitive: ENTER, ESC, ESCAPE, TAB, BS,
//   BKSP, BACKSPACE, DEL, DELETE, INS, INSERT, HOME, END, LEFT, RIGHT, UP,
//   DOWN, PGUP, PGDN, BREAK, CAPSLOCK, NUMLOCK, SCROLLLOCK, PRTSC, HELP,
//   F1 to F16; or a single character, which then types itself even when it
//   is notation ("{+}", "{{}", "{}}"); either may be followed by a blank and
//   a count: "{LEFT 3}", "{a 2}", "{a 0}" (nothing).
// - "[" and "]" type themselves; they are braced by literal() all the same.
//
// A malformed string raises run-time error 5 ("Invalid procedure call or
// argument") and yields nothing at all, so no part of it is typed: a brace or
// parenthesis left open or closed without being opened, an unknown key name,
// a count that is not a whole number or is above kMaxRepeat, or a modifier
// with no key after it.
QList<KeyStroke> parse(const QString &notation);

// The most times one braced key repeats. No dialog needs more, and a count
// out of bounds is an argument like any other the parser refuses (error 5),
// caught before a single key is built: a mistyped "{a 222222222}" would
// otherwise hold a quarter of a billion keystrokes in memory and then type
// them for hours.
constexpr int kMaxRepeat = 1000;

// literal() is declared in Keystrokes.h.

} // namespace platform::keys
