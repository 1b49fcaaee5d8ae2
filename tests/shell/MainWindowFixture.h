#pragma once

// The fixture of the main window's tests.
#include "ShellFixture.h"

#include "platform/desktop/ButtonBar.h"
#include "platform/grid/Grid.h"
#include "platform/grid/GridColumn.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>

#include <memory>

namespace shelltest {

// The working date of the tests: a year after 2030, where two-digit year
// literals would read as 1931.
const platform::DateTime Working(2031, 3, 15);

// The main window started on the working date over the database's sample
// rows, with the helpers that drive its bar, menus, list and headers.
class MainWindowTest : public TemplateDatabaseTest
{
protected:
    void SetUp() override
    {
        TemplateDatabaseTest::SetUp();
        MainModule::SettingsKey = SettingsPath;
        MainModule::SettingsKeyCopy = SettingsPath;
        MainModule::ScrollBarWidth = 255;
        runSql(database, QStringLiteral(
            "INSERT INTO CliFor (IdCliFor, Tipo, Nome) VALUES (1, 'Fornitore', 'Rossi Srl'), "
            "(2, 'Fornitore', 'Verdi Spa'), (3, 'Cliente', 'Bianchi Mario');"
            "INSERT INTO Articoli (Codice, Descrizione, UM, Categoria, IdFornitore, Costo, PrezzoIvato, ScortaMinima) VALUES "
            "('A001', 'Vite 3x20', 'PZ', 'Ferramenta', 1, 0.7, 1, 0), "
            "('A002', 'Dado M3', 'PZ', 'Minuteria', 1, 28, 40, 0), "
            "('A003', 'Colla', 'KG', 'Colle', 2, 1, 2, 0);"
            "INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale, Descrizione) VALUES "
            "(1, '2031-01-10', 1, 'Carico', 'Primo carico'), (2, '2031-03-15', 2, 'Carico', 'Colla'), "
            "(3, '2030-12-31', 9, 'Carico', 'Anno prima'), (4, '2031-03-16', 3, 'Carico', 'Dopo');"
            "INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno, Costo) VALUES "
            "(1, 1, 'A001', 1230, 1, 0.7), (1, 2, 'A002', 4.5, 1, 28), (2, 1, 'A003', 10, 1, 1), "
            "(3, 1, 'A003', 500, 1, 1), (4, 1, 'A003', 500, 1, 1);"
            "INSERT INTO Liste (Chiave, Codice, Descrizione) VALUES ('um', 'PZ', 'Pezzi'), ('cat', NULL, 'Colle');"));
        MainModule::SalvaProgressivo(7, 2031);
        startWindow();
        desk->clear();
    }

    void TearDown() override
    {
        window.reset();
        TemplateDatabaseTest::TearDown();
    }

    // A new main window started on the working date.
    void startWindow()
    {
        window = std::make_unique<frmMain>();
        MainModule::WorkDate = Working;
        MainModule::WorkYear = 2031;
        window->resize(1280, 800);
        window->Visualizza();
    }

    platform::Grid &grid() const { return *window->gexView(); }

    // Clicks a node on the button bar, opening its group first.
    void clickBar(int node)
    {
        platform::ButtonBar *bar = window->bb();
        const QString key = QString::number(node);
        if (bar->openGroup() != bar->groupOfItem(key))
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->groupRect(bar->groupOfItem(key)).center());
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->itemRect(key).center());
    }

    // A menu's item by its caption.
    static QAction *item(const QMenu *menu, const QString &caption)
    {
        QAction *action = frmMain::VoceMenu(menu, caption);
        EXPECT_NE(action, nullptr) << caption.toStdString();
        return action;
    }

    void clickHeader(const QString &columnKey)
    {
        QHeaderView *header = grid().view()->horizontalHeader();
        const int logical = grid().column(columnKey)->index() - 1;
        const QPoint at(header->sectionViewportPosition(logical) + header->sectionSize(logical) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    // The key the list is sorted by, which the find box searches.
    platform::GridKey sortKey() const { return grid().sortKeys().item(1); }

    // The text of a column in the current row.
    QString current(const QString &columnKey) const
    {
        return grid().textAt(grid().row(), grid().column(columnKey)->index());
    }

    // The captions of the shown columns, in order.
    QStringList shownCaptions() const
    {
        QStringList captions;
        for (int i = 1; i <= grid().columns().count(); ++i)
            if (grid().column(i)->visible())
                captions << grid().column(i)->caption();
        return captions;
    }

    // The values of one column over the record rows.
    QStringList columnTexts(const QString &key) const
    {
        QStringList texts;
        const int column = grid().column(key)->index();
        for (int row = 1; row <= grid().rowCount(); ++row)
            if (!grid().isGroupCaption(row))
                texts << grid().textAt(row, column);
        return texts;
    }

    QStringList groupCaptions() const
    {
        QStringList captions;
        for (int row = 1; row <= grid().rowCount(); ++row)
            if (grid().isGroupCaption(row))
                captions << grid().model()->shownCaption(row);
        return captions;
    }

    std::unique_ptr<frmMain> window;
};

} // namespace shelltest
