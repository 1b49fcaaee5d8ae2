#include "printing/frmPrintReportArticoli.h"

#include "common/comRepLib.h"
#include "common/comTwipsRect.h"
#include "common/comUtility.h"
#include "common/comUtilityReport.h"
#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/grid/Grid.h"
#include "printing/IconeStampa.h"
#include "printing/UpDown.h"
#include "printing/arpArticoli.h"
#include "printing/frmPrintLabels.h"
#include "shell/MainModule.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

using platform::Variant;
using platform::report::ReportLayout;
using StampeMagazzino::Query;

namespace {

const QString Tutte = QStringLiteral("(Tutte)");
const QString Tutti = QStringLiteral("(Tutti)");

QLabel *NuovaEtichetta(const QString &text, const char *name, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setBuddy(buddy);
    return label;
}

} // namespace

frmPrintReportArticoli::frmPrintReportArticoli(QWidget *parent) : frmPrintReport(parent)
{
    setObjectName(QStringLiteral("frmPrintReportArticoli"));
    setWindowTitle(QStringLiteral("Stampa Articoli"));
    iml << IconeStampa::Elenco() << IconeStampa::Etichette();

    // The filters of both reports, under the catalogue; each report shows its own.
    frmFilter = new QGroupBox(QStringLiteral("Filtro"), this);
    frmFilter->setObjectName(QStringLiteral("frmFilter"));
    frmFilter->setGeometry(comTwipsRect(120, 4700, 6990, 1380));
    auto *grid = new QGridLayout(frmFilter);

    cmbCat = NuovaLista("cmbCat", frmFilter);
    Label3 = NuovaEtichetta(QStringLiteral("Categorie articoli:"), "Label3", cmbCat, frmFilter);
    cmbArt = NuovaLista("cmbArt", frmFilter);
    Label1 = NuovaEtichetta(QStringLiteral("Codice Articolo:"), "Label1", cmbArt, frmFilter);

    txtSkipLabels = new QLineEdit(QStringLiteral("0"), frmFilter);
    txtSkipLabels->setObjectName(QStringLiteral("txtSkipLabels"));
    txtSkipLabels->setAlignment(Qt::AlignRight);
    txtSkipLabels->setMaximumWidth(txtSkipLabels->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    // Typed keys: digits, Backspace and Tab; pasted text: digits only.
    comUtility::installKeyFilter(txtSkipLabels, comUtility::DigitKeyFilter);
    txtSkipLabels->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), txtSkipLabels));
    lbl1 = NuovaEtichetta(QStringLiteral("Etichette da saltare:"), "lbl1", txtSkipLabels, frmFilter);
    UpDown2 = new UpDown(frmFilter);
    UpDown2->setObjectName(QStringLiteral("UpDown2"));
    UpDown2->setBuddy(txtSkipLabels);
    UpDown2->setRange(0, 100);
    UpDown2->setFixedSize(17, txtSkipLabels->sizeHint().height());
    auto *salta = new QHBoxLayout;
    salta->setSpacing(0);
    salta->addWidget(txtSkipLabels);
    salta->addWidget(UpDown2);
    salta->addStretch();

    grid->addWidget(Label3, 0, 0);
    grid->addWidget(cmbCat, 0, 1);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(cmbArt, 1, 1);
    grid->addWidget(lbl1, 2, 0);
    grid->addLayout(salta, 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);

    setFixedSize(comTwipsRect(0, 0, 7230, 6200).size());

    setTabOrder(GridEX1, cmbCat);
    setTabOrder(cmbCat, cmbArt);
    setTabOrder(cmbArt, txtSkipLabels);
    setTabOrder(txtSkipLabels, cmdOK);
}

frmPrintReportArticoli::~frmPrintReportArticoli() = default;

std::vector<VoceCatalogo> frmPrintReportArticoli::CreaCatalogo()
{
    return {
        {1, ReportElenco, QStringLiteral("Anagrafica articoli")},
        {2, ReportEtichette, QStringLiteral("Etichette articoli")},
    };
}

void frmPrintReportArticoli::PreparaStampa()
{
    CaricaListe();
    SelezioneCambiata(ReportSelezionato());
}

void frmPrintReportArticoli::CaricaListe()
{
    QStringList categorie{Tutte};
    QStringList articoli{Tutti};
    try {
        platform::Connection connection(MainModule::ConnString);
        for (auto rs = connection.executeQuery(
                 QStringLiteral("SELECT Descrizione FROM Liste WHERE Chiave='cat' ORDER BY Descrizione"));
             !rs->isEOF(); rs->moveNext())
            categorie << comUtility::StringOrDefault(rs->value(0), QString());
        for (auto rs = connection.executeQuery(QStringLiteral("SELECT Codice FROM Articoli ORDER BY Codice"));
             !rs->isEOF(); rs->moveNext())
            articoli << comUtility::StringOrDefault(rs->value(0), QString());
    } catch (const platform::RuntimeError &e) {
        // The dialog opens with the lists it could read.
        comRepLib::MostraErrore(e);
    }
    cmbCat->clear();
    cmbCat->addItems(categorie);
    cmbArt->clear();
    cmbArt->addItems(articoli);
}

