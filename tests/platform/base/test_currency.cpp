// Currency: fixed-point amounts with four decimals, rounded half to even.
#include "ValueTestSupport.h"

#include <QLocale>

#include <limits>
#include <tuple>

using platform::Currency;
using valuetest::cur;
using valuetest::errorOf;

namespace {

const Currency MaxCurrency = Currency::fromRaw(std::numeric_limits<std::int64_t>::max());
const Currency MinCurrency = Currency::fromRaw(std::numeric_limits<std::int64_t>::min());

} // namespace

TEST(CurrencyRounding, HalvesRoundToEvenAtTheWrittenDecimal)
{
    // The binary doubles nearest 2.50005 and 2.50015 lie below and above the
    // half; the amount follows the decimal the user wrote.
    for (const auto &[value, raw] : std::initializer_list<std::pair<double, std::int64_t>>{
             {2.50005, 25000}, {2.50015, 25002}, {2.50025, 25002}, {2.500251, 25003}, {0.1, 1000},
             {0.00005, 0}, {0.00015, 2}, {-2.50005, -25000}, {-2.50015, -25002}, {-0.00015, -2}})
        EXPECT_EQ(Currency::fromDouble(value).raw(), raw) << value;
    // Text is read exactly before rounding: any digit after a 5 makes it
    // more than half.
    for (const auto &[text, raw] : std::initializer_list<std::pair<const char *, std::int64_t>>{
             {"2.50005", 25000}, {"2.50015", 25002}, {"2.500050000001", 25001}, {"2.500049999999", 25000},
             {"-0.00005", 0}, {"-1.23455", -12346}, {"-1.23445", -12344}, {"  12.5  ", 125000}, {"+3", 30000},
             {".5", 5000}, {"7.", 70000}})
        EXPECT_EQ(cur(text).raw(), raw) << text;
    // Rounded to fewer decimals the same way.
    for (const auto &[text, decimals, expected] : std::initializer_list<std::tuple<const char *, int, const char *>>{
             {"2.5", 0, "2"}, {"3.5", 0, "4"}, {"-2.5", 0, "-2"}, {"-3.5", 0, "-4"}, {"1.125", 2, "1.12"},
             {"1.135", 2, "1.14"}, {"1.1251", 2, "1.13"}, {"1.2345", 4, "1.2345"}})
        EXPECT_EQ(cur(text).rounded(decimals), cur(expected)) << text;
}

TEST(CurrencyText, ReadsOnlyDecimalNumbersThatFitAndPrintsThemShort)
{
    for (const char *bad : {"", " ", "-", ".", "abc", "1.2.3", "1,5", "1e5", "--1", "12a", "1 000"})
        EXPECT_FALSE(Currency::fromString(QString::fromLatin1(bad)).has_value()) << bad;
    EXPECT_EQ(Currency::fromString(u"1,5", u','), cur("1.5"));
    EXPECT_EQ(Currency::fromString(u"-0,00015", u','), cur("-0.0002"));
    // With a comma separator a point is not a decimal separator.
    EXPECT_FALSE(Currency::fromString(u"1.5", u',').has_value());
    EXPECT_TRUE(Currency::fromString(u"922337203685477.5807").has_value());
    EXPECT_FALSE(Currency::fromString(u"922337203685477.5808").has_value());
    EXPECT_TRUE(Currency::fromString(u"-922337203685477.5808").has_value());
    EXPECT_FALSE(Currency::fromString(u"99999999999999999999999999").has_value());
    // Printed without trailing zeros and with the locale's separator only.
    EXPECT_EQ(cur("12.5000").toString(), "12.5");
    EXPECT_EQ(cur("-3").toString(), "-3");
    EXPECT_EQ(cur("0.0001").toString(), "0.0001");
    EXPECT_EQ(cur("-0.0001").toString(), "-0.0001");
    EXPECT_EQ(Currency().toString(), "0");
    EXPECT_EQ(MaxCurrency.toString(), "922337203685477.5807");
    EXPECT_EQ(MinCurrency.toString(), "-922337203685477.5808");
    EXPECT_EQ(Currency::fromString(MinCurrency.toString()), MinCurrency);
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    EXPECT_EQ(cur("1234567.25").toString(italian), "1234567,25");
    EXPECT_EQ(cur("-0.5").toString(italian), "-0,5");
    EXPECT_EQ(cur("1234.5").toString(QLocale::c()), "1234.5");
    EXPECT_EQ(MinCurrency.toString(italian), "-922337203685477,5808");
}

TEST(CurrencyArithmetic, ProductsAndQuotientsRoundHalfToEvenSumsAreExactAndOverflowRaisesError6)
{
    EXPECT_EQ(cur("0.0001") * cur("0.5"), cur("0"));      // 0.00005
    EXPECT_EQ(cur("0.0003") * cur("0.5"), cur("0.0002")); // 0.00015
    EXPECT_EQ(cur("-0.0003") * cur("0.5"), cur("-0.0002"));
    EXPECT_EQ(cur("1.2345") * cur("1.0001"), cur("1.2346")); // 1.23462345
    EXPECT_EQ(cur("3.3333") * cur("3"), cur("9.9999"));
    EXPECT_EQ(cur("2.5") * 4, cur("10"));
    EXPECT_EQ(cur("1") / cur("3"), cur("0.3333"));
    EXPECT_EQ(cur("2") / cur("3"), cur("0.6667"));
    EXPECT_EQ(cur("-2") / cur("3"), cur("-0.6667"));
    EXPECT_EQ(cur("0.0001") / cur("2"), cur("0"));
    EXPECT_EQ(cur("0.0003") / cur("2"), cur("0.0002"));
    EXPECT_EQ(cur("0.0003") / cur("-2"), cur("-0.0002"));
    EXPECT_EQ(cur("10") / cur("0.25"), cur("40"));
    EXPECT_EQ(errorOf([] { (void)(cur("1") / Currency()); }), 11); // division by zero
    // Sums are exact.
    EXPECT_EQ(cur("0.1") + cur("0.2"), cur("0.3"));
    EXPECT_EQ(cur("0.1") - cur("0.3"), cur("-0.2"));
    Currency total;
    for (int i = 0; i < 10; ++i)
        total += cur("0.1");
    EXPECT_EQ(total, cur("1"));
    EXPECT_LT(cur("-1"), cur("0.0001"));
    EXPECT_GT(cur("2.0001"), cur("2"));

    // Past the range: error 6.
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
