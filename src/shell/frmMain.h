#pragma once

#include "shell/NavigationModel.h"

#include <QMainWindow>
#include <QString>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;
class QToolButton;
class QWidget;

namespace platform {
class ButtonBar;
class Grid;
class GridRowFormat;
struct GridKeyEvent;
class Recordset;
} // namespace platform

// The program's main window: the navigation bar with the eight kinds of
// record, the list of the chosen kind with its filter and find box, the
// command toolbar, the menus and the status bar with the working date,
// the database and the movement counter.
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // The window's start: the list's connection, the splash, the
    // navigation, the stored settings, the first refresh; then shows it.
    void Visualizza();
    // Shows the current node (list, title, bar, menus) and brings the
    // status bar up to date. Everything is read first: a database error is
    // reported once, and when the list cannot be read, or the database is
    // in use by another program, the window stays as it was and the answer
    // is false. A failure of the status reads alone keeps the panels.
    bool SetLay();
    // Loads the list of the current node and sub-view; a list that cannot
    // be read is reported and the one shown stays (false).
    bool CaricaVista();
    // Lays out the list's columns and its sort key for the current node and
    // the list's width, and names the sorted column in the find label.
    void ImpostaColonne();

    // Makes a node current (-1: none) and refreshes the window, as the
    // button bar and the View menu do; when the refresh fails the node
    // shown before stays current (false).
    bool MostraNodo(int node);

    // The record commands: a new record of a node's kind, the current row
    // opened, deleted or the current node's reports. The windows are
    // reached through the window registry; a node whose window is not
    // registered does nothing.
    void NuovoRecord(int node);
    void ApriRecord();
    void EliminaRecord();
    // True when the list's current row is a record (not a group caption).
    bool SuRigaRecord() const;
    void StampaVista();
    // Stores the list layout of the current node before the View menu
    // leaves it (not for the stock node, and only when layouts are kept).
    // An error is reported; false when the database is in use by another
    // program, which stops the switch.
    bool SalvaLayoutVista();

    // Navigation state.
    const Navigazione::Nodi &Nodi() const { return m_Nodi; }
    std::int16_t CurNode() const { return m_CurNode; }
    std::int16_t FilterIdx(int node) const { return m_FilterIdx.at(static_cast<std::size_t>(node)); }
    bool LoadViewLayout() const { return m_LoadViewLayout; }
    // True when a printer is installed and the default printer was found.
    bool PrinterInstalled() const { return m_PrinterInstalled; }

    // Controls, for the other windows and for tests.
    platform::Grid *gexView() const { return m_gexView; }
    platform::ButtonBar *bb() const { return m_bb; }
    QComboBox *cmbFilter() const { return m_cmbFilter; }
    QLineEdit *txtFind() const { return m_txtFind; }
    QLabel *lblTitle() const { return m_lblTitle; }
    QLabel *lblFind() const { return m_lblFind; }
    QWidget *picStart() const { return m_picStart; }
    QMenu *mnuView() const { return m_mnuView; }
    QMenu *mnuNew() const { return m_mnuNew; }
    QMenu *mnuFile() const { return m_mnuFile; }
    QMenu *mnuGrid() const { return m_mnuGrid; }
    QMenu *mnuTool() const { return m_mnuTool; }
    QMenu *mnuDb() const { return m_mnuDb; }
    QMenu *mnuHelp() const { return m_mnuHelp; }
    // A menu's item by its caption (the "&" marks included); nullptr when
    // there is none.
    static QAction *VoceMenu(const QMenu *menu, const QString &caption);
    const std::vector<QAction *> &mnuNewItem() const { return m_mnuNewItem; }
    const std::vector<QAction *> &mnuViewItem() const { return m_mnuViewItem; }
    // File "Nuovo", "Apri", "Elimina", "Stampa", "Esci".
    const std::vector<QAction *> &mnuFileItem() const { return m_mnuFileItem; }
    // Toolbar "Nuovo", "Apri", "Elimina", "Aggiorna", "Stampa".
    const std::vector<QAction *> &tbButtons() const { return m_tbButtons; }
    QToolBar *tb() const { return m_tb; }
    // The status-bar panel with that key ("Data", "WorkData", "Database",
    // "Contatore"); nullptr for another key.
    QLabel *Panel(const QString &key) const;
    // The name of the image the "Contatore" panel shows: "status-ok" or
    // "status-below-min" (empty before the first refresh).
    const QString &ImmagineContatore() const { return m_ImmagineContatore; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // A size below the minimum (possible where no window manager enforces
    // it) springs back to the minimum.
    void resizeEvent(QResizeEvent *event) override;

private:
    void Inizializza();
    void CreaControlli();
    void CreaMenu();
    void CreaNavigazione();
    void AbilitaComandi(bool enable);
    void CaricaStampanti();
    void CreaMenuComandi();
    // The Data menu's commands run only while no other window is open.
    bool FinestreAperte() const;
    void mnuDbItem_Click(int index);
    void mnuGridItem_Click(int index);
    // Grid "Predefinito": the node's layout file over the list.
    void CaricaLayoutPredefinito();
    void gexView_KeyDown(platform::GridKeyEvent &key);
    void gexView_KeyPress(platform::GridKeyEvent &key);
    // Ctrl+letter: a new record of the node with that letter; Ctrl+Shift+
    // letter: that node shown. True when a node has the letter.
    bool GestisciScorciatoie(int keyCode, Qt::KeyboardModifiers shift);
    void gexView_ColumnHeaderClick(int column);
    void txtFind_Change(const QString &text);
    // Enter, F3, Down, PageDown and F4 in the find box; true when used.
    bool txtFind_KeyDown(int key);
    // The node code of the current node; empty when none is chosen.
    QString CodiceCorrente() const;
    void AggiornaEtichettaTrova();
    // What the status bar shows besides the dates: whether an article is
    // below its minimum stock, and the working year's last movement number.
    struct Stato
    {
        bool sottoScorta = false;
        std::int32_t contatore = 0;
    };
    // Reads the status; `rows`, the list just read, answers the
    // below-minimum check when it is the stock list of the check's period.
    static Stato LeggiStato(const platform::Recordset *rows);
    // The below-minimum answer read off the stock list, when it covers the
    // check's period; nullopt otherwise.
    static std::optional<bool> SottoScortaDallaVista(const platform::Recordset *rows);
    void MostraStato(const Stato &stato);
    // The current node's filter combo, title, bar item and menu items.
    void MostraNodoCorrente();
    // The bar's item and the View menu's check mark of the current node.
    void SegnaNodoCorrente();
    // The current node's list query (its sub-view's, when it has them),
    // after writing the sub-views' queries for the working period.
    QString QueryVista();
    // The rows of a list query, read on the open database and detached.
    static std::unique_ptr<platform::Recordset> LeggiVista(const QString &query);
    // Lends the rows read to the list and lays out its columns.
    void MostraVista(const QString &query, std::unique_ptr<platform::Recordset> rows);
    void SalvaPercorso();
    void FiltroCambiato(int index);
    void FormattaRiga(platform::GridRowFormat &row);
    void MostraErrore(const QString &description);
    QLabel *AggiungiPannello(const QString &key, const QString &tip, int stretch);

    Navigazione::Nodi m_Nodi;
    Navigazione::Gruppi m_Gruppi;
    std::int16_t m_CurNode = -1;
    std::array<std::int16_t, Navigazione::NumeroNodi> m_FilterIdx{};
    bool m_LoadViewLayout = true;
    bool m_PrinterInstalled = false;
    bool m_FillingFilter = false;
    QString m_ImmagineContatore;

    // The list's rows, read by the window and lent to the grid.
    std::unique_ptr<platform::Recordset> m_rsVista;
    // The node whose list the grid's columns were made for, -1 none.
    int m_NodoColonne = -1;

    platform::Grid *m_gexView = nullptr;
    platform::ButtonBar *m_bb = nullptr;
    QToolBar *m_tb = nullptr;
    QComboBox *m_cmbFilter = nullptr;
    QLabel *m_lblView = nullptr;
    QLineEdit *m_txtFind = nullptr;
    QLabel *m_lblFind = nullptr;
    QLabel *m_lblTitle = nullptr;
    QLabel *m_imgTitle = nullptr;
    QWidget *m_picStart = nullptr;
    QLabel *m_imgContatore = nullptr;
    QMenu *m_mnuFile = nullptr;
    QMenu *m_mnuNew = nullptr;
    QMenu *m_mnuView = nullptr;
    QMenu *m_mnuGrid = nullptr;
    QMenu *m_mnuTool = nullptr;
    QMenu *m_mnuDb = nullptr;
    QMenu *m_mnuHelp = nullptr;
    // The Grid menu's items with their bit in the node's mask.
    std::vector<std::pair<QAction *, std::int32_t>> m_mnuGridItem;
    std::vector<QAction *> m_mnuFileItem;
    std::vector<QAction *> m_mnuNewItem;
    std::vector<QAction *> m_mnuViewItem;
    std::vector<QAction *> m_tbButtons; // Nuovo, Apri, Elimina, Aggiorna, Stampa
    QAction *m_mnuAggiorna = nullptr;
    std::map<QString, QLabel *> m_Pannelli;
};
