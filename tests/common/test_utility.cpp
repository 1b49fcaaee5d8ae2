// The utility modules: locale facts, key filters of numeric boxes,
// null-safe field reading, year boundaries and SQL date literals.
#include "common/comDataBase.h"
#include "common/comDateLib.h"
#include "common/comUtility.h"

#include "DataFixture.h"
#include "platform/base/RuntimeError.h"

#include <QLineEdit>
#include <QLocale>
#include <QTest>

#include <gtest/gtest.h>

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

// A line edit with a key filter, typed into.
QString typed(const KeyFilterFn &filter, const QString &keys)
{
    QLineEdit edit;
    installKeyFilter(&edit, filter);
    QTest::keyClicks(&edit, keys);
    return edit.text();
}

} // namespace

TEST(LocaleInfo, FactsOfTheDefaultAndOfExplicitLocales)
{
    DefaultLocale it(Italian);
    const struct
    {
        std::int32_t locale, type;
        QString expected;
    } cases[] = {
        {LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, ","}, {LOCALE_SYSTEM_DEFAULT, LOCALE_STHOUSAND, "."},
        {0x0409, LOCALE_SDECIMAL, "."}, {LOCALE_INVARIANT, LOCALE_SDECIMAL, "."},
        {LOCALE_USER_DEFAULT, LOCALE_SDECIMAL | LOCALE_NOUSEROVERRIDE, ","},
        {LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, "dd/MM/yyyy"}, {0x0409, LOCALE_SSHORTDATE, "M/d/yyyy"},
        {LOCALE_USER_DEFAULT, LOCALE_SDATE, "/"}, {LOCALE_USER_DEFAULT, LOCALE_SABBREVMONTHNAME1 + 2, "mar"},
        {LOCALE_USER_DEFAULT, LOCALE_SCURRENCY, QStringLiteral("€")}, {LOCALE_USER_DEFAULT, LOCALE_SISO3166CTRYNAME, "IT"},
        {LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, "0"}, {0x0409, LOCALE_IFIRSTDAYOFWEEK, "6"},
        // Unknown locales, types and flags give empty text.
        {LOCALE_USER_DEFAULT, 0x7777, {}}, {0x1234, LOCALE_SDECIMAL, {}},
        {LOCALE_USER_DEFAULT, LOCALE_SDECIMAL | LOCALE_RETURN_NUMBER, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LocaleInfo(c.locale, c.type), c.expected) << std::hex << c.locale << " " << c.type;
    // The default locale is read at each call.
    DefaultLocale cLocale(QLocale::c());
    EXPECT_EQ(LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL), ".");
}

TEST(KeyFilters, DigitsBackspaceTabAndSeparatorsPassTheRestIsSwallowedAndEditingKeysStillWork)
{
    using Pair = std::pair<std::int16_t, std::int16_t>;
    const auto decimalAndDigit = [](std::int16_t k) { return Pair(DecimalKeyFilter(k), DigitKeyFilter(k)); };
    DefaultLocale it(Italian);
    for (std::int16_t k : std::initializer_list<std::int16_t>{'0', '9', 8, 9})
        EXPECT_EQ(decimalAndDigit(k), Pair(k, k)) << k;
    for (std::int16_t k : std::initializer_list<std::int16_t>{'-', '+', 13, 27, 32, 'e', '/', ':', 0, 127, 224, -1})
        EXPECT_EQ(decimalAndDigit(k), Pair(0, 0)) << k;
    EXPECT_EQ(decimalAndDigit('.'), Pair(',', 0));
    EXPECT_EQ(decimalAndDigit(','), Pair(',', 0));
    {
        // A typed comma passes even where the separator is a point.
        DefaultLocale en(English);
        EXPECT_EQ(Pair(DecimalKeyFilter('.'), DecimalKeyFilter(',')), Pair('.', ','));
    }
    {
        // Arabic digits' decimal separator is U+066B.
        const QLocale arabic(QLocale::Arabic, QLocale::Egypt);
        DefaultLocale ar(arabic);
        EXPECT_EQ(DecimalKeyFilter('.'), arabic.decimalPoint().at(0).unicode());
    }

    // Typing into a line edit is filtered, and the editing keys still work.
    EXPECT_EQ(typed(DecimalKeyFilter, QStringLiteral("-1a2b.x5 e-")), "12,5");
    EXPECT_EQ(typed(DigitKeyFilter, QStringLiteral("1.5,-x2 ")), "152");
    EXPECT_EQ(installKeyFilter(nullptr, DigitKeyFilter), nullptr);

    QLineEdit edit;
    installKeyFilter(&edit, DecimalKeyFilter);
    int returns = 0;
    QObject::connect(&edit, &QLineEdit::returnPressed, [&] { ++returns; });
    QTest::keyClicks(&edit, QStringLiteral("125"));
    QTest::keyClick(&edit, Qt::Key_Left);
    QTest::keyClick(&edit, Qt::Key_Left);
    QTest::keyClick(&edit, Qt::Key_Period);
    QTest::keyClick(&edit, Qt::Key_End);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), ",2");
    // Select all is a shortcut, not a typed "a".
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&edit, QStringLiteral("7"));
    EXPECT_EQ(edit.text(), "7");
    QTest::keyClick(&edit, Qt::Key_Return);
    QTest::keyClick(&edit, Qt::Key_Enter);
    EXPECT_EQ(returns, 2);

    // The replaced character respects read-only and the maximum length.
    edit.setReadOnly(true);
    QTest::keyClicks(&edit, QStringLiteral(".2"));
    EXPECT_EQ(edit.text(), "7");
    edit.setReadOnly(false);
    edit.clear();
    edit.setMaxLength(3);
    QTest::keyClicks(&edit, QStringLiteral("12.5"));
    EXPECT_EQ(edit.text(), "12,");
}

