#pragma once

#include "printing/frmPrintReport.h"

// The report dialog of the VAT code, unit and category nodes: prints or
// previews one of the three lists, then closes. The lists are not exported.
class frmPrintReportDati : public frmPrintReport
{
    Q_OBJECT

public:
    // Report ids of the catalogue.
    static constexpr int ReportCodiciIVA = 1;
    static constexpr int ReportUM = 2;
    static constexpr int ReportCategorie = 3;

    explicit frmPrintReportDati(QWidget *parent = nullptr);
    ~frmPrintReportDati() override;

    // The shared dialog, and its entry point: opens it with printerName
    // chosen, modeless, and returns at once.
    static frmPrintReportDati &Istanza() { return frmPrintReport::Istanza<frmPrintReportDati>(); }
    static void Apri(const QString &printerName) { Istanza().Stampa(printerName); }
    static frmPrintReportDati *Aperto() { return frmPrintReport::Aperto<frmPrintReportDati>(); }

    // True when the next run previews instead of printing.
    bool Anteprima() const { return m_anteprima; }

protected:
    std::vector<VoceCatalogo> CreaCatalogo() override;
    void EseguiStampa() override;
    void cmdOK_Click() override;
    void cmdPreview_Click() override;
    void GridEX1_DblClick() override;

private:
    bool m_anteprima = false;
};