void frmPrintReportArticoli::SelezioneCambiata(int reportId)
{
    const bool elenco = reportId == ReportElenco;
    const bool etichette = reportId == ReportEtichette;
    for (QWidget *w : std::initializer_list<QWidget *>{Label3, cmbCat})
        w->setVisible(elenco);
    for (QWidget *w : std::initializer_list<QWidget *>{Label1, cmbArt, lbl1, txtSkipLabels, UpDown2})
        w->setVisible(etichette);
    cmdExp->setEnabled(elenco);
}

QString frmPrintReportArticoli::Categoria() const
{
    return cmbCat->currentIndex() > 0 ? cmbCat->currentText() : QString();
}

QString frmPrintReportArticoli::Articolo() const
{
    return cmbArt->currentIndex() > 0 ? cmbArt->currentText() : QString();
}

std::int32_t frmPrintReportArticoli::EtichetteDaSaltare() const
{
    // An empty box leaves no position empty.
    return txtSkipLabels->text().trimmed().toInt();
}

Query frmPrintReportArticoli::QueryElenco(bool ubicazione, const QString &categoria)
{
    Query query;
    query.sql = QStringLiteral("SELECT DataIns, ")
                + (ubicazione ? QStringLiteral("iif(IsNull(Ubicazione) OR Ubicazione='', Codice, "
                                               "Codice & ' [' & Ubicazione & ']') AS Codice")
                              : QStringLiteral("Codice"))
                + QStringLiteral(", Descrizione, Prezzo, PrezzoIvato FROM Articoli");
    if (!categoria.isEmpty()) {
        query.sql += QStringLiteral(" WHERE Categoria=?");
        query.parametri << Variant(categoria);
    }
    query.sql += QStringLiteral(" ORDER BY Articoli.Codice");
    return query;
}

Query frmPrintReportArticoli::QueryEtichette(const QString &codice)
{
    // The columns of label printing's line table, the supplier's id as the
    // supplier code, and a count of one label.
    Query query;
    query.sql = QStringLiteral(
        "SELECT Articoli.Codice, Articoli.Descrizione, Articoli.IdFornitore AS CodiceFornitore, CliFor.Nome AS Fornitore, "
        "Articoli.CodiceArtFor, Articoli.Prezzo, Articoli.Aliquota, Articoli.PrezzoIvato, 1 AS Etichette "
        "FROM Articoli LEFT JOIN CliFor ON Articoli.IdFornitore = CliFor.IdCliFor");
    if (!codice.isEmpty()) {
        query.sql += QStringLiteral(" WHERE Articoli.Codice=?");
        query.parametri << Variant(codice);
    }
    query.sql += QStringLiteral(" ORDER BY Articoli.Codice");
    return query;
}

QString frmPrintReportArticoli::TitoloElenco(const QString &categoria)
{
    const QString titolo = QStringLiteral("Articoli");
    return categoria.isEmpty() ? titolo : titolo + QStringLiteral(" - Categoria: ") + categoria;
}

void frmPrintReportArticoli::EseguiStampa()
{
    switch (ReportSelezionato()) {
    case ReportElenco:
        StampaElenco();
        break;
    case ReportEtichette:
        StampaEtichette();
        break;
    default:
        break;
    }
}

void frmPrintReportArticoli::StampaElenco()
{
    const QString categoria = Categoria();
    const bool ubicazione = MainModule::LeggiNumero(QStringLiteral("regUbiView"), 0) != 0;
    std::shared_ptr<platform::Recordset> rows;
    {
        platform::Connection connection(MainModule::ConnString);
        rows = StampeMagazzino::Esegui(connection, QueryElenco(ubicazione, categoria));
    }
    arpArticoli &layout = comUtility::SetReportPrinter(m_elenco, Variant(cmbprinters->currentText()));
    layout.setPreviewCaption(QStringLiteral("Anagrafica articoli"));
    layout.setDocumentName(windowTitle());
    layout.control(QStringLiteral("lblTitle")).caption = TitoloElenco(categoria);
    layout.setRecordset(std::move(rows));
    EseguiAzione(layout);
}

void frmPrintReportArticoli::StampaEtichette()
{
    // Labels are printed or previewed, never exported.
    if (Azione() != AzioneStampa && Azione() != AzioneAnteprima)
        return;
    std::unique_ptr<platform::Recordset> articoli;
    {
        platform::Connection connection(MainModule::ConnString);
        articoli = StampeMagazzino::Esegui(connection, QueryEtichette(Articolo()));
    }
    frmPrintLabels::StampaRecord(frmPrintLabels::RecordEtichette(*articoli), EtichetteDaSaltare(),
                                 Azione() == AzioneAnteprima, NumeroCopie());
}

void frmPrintReportArticoli::ImpostaModoEsportazione(ReportLayout &layout, std::int16_t formato, bool attivo)
{
    // Only the Excel export of the list is a plain table.
    if (&layout == m_elenco.get())
        m_elenco->ModoEsportazione = attivo && formato == EsportaExcel;
}

void frmPrintReportArticoli::Form_Unload()
{
    m_elenco.reset();
}
