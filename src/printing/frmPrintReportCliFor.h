#pragma once

#include "printing/frmPrintReport.h"

#include <memory>

class arpCliFor;
class arpCliFor2;

// The report dialog of the customers and of the suppliers: one dialog with
// the texts of its kind, offering the address book grouped by initial
// letter and the numbered list of the CliFor rows of that kind, to print,
// preview or export. Each dialog has its own two layouts, unloaded (with
// their previews) when it closes, so that the customers' and the
// suppliers' dialogs open side by side leave each other alone.
class frmPrintReportCliFor : public frmPrintReport
{
    Q_OBJECT

public:
    // Report ids of the catalogue.
    static constexpr int ReportRubrica = 1;
    static constexpr int ReportAnagrafica = 2;

    enum class Tipo { Clienti, Fornitori };

    ~frmPrintReportCliFor() override;

    // "Clienti" or "Fornitori": the title of both reports.
    const QString &Titolo() const { return m_titolo; }
    // The query of a report of the catalogue; empty for another id.
    QString Sql(int reportId) const;

    // The dialog's layouts, null until their first run.
    arpCliFor *Rubrica() const { return m_rubrica.get(); }
    arpCliFor2 *Anagrafica() const { return m_anagrafica.get(); }

protected:
    frmPrintReportCliFor(Tipo tipo, QWidget *parent);

    std::vector<VoceCatalogo> CreaCatalogo() override;
    void EseguiStampa() override;
    void Form_Unload() override;
    void ImpostaModoEsportazione(platform::report::ReportLayout &layout, std::int16_t formato, bool attivo) override;

private:
    QString m_titolo;      // "Clienti"
    QString m_tipo;        // the CliFor.Tipo printed: 'Cliente'
    std::unique_ptr<arpCliFor> m_rubrica;
    std::unique_ptr<arpCliFor2> m_anagrafica;
};

// The dialog of the customers node.
class frmPrintReportClienti final : public frmPrintReportCliFor
{
public:
    explicit frmPrintReportClienti(QWidget *parent = nullptr) : frmPrintReportCliFor(Tipo::Clienti, parent) {}
    // Opens the shared dialog with printerName chosen, modeless, and returns at once.
    static void Apri(const QString &printerName) { Istanza<frmPrintReportClienti>().Stampa(printerName); }
    static frmPrintReportClienti *Aperto() { return frmPrintReport::Aperto<frmPrintReportClienti>(); }
};

// The dialog of the suppliers node.
class frmPrintReportFornitori final : public frmPrintReportCliFor
{
public:
    explicit frmPrintReportFornitori(QWidget *parent = nullptr) : frmPrintReportCliFor(Tipo::Fornitori, parent) {}
    static void Apri(const QString &printerName) { Istanza<frmPrintReportFornitori>().Stampa(printerName); }
    static frmPrintReportFornitori *Aperto() { return frmPrintReport::Aperto<frmPrintReportFornitori>(); }
};
