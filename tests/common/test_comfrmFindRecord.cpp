// The record finder: the column the layout text sorts, the incremental
// search in the sorted column, the choice of another column by a header
// click, the keys of the search box and of the list, and what each call
// answers, a fresh ("c", Null) when the user only cancels.
#include "common/comfrmFindRecord.h"

#include "DataFixture.h"
#include "ModalCall.h"
#include "platform/data/DatabaseError.h"
#include "platform/desktop/ScriptedDesktop.h"
#include "platform/grid/Grid.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using platform::Variant;
using testsupport::DataFixture;

namespace {

// The movement lines' look-up of articles.
const QString ArticleQuery = QStringLiteral(
    "SELECT Articoli.Codice, Articoli.Descrizione, Articoli.Categoria, CliFor.Nome AS Fornitore, "
    "Articoli.CodiceArtFor AS CodiceFornitore FROM Articoli LEFT JOIN CliFor ON Articoli.IdFornitore = "
    "CliFor.IdCliFor");
const QString ArticleLayout = QStringLiteral("2;1820;3220;860;1020;1420");

using Action = std::function<void(comfrmFindRecord *)>;

class FindRecord : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = DataFixture::createSampleDatabase();
        // By description: Chiodo 20, Dado M3, Rondella, Tassello 6, Vite 3x20, Vite 4x30.
        DataFixture::runSql(path, QStringLiteral(
            "INSERT INTO Articoli (Codice, Descrizione, Categoria, DataIns) VALUES"
            " ('C001', 'Chiodo 20', 'Ferramenta', '2024-01-02'),"
            " ('D001', 'Tassello 6', 'Edilizia', '2024-01-02'),"
            " ('E001', 'vite 4x30', 'Ferramenta', '2024-01-02');"));
        connection = DataFixture::connectionString(path);
    }

    // Runs the finder with `action` on its window.
    comfrmFindRecord::Result trova(const Action &action, const QString &layout = ArticleLayout,
                                   std::int32_t buttons = 1, std::int32_t keyColumn = 1,
                                   const std::optional<Variant> &searchValue = std::nullopt,
                                   const QString &query = ArticleQuery)
    {
        comfrmFindRecord::Result result;
        testsupport::callModal<comfrmFindRecord>(
            [&] {
                result = comfrmFindRecord::Trova(connection, QStringLiteral("Articoli"), query, buttons, layout,
                                                 keyColumn, searchValue);
            },
            action);
        return result;
    }

    static QString currentCode(comfrmFindRecord *dialog)
    {
        return dialog->gexFind->value(1).toString();
    }

    static void clickHeader(comfrmFindRecord *dialog, int column)
    {
        QHeaderView *header = dialog->gexFind->view()->horizontalHeader();
        const int x = header->sectionViewportPosition(column - 1) + 5;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
        QApplication::processEvents();
    }

    static void expectResult(const comfrmFindRecord::Result &result, const QString &code, const Variant &key)
    {
        EXPECT_EQ(result[0], Variant(code));
        EXPECT_EQ(result[1], key);
    }

    platform::ScopedScriptedDesktop desktop;
    QString path;
    QString connection;
};

} // namespace

TEST_F(FindRecord, TypingFindsTheFirstMatchIgnoringCaseInTheColumnLastClickedKeysMoveTheListEnterChooses)
{
    auto result = trova([](comfrmFindRecord *d) {
        QTest::keyClicks(d->txtFind, QStringLiteral("VITE"));
        EXPECT_EQ(currentCode(d), QStringLiteral("A001"));
        QTest::keyClicks(d->txtFind, QStringLiteral(" 4"));
        EXPECT_EQ(currentCode(d), QStringLiteral("E001"));
        // No match leaves the row where it was.
        QTest::keyClicks(d->txtFind, QStringLiteral("z"));
        EXPECT_EQ(currentCode(d), QStringLiteral("E001"));
        QTest::keyClick(d->txtFind, Qt::Key_Return);
    });
    expectResult(result, QStringLiteral("i"), Variant(QStringLiteral("E001")));

    // Typing in the list starts the search over in the search box; the
    // arrow and page keys of the box move the list and the typing goes on.
    result = trova([](comfrmFindRecord *d) {
        QTest::keyClicks(d->txtFind, QStringLiteral("vi"));
        d->gexFind->view()->setFocus();
        QTest::keyClick(d->gexFind->view(), 'd');
        EXPECT_EQ(d->txtFind->text(), QStringLiteral("d"));
        EXPECT_EQ(currentCode(d), QStringLiteral("A002"));
        QTest::keyClick(d->txtFind, Qt::Key_Down);
        QTest::keyClick(d->txtFind, Qt::Key_Down);
        QTest::keyClick(d->txtFind, Qt::Key_Up);
        EXPECT_EQ(QApplication::focusWidget(), d->txtFind);
        QTest::keyClick(d->txtFind, Qt::Key_Enter);
    });
    // Dado M3, then one row down: Rondella.
    expectResult(result, QStringLiteral("i"), Variant(QStringLiteral("B001")));

    // A header click moves the search to that column.
    result = trova([](comfrmFindRecord *d) {
        QTest::keyClicks(d->txtFind, QStringLiteral("x"));
        clickHeader(d, 1);
        EXPECT_EQ(d->lblFindField->text(), QStringLiteral("Trova in Codice"));
        EXPECT_EQ(d->txtFind->text(), QStringLiteral("x"));
        // The supplier column is captioned by its alias.
        clickHeader(d, 4);
        EXPECT_EQ(d->lblFindField->text(), QStringLiteral("Trova in Fornitore"));
        d->txtFind->clear();
        QTest::keyClicks(d->txtFind, QStringLiteral("ROS"));
        QTest::keyClick(d->txtFind, Qt::Key_Return);
    });
    // Both of Rossi's articles match; the list is still in code order among them.
    expectResult(result, QStringLiteral("i"), Variant(QStringLiteral("A001")));
}

