// Variant: the kinds it holds and its conversions with the run-time's rules.
// The test process runs with an Italian default locale (comma decimals).
#include "platform/base/Variant.h"
#include "platform/base/RuntimeError.h"

#include <QDateTime>
#include <QLocale>

#include <gtest/gtest.h>

#include <ctime>
#include <limits>
#include <ostream>

namespace platform {
// Readable values in failure messages.
static void PrintTo(const Variant &v, std::ostream *os)
{
    *os << v.debugString().toStdString();
}
static void PrintTo(const Currency &c, std::ostream *os)
{
    *os << c.toString().toStdString();
}
static void PrintTo(const DateTime &d, std::ostream *os)
{
    *os << (d.isValid() ? d.toIso().toStdString() : std::string("invalid"));
}
} // namespace platform

static void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

using platform::Currency;
using platform::DateTime;
using platform::RuntimeError;
using platform::Variant;
using platform::VarType;
namespace err = platform::err;

namespace {

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

Currency cur(const char *text)
{
    return Currency::fromString(QString::fromLatin1(text)).value();
}

const QLocale Italian(QLocale::Italian, QLocale::Italy);

} // namespace

// --- kinds ---------------------------------------------------------------

TEST(VariantKinds, EmptyAndNullAreDifferentValues)
{
    const Variant empty;
    const Variant null = Variant::null();
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_FALSE(empty.isNull());
    EXPECT_TRUE(null.isNull());
    EXPECT_FALSE(null.isEmpty());
    EXPECT_EQ(empty.type(), VarType::Empty);
    EXPECT_EQ(null.type(), VarType::Null);
    EXPECT_FALSE(empty == null);
    EXPECT_EQ(null, Variant::null());
    EXPECT_EQ(empty, Variant());
    // Empty text is neither.
    EXPECT_FALSE(Variant(QString()).isEmpty());
    EXPECT_FALSE(Variant(QString()).isNull());
    // Copies keep the difference.
    Variant copy = null;
    EXPECT_TRUE(copy.isNull());
    copy = empty;
    EXPECT_TRUE(copy.isEmpty());
}

TEST(VariantKinds, FromInt64PicksLongOrDouble)
{
    EXPECT_EQ(Variant::fromInt64(2147483647), Variant(std::int32_t(2147483647)));
    EXPECT_EQ(Variant::fromInt64(-2147483648LL), Variant(std::int32_t(-2147483647 - 1)));
    EXPECT_EQ(Variant::fromInt64(2147483648LL), Variant(2147483648.0));
}

TEST(VariantKinds, EqualityNeedsTheSameKind)
{
    EXPECT_FALSE(Variant(std::int16_t(5)) == Variant(std::int32_t(5)));
    EXPECT_FALSE(Variant(5.0) == Variant(std::int32_t(5)));
    EXPECT_FALSE(Variant("5") == Variant(std::int32_t(5)));
    EXPECT_TRUE(Variant("5") == Variant(QStringLiteral("5")));
}

TEST(VariantKinds, DebugStringNamesKindAndValue)
{
    EXPECT_EQ(Variant().debugString(), "Empty");
    EXPECT_EQ(Variant::null().debugString(), "Null");
    EXPECT_EQ(Variant(true).debugString(), "Boolean(True)");
    EXPECT_EQ(Variant(std::int16_t(-3)).debugString(), "Integer(-3)");
    EXPECT_EQ(Variant(5).debugString(), "Long(5)");
    EXPECT_EQ(Variant(2.5).debugString(), "Double(2.5)");
    EXPECT_EQ(Variant(cur("12.5")).debugString(), "Currency(12.5)");
    EXPECT_EQ(Variant(DateTime(2024, 3, 5, 14, 30)).debugString(), "Date(2024-03-05 14:30:00)");
    EXPECT_EQ(Variant("x").debugString(), "String(\"x\")");
    EXPECT_EQ(Variant(QByteArray("ab")).debugString(), "ByteArray(6162)");
}

// --- whole numbers -------------------------------------------------------

