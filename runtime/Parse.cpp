#include "runtime/Parse.h"

#include "runtime/Error.h"

#include <QLocale>

#include <cctype>
#include <charconv>
#include <string>

namespace rt {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')
        || c == QLatin1Char('\r');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isExponentMark(QChar c)
{
    const char l = c.toLower().toLatin1();
    return l == 'e' || l == 'd';
}

QStringView trimmedView(const QString &text)
{
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    return QStringView(text).mid(b, e - b);
}

// The pieces of a decimal number as read from text, ready for from_chars.
struct DecimalText {
    bool negative = false;
    std::string whole;
    std::string fraction;
    std::string exponent;   // with its sign, may be empty
};

std::optional<double> toDouble(const DecimalText &t)
{
    std::string s = t.whole.empty() ? std::string("0") : t.whole;
    if (!t.fraction.empty())
        s += '.' + t.fraction;
    if (!t.exponent.empty())
        s += 'e' + t.exponent;
    double value = 0.0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
        // Too small to hold reads as 0; too large has no value.
        if (!t.exponent.empty() && t.exponent[0] == '-')
            value = 0.0;
        else
            return std::nullopt;
    } else if (res.ec != std::errc()) {
        return std::nullopt;
    }
    return t.negative ? -value : value;
}

// "&H1F", "&O17": radix numbers read as 16-bit values when they fit, 32-bit
// otherwise, so &HFFFF is -1 as it always was.
std::optional<double> radixValue(const std::string &digits, int radix)
{
    quint64 v = 0;
    for (char c : digits) {
        const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
        v = v * quint64(radix) + quint64(d);
        if (v > 0xFFFFFFFFULL)
            return std::nullopt;
    }
    if (v <= 0xFFFF)
        return double(qint16(quint16(v)));
    return double(qint32(quint32(v)));
}

bool isRadixDigit(QChar c, int radix)
{
    if (radix == 8)
        return c >= QLatin1Char('0') && c <= QLatin1Char('7');
    const char l = c.toLower().toLatin1();
    return isDigit(c) || (l >= 'a' && l <= 'f');
}

int radixOf(QChar c)
{
    const char l = c.toLower().toLatin1();
    return l == 'h' ? 16 : l == 'o' ? 8 : 0;
}

// ---- dates and times ----------------------------------------------------

class Reader {
public:
    explicit Reader(QStringView s) : m_s(s) {}

    qsizetype pos() const { return m_pos; }
    void reset(qsizetype p) { m_pos = p; }
    bool atEnd() const { return m_pos >= m_s.size(); }

    int skipBlanks()
    {
        int n = 0;
        while (!atEnd() && isBlank(m_s[m_pos])) {
            ++m_pos;
            ++n;
        }
        return n;
    }

    bool accept(char c)
    {
        if (!atEnd() && m_s[m_pos] == QLatin1Char(c)) {
            ++m_pos;
            return true;
        }
        return false;
    }

    // A run of digits whose length is within [minLen, maxLen]; the reader
    // does not move when there is none.
    std::optional<int> number(int minLen, int maxLen, int *length = nullptr)
    {
        qsizetype end = m_pos;
        while (end < m_s.size() && isDigit(m_s[end]))
            ++end;
        const int len = int(end - m_pos);
        if (len < minLen || len > maxLen)
            return std::nullopt;
        int v = 0;
        for (qsizetype i = m_pos; i < end; ++i)
            v = v * 10 + (m_s[i].unicode() - '0');
        m_pos = end;
        if (length)
            *length = len;
        return v;
    }

    QStringView word()
    {
        const qsizetype start = m_pos;
        while (!atEnd() && m_s[m_pos].isLetter())
            ++m_pos;
        return m_s.mid(start, m_pos - start);
    }

private:
    QStringView m_s;
    qsizetype m_pos = 0;
};

