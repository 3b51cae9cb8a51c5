#include "runtime/Format.h"

#include "runtime/Parse.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

namespace rt {

namespace {

// Names are English whatever the machine is set to: the texts are read back
// by the program itself and compared with stored ones.
const QLocale &english()
{
    static const QLocale l(QLocale::English, QLocale::UnitedStates);
    return l;
}

QString twoDigits(int v)
{
    return QString::number(v).rightJustified(2, QLatin1Char('0'));
}

int hour12(int hour)
{
    return hour % 12 == 0 ? 12 : hour % 12;
}

QString shortDate(const QDate &d)
{
    return QStringLiteral("%1/%2/%3").arg(d.month()).arg(d.day()).arg(d.year(), 4, 10, QLatin1Char('0'));
}

QString longDate(const QDate &d)
{
    return QStringLiteral("%1, %2 %3, %4")
        .arg(english().dayName(d.dayOfWeek(), QLocale::LongFormat),
             english().monthName(d.month(), QLocale::LongFormat))
        .arg(d.day())
        .arg(d.year(), 4, 10, QLatin1Char('0'));
}

QString longTime(const QTime &t)
{
    return QStringLiteral("%1:%2:%3 %4")
        .arg(hour12(t.hour()))
        .arg(twoDigits(t.minute()), twoDigits(t.second()),
             t.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

// ---- date pictures ------------------------------------------------------

bool isDateLetter(QChar c)
{
    switch (c.toLower().toLatin1()) {
    case 'd': case 'm': case 'y': case 'h': case 'n': case 's': case 'q':
        return true;
    default:
        return false;
    }
}

// An am/pm designator token at `i`: its length, and where the morning and
// afternoon spellings sit in the picture, so the output keeps their case.
struct Designator {
    int length = 0;
    int amAt = 0, amLength = 0;
    int pmAt = 0, pmLength = 0;
};

Designator designatorAt(const QString &picture, qsizetype i)
{
    auto matches = [&](QLatin1String token) {
        return QStringView(picture).mid(i, token.size()).compare(token, Qt::CaseInsensitive) == 0;
    };
    if (matches(QLatin1String("am/pm")))
        return {5, 0, 2, 3, 2};
    if (matches(QLatin1String("ampm")))
        return {4, 0, 2, 2, 2};
    if (matches(QLatin1String("a/p")))
        return {3, 0, 1, 2, 1};
    return {};
}

qsizetype runLength(const QString &picture, qsizetype i)
{
    const QChar c = picture[i].toLower();
    qsizetype n = 1;
    while (i + n < picture.size() && picture[i + n].toLower() == c)
        ++n;
    return n;
}

// Quoted text, to the closing quote or the end of the picture, and the
// character after a backslash stand for themselves in date and number
// pictures alike. When such a piece starts at `i`, hands its text to
// `literal` (a backslash that ends the picture has none), moves `i` past it
// and answers true.
template <typename Literal>
bool takeLiteral(const QString &picture, qsizetype &i, Literal &&literal)
{
    const QChar c = picture[i];
    if (c == QLatin1Char('"')) {
        const qsizetype close = picture.indexOf(QLatin1Char('"'), i + 1);
        const qsizetype end = close < 0 ? picture.size() : close;
        literal(picture.mid(i + 1, end - i - 1));
        i = end + 1;
        return true;
    }
    if (c == QLatin1Char('\\')) {
        if (i + 1 < picture.size())
            literal(QString(picture[i + 1]));
        i += 2;
        return true;
    }
    return false;
}

// Walks a picture, handing each piece to `token` (a date letter run or a
// designator) or to `literal`.
template <typename Token, typename Literal>
void walkPicture(const QString &picture, Token token, Literal literal)
{
    qsizetype i = 0;
    while (i < picture.size()) {
        if (takeLiteral(picture, i, literal))
            continue;
        const QChar c = picture[i];
        if (const Designator d = designatorAt(picture, i); d.length > 0) {
            token(i, qsizetype(d.length), true);
            i += d.length;
        } else if (isDateLetter(c)) {
            const qsizetype n = runLength(picture, i);
            token(i, n, false);
            i += n;
        } else {
            literal(QString(c));
            ++i;
        }
    }
}

bool isDatePicture(const QString &picture)
{
    bool found = false;
    walkPicture(picture, [&](qsizetype, qsizetype, bool) { found = true; }, [](const QString &) {});
    return found;
}

bool hasDesignator(const QString &picture)
{
    bool found = false;
    walkPicture(picture, [&](qsizetype, qsizetype, bool designator) { found = found || designator; },
                [](const QString &) {});
    return found;
}

QString formatDate(const DateTime &dt, const QString &picture)
{
    const QDate date = dt.date();
    const QTime time = dt.time();
    const bool twelveHour = hasDesignator(picture);
    QString out;

    auto token = [&](qsizetype at, qsizetype length, bool designator) {
        if (designator) {
            const Designator d = designatorAt(picture, at);
            out += time.hour() < 12 ? picture.mid(at + d.amAt, d.amLength)
                                    : picture.mid(at + d.pmAt, d.pmLength);
            return;
        }
        const char letter = picture[at].toLower().toLatin1();
        switch (letter) {
        case 'd':
            if (length == 1) out += QString::number(date.day());
            else if (length == 2) out += twoDigits(date.day());
            else if (length == 3) out += english().dayName(date.dayOfWeek(), QLocale::ShortFormat);
            else if (length == 4) out += english().dayName(date.dayOfWeek(), QLocale::LongFormat);
            else if (length == 5) out += shortDate(date);
            else out += longDate(date);
            break;
        case 'm':
            if (length == 1) out += QString::number(date.month());
            else if (length == 2) out += twoDigits(date.month());
            else if (length == 3) out += english().monthName(date.month(), QLocale::ShortFormat);
            else out += english().monthName(date.month(), QLocale::LongFormat);
            break;
        case 'y':
            // yyyy, then yy, then y (day of the year) for what is left over.
            for (qsizetype left = length; left > 0;) {
                if (left >= 4) {
                    out += QString::number(date.year()).rightJustified(4, QLatin1Char('0'));
                    left -= 4;
                } else if (left >= 2) {
                    out += twoDigits(date.year() % 100);
                    left -= 2;
                } else {
                    out += QString::number(date.dayOfYear());
                    left -= 1;
                }
            }
            break;
        case 'q':
            for (qsizetype k = 0; k < length; ++k)
                out += QString::number((date.month() - 1) / 3 + 1);
            break;
        default: {
            const int v = letter == 'h' ? (twelveHour ? hour12(time.hour()) : time.hour())
                        : letter == 'n' ? time.minute()
                                        : time.second();
            // Runs longer than two repeat the field: "hhh" is "hh" then "h".
            for (qsizetype left = length; left > 0; left -= 2)
                out += left >= 2 ? twoDigits(v) : QString::number(v);
            break;
        }
        }
    };
    walkPicture(picture, token, [&](const QString &text) { out += text; });
    return out;
}

// ---- number pictures ----------------------------------------------------

struct NumberToken {
    enum Kind { Zero, Hash, Point, Comma, Literal } kind;
    QString text;
    bool isPlaceholder() const { return kind == Zero || kind == Hash; }
};

std::vector<NumberToken> numberTokens(const QString &picture)
{
    std::vector<NumberToken> tokens;
    qsizetype i = 0;
    while (i < picture.size()) {
        if (takeLiteral(picture, i, [&](const QString &text) { tokens.push_back({NumberToken::Literal, text}); }))
            continue;
        const QChar c = picture[i];
        NumberToken::Kind kind = NumberToken::Literal;
        if (c == QLatin1Char('0')) kind = NumberToken::Zero;
        else if (c == QLatin1Char('#')) kind = NumberToken::Hash;
        else if (c == QLatin1Char('.')) kind = NumberToken::Point;
        else if (c == QLatin1Char(',')) kind = NumberToken::Comma;
        tokens.push_back({kind, QString(c)});
        ++i;
    }
    return tokens;
}

// The magnitude of `x` times 10^`shift` as decimal digits rounded half away
// from zero to `decimals` places. Working from the 15-digit decimal text
// rather than the binary value makes 12.345 round to 12.35, as a user
// expects; shifting the text rather than multiplying the value lets a
// percentage of the largest numbers show instead of overflowing to infinity.
void decimalDigits(double x, int shift, int decimals, std::string &whole, std::string &fraction)
{
    whole.clear();
    fraction.clear();
    x = std::fabs(x);
    if (x != 0.0) {
        char buf[64];
        const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 14);
        const std::string text(buf, res.ptr);
        const std::size_t e = text.find('e');
        const std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
        const char *sign = text.data() + e + 1;
        int exponent = 0;
        std::from_chars(sign + (*sign == '+'), text.data() + text.size(), exponent);
        exponent += shift;
        if (exponent >= 0) {
            std::string all = digits;
            if (int(all.size()) < exponent + 1)
                all.append(std::size_t(exponent + 1) - all.size(), '0');
            whole = all.substr(0, std::size_t(exponent + 1));
            fraction = all.substr(std::size_t(exponent + 1));
        } else {
            fraction = std::string(std::size_t(-exponent - 1), '0') + digits;
        }
    }
    if (int(fraction.size()) > decimals) {
        const bool up = fraction[std::size_t(decimals)] >= '5';
        fraction.resize(std::size_t(decimals));
        if (up) {
            std::string all = whole + fraction;
            int k = int(all.size()) - 1;
            while (k >= 0 && all[std::size_t(k)] == '9')
                all[std::size_t(k--)] = '0';
            if (k >= 0)
                ++all[std::size_t(k)];
            else
                all.insert(all.begin(), '1');
            whole = all.substr(0, all.size() - fraction.size());
            fraction = all.substr(all.size() - fraction.size());
        }
    }
    const std::size_t firstNonZero = whole.find_first_not_of('0');
    whole = firstNonZero == std::string::npos ? std::string() : whole.substr(firstNonZero);
}

QString groupThousands(const QString &digits)
{
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += QLatin1Char(',');
        out += digits[i];
    }
    return out;
}

QString formatNumber(double value, const QString &picture)
{
    std::vector<NumberToken> tokens = numberTokens(picture);
    const int shift = picture.contains(QLatin1Char('%')) ? 2 : 0;

    std::size_t point = tokens.size();
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind == NumberToken::Point) {
            point = i;
            break;
        }
    }

