#include "records/frm_io_MovMag_01_Righe.h"

#include "common/comDataBase.h"
#include "common/comUtility.h"
#include "common/comfrmFindRecord.h"
#include "platform/base/RuntimeError.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/grid/Grid.h"
#include "platform/grid/GridColumn.h"
#include "platform/grid/GridDelegate.h"
#include "platform/grid/GridModel.h"
#include "platform/grid/GridRowFormat.h"
#include "records/Movimento.h"
#include "records/frm_io_Articoli_02.h"
#include "shell/MainModule.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QTableView>
#include <QTimer>

#include <cmath>

using platform::Grid;
using platform::GridColumn;
using platform::Variant;

namespace {

// The record finder of the articles (F6).
const QString QueryTrova = QStringLiteral(
    "SELECT Articoli.Codice, Articoli.Descrizione, Articoli.Categoria, CliFor.Nome AS Fornitore, "
    "Articoli.CodiceArtFor AS CodiceFornitore FROM Articoli LEFT JOIN CliFor ON Articoli.IdFornitore = CliFor.IdCliFor");
const QString LayoutTrova = QStringLiteral("2;1820;3220;860;1020;1420");

// The lines' columns: caption, field, width in twips (0 hides), header tip.
struct ColonnaRiga {
    const char *caption;
    const char *field;
    int width;
    const char *tip;
};
constexpr ColonnaRiga Colonne[] = {
    {"IdDet", "IdDet", 0, ""},
    {"IdReg", "IdReg", 0, ""},
    {"Riga", "Riga", 600, ""},
    {"CodiceArticolo", "CodiceArticolo", 1800, "Codice Articolo"},
    {"Descrizione", "CodiceArticolo", 4200, ""},
    {"Quantità", "Quantità", 1100, "Quantità di carico/scarico"},
    {"Segno", "Segno", 0, ""},
    {"Costo", "Costo", 1300, "Costo di acquisto"},
    {"Prezzo", "Prezzo", 1300, "Prezzo di Vendita"},
};

// The columns of the stock list: caption, format, width in twips.
struct ColonnaLista {
    const char *caption;
    const char *format;
    int width;
};
constexpr ColonnaLista ColonneGiacenze[] = {
    {"Codice articolo", "", 1600},
    {"Descrizione", "", 3600},
    {"Giacenza", "#,#", 900},
    {"Costo", "#,#.0000", 1100},
    {"Prezzo", "#,#.00", 1100},
};
constexpr int ListaCosto = 4;
constexpr int ListaPrezzo = 5;


} // namespace

frm_io_MovMag_01_Righe::frm_io_MovMag_01_Righe(Grid *grid, QWidget *window, QLabel *panel1, QLabel *panel2)
    : QObject(window)
    , m_grid(grid)
    , m_window(window)
    , m_panel1(panel1)
    , m_panel2(panel2)
{
    for (auto &list : m_gexArt) {
        list = std::make_unique<platform::GridModel>();
        list->setConnectionString(MainModule::ConnString);
    }
    m_gexArt[1]->setRecordSource(QStringLiteral("SELECT Codice, Descrizione FROM Articoli ORDER BY Codice"));

    for (const ColonnaRiga &c : Colonne) {
        GridColumn *column =
            m_grid->columns().add(QString::fromUtf8(c.caption), QString::fromUtf8(c.caption), QString::fromUtf8(c.field));
        column->setWidth(c.width);
        column->setHeaderTip(QString::fromUtf8(c.tip));
    }
    for (const int fixed : {Riga, Descrizione}) {
        m_grid->column(fixed)->setEditable(false);
        m_grid->column(fixed)->setSelectable(false);
    }
    for (const int column : {Codice, Descrizione, Quantita, Costo, Prezzo})
        m_grid->column(column)->setResizable(false);
    m_grid->column(Codice)->setDropDown(m_gexArt[0].get(), QStringLiteral("Codice"), QStringLiteral("Codice"));
    m_grid->column(Descrizione)->setDropDown(m_gexArt[1].get(), QStringLiteral("Codice"), QStringLiteral("Descrizione"));
    m_grid->column(Quantita)->setDefaultValue(Variant(QStringLiteral("1")));
    m_grid->column(Quantita)->setFormat(MainModule::QtyFormat);
    m_grid->column(Costo)->setFormat(MainModule::ValueFormat);
    m_grid->column(Prezzo)->setFormat(MainModule::ValueFormat);
    m_grid->setColumnsMovable(false);
    m_grid->setRowHeaders(true);
    m_grid->setRecordNavigatorCaption(QStringLiteral("Record:|di"));

    connect(m_grid, &Grid::beforeColUpdate, this, &frm_io_MovMag_01_Righe::gexDet_BeforeColUpdate);
    connect(m_grid, &Grid::afterColUpdate, this, &frm_io_MovMag_01_Righe::gexDet_AfterColUpdate);
    connect(m_grid, &Grid::afterUpdate, this, &frm_io_MovMag_01_Righe::gexDet_AfterUpdate);
    connect(m_grid, &Grid::afterDelete, this, &frm_io_MovMag_01_Righe::rigaMemorizzata);
    connect(m_grid, &Grid::rowFormat, this, &frm_io_MovMag_01_Righe::gexDet_RowFormat);
    connect(m_grid, &Grid::keyDown, this, &frm_io_MovMag_01_Righe::gexDet_KeyDown);
    connect(m_grid, &Grid::keyPress, this, &frm_io_MovMag_01_Righe::gexDet_KeyPress);
    connect(m_grid, &Grid::currentCellChanged, this,
            [this](int, int column) { gexDet_SelectionChange(column); });
    connect(m_grid, &Grid::focusReceived, this, &frm_io_MovMag_01_Righe::gexDet_GotFocus);
    connect(m_grid, &Grid::dataError, this, &frm_io_MovMag_01_Righe::gexDet_Error);
    connect(m_grid, &Grid::beforeDropDown, this, [this](int column) {
        if (column == Codice && m_GiacenzeVecchie)
            RileggiGiacenze();
    });
}

