#include "runtime/Error.h"
#include "runtime/Value.h"
#include "support/ErrorNumber.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

using rt::Currency;
using rt::DateTime;
using rt::Value;

using testing_support::errorNumber;

namespace {

Value money(double v)
{
    return Value(Currency::fromDouble(v));
}

} // namespace

TEST(ValueBool, NumbersAndTexts)
{
    EXPECT_TRUE(Value(-1).toBool());
    EXPECT_TRUE(Value(0.5).toBool());
    EXPECT_FALSE(Value(0).toBool());
    EXPECT_FALSE(Value().toBool());
    EXPECT_TRUE(Value("true").toBool());
    EXPECT_FALSE(Value("FALSE").toBool());
    EXPECT_TRUE(Value(" 2 ").toBool());
    EXPECT_FALSE(Value("0").toBool());
    EXPECT_EQ(errorNumber([] { Value("yes").toBool(); }), rt::err::TypeMismatch);
    EXPECT_EQ(errorNumber([] { Value::null().toBool(); }), rt::err::InvalidUseOfNull);
}

TEST(ValueLong, RoundsHalfToEven)
{
    EXPECT_EQ(Value(2.5).toLong(), 2);
    EXPECT_EQ(Value(3.5).toLong(), 4);
    EXPECT_EQ(Value(-2.5).toLong(), -2);
    EXPECT_EQ(Value(2.51).toLong(), 3);
    EXPECT_EQ(Value("4.5").toLong(), 4);
    EXPECT_EQ(money(2.5).toLong(), 2);
    EXPECT_EQ(money(-3.5).toLong(), -4);
    EXPECT_EQ(money(1.4999).toLong(), 1);
}

TEST(ValueLong, BooleansTextsAndLimits)
{
    EXPECT_EQ(Value(true).toLong(), -1);
    EXPECT_EQ(Value(true).toInt(), -1);
    EXPECT_EQ(Value().toLong(), 0);
    EXPECT_EQ(Value("  12 ").toLong(), 12);
    EXPECT_EQ(Value(2147483647.4).toLong(), 2147483647);
    EXPECT_EQ(errorNumber([] { Value(2147483647.5).toLong(); }), rt::err::Overflow);
    EXPECT_EQ(errorNumber([] { Value(qint64(1) << 40).toLong(); }), rt::err::Overflow);
    EXPECT_EQ(Value(-32768).toInt(), -32768);
    EXPECT_EQ(errorNumber([] { Value(32768).toInt(); }), rt::err::Overflow);
    EXPECT_EQ(errorNumber([] { Value("12abc").toLong(); }), rt::err::TypeMismatch);
    EXPECT_EQ(errorNumber([] { Value::null().toLong(); }), rt::err::InvalidUseOfNull);
}

TEST(ValueDouble, Conversions)
{
    EXPECT_EQ(Value(" -3.5e1 ").toDouble(), -35.0);
    EXPECT_EQ(Value(true).toDouble(), -1.0);
    EXPECT_EQ(money(0.1).toDouble(), 0.1);
    EXPECT_EQ(Value(DateTime(1.5)).toDouble(), 1.5);
    EXPECT_EQ(errorNumber([] { Value("6:00 am").toDouble(); }), rt::err::TypeMismatch);
    EXPECT_EQ(errorNumber([] { Value("").toDouble(); }), rt::err::TypeMismatch);
}

TEST(ValueCurrency, FourDecimalsAndLimits)
{
    EXPECT_EQ(Currency::fromDouble(1.23456).scaled, 12346);
    EXPECT_EQ(Currency::fromDouble(-1.23456).scaled, -12346);
    EXPECT_EQ(Currency::fromDouble(0.00004).scaled, 0);
    EXPECT_EQ(Value(12).toCurrency().scaled, 120000);
    EXPECT_EQ(errorNumber([] { Currency::fromDouble(1e15); }), rt::err::Overflow);
    EXPECT_EQ(errorNumber([] { Value(qint64(1) << 62).toCurrency(); }), rt::err::Overflow);
}