    // Integer side: digits are forced from the leftmost '0' to the point.
    int minWhole = 0;
    int wholePlaceholders = 0;
    bool zeroSeen = false;
    std::size_t firstPlaceholder = point, lastPlaceholder = point;
    for (std::size_t i = 0; i < point; ++i) {
        if (!tokens[i].isPlaceholder())
            continue;
        zeroSeen = zeroSeen || tokens[i].kind == NumberToken::Zero;
        if (zeroSeen)
            ++minWhole;
        if (wholePlaceholders++ == 0)
            firstPlaceholder = i;
        lastPlaceholder = i;
    }
    bool grouping = false;
    for (std::size_t i = firstPlaceholder; i < point && i < lastPlaceholder; ++i)
        grouping = grouping || tokens[i].kind == NumberToken::Comma;

    // Decimal side: at most one digit per placeholder, at least up to the
    // rightmost '0'.
    int maxDecimals = 0;
    int minDecimals = 0;
    for (std::size_t i = point + 1; i < tokens.size(); ++i) {
        if (!tokens[i].isPlaceholder())
            continue;
        ++maxDecimals;
        if (tokens[i].kind == NumberToken::Zero)
            minDecimals = maxDecimals;
    }

    std::string wholeDigits, fractionDigits;
    decimalDigits(value, shift, maxDecimals, wholeDigits, fractionDigits);
    const bool negative = value < 0
        && (wholeDigits.find_first_not_of('0') != std::string::npos
            || fractionDigits.find_first_not_of('0') != std::string::npos);
    QString whole = QString::fromLatin1(wholeDigits.data(), qsizetype(wholeDigits.size()));
    if (whole.size() < minWhole)
        whole = whole.rightJustified(minWhole, QLatin1Char('0'));
    QString fraction = QString::fromLatin1(fractionDigits.data(), qsizetype(fractionDigits.size()));
    while (fraction.size() > minDecimals && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (fraction.size() < minDecimals)
        fraction = fraction.leftJustified(minDecimals, QLatin1Char('0'));

    QString out;
    if (grouping) {
        for (std::size_t i = 0; i < firstPlaceholder; ++i)
            out += tokens[i].text;
        out += groupThousands(whole);
        for (std::size_t i = lastPlaceholder + 1; i < point; ++i)
            out += tokens[i].text;
    } else {
        // Right to left: each placeholder takes one digit, the leftmost takes
        // whatever is left over.
        QString side;
        qsizetype remaining = whole.size();
        for (std::size_t i = point; i-- > 0;) {
            if (!tokens[i].isPlaceholder()) {
                side.prepend(tokens[i].text);
            } else if (i == firstPlaceholder) {
                side.prepend(whole.left(remaining));
                remaining = 0;
            } else if (remaining > 0) {
                side.prepend(whole[--remaining]);
            }
        }
        if (wholePlaceholders == 0)
            side += whole;
        out += side;
    }

    if (point < tokens.size()) {
        out += QLatin1Char('.');
        qsizetype next = 0;
        for (std::size_t i = point + 1; i < tokens.size(); ++i) {
            if (!tokens[i].isPlaceholder())
                out += tokens[i].text;
            else if (next < fraction.size())
                out += fraction[next++];
        }
    }
    return negative ? QLatin1Char('-') + out : out;
}

// A value as a date for a date picture: text that reads as neither a date
// nor a number has no date.
std::optional<DateTime> asDate(const Value &v)
{
    if (v.type() == VType::String) {
        const QString s = v.toString();
        if (const auto dt = parseDateTime(s))
            return dt;
        if (const auto d = parseNumber(s))
            return DateTime(*d);
        return std::nullopt;
    }
    return v.toDate();
}

} // namespace