frm_io_MovMag_01_Righe::~frm_io_MovMag_01_Righe()
{
    // The grid lets go of the lists and the lines before they go.
    m_grid->column(Codice)->clearDropDown();
    m_grid->column(Descrizione)->clearDropDown();
    m_grid->setRecordset(nullptr);
}

void frm_io_MovMag_01_Righe::CaricaListe(std::int16_t anno)
{
    // The year's stock, its last day whole.
    m_gexArt[0]->setRecordSource(QStringLiteral("Execute ViewGiacenze %1, %2")
                                     .arg(comDataBase::SqlDate(platform::DateTime(anno, 1, 1)),
                                          comDataBase::SqlEndOfDay(platform::DateTime(anno, 12, 31))));
    m_gexArt[1]->rebind();
    m_gexArt[1]->column(1)->setCaption(QStringLiteral("Codice articolo"));
    // The stock of every article takes longest: it is read once the window
    // shows its movement. A code typed meanwhile is looked up all the same.
    if (!m_GiacenzeInAttesa) {
        m_GiacenzeInAttesa = true;
        QTimer::singleShot(0, this, [this] {
            m_GiacenzeInAttesa = false;
            try {
                LeggiGiacenze();
            } catch (const platform::RuntimeError &e) {
                MostraErrore(e.description());
            }
        });
    }
}

void frm_io_MovMag_01_Righe::LeggiGiacenze()
{
    platform::GridModel &giacenze = *m_gexArt[0];
    m_GiacenzeVecchie = false;
    giacenze.rebind();
    for (int i = 1; i <= giacenze.columns().count() && i <= 5; ++i) {
        const ColonnaLista &c = ColonneGiacenze[i - 1];
        giacenze.column(i)->setCaption(QString::fromUtf8(c.caption));
        giacenze.column(i)->setFormat(QString::fromUtf8(c.format));
        giacenze.column(i)->setWidth(c.width);
    }
    ImpostaSegno(m_segno);
}

void frm_io_MovMag_01_Righe::Collega(platform::Recordset *righe)
{
    m_grid->setRecordset(righe);
}

void frm_io_MovMag_01_Righe::ImpostaSegno(std::int16_t segno)
{
    m_segno = segno;
    m_grid->column(Costo)->setVisible(segno == 1);
    m_grid->column(Prezzo)->setVisible(segno != 1);
    if (m_gexArt[0]->columns().count() >= ListaPrezzo) {
        m_gexArt[0]->column(ListaCosto)->setVisible(segno == 1);
        m_gexArt[0]->column(ListaPrezzo)->setVisible(segno != 1);
    }
}

