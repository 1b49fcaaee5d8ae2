// The utility modules: locale facts, key filters of numeric boxes,
// null-safe field reading, year boundaries and SQL date literals.
#include "common/comDataBase.h"
#include "common/comDateLib.h"
#include "common/comUtility.h"

#include "platform/base/RuntimeError.h"

#include <QLineEdit>
#include <QLocale>
#include <QTest>

#include <gtest/gtest.h>

#include <ostream>

namespace platform {
static void PrintTo(const DateTime &d, std::ostream *os)
{
    *os << (d.isValid() ? d.toIso().toStdString() : std::string("invalid"));
}
} // namespace platform

static void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

using platform::DateTime;
using platform::Variant;
using namespace comUtility;

namespace {

// Makes a locale the default for one test and puts the previous one back.
class DefaultLocale
{
public:
    explicit DefaultLocale(const QLocale &locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(m_saved); }
    DefaultLocale(const DefaultLocale &) = delete;
    DefaultLocale &operator=(const DefaultLocale &) = delete;

private:
    QLocale m_saved;
};

const QLocale Italian(QLocale::Italian, QLocale::Italy);
const QLocale English(QLocale::English, QLocale::UnitedStates);

std::int16_t code(char c)
{
    return static_cast<std::int16_t>(c);
}

} // namespace

// --- LocaleInfo ----------------------------------------------------------

TEST(LocaleInfo, SeparatorsOfTheDefaultLocale)
{
    DefaultLocale it(Italian);
    EXPECT_EQ(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL), ",");
    EXPECT_EQ(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND), ".");
    EXPECT_EQ(LocaleInfo(0x400, 14), ",");
    EXPECT_EQ(LocaleInfo(0x800, 14), ",");
    EXPECT_EQ(LocaleInfo(LOCALE_SYSTEM_DEFAULT, LOCALE_STHOUSAND), ".");
    {
        DefaultLocale c(QLocale::c());
        EXPECT_EQ(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL), ".");
        EXPECT_EQ(LocaleInfo(LOCALE_SYSTEM_DEFAULT, LOCALE_STHOUSAND), ",");
    }
    EXPECT_EQ(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL), ",");
}

TEST(LocaleInfo, ExplicitLocalesAndFlags)
{
    DefaultLocale it(Italian);
    EXPECT_EQ(LocaleInfo(0x0409, LOCALE_SDECIMAL), ".");
    EXPECT_EQ(LocaleInfo(0x0409, LOCALE_STHOUSAND), ",");
    EXPECT_EQ(LocaleInfo(0x0407, LOCALE_SDECIMAL), ",");
    EXPECT_EQ(LocaleInfo(LOCALE_INVARIANT, LOCALE_SDECIMAL), ".");
    EXPECT_EQ(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL | LOCALE_NOUSEROVERRIDE), ",");
    EXPECT_EQ(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL | LOCALE_USE_CP_ACP), ",");
}

TEST(LocaleInfo, UnknownLocaleOrTypeGivesEmptyText)
{
    EXPECT_TRUE(LocaleInfo(LOCALE_USER_DEFAULT, 0x7777).isEmpty());
    EXPECT_TRUE(LocaleInfo(LOCALE_USER_DEFAULT, 0).isEmpty());
    EXPECT_TRUE(LocaleInfo(LOCALE_USER_DEFAULT, -1).isEmpty());
    EXPECT_TRUE(LocaleInfo(0x1234, LOCALE_SDECIMAL).isEmpty());
    EXPECT_TRUE(LocaleInfo(0, LOCALE_SDECIMAL).isEmpty());
    EXPECT_TRUE(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL | LOCALE_RETURN_NUMBER).isEmpty());
}

TEST(LocaleInfo, DateAndNameFactsOfAnItalianUser)
{
    DefaultLocale it(Italian);
    EXPECT_EQ(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE), "dd/MM/yyyy");
    EXPECT_EQ(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SDATE), "/");
    EXPECT_EQ(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_STIME), ":");
    EXPECT_EQ(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SDAYNAME1), QStringLiteral("lunedì"));
    EXPECT_EQ(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SMONTHNAME1), "gennaio");
    EXPECT_EQ(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SABBREVMONTHNAME1 + 2), "mar");
    EXPECT_EQ(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SCURRENCY), QStringLiteral("€"));
    EXPECT_EQ(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME), "it");
    EXPECT_EQ(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SISO3166CTRYNAME), "IT");
    EXPECT_EQ(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK), "0");
    EXPECT_EQ(LocaleInfo(0x0409, LOCALE_IFIRSTDAYOFWEEK), "6");
    EXPECT_EQ(LocaleInfo(0x0409, LOCALE_SSHORTDATE), "M/d/yyyy");
}

