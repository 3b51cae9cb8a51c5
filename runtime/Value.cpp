#include "runtime/Value.h"

#include "runtime/Error.h"
#include "runtime/Format.h"
#include "runtime/Parse.h"

#include <charconv>
#include <cmath>

namespace rt {

namespace {

constexpr qint64 CurrencyScale = 10000;
constexpr qint64 CurrencyMaxWhole = 922337203685477;
// 2^63: the first double a scaled currency cannot hold.
constexpr double CurrencyLimit = 9223372036854775808.0;

// Ties go to the even neighbour, so halves do not pile up in one direction
// when many values are rounded.
double roundHalfEven(double x)
{
    const double r = std::round(x);
    if (std::fabs(x - std::trunc(x)) == 0.5)
        return 2.0 * std::round(x / 2.0);
    return r;
}

qint64 roundedToLong(double x)
{
    if (!std::isfinite(x))
        err::overflow();
    const double r = roundHalfEven(x);
    if (r < -2147483648.0 || r > 2147483647.0)
        err::overflow();
    return qint64(r);
}

qint64 checkedLong(qint64 i)
{
    if (i < -2147483648LL || i > 2147483647LL)
        err::overflow();
    return i;
}

qint64 currencyToLong(Currency c)
{
    qint64 whole = c.scaled / CurrencyScale;
    const qint64 rest = c.scaled % CurrencyScale;   // same sign as scaled
    const qint64 twice = 2 * (rest < 0 ? -rest : rest);
    if (twice > CurrencyScale || (twice == CurrencyScale && (whole % 2 != 0)))
        whole += rest < 0 ? -1 : 1;
    return checkedLong(whole);
}

Currency currencyFromLong(qint64 i)
{
    if (i > CurrencyMaxWhole || i < -CurrencyMaxWhole)
        err::overflow();
    return Currency{i * CurrencyScale};
}

double textToDouble(const QString &s)
{
    const std::optional<double> d = parseNumber(s);
    if (!d)
        err::typeMismatch();
    return *d;
}

// Up to 15 significant digits, trailing zeros dropped, and exponent form
// only for very large or very small magnitudes ("1E+20", "1E-05").
QString doubleText(double d)
{
    if (d == 0.0)
        return QStringLiteral("0");
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::general, 15);
    QString text = QString::fromLatin1(buf, int(res.ptr - buf));
    return text.toUpper();
}

QString currencyText(Currency c)
{
    const bool negative = c.scaled < 0;
    // Work on the unsigned magnitude: the most negative value has no
    // positive counterpart in qint64.
    const quint64 magnitude = negative ? quint64(0) - quint64(c.scaled) : quint64(c.scaled);
    QString text = QString::number(magnitude / CurrencyScale);
    quint64 fraction = magnitude % CurrencyScale;
    if (fraction != 0) {
        QString digits = QString::number(fraction).rightJustified(4, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    return negative ? QLatin1Char('-') + text : text;
}

std::optional<bool> boolWord(const QString &s)
{
    const QString t = s.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

bool isWholeKind(VType t)
{
    return t == VType::Empty || t == VType::Boolean || t == VType::Integer;
}

} // namespace

Currency Currency::fromDouble(double v)
{
    const double scaled = roundHalfEven(v * double(CurrencyScale));
    if (!std::isfinite(scaled) || !(std::fabs(scaled) < CurrencyLimit))
        err::overflow();
    return Currency{qint64(scaled)};
}

Value Value::null()
{
    return Value(NullTag{});
}

VType Value::type() const
{
    switch (m_v.index()) {
    case 0: return VType::Empty;
    case 1: return VType::Null;
    case 2: return VType::Boolean;
    case 3: return VType::Integer;
    case 4: return VType::Double;
    case 5: return VType::Currency;
    case 6: return VType::String;
    default: return VType::Date;
    }
}

bool Value::isNumeric() const
{
    switch (type()) {
    case VType::Empty:
    case VType::Boolean:
    case VType::Integer:
    case VType::Double:
    case VType::Currency:
        return true;
    default:
        return false;
    }
}

qint64 Value::wholeNumber() const
{
    switch (type()) {
    case VType::Empty: return 0;
    case VType::Boolean: return std::get<bool>(m_v) ? -1 : 0;
    case VType::Integer: return std::get<qint64>(m_v);
    default: err::typeMismatch();
    }
}

bool Value::toBool() const
{
    switch (type()) {
    case VType::Empty: return false;
    case VType::Null: err::invalidUseOfNull();
    case VType::Boolean: return std::get<bool>(m_v);
    case VType::Integer: return std::get<qint64>(m_v) != 0;
    case VType::Double: return std::get<double>(m_v) != 0.0;
    case VType::Currency: return std::get<Currency>(m_v).scaled != 0;
    case VType::Date: return std::get<DateTime>(m_v).totalSeconds() != 0;
    case VType::String: {
        const QString &s = std::get<QString>(m_v);
        if (const auto b = boolWord(s))
            return *b;
        return textToDouble(s) != 0.0;
    }
    }
    err::typeMismatch();
}

qint64 Value::toLong() const
{
    switch (type()) {
    case VType::Empty:
    case VType::Boolean:
    case VType::Integer:
        return checkedLong(wholeNumber());
    case VType::Null: err::invalidUseOfNull();
    case VType::Currency: return currencyToLong(std::get<Currency>(m_v));
    case VType::Double: return roundedToLong(std::get<double>(m_v));
    case VType::Date: return roundedToLong(std::get<DateTime>(m_v).serial());
    case VType::String: return roundedToLong(textToDouble(std::get<QString>(m_v)));
    }
    err::typeMismatch();
}

int Value::toInt() const
{
    const qint64 l = toLong();
    if (l < -32768 || l > 32767)
        err::overflow();
    return int(l);
}

double Value::toDouble() const
{
    switch (type()) {
    case VType::Empty:
    case VType::Boolean:
    case VType::Integer:
        return double(wholeNumber());
    case VType::Null: err::invalidUseOfNull();
    case VType::Double: return std::get<double>(m_v);
    case VType::Currency: return std::get<Currency>(m_v).toDouble();
    case VType::Date: return std::get<DateTime>(m_v).serial();
    case VType::String: return textToDouble(std::get<QString>(m_v));
    }
    err::typeMismatch();
}

Currency Value::toCurrency() const
{
    switch (type()) {
    case VType::Empty:
    case VType::Boolean:
    case VType::Integer:
        return currencyFromLong(wholeNumber());
    case VType::Null: err::invalidUseOfNull();
    case VType::Currency: return std::get<Currency>(m_v);
    case VType::Double: return Currency::fromDouble(std::get<double>(m_v));
    case VType::Date: return Currency::fromDouble(std::get<DateTime>(m_v).serial());
    case VType::String: return Currency::fromDouble(textToDouble(std::get<QString>(m_v)));
    }
    err::typeMismatch();
}

QString Value::toString() const
{
    switch (type()) {
    case VType::Empty: return QString();
    case VType::Null: err::invalidUseOfNull();
    case VType::Boolean: return std::get<bool>(m_v) ? QStringLiteral("True") : QStringLiteral("False");
    case VType::Integer: return QString::number(std::get<qint64>(m_v));
    case VType::Double: return doubleText(std::get<double>(m_v));
    case VType::Currency: return currencyText(std::get<Currency>(m_v));
    case VType::String: return std::get<QString>(m_v);
    case VType::Date: return generalDate(std::get<DateTime>(m_v));
    }
    err::typeMismatch();
}

DateTime Value::toDate() const
{
    switch (type()) {
    case VType::Null: err::invalidUseOfNull();
    case VType::Date: return std::get<DateTime>(m_v);
    case VType::String: {
        const std::optional<DateTime> dt = parseDateTime(std::get<QString>(m_v));
        if (!dt)
            err::typeMismatch();
        return *dt;
    }
    default:
        return DateTime(toDouble());
    }
}

bool Value::equals(const Value &other) const
{
    const VType ta = type();
    const VType tb = other.type();
    if (ta == VType::Null || tb == VType::Null)
        return false;

    if (ta == VType::String && tb == VType::String)
        return std::get<QString>(m_v) == std::get<QString>(other.m_v);

    // Never assigned compares as "" against text and as 0 against the rest.
    if (ta == VType::Empty && tb == VType::String)
        return std::get<QString>(other.m_v).isEmpty();
    if (tb == VType::Empty && ta == VType::String)
        return std::get<QString>(m_v).isEmpty();

    if (ta == VType::String || tb == VType::String) {
        const Value &text = ta == VType::String ? *this : other;
        const Value &rest = ta == VType::String ? other : *this;
        const QString &s = std::get<QString>(text.m_v);
        if (rest.type() == VType::Date) {
            const std::optional<DateTime> dt = parseDateTime(s);
            if (dt)
                return *dt == std::get<DateTime>(rest.m_v);
        }
        if (rest.type() == VType::Boolean) {
            if (const auto b = boolWord(s))
                return *b == std::get<bool>(rest.m_v);
        }
        const std::optional<double> d = parseNumber(s);
        return d && *d == rest.toDouble();
    }

    if (ta == VType::Date && tb == VType::Date)
        return std::get<DateTime>(m_v) == std::get<DateTime>(other.m_v);
    if (ta == VType::Date || tb == VType::Date)
        return toDouble() == other.toDouble();

    // Whole numbers and money compare exactly; anything with a Double in it
    // compares as doubles.
    const bool wholeA = isWholeKind(ta);
    const bool wholeB = isWholeKind(tb);
    if (wholeA && wholeB)
        return wholeNumber() == other.wholeNumber();
    if ((wholeA || ta == VType::Currency) && (wholeB || tb == VType::Currency)) {
        if (ta == tb)
            return std::get<Currency>(m_v) == std::get<Currency>(other.m_v);
        const qint64 money = std::get<Currency>(ta == VType::Currency ? m_v : other.m_v).scaled;
        const qint64 whole = ta == VType::Currency ? other.wholeNumber() : wholeNumber();
        return whole >= -CurrencyMaxWhole && whole <= CurrencyMaxWhole && whole * CurrencyScale == money;
    }
    return toDouble() == other.toDouble();
}

bool operator==(const Value &a, const Value &b)
{
    return a.m_v == b.m_v;
}

} // namespace rt
