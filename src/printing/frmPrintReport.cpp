#include "printing/frmPrintReport.h"

#include "common/comRepLib.h"
#include "common/comTwipsRect.h"
#include "common/comUtility.h"
#include "common/comUtilityReport.h"
#include "platform/base/RuntimeError.h"
#include "platform/desktop/WindowPlacement.h"
#include "platform/grid/Grid.h"
#include "platform/grid/GridRowBuffer.h"
#include "platform/report/ReportLayout.h"
#include "printing/UpDown.h"
#include "shell/MainModule.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <algorithm>

using platform::report::PrintResult;
using platform::report::ReportLayout;

namespace {

constexpr int MaxCopies = 999;

} // namespace

frmPrintReport::frmPrintReport(QWidget *parent) : QDialog(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setFixedSize(comTwipsRect(0, 0, 7230, 4770).size());
    platform::keepOnScreen(this);

    // The printer and the copies.
    frmStampante = new QGroupBox(QStringLiteral("Stampante"), this);
    frmStampante->setObjectName(QStringLiteral("frmStampante"));
    frmStampante->setGeometry(comTwipsRect(120, 60, 6990, 1185));

    lblNome = new QLabel(QStringLiteral("Nome:"), frmStampante);
    lblNome->setObjectName(QStringLiteral("lblNome"));
    lblNome->setGeometry(comTwipsRect(180, 375, 1335, 255));

    cmbprinters = new QComboBox(frmStampante);
    cmbprinters->setObjectName(QStringLiteral("cmbprinters"));
    cmbprinters->setGeometry(comTwipsRect(1530, 330, 3840, 330));
    lblNome->setBuddy(cmbprinters);

    cmdPropPrinter = new QPushButton(QStringLiteral("Proprietà"), frmStampante);
    cmdPropPrinter->setObjectName(QStringLiteral("cmdPropPrinter"));
    cmdPropPrinter->setGeometry(comTwipsRect(5490, 315, 1335, 360));
    cmdPropPrinter->setEnabled(false);

    lblNumCopies = new QLabel(QStringLiteral("Copie:"), frmStampante);
    lblNumCopies->setObjectName(QStringLiteral("lblNumCopies"));
    lblNumCopies->setGeometry(comTwipsRect(180, 780, 1335, 255));

    txtNumCopies = new QLineEdit(QStringLiteral("1"), frmStampante);
    txtNumCopies->setObjectName(QStringLiteral("txtNumCopies"));
    txtNumCopies->setGeometry(comTwipsRect(1530, 735, 600, 330));
    txtNumCopies->setAlignment(Qt::AlignRight);
    // Typed keys: digits, Backspace and Tab; pasted text: digits only.
    comUtility::installKeyFilter(txtNumCopies, comUtility::DigitKeyFilter);
    txtNumCopies->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), txtNumCopies));
    lblNumCopies->setBuddy(txtNumCopies);

    UpDown1 = new UpDown(frmStampante);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setGeometry(comTwipsRect(2130, 735, 255, 330));
    UpDown1->setBuddy(txtNumCopies);
    UpDown1->setRange(1, MaxCopies);

    // The catalogue: icon, report id (hidden), title.
    frmTipo = new QGroupBox(QStringLiteral("Tipo di stampa"), this);
    frmTipo->setObjectName(QStringLiteral("frmTipo"));
    frmTipo->setGeometry(comTwipsRect(120, 1335, 5370, 3300));

    GridEX1 = new platform::Grid(frmTipo);
    GridEX1->setObjectName(QStringLiteral("GridEX1"));
    GridEX1->setGeometry(comTwipsRect(120, 285, 5130, 2895));
    GridEX1->setColumnHeaders(false);
    GridEX1->setRowHeaders(false);
    GridEX1->setColumnsMovable(false);
    GridEX1->setAllowEdit(false);
    GridEX1->setGridLineStyle(platform::GridLineStyle::None);
    GridEX1->setImageSize(QSize(32, 32));
    platform::GridColumn *icon = GridEX1->columns().add(QStringLiteral("Icona"));
    icon->setKind(platform::GridColumnKind::Image);
    icon->setWidth(660);
    icon->setResizable(false);
    GridEX1->columns().add(QStringLiteral("Id"))->setWidth(0);
    platform::GridColumn *title = GridEX1->columns().add(QStringLiteral("Titolo"));
    title->setWidth(4400);
    title->setResizable(false);

    // The buttons.
    const auto button = [this](const QString &caption, const char *name, int top) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(comTwipsRect(5610, top, 1500, 375));
        b->setAutoDefault(false);
        return b;
    };
    cmdOK = button(QStringLiteral("Stampa"), "cmdOK", 1425);
    cmdPreview = button(QStringLiteral("Anteprima"), "cmdPreview", 1890);
    cmdExp = button(QStringLiteral("&Esporta.."), "cmdExp", 2355);
    cmdCancel = button(QStringLiteral("Chiudi"), "cmdCancel", 4260);

    expmnu = new QMenu(this);
    expmnu->setObjectName(QStringLiteral("expmnu"));
    const auto &formats = comUtility::FormatiEsportazione();
    for (size_t i = 0; i < formats.size(); ++i) {
        const comUtility::FormatoEsportazione &format = formats[i];
        QAction *item = expmnu->addAction(format.voce);
        item->setObjectName(QStringLiteral("mnuexp%1").arg(format.codice));
        item->setData(format.codice);
        const std::int16_t code = format.codice;
        connect(item, &QAction::triggered, this, [this, code] { mnuexp_Click(code); });
        m_mnuexp[i] = item;
    }

    setTabOrder(cmbprinters, txtNumCopies);
    setTabOrder(txtNumCopies, GridEX1);
    setTabOrder(GridEX1, cmdOK);
    setTabOrder(cmdOK, cmdPreview);
    setTabOrder(cmdPreview, cmdExp);
    setTabOrder(cmdExp, cmdCancel);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdPreview, &QPushButton::clicked, this, [this] { cmdPreview_Click(); });
    connect(cmdExp, &QPushButton::clicked, this, &frmPrintReport::cmdExp_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmPrintReport::cmdCancel_Click);
    connect(GridEX1, &platform::Grid::doubleClicked, this, [this] { GridEX1_DblClick(); });
    connect(GridEX1, &platform::Grid::rowRead, this, &frmPrintReport::GridEX1_RowRead);
    connect(GridEX1, &platform::Grid::currentCellChanged, this, [this](int row, int) {
        static_cast<void>(row);
        SelezioneCambiata(ReportSelezionato());
    });
}