// --- key filters ---------------------------------------------------------

TEST(KeyFilters, DecimalFilterTurnsThePointIntoTheDecimalSeparator)
{
    {
        DefaultLocale it(Italian);
        EXPECT_EQ(DecimalKeyFilter(code('.')), code(','));
        EXPECT_EQ(DecimalKeyFilter(code(',')), code(','));
    }
    for (const QLocale &pointLocale : {QLocale::c(), English}) {
        DefaultLocale pl(pointLocale);
        EXPECT_EQ(DecimalKeyFilter(code('.')), code('.'));
        // A typed comma passes even where the separator is a point.
        EXPECT_EQ(DecimalKeyFilter(code(',')), code(','));
    }
}

TEST(KeyFilters, DecimalSeparatorOutsideAscii)
{
    // Arabic digits' decimal separator is U+066B.
    const QLocale arabic(QLocale::Arabic, QLocale::Egypt);
    DefaultLocale ar(arabic);
    EXPECT_EQ(DecimalKeyFilter(code('.')), static_cast<std::int16_t>(arabic.decimalPoint().at(0).unicode()));
}

TEST(KeyFilters, DigitsBackspaceAndTabPass)
{
    DefaultLocale it(Italian);
    for (char c = '0'; c <= '9'; ++c) {
        EXPECT_EQ(DecimalKeyFilter(code(c)), code(c));
        EXPECT_EQ(DigitKeyFilter(code(c)), code(c));
    }
    for (std::int16_t k : {8, 9}) {
        EXPECT_EQ(DecimalKeyFilter(k), k);
        EXPECT_EQ(DigitKeyFilter(k), k);
    }
}

TEST(KeyFilters, EverythingElseIsSwallowed)
{
    DefaultLocale it(Italian);
    for (std::int16_t k : std::initializer_list<std::int16_t>{'-', '+', 13, 27, 32, 'a', 'E', 'e', '/', ':', 0, 1, 47, 58, 127, 224, -1, 1643}) {
        EXPECT_EQ(DecimalKeyFilter(k), 0) << k;
        EXPECT_EQ(DigitKeyFilter(k), 0) << k;
    }
    // The whole-number filter takes no separators.
    EXPECT_EQ(DigitKeyFilter(code('.')), 0);
    EXPECT_EQ(DigitKeyFilter(code(',')), 0);
}

// --- key filters on a line edit ------------------------------------------

TEST(KeyFilterOnLineEdit, ItalianPointTypesAComma)
{
    DefaultLocale it(Italian);
    QLineEdit edit;
    installKeyFilter(&edit, DecimalKeyFilter);
    QTest::keyClicks(&edit, QStringLiteral("12.5"));
    EXPECT_EQ(edit.text(), "12,5");
}

TEST(KeyFilterOnLineEdit, MinusAndLettersAreSwallowed)
{
    DefaultLocale it(Italian);
    QLineEdit edit;
    installKeyFilter(&edit, DecimalKeyFilter);
    QTest::keyClicks(&edit, QStringLiteral("-1a2b.x5 e-"));
    EXPECT_EQ(edit.text(), "12,5");
}

TEST(KeyFilterOnLineEdit, PointStaysAPointWhereItIsTheSeparator)
{
    DefaultLocale c(QLocale::c());
    QLineEdit edit;
    installKeyFilter(&edit, DecimalKeyFilter);
    QTest::keyClicks(&edit, QStringLiteral("12.5,3"));
    EXPECT_EQ(edit.text(), "12.5,3");
}

TEST(KeyFilterOnLineEdit, DigitFilterKeepsDigitsOnly)
{
    QLineEdit edit;
    installKeyFilter(&edit, DigitKeyFilter);
    QTest::keyClicks(&edit, QStringLiteral("1.5,-x2 "));
    EXPECT_EQ(edit.text(), "152");
}