QString generalDate(const DateTime &dt)
{
    if (!dt.hasDate())
        return longTime(dt.time());
    if (!dt.hasTime())
        return shortDate(dt.date());
    return shortDate(dt.date()) + QLatin1Char(' ') + longTime(dt.time());
}

QString format(const Value &v, const QString &picture)
{
    if (v.isNull() || v.isEmpty())
        return QString();
    if (picture.isEmpty())
        return v.toString();

    const QString named = picture.trimmed().toLower();
    if (named == QLatin1String("general date") || named == QLatin1String("short date")
        || named == QLatin1String("long date") || named == QLatin1String("long time")
        || named == QLatin1String("short time")) {
        const std::optional<DateTime> dt = asDate(v);
        if (!dt)
            return v.toString();
        if (named == QLatin1String("general date"))
            return generalDate(*dt);
        if (named == QLatin1String("short date"))
            return shortDate(dt->date());
        if (named == QLatin1String("long date"))
            return longDate(dt->date());
        if (named == QLatin1String("long time"))
            return longTime(dt->time());
        return formatDate(*dt, QStringLiteral("hh:nn"));
    }

    if (isDatePicture(picture)) {
        const std::optional<DateTime> dt = asDate(v);
        return dt ? formatDate(*dt, picture) : v.toString();
    }

    double number = 0.0;
    if (v.type() == VType::String) {
        const std::optional<double> d = parseNumber(v.toString());
        if (!d)
            return v.toString();
        number = *d;
    } else {
        number = v.toDouble();
    }
    if (!std::isfinite(number))
        return v.toString();
    return formatNumber(number, picture);
}

} // namespace rt
