// Grid layouts: the layout file of the program folder, loaded into a grid
// or missed with a message, and the copy kept in the `_Pars` rows
// 'gridlayout' as UTF-16LE bytes.
#include "common/comGriglia.h"

#include "GridTestSupport.h"
#include "platform/base/Twips.h"
#include "platform/data/DatabaseError.h"
#include "platform/desktop/ScriptedDesktop.h"
#include "platform/grid/Grid.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTableView>

#include <gtest/gtest.h>

using testsupport::DataFixture;

namespace {

class GridLayouts : public gridtest::SampleGridTest
{
protected:
    void SetUp() override { bind(QStringLiteral("SELECT Codice, Descrizione, Costo FROM Articoli")); }

    QStringList layoutRows(const QString &what)
    {
        return DataFixture::queryColumn(path, QStringLiteral("SELECT %1 FROM _Pars WHERE k01 = 'gridlayout' ORDER BY k02").arg(what));
    }
    // The layout stored in a row, decoded from its bytes and applied to a fresh grid.
    void readBack(int row, platform::Grid &into)
    {
        const QByteArray bytes = QByteArray::fromHex(layoutRows(QStringLiteral("hex(m01)")).value(row).toLatin1());
        into.setLayoutText(QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()), bytes.size() / 2),
                           true, connection);
    }

    platform::ScopedScriptedDesktop desktop;
    const QString connection = connectionString();
};

} // namespace

