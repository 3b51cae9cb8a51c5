#include "runtime/DateTime.h"
#include "runtime/Error.h"
#include "support/ErrorNumber.h"

#include <gtest/gtest.h>

#include <functional>

using rt::DateTime;
using rt::Interval;
using rt::dateDiff;
using testing_support::errorNumber;

namespace {

DateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return DateTime::fromParts(y, mo, d, h, mi, s);
}

} // namespace

TEST(DateTimeSerial, EpochAndWholeDays)
{
    EXPECT_EQ(at(1899, 12, 30).serial(), 0.0);
    EXPECT_EQ(at(1900, 1, 1).serial(), 2.0);
    EXPECT_EQ(at(2026, 12, 9, 18, 0, 0).serial(), 46365.75);
    EXPECT_EQ(DateTime(46365.75).date(), QDate(2026, 12, 9));
    EXPECT_EQ(DateTime(46365.75).time(), QTime(18, 0));
}

TEST(DateTimeSerial, NegativeSerialKeepsTimeAsAbsoluteFraction)
{
    const DateTime dt(-1.25);
    EXPECT_EQ(dt.date(), QDate(1899, 12, 29));
    EXPECT_EQ(dt.time(), QTime(6, 0));
    EXPECT_EQ(at(1899, 12, 29, 6).serial(), -1.25);
    // Six hours after 29 Dec 06:00 is still 29 Dec, not a step towards zero.
    EXPECT_EQ(dt.addSeconds(6 * 3600).serial(), -1.5);
    EXPECT_EQ(dt.addSeconds(18 * 3600).serial(), 0.0);
    // A fraction alone before the epoch is that time with no date.
    EXPECT_EQ(DateTime(-0.5), DateTime(0.5));
    EXPECT_FALSE(DateTime(-0.5).hasDate());
}

TEST(DateTimeSerial, HeldToTheNearestSecond)
{
    const double second = 1.0 / 86400.0;
    EXPECT_EQ(DateTime(10 * second + 0.4 * second).totalSeconds(), 10);
    EXPECT_EQ(DateTime(10 * second + 0.6 * second).totalSeconds(), 11);
    EXPECT_EQ(DateTime(1.0 - 0.2 * second), DateTime(1.0));
    EXPECT_EQ(DateTime::fromTime(QTime(7, 5, 9, 600)).time(), QTime(7, 5, 10));
}

TEST(DateTimeSerial, PartsAndCarry)
{
    const DateTime dt = at(2026, 12, 9, 7, 5, 9);
    EXPECT_TRUE(dt.hasDate());
    EXPECT_TRUE(dt.hasTime());
    EXPECT_EQ(dt.datePart(), at(2026, 12, 9));
    EXPECT_FALSE(dt.timePart().hasDate());
    EXPECT_EQ(dt.timePart().time(), QTime(7, 5, 9));
    EXPECT_FALSE(at(2026, 12, 9).hasTime());

    EXPECT_EQ(at(2026, 13, 1), at(2027, 1, 1));
    EXPECT_EQ(at(2026, 2, 29), at(2026, 3, 1));
    EXPECT_EQ(at(2026, 1, 1, 24, 0, 0), at(2026, 1, 2));
    EXPECT_EQ(DateTime::fromQDateTime(QDateTime(QDate(2026, 12, 9), QTime(7, 5, 9))), dt);
    EXPECT_EQ(dt.toQDateTime(), QDateTime(QDate(2026, 12, 9), QTime(7, 5, 9)));
}

TEST(DateTimeSerial, OutOfRangeIsRefused)
{
    EXPECT_EQ(errorNumber([] { (void)DateTime(3e6); }), rt::err::Overflow);
    EXPECT_EQ(errorNumber([] { (void)DateTime(-7e5); }), rt::err::Overflow);
    EXPECT_EQ(errorNumber([] { at(10000, 1, 1); }), rt::err::InvalidProcedureCall);
    EXPECT_EQ(errorNumber([] { DateTime::fromDate(QDate()); }), rt::err::InvalidProcedureCall);
    EXPECT_EQ(DateTime(2958465.5).date(), QDate(9999, 12, 31));
}

TEST(DateDiff, MinutesCountBoundariesNotElapsedTime)
{
    EXPECT_EQ(dateDiff(Interval::Minute, at(2026, 1, 5, 10, 0, 59), at(2026, 1, 5, 10, 1, 0)), 1);
    EXPECT_EQ(dateDiff(Interval::Minute, at(2026, 1, 5, 10, 0, 0), at(2026, 1, 5, 10, 0, 59)), 0);
    EXPECT_EQ(dateDiff(Interval::Minute, at(2026, 1, 5, 10, 0, 30), at(2026, 1, 5, 12, 5, 10)), 125);
    EXPECT_EQ(dateDiff(Interval::Minute, at(2026, 1, 5, 10, 1, 0), at(2026, 1, 5, 10, 0, 59)), -1);
    EXPECT_EQ(dateDiff(Interval::Hour, at(2026, 1, 5, 10, 59, 59), at(2026, 1, 5, 11, 0, 0)), 1);
    EXPECT_EQ(dateDiff(Interval::Second, at(2026, 1, 5, 10, 0, 0), at(2026, 1, 5, 10, 1, 1)), 61);
}

TEST(DateDiff, AcrossMidnight)
{
    const DateTime before = at(2026, 3, 1, 23, 59, 30);
    const DateTime after = at(2026, 3, 2, 0, 0, 10);
    EXPECT_EQ(dateDiff(Interval::Minute, before, after), 1);
    EXPECT_EQ(dateDiff(Interval::Hour, before, after), 1);
    EXPECT_EQ(dateDiff(Interval::Day, before, after), 1);
    EXPECT_EQ(dateDiff(Interval::Second, before, after), 40);
    EXPECT_EQ(dateDiff(Interval::Day, at(2026, 3, 2, 0, 0, 0), at(2026, 3, 2, 23, 59, 59)), 0);
}

TEST(DateDiff, MonthsAndYearsByCalendar)
{
    EXPECT_EQ(dateDiff(Interval::Month, at(2026, 1, 31), at(2026, 2, 1)), 1);
    EXPECT_EQ(dateDiff(Interval::Month, at(2025, 12, 31, 23, 59, 59), at(2026, 1, 1)), 1);
    EXPECT_EQ(dateDiff(Interval::Month, at(2026, 1, 1), at(2026, 1, 31, 23, 59, 59)), 0);
    EXPECT_EQ(dateDiff(Interval::Month, at(2026, 3, 15), at(2025, 11, 15)), -4);
    EXPECT_EQ(dateDiff(Interval::Year, at(2025, 12, 31), at(2026, 1, 1)), 1);
    EXPECT_EQ(dateDiff(Interval::Year, at(2026, 1, 1), at(2026, 12, 31)), 0);
}

TEST(DateDiff, BeforeTheEpoch)
{
    // 29 Dec 06:00 to 30 Dec 00:01 on the continuous time line.
    EXPECT_EQ(dateDiff(Interval::Minute, DateTime(-1.25), at(1899, 12, 30, 0, 1)), 18 * 60 + 1);
    EXPECT_EQ(dateDiff(Interval::Day, DateTime(-1.25), DateTime(0.5)), 1);
}