TEST(NullSafeReading, StringOrDefaultTakesOnlyTextNumberOrDefaultNumbersAndTextInTheUserLocale)
{
    const QString def = QStringLiteral("def");
    for (const Variant &v : {Variant::null(), Variant(), Variant(5), Variant(DateTime(2024, 3, 5)), Variant(QByteArray("x"))})
        EXPECT_EQ(StringOrDefault(v, def), def) << v.debugString().toStdString();
    EXPECT_EQ(StringOrDefault(Variant(QString()), def), "");
    EXPECT_EQ(StringOrDefault(Variant("5"), def), "5");

    DefaultLocale it(Italian);
    const QList<std::pair<Variant, double>> cases = {
        {Variant::null(), 7.5}, {Variant(), 0.0}, {Variant(std::int16_t(-3)), -3.0}, {Variant(2.25), 2.25},
        {Variant(true), -1.0}, {Variant(*platform::Currency::fromString(u"12.3456")), 12.3456},
        {Variant(" 1.234,5 "), 1234.5},
        // What is not a number gives the default.
        {Variant("abc"), 7.5}, {Variant(""), 7.5}, {Variant("12abc"), 7.5}, {Variant(DateTime(2024, 3, 5)), 7.5},
        {Variant(QByteArray("1")), 7.5},
    };
    for (const auto &[value, expected] : cases)
        EXPECT_EQ(NumberOrDefault(value, 7.5), expected) << value.debugString().toStdString();
    DefaultLocale c(QLocale::c());
    EXPECT_EQ(NumberOrDefault(Variant("1.5"), 7.5), 1.5);
    EXPECT_EQ(NumberOrDefault(Variant("1,5"), 7.5), 7.5);
}

TEST(YearBoundaries, EveryDayOfAYearGivesTheSameDatesWithoutTime)
{
    for (QDate d(2024, 1, 1); d.year() == 2024; d = d.addDays(1)) {
        const DateTime day(d, QTime(13, 45, 10));
        EXPECT_EQ(comDateLib::FirstDayOfYear(day), DateTime(2024, 1, 1));
        EXPECT_EQ(comDateLib::LastDayOfPreviousYear(day), DateTime(2023, 12, 31));
        EXPECT_EQ(comDateLib::FirstDayOfPreviousYear(day), DateTime(2023, 1, 1));
    }
    for (const auto boundary :
         {&comDateLib::FirstDayOfYear, &comDateLib::LastDayOfPreviousYear, &comDateLib::FirstDayOfPreviousYear}) {
        EXPECT_FALSE(boundary(DateTime(2024, 12, 31, 23, 59)).hasTime());
        EXPECT_FALSE(boundary(DateTime()).isValid());
    }
}

TEST(SqlDate, MonthFirstWithFourDigitYearAndNoTimeWhateverTheLocaleOrError5)
{
    EXPECT_EQ(comDataBase::SqlDate(DateTime(2024, 12, 31, 14, 30)), "#12/31/2024#");
    EXPECT_EQ(comDataBase::SqlDate(DateTime(999, 7, 4)), "#07/04/0999#");
    for (const QLocale &l : {Italian, English, QLocale(QLocale::German, QLocale::Germany)}) {
        DefaultLocale dl(l);
        EXPECT_EQ(comDataBase::SqlDate(DateTime(2024, 3, 5)), "#03/05/2024#");
    }
    const auto noDate = [] { (void)comDataBase::SqlDate(DateTime()); };
    EXPECT_EQ(testsupport::errorOf<platform::RuntimeError>(noDate).value().number(), platform::err::InvalidProcedureCall);
}