TEST(KeyFilterOnLineEdit, EditingKeysPassUntouched)
{
    DefaultLocale it(Italian);
    QLineEdit edit;
    installKeyFilter(&edit, DecimalKeyFilter);
    QTest::keyClicks(&edit, QStringLiteral("125"));
    QTest::keyClick(&edit, Qt::Key_Left);
    QTest::keyClick(&edit, Qt::Key_Left);
    QTest::keyClick(&edit, Qt::Key_Period);
    EXPECT_EQ(edit.text(), "1,25");
    QTest::keyClick(&edit, Qt::Key_End);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), "1,2");
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), ",2");
    // Select all is a shortcut, not a typed "a".
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&edit, QStringLiteral("7"));
    EXPECT_EQ(edit.text(), "7");
}

TEST(KeyFilterOnLineEdit, EnterStillReachesTheLineEdit)
{
    QLineEdit edit;
    installKeyFilter(&edit, DecimalKeyFilter);
    int returns = 0;
    QObject::connect(&edit, &QLineEdit::returnPressed, [&] { ++returns; });
    QTest::keyClick(&edit, Qt::Key_Return);
    QTest::keyClick(&edit, Qt::Key_Enter);
    EXPECT_EQ(returns, 2);
}

TEST(KeyFilterOnLineEdit, ReplacementRespectsReadOnlyAndMaxLength)
{
    DefaultLocale it(Italian);
    QLineEdit readOnly(QStringLiteral("1"));
    readOnly.setReadOnly(true);
    installKeyFilter(&readOnly, DecimalKeyFilter);
    QTest::keyClicks(&readOnly, QStringLiteral(".2"));
    EXPECT_EQ(readOnly.text(), "1");

    QLineEdit limited;
    limited.setMaxLength(3);
    installKeyFilter(&limited, DecimalKeyFilter);
    QTest::keyClicks(&limited, QStringLiteral("12.5"));
    EXPECT_EQ(limited.text(), "12,");
}

TEST(KeyFilterOnLineEdit, AnyFilterCanReplaceCharacters)
{
    QLineEdit edit;
    installKeyFilter(&edit, [](std::int16_t k) -> std::int16_t {
        if (k >= 'a' && k <= 'z')
            return static_cast<std::int16_t>(k - 'a' + 'A');
        return k == '\'' ? std::int16_t(0) : k;
    });
    QTest::keyClicks(&edit, QStringLiteral("ab'c1"));
    EXPECT_EQ(edit.text(), "ABC1");
    EXPECT_EQ(installKeyFilter(nullptr, DigitKeyFilter), nullptr);
}

// --- null-safe reading ---------------------------------------------------

TEST(StringOrDefault, OnlyTextIsTaken)
{
    const QString def = QStringLiteral("def");
    EXPECT_EQ(StringOrDefault(Variant::null(), def), def);
    EXPECT_EQ(StringOrDefault(Variant(), def), def);
    EXPECT_EQ(StringOrDefault(Variant(5), def), def);
    EXPECT_EQ(StringOrDefault(Variant(5.5), def), def);
    EXPECT_EQ(StringOrDefault(Variant(true), def), def);
    EXPECT_EQ(StringOrDefault(Variant(DateTime(2024, 3, 5)), def), def);
    EXPECT_EQ(StringOrDefault(Variant(QByteArray("x")), def), def);
    EXPECT_EQ(StringOrDefault(Variant(""), def), "");
    EXPECT_EQ(StringOrDefault(Variant(QString()), def), "");
    EXPECT_EQ(StringOrDefault(Variant("abc"), def), "abc");
    EXPECT_EQ(StringOrDefault(Variant("5"), def), "5");
}

TEST(NumberOrDefault, NumericValuesAreConverted)
{
    DefaultLocale it(Italian);
    EXPECT_EQ(NumberOrDefault(Variant::null(), 7.5), 7.5);
    EXPECT_EQ(NumberOrDefault(Variant(), 7.5), 0.0);
    EXPECT_EQ(NumberOrDefault(Variant(5), 7.5), 5.0);
    EXPECT_EQ(NumberOrDefault(Variant(std::int16_t(-3)), 7.5), -3.0);
    EXPECT_EQ(NumberOrDefault(Variant(2.25), 7.5), 2.25);
    EXPECT_EQ(NumberOrDefault(Variant(true), 7.5), -1.0);
    EXPECT_EQ(NumberOrDefault(Variant(false), 7.5), 0.0);
    EXPECT_EQ(NumberOrDefault(Variant(*platform::Currency::fromString(u"12.3456")), 7.5), 12.3456);
    EXPECT_EQ(NumberOrDefault(Variant("1,5"), 7.5), 1.5);
    EXPECT_EQ(NumberOrDefault(Variant(" 1.234,5 "), 7.5), 1234.5);
}

