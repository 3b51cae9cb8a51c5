#include "runtime/Parse.h"

#include <gtest/gtest.h>

using rt::DateTime;
using rt::leadingNumber;
using rt::parseDateTime;
using rt::parseNumber;

TEST(LeadingNumber, ReadsWhatStartsTheText)
{
    EXPECT_EQ(leadingNumber("  12abc"), 12.0);
    EXPECT_EQ(leadingNumber(""), 0.0);
    EXPECT_EQ(leadingNumber("abc"), 0.0);
    EXPECT_EQ(leadingNumber("-3.5x"), -3.5);
    EXPECT_EQ(leadingNumber("1e3"), 1000.0);
    EXPECT_EQ(leadingNumber("3.5e2x"), 350.0);
    EXPECT_EQ(leadingNumber("1D2"), 100.0);
    EXPECT_EQ(leadingNumber("  12 5abc"), 125.0);
    EXPECT_EQ(leadingNumber("\t05"), 5.0);
    EXPECT_EQ(leadingNumber(".5"), 0.5);
    EXPECT_EQ(leadingNumber("1.2.3"), 1.2);
    EXPECT_EQ(leadingNumber("3e"), 3.0);
    EXPECT_EQ(leadingNumber("3e-x"), 3.0);
    EXPECT_EQ(leadingNumber("--5"), 0.0);
    EXPECT_EQ(leadingNumber("All Days"), 0.0);
}

TEST(LeadingNumber, RadixPrefixes)
{
    EXPECT_EQ(leadingNumber("&H1F"), 31.0);
    EXPECT_EQ(leadingNumber("&h1fz"), 31.0);
    EXPECT_EQ(leadingNumber("&O17"), 15.0);
    EXPECT_EQ(leadingNumber("&HFFFF"), -1.0);
    EXPECT_EQ(leadingNumber("&H10000"), 65536.0);
}

TEST(ParseNumber, WholeTextMustBeANumber)
{
    EXPECT_EQ(parseNumber(" 12 "), 12.0);
    EXPECT_EQ(parseNumber("-3.5"), -3.5);
    EXPECT_EQ(parseNumber("+.5"), 0.5);
    EXPECT_EQ(parseNumber("5."), 5.0);
    EXPECT_EQ(parseNumber("1e3"), 1000.0);
    EXPECT_EQ(parseNumber("2.5E-1"), 0.25);
    EXPECT_EQ(parseNumber("&H1F"), 31.0);
    for (const char *text : {"", "   ", "12abc", "1 2", ".", "-", "1e", "1e+", "abc", "1,000", "--1", "6:00"})
        EXPECT_FALSE(parseNumber(text).has_value()) << text;
}

namespace {

qint64 secondsOf(const char *text)
{
    const std::optional<DateTime> dt = parseDateTime(text);
    EXPECT_TRUE(dt.has_value()) << text;
    return dt ? dt->totalSeconds() : -1;
}

qint64 hms(int h, int m, int s = 0)
{
    return h * 3600 + m * 60 + s;
}

DateTime on(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return DateTime::fromParts(y, mo, d, h, mi, s);
}

} // namespace

TEST(ParseDateTime, TimesOfDay)
{
    EXPECT_EQ(secondsOf("6:00 am"), hms(6, 0));
    EXPECT_EQ(secondsOf("6:00am"), hms(6, 0));
    EXPECT_EQ(secondsOf("7:15 AM"), hms(7, 15));
    EXPECT_EQ(secondsOf("6 pm"), hms(18, 0));
    EXPECT_EQ(secondsOf("12:00 am"), 0);
    EXPECT_EQ(secondsOf("12:30 pm"), hms(12, 30));
    EXPECT_EQ(secondsOf("11:59:59 PM"), hms(23, 59, 59));
    EXPECT_EQ(secondsOf("18:30"), hms(18, 30));
    EXPECT_EQ(secondsOf("18:30:05"), hms(18, 30, 5));
    EXPECT_EQ(secondsOf("0:00"), 0);
    EXPECT_EQ(secondsOf("  06:30 pm  "), hms(18, 30));
    EXPECT_FALSE(parseDateTime("6:00 am")->hasDate());
}

TEST(ParseDateTime, Dates)
{
    EXPECT_EQ(parseDateTime("12/9/2026"), on(2026, 12, 9));
    EXPECT_EQ(parseDateTime("01/05/2001"), on(2001, 1, 5));
    EXPECT_EQ(parseDateTime("1/5/01"), on(2001, 1, 5));
    EXPECT_EQ(parseDateTime("1/5/29"), on(2029, 1, 5));
    EXPECT_EQ(parseDateTime("1/5/30"), on(1930, 1, 5));
    EXPECT_EQ(parseDateTime("2026-12-09"), on(2026, 12, 9));
    EXPECT_EQ(parseDateTime("Dec 9 2026"), on(2026, 12, 9));
    EXPECT_EQ(parseDateTime("dec 09 2026"), on(2026, 12, 9));
    EXPECT_EQ(parseDateTime("December 9, 2026"), on(2026, 12, 9));
    EXPECT_EQ(parseDateTime("9 Dec 2026"), on(2026, 12, 9));
    EXPECT_EQ(parseDateTime("2/29/2028"), on(2028, 2, 29));
    EXPECT_FALSE(parseDateTime("12/9/2026")->hasTime());
}

TEST(ParseDateTime, DateFollowedByTime)
{
    EXPECT_EQ(parseDateTime("12/9/2026 6:00 am"), on(2026, 12, 9, 6));
    EXPECT_EQ(parseDateTime("Dec 09 2026 6:30 pm"), on(2026, 12, 9, 18, 30));
    EXPECT_EQ(parseDateTime("2026-12-09 18:30:05"), on(2026, 12, 9, 18, 30, 5));
    EXPECT_EQ(parseDateTime("12/9/2026  12:00 am"), on(2026, 12, 9));
}

TEST(ParseDateTime, RefusesWhatItWouldHaveToGuess)
{
    for (const char *text : {"", "  ", "abc", "7", "25:00", "24:00", "6:61", "6:00:60", "13:00 pm", "0:30 am",
                             "6 xm", "6:00 a.m.", "6:", "6:00 am 5", "2/30/2026", "13/1/2026", "12/9/226",
                             "12/9", "12/9/2026x", "12/9/20266:00", "12/9/2026 abc", "Dec 2026", "Dec 9",
                             "Dex 9 2026", "2026-12-09T18:30", "12-9-2026", "1.5"})
        EXPECT_FALSE(parseDateTime(text).has_value()) << text;
}

TEST(ParseTimeOfDay, TakesTimesAndRefusesAnythingWithADate)
{
    EXPECT_EQ(rt::parseTimeOfDay(" 6:00 am "), parseDateTime("6:00 am"));
    EXPECT_EQ(rt::parseTimeOfDay("18:30:05"), parseDateTime("18:30:05"));
    for (const char *text : {"12/25/2001", "12/25/2001 6:00 am", "Dec 30 1899", "7", "", "25:00", "6:00 am x"})
        EXPECT_FALSE(rt::parseTimeOfDay(text)) << text;
}
