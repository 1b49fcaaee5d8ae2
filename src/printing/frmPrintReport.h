#pragma once

#include "platform/report/PrintOptions.h"

#include <QDialog>
#include <QIcon>
#include <QList>
#include <QPointer>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class UpDown;

namespace platform {
class Grid;
class GridRowBuffer;
} // namespace platform

namespace platform::report {
class ReportLayout;
}

// One report of a dialog's catalogue: the number of its icon in the
// dialog's image list (from 1), its id (1 to N in row order) and its title.
struct VoceCatalogo {
    int icona = 1;
    int id = 0;
    QString titolo;
};

// The report dialog of a node of the main window: a catalogue of the
// node's reports, the printer and the copies, and the buttons that print,
// preview or export the chosen report. A dialog of the program derives from
// it, gives its catalogue and its runner EseguiStampa (which picks and binds
// the layout, then usually calls EseguiAzione), and adds its own filters.
// The dialog is modeless; an error while reading, printing or exporting a
// report is told in a message box and the dialog stays open.
class frmPrintReport : public QDialog
{
    Q_OBJECT

public:
    // Action codes: what the next run does.
    static constexpr std::int16_t AzioneStampa = 0;
    static constexpr std::int16_t AzioneAnteprima = 1;
    static constexpr std::int16_t EsportaExcel = 10;
    static constexpr std::int16_t EsportaRtf = 11;
    static constexpr std::int16_t EsportaPdf = 12;
    static constexpr std::int16_t EsportaHtml = 13;

    // The dialog's shared instance, created on first use; it goes when the
    // dialog is closed.
    template <typename Dialog>
    static Dialog &Istanza()
    {
        QPointer<Dialog> &instance = slot<Dialog>();
        if (!instance)
            instance = new Dialog;
        return *instance;
    }
    // The shared instance while it exists, else null.
    template <typename Dialog>
    static Dialog *Aperto()
    {
        return slot<Dialog>().data();
    }

    // The entry point: fills the catalogue and the printer list (the
    // installed printers, with printerName chosen), shows the dialog
    // modeless and returns at once. Called while the dialog is open it
    // fills the lists anew and brings the dialog to the front.
    void Stampa(const QString &printerName);

    std::int16_t Azione() const { return m_azione; }
    const std::vector<VoceCatalogo> &Catalogo() const { return m_catalogo; }
    // The id of the report of the catalogue's current row, 0 when none.
    int ReportSelezionato() const;
    // The copies asked for: the copies box, at least one.
    int NumeroCopie() const;
    QAction *mnuexp(int index) const;

    QGroupBox *frmStampante = nullptr;
    QLabel *lblNome = nullptr;
    QComboBox *cmbprinters = nullptr;
    QPushButton *cmdPropPrinter = nullptr;
    QLabel *lblNumCopies = nullptr;
    QLineEdit *txtNumCopies = nullptr;
    UpDown *UpDown1 = nullptr;
    QGroupBox *frmTipo = nullptr;
    platform::Grid *GridEX1 = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdPreview = nullptr;
    QPushButton *cmdExp = nullptr;
    QPushButton *cmdCancel = nullptr;
    QMenu *expmnu = nullptr;

protected:
    explicit frmPrintReport(QWidget *parent = nullptr);
    ~frmPrintReport() override;

    // ---- what a dialog gives ----
    // The reports of the catalogue, in row order.
    virtual std::vector<VoceCatalogo> CreaCatalogo() = 0;
    // Its own preparation when it opens (filters, dates), before it shows.
    virtual void PreparaStampa() {}
    // The runner: picks the layout of ReportSelezionato(), binds it and
    // acts on Azione(). Errors are left to the caller, which tells them.
    virtual void EseguiStampa() = 0;
    // The catalogue's current row changed.
    virtual void SelezioneCambiata(int reportId) { (void)reportId; }
    // The dialog is being unloaded: unload its layouts.
    virtual void Form_Unload() {}
    // A layout with a reduced export form switches it on (attivo) before
    // the run of an export in `formato` and off when that export ends,
    // written or not.
    virtual void ImpostaModoEsportazione(platform::report::ReportLayout &layout, std::int16_t formato, bool attivo)
    {
        (void)layout;
        (void)formato;
        (void)attivo;
    }

    // ---- handlers a dialog may change ----
    virtual void cmdOK_Click();
    virtual void cmdPreview_Click();
    virtual void mnuexp_Click(int index);
    virtual void GridEX1_DblClick();

    // ---- building blocks of a runner ----
    // By action code: 0 prints, 1 previews, 10 to 13 export; others do nothing.
    void EseguiAzione(platform::report::ReportLayout &layout);
    // Prints with the progress window and the copies of the copies box.
    platform::report::PrintResult StampaReport(platform::report::ReportLayout &layout);
    // Shows the layout's preview, modeless; the dialog stays usable.
    void AnteprimaReport(platform::report::ReportLayout &layout);
    // Runs the layout, asks for the file (Save As, asking before replacing
    // a file) and writes it; a cancelled dialog writes nothing and says
    // nothing.
    void EsportaReport(platform::report::ReportLayout &layout, std::int16_t formato);

    void ImpostaAzione(std::int16_t azione) { m_azione = azione; }
    // A filter list of the dialog, wide enough for its entries.
    static QComboBox *NuovaLista(const char *name, QWidget *parent);
    // Runs EseguiStampa with the dialog disabled, telling an error in a
    // message box.
    void Esegui();
    // Unloads the dialog (at the end of the current run, if one is going on).
    void Scarica();

    void closeEvent(QCloseEvent *event) override;
    // Esc acts as "Chiudi".
    void reject() override;

    // The catalogue's pictures: icon number i is iml[i - 1].
    QList<QIcon> iml;

private:
    template <typename Dialog>
    static QPointer<Dialog> &slot()
    {
        static QPointer<Dialog> instance;
        return instance;
    }

    void cmdExp_Click();
    void cmdCancel_Click();
    void GridEX1_RowRead(int row, platform::GridRowBuffer &values);

    std::int16_t m_azione = AzioneStampa;
    std::vector<VoceCatalogo> m_catalogo;
    std::array<QAction *, 4> m_mnuexp{};
    bool m_inEsecuzione = false;
    bool m_scaricaAllaFine = false;
};