frmPrintReport::~frmPrintReport() = default;

QAction *frmPrintReport::mnuexp(int index) const
{
    for (QAction *item : m_mnuexp) {
        if (item && item->data().toInt() == index)
            return item;
    }
    return nullptr;
}

void frmPrintReport::Stampa(const QString &printerName)
{
    // The catalogue's pictures.
    GridEX1->clearImages();
    for (const QIcon &image : iml)
        GridEX1->addImage(image);

    // The installed printers, then the one asked for.
    cmbprinters->clear();
    const int count = std::min<int>(MainModule::InstalledPrinterCount, MainModule::InstalledPrinters.size());
    for (int i = 0; i < count; ++i)
        cmbprinters->addItem(MainModule::InstalledPrinters.at(i));
    cmbprinters->setCurrentIndex(cmbprinters->findText(printerName, Qt::MatchExactly));

    m_catalogo = CreaCatalogo();
    GridEX1->setUnboundRowCount(0);
    GridEX1->setUnboundRowCount(static_cast<int>(m_catalogo.size()));

    PreparaStampa();

    show();
    raise();
    activateWindow();
    GridEX1->setFocus();
}

QComboBox *frmPrintReport::NuovaLista(const char *name, QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(20);
    return combo;
}

int frmPrintReport::ReportSelezionato() const
{
    if (GridEX1->row() < 1)
        return 0;
    const platform::Variant id = GridEX1->value(2);
    return id.isNumber() ? id.toInt32() : 0;
}

int frmPrintReport::NumeroCopie() const
{
    bool ok = false;
    const int copies = txtNumCopies->text().trimmed().toInt(&ok);
    return ok ? std::clamp(copies, 1, MaxCopies) : 1;
}