std::optional<int> monthFromName(QStringView name)
{
    if (name.size() < 3)
        return std::nullopt;
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    for (int m = 1; m <= 12; ++m) {
        if (name.compare(english.monthName(m, QLocale::LongFormat), Qt::CaseInsensitive) == 0
            || name.compare(english.monthName(m, QLocale::ShortFormat), Qt::CaseInsensitive) == 0)
            return m;
    }
    return std::nullopt;
}

std::optional<QDate> makeDate(int year, int month, int day)
{
    if (year < 100 || year > 9999 || !QDate::isValid(year, month, day))
        return std::nullopt;
    return QDate(year, month, day);
}

// Two-digit years fall in a window: 00-29 are this century, 30-99 the last.
int fullYear(int yy)
{
    return yy < 30 ? 2000 + yy : 1900 + yy;
}

std::optional<QDate> readSlashDate(Reader &r)
{
    const auto m = r.number(1, 2);
    if (!m || !r.accept('/'))
        return std::nullopt;
    const auto d = r.number(1, 2);
    if (!d || !r.accept('/'))
        return std::nullopt;
    int len = 0;
    const auto y = r.number(2, 4, &len);
    if (!y || len == 3)
        return std::nullopt;
    return makeDate(len == 2 ? fullYear(*y) : *y, *m, *d);
}

std::optional<QDate> readIsoDate(Reader &r)
{
    const auto y = r.number(4, 4);
    if (!y || !r.accept('-'))
        return std::nullopt;
    const auto m = r.number(1, 2);
    if (!m || !r.accept('-'))
        return std::nullopt;
    const auto d = r.number(1, 2);
    if (!d)
        return std::nullopt;
    return makeDate(*y, *m, *d);
}

std::optional<QDate> readMonthFirstDate(Reader &r)
{
    const auto m = monthFromName(r.word());
    if (!m || r.skipBlanks() == 0)
        return std::nullopt;
    const auto d = r.number(1, 2);
    if (!d)
        return std::nullopt;
    r.accept(',');
    if (r.skipBlanks() == 0)
        return std::nullopt;
    const auto y = r.number(4, 4);
    if (!y)
        return std::nullopt;
    return makeDate(*y, *m, *d);
}

std::optional<QDate> readDayFirstDate(Reader &r)
{
    const auto d = r.number(1, 2);
    if (!d || r.skipBlanks() == 0)
        return std::nullopt;
    const auto m = monthFromName(r.word());
    if (!m || r.skipBlanks() == 0)
        return std::nullopt;
    const auto y = r.number(4, 4);
    if (!y)
        return std::nullopt;
    return makeDate(*y, *m, *d);
}

std::optional<QDate> readDate(Reader &r)
{
    const qsizetype start = r.pos();
    for (auto form : {readSlashDate, readIsoDate, readMonthFirstDate, readDayFirstDate}) {
        r.reset(start);
        if (const auto d = form(r)) {
            // A date must end where a word would: "12/9/2026x" is not one.
            if (r.atEnd() || r.skipBlanks() > 0)
                return d;
        }
    }
    r.reset(start);
    return std::nullopt;
}

// Seconds after midnight. A bare hour needs its am/pm ("6 pm"); "7" alone is
// not a time.
std::optional<int> readTime(Reader &r)
{
    const auto h = r.number(1, 2);
    if (!h)
        return std::nullopt;
    int minute = 0;
    int second = 0;
    bool hasMinutes = false;
    if (r.accept(':')) {
        const auto m = r.number(1, 2);
        if (!m)
            return std::nullopt;
        minute = *m;
        hasMinutes = true;
        if (r.accept(':')) {
            const auto s = r.number(1, 2);
            if (!s)
                return std::nullopt;
            second = *s;
        }
    }
    r.skipBlanks();
    const QStringView designator = r.word();
    int hour = *h;
    if (designator.isEmpty()) {
        if (!hasMinutes || hour > 23)
            return std::nullopt;
    } else {
        const bool am = designator.compare(QLatin1String("am"), Qt::CaseInsensitive) == 0;
        const bool pm = designator.compare(QLatin1String("pm"), Qt::CaseInsensitive) == 0;
        if ((!am && !pm) || hour < 1 || hour > 12)
            return std::nullopt;
        hour = hour % 12 + (pm ? 12 : 0);
    }
    if (minute > 59 || second > 59)
        return std::nullopt;
    return hour * 3600 + minute * 60 + second;
}

} // namespace

