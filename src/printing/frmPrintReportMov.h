#pragma once

#include "printing/StampeMagazzino.h"
#include "printing/frmPrintReport.h"

#include <vector>

class QDateEdit;

// The report dialog of the movements and the stock: the movement journal,
// the inventory and the articles below their minimum stock over a period
// of one year, the first two narrowed by counterpart, category and article.
class frmPrintReportMov : public frmPrintReport
{
    Q_OBJECT

public:
    // Report ids of the catalogue.
    static constexpr int ReportGiornale = 1;
    static constexpr int ReportInventario = 2;
    static constexpr int ReportSottoscorta = 3;

    explicit frmPrintReportMov(QWidget *parent = nullptr);
    ~frmPrintReportMov() override;

    static frmPrintReportMov &Istanza() { return frmPrintReport::Istanza<frmPrintReportMov>(); }
    static void Apri(const QString &printerName) { Istanza().Stampa(printerName); }
    static frmPrintReportMov *Aperto() { return frmPrintReport::Aperto<frmPrintReportMov>(); }

    // One entry of a filter list: its id and its text, at the position of
    // its combo's item.
    struct Voce {
        std::int32_t id = 0;
        QString testo;
    };
    const std::vector<Voce> &Contropartite() const { return m_contropartite; }
    const std::vector<Voce> &Categorie() const { return m_categorie; }
    const std::vector<Voce> &Articoli() const { return m_articoli; }

    // The period and the filters as the controls stand.
    StampeMagazzino::Filtro Filtro() const;
    // The filter line of the journal and the inventory.
    QString TestoFiltro() const;

    QDateEdit *Dat1 = nullptr;
    QDateEdit *Dat2 = nullptr;
    QGroupBox *frmFilter = nullptr;
    QComboBox *cmbContropartite = nullptr;
    QComboBox *cmbCategorie = nullptr;
    QComboBox *cmbArticoli = nullptr;
    QLabel *lblView = nullptr;
    QComboBox *cmbView = nullptr;
    QLabel *lblGroup = nullptr;
    QComboBox *cmbGroup = nullptr;

protected:
    std::vector<VoceCatalogo> CreaCatalogo() override;
    void PreparaStampa() override;
    void EseguiStampa() override;
    void SelezioneCambiata(int reportId) override;
    void Form_Unload() override;
    void ImpostaModoEsportazione(platform::report::ReportLayout &layout, std::int16_t formato, bool attivo) override;

private:
    void CaricaListe();
    void ImpostaVista(const QString &etichetta, const QString &voce0, const QString &voce1);
    void StampaGiornale(const StampeMagazzino::Filtro &filtro);
    void StampaInventario(const StampeMagazzino::Filtro &filtro);
    void StampaSottoscorta();

    std::vector<Voce> m_contropartite;
    std::vector<Voce> m_categorie;
    std::vector<Voce> m_articoli;
};