void frmPrintReport::GridEX1_RowRead(int row, platform::GridRowBuffer &values)
{
    if (row < 1 || row > static_cast<int>(m_catalogo.size()))
        return;
    const VoceCatalogo &entry = m_catalogo[static_cast<size_t>(row - 1)];
    values.setValue(1, platform::Variant(static_cast<std::int32_t>(entry.icona)));
    values.setValue(2, platform::Variant(static_cast<std::int32_t>(entry.id)));
    values.setValue(3, entry.titolo);
}

void frmPrintReport::cmdOK_Click()
{
    m_azione = AzioneStampa;
    Esegui();
}

void frmPrintReport::cmdPreview_Click()
{
    m_azione = AzioneAnteprima;
    Esegui();
}

void frmPrintReport::cmdExp_Click()
{
    expmnu->popup(QCursor::pos());
}

void frmPrintReport::mnuexp_Click(int index)
{
    m_azione = static_cast<std::int16_t>(index);
    Esegui();
}

void frmPrintReport::GridEX1_DblClick()
{
    m_azione = AzioneStampa;
    Esegui();
}

void frmPrintReport::cmdCancel_Click()
{
    Scarica();
}

void frmPrintReport::reject()
{
    cmdCancel_Click();
}

void frmPrintReport::Scarica()
{
    if (m_inEsecuzione) {
        m_scaricaAllaFine = true;
        return;
    }
    close();
}

void frmPrintReport::closeEvent(QCloseEvent *event)
{
    // Not while a run is going on: it works on this window's controls.
    if (m_inEsecuzione) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void frmPrintReport::Esegui()
{
    if (m_inEsecuzione)
        return;
    m_inEsecuzione = true;
    // Printing processes window messages between pages (for "Annulla"):
    // meanwhile this window takes no input.
    setEnabled(false);
    try {
        EseguiStampa();
    } catch (const platform::RuntimeError &e) {
        // Told with the dialog usable again; it stays open for another try.
        m_inEsecuzione = false;
        m_scaricaAllaFine = false;
        setEnabled(true);
        comRepLib::MostraErrore(e);
        return;
    }
    m_inEsecuzione = false;
    setEnabled(true);
    if (m_scaricaAllaFine) {
        m_scaricaAllaFine = false;
        close();
    }
}

void frmPrintReport::EseguiAzione(ReportLayout &layout)
{
    switch (m_azione) {
    case AzioneStampa:
        StampaReport(layout);
        break;
    case AzioneAnteprima:
        AnteprimaReport(layout);
        break;
    case EsportaExcel:
    case EsportaRtf:
    case EsportaPdf:
    case EsportaHtml:
        EsportaReport(layout, m_azione);
        break;
    default:
        break;
    }
}

PrintResult frmPrintReport::StampaReport(ReportLayout &layout)
{
    layout.setCopies(NumeroCopie());
    return comRepLib::PrintReport(layout);
}

void frmPrintReport::AnteprimaReport(ReportLayout &layout)
{
    layout.setCopies(NumeroCopie());
    comUtility::SetupReportToolbar(layout, false);
    layout.showPreview();
}

void frmPrintReport::EsportaReport(ReportLayout &layout, std::int16_t formato)
{
    const auto &formats = comUtility::FormatiEsportazione();
    const auto format = std::find_if(formats.begin(), formats.end(),
                                     [formato](const comUtility::FormatoEsportazione &f) { return f.codice == formato; });
    if (format == formats.end())
        return;

    // The reduced export form holds for this run only, however it ends; the
    // pages laid out in it are not kept for a later print or preview.
    struct ExportRun {
        frmPrintReport *dialog;
        ReportLayout &layout;
        std::int16_t formato;
        ~ExportRun()
        {
            dialog->ImpostaModoEsportazione(layout, formato, false);
            layout.invalidate();
        }
    };
    ImpostaModoEsportazione(layout, formato, true);
    const ExportRun run{this, layout, formato};
    layout.run();
    comUtility::EsportaReport(layout, *format);
}
