#include "platform/KeyNotation.h"

#include "platform/Keystrokes.h"
#include "runtime/Error.h"

#include <QHash>

#include <algorithm>

namespace platform::keys {

namespace {

struct NamedKey {
    int key;
    QString text;
};

const QHash<QString, NamedKey> &namedKeys()
{
    // The texts are what a keyboard sends with these keys; widgets that
    // read text rather than key codes (and Enter's "\r") rely on them.
    static const QHash<QString, NamedKey> table = [] {
        QHash<QString, NamedKey> t{
            {QStringLiteral("ENTER"), {Qt::Key_Return, QStringLiteral("\r")}},
            {QStringLiteral("ESC"), {Qt::Key_Escape, QStringLiteral("\x1b")}},
            {QStringLiteral("ESCAPE"), {Qt::Key_Escape, QStringLiteral("\x1b")}},
            {QStringLiteral("TAB"), {Qt::Key_Tab, QStringLiteral("\t")}},
            {QStringLiteral("BS"), {Qt::Key_Backspace, QStringLiteral("\b")}},
            {QStringLiteral("BKSP"), {Qt::Key_Backspace, QStringLiteral("\b")}},
            {QStringLiteral("BACKSPACE"), {Qt::Key_Backspace, QStringLiteral("\b")}},
            {QStringLiteral("DEL"), {Qt::Key_Delete, QStringLiteral("\x7f")}},
            {QStringLiteral("DELETE"), {Qt::Key_Delete, QStringLiteral("\x7f")}},
            {QStringLiteral("INS"), {Qt::Key_Insert, {}}},
            {QStringLiteral("INSERT"), {Qt::Key_Insert, {}}},
            {QStringLiteral("HOME"), {Qt::Key_Home, {}}},
            {QStringLiteral("END"), {Qt::Key_End, {}}},
            {QStringLiteral("LEFT"), {Qt::Key_Left, {}}},
            {QStringLiteral("RIGHT"), {Qt::Key_Right, {}}},
            {QStringLiteral("UP"), {Qt::Key_Up, {}}},
            {QStringLiteral("DOWN"), {Qt::Key_Down, {}}},
            {QStringLiteral("PGUP"), {Qt::Key_PageUp, {}}},
            {QStringLiteral("PGDN"), {Qt::Key_PageDown, {}}},
            {QStringLiteral("BREAK"), {Qt::Key_Pause, {}}},
            {QStringLiteral("CAPSLOCK"), {Qt::Key_CapsLock, {}}},
            {QStringLiteral("NUMLOCK"), {Qt::Key_NumLock, {}}},
            {QStringLiteral("SCROLLLOCK"), {Qt::Key_ScrollLock, {}}},
            {QStringLiteral("PRTSC"), {Qt::Key_Print, {}}},
            {QStringLiteral("HELP"), {Qt::Key_Help, {}}},
        };
        for (int n = 1; n <= 16; ++n)
            t.insert(QStringLiteral("F%1").arg(n), {Qt::Key_F1 + n - 1, {}});
        return t;
    }();
    return table;
}

bool isNotation(QChar c)
{
    return QStringView(u"+^%~(){}[]").contains(c);
}

class Parser {
public:
    explicit Parser(const QString &s) : m_s(s) {}

    QList<KeyStroke> run()
    {
        sequence({}, false);
        return m_out;
    }

private:
    [[noreturn]] static void malformed() { rt::err::invalidProcedureCall(); }

    bool atEnd() const { return m_pos >= m_s.size(); }

    // Keys up to the end of the string, or up to the ")" that closes a group.
    void sequence(Qt::KeyboardModifiers held, bool inGroup)
    {
        while (!atEnd()) {
            if (m_s.at(m_pos) == u')') {
                if (!inGroup)
                    malformed();
                ++m_pos;
                return;
            }
            item(held);
        }
        if (inGroup)
            malformed();
    }

    void item(Qt::KeyboardModifiers held)
    {
        Qt::KeyboardModifiers mods = held;
        for (; !atEnd(); ++m_pos) {
            const QChar c = m_s.at(m_pos);
            if (c == u'+')
                mods |= Qt::ShiftModifier;
            else if (c == u'^')
                mods |= Qt::ControlModifier;
            else if (c == u'%')
                mods |= Qt::AltModifier;
            else
                break;
        }
        if (atEnd())
            malformed();

        const QChar c = m_s.at(m_pos);
        if (c == u'(') {
            ++m_pos;
            sequence(mods, true);
        } else if (c == u')' || c == u'}') {
            malformed();
        } else if (c == u'~') {
            ++m_pos;
            emitKey(Qt::Key_Return, mods, QStringLiteral("\r"), 1);
        } else if (c == u'{') {
            braced(mods);
        } else {
            const qsizetype len = characterLength(m_s, m_pos);
            const QString ch = m_s.mid(m_pos, len);
            m_pos += len;
            emitCharacter(ch, mods, 1);
        }
    }

    // A character and its low surrogate, when it has one, are typed as one.
    static qsizetype characterLength(const QString &s, qsizetype at)
    {
        if (s.at(at).isHighSurrogate() && at + 1 < s.size() && s.at(at + 1).isLowSurrogate())
            return 2;
        return 1;
    }

    void braced(Qt::KeyboardModifiers mods)
    {
        // The first character inside may itself be "}", as in "{}}".
        const qsizetype close = m_s.indexOf(u'}', m_pos + 2);
        if (close < 0)
            malformed();
        QString name = m_s.mid(m_pos + 1, close - m_pos - 1);
        m_pos = close + 1;

        int count = 1;
        const qsizetype blank = name.lastIndexOf(u' ');
        if (blank > 0 && blank + 1 < name.size()) {
            const QString digits = name.mid(blank + 1);
            bool ok = std::all_of(digits.begin(), digits.end(), [](QChar d) { return d.isDigit(); });
            if (ok)
                count = digits.toInt(&ok);
            if (!ok || count > kMaxRepeat)
                malformed();
            name.truncate(blank);
        }

        if (!name.isEmpty() && characterLength(name, 0) == name.size()) {
            emitCharacter(name, mods, count);
            return;
        }
        const auto found = namedKeys().constFind(name.toUpper());
        if (found == namedKeys().constEnd())
            malformed();
        emitKey(found->key, mods, found->text, count);
    }

    void emitCharacter(const QString &ch, Qt::KeyboardModifiers mods, int count)
    {
        // Qt names a character key after its capital form, as the keyboard
        // does; Shift then types that capital.
        const char32_t capital = QChar::toUpper(ch.toUcs4().value(0));
        const QString text = (mods & Qt::ShiftModifier) ? QString::fromUcs4(&capital, 1) : ch;
        emitKey(int(capital), mods, text, count);
    }

    void emitKey(int key, Qt::KeyboardModifiers mods, const QString &text, int count)
    {
        const bool typesText = !(mods & (Qt::ControlModifier | Qt::AltModifier));
        for (int n = 0; n < count; ++n)
            m_out.append({key, mods, typesText ? text : QString()});
    }

    const QString &m_s;
    qsizetype m_pos = 0;
    QList<KeyStroke> m_out;
};

} // namespace

QList<KeyStroke> parse(const QString &notation)
{
    return Parser(notation).run();
}

QString literal(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (isNotation(c)) {
            out += u'{';
            out += c;
            out += u'}';
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace platform::keys
