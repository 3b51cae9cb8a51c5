#include "runtime/Format.h"

#include <gtest/gtest.h>

using rt::DateTime;
using rt::Value;
using rt::format;
using rt::generalDate;

namespace {

Value dateValue(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return Value(DateTime::fromParts(y, mo, d, h, mi, s));
}

Value clock(int h, int mi, int s = 0)
{
    return Value(DateTime::fromTime(QTime(h, mi, s)));
}

} // namespace

TEST(GeneralDate, DateTimeOrEitherAlone)
{
    EXPECT_EQ(generalDate(DateTime::fromParts(2026, 12, 9, 7, 5, 9)), "12/9/2026 7:05:09 AM");
    EXPECT_EQ(generalDate(DateTime::fromParts(2026, 12, 9, 19, 5, 9)), "12/9/2026 7:05:09 PM");
    EXPECT_EQ(generalDate(DateTime::fromParts(2026, 12, 9)), "12/9/2026");
    EXPECT_EQ(generalDate(DateTime::fromTime(QTime(7, 5, 9))), "7:05:09 AM");
    EXPECT_EQ(generalDate(DateTime::fromTime(QTime(12, 0, 0))), "12:00:00 PM");
    EXPECT_EQ(generalDate(DateTime()), "12:00:00 AM");
    EXPECT_EQ(generalDate(DateTime::fromParts(2026, 1, 5, 0, 0, 1)), "1/5/2026 12:00:01 AM");
}

TEST(DatePicture, TimesOfDay)
{
    EXPECT_EQ(format(clock(18, 5), "hh:nn ampm"), "06:05 pm");
    EXPECT_EQ(format(clock(18, 5), "hh:nn AMPM"), "06:05 PM");
    EXPECT_EQ(format(clock(9, 5), "hh:nn AM/PM"), "09:05 AM");
    EXPECT_EQ(format(clock(0, 30), "hh:nn am/pm"), "12:30 am");
    EXPECT_EQ(format(clock(12, 30), "h:nn ampm"), "12:30 pm");
    EXPECT_EQ(format(clock(18, 5), "hh:nn:ss"), "18:05:00");
    EXPECT_EQ(format(clock(7, 5, 9), "h:n:s"), "7:5:9");
    // 12-hour hours wherever the designator stands.
    EXPECT_EQ(format(clock(18, 5), "AMPM hh"), "PM 06");
}

TEST(DatePicture, CalendarFields)
{
    const Value d = dateValue(2026, 12, 9, 18, 5);
    EXPECT_EQ(format(d, "mmm dd yyyy"), "Dec 09 2026");
    EXPECT_EQ(format(dateValue(2001, 1, 5), "mmm dd yyyy"), "Jan 05 2001");
    EXPECT_EQ(format(d, "dd"), "09");
    EXPECT_EQ(format(d, "mm"), "12");
    EXPECT_EQ(format(dateValue(2026, 5, 1), "mm"), "05");
    EXPECT_EQ(format(d, "yyyy"), "2026");
    EXPECT_EQ(format(d, "d/m/yy"), "9/12/26");
    EXPECT_EQ(format(d, "dddd, mmmm d"), "Wednesday, December 9");
    EXPECT_EQ(format(d, "DDD MMM"), "Wed Dec");
    EXPECT_EQ(format(d, "dd \"at\" hh\\h"), "09 at 18h");
}

TEST(DatePicture, AQuoteLeftOpenRunsToTheEndABackslashThereIsDropped)
{
    EXPECT_EQ(format(dateValue(2026, 12, 9), "yyyy \"d m"), "2026 d m");
    EXPECT_EQ(format(dateValue(2026, 12, 9), "yyyy\\"), "2026");
}

TEST(DatePicture, TextIsReadAsADateFirst)
{
    EXPECT_EQ(format(Value("6:00 am"), "hh:nn ampm"), "06:00 am");
    EXPECT_EQ(format(Value(" 18:30 "), "hh:nn AMPM"), "06:30 PM");
    EXPECT_EQ(format(Value("Dec 9 2026"), "mm/dd/yyyy"), "12/09/2026");
    EXPECT_EQ(format(Value("soon"), "hh:nn"), "soon");
    EXPECT_EQ(format(Value(0.75), "hh:nn"), "18:00");
}

