// Variant: the kinds it holds and its conversions with the run-time's rules.
// The test process runs with an Italian default locale (comma decimals).
#include "ValueTestSupport.h"

#include <QDateTime>
#include <QLocale>

#include <ctime>
#include <functional>
#include <limits>
#include <tuple>

using platform::Currency;
using platform::DateTime;
using platform::RuntimeError;
using platform::Variant;
using valuetest::cur;
using valuetest::errorOf;
namespace err = platform::err;

TEST(VariantKinds, EmptyNullAndEqualityKeepTheKindWholeNumbersRoundHalvesToEvenOrOverflow)
{
    const Variant empty;
    const Variant null = Variant::null();
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_FALSE(empty.isNull());
    EXPECT_TRUE(null.isNull());
    EXPECT_FALSE(null.isEmpty());
    EXPECT_FALSE(empty == null);
    // Empty text is neither; copies keep the difference.
    EXPECT_FALSE(Variant(QString()).isEmpty());
    EXPECT_FALSE(Variant(QString()).isNull());
    Variant copy = null;
    EXPECT_TRUE(copy.isNull());
    copy = empty;
    EXPECT_TRUE(copy.isEmpty());
    // Equal values of different kinds are different variants.
    EXPECT_FALSE(Variant(std::int16_t(5)) == Variant(std::int32_t(5)));
    EXPECT_FALSE(Variant(5.0) == Variant(std::int32_t(5)));
    EXPECT_FALSE(Variant("5") == Variant(std::int32_t(5)));
    EXPECT_TRUE(Variant("5") == Variant(QStringLiteral("5")));
    // A 64-bit whole number is a Long when it fits, a Double otherwise.
    EXPECT_EQ(Variant::fromInt64(2147483647), Variant(std::int32_t(2147483647)));
    EXPECT_EQ(Variant::fromInt64(-2147483648LL), Variant(std::int32_t(-2147483647 - 1)));
    EXPECT_EQ(Variant::fromInt64(2147483648LL), Variant(2147483648.0));

    // Whole numbers round halves to even; out of range they overflow.
    for (const auto &[value, expected] : std::initializer_list<std::pair<Variant, int>>{
             {0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {2.5001, 3},
             {cur("2.5"), 2}, {cur("-2.5"), -2}, {"2,5", 2}, {" 3,5 ", 4}})
        EXPECT_EQ(value.toInt32(), expected) << value.debugString().toStdString();
    EXPECT_EQ(Variant(2.5f).toInt16(), 2);
    EXPECT_EQ(Variant(cur("3.5")).toInt16(), 4);

    EXPECT_EQ(errorOf([] { (void)Variant(32767.5).toInt16(); }), err::Overflow); // rounds to 32768
    EXPECT_EQ(errorOf([] { (void)Variant(std::int32_t(32768)).toInt16(); }), err::Overflow);
    EXPECT_EQ(errorOf([] { (void)Variant(std::int32_t(-32769)).toInt16(); }), err::Overflow);
    EXPECT_EQ(Variant(std::int32_t(-32768)).toInt16(), -32768);
    EXPECT_EQ(Variant(-32768.5).toInt16(), -32768);
    EXPECT_EQ(errorOf([] { (void)Variant(2147483648.0).toInt32(); }), err::Overflow);
    EXPECT_EQ(errorOf([] { (void)Variant(cur("2147483647.5")).toInt32(); }), err::Overflow);
    EXPECT_EQ(errorOf([] { (void)Variant(std::numeric_limits<double>::quiet_NaN()).toInt32(); }), err::Overflow);
    EXPECT_EQ(errorOf([] { (void)Variant(1e39).toFloat(); }), err::Overflow);
    EXPECT_EQ(errorOf([] { (void)Variant(1e300).toCurrency(); }), err::Overflow);
}

TEST(VariantConversions, BooleansAndEmptyConvertNullAndTextThatIsNotANumberRaise)
{
    // True is -1 as a number.
    const Variant yes(true);
    EXPECT_EQ(std::tuple(yes.toInt16(), yes.toInt32(), yes.toDouble(), yes.toCurrency(), yes.toString()),
              std::tuple(std::int16_t(-1), -1, -1.0, cur("-1"), QStringLiteral("True")));
    EXPECT_EQ(std::tuple(Variant(false).toInt32(), Variant(false).toString()), std::tuple(0, QStringLiteral("False")));
    // Numbers and True/False text read as Booleans.
    for (const auto &[v, truth] : std::initializer_list<std::pair<Variant, bool>>{
             {std::int32_t(-1), true}, {0.5, true}, {0.0, false}, {" true ", true}, {"FALSE", false}, {"2", true}, {"0", false}})
        EXPECT_EQ(v.toBool(), truth) << v.debugString().toStdString();
    // Empty is zero, empty text, False, and the serial date 0.
    const Variant empty;
    EXPECT_EQ(std::tuple(empty.toInt16(), empty.toInt32(), empty.toDouble(), empty.toFloat(), empty.toCurrency()),
              std::tuple(std::int16_t(0), 0, 0.0, 0.0f, Currency()));
    EXPECT_EQ(empty.toString(), "");
    EXPECT_FALSE(empty.toBool());
    EXPECT_EQ(empty.toDate(), DateTime(1899, 12, 30));

    // Null, and text that is not a number, raise.
    const Variant null = Variant::null();
    for (const auto &convert : std::initializer_list<std::function<void()>>{
             [&] { (void)null.toBool(); }, [&] { (void)null.toInt16(); }, [&] { (void)null.toInt32(); },
             [&] { (void)null.toFloat(); }, [&] { (void)null.toDouble(); }, [&] { (void)null.toCurrency(); },
             [&] { (void)null.toDate(); }, [&] { (void)null.toString(); }, [&] { (void)null.toByteArray(); }})
        EXPECT_EQ(errorOf(convert), err::InvalidUseOfNull);
    try {
        (void)null.toString();
    } catch (const RuntimeError &e) {
        EXPECT_EQ(e.description(), "Utilizzo non valido di Null");
    }

    for (const char *bad : {"abc", "", " ", "12a", "1,2,3", "nan", "inf"}) {
        const Variant v(bad);
        EXPECT_EQ(errorOf([&] { (void)v.toDouble(); }), err::TypeMismatch) << bad;
        EXPECT_EQ(errorOf([&] { (void)v.toInt32(); }), err::TypeMismatch) << bad;
        EXPECT_EQ(errorOf([&] { (void)v.toInt16(); }), err::TypeMismatch) << bad;
        EXPECT_EQ(errorOf([&] { (void)v.toCurrency(); }), err::TypeMismatch) << bad;
        EXPECT_EQ(errorOf([&] { (void)v.toBool(); }), err::TypeMismatch) << bad;
    }
    EXPECT_EQ(errorOf([] { (void)Variant(QByteArray("1")).toDouble(); }), err::TypeMismatch);
    EXPECT_EQ(errorOf([] { (void)Variant(5).toByteArray(); }), err::TypeMismatch);
}

TEST(VariantNumbers, TextIsReadAndNumbersDatesAndBytesWrittenInTheGivenLocaleCurrencyExactly)
{
    const QLocale c = QLocale::c();
    for (const auto &[text, value] : std::initializer_list<std::pair<const char *, double>>{
             {"1,5", 1.5}, {"-1,5", -1.5}, {"1.234,5", 1234.5}, {"1,5e2", 150.0}})
        EXPECT_EQ(Variant(text).toDouble(), value) << text;
    EXPECT_EQ(Variant("1.5").toDouble(c), 1.5);
    EXPECT_EQ(errorOf([&] { (void)Variant("1,5").toDouble(c); }), err::TypeMismatch);
    // Through a double 1,23455 would round down; the text is exactly a half.
    for (const auto &[v, amount] : std::initializer_list<std::pair<Variant, const char *>>{
             {"1,23455", "1.2346"}, {"2,50015", "2.5002"}, {"1.234,5", "1234.5"}, {0.1f, "0.1"}, {std::int16_t(7), "7"}})
        EXPECT_EQ(v.toCurrency(), cur(amount)) << amount;
    EXPECT_EQ(Variant("0.1").toCurrency(c), cur("0.1"));
    // The numeric test follows the run-time; numeric text depends on the
    // locale (the default one is Italian here).
    for (const Variant &v : {Variant(), Variant(true), Variant(false), Variant(std::int16_t(1)), Variant(1),
                             Variant(1.5f), Variant(1.5), Variant(cur("1.5")), Variant(" 12 "), Variant("1e3"), Variant("1,5")})
        EXPECT_TRUE(v.isNumeric()) << v.debugString().toStdString();
    for (const Variant &v : {Variant::null(), Variant(DateTime(2024, 3, 5)), Variant(QByteArray("1")), Variant(""),
                             Variant("abc"), Variant("nan")})
        EXPECT_FALSE(v.isNumeric()) << v.debugString().toStdString();
    EXPECT_TRUE(Variant("1.234,5").isNumeric(QLocale(QLocale::Italian, QLocale::Italy)));
    EXPECT_FALSE(Variant("1,5").isNumeric(c));
    EXPECT_TRUE(Variant("1.5").isNumeric(c));
    EXPECT_TRUE(Variant("-0.25").isNumeric(c));
    // isNumber is the narrower test of number kinds.
    EXPECT_FALSE(Variant(true).isNumber());
    EXPECT_FALSE(Variant().isNumber());
    EXPECT_TRUE(Variant(cur("1")).isNumber());

    // Numbers in the locale without groups; Singles with seven digits; dates
    // with a four-digit year; bytes as UTF-8.
    for (const auto &[v, text] : std::initializer_list<std::pair<Variant, const char *>>{
             {1.5, "1,5"}, {1234567.5, "1234567,5"}, {0.1 + 0.2, "0,3"}, {-0.0, "0"}, {1e20, "1E+20"},
             {std::int16_t(-5), "-5"}, {1234567, "1234567"}, {cur("12.5"), "12,5"}, {0.1f, "0,1"},
             {DateTime(2024, 3, 5), "05/03/2024"}, {DateTime(2024, 3, 5, 14, 30), "05/03/2024 14:30:00"},
             {DateTime(1924, 3, 5), "05/03/1924"}, {QByteArray("caff\xc3\xa8"), "caffè"}, {" x ", " x "}})
        EXPECT_EQ(v.toString(), QString::fromUtf8(text)) << text;
    EXPECT_EQ(Variant(1.5).toString(QLocale::c()), "1.5");
    EXPECT_EQ(platform::formatNumber(2.0 / 3.0, QLocale::c()), "0.666666666666667");
    EXPECT_EQ(Variant(1.0f / 3.0f).toString(QLocale::c()), "0.3333333");
    EXPECT_EQ(Variant("caffè").toByteArray(), QByteArray("caff\xc3\xa8"));
}

// What a user types for a number: the locale's separators and a sign, no
// exponent, nothing beyond what a currency amount can hold.
TEST(VariantNumbers, TypedNumbersAreReadInTheLocaleWithoutExponentWithinTheCurrencyRange)
{
    const QLocale it(QLocale::Italian, QLocale::Italy);
    for (const auto &[text, value] : std::initializer_list<std::pair<const char *, double>>{
             {" 12 ", 12}, {"1,5", 1.5}, {"-1.234,5", -1234.5}, {"922.337.203.685.477", 922337203685477},
             {"-922337203685477", -922337203685477}})
        EXPECT_EQ(platform::readTypedNumber(QString::fromUtf8(text), it), value) << text;
    for (const char *text : {"", "1e308", "1,5e2", "1E3", "inf", "nan", "1,5,5", "922337203685478", "-1e20", "12x"})
        EXPECT_EQ(platform::readTypedNumber(QString::fromUtf8(text), it), std::nullopt) << text;
    EXPECT_EQ(platform::readTypedNumber(u"1.5", QLocale::c()), 1.5);
}

TEST(VariantDates, TextIsReadAsIsoOrInTheLocaleAndNumbersAsSerialDates)
{
    // Numbers are serial dates; two-digit years up to 29 are this century's.
    for (const auto &[v, date] : std::initializer_list<std::pair<Variant, DateTime>>{
             {"2024-03-05", DateTime(2024, 3, 5)}, {"2024-03-05 14:30:05", DateTime(2024, 3, 5, 14, 30, 5)},
             {"05/03/2024", DateTime(2024, 3, 5)}, {"5/3/2024", DateTime(2024, 3, 5)},
             {"05/03/2024 14:30", DateTime(2024, 3, 5, 14, 30)}, {"05/03/2024 14:30:05", DateTime(2024, 3, 5, 14, 30, 5)},
             {"05/03/24", DateTime(2024, 3, 5)}, {"05/03/29", DateTime(2029, 3, 5)}, {"05/03/30", DateTime(1930, 3, 5)},
             {"05/03/99", DateTime(1999, 3, 5)}, {"05/03/00 08:15", DateTime(2000, 3, 5, 8, 15)},
             {2, DateTime(1900, 1, 1)}, {45356.5, DateTime(2024, 3, 5, 12, 0)}, {-1.25, DateTime(1899, 12, 29, 6, 0)}})
        EXPECT_EQ(v.toDate(), date) << v.debugString().toStdString();
    for (const Variant &bad : {Variant("abc"), Variant("31/02/2024"), Variant(QByteArray("x"))})
        EXPECT_EQ(errorOf([&] { (void)bad.toDate(); }), err::TypeMismatch) << bad.debugString().toStdString();
    // What a date writes as text reads back as the same date.
    for (const DateTime &d : {DateTime(2024, 3, 5), DateTime(2029, 12, 31, 23, 59, 59), DateTime(1930, 1, 1),
                              DateTime(1899, 12, 30, 6, 0)}) {
        EXPECT_EQ(Variant(Variant(d).toString()).toDate(), d);
        EXPECT_EQ(Variant(Variant(d).toString(QLocale::c())).toDate(QLocale::c()), d);
    }
    EXPECT_EQ(Variant(DateTime(2024, 3, 5, 18, 0)).toDouble(), 45356.75);
    EXPECT_EQ(errorOf([] { (void)Variant(1e12).toDate(); }), err::Overflow);
    EXPECT_EQ(errorOf([] { (void)Variant(-1e12).toDate(); }), err::Overflow);
}

TEST(VariantDates, TimeSkippedBySummerTimeIsStillRead)
{
    // Dates have no time zone: 02:30 on the morning clocks go forward in
    // Italy is a valid value, although it never happened on local clocks.
    const QByteArray savedTz = qgetenv("TZ");
    const bool hadTz = qEnvironmentVariableIsSet("TZ");
    qputenv("TZ", "Europe/Rome");
    tzset();
    const bool gapExists = !QDateTime(QDate(2024, 3, 31), QTime(2, 30)).isValid();
    DateTime read;
    int error = errorOf([&] { read = Variant("31/03/2024 02:30").toDate(); });
    if (hadTz)
        qputenv("TZ", savedTz);
    else
        qunsetenv("TZ");
    tzset();
    if (!gapExists)
        GTEST_SKIP() << "the time zone database does not know Europe/Rome";
    EXPECT_EQ(error, 0);
    EXPECT_EQ(read, DateTime(2024, 3, 31, 2, 30));
}