TEST(VariantWholeNumbers, HalvesRoundToEven)
{
    EXPECT_EQ(Variant(0.5).toInt32(), 0);
    EXPECT_EQ(Variant(1.5).toInt32(), 2);
    EXPECT_EQ(Variant(2.5).toInt32(), 2);
    EXPECT_EQ(Variant(3.5).toInt32(), 4);
    EXPECT_EQ(Variant(-2.5).toInt32(), -2);
    EXPECT_EQ(Variant(-3.5).toInt32(), -4);
    EXPECT_EQ(Variant(2.5001).toInt32(), 3);
    EXPECT_EQ(Variant(2.5f).toInt16(), 2);
    EXPECT_EQ(Variant(cur("2.5")).toInt32(), 2);
    EXPECT_EQ(Variant(cur("3.5")).toInt16(), 4);
    EXPECT_EQ(Variant(cur("-2.5")).toInt32(), -2);
    EXPECT_EQ(Variant("2,5").toInt32(), 2);   // Italian decimals
    EXPECT_EQ(Variant(" 3,5 ").toInt16(), 4);
}

TEST(VariantWholeNumbers, OutOfRangeRaisesOverflow)
{
    EXPECT_EQ(errorOf([] { (void)Variant(32767.5).toInt16(); }), err::Overflow); // rounds to 32768
    EXPECT_EQ(errorOf([] { (void)Variant(std::int32_t(32768)).toInt16(); }), err::Overflow);
    EXPECT_EQ(errorOf([] { (void)Variant(std::int32_t(-32769)).toInt16(); }), err::Overflow);
    EXPECT_EQ(Variant(std::int32_t(-32768)).toInt16(), -32768);
    EXPECT_EQ(Variant(-32768.5).toInt16(), -32768);
    EXPECT_EQ(errorOf([] { (void)Variant(2147483648.0).toInt32(); }), err::Overflow);
    EXPECT_EQ(errorOf([] { (void)Variant(cur("2147483647.5")).toInt32(); }), err::Overflow);
    EXPECT_EQ(errorOf([] { (void)Variant(std::numeric_limits<double>::quiet_NaN()).toInt32(); }),
              err::Overflow);
    EXPECT_EQ(errorOf([] { (void)Variant(1e39).toFloat(); }), err::Overflow);
    EXPECT_EQ(errorOf([] { (void)Variant(1e300).toCurrency(); }), err::Overflow);
}

// --- Booleans, Empty, Null, bad text -------------------------------------

TEST(VariantConversions, TrueIsMinusOneAsANumber)
{
    EXPECT_EQ(Variant(true).toInt16(), -1);
    EXPECT_EQ(Variant(true).toInt32(), -1);
    EXPECT_EQ(Variant(true).toDouble(), -1.0);
    EXPECT_EQ(Variant(true).toCurrency(), cur("-1"));
    EXPECT_EQ(Variant(false).toInt32(), 0);
    EXPECT_EQ(Variant(true).toString(), "True");
    EXPECT_EQ(Variant(false).toString(), "False");
}

TEST(VariantConversions, ToBoolReadsNumbersAndTrueFalseText)
{
    EXPECT_TRUE(Variant(std::int32_t(-1)).toBool());
    EXPECT_TRUE(Variant(0.5).toBool());
    EXPECT_FALSE(Variant(0.0).toBool());
    EXPECT_FALSE(Variant().toBool());
    EXPECT_TRUE(Variant(" true ").toBool());
    EXPECT_FALSE(Variant("FALSE").toBool());
    EXPECT_TRUE(Variant("2").toBool());
    EXPECT_FALSE(Variant("0").toBool());
}

TEST(VariantConversions, EmptyIsZeroOrEmptyText)
{
    const Variant empty;
    EXPECT_EQ(empty.toInt16(), 0);
    EXPECT_EQ(empty.toInt32(), 0);
    EXPECT_EQ(empty.toDouble(), 0.0);
    EXPECT_EQ(empty.toFloat(), 0.0f);
    EXPECT_EQ(empty.toCurrency(), Currency());
    EXPECT_EQ(empty.toString(), "");
    EXPECT_FALSE(empty.toBool());
    EXPECT_EQ(empty.toDate(), DateTime(1899, 12, 30));
}

TEST(VariantConversions, NullRaisesInvalidUseOfNull)
{
    const Variant null = Variant::null();
    EXPECT_EQ(errorOf([&] { (void)null.toBool(); }), err::InvalidUseOfNull);
    EXPECT_EQ(errorOf([&] { (void)null.toInt16(); }), err::InvalidUseOfNull);
    EXPECT_EQ(errorOf([&] { (void)null.toInt32(); }), err::InvalidUseOfNull);
    EXPECT_EQ(errorOf([&] { (void)null.toFloat(); }), err::InvalidUseOfNull);
    EXPECT_EQ(errorOf([&] { (void)null.toDouble(); }), err::InvalidUseOfNull);
    EXPECT_EQ(errorOf([&] { (void)null.toCurrency(); }), err::InvalidUseOfNull);
    EXPECT_EQ(errorOf([&] { (void)null.toDate(); }), err::InvalidUseOfNull);
    EXPECT_EQ(errorOf([&] { (void)null.toString(); }), err::InvalidUseOfNull);
    EXPECT_EQ(errorOf([&] { (void)null.toByteArray(); }), err::InvalidUseOfNull);
    try {
        (void)null.toString();
    } catch (const RuntimeError &e) {
        EXPECT_EQ(e.description(), "Invalid use of Null");
    }
}