TEST_F(FindRecord, EachWayOfLeavingAnswersItsCodeAndKeyAndNothingCarriesOver)
{
    const auto focusList = [](comfrmFindRecord *d) { d->gexFind->view()->setFocus(); };
    const auto cell = [](comfrmFindRecord *d, int row) {
        QTableView *view = d->gexFind->view();
        return view->visualRect(view->model()->index(row - 1, 1)).center();
    };
    const struct
    {
        Action action;
        std::int32_t buttons;
        std::int32_t keyColumn;
        QString code;
        Variant key;
    } cases[] = {
        // A click sends the focus back to the search box; a double click
        // chooses even without "Inserisci".
        {[&](comfrmFindRecord *d) {
             QTest::mouseClick(d->gexFind->view()->viewport(), Qt::LeftButton, {}, cell(d, 2));
             EXPECT_EQ(QApplication::focusWidget(), d->txtFind);
             QTest::mouseDClick(d->gexFind->view()->viewport(), Qt::LeftButton, {}, cell(d, 2));
         },
         0, 1, QStringLiteral("i"), Variant(QStringLiteral("A002"))},
        {[&](comfrmFindRecord *d) {
             d->gexFind->setRow(3);
             focusList(d);
             QTest::keyClick(d->gexFind->view(), Qt::Key_Return);
         },
         1, 1, QStringLiteral("i"), Variant(QStringLiteral("B001"))},
        // "Modifica" answers "e" with the key, here from column 3; "Nuovo" "n".
        {[](comfrmFindRecord *d) {
             d->gexFind->setRow(4);
             QTest::mouseClick(d->cmdEdit, Qt::LeftButton);
         },
         7, 3, QStringLiteral("e"), Variant(QStringLiteral("Edilizia"))},
        {[](comfrmFindRecord *d) { QTest::mouseClick(d->cmdNew, Qt::LeftButton); }, 2, 1, QStringLiteral("n"), Variant::null()},
        // F5 in the list answers "n" although "Nuovo" is not offered.
        {[&](comfrmFindRecord *d) {
             focusList(d);
             QTest::keyClick(d->gexFind->view(), Qt::Key_F5);
         },
         1, 1, QStringLiteral("n"), Variant::null()},
        // Esc in the box or the list, and closing the window, must not hand
        // back the article chosen before.
        {[](comfrmFindRecord *d) { QTest::keyClick(d->txtFind, Qt::Key_Escape); }, 1, 1, QStringLiteral("c"), Variant::null()},
        {[&](comfrmFindRecord *d) {
             focusList(d);
             QTest::keyClick(d->gexFind->view(), Qt::Key_Escape);
         },
         1, 1, QStringLiteral("c"), Variant::null()},
        {[](comfrmFindRecord *d) { d->close(); }, 1, 1, QStringLiteral("c"), Variant::null()},
        // The layout sorts and searches its column; only the buttons offered
        // are enabled, Annulla always.
        {[](comfrmFindRecord *d) {
             EXPECT_EQ(d->lblFindField->text(), QStringLiteral("Trova in Descrizione"));
             EXPECT_FALSE(d->cmdNew->isEnabled() || d->cmdEdit->isEnabled());
             EXPECT_EQ(QApplication::focusWidget(), d->txtFind);
             QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
         },
         1, 1, QStringLiteral("c"), Variant::null()},
    };
    for (const auto &c : cases)
        expectResult(trova(c.action, ArticleLayout, c.buttons, c.keyColumn), c.code, c.key);
}

TEST_F(FindRecord, AStartValueOrNoLayoutSearchColumnOneAnEmptyListGivesNoKeyAndAFailingQueryRaises)
{
    auto result = trova(
        [](comfrmFindRecord *d) {
            EXPECT_EQ(currentCode(d), QStringLiteral("B001"));
            EXPECT_TRUE(d->txtFind->text().isEmpty());
            QTest::keyClick(d->txtFind, Qt::Key_Return);
        },
        ArticleLayout, 1, 1, Variant(QStringLiteral("b001")));
    expectResult(result, QStringLiteral("i"), Variant(QStringLiteral("B001")));

    result = trova(
        [](comfrmFindRecord *d) {
            EXPECT_EQ(d->gexFind->rowCount(), 0);
            QTest::keyClicks(d->txtFind, QStringLiteral("a"));
            QTest::keyClick(d->txtFind, Qt::Key_Return);
        },
        ArticleLayout, 1, 1, std::nullopt, ArticleQuery + QStringLiteral(" WHERE Articoli.Codice = 'none'"));
    expectResult(result, QStringLiteral("i"), Variant::null());

    // Without a layout the search is in column one.
    trova([](comfrmFindRecord *d) {
        QTest::keyClicks(d->txtFind, QStringLiteral("d0"));
        EXPECT_EQ(currentCode(d), QStringLiteral("D001"));
        QTest::keyClick(d->txtFind, Qt::Key_Escape);
    }, QString());

    // A query that fails shows nothing and raises.
    EXPECT_THROW(comfrmFindRecord::Trova(connection, QStringLiteral("Articoli"),
                                         QStringLiteral("SELECT Nessuno FROM Nessuna"), 1, ArticleLayout, 1),
                 platform::DatabaseError);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
