// The grid's layout as text and as a ".lyt" file: everything the windows
// set on a grid comes back unchanged.
#include "GridTestSupport.h"
#include "support/TestEnv.h"

#include "platform/base/RuntimeError.h"

#include <QHeaderView>
#include <QTableView>

using namespace platform;

namespace {

class GridLayoutTest : public gridtest::SampleGridTest
{
protected:
    void SetUp() override
    {
        bind(QStringLiteral("Execute RepGiacenze #01/01/24#, #12/31/24#"));
        // The stock list of the main window, grouped by supplier.
        for (int i = 1; i <= grid.columns().count(); ++i)
            grid.column(i)->setWidth(0);
        grid.column(QStringLiteral("Codice"))->setWidth(1800);
        grid.column(QStringLiteral("Descrizione"))->setWidth(3600);
        grid.column(QStringLiteral("Giacenza"))->setWidth(1400);
        grid.column(QStringLiteral("Giacenza"))->setFormat(QStringLiteral("#,##0.00"));
        grid.column(QStringLiteral("Giacenza"))->setHeaderTip(QStringLiteral("Quantità in magazzino"));
        grid.column(QStringLiteral("Giacenza"))->setResizable(false);
        grid.column(QStringLiteral("Giacenza"))->setDefaultValue(Variant(Currency::fromDouble(1)));
        grid.column(QStringLiteral("Descrizione"))->setPosition(1);
        grid.column(QStringLiteral("Descrizione"))->setCaption(QStringLiteral("Articolo"));
        grid.column(QStringLiteral("Nome"))->setListName(QStringLiteral("Fornitore"));
        grid.formatStyles().add(QStringLiteral("SortedCol")).backColor = QColor(255, 255, 225);
        grid.column(QStringLiteral("Codice"))->setHeaderStyle(QStringLiteral("SortedCol"));
        grid.groups().add(8, SortOrder::Ascending);
        grid.sortKeys().add(1, SortOrder::Descending);
        QFont header(QStringLiteral("DejaVu Sans"), 9);
        header.setBold(true);
        grid.setHeaderFont(header);
        grid.setRowFont(QFont(QStringLiteral("DejaVu Serif"), 11));
        grid.setGridLineStyle(GridLineStyle::Dots);
        grid.setRecordNavigatorCaption(QStringLiteral("Record:|di"));
    }
};

} // namespace

TEST_F(GridLayoutTest, LayoutTextAndLytFileReadBackUnchanged)
{
    const QString text = grid.layoutText();
    Grid copy;
    copy.setLayoutText(text, true, connectionString());
    EXPECT_EQ(copy.layoutText(), text);
    EXPECT_EQ(copy.recordSource(), QStringLiteral("Execute RepGiacenze #01/01/24#, #12/31/24#"));
    EXPECT_EQ(copy.recordCount(), 3);
    EXPECT_EQ(copy.rowCount(), 5);
    EXPECT_EQ(copy.columns().atPosition(1)->caption(), QStringLiteral("Articolo"));
    EXPECT_EQ(copy.column(QStringLiteral("Codice"))->width(), 1800);
    EXPECT_FALSE(copy.column(QStringLiteral("Nome"))->visible());
    EXPECT_EQ(copy.column(QStringLiteral("Nome"))->listName(), QStringLiteral("Fornitore"));
    EXPECT_EQ(copy.column(QStringLiteral("Giacenza"))->format(), QStringLiteral("#,##0.00"));
    EXPECT_FALSE(copy.column(QStringLiteral("Giacenza"))->resizable());
    EXPECT_EQ(copy.column(QStringLiteral("Giacenza"))->defaultValue(), Variant(Currency::fromDouble(1)));
    EXPECT_EQ(copy.sortKeys().item(1), (GridKey{1, SortOrder::Descending}));
    EXPECT_EQ(copy.groups().item(1), (GridKey{8, SortOrder::Ascending}));
    EXPECT_TRUE(copy.headerFont().bold());
    EXPECT_EQ(copy.rowFont().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(copy.gridLineStyle(), GridLineStyle::Dots);
    EXPECT_EQ(copy.recordNavigatorCaption(), QStringLiteral("Record:|di"));
    EXPECT_EQ(copy.model()->headerData(0, Qt::Horizontal, Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 225));
    EXPECT_EQ(copy.view()->horizontalHeader()->visualIndex(1), 0);

    // A ".lyt" file binds on the connection given.
    const QString file = testsupport::freshDir() + QStringLiteral("/gex_gia.lyt");
    grid.saveLayoutFile(file);
    Grid loaded;
    loaded.loadLayoutFile(file, true, connectionString());
    EXPECT_EQ(loaded.connectionString(), connectionString());
    EXPECT_EQ(loaded.recordCount(), 3);
    EXPECT_EQ(loaded.layoutText(), text);
}

TEST_F(GridLayoutTest, WithoutBindingColumnsAreMatchedByKeyAndWhatIsNotALayoutIsRefused)
{
    const QString text = grid.layoutText(false);
    EXPECT_FALSE(text.contains(QStringLiteral("recordSource")));
    Grid other;
    bind(other, QStringLiteral("SELECT Nome, Codice FROM Articoli LEFT JOIN CliFor ON IdFornitore = IdCliFor"));
    other.setLayoutText(text);
    EXPECT_EQ(other.columns().count(), 2);
    EXPECT_EQ(other.column(QStringLiteral("Codice"))->width(), 1800);
    EXPECT_FALSE(other.column(QStringLiteral("Nome"))->visible());
    EXPECT_EQ(other.recordSource(),
              QStringLiteral("SELECT Nome, Codice FROM Articoli LEFT JOIN CliFor ON IdFornitore = IdCliFor"));
    // Keys of the layout name columns by key: here Codice is column 2.
    ASSERT_EQ(other.sortKeys().count(), 1);
    EXPECT_EQ(other.sortKeys().item(1).column, 2);
    ASSERT_EQ(other.groups().count(), 1);
    EXPECT_EQ(other.groups().item(1).column, 1);

    // What is not a layout is refused.
    Grid empty;
    EXPECT_THROW(empty.setLayoutText(QStringLiteral("Codice;1800")), RuntimeError);
    EXPECT_THROW(empty.setLayoutText(QStringLiteral("{\"format\": \"something else\"}")), RuntimeError);
    const auto missing = [&] { empty.loadLayoutFile(testsupport::freshDir() + QStringLiteral("/missing.lyt")); };
    EXPECT_EQ(testsupport::errorOf<RuntimeError>(missing).value().number(), 75);
    EXPECT_EQ(empty.columns().count(), 0);
}