TEST(ValueString, NumberTexts)
{
    EXPECT_EQ(Value(3.5).toString(), "3.5");
    EXPECT_EQ(Value(0.1).toString(), "0.1");
    EXPECT_EQ(Value(0.1 + 0.2).toString(), "0.3");
    EXPECT_EQ(Value(1e20).toString(), "1E+20");
    EXPECT_EQ(Value(1.5e20).toString(), "1.5E+20");
    EXPECT_EQ(Value(1e-5).toString(), "1E-05");
    EXPECT_EQ(Value(0.0001).toString(), "0.0001");
    EXPECT_EQ(Value(123456789012345.0).toString(), "123456789012345");
    EXPECT_EQ(Value(-0.0).toString(), "0");
    EXPECT_EQ(Value(-42).toString(), "-42");
    EXPECT_EQ(money(3.5).toString(), "3.5");
    EXPECT_EQ(money(-0.0001).toString(), "-0.0001");
    EXPECT_EQ(money(12).toString(), "12");
    EXPECT_EQ(Value(Currency{std::numeric_limits<qint64>::min()}).toString(), "-922337203685477.5808");
}

TEST(ValueString, OtherKinds)
{
    EXPECT_EQ(Value(true).toString(), "True");
    EXPECT_EQ(Value(false).toString(), "False");
    EXPECT_EQ(Value().toString(), "");
    EXPECT_EQ(Value(DateTime::fromParts(2026, 12, 9, 7, 5, 9)).toString(), "12/9/2026 7:05:09 AM");
    EXPECT_EQ(errorNumber([] { Value::null().toString(); }), rt::err::InvalidUseOfNull);
}

TEST(ValueDate, Conversions)
{
    EXPECT_EQ(Value("6:00 am").toDate(), DateTime(0.25));
    EXPECT_EQ(Value(1.5).toDate(), DateTime(1.5));
    EXPECT_EQ(Value().toDate(), DateTime());
    EXPECT_EQ(errorNumber([] { Value("soon").toDate(); }), rt::err::TypeMismatch);
    EXPECT_EQ(errorNumber([] { Value("7").toDate(); }), rt::err::TypeMismatch);
    EXPECT_EQ(errorNumber([] { Value::null().toDate(); }), rt::err::InvalidUseOfNull);
}

TEST(ValueEquals, ProgramComparisons)
{
    EXPECT_FALSE(Value::null().equals(Value::null()));
    EXPECT_FALSE(Value::null().equals(Value(0)));
    EXPECT_TRUE(Value("abc").equals(Value("abc")));
    EXPECT_FALSE(Value("abc").equals(Value("ABC")));
    EXPECT_FALSE(Value("12").equals(Value(" 12")));
    EXPECT_TRUE(Value(" 12 ").equals(Value(12)));
    EXPECT_TRUE(Value(12.0).equals(Value("12")));
    EXPECT_FALSE(Value("abc").equals(Value(0)));
    EXPECT_TRUE(Value().equals(Value("")));
    EXPECT_TRUE(Value().equals(Value(0)));
    EXPECT_TRUE(Value(true).equals(Value(-1)));
    EXPECT_TRUE(Value("True").equals(Value(true)));
    EXPECT_TRUE(money(0.1).equals(Value(0.1)));
    EXPECT_TRUE(money(3).equals(Value(3)));
    EXPECT_TRUE(Value(DateTime(0.25)).equals(Value("6:00 am")));
    EXPECT_TRUE(Value(DateTime(2.0)).equals(Value(2)));
    // Whole numbers past double precision still compare exactly.
    EXPECT_FALSE(Value((qint64(1) << 53) + 1).equals(Value(qint64(1) << 53)));
}

TEST(ValueIdentity, KindMatters)
{
    EXPECT_EQ(Value(1), Value(qint64(1)));
    EXPECT_FALSE(Value(1) == Value(1.0));
    EXPECT_FALSE(Value() == Value::null());
    EXPECT_EQ(Value::null(), Value::null());
    EXPECT_EQ(Value::null().type(), rt::VType::Null);
    EXPECT_TRUE(Value().isNumeric());
    EXPECT_FALSE(Value("1").isNumeric());
    EXPECT_FALSE(Value(DateTime(1.0)).isNumeric());
}
