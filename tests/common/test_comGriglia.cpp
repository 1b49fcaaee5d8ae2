// Grid layouts: the layout file of the program folder, loaded into a grid
// or missed with a message, and the copy kept in the `_Pars` rows
// 'gridlayout' as UTF-16LE bytes.
#include "common/comGriglia.h"

#include "GridTestSupport.h"
#include "platform/data/DatabaseError.h"
#include "platform/desktop/ScriptedDesktop.h"
#include "platform/grid/Grid.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QFileInfo>

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
