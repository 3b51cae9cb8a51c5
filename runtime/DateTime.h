#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QtGlobal>

namespace rt {

// A date-time as a day serial: whole days since 30 Dec 1899 plus the time as
// a fraction of a day. Serial 0 is "no date" (a time of day alone); negative
// serials keep the time as the absolute value of the fraction, so -1.25 is
// 29 Dec 1899 06:00. Held to the whole second.
class DateTime {
public:
    DateTime() = default;
    explicit DateTime(double serial);   // Overflow outside the years 100 to 9999

    // Parts out of range carry over (month 13 is January of the next year).
    // These raise Invalid procedure call for an invalid QDate/QTime or a
    // result outside the years 100 to 9999.
    static DateTime fromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    static DateTime fromDate(const QDate &date);
    static DateTime fromTime(const QTime &time);   // date part 0
    static DateTime fromQDateTime(const QDateTime &dt);

    double serial() const { return m_serial; }
    QDate date() const;           // 30 Dec 1899 for a time alone
    QTime time() const;           // to the second
    QDateTime toQDateTime() const;

    DateTime datePart() const;    // time cut off
    DateTime timePart() const;    // date part 0
    bool hasDate() const;         // date part is not 0
    bool hasTime() const;         // time part is not 0

    // Whole seconds since the epoch of the serial, for exact arithmetic.
    qint64 totalSeconds() const;
    static DateTime fromTotalSeconds(qint64 seconds);
    DateTime addSeconds(qint64 seconds) const;

    friend bool operator==(const DateTime &a, const DateTime &b) { return a.totalSeconds() == b.totalSeconds(); }
    friend bool operator<(const DateTime &a, const DateTime &b) { return a.totalSeconds() < b.totalSeconds(); }

private:
    double m_serial = 0.0;
};

// Calendar boundaries crossed going from `from` to `to` (negative when `to` is
// earlier): 10:00:59 to 10:01:00 is one minute, 10:00:00 to 10:00:59 none;
// 31 Jan to 1 Feb is one month.
enum class Interval { Second, Minute, Hour, Day, Month, Year };
qint64 dateDiff(Interval interval, const DateTime &from, const DateTime &to);

} // namespace rt
