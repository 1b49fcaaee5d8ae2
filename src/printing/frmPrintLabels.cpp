#include "printing/frmPrintLabels.h"

#include "common/comRepLib.h"
#include "common/comUtility.h"
#include "common/comUtilityReport.h"
#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/grid/Grid.h"
#include "printing/IstanzeReport.h"
#include "printing/LayoutEtichetta.h"
#include "printing/NewLabel.h"
#include "printing/UpDown.h"
#include "shell/MainModule.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

using platform::DataType;
using platform::Recordset;
using platform::Variant;

namespace {

// The lines of a movement with their article and the movement's
// counterpart; a line whose article is gone is not listed.
const QString QueryRighe = QStringLiteral(
    "SELECT MagazRegDetail.CodiceArticolo AS Codice, Articoli.Descrizione, CliFor.IdCliFor AS CodiceFornitore, "
    "CliFor.Nome AS Fornitore, Articoli.CodiceArtFor AS CodArtFornitore, Articoli.Prezzo, Articoli.Aliquota, "
    "Articoli.PrezzoIvato, MagazRegDetail.[Quantità] FROM (Articoli INNER JOIN (MagazRegMain INNER JOIN "
    "MagazRegDetail ON MagazRegMain.IdReg = MagazRegDetail.IdReg) ON Articoli.Codice = "
    "MagazRegDetail.CodiceArticolo) LEFT JOIN CliFor ON MagazRegMain.IdContropartita = CliFor.IdCliFor"
    " WHERE MagazRegMain.IdReg=? ORDER BY MagazRegDetail.Riga");

// The grid's columns: key, caption, width in twips (0 hidden).
struct Colonna {
    const char *chiave;
    const char *titolo;
    int larghezza;
};
constexpr Colonna Colonne[9] = {
    {"Codice", "Codice", 1800},
    {"Descrizione", "Descrizione", 3900},
    {"CodiceFornitore", "CodiceFornitore", 0},
    {"Fornitore", "Fornitore", 0},
    {"CodArtFornitore", "CodArtFornitore", 0},
    {"Prezzo", "Prezzo", 0},
    {"Aliquota", "", 0},
    {"PrezzoIvato", "", 0},
    {"Etichette", "N° Etichette", 1200},
};
constexpr int ColonnaEtichette = 9;

// The label record: name, type, size. The codes hold 40 characters, the
// width of the article's columns, so that a barcode always carries the
// whole code.
struct Campo {
    const char *nome;
    DataType tipo;
    int dimensione;
};
constexpr Campo CampiEtichetta[frmPrintLabels::NumeroCampi] = {
    {"Codice", DataType::adVarWChar, 40},
    {"Descrizione", DataType::adVarWChar, 50},
    {"CodiceFornitore", DataType::adInteger, 0},
    {"Fornitore", DataType::adVarWChar, 24},
    {"CodiceArtFor", DataType::adVarWChar, 40},
    {"Prezzo", DataType::adCurrency, 0},
    {"Aliquota", DataType::adCurrency, 0},
    {"PrezzoIvato", DataType::adCurrency, 0},
};

// More labels than this for one line are a mistyped count, not a job.
constexpr double MaxCopie = 99999;

// The label printer of the settings, else the system's default printer.
QString StampanteEtichette()
{
    const QString name = MainModule::PrinterNames[1].trimmed();
    return name.isEmpty() ? platform::desktop().defaultPrinter() : name;
}

} // namespace