TEST_F(GridLayouts, SavingAddsTheRowOnceThenUpdatesItUnderTheBoundNameAndAFailingSaveStoresNothing)
{
    // A name with a quote is bound, not pasted into the statement.
    const QString name = QStringLiteral("gex_a' OR k01='maga");
    grid.column(2)->setCaption(QStringLiteral("Descrizione è lunga"));
    comGriglia::SaveGridLayout(grid, connection, name);
    grid.column(1)->setWidth(2000);
    comGriglia::SaveGridLayout(grid, connection, name);
    EXPECT_EQ(layoutRows(QStringLiteral("k02 || '|' || ifnull(l01, 'N') || ifnull(l02, 'N')")),
              QStringList{name + QStringLiteral("|NN")});
    platform::Grid stored;
    readBack(0, stored);
    EXPECT_EQ(stored.column(2)->caption(), QStringLiteral("Descrizione è lunga"));
    EXPECT_EQ(stored.column(1)->width(), 2000);
    EXPECT_EQ(stored.recordSource(), grid.recordSource());

    // Another name is another row; the other rows of _Pars are left alone.
    comGriglia::SaveGridLayout(grid, connection, QStringLiteral("art"));
    EXPECT_EQ(layoutRows(QStringLiteral("k02")), (QStringList{QStringLiteral("art"), name}));
    EXPECT_EQ(DataFixture::queryValue(path, QStringLiteral("SELECT count(*) FROM _Pars")), QStringLiteral("6"));

    // The layout itself is refused, whether in a new row or in an old one.
    DataFixture::runSql(path, QStringLiteral(
        "CREATE TRIGGER no_new_layouts BEFORE INSERT ON _Pars WHEN NEW.m01 IS NOT NULL "
        "BEGIN SELECT RAISE(ABORT, 'no'); END;"
        "CREATE TRIGGER no_layouts BEFORE UPDATE OF m01 ON _Pars BEGIN SELECT RAISE(ABORT, 'no'); END;"));
    EXPECT_THROW(comGriglia::SaveGridLayout(grid, connection, QStringLiteral("gex_art")), platform::DatabaseError);
    // No row without its layout is left behind.
    EXPECT_EQ(layoutRows(QStringLiteral("k02")), (QStringList{QStringLiteral("art"), name}));
    const QString missing = path + QStringLiteral(".none");
    EXPECT_THROW(comGriglia::SaveGridLayout(grid, DataFixture::connectionString(missing), QStringLiteral("gex_art")),
                 platform::DatabaseError);
    EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST_F(GridLayouts, ALayoutFileIsLoadedAndBoundAMissingOrUnreadableOneIsReported)
{
    const QString folder = testsupport::freshDir(QStringLiteral("prg"));
    grid.column(2)->setWidth(3000);
    grid.sortKeys().add(2, platform::SortOrder::Ascending);
    grid.saveLayoutFile(comGriglia::LayoutFile(QStringLiteral("gex_art"), folder));
    EXPECT_EQ(comGriglia::LayoutFile(QStringLiteral("gex_art"), folder), folder + QStringLiteral("/gex_art.lyt"));

    platform::Grid other;
    comGriglia::LoadGridLayout(other, connection, QStringLiteral("gex_art"), folder);
    EXPECT_TRUE(desktop->msgBoxes().empty());
    EXPECT_EQ(other.connectionString(), connection);
    EXPECT_EQ(other.column(2)->width(), 3000);
    EXPECT_EQ(other.textAt(1, 2), QStringLiteral("Dado M3"));

    // A missing file, or one that is no layout, is reported and the grid
    // keeps its rows and columns.
    QFile junk(folder + QStringLiteral("/gex_cli.lyt"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("{ non un layout");
    junk.close();
    const QString shown = grid.layoutText(true);
    for (const auto &[name, why] : {std::pair{"gex_mov", "Manca il file di configurazione"},
                                    std::pair{"gex_cli", "Il file di configurazione non è leggibile"}}) {
        desktop->clear();
        comGriglia::LoadGridLayout(grid, connection, QLatin1String(name), folder);
        const auto boxes = desktop->msgBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].prompt, QStringLiteral("Attenzione!\r\n\r\n") + QString::fromUtf8(why)
                                       + QStringLiteral("\r\n\"") + folder + u'/' + QLatin1String(name)
                                       + QStringLiteral(".lyt\""));
        EXPECT_EQ(boxes[0].style, platform::vbCritical | platform::vbOKOnly);
        EXPECT_EQ(grid.layoutText(true), shown);
        EXPECT_EQ(grid.rowCount(), 3);
    }
}

// A layout file only says which rows a grid shows: a record source that is
// not a query that only reads is refused as an unreadable layout before it
// runs, whatever it would change.
TEST_F(GridLayouts, ALayoutWhoseRecordSourceWritesIsUnreadableAndRunsNothing)
{
    const QString folder = testsupport::freshDir(QStringLiteral("prg"));
    const QString file = comGriglia::LayoutFile(QStringLiteral("gex_for"), folder);
    const QString everything = QStringLiteral("SELECT (SELECT group_concat(Nome) FROM CliFor) || '/' ||"
                                              " (SELECT count(*) FROM _Pars) || '/' || (SELECT count(*) FROM Articoli)");
    const QString before = DataFixture::queryValue(path, everything);
    const QString shown = grid.layoutText(true);
    for (const char *source : {"DELETE * FROM CliFor WHERE IdCliFor = 1", "UPDATE Articoli SET Costo = 0",
                               "INSERT INTO _Pars (k01) VALUES ('x')", "DROP TABLE Articoli"}) {
        SCOPED_TRACE(source);
        platform::Grid writer;
        bind(writer, QStringLiteral("SELECT Nome FROM CliFor"));
        writer.setRecordSource(QString::fromUtf8(source));
        writer.saveLayoutFile(file);
        desktop->clear();
        comGriglia::LoadGridLayout(grid, connection, QStringLiteral("gex_for"), folder);
        EXPECT_EQ(desktop->prompts(), QStringList{comGriglia::UnreadableFileText(file)});
        EXPECT_EQ(DataFixture::queryValue(path, everything), before);
        EXPECT_EQ(grid.layoutText(true), shown);
    }
    // A second statement after a query is no query either: the database
    // refuses the text, and nothing runs.
    platform::Grid writer;
    bind(writer, QStringLiteral("SELECT Nome FROM CliFor"));
    writer.setRecordSource(QStringLiteral("SELECT Nome FROM CliFor; DELETE * FROM CliFor"));
    writer.saveLayoutFile(file);
    EXPECT_THROW(comGriglia::LoadGridLayout(grid, connection, QStringLiteral("gex_for"), folder),
                 platform::DatabaseError);
    EXPECT_EQ(DataFixture::queryValue(path, everything), before);
}

// A layout of many columns is laid out in one go, not column by column,
// under the wait cursor, each column at its place.
TEST_F(GridLayouts, ALayoutOfManyColumnsRebuildsTheGridOnceUnderTheWaitCursor)
{
    const QString folder = testsupport::freshDir(QStringLiteral("prg"));
    constexpr int Columns = 400;
    QJsonArray columns;
    for (int i = 1; i <= Columns; ++i)
        columns.append(QJsonObject{{QStringLiteral("key"), QStringLiteral("K%1").arg(i)},
                                   {QStringLiteral("dataField"), i % 2 ? QStringLiteral("Codice") : QStringLiteral("Descrizione")},
                                   {QStringLiteral("width"), 300 + i},
                                   {QStringLiteral("position"), Columns + 1 - i}});
    const QJsonObject layout{{QStringLiteral("format"), QStringLiteral("velmora-grid-layout")},
                             {QStringLiteral("version"), 1},
                             {QStringLiteral("recordSource"), QStringLiteral("SELECT Codice, Descrizione FROM Articoli")},
                             {QStringLiteral("columns"), columns}};
    QFile file(comGriglia::LayoutFile(QStringLiteral("gex_art"), folder));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(layout).toJson());
    file.close();

    grid.show();
    QList<int> cursors;
    QObject::connect(grid.model(), &QAbstractItemModel::modelReset, &grid, [&cursors] {
        cursors << (QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : -1);
    });
    comGriglia::LoadGridLayout(grid, connection, QStringLiteral("gex_art"), folder);
    EXPECT_TRUE(desktop->msgBoxes().empty());
    EXPECT_LE(cursors.size(), 2);
    EXPECT_EQ(cursors, QList<int>(cursors.size(), Qt::WaitCursor));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    ASSERT_EQ(grid.columns().count(), Columns);
    EXPECT_EQ(grid.columns().atPosition(1)->key(), QStringLiteral("K400"));
    EXPECT_EQ(grid.columns().atPosition(Columns)->key(), QStringLiteral("K1"));
    EXPECT_EQ(grid.textAt(1, 1), QStringLiteral("A001"));
    EXPECT_EQ(grid.textAt(1, 2), QStringLiteral("Vite 3x20"));
    const QHeaderView *header = grid.view()->horizontalHeader();
    QList<int> shownOrder;
    for (int v = 0; v < Columns; ++v)
        shownOrder << header->logicalIndex(v);
    QList<int> reversed;
    for (int logical = Columns - 1; logical >= 0; --logical)
        reversed << logical;
    EXPECT_EQ(shownOrder, reversed);
    EXPECT_EQ(header->sectionSize(Columns - 1), platform::twipsToPixels(grid.column(Columns)->width()));
    EXPECT_EQ(header->sectionSize(0), platform::twipsToPixels(grid.column(1)->width()));
}