TEST(NumberPicture, CostPictures)
{
    EXPECT_EQ(format(Value(3.5), "0#.#0"), "03.50");
    EXPECT_EQ(format(Value(12.345), "0#.#0"), "12.35");
    EXPECT_EQ(format(Value(0), "0#.#0"), "00.00");
    EXPECT_EQ(format(Value(0.25), "0#.#0"), "00.25");
    EXPECT_EQ(format(Value(9.999), "0#.#0"), "10.00");
    EXPECT_EQ(format(Value(3.5), "##.##"), "3.5");
    EXPECT_EQ(format(Value(3), "##.##"), "3.");
    EXPECT_EQ(format(Value(0), "##.##"), ".");
    EXPECT_EQ(format(Value(0.25), "##.##"), ".25");
    EXPECT_EQ(format(Value(123.5), "####.##"), "123.5");
    EXPECT_EQ(format(Value(0.0), "####.##"), ".");
    EXPECT_EQ(format(Value(3.5), "0##.#0"), "003.50");
    EXPECT_EQ(format(Value(5.5), "0##.#0"), "005.50");
    EXPECT_EQ(format(Value(1234.5), "0##.#0"), "1234.50");
}

TEST(NumberPicture, WholeDigitsAndRounding)
{
    EXPECT_EQ(format(Value(5), "0#"), "05");
    EXPECT_EQ(format(Value(123), "0#"), "123");
    EXPECT_EQ(format(Value(2.5), "0#"), "03");
    EXPECT_EQ(format(Value(0.125), "0.00"), "0.13");
    EXPECT_EQ(format(Value(2.675), "0.00"), "2.68");
    EXPECT_EQ(format(Value(-3.5), "0#.#0"), "-03.50");
    EXPECT_EQ(format(Value(-0.001), "0.00"), "0.00");
    EXPECT_EQ(format(Value(1e20), "0"), "100000000000000000000");
    EXPECT_EQ(format(Value(1234567.891), "#,##0.00"), "1,234,567.89");
    EXPECT_EQ(format(Value(5), "$0.00"), "$5.00");
}

TEST(NumberPicture, QuotedTextAndEscapedCharactersStandForThemselves)
{
    // Letters that would make it a date picture, quoted or escaped.
    EXPECT_EQ(format(Value(1234.5), "#,##0.00 \"hrs\""), "1,234.50 hrs");
    EXPECT_EQ(format(Value(5), "\\h0"), "h5");
    // A quote left open runs to the end; a backslash at the end is dropped.
    EXPECT_EQ(format(Value(5), "0 \"min"), "5 min");
    EXPECT_EQ(format(Value(5), "0\\"), "5");
}

TEST(NumberPicture, OtherValues)
{
    EXPECT_EQ(format(Value("3.5"), "0#.#0"), "03.50");
    EXPECT_EQ(format(Value("n/a"), "0#.#0"), "n/a");
    EXPECT_EQ(format(Value(rt::Currency::fromDouble(12.5)), "##.##"), "12.5");
    EXPECT_EQ(format(Value::null(), "0#.#0"), "");
    EXPECT_EQ(format(Value(), "0#.#0"), "");
    EXPECT_EQ(format(Value::null(), "hh:nn"), "");
    EXPECT_EQ(format(Value(2.5), ""), "2.5");
}

TEST(NumberPicture, PercentShowsAHundredTimesTheValueEvenAtTheTopOfTheRange)
{
    EXPECT_EQ(format(Value(0.125), "0.0%"), "12.5%");
    EXPECT_EQ(format(Value(1e308), "0%"), "1" + QString(310, QLatin1Char('0')) + "%");
    EXPECT_EQ(format(Value(-1.7976931348623157e308), "#%"), "-179769313486232" + QString(296, QLatin1Char('0')) + "%");
}
