#include "runtime/DateTime.h"

#include "runtime/Error.h"

#include <cmath>

namespace rt {

namespace {

constexpr qint64 SecondsPerDay = 86400;

// Years 100 to 9999, the range the serial has always covered.
constexpr qint64 FirstDay = -657434;    // 1 Jan 100
constexpr qint64 LastDay = 2958465;     // 31 Dec 9999
constexpr qint64 FirstSecond = FirstDay * SecondsPerDay;
constexpr qint64 LastSecond = (LastDay + 1) * SecondsPerDay - 1;

const QDate &epoch()
{
    static const QDate d(1899, 12, 30);
    return d;
}

qint64 floorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

void checkRange(qint64 seconds)
{
    if (seconds < FirstSecond || seconds > LastSecond)
        err::overflow();
}

// Day number and second of that day on a continuous time line, whatever the
// sign of the serial.
struct Split {
    qint64 day;
    qint64 second;
};

Split split(qint64 totalSeconds)
{
    const qint64 day = floorDiv(totalSeconds, SecondsPerDay);
    return {day, totalSeconds - day * SecondsPerDay};
}

qint64 secondsOf(const QTime &time)
{
    if (!time.isValid())
        err::invalidProcedureCall();
    return (qint64(time.msecsSinceStartOfDay()) + 500) / 1000;
}

qint64 daysOf(const QDate &date)
{
    if (!date.isValid())
        err::invalidProcedureCall();
    return epoch().daysTo(date);
}

} // namespace

DateTime::DateTime(double serial)
{
    if (!std::isfinite(serial) || serial <= double(FirstDay - 1) || serial >= double(LastDay + 1))
        err::overflow();
    // The serial's integer part is the date; its fraction, whatever the sign,
    // is the time of day after that date's midnight.
    const double days = std::trunc(serial);
    const qint64 seconds = std::llround(std::fabs(serial - days) * double(SecondsPerDay));
    *this = fromTotalSeconds(qint64(days) * SecondsPerDay + seconds);
}

DateTime DateTime::fromParts(int year, int month, int day, int hour, int minute, int second)
{
    // Out-of-range parts carry over, as in "month 13" being January of the
    // next year, so callers can step through the calendar by arithmetic.
    const qint64 months = qint64(year) * 12 + (month - 1);
    const QDate first(int(floorDiv(months, 12)), int(months - floorDiv(months, 12) * 12) + 1, 1);
    if (!first.isValid() || first.year() < 100 || first.year() > 9999)
        err::invalidProcedureCall();
    const qint64 days = epoch().daysTo(first) + (day - 1);
    const qint64 total = days * SecondsPerDay + qint64(hour) * 3600 + qint64(minute) * 60 + second;
    if (total < FirstSecond || total > LastSecond)
        err::invalidProcedureCall();
    return fromTotalSeconds(total);
}

DateTime DateTime::fromDate(const QDate &date)
{
    return fromTotalSeconds(daysOf(date) * SecondsPerDay);
}

DateTime DateTime::fromTime(const QTime &time)
{
    return fromTotalSeconds(secondsOf(time));
}

DateTime DateTime::fromQDateTime(const QDateTime &dt)
{
    if (!dt.isValid())
        err::invalidProcedureCall();
    return fromTotalSeconds(daysOf(dt.date()) * SecondsPerDay + secondsOf(dt.time()));
}

QDate DateTime::date() const
{
    return epoch().addDays(split(totalSeconds()).day);
}

QTime DateTime::time() const
{
    return QTime(0, 0).addSecs(int(split(totalSeconds()).second));
}

QDateTime DateTime::toQDateTime() const
{
    return QDateTime(date(), time());
}

DateTime DateTime::datePart() const
{
    return fromTotalSeconds(split(totalSeconds()).day * SecondsPerDay);
}

DateTime DateTime::timePart() const
{
    return fromTotalSeconds(split(totalSeconds()).second);
}

bool DateTime::hasDate() const
{
    return split(totalSeconds()).day != 0;
}

bool DateTime::hasTime() const
{
    return split(totalSeconds()).second != 0;
}

qint64 DateTime::totalSeconds() const
{
    const double days = std::trunc(m_serial);
    const qint64 seconds = std::llround(std::fabs(m_serial - days) * double(SecondsPerDay));
    return qint64(days) * SecondsPerDay + seconds;
}

DateTime DateTime::fromTotalSeconds(qint64 seconds)
{
    checkRange(seconds);
    const Split s = split(seconds);
    const double fraction = double(s.second) / double(SecondsPerDay);
    DateTime dt;
    // Before the epoch the fraction still counts forward from midnight, so it
    // is subtracted from the (negative) day number.
    dt.m_serial = s.day >= 0 ? double(s.day) + fraction : double(s.day) - fraction;
    return dt;
}

DateTime DateTime::addSeconds(qint64 seconds) const
{
    return fromTotalSeconds(totalSeconds() + seconds);
}

qint64 dateDiff(Interval interval, const DateTime &from, const DateTime &to)
{
    const qint64 a = from.totalSeconds();
    const qint64 b = to.totalSeconds();
    switch (interval) {
    case Interval::Second:
        return b - a;
    case Interval::Minute:
        return floorDiv(b, 60) - floorDiv(a, 60);
    case Interval::Hour:
        return floorDiv(b, 3600) - floorDiv(a, 3600);
    case Interval::Day:
        return split(b).day - split(a).day;
    case Interval::Month: {
        const QDate d1 = from.date();
        const QDate d2 = to.date();
        return (qint64(d2.year()) * 12 + d2.month()) - (qint64(d1.year()) * 12 + d1.month());
    }
    case Interval::Year:
        return qint64(to.date().year()) - from.date().year();
    }
    err::invalidProcedureCall();
}

} // namespace rt
