#include "printing/frmPrintReportMov.h"

#include "common/comRepLib.h"
#include "common/comTwipsRect.h"
#include "common/comUtility.h"
#include "common/comUtilityReport.h"
#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/grid/Grid.h"
#include "printing/IconeStampa.h"
#include "printing/IstanzeReport.h"
#include "printing/arpGiacenze_05.h"
#include "printing/arpGiornaleMagazzino.h"
#include "printing/arpInventario.h"
#include "shell/MainModule.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

using platform::Variant;
using platform::report::ReportLayout;
using StampeMagazzino::Contropartita;
using StampeMagazzino::Raggruppamento;

namespace {

// Fixed entries of the counterpart list, before the counterparts.
constexpr int PrimaContropartita = 4;

QString DataBreve(const QDate &date)
{
    return date.toString(QStringLiteral("dd/MM/yy"));
}

QDateEdit *NuovaData(const char *name, QWidget *parent)
{
    auto *date = new QDateEdit(parent);
    date->setObjectName(QString::fromLatin1(name));
    date->setCalendarPopup(true);
    date->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    return date;
}

// The formats of quantities and values in the reports.
QString Quantita()
{
    return StampeMagazzino::FormatoStampa(MainModule::QtyFormat);
}

QString Valori()
{
    return StampeMagazzino::FormatoStampa(MainModule::ValueFormat);
}

// Loads the shared layout of type Layout and points it at the printer.
template <typename Layout>
Layout &Carica(const QString &printer)
{
    return comUtility::SetReportPrinter(IstanzeReport::Istanza<Layout>(), Variant(printer));
}

} // namespace