TEST(NumberOrDefault, WhatIsNotANumberGivesTheDefault)
{
    DefaultLocale it(Italian);
    EXPECT_EQ(NumberOrDefault(Variant("abc"), 7.5), 7.5);
    EXPECT_EQ(NumberOrDefault(Variant(""), 7.5), 7.5);
    EXPECT_EQ(NumberOrDefault(Variant("12abc"), 7.5), 7.5);
    EXPECT_EQ(NumberOrDefault(Variant(DateTime(2024, 3, 5)), 7.5), 7.5);
    EXPECT_EQ(NumberOrDefault(Variant(QByteArray("1")), 7.5), 7.5);
}

TEST(NumberOrDefault, TextIsReadInTheUserLocale)
{
    {
        DefaultLocale c(QLocale::c());
        EXPECT_EQ(NumberOrDefault(Variant("1.5"), 7.5), 1.5);
        EXPECT_EQ(NumberOrDefault(Variant("1,5"), 7.5), 7.5);
    }
    {
        DefaultLocale it(Italian);
        EXPECT_EQ(NumberOrDefault(Variant("1,5"), 7.5), 1.5);
    }
}

// --- year boundaries -----------------------------------------------------

TEST(YearBoundaries, EveryDayOfAYearGivesTheSameBoundaries)
{
    for (QDate d(2024, 1, 1); d.year() == 2024; d = d.addDays(1)) {
        const DateTime day(d, QTime(13, 45, 10));
        EXPECT_EQ(comDateLib::FirstDayOfYear(day), DateTime(2024, 1, 1));
        EXPECT_EQ(comDateLib::LastDayOfPreviousYear(day), DateTime(2023, 12, 31));
        EXPECT_EQ(comDateLib::FirstDayOfPreviousYear(day), DateTime(2023, 1, 1));
    }
}

TEST(YearBoundaries, AnswersCarryNoTimeOfDay)
{
    const DateTime lastMinute(2024, 12, 31, 23, 59);
    const DateTime first = comDateLib::FirstDayOfYear(lastMinute);
    EXPECT_EQ(first, DateTime(2024, 1, 1));
    EXPECT_FALSE(first.hasTime());
    EXPECT_EQ(first.toIso(), "2024-01-01");
    EXPECT_FALSE(comDateLib::LastDayOfPreviousYear(lastMinute).hasTime());
    EXPECT_FALSE(comDateLib::FirstDayOfPreviousYear(DateTime(2024, 1, 1, 0, 0, 1)).hasTime());
    EXPECT_EQ(comDateLib::FirstDayOfPreviousYear(DateTime(2024, 1, 1, 0, 0, 1)), DateTime(2023, 1, 1));
}

TEST(YearBoundaries, InvalidDateGivesInvalidDate)
{
    EXPECT_FALSE(comDateLib::FirstDayOfYear(DateTime()).isValid());
    EXPECT_FALSE(comDateLib::LastDayOfPreviousYear(DateTime()).isValid());
    EXPECT_FALSE(comDateLib::FirstDayOfPreviousYear(DateTime()).isValid());
}

// --- SQL date literals ---------------------------------------------------

TEST(SqlDate, MonthFirstWithFourDigitYearAndNoTime)
{
    EXPECT_EQ(comDataBase::SqlDate(DateTime(2024, 3, 5, 14, 30)), "#03/05/2024#");
    EXPECT_EQ(comDataBase::SqlDate(DateTime(2024, 12, 31)), "#12/31/2024#");
    EXPECT_EQ(comDataBase::SqlDate(DateTime(2023, 1, 1, 23, 59, 59)), "#01/01/2023#");
    EXPECT_EQ(comDataBase::SqlDate(DateTime(999, 7, 4)), "#07/04/0999#");
}

TEST(SqlDate, SameWhateverTheUserLocale)
{
    for (const QLocale &l : {Italian, English, QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
        DefaultLocale dl(l);
        EXPECT_EQ(comDataBase::SqlDate(DateTime(2024, 3, 5)), "#03/05/2024#");
    }
}

TEST(SqlDate, InvalidDateRaisesError5)
{
    try {
        (void)comDataBase::SqlDate(DateTime());
        ADD_FAILURE() << "no error raised";
    } catch (const platform::RuntimeError &e) {
        EXPECT_EQ(e.number(), platform::err::InvalidProcedureCall);
    }
}
