#pragma once

#include "printing/StampeMagazzino.h"
#include "printing/frmPrintReport.h"

#include <memory>

class arpArticoli;

// The report dialog of the articles node: the article list, narrowed to a
// category and exportable, and a sheet of article labels (all articles or
// one) with the stored label layout, printed on the label printer.
class frmPrintReportArticoli : public frmPrintReport
{
    Q_OBJECT

public:
    // Report ids of the catalogue.
    static constexpr int ReportElenco = 1;
    static constexpr int ReportEtichette = 2;

    explicit frmPrintReportArticoli(QWidget *parent = nullptr);
    ~frmPrintReportArticoli() override;

    static frmPrintReportArticoli &Istanza() { return frmPrintReport::Istanza<frmPrintReportArticoli>(); }
    static void Apri(const QString &printerName) { Istanza().Stampa(printerName); }
    static frmPrintReportArticoli *Aperto() { return frmPrintReport::Aperto<frmPrintReportArticoli>(); }

    // ---- the data, apart from the window ----
    // The article list ordered by code, of one category unless `categoria`
    // is empty; with `ubicazione` the code is followed by the storage
    // location in square brackets when the article has one.
    static StampeMagazzino::Query QueryElenco(bool ubicazione, const QString &categoria);
    // The rows of label printing's line table for the articles ordered by
    // code, or the one with `codice` when it is not empty: one label each.
    static StampeMagazzino::Query QueryEtichette(const QString &codice);
    // The list's title: "Articoli", and the category when there is one.
    static QString TitoloElenco(const QString &categoria);

    // The category and the article chosen, empty for "(Tutte)"/"(Tutti)".
    QString Categoria() const;
    QString Articolo() const;
    // The skip box as a whole number, 0 when empty.
    std::int32_t EtichetteDaSaltare() const;

    // The list's layout, null until its first run.
    arpArticoli *Elenco() const { return m_elenco.get(); }

    QGroupBox *frmFilter = nullptr;
    QLabel *Label3 = nullptr;
    QComboBox *cmbCat = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *cmbArt = nullptr;
    QLabel *lbl1 = nullptr;
    QLineEdit *txtSkipLabels = nullptr;
    UpDown *UpDown2 = nullptr;

protected:
    std::vector<VoceCatalogo> CreaCatalogo() override;
    void PreparaStampa() override;
    void EseguiStampa() override;
    void SelezioneCambiata(int reportId) override;
    void Form_Unload() override;
    void ImpostaModoEsportazione(platform::report::ReportLayout &layout, std::int16_t formato, bool attivo) override;

private:
    void CaricaListe();
    void StampaElenco();
    void StampaEtichette();

    std::unique_ptr<arpArticoli> m_elenco;
};
