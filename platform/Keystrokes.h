#pragma once

#include <QString>

namespace platform {

// Keystrokes sent to whatever window is in the foreground, written in the
// notation the program uses: plain characters type themselves; "+" Shift,
// "^" Ctrl and "%" Alt apply to the next key or to a group in parentheses;
// "~" is Enter; braces name a key ("{ENTER}", "{ESC}", "{F4}", "{END}",
// "{HOME}", "{TAB}", ...), a character that would otherwise be read as
// notation ("{+}", "{%}", "{{}"), or a key and a count ("{LEFT 3}").
class Keystrokes {
public:
    virtual ~Keystrokes() = default;
    virtual void sendKeys(const QString &keys) = 0;
};

namespace keys {
// `text` written in the notation so that it types itself exactly, whatever
// characters it holds: a user name or password must arrive literally.
QString literal(const QString &text);
} // namespace keys

} // namespace platform