void frm_io_MovMag_01_Righe::ImpostaModificabile(bool on)
{
    m_grid->setAllowEdit(on);
    m_grid->setAllowAddNew(on);
    m_grid->setAllowDelete(on);
    // The lines of a movement only shown are drawn in the button-shadow colour.
    m_grid->setForeColor(m_window->palette().color(on ? QPalette::WindowText : QPalette::Dark));
}

// ---------------------------------------------------------------- lines

bool frm_io_MovMag_01_Righe::gexDetRowUpdate()
{
    std::optional<Movimento::ValoriArticolo> articolo;
    try {
        articolo = Movimento::LeggiArticolo(m_grid->value(Codice).toString());
    } catch (const platform::RuntimeError &e) {
        MostraErrore(e.description());
        return false;
    }
    if (!articolo)
        return false;
    ImpostaValori(*articolo);
    return true;
}

void frm_io_MovMag_01_Righe::gexDet_BeforeColUpdate(platform::GridCellUpdate &update)
{
    if (update.column != Codice)
        return;
    // Only an article's code is taken, as the article has it.
    std::optional<Movimento::ValoriArticolo> articolo;
    const QString typed = update.newValue.isNull() || update.newValue.isEmpty() ? QString() : update.newValue.toString();
    try {
        if (!typed.trimmed().isEmpty())
            articolo = Movimento::LeggiArticolo(typed);
    } catch (const platform::RuntimeError &e) {
        MostraErrore(e.description());
        update.cancel = true;
        return;
    }
    if (!articolo) {
        update.cancel = true;
        MostraErrore(MsgErroreDati);
        return;
    }
    update.newValue = Variant(articolo->codice);
    m_Articolo = articolo;
}

void frm_io_MovMag_01_Righe::gexDet_AfterColUpdate(int, int column)
{
    // The article was read when its code was checked.
    if (column == Codice && m_Articolo) {
        ImpostaValori(*m_Articolo);
        MostraDescrizione();
    }
    m_Articolo.reset();
}

void frm_io_MovMag_01_Righe::MostraDescrizione()
{
    // A code the description list does not know shows as itself: an article
    // created since the list was read (F5, or another user). The list is
    // read again then, and only then.
    const int row = m_grid->row();
    const Variant codice = m_grid->value(Codice);
    if (codice.isNull() || codice.isEmpty() || m_grid->textAt(row, Descrizione) != codice.toString())
        return;
    try {
        m_gexArt[1]->rebind();
    } catch (const platform::RuntimeError &e) {
        MostraErrore(e.description());
    }
}

void frm_io_MovMag_01_Righe::ImpostaValori(const Movimento::ValoriArticolo &articolo)
{
    m_grid->setValue(Costo, Variant(articolo.costo));
    m_grid->setValue(Prezzo, Variant(articolo.prezzo));
}

void frm_io_MovMag_01_Righe::gexDet_AfterUpdate()
{
    m_grid->setCol(Codice);
    // The stock list is read again when it is next opened, not for every line.
    m_GiacenzeVecchie = true;
    emit rigaMemorizzata();
}

void frm_io_MovMag_01_Righe::gexDet_RowFormat(platform::GridRowFormat &row)
{
    if (row.isGroupCaption())
        return;
    // Quantities show without sign: a stored return reads as it was typed.
    const Variant q = row.value(Quantita);
    if (q.isNumber() && comUtility::NumberOrDefault(q, 0) < 0)
        row.setValue(Quantita, Variant(-q.toCurrency()));
}

QString frm_io_MovMag_01_Righe::CodiceCorrente() const
{
    const QWidget *editor = m_grid->delegate()->editor();
    if (editor && m_grid->delegate()->editorIndex().column() + 1 == Codice)
        return platform::GridDelegate::editorText(editor);
    const Variant value = m_grid->value(Codice);
    return value.isNull() || value.isEmpty() ? QString() : value.toString();
}

void frm_io_MovMag_01_Righe::gexDet_KeyDown(platform::GridKeyEvent &key)
{
    if (!m_grid->allowEdit())
        return;
    const int column = m_grid->col();
    switch (key.key) {
    case Qt::Key_Right:
        // On the code, Right moves on to the next cell instead of inside the list.
        if (column == Codice) {
            key.handled = true;
            QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : m_grid->view();
            QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier));
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (CodiceCorrente().isEmpty()) {
            key.handled = true;
            emit fineRighe();
        }
        break;
    case Qt::Key_F5:
        if (column == Codice) {
            key.handled = true;
            NuovoArticolo();
        }
        break;
    case Qt::Key_F7:
        if (column == Codice && !CodiceCorrente().isEmpty()) {
            key.handled = true;
            ApriArticolo();
        }
        break;
    case Qt::Key_F6:
        key.handled = true;
        TrovaArticolo();
        break;
    default:
        break;
    }
}

