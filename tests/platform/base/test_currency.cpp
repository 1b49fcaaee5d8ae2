// Currency: fixed-point amounts with four decimals, rounded half to even.
#include "platform/base/Currency.h"
#include "platform/base/RuntimeError.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <limits>
#include <ostream>

namespace platform {
// Readable amounts in failure messages.
static void PrintTo(const Currency &c, std::ostream *os)
{
    *os << c.toString().toStdString();
}
} // namespace platform

static void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

using platform::Currency;
using platform::RuntimeError;

namespace {

Currency cur(const char *text)
{
    const auto c = Currency::fromString(QString::fromLatin1(text));
    EXPECT_TRUE(c.has_value()) << text;
    return c.value_or(Currency());
}

// The error number raised by f, or 0 when it raises nothing.
template <typename F>
int errorOf(F &&f)
{
    try {
        f();
    } catch (const RuntimeError &e) {
        return e.number();
    }
    return 0;
}

const Currency MaxCurrency = Currency::fromRaw(std::numeric_limits<std::int64_t>::max());
const Currency MinCurrency = Currency::fromRaw(std::numeric_limits<std::int64_t>::min());

} // namespace

TEST(CurrencyRounding, FromDoubleRoundsTheWrittenDecimalHalfToEven)
{
    // The binary doubles nearest 2.50005 and 2.50015 lie below and above the
    // half; the amount follows the decimal the user wrote.
    EXPECT_EQ(Currency::fromDouble(2.50005).raw(), 25000);
    EXPECT_EQ(Currency::fromDouble(2.50015).raw(), 25002);
    EXPECT_EQ(Currency::fromDouble(2.50025).raw(), 25002);
    EXPECT_EQ(Currency::fromDouble(2.500251).raw(), 25003);
    EXPECT_EQ(Currency::fromDouble(0.1).raw(), 1000);
    EXPECT_EQ(Currency::fromDouble(0.00005).raw(), 0);
    EXPECT_EQ(Currency::fromDouble(0.00015).raw(), 2);
}

TEST(CurrencyRounding, NegativeHalvesRoundToEvenLikePositiveOnes)
{
    EXPECT_EQ(Currency::fromDouble(-2.50005).raw(), -25000);
    EXPECT_EQ(Currency::fromDouble(-2.50015).raw(), -25002);
    EXPECT_EQ(Currency::fromDouble(-0.00015).raw(), -2);
    EXPECT_EQ(cur("-0.00005").raw(), 0);
    EXPECT_EQ(cur("-1.23455").raw(), -12346);
    EXPECT_EQ(cur("-1.23445").raw(), -12344);
}

TEST(CurrencyRounding, TextIsReadExactlyBeforeRounding)
{
    EXPECT_EQ(cur("2.50005").raw(), 25000);
    EXPECT_EQ(cur("2.50015").raw(), 25002);
    // Any digit after a 5 makes it more than half.
    EXPECT_EQ(cur("2.500050000001").raw(), 25001);
    EXPECT_EQ(cur("2.500049999999").raw(), 25000);
    EXPECT_EQ(cur("  12.5  ").raw(), 125000);
    EXPECT_EQ(cur("+3").raw(), 30000);
    EXPECT_EQ(cur(".5").raw(), 5000);
    EXPECT_EQ(cur("7.").raw(), 70000);
}

TEST(CurrencyRounding, RoundedToFewerDecimals)
{
    EXPECT_EQ(cur("2.5").rounded(0), cur("2"));
    EXPECT_EQ(cur("3.5").rounded(0), cur("4"));
    EXPECT_EQ(cur("-2.5").rounded(0), cur("-2"));
    EXPECT_EQ(cur("-3.5").rounded(0), cur("-4"));
    EXPECT_EQ(cur("1.125").rounded(2), cur("1.12"));
    EXPECT_EQ(cur("1.135").rounded(2), cur("1.14"));
    EXPECT_EQ(cur("1.1251").rounded(2), cur("1.13"));
    EXPECT_EQ(cur("1.2345").rounded(4), cur("1.2345"));
}

