#include "records/frmChooseMov.h"

#include "common/comDateLib.h"
#include "common/comTwipsRect.h"
#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/desktop/WindowPlacement.h"
#include "platform/grid/Grid.h"
#include "platform/grid/OleColor.h"
#include "shell/MainModule.h"
#include "shell/WindowRegistry.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdint>

using platform::Variant;

namespace {

// The working year's movements of one article, a row per line of it.
const QString Query = QStringLiteral(
    "SELECT MagazRegMain.IdReg, MagazRegMain.DataIns, MagazRegMain.Progressivo, MagazRegMain.Descrizione, "
    "MagazRegMain.Causale, MagazRegMain.TipoContropartita, CliFor.Nome "
    "FROM (MagazRegMain INNER JOIN MagazRegDetail ON MagazRegMain.IdReg = MagazRegDetail.IdReg) "
    "LEFT JOIN CliFor ON MagazRegMain.IdContropartita = CliFor.IdCliFor "
    "WHERE (MagazRegMain.DataIns Between ? And ?) AND (MagazRegDetail.CodiceArticolo = ?)");

// The columns in order: caption, field and width in twips (0 hides).
struct Colonna {
    const char *caption;
    const char *field;
    int width;
};
constexpr Colonna Colonne[] = {
    {"Data", "DataIns", 1300},
    {"", "IdReg", 0},
    {"Prog.vo", "Progressivo", 900},
    {"Descrizione", "Descrizione", 3200},
    {"Causale", "Causale", 1700},
    {"Tipo", "TipoContropartita", 1100},
    {"Contropartita", "Nome", 3000},
};
constexpr int ColonnaData = 1;
constexpr int ColonnaIdReg = 2;

// The system's tool-tip background, the colour of the sorted column.
constexpr std::uint32_t InfoBackground = 0x80000018u;
const QString SortedCol = QStringLiteral("SortedCol");

} // namespace

frmChooseMov::frmChooseMov(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmChooseMov"));
    setWindowTitle(QStringLiteral(" Seleziona un Movimento"));

    gex = new platform::Grid(this);
    gex->setObjectName(QStringLiteral("gex"));
    gex->setAllowEdit(false);
    gex->setColumnsMovable(false);
    int larghezza = 0;
    for (const Colonna &c : Colonne) {
        platform::GridColumn *column =
            gex->columns().add(QLatin1String(c.field), QString::fromUtf8(c.caption), QLatin1String(c.field));
        column->setWidth(c.width);
        larghezza += c.width;
    }
    // Dates with four-digit years: never read in the wrong century.
    gex->column(ColonnaData)->setFormat(QStringLiteral("dd/mm/yyyy"));

    cmdOpen = new QPushButton(QStringLiteral("Apri"), this);
    cmdOpen->setObjectName(QStringLiteral("cmdOpen"));
    cmdOpen->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Annulla"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOpen);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(gex, 1);
    layout->addLayout(buttons);
    // Every column shows at any size (with room for the margins and the
    // scroll bar); the list keeps a few rows when lower.
    resize(comTwipsRect(0, 0, 12000, 5400).size());
    setMinimumSize(comTwipsRect(0, 0, larghezza + 800, 3000).size());
    platform::keepOnScreen(this);

    connect(gex, &platform::Grid::headerClicked, this, &frmChooseMov::gex_ColumnHeaderClick);
    connect(gex, &platform::Grid::sortKeysChanged, this, [this] { EvidenziaOrdinamento(false); });
    connect(gex, &platform::Grid::doubleClicked, this, &frmChooseMov::cmdOpen_Click);
    connect(gex, &platform::Grid::keyDown, this, &frmChooseMov::gex_KeyDown);
    connect(cmdOpen, &QPushButton::clicked, this, &frmChooseMov::cmdOpen_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmChooseMov::cmdCancel_Click);
}

frmChooseMov::~frmChooseMov()
{
    // The grid shows the chooser's rows: it lets go of them first.
    gex->setRecordset(nullptr);
}

void frmChooseMov::Apri(const QString &codice)
{
    try {
        Carica(codice);
    } catch (const platform::RuntimeError &e) {
        platform::desktop().msgBox(e.description(), platform::vbCritical, MainModule::ApplicationTitle);
        return;
    }
    gex->sortKeys().assign({{ColonnaData, platform::SortOrder::Ascending}});
    EvidenziaOrdinamento(true);
    if (gex->rowCount() > 0)
        gex->setRow(1);
    gex->setFocus();
    exec();
}

void frmChooseMov::Carica(const QString &codice)
{
    const platform::DateTime &oggi = MainModule::WorkDate;
    platform::Connection connection(MainModule::ConnString);
    auto rows = std::make_unique<platform::Recordset>();
    rows->open(Query, connection, platform::CursorType::Static, platform::LockType::ReadOnly,
               platform::CommandType::Text, {Variant(comDateLib::FirstDayOfYear(oggi)), Variant(comDateLib::EndOfDay(oggi)), Variant(codice)});
    rows->setActiveConnection(nullptr);
    gex->setRecordset(rows.get());
    m_rs = std::move(rows);
}

void frmChooseMov::EvidenziaOrdinamento(bool first)
{
    if (first)
        gex->formatStyles().setBackColor(SortedCol, platform::oleColor(InfoBackground));
    for (int i = 1; i <= gex->columns().count(); ++i)
        gex->column(i)->setFormatStyle(QStringLiteral("Default"));
    if (!gex->sortKeys().isEmpty())
        if (platform::GridColumn *sorted = gex->column(gex->sortKeys().item(1).column))
            sorted->setFormatStyle(SortedCol);
}

void frmChooseMov::gex_ColumnHeaderClick(int column)
{
    platform::GridKeyList &keys = gex->sortKeys();
    const bool ascending = !keys.isEmpty() && keys.item(1).order == platform::SortOrder::Ascending;
    // The new key marks its column through sortKeysChanged.
    keys.assign({{column, ascending ? platform::SortOrder::Descending : platform::SortOrder::Ascending}});
    gex->setFocus();
}

void frmChooseMov::gex_KeyDown(platform::GridKeyEvent &key)
{
    switch (key.key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        key.handled = true;
        cmdOpen_Click();
        break;
    case Qt::Key_Escape:
        key.handled = true;
        cmdCancel_Click();
        break;
    default:
        break;
    }
}

void frmChooseMov::cmdOpen_Click()
{
    const int row = gex->row();
    if (row < 1 || gex->model()->recordOfRow(row) < 0)
        return;
    const std::int32_t idReg = gex->valueAt(row, ColonnaIdReg).toInt32();
    // Out of the way before the movement window comes up.
    hide();
    QApplication::processEvents();
    WindowRegistry::Apri(QStringLiteral("frm_io_MovMag_01"), Variant(idReg));
    accept();
}

void frmChooseMov::cmdCancel_Click()
{
    reject();
}