void frm_io_MovMag_01_Righe::gexDet_KeyPress(platform::GridKeyEvent &key)
{
    // Quantities, costs and prices are never typed negative.
    const int column = m_grid->col();
    if (key.text == QStringLiteral("-") && (column == Quantita || column == Costo || column == Prezzo))
        key.handled = true;
}

void frm_io_MovMag_01_Righe::gexDet_SelectionChange(int column)
{
    if (column < 1)
        return;
    m_panel1->setText(m_grid->column(column) ? m_grid->column(column)->headerTip() : QString());
    m_panel2->setText(column == Codice ? SuggerimentoCodice : QString());
}

void frm_io_MovMag_01_Righe::gexDet_GotFocus()
{
    // Typing starts a new line with its article code.
    if (m_grid->newRecordRow() > 0 && m_grid->model()->pendingRow() == 0) {
        m_grid->setRow(m_grid->newRecordRow());
        m_grid->setCol(Codice);
    }
    m_panel2->setText(SuggerimentoCodice);
}

void frm_io_MovMag_01_Righe::gexDet_Error(platform::GridDataError &error)
{
    // The grid's own words give way to the window's.
    error.showMessage = false;
    MostraErrore(MsgErroreDati);
}

// ---------------------------------------------------------------- articles

void frm_io_MovMag_01_Righe::RileggiGiacenze()
{
    try {
        LeggiGiacenze();
    } catch (const platform::RuntimeError &e) {
        MostraErrore(e.description());
    }
}

bool frm_io_MovMag_01_Righe::ImpostaArticolo(const Variant &codice)
{
    m_GiacenzeVecchie = true;
    // What is being typed into another cell of the line is stored first;
    // the code being typed gives way.
    if (m_grid->col() != Codice && !m_grid->commitEdit())
        return false;
    m_grid->setValue(Codice, codice);
    if (gexDetRowUpdate())
        MostraDescrizione();
    m_grid->setCol(Codice);
    return true;
}

void frm_io_MovMag_01_Righe::TornaAllaCella(int column)
{
    if (m_grid->col() != column)
        m_grid->setCol(column);
    m_grid->focusCell();
}

void frm_io_MovMag_01_Righe::NuovoArticolo()
{
    const std::int32_t fornitore = FornitoreNuovoArticolo ? FornitoreNuovoArticolo() : 0;
    const Variant codice = frm_io_Articoli_02(m_window).Nuovo(1, fornitore);
    if (!codice.isNull() && !codice.isEmpty())
        ImpostaArticolo(codice);
    TornaAllaCella(Codice);
}

void frm_io_MovMag_01_Righe::ApriArticolo()
{
    const Variant codice = frm_io_Articoli_02(m_window).Apri(CodiceCorrente(), 1);
    if (!codice.isNull() && !codice.isEmpty()) {
        // The article's cost, price and description may have changed.
        m_GiacenzeVecchie = true;
        try {
            m_gexArt[1]->rebind();
        } catch (const platform::RuntimeError &e) {
            MostraErrore(e.description());
        }
        gexDetRowUpdate();
    }
    TornaAllaCella(Codice);
}

void frm_io_MovMag_01_Righe::TrovaArticolo()
{
    const int column = m_grid->col();
    comfrmFindRecord::Result result;
    try {
        result = comfrmFindRecord::Trova(MainModule::ConnString, QStringLiteral("Articoli"), QueryTrova,
                                         comfrmFindRecord::ButInsert, LayoutTrova, 1, std::nullopt, m_window);
    } catch (const platform::RuntimeError &e) {
        MostraErrore(e.description());
        TornaAllaCella(column);
        return;
    }
    // An article chosen: the user goes on with the line's next cell, the quantity.
    if (result[0].toString() == QStringLiteral("i") && !result[1].isNull() && !result[1].isEmpty()
        && ImpostaArticolo(result[1]))
        TornaAllaCella(Quantita);
    else
        TornaAllaCella(column);
}

void frm_io_MovMag_01_Righe::MostraErrore(const QString &description) const
{
    platform::desktop().msgBox(description, platform::vbOKOnly, MainModule::ApplicationTitle);
}
