// The utility modules: key filters of numeric boxes,
// null-safe field reading, year boundaries, SQL date literals, the help
// file and the wait cursor while a statement waits for a lock.
#include "common/comCursoreAttesa.h"
#include "common/comDataBase.h"
#include "common/comDateLib.h"
#include "common/comHelp.h"
#include "common/comUtility.h"

#include "DataFixture.h"
#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/desktop/ScriptedDesktop.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QFile>
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

    // Typing into a line edit is filtered, and the editing keys still work.
    EXPECT_EQ(typed(DecimalKeyFilter, QStringLiteral("-1a2b.x5 e-")), "12,5");
    EXPECT_EQ(typed(DigitKeyFilter, QStringLiteral("1.5,-x2 ")), "152");
    EXPECT_EQ(installKeyFilter(nullptr, DigitKeyFilter), nullptr);

    QLineEdit edit;
    installKeyFilter(&edit, DecimalKeyFilter);
    int returns = 0;
    QObject::connect(&edit, &QLineEdit::returnPressed, [&] { ++returns; });
    QTest::keyClicks(&edit, QStringLiteral("125"));
    for (const Qt::Key key : {Qt::Key_Left, Qt::Key_Left, Qt::Key_Period, Qt::Key_End, Qt::Key_Backspace})
        QTest::keyClick(&edit, key);
    EXPECT_EQ(edit.text(), "1,2");
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

TEST(NullSafeReading, NumberOrDefaultTakesNumbersAndTextInTheUserLocale)
{
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

TEST(Help, TheFileOpensAtTheTopicAMissingFileOrAViewerFailureIsReportedWithItsPath)
{
    platform::ScopedScriptedDesktop desktop;
    const QString folder = testsupport::freshDir(QStringLiteral("help"));
    const QString file = folder + QStringLiteral("/brevel.chm");
    EXPECT_FALSE(comHelp::MostraGuida(comHelp::FirstMovement, folder));
    EXPECT_TRUE(desktop->callsOf<platform::HelpCall>().empty());
    EXPECT_EQ(desktop->prompts(), QStringList{QStringLiteral("File della Guida in linea non trovato:\r\n") + file});

    desktop->clear();
    ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly));
    EXPECT_TRUE(comHelp::MostraGuida(comHelp::ShortcutKeys, folder));
    const auto calls = desktop->callsOf<platform::HelpCall>();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].helpFile, file);
    EXPECT_EQ(calls[0].contextId, 70);
    EXPECT_TRUE(desktop->msgBoxes().empty());

    desktop->setHelpFileExists(false);
    EXPECT_FALSE(comHelp::MostraGuida(comHelp::FirstMovement, folder));
    EXPECT_EQ(desktop->prompts(), QStringList{QStringLiteral("Impossibile aprire la Guida in linea:\r\n") + file});
}

TEST(comCursoreAttesa, TheWaitCursorShowsFromTheStartOfAWaitToItsEnd)
{
    using platform::Connection;
    const QString path = testsupport::DataFixture::createSampleDatabase();
    Connection holder(testsupport::DataFixture::connectionString(path));
    holder.beginTrans();
    holder.execute(QStringLiteral("UPDATE Articoli SET Costo = 9"));

    // The cursor as it stands right after the installed listener was told.
    comCursoreAttesa::Installa();
    const platform::BusyListener cursore = Connection::setBusyListener({});
    QList<int> shapes; // -1: no cursor of the program's own
    Connection::setBusyListener([&](platform::BusyWait event) {
        cursore(event);
        const QCursor *shown = QApplication::overrideCursor();
        shapes.append(shown ? shown->shape() : -1);
    });

    Connection waiting(testsupport::DataFixture::connectionString(path));
    waiting.setBusyTimeout(50);
    EXPECT_TRUE(testsupport::databaseErrorOf([&] { waiting.execute(QStringLiteral("UPDATE Articoli SET Costo = 1")); }));
    EXPECT_EQ(shapes, (QList<int>{Qt::WaitCursor, -1}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    Connection::setBusyListener({});
}