frmPrintReportMov::frmPrintReportMov(QWidget *parent) : frmPrintReport(parent)
{
    setObjectName(QStringLiteral("frmPrintReportMov"));
    setWindowTitle(QStringLiteral(" Stampe Magazzino"));
    GridEX1->setObjectName(QStringLiteral("gex"));
    cmdPropPrinter->setVisible(false);
    iml << IconeStampa::Elenco() << IconeStampa::Magazzino();

    // The period, the filters and the report's choices, under the catalogue.
    auto *scelte = new QWidget(this);
    scelte->setObjectName(QStringLiteral("frmScelte"));
    scelte->setGeometry(comTwipsRect(120, 4740, 6990, 2940));
    auto *grid = new QGridLayout(scelte);
    grid->setContentsMargins(0, 0, 0, 0);

    Dat1 = NuovaData("Dat1", scelte);
    Dat2 = NuovaData("Dat2", scelte);
    auto *periodo = new QHBoxLayout;
    auto *lblDal = new QLabel(QStringLiteral("Movimenti dal:"), scelte);
    lblDal->setBuddy(Dat1);
    auto *lblAl = new QLabel(QStringLiteral("al"), scelte);
    lblAl->setBuddy(Dat2);
    periodo->addWidget(lblDal);
    periodo->addWidget(Dat1);
    periodo->addWidget(lblAl);
    periodo->addWidget(Dat2);
    periodo->addStretch();
    grid->addLayout(periodo, 0, 0, 1, 4);

    frmFilter = new QGroupBox(QStringLiteral("Filtro"), scelte);
    frmFilter->setObjectName(QStringLiteral("frmFilter"));
    auto *filtri = new QFormLayout(frmFilter);
    cmbContropartite = NuovaLista("cmbContropartite", frmFilter);
    cmbCategorie = NuovaLista("cmbCategorie", frmFilter);
    cmbArticoli = NuovaLista("cmbArticoli", frmFilter);
    filtri->addRow(QStringLiteral("Contropartite:"), cmbContropartite);
    filtri->addRow(QStringLiteral("Categorie articoli:"), cmbCategorie);
    filtri->addRow(QStringLiteral("Articoli:"), cmbArticoli);
    grid->addWidget(frmFilter, 1, 0, 1, 4);

    lblView = new QLabel(QStringLiteral("Colonna Importi"), scelte);
    lblView->setObjectName(QStringLiteral("lblView"));
    cmbView = NuovaLista("cmbView", scelte);
    cmbView->setMinimumContentsLength(12);
    lblView->setBuddy(cmbView);
    lblGroup = new QLabel(QStringLiteral("Raggruppamento"), scelte);
    lblGroup->setObjectName(QStringLiteral("lblGroup"));
    cmbGroup = NuovaLista("cmbGroup", scelte);
    cmbGroup->setMinimumContentsLength(12);
    lblGroup->setBuddy(cmbGroup);
    grid->addWidget(lblView, 2, 0);
    grid->addWidget(cmbView, 2, 1);
    grid->addWidget(lblGroup, 2, 2);
    grid->addWidget(cmbGroup, 2, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    setFixedSize(comTwipsRect(0, 0, 7230, 7860).size());

    setTabOrder(GridEX1, Dat1);
    setTabOrder(Dat1, Dat2);
    setTabOrder(Dat2, cmbContropartite);
    setTabOrder(cmbContropartite, cmbCategorie);
    setTabOrder(cmbCategorie, cmbArticoli);
    setTabOrder(cmbArticoli, cmbView);
    setTabOrder(cmbView, cmbGroup);
    setTabOrder(cmbGroup, cmdOK);
}

frmPrintReportMov::~frmPrintReportMov() = default;

std::vector<VoceCatalogo> frmPrintReportMov::CreaCatalogo()
{
    return {
        {2, ReportGiornale, QStringLiteral("Giornale di Magazzino")},
        {2, ReportInventario, QStringLiteral("Inventario")},
        {1, ReportSottoscorta, QStringLiteral("Articoli sottoscorta")},
    };
}

void frmPrintReportMov::PreparaStampa()
{
    const platform::DateTime oggi = MainModule::WorkDate.isValid() ? MainModule::WorkDate : platform::DateTime::today();
    Dat1->setDate(QDate(oggi.year(), 1, 1));
    Dat2->setDate(oggi.date());
    ImpostaAzione(AzioneStampa);

    CaricaListe();

    ImpostaVista(QStringLiteral("Colonna Importi"), QStringLiteral("Costo"), QStringLiteral("Prezzo di vendita"));
    cmbGroup->clear();
    cmbGroup->addItems({QStringLiteral("Nessuno"), QStringLiteral("Categoria Articolo"), QStringLiteral("Contropartita"),
                        QStringLiteral("Contropartita > Categoria Articolo")});
    cmbGroup->setCurrentIndex(0);
    SelezioneCambiata(ReportSelezionato());
}

void frmPrintReportMov::CaricaListe()
{
    m_contropartite = {{0, QStringLiteral("(Tutte)")},
                       {0, QStringLiteral("(Clienti)")},
                       {0, QStringLiteral("(Fornitori)")},
                       {0, QStringLiteral("(Deposito)")}};
    m_categorie = {{0, QStringLiteral("(Tutte)")}};
    m_articoli = {{0, QStringLiteral("(Tutti)")}};
    try {
        platform::Connection connection(MainModule::ConnString);
        for (auto rs = connection.executeQuery(QStringLiteral("SELECT * FROM CliFor ORDER BY Nome")); !rs->isEOF();
             rs->moveNext()) {
            m_contropartite.push_back({rs->value(QStringLiteral("IdCliFor")).toInt32(),
                                       comUtility::StringOrDefault(rs->value(QStringLiteral("Nome")), QString())
                                           + QStringLiteral(" (")
                                           + comUtility::StringOrDefault(rs->value(QStringLiteral("Tipo")), QString())
                                           + u')'});
        }
        for (auto rs = connection.executeQuery(
                 QStringLiteral("SELECT * FROM Liste WHERE Chiave='cat' ORDER BY Descrizione"));
             !rs->isEOF(); rs->moveNext()) {
            m_categorie.push_back({rs->value(QStringLiteral("Id")).toInt32(),
                                   comUtility::StringOrDefault(rs->value(QStringLiteral("Descrizione")), QString())});
        }
        for (auto rs = connection.executeQuery(QStringLiteral("SELECT Codice FROM Articoli ORDER BY Codice"));
             !rs->isEOF(); rs->moveNext()) {
            m_articoli.push_back({static_cast<std::int32_t>(m_articoli.size()),
                                  comUtility::StringOrDefault(rs->value(0), QString())});
        }
    } catch (const platform::RuntimeError &e) {
        // The dialog opens with the lists it could read.
        comRepLib::MostraErrore(e);
    }
    const auto fill = [](QComboBox *combo, const std::vector<Voce> &entries) {
        QStringList texts;
        texts.reserve(static_cast<qsizetype>(entries.size()));
        for (const Voce &entry : entries)
            texts << entry.testo;
        combo->clear();
        combo->addItems(texts);
        combo->setCurrentIndex(0);
    };
    fill(cmbContropartite, m_contropartite);
    fill(cmbCategorie, m_categorie);
    fill(cmbArticoli, m_articoli);
}

void frmPrintReportMov::ImpostaVista(const QString &etichetta, const QString &voce0, const QString &voce1)
{
    lblView->setText(etichetta);
    cmbView->clear();
    cmbView->addItems({voce0, voce1});
    cmbView->setCurrentIndex(0);
}

void frmPrintReportMov::SelezioneCambiata(int reportId)
{
    if (reportId < ReportGiornale || reportId > ReportSottoscorta)
        return;
    if (reportId == ReportGiornale)
        ImpostaVista(QStringLiteral("Colonna Importi"), QStringLiteral("Costo"), QStringLiteral("Prezzo di vendita"));
    else
        ImpostaVista(QStringLiteral("Valorizzazione"), QStringLiteral("Costo ultimo"), QStringLiteral("Costo medio"));
    lblView->setVisible(reportId != ReportSottoscorta);
    cmbView->setVisible(reportId != ReportSottoscorta);
    lblGroup->setVisible(reportId == ReportInventario);
    cmbGroup->setVisible(reportId == ReportInventario);
    for (QComboBox *combo : {cmbContropartite, cmbCategorie, cmbArticoli})
        combo->setEnabled(reportId != ReportSottoscorta);
}

StampeMagazzino::Filtro frmPrintReportMov::Filtro() const
{
    StampeMagazzino::Filtro filtro;
    filtro.dal = Dat1->date();
    filtro.al = Dat2->date();
    const int counterpart = cmbContropartite->currentIndex();
    if (counterpart >= PrimaContropartita && counterpart < static_cast<int>(m_contropartite.size())) {
        filtro.contropartita = Contropartita::Una;
        filtro.idContropartita = m_contropartite[static_cast<size_t>(counterpart)].id;
    } else if (counterpart > 0 && counterpart < PrimaContropartita) {
        filtro.contropartita = static_cast<Contropartita>(counterpart);
    }
    if (const int category = cmbCategorie->currentIndex(); category > 0)
        filtro.categoria = cmbCategorie->itemText(category);
    if (const int article = cmbArticoli->currentIndex(); article > 0)
        filtro.articolo = cmbArticoli->itemText(article);
    return filtro;
}

QString frmPrintReportMov::TestoFiltro() const
{
    return QStringLiteral("Contropartita: ") + cmbContropartite->currentText() + QStringLiteral("  -   Categoria: ")
           + cmbCategorie->currentText() + QStringLiteral("  -  Articolo: ") + cmbArticoli->currentText();
}

void frmPrintReportMov::EseguiStampa()
{
    if (Dat1->date().year() != Dat2->date().year()) {
        platform::desktop().msgBox(QStringLiteral("Intervallo date non corretto."), platform::vbOKOnly,
                                   MainModule::ApplicationTitle);
        return;
    }
    switch (ReportSelezionato()) {
    case ReportGiornale:
        StampaGiornale(Filtro());
        break;
    case ReportInventario:
        StampaInventario(Filtro());
        break;
    case ReportSottoscorta:
        StampaSottoscorta();
        break;
    default:
        break;
    }
}

void frmPrintReportMov::StampaGiornale(const StampeMagazzino::Filtro &filtro)
{
    const bool prezzo = cmbView->currentIndex() == 1;
    platform::Connection connection(MainModule::ConnString);
    std::shared_ptr<platform::Recordset> rows = StampeMagazzino::Esegui(connection, StampeMagazzino::Giornale(filtro, prezzo));

    arpGiornaleMagazzino &layout = Carica<arpGiornaleMagazzino>(cmbprinters->currentText());
    layout.Imposta(QStringLiteral("Giornale di Magazzino - Movimenti dal ") + DataBreve(Dat1->date())
                       + QStringLiteral(" al ") + DataBreve(Dat2->date()),
                   TestoFiltro(), prezzo ? QStringLiteral("Prezzo un.") : QStringLiteral("Costo unitario"),
                   prezzo ? QStringLiteral("Importo") : QStringLiteral("Valore"), Quantita(), Valori());
    layout.setFilter(QString());
    layout.setRecordset(std::move(rows));
    EseguiAzione(layout);
    if (Azione() == AzioneStampa)
        IstanzeReport::Scarica<arpGiornaleMagazzino>();
}

void frmPrintReportMov::StampaInventario(const StampeMagazzino::Filtro &filtro)
{
    const bool medio = cmbView->currentIndex() == 1;
    const auto grouping = static_cast<Raggruppamento>(std::max(0, cmbGroup->currentIndex()));
    platform::Connection connection(MainModule::ConnString);
    std::shared_ptr<platform::Recordset> rows =
        StampeMagazzino::Esegui(connection, StampeMagazzino::Inventario(filtro, grouping, medio));

    arpInventario &layout = Carica<arpInventario>(cmbprinters->currentText());
    layout.Imposta(QStringLiteral("Inventario - Movimenti dal ") + DataBreve(Dat1->date()) + QStringLiteral(" al ")
                       + DataBreve(Dat2->date()),
                   TestoFiltro(), medio ? QStringLiteral("Costo medio") : QStringLiteral("Costo ultimo"),
                   Quantita(), Valori(), grouping);
    // Articles whose stock over the period is zero are left out.
    layout.setFilter(QStringLiteral("Q<>0"));
    layout.setRecordset(std::move(rows));
    EseguiAzione(layout);
    if (Azione() == AzioneStampa)
        IstanzeReport::Scarica<arpInventario>();
}

void frmPrintReportMov::StampaSottoscorta()
{
    platform::Connection connection(MainModule::ConnString);
    std::shared_ptr<platform::Recordset> rows =
        StampeMagazzino::Esegui(connection, StampeMagazzino::Sottoscorta(Dat1->date(), Dat2->date()));

    arpGiacenze_05 &layout = Carica<arpGiacenze_05>(cmbprinters->currentText());
    layout.Imposta(QStringLiteral("Articoli sottoscorta dal ") + DataBreve(Dat1->date()) + QStringLiteral(" al ")
                       + DataBreve(Dat2->date()),
                   QString(), QStringLiteral("Delta"), Quantita());
    layout.setFilter(QString());
    layout.setRecordset(std::move(rows));
    EseguiAzione(layout);
    if (Azione() == AzioneStampa)
        IstanzeReport::Scarica<arpGiacenze_05>();
}

void frmPrintReportMov::ImpostaModoEsportazione(ReportLayout &layout, std::int16_t formato, bool attivo)
{
    // The below-minimum list has its reduced form for Excel and HTML; the
    // journal and the inventory leave the page captions and numbers out of
    // every export into cells.
    if (auto *sottoscorta = dynamic_cast<arpGiacenze_05 *>(&layout))
        sottoscorta->ModoEsportazione = attivo && (formato == EsportaExcel || formato == EsportaHtml);
    else if (auto *magazzino = dynamic_cast<arpMagazzino *>(&layout))
        magazzino->ModoEsportazione = attivo && formato != EsportaPdf;
}

void frmPrintReportMov::Form_Unload()
{
    IstanzeReport::Scarica<arpInventario>();
    IstanzeReport::Scarica<arpGiacenze_05>();
    IstanzeReport::Scarica<arpGiornaleMagazzino>();
}
