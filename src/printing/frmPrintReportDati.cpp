#include "printing/frmPrintReportDati.h"

#include "common/comUtilityReport.h"
#include "printing/IconeStampa.h"
#include "printing/IstanzeReport.h"
#include "printing/arpCategorieArt.h"
#include "printing/arpCodiciIVA.h"
#include "printing/arpUM.h"
#include "shell/MainModule.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>

frmPrintReportDati::frmPrintReportDati(QWidget *parent) : frmPrintReport(parent)
{
    setObjectName(QStringLiteral("frmPrintReportDati"));
    setWindowTitle(QStringLiteral("Stampa Impostazioni"));
    lblNumCopies->setText(QStringLiteral("Numero copie:"));
    // The lists are printed or previewed, never exported.
    cmdExp->setVisible(false);
    iml << IconeStampa::Elenco();
}

frmPrintReportDati::~frmPrintReportDati() = default;

std::vector<VoceCatalogo> frmPrintReportDati::CreaCatalogo()
{
    return {
        {1, ReportCodiciIVA, QStringLiteral("Codici IVA")},
        {1, ReportUM, QStringLiteral("Unità di misura articoli")},
        {1, ReportCategorie, QStringLiteral("Categorie articoli")},
    };
}

void frmPrintReportDati::cmdOK_Click()
{
    m_anteprima = false;
    Esegui();
}

void frmPrintReportDati::cmdPreview_Click()
{
    m_anteprima = true;
    Esegui();
}

void frmPrintReportDati::GridEX1_DblClick()
{
    // The flag is always False here: every run clears it, and a run that
    // went well closes the dialog.
    Esegui();
}

namespace {

// Loads the shared layout, points it at the printer and binds it to the open
// database with the SQL of its design.
template <typename Layout>
platform::report::ReportLayout &loadList(const QString &printer)
{
    Layout &layout = comUtility::SetReportPrinter(IstanzeReport::Istanza<Layout>(), platform::Variant(printer));
    layout.setConnectionString(MainModule::ConnString);
    layout.setSql(Layout::Sql);
    return layout;
}

} // namespace

void frmPrintReportDati::EseguiStampa()
{
    // A preview holds for this run only, however it ends: after a failed
    // one the dialog stays open, and its next double click prints.
    const auto endOfRun = qScopeGuard([this] { m_anteprima = false; });
    const QString printer = cmbprinters->currentText();
    platform::report::ReportLayout *layout = nullptr;
    void (*unload)() = nullptr;
    switch (ReportSelezionato()) {
    case ReportCodiciIVA:
        layout = &loadList<arpCodiciIVA>(printer);
        unload = &IstanzeReport::Scarica<arpCodiciIVA>;
        break;
    case ReportUM:
        layout = &loadList<arpUM>(printer);
        unload = &IstanzeReport::Scarica<arpUM>;
        break;
    case ReportCategorie:
        layout = &loadList<arpCategorieArt>(printer);
        unload = &IstanzeReport::Scarica<arpCategorieArt>;
        break;
    default:
        break;
    }
    if (layout) {
        if (m_anteprima) {
            AnteprimaReport(*layout);
        } else {
            StampaReport(*layout);
            unload();
        }
    }
    // One print or preview per opening; an open preview stays on screen.
    Scarica();
}
