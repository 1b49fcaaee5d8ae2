#pragma once

#include "records/FinestraRecord.h"
#include "records/Movimento.h"
#include "records/RegolaCausale.h"

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class frm_io_MovMag_01_Righe;

namespace platform {
class Grid;
class GridModel;
class RuntimeError;
} // namespace platform

// The movement window: one stock movement, its header (date, number,
// causale, counterpart, references) above the grid of its lines and their
// total. It shows a stored movement (view), lets it be changed (modify) or
// deleted, and records new ones (new); the movement is held in memory and
// reaches the database only when saved, in one transaction. Each window
// lives on its own beside the main window and is deleted when it closes.
class frm_io_MovMag_01 : public QDialog
{
    Q_OBJECT

public:
    // Stato: the mode of the window.
    static constexpr int StatoNuovo = 1;
    static constexpr int StatoVista = 2;
    static constexpr int StatoModifica = 3;

    // The two lines about a movement changed by someone else, as the
    // record windows say them.
    static inline const QString &MsgModificata = FinestraRecord::MsgModificata;
    static inline const QString &MsgNonSalvate = FinestraRecord::MsgNonSalvate;
    static inline const QString MsgNessunaRiga = QStringLiteral("Nessuna riga di dettaglio");
    static inline const QString MsgElimina = QStringLiteral("Eliminare la Registrazione?");
    static inline const QString &MsgAbbandona = FinestraRecord::MsgAbbandona;
    static inline const QString MsgEtichette = QStringLiteral("Stampare le etichette?");
    static inline const QString FinestraEtichette = QStringLiteral("frmPrintLabels");

    explicit frm_io_MovMag_01(QWidget *parent = nullptr);
    ~frm_io_MovMag_01() override;

    // Shows the stored movement `idReg` in view mode. A movement that no
    // longer exists, or cannot be read, is told and the window does not
    // open (it deletes itself); the answer is then false.
    bool Apri(std::int32_t idReg);
    // Starts a new movement in new mode.
    void Nuovo();

    int Stato() const { return m_Stato; }
    const Movimento &Mov() const { return *m_Mov; }
    const RegolaCausale &Regola() const { return m_Regola; }
    platform::GridModel *gexArt(int index) const;

    // The buttons' commands.
    void cmdNuovo_Click();
    void cmdModifica_Click();
    // False when the movement was not saved.
    bool cmdSalva_Click();
    void cmdAnnulla_Click();
    void cmdElimina_Click();
    void cmdChiudi_Click();
    void cmdPrint_Click();
    void cmdLabels_Click();

    std::array<QLabel *, 5> lblData{};
    QDateEdit *datData0 = nullptr;
    QLabel *lblProg = nullptr;
    QComboBox *cmbData = nullptr;
    ComboDati *dtcData0 = nullptr;
    QLineEdit *txtData0 = nullptr;
    platform::Grid *gexDet = nullptr;
    std::array<QLabel *, 2> lblTotale{};
    QPushButton *cmdNuovo = nullptr;
    QPushButton *cmdModifica = nullptr;
    QPushButton *cmdSalva = nullptr;
    QPushButton *cmdAnnulla = nullptr;
    QPushButton *cmdElimina = nullptr;
    QPushButton *cmdChiudi = nullptr;
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdLabels = nullptr;
    QStatusBar *sb = nullptr;
    std::array<QLabel *, 2> sbPanel{};

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void CreaControlli();
    void ImpostaStato(int mode);
    // Applies the causale shown: sign, return flag, counterpart kind and
    // the controls that follow them. A change of counterpart kind clears
    // the counterpart chosen.
    void ImpostaCausale();
    // Reloads the counterpart list of the kind of the causale.
    void InitCombos();
    // New mode on a new movement in memory, numbered as the counter
    // stands; an error is reported (as from `routine`) and ends the window.
    bool IniziaNuovo(const QString &routine);
    void Mostra();
    // Reads the article lists and shows the movement held.
    void CaricaMovimento();
    void MostraTestata();
    // Writes the header controls into the movement's header row.
    void ScriviTestata();
    void AggiornaTotale();
    // True when every line names an existing article; otherwise the user is
    // told and the first wrong line becomes current.
    bool RigheValide();
    void NuovaContropartita();
    // Takes the counterpart the text of its combo names; a text that names
    // none gives way to the counterpart chosen before.
    void ConfermaContropartita();
    bool EtichetteDisponibili() const;
    void ChiudiFinestra();
    // True when the lines hold what Annulla or a close would drop: a line
    // of the movement, or one being typed.
    bool RigheInCorso() const;
    // Asks whether to abandon the changes; No (false) leaves the user in
    // the grid with everything as it was, the line being typed too.
    bool Abbandona();
    bool TastoFinestra(int key);
    void MostraSuggerimento(QWidget *control);
    // A database error. One the user can understand and act on (the
    // database in use, read-only, missing, a full disk) is told plainly;
    // anything else goes through the error report, as from `routine`.
    static void Errore(const platform::RuntimeError &error, const QString &routine);

    int m_Stato = 0;
    std::unique_ptr<Movimento> m_Mov;
    RegolaCausale m_Regola;
    std::int32_t m_IdContropartitaScelta = 0;
    QString m_UltimaCausale;
    bool m_Mostrando = false;
    bool m_Chiusa = false;
    frm_io_MovMag_01_Righe *m_Righe = nullptr;
};
