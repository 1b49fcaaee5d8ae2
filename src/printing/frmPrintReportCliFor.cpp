#include "printing/frmPrintReportCliFor.h"

#include "common/comUtilityReport.h"
#include "printing/IconeStampa.h"
#include "printing/arpCliFor.h"
#include "printing/arpCliFor2.h"
#include "shell/MainModule.h"

#include <QComboBox>

using platform::report::ReportLayout;

frmPrintReportCliFor::frmPrintReportCliFor(Tipo tipo, QWidget *parent)
    : frmPrintReport(parent),
      m_titolo(tipo == Tipo::Clienti ? QStringLiteral("Clienti") : QStringLiteral("Fornitori")),
      m_tipo(tipo == Tipo::Clienti ? QStringLiteral("Cliente") : QStringLiteral("Fornitore"))
{
    setObjectName(QStringLiteral("frmPrintReport") + m_titolo);
    setWindowTitle(QStringLiteral("Stampa ") + m_titolo);
    iml << IconeStampa::Elenco();
}

frmPrintReportCliFor::~frmPrintReportCliFor() = default;

std::vector<VoceCatalogo> frmPrintReportCliFor::CreaCatalogo()
{
    return {
        {1, ReportRubrica, m_titolo + QStringLiteral(" (Rubrica)")},
        {1, ReportAnagrafica, m_titolo + QStringLiteral(" (Anagrafica)")},
    };
}

QString frmPrintReportCliFor::Sql(int reportId) const
{
    // The kind is the program's own constant, never typed by the user.
    const QString rows = QStringLiteral("SELECT * From CliFor WHERE Tipo='") + m_tipo + u'\'';
    switch (reportId) {
    case ReportRubrica:
        return rows + QStringLiteral(" ORDER BY Nome");
    case ReportAnagrafica:
        return rows + QStringLiteral(" ORDER BY IdCliFor");
    default:
        return {};
    }
}

void frmPrintReportCliFor::EseguiStampa()
{
    const platform::Variant printer(cmbprinters->currentText());
    ReportLayout *layout = nullptr;
    QString caption;
    switch (ReportSelezionato()) {
    case ReportRubrica:
        layout = &comUtility::SetReportPrinter(m_rubrica, printer);
        caption = QStringLiteral("Rubrica ") + m_titolo;
        break;
    case ReportAnagrafica:
        layout = &comUtility::SetReportPrinter(m_anagrafica, printer);
        caption = QStringLiteral("Anagrafica ") + m_titolo;
        break;
    default:
        return;
    }
    layout->setPreviewCaption(caption);
    layout->setDocumentName(windowTitle());
    layout->control(QStringLiteral("lblTitle")).caption = m_titolo;
    layout->setConnectionString(MainModule::ConnString);
    layout->setSql(Sql(ReportSelezionato()));
    EseguiAzione(*layout);
}

void frmPrintReportCliFor::ImpostaModoEsportazione(ReportLayout &layout, std::int16_t formato, bool attivo)
{
    // The address book loses its rules in a spreadsheet; the numbered list
    // is a plain table in a spreadsheet and in a web page.
    if (&layout == m_rubrica.get() && formato == EsportaExcel)
        m_rubrica->MostraRegole(!attivo);
    else if (&layout == m_anagrafica.get() && (formato == EsportaExcel || formato == EsportaHtml))
        m_anagrafica->ModoEsportazione = attivo;
}

void frmPrintReportCliFor::Form_Unload()
{
    m_rubrica.reset();
    m_anagrafica.reset();
}
