#pragma once

#include "platform/report/LayoutDesigner.h"
#include "printing/LayoutEtichetta.h"

#include <QDialog>
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QActionGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QStackedWidget;
class QStatusBar;
class QTabBar;
class QToolBar;
class QToolButton;
class UpDown;

namespace platform {
class Recordset;
}
namespace platform::report {
class ReportLayout;
struct ReportControl;
}

// The article label designer: the label sheet as eight numbers in tenths
// of a millimetre on the page "Generale", the label itself on the designer
// canvas of the page "Layout Etichetta". It edits the label layout it is
// given in its working form (one label per row, the height of one label)
// and turns it back into the sheet's form when it saves. It ends through
// its File menu only: "&Salva" stores the layout and closes, "&Chiudi"
// closes and the changes are lost.
class frmSetLabels : public QDialog
{
    Q_OBJECT

public:
    // The boxes of the sheet, by their index in txtmar.
    enum Casella {
        MargineSinistro = 0,
        MargineDestro = 1,
        MargineSuperiore = 2,
        SpazioOrizzontale = 3,
        EtichetteInOrizzontale = 4,
        AltezzaEtichetta = 5,
        LarghezzaEtichetta = 6,
        SpazioVerticale = 7,
    };

    // The window over `layout` (the label report), which must outlive it.
    explicit frmSetLabels(platform::report::ReportLayout &layout, QWidget *parent = nullptr);
    ~frmSetLabels() override;

    // Opens the designer on the database of `connString`, modally and
    // without an owner; returns when it closes.
    static void Apri(const QString &connString);

    // The first line of the message of a database error while the layout
    // is read (the built-in layout is used) or saved (the window stays).
    static QString TestoLetturaFallita();
    static QString TestoSalvataggioFallito();

    // Loads the stored layout of the open database into the layout, then
    // shows it (MostraLayout).
    void Form_Load();
    // Turns the layout into its working form and shows it in the boxes and
    // on the canvas.
    void MostraLayout();
    // Sizes the window for its pages: the whole label on the canvas at the
    // designer's scale, without scrolling, as far as the screen has room.
    void Dimensiona();
    // Stores the layout and closes the window; a failure leaves the window
    // open with the user's work. A box that holds no valid number takes the
    // focus instead.
    void Salva();
    void Chiudi();

    // Shows page 1 ("Generale") or 2 ("Layout Etichetta").
    void MostraPagina(int page);
    int PaginaCorrente() const;

    // The layout the window edits.
    platform::report::ReportLayout &Layout() const { return m_layout; }
    // The sheet of the boxes; nullopt, and the first box without a valid
    // number has the focus, when one is not valid.
    std::optional<LayoutEtichetta::Foglio> FoglioDelleCaselle();
    // A copy of the layout in the sheet's form, as "&Salva" stores it.
    std::unique_ptr<platform::report::ReportLayout> LayoutDaSalvare(const LayoutEtichetta::Foglio &foglio) const;
    // The layout to store or preview, in the sheet's form, when the boxes
    // hold valid numbers and it keeps every rule the layout's reader
    // applies; otherwise says what is wrong, naming the box, puts the
    // focus there (or on the item, on the label page) and answers nullptr.
    // `foglio`, when given, receives the boxes' numbers.
    std::unique_ptr<platform::report::ReportLayout> LayoutVerificato(LayoutEtichetta::Foglio *foglio = nullptr);
    // Sample label records for a page of the sheet.
    static std::shared_ptr<platform::Recordset> RecordDiProva(const LayoutEtichetta::Foglio &foglio);
    // The page-of-labels preview (sample data) of the layout as it stands.
    void Anteprima();
    platform::report::ReportLayout *LayoutAnteprima() const { return m_anteprima.get(); }

    QMenuBar *menu = nullptr;
    QAction *mnuSalva = nullptr;
    QAction *mnuChiudi = nullptr;
    std::array<QAction *, 2> mnuViewItem{};
    QAction *mnuAnteprima = nullptr;
    QAction *mnuGuida = nullptr;
    QAction *mnuInformazioni = nullptr;
    QTabBar *tbs = nullptr;
    QStackedWidget *frmeti = nullptr;
    QLabel *lblTitolo = nullptr;
    QLabel *lblNumero = nullptr;
    std::array<QLineEdit *, 8> txtmar{};
    UpDown *upd = nullptr;
    platform::report::LayoutDesigner *ard = nullptr;
    QToolBar *tbToolbox = nullptr;
    QActionGroup *strumenti = nullptr;
    QAction *tbxSelect = nullptr;
    QAction *tbxLabel = nullptr;
    QAction *tbxField = nullptr;
    QAction *tbxBarCode = nullptr;
    QAction *tbxLine = nullptr;
    QAction *tbxShape = nullptr;
    QAction *prop = nullptr;
    QToolBar *tbFormat = nullptr;
    QToolButton *tFoBold = nullptr;
    QToolButton *tFoItalic = nullptr;
    QToolButton *tFoUnderline = nullptr;
    QToolButton *tFoAlignLeft = nullptr;
    QToolButton *tFoAlignCenter = nullptr;
    QToolButton *tFoAlignRight = nullptr;
    QToolButton *tFoFont = nullptr;
    QComboBox *cboFoFontName = nullptr;
    QComboBox *cboFoFontSize = nullptr;
    QStatusBar *sb = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void reject() override;

private:
    void CreaMenu();
    QWidget *CreaPaginaGenerale();
    QWidget *CreaPaginaEtichetta();

    // A box's whole number; nullopt when its text is not one.
    std::optional<int> Valore(int box) const;
    // Whether the box may be left, and what leaving it changes.
    bool txtmar_Validate(int box);
    void AbilitaSpazioOrizzontale(bool enabled);

    // Where the user left each item: the items as they stand now.
    void RicordaDisegno();
    // Gives the label the size of boxes 5 and 6 (a box without a valid
    // number leaves its length as it is) and puts every item back where
    // the user left it, moved or cut only as far as the label's edges ask:
    // a label made smaller and then larger again gets its items back.
    void AdattaEtichetta();
    // What the user is told of a fault of the layout to store, and the box
    // it names (-1: an item, on the label page).
    struct Segnalazione {
        int casella = -1;
        QString testo;
    };
    static Segnalazione Segnala(const LayoutEtichetta::Difetto &difetto, const LayoutEtichetta::Foglio &foglio,
                                const platform::report::ReportLayout &layout);

    void ard_LayoutChange(platform::report::ReportControl *item, platform::report::LayoutDesigner::Change change);
    void tbToolbox_ButtonClick(QAction *button);
    // Opens the dialog of the item's kind; true when the user confirmed.
    bool ModificaVoce(platform::report::ReportControl &item, bool nuova);
    void tbFormat_ButtonClick(QToolButton *button);
    void tFoFont_Click();
    void cboFoFontName_Click();
    void cboFoFontSize_Click();
    void AggiornaFormato();
    void AggiornaPulsante(QToolButton *button, int action);
    void CaricaFont();
    void CaricaDimensioni();

    platform::report::ReportLayout &m_layout;
    // The layout when the window made it itself (Apri).
    std::unique_ptr<platform::report::ReportLayout> m_proprio;
    QString m_connString;
    std::unique_ptr<platform::report::ReportLayout> m_anteprima;
    bool m_chiusuraConsentita = false;
    // The place and size of each item as the user left it (RicordaDisegno).
    struct Posizione {
        const platform::report::ReportControl *voce;
        double left, top, width, height, x2, y2;
    };
    std::vector<Posizione> m_disegno;
};