double leadingNumber(const QString &text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto skip = [&] {
        while (i < n && isBlank(text[i]))
            ++i;
    };
    auto peek = [&]() -> QChar {
        skip();
        return i < n ? text[i] : QChar();
    };

    if (peek() == QLatin1Char('&') && i + 1 < n && radixOf(text[i + 1]) != 0) {
        const int radix = radixOf(text[i + 1]);
        i += 2;
        std::string digits;
        while (isRadixDigit(peek(), radix))
            digits += char(text[i++].toLatin1());
        const auto v = radixValue(digits, radix);
        if (!v)
            err::overflow();
        return *v;
    }

    DecimalText t;
    if (peek() == QLatin1Char('-') || peek() == QLatin1Char('+'))
        t.negative = text[i++] == QLatin1Char('-');
    while (isDigit(peek()))
        t.whole += char(text[i++].toLatin1());
    if (peek() == QLatin1Char('.')) {
        ++i;
        while (isDigit(peek()))
            t.fraction += char(text[i++].toLatin1());
    }
    if ((!t.whole.empty() || !t.fraction.empty()) && isExponentMark(peek())) {
        ++i;
        std::string exponent;
        if (peek() == QLatin1Char('-') || peek() == QLatin1Char('+'))
            exponent += char(text[i++].toLatin1());
        std::string digits;
        while (isDigit(peek()))
            digits += char(text[i++].toLatin1());
        if (!digits.empty())
            t.exponent = exponent + digits;
    }
    if (t.whole.empty() && t.fraction.empty())
        return 0.0;
    const auto v = toDouble(t);
    if (!v)
        err::overflow();
    return *v;
}

std::optional<double> parseNumber(const QString &text)
{
    const QStringView s = trimmedView(text);
    const qsizetype n = s.size();
    qsizetype i = 0;

    if (n > 2 && s[0] == QLatin1Char('&') && radixOf(s[1]) != 0) {
        const int radix = radixOf(s[1]);
        std::string digits;
        for (i = 2; i < n; ++i) {
            if (!isRadixDigit(s[i], radix))
                return std::nullopt;
            digits += char(s[i].toLatin1());
        }
        return radixValue(digits, radix);
    }

    DecimalText t;
    if (i < n && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+')))
        t.negative = s[i++] == QLatin1Char('-');
    while (i < n && isDigit(s[i]))
        t.whole += char(s[i++].toLatin1());
    if (i < n && s[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && isDigit(s[i]))
            t.fraction += char(s[i++].toLatin1());
    }
    if (t.whole.empty() && t.fraction.empty())
        return std::nullopt;
    if (i < n && isExponentMark(s[i])) {
        ++i;
        if (i < n && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+')))
            t.exponent += char(s[i++].toLatin1());
        const qsizetype digitsStart = i;
        while (i < n && isDigit(s[i]))
            t.exponent += char(s[i++].toLatin1());
        if (i == digitsStart)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    return toDouble(t);
}

std::optional<DateTime> parseDateTime(const QString &text)
{
    Reader r(trimmedView(text));
    if (r.atEnd())
        return std::nullopt;

    const std::optional<QDate> date = readDate(r);
    if (date && r.atEnd())
        return DateTime::fromDate(*date);

    const std::optional<int> seconds = readTime(r);
    if (!seconds || !r.atEnd())
        return std::nullopt;
    if (!date)
        return DateTime::fromTotalSeconds(*seconds);
    return DateTime::fromDate(*date).addSeconds(*seconds);
}

std::optional<DateTime> parseTimeOfDay(const QString &text)
{
    Reader r(trimmedView(text));
    const std::optional<int> seconds = readTime(r);
    if (!seconds || !r.atEnd())
        return std::nullopt;
    return DateTime::fromTotalSeconds(*seconds);
}

} // namespace rt