TEST(CurrencyText, RejectsWhatIsNotADecimalNumber)
{
    for (const char *bad : {"", " ", "-", ".", "abc", "1.2.3", "1,5", "1e5", "--1", "12a", "1 000"})
        EXPECT_FALSE(Currency::fromString(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(CurrencyText, ReadsTheGivenDecimalSeparator)
{
    EXPECT_EQ(Currency::fromString(u"1,5", u','), cur("1.5"));
    EXPECT_EQ(Currency::fromString(u"-0,00015", u','), cur("-0.0002"));
    // With a comma separator a point is not a decimal separator.
    EXPECT_FALSE(Currency::fromString(u"1.5", u',').has_value());
}

TEST(CurrencyText, TooLargeTextIsNotACurrency)
{
    EXPECT_TRUE(Currency::fromString(u"922337203685477.5807").has_value());
    EXPECT_FALSE(Currency::fromString(u"922337203685477.5808").has_value());
    EXPECT_TRUE(Currency::fromString(u"-922337203685477.5808").has_value());
    EXPECT_FALSE(Currency::fromString(u"99999999999999999999999999").has_value());
}

TEST(CurrencyText, PrintsWithoutTrailingZeros)
{
    EXPECT_EQ(cur("12.5000").toString(), "12.5");
    EXPECT_EQ(cur("-3").toString(), "-3");
    EXPECT_EQ(cur("0.0001").toString(), "0.0001");
    EXPECT_EQ(cur("-0.0001").toString(), "-0.0001");
    EXPECT_EQ(Currency().toString(), "0");
}

TEST(CurrencyText, PrintsTheExtremes)
{
    EXPECT_EQ(MaxCurrency.toString(), "922337203685477.5807");
    EXPECT_EQ(MinCurrency.toString(), "-922337203685477.5808");
    EXPECT_EQ(Currency::fromString(MinCurrency.toString()), MinCurrency);
}

TEST(CurrencyText, LocaleTextUsesTheDecimalSeparatorOnly)
{
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    EXPECT_EQ(cur("1234567.25").toString(italian), "1234567,25");
    EXPECT_EQ(cur("-0.5").toString(italian), "-0,5");
    EXPECT_EQ(cur("1234.5").toString(QLocale::c()), "1234.5");
    EXPECT_EQ(MinCurrency.toString(italian), "-922337203685477,5808");
}

TEST(CurrencyArithmetic, ProductsRoundHalfToEven)
{
    EXPECT_EQ(cur("0.0001") * cur("0.5"), cur("0"));      // 0.00005
    EXPECT_EQ(cur("0.0003") * cur("0.5"), cur("0.0002")); // 0.00015
    EXPECT_EQ(cur("-0.0003") * cur("0.5"), cur("-0.0002"));
    EXPECT_EQ(cur("1.2345") * cur("1.0001"), cur("1.2346")); // 1.23462345
    EXPECT_EQ(cur("3.3333") * cur("3"), cur("9.9999"));
    EXPECT_EQ(cur("2.5") * 4, cur("10"));
}

TEST(CurrencyArithmetic, QuotientsRoundHalfToEven)
{
    EXPECT_EQ(cur("1") / cur("3"), cur("0.3333"));
    EXPECT_EQ(cur("2") / cur("3"), cur("0.6667"));
    EXPECT_EQ(cur("-2") / cur("3"), cur("-0.6667"));
    EXPECT_EQ(cur("0.0001") / cur("2"), cur("0"));
    EXPECT_EQ(cur("0.0003") / cur("2"), cur("0.0002"));
    EXPECT_EQ(cur("0.0003") / cur("-2"), cur("-0.0002"));
    EXPECT_EQ(cur("10") / cur("0.25"), cur("40"));
}

TEST(CurrencyArithmetic, DivisionByZeroRaisesError11)
{
    EXPECT_EQ(errorOf([] { (void)(cur("1") / Currency()); }), 11);
}

TEST(CurrencyArithmetic, SumsAndComparisons)
{
    EXPECT_EQ(cur("0.1") + cur("0.2"), cur("0.3"));
    EXPECT_EQ(cur("0.1") - cur("0.3"), cur("-0.2"));
    Currency total;
    for (int i = 0; i < 10; ++i)
        total += cur("0.1");
    EXPECT_EQ(total, cur("1"));
    EXPECT_LT(cur("-1"), cur("0.0001"));
    EXPECT_GT(cur("2.0001"), cur("2"));
}

TEST(CurrencyOverflow, RaisesError6)
{
    constexpr int Overflow = platform::err::Overflow;
    EXPECT_EQ(errorOf([] { (void)(MaxCurrency + cur("0.0001")); }), Overflow);
    EXPECT_EQ(errorOf([] { (void)(MinCurrency - cur("0.0001")); }), Overflow);
    EXPECT_EQ(errorOf([] { (void)(-MinCurrency); }), Overflow);
    EXPECT_EQ(errorOf([] { (void)(MaxCurrency * cur("2")); }), Overflow);
    EXPECT_EQ(errorOf([] { (void)(MaxCurrency * std::int64_t(2)); }), Overflow);
    EXPECT_EQ(errorOf([] { (void)(MaxCurrency / cur("0.5")); }), Overflow);
    EXPECT_EQ(errorOf([] { (void)Currency::fromDouble(1e15); }), Overflow);
    EXPECT_EQ(errorOf([] { (void)Currency::fromDouble(-1e300); }), Overflow);
    EXPECT_EQ(errorOf([] { (void)Currency::fromDouble(std::numeric_limits<double>::infinity()); }), Overflow);
    EXPECT_EQ(errorOf([] { (void)Currency::fromDouble(std::numeric_limits<double>::quiet_NaN()); }), Overflow);
    EXPECT_EQ(errorOf([] { (void)Currency::fromInt(std::int64_t(1000000000000000)); }), Overflow);
    EXPECT_EQ(errorOf([] { (void)MaxCurrency.rounded(0); }), Overflow);
    // The largest whole amounts still fit.
    EXPECT_EQ(errorOf([] { (void)Currency::fromInt(std::int64_t(922337203685477)); }), 0);
    EXPECT_EQ(errorOf([] { (void)Currency::fromDouble(922337203685477.0); }), 0);
}