frmPrintLabels::frmPrintLabels(QWidget *parent) : QDialog(parent), m_righe(std::make_unique<Recordset>())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmPrintLabels"));
    setWindowTitle(QStringLiteral("Stampa etichette"));

    lblData = new QLabel(QStringLiteral("Numero di etichette da saltare:"), this);
    lblData->setObjectName(QStringLiteral("lblData"));
    txtData[0] = new QLineEdit(QStringLiteral("0"), this);
    txtData[0]->setObjectName(QStringLiteral("txtData0"));
    txtData[0]->setAlignment(Qt::AlignRight);
    txtData[0]->setMaximumWidth(txtData[0]->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    comUtility::installKeyFilter(txtData[0], comUtility::DigitKeyFilter);
    txtData[0]->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), txtData[0]));
    lblData->setBuddy(txtData[0]);
    UpDown1 = new UpDown(this);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setBuddy(txtData[0]);
    UpDown1->setRange(0, 100);
    UpDown1->setFixedSize(17, txtData[0]->sizeHint().height());

    GridEX1 = new platform::Grid(this);
    GridEX1->setObjectName(QStringLiteral("GridEX1"));
    GridEX1->setColumnsMovable(false);
    GridEX1->setAllowAddNew(false);
    GridEX1->setAllowDelete(false);
    for (const Colonna &c : Colonne) {
        const QString key = QString::fromUtf8(c.chiave);
        platform::GridColumn *column = GridEX1->columns().add(key, QString::fromUtf8(c.titolo), key);
        column->setWidth(c.larghezza);
        column->setEditable(false);
    }
    GridEX1->column(ColonnaEtichette)->setEditable(true);
    // The counts are numbers, typed ones too (the grid keeps an edited
    // count as the text typed).
    GridEX1->column(ColonnaEtichette)->setAlignment(Qt::AlignRight);
    GridEX1->setAllowEdit(true);
    // Wide enough for the shown columns (15 twips a pixel), the row
    // headers and a scroll bar, so that going to the count column scrolls
    // none of them away.
    AdattaColonne();

    const auto button = [this](const QString &caption, const char *name) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    cmdPreview = button(QStringLiteral("Anteprima"), "cmdPreview");
    cmdOK = button(QStringLiteral("Stampa"), "cmdOK");
    cmdCancel = button(QStringLiteral("Annulla"), "cmdCancel");

    auto *salta = new QHBoxLayout;
    salta->addWidget(lblData);
    salta->addWidget(txtData[0]);
    salta->addWidget(UpDown1);
    salta->addStretch();
    auto *pulsanti = new QHBoxLayout;
    pulsanti->addStretch();
    pulsanti->addWidget(cmdPreview);
    pulsanti->addWidget(cmdOK);
    pulsanti->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(salta);
    layout->addWidget(GridEX1, 1);
    layout->addLayout(pulsanti);

    setTabOrder(txtData[0], GridEX1);
    setTabOrder(GridEX1, cmdPreview);
    setTabOrder(cmdPreview, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    // The count column takes digits only; control keys keep their work.
    connect(GridEX1, &platform::Grid::keyPress, this, [this](platform::GridKeyEvent &e) {
        if (GridEX1->col() == ColonnaEtichette && !e.text.isEmpty() && e.text.at(0).unicode() >= 32
            && comUtility::DigitKeyFilter(static_cast<std::int16_t>(e.text.at(0).unicode())) == 0)
            e.handled = true;
    });
    connect(cmdPreview, &QPushButton::clicked, this, [this] { StampaEtichette(true); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { StampaEtichette(false); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmPrintLabels::~frmPrintLabels()
{
    // The grid shows the line table: it lets go of it first.
    GridEX1->setRecordset(nullptr);
}

void frmPrintLabels::Apri(const Variant &idReg)
{
    QPointer<frmPrintLabels> dialog = new frmPrintLabels;
    try {
        dialog->CaricaRighe(idReg);
    } catch (const platform::RuntimeError &e) {
        delete dialog.data();
        comRepLib::MostraErrore(e);
        return;
    }
    MainModule::DisabilitaChiudi(dialog);
    dialog->GridEX1->setFocus();
    dialog->exec();
}

void frmPrintLabels::CaricaRighe(const Variant &idReg)
{
    auto righe = std::make_unique<Recordset>();
    for (const Colonna &c : Colonne)
        righe->appendField(QString::fromUtf8(c.chiave), DataType::adVariant);
    righe->open();
    {
        platform::Connection connection(MainModule::ConnString);
        Recordset rs;
        rs.open(QueryRighe, connection, platform::CursorType::Static, platform::LockType::ReadOnly,
                platform::CommandType::Text, {idReg});
        for (; !rs.isEOF(); rs.moveNext()) {
            righe->addNew();
            for (int k = 0; k < 9; ++k)
                righe->setValue(k, rs.value(k));
            righe->update();
        }
        rs.close();
        connection.close();
    }
    if (righe->recordCount() > 0)
        righe->moveFirst();
    GridEX1->setRecordset(righe.get());
    m_righe = std::move(righe);
    GridEX1->setCol(ColonnaEtichette);
    AdattaColonne();
}

void frmPrintLabels::AdattaColonne()
{
    // The code and the description as wide as their longest text, so that
    // a code of 40 characters shows whole (a long description up to about
    // 80 characters' room), and the grid wide enough for the shown columns
    // (15 twips a pixel), the row headers and a scroll bar, so that going
    // to the count column scrolls none of them away.
    const QFontMetrics fm = GridEX1->fontMetrics();
    const int massimo[2] = {std::numeric_limits<int>::max(), 80 * fm.averageCharWidth() * 15};
    int larghezza = 0;
    for (int k = 0; k < 9; ++k) {
        int twip = Colonne[k].larghezza;
        if (k < 2) {
            for (int r = 1; r <= GridEX1->rowCount(); ++r)
                twip = std::max(twip, (fm.horizontalAdvance(GridEX1->textAt(r, k + 1)) + 16) * 15);
            twip = std::min(twip, std::max(Colonne[k].larghezza, massimo[k]));
            GridEX1->column(k + 1)->setWidth(twip);
        }
        larghezza += twip / 15;
    }
    GridEX1->setMinimumSize(larghezza + 60, 220);
}

std::int32_t frmPrintLabels::Copie(const Variant &conteggio)
{
    const double n = LayoutEtichetta::ArrotondaPari(comUtility::NumberOrDefault(conteggio, 0));
    if (!(n >= 1))
        return 0;
    return static_cast<std::int32_t>(std::min(n, MaxCopie));
}

std::shared_ptr<Recordset> frmPrintLabels::RecordEtichette(Recordset &righe)
{
    auto etichette = std::make_shared<Recordset>();
    for (const Campo &c : CampiEtichetta)
        etichette->appendField(QString::fromUtf8(c.nome), c.tipo, c.dimensione);
    etichette->open();
    for (int r = 0; r < righe.rowCount(); ++r) {
        const std::int32_t copie = Copie(righe.valueAt(r, ColonnaEtichette - 1));
        for (std::int32_t i = 0; i < copie; ++i) {
            etichette->addNew();
            for (int k = 0; k < NumeroCampi; ++k) {
                const Variant v = righe.valueAt(r, k);
                switch (CampiEtichetta[k].tipo) {
                case DataType::adVarWChar:
                    etichette->setValue(k, Variant(comUtility::StringOrDefault(v, QString())));
                    break;
                case DataType::adInteger:
                    etichette->setValue(k, Variant(comUtility::IntegerOrDefault(v, 0)));
                    break;
                default:
                    etichette->setValue(k, Variant(comUtility::NumberOrDefault(v, 0)));
                    break;
                }
            }
            etichette->update();
        }
    }
    if (etichette->recordCount() > 0)
        etichette->moveFirst();
    return etichette;
}

std::int32_t frmPrintLabels::EtichetteDaSaltare() const
{
    // An empty box leaves no position empty.
    return txtData[0]->text().trimmed().toInt();
}

QString frmPrintLabels::NessunaEtichettaText()
{
    return QStringLiteral("Nessuna etichetta da stampare.");
}

void frmPrintLabels::StampaEtichette(bool anteprima)
{
    // The count being typed counts too.
    GridEX1->commitRow();
    try {
        if (!StampaRecord(RecordEtichette(*m_righe), EtichetteDaSaltare(), anteprima))
            return;
    } catch (const platform::RuntimeError &e) {
        comRepLib::MostraErrore(e);
        return;
    }
    accept();
}

bool frmPrintLabels::StampaRecord(const std::shared_ptr<Recordset> &etichette, std::int32_t daSaltare, bool anteprima,
                                  int copie)
{
    if (etichette->recordCount() == 0) {
        platform::desktop().msgBox(NessunaEtichettaText(), platform::vbExclamation | platform::vbOKOnly,
                                   MainModule::ApplicationTitle);
        return false;
    }
    try {
        NewLabel &report = comUtility::SetReportPrinter(IstanzeReport::Istanza<NewLabel>(), StampanteEtichette());
        if (report.CaricaLayout() == LayoutEtichetta::Esito::Illeggibile)
            return false;
        report.setCopies(copie);
        report.setRecordset(etichette);
        MainModule::SkipLabels = daSaltare;
        if (anteprima) {
            // The preview lays the labels out now; its print tool prints
            // these pages on the label printer.
            comUtility::SetupReportToolbar(report, false);
            report.showPreview();
        } else {
            comRepLib::PrintReport(report);
            IstanzeReport::Scarica<NewLabel>();
        }
    } catch (const platform::RuntimeError &) {
        // Not carried over to a later run.
        MainModule::SkipLabels = 0;
        throw;
    }
    return true;
}