TEST(VariantConversions, TextThatIsNotANumberRaisesTypeMismatch)
{
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

// --- numbers in text -----------------------------------------------------

TEST(VariantNumbers, TextIsReadInTheGivenLocale)
{
    EXPECT_EQ(Variant("1,5").toDouble(), 1.5);
    EXPECT_EQ(Variant("-1,5").toDouble(), -1.5);
    EXPECT_EQ(Variant("1.234,5").toDouble(), 1234.5);
    EXPECT_EQ(Variant("1,5e2").toDouble(), 150.0);
    EXPECT_EQ(Variant("1.5").toDouble(QLocale::c()), 1.5);
    EXPECT_EQ(errorOf([] { (void)Variant("1,5").toDouble(QLocale::c()); }), err::TypeMismatch);
}

TEST(VariantNumbers, CurrencyFromTextIsReadExactly)
{
    // Through a double 1,23455 would round down; the text is exactly a half.
    EXPECT_EQ(Variant("1,23455").toCurrency(), cur("1.2346"));
    EXPECT_EQ(Variant("2,50015").toCurrency(), cur("2.5002"));
    EXPECT_EQ(Variant("1.234,5").toCurrency(), cur("1234.5"));
    EXPECT_EQ(Variant("0.1").toCurrency(QLocale::c()), cur("0.1"));
    EXPECT_EQ(Variant(0.1f).toCurrency(), cur("0.1"));
    EXPECT_EQ(Variant(std::int16_t(7)).toCurrency(), cur("7"));
}

TEST(VariantNumbers, NumericTestFollowsTheRunTime)
{
    EXPECT_TRUE(Variant().isNumeric());
    EXPECT_TRUE(Variant(true).isNumeric());
    EXPECT_TRUE(Variant(false).isNumeric());
    EXPECT_TRUE(Variant(std::int16_t(1)).isNumeric());
    EXPECT_TRUE(Variant(1).isNumeric());
    EXPECT_TRUE(Variant(1.5f).isNumeric());
    EXPECT_TRUE(Variant(1.5).isNumeric());
    EXPECT_TRUE(Variant(cur("1.5")).isNumeric());
    EXPECT_FALSE(Variant::null().isNumeric());
    EXPECT_FALSE(Variant(DateTime(2024, 3, 5)).isNumeric());
    EXPECT_FALSE(Variant(QByteArray("1")).isNumeric());
    EXPECT_FALSE(Variant("").isNumeric());
    EXPECT_FALSE(Variant("abc").isNumeric());
    EXPECT_FALSE(Variant("nan").isNumeric());
    EXPECT_TRUE(Variant(" 12 ").isNumeric());
    EXPECT_TRUE(Variant("1e3").isNumeric());
    // isNumber is the narrower test of number kinds.
    EXPECT_FALSE(Variant(true).isNumber());
    EXPECT_FALSE(Variant().isNumber());
    EXPECT_TRUE(Variant(cur("1")).isNumber());
}

TEST(VariantNumbers, NumericTextDependsOnTheLocale)
{
    EXPECT_TRUE(Variant("1,5").isNumeric(Italian));
    EXPECT_TRUE(Variant("1,5").isNumeric()); // the default locale is Italian here
    EXPECT_TRUE(Variant("1.234,5").isNumeric(Italian));
    EXPECT_FALSE(Variant("1,5").isNumeric(QLocale::c()));
    EXPECT_TRUE(Variant("1.5").isNumeric(QLocale::c()));
    EXPECT_TRUE(Variant("-0.25").isNumeric(QLocale::c()));
}

// --- text ----------------------------------------------------------------

TEST(VariantText, NumbersAreWrittenInTheLocaleWithoutGroups)
{
    EXPECT_EQ(Variant(1.5).toString(), "1,5");
    EXPECT_EQ(Variant(1.5).toString(QLocale::c()), "1.5");
    EXPECT_EQ(Variant(1234567.5).toString(), "1234567,5");
    EXPECT_EQ(Variant(0.1 + 0.2).toString(), "0,3");
    EXPECT_EQ(Variant(-0.0).toString(), "0");
    EXPECT_EQ(Variant(1e20).toString(), "1E+20");
    EXPECT_EQ(Variant(std::int16_t(-5)).toString(), "-5");
    EXPECT_EQ(Variant(1234567).toString(), "1234567");
    EXPECT_EQ(Variant(cur("12.5")).toString(), "12,5");
    EXPECT_EQ(platform::formatNumber(2.0 / 3.0, QLocale::c()), "0.666666666666667");
}

TEST(VariantText, SinglesAreWrittenWithSevenDigits)
{
    EXPECT_EQ(Variant(0.1f).toString(), "0,1");
    EXPECT_EQ(Variant(1.0f / 3.0f).toString(QLocale::c()), "0.3333333");
    EXPECT_EQ(Variant(2.5f).toString(), "2,5");
}

TEST(VariantText, DatesAreWrittenWithAFourDigitYear)
{
    EXPECT_EQ(Variant(DateTime(2024, 3, 5)).toString(), "05/03/2024");
    EXPECT_EQ(Variant(DateTime(2024, 3, 5, 14, 30)).toString(), "05/03/2024 14:30:00");
    EXPECT_EQ(Variant(DateTime(1924, 3, 5)).toString(), "05/03/1924");
}

TEST(VariantText, ByteArraysAndStrings)
{
    EXPECT_EQ(Variant(QByteArray("caff\xc3\xa8")).toString(), QStringLiteral("caffè"));
    EXPECT_EQ(Variant("caffè").toByteArray(), QByteArray("caff\xc3\xa8"));
    EXPECT_EQ(Variant(" x ").toString(), " x ");
}

// --- dates ---------------------------------------------------------------

TEST(VariantDates, TextIsReadAsIsoOrInTheLocale)
{
    EXPECT_EQ(Variant("2024-03-05").toDate(), DateTime(2024, 3, 5));
    EXPECT_EQ(Variant("2024-03-05 14:30:05").toDate(), DateTime(2024, 3, 5, 14, 30, 5));
    EXPECT_EQ(Variant("05/03/2024").toDate(), DateTime(2024, 3, 5));
    EXPECT_EQ(Variant("5/3/2024").toDate(), DateTime(2024, 3, 5));
    EXPECT_EQ(Variant("05/03/2024 14:30").toDate(), DateTime(2024, 3, 5, 14, 30));
    EXPECT_EQ(Variant("05/03/2024 14:30:05").toDate(), DateTime(2024, 3, 5, 14, 30, 5));
    EXPECT_EQ(errorOf([] { (void)Variant("abc").toDate(); }), err::TypeMismatch);
    EXPECT_EQ(errorOf([] { (void)Variant("31/02/2024").toDate(); }), err::TypeMismatch);
    EXPECT_EQ(errorOf([] { (void)Variant(QByteArray("x")).toDate(); }), err::TypeMismatch);
}

TEST(VariantDates, TwoDigitYearsUseTheRunTimeWindow)
{
    EXPECT_EQ(Variant("05/03/24").toDate(), DateTime(2024, 3, 5));
    EXPECT_EQ(Variant("05/03/29").toDate(), DateTime(2029, 3, 5));
    EXPECT_EQ(Variant("05/03/30").toDate(), DateTime(1930, 3, 5));
    EXPECT_EQ(Variant("05/03/99").toDate(), DateTime(1999, 3, 5));
    EXPECT_EQ(Variant("05/03/00 08:15").toDate(), DateTime(2000, 3, 5, 8, 15));
}

TEST(VariantDates, DateTextReadsBackToTheSameDate)
{
    for (const DateTime &d : {DateTime(2024, 3, 5), DateTime(2029, 12, 31, 23, 59, 59), DateTime(1930, 1, 1),
                              DateTime(1899, 12, 30, 6, 0)}) {
        EXPECT_EQ(Variant(Variant(d).toString()).toDate(), d);
        EXPECT_EQ(Variant(Variant(d).toString(QLocale::c())).toDate(QLocale::c()), d);
    }
}

TEST(VariantDates, NumbersAreSerialDates)
{
    EXPECT_EQ(Variant(2).toDate(), DateTime(1900, 1, 1));
    EXPECT_EQ(Variant(45356.5).toDate(), DateTime(2024, 3, 5, 12, 0));
    EXPECT_EQ(Variant(-1.25).toDate(), DateTime(1899, 12, 29, 6, 0));
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
