#pragma once

#include "platform/base/Variant.h"
#include "platform/data/Connection.h"
#include "records/ComboDati.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QVBoxLayout;

namespace platform {
class Recordset;
}

// What the six record windows (articles, customers, suppliers, VAT codes,
// units, categories) share: the two ways in (a new record, an existing one,
// shown on their own or modally for a caller that wants the saved key
// back), a connection and a one-record batch-optimistic recordset of the
// window's own, controls bound to that record, checks when a control is
// left, the save in one transaction, the cancel and the keys (Enter moves
// on, Esc cancels). Each window adds its controls and what is its own
// through the virtual members.
class FinestraRecord : public QDialog
{
    Q_OBJECT

public:
    // Modo: how the window was entered.
    static constexpr int ModoNuovo = 1;
    static constexpr int ModoEsistente = 2;

    // The two lines of the message about a record changed by someone else.
    static inline const QString MsgModificata =
        QStringLiteral("La registrazione è stata modificata o eliminata da un'altro utente.");
    static inline const QString MsgNonSalvate = QStringLiteral("Le modifiche effettuate non verranno salvate.");
    // The question before changes are dropped (a close from the title bar;
    // the movement window asks it on Esc too).
    static inline const QString MsgAbbandona = QStringLiteral("Abbandonare le modifiche effettuate senza salvare?");
    // The status-bar hint of a look-up combo.
    static inline const QString SuggerimentoLista = QStringLiteral("F4-Lista , F5-Nuovo");

    ~FinestraRecord() override;

    int Modo() const { return m_Modo; }
    bool Modale() const { return m_Modale; }
    // The key of the saved record; Null until a save, and after a cancel.
    const platform::Variant &Risultato() const { return m_Risultato; }

    // The save and cancel buttons, and the record while the window edits it
    // (nullptr once saved or cancelled), for the callers and the tests.
    QPushButton *cmdSalva() const { return m_cmdSalva; }
    QPushButton *cmdAnnulla() const { return m_cmdAnnulla; }
    platform::Recordset *rs() const { return m_rs.get(); }
    // Status-bar panels 1 and 2 (nullptr in the windows without a status bar).
    QLabel *Pannello(int index) const;

    // Runs the save, as a click on Salva does; false when the window stays
    // open (a control refused to be left, or the save failed).
    bool cmdSalva_Click();
    // Discards the record and ends the window, as Annulla and Esc do.
    void cmdAnnulla_Click();
    // Whether the window holds changes not saved: the record differs from
    // what it was when the window opened, or a control shows a value not
    // yet written to it.
    bool Modificato() const;

    // A database error the user must know of (the database in use, read
    // only, missing), as a critical message with its Italian description.
    static void MostraErrore(const QString &description);

protected:
    // The table of the window, the column the key is looked up by and the
    // column whose value is handed back after a save.
    struct Tabella
    {
        QString nome;
        QString chiave;
        QString chiaveRisultato;
    };

    FinestraRecord(Tabella tabella, const QString &titolo, QWidget *parent);

    // The entry points the windows' own Nuovo and Apri call. With modal 1
    // the window shows modally and the answer is the key of the saved
    // record or Null; with 0 it shows on its own and the answer is empty.
    // A window that cannot open its record says why, does not show, and
    // answers Null (and, when not modal, deletes itself).
    platform::Variant ApriNuovo(int modal);
    platform::Variant ApriEsistente(const platform::Variant &key, int modal);

    // ---- what each window adds ----
    // Reads what the window needs before its record (look-up lists); may
    // raise a database error, which stops the opening.
    virtual void CaricaListe() {}
    // Writes the defaults of a new record into its added row.
    virtual void ValoriNuovo(platform::Recordset &record) { Q_UNUSED(record); }
    // Settings of the window once its record is bound (titles, disabled
    // key boxes, ...).
    virtual void Imposta() {}
    // The window's own check of a control being left: false keeps the focus
    // in it. Numeric controls are checked by the base first.
    virtual bool Convalida(QWidget *control) { Q_UNUSED(control); return true; }
    // The window's own check of the value a control is about to write
    // (its stored value when the control was not changed): false refuses it,
    // and the record keeps its value while the control keeps what the user
    // typed.
    virtual bool ValoreAccettabile(QWidget *control, const platform::Variant &value)
    {
        Q_UNUSED(control);
        Q_UNUSED(value);
        return true;
    }
    // Runs after a control was left with a valid value, written to the record.
    virtual void Lasciato(QWidget *control) { Q_UNUSED(control); }
    // A look-up combo got a new entry from the user.
    virtual void ComboCambiato(QComboBox *combo) { Q_UNUSED(combo); }
    // A key the window handles itself in one of its controls (F5 in a
    // combo); true when used.
    virtual bool TastoControllo(QWidget *control, int key) { Q_UNUSED(control); Q_UNUSED(key); return false; }
    // Whether Enter in the control moves to the next one (by default text
    // boxes, the notes box and the date picker).
    virtual bool InvioAvanza(const QWidget *control) const;
    // Runs inside the save's transaction, after the record was written; a
    // raised error rolls the whole save back.
    virtual void SalvaAltro(platform::Connection &connection) { Q_UNUSED(connection); }
    // Runs once the save is committed.
    virtual void DopoSalvataggio() {}

    // ---- building the window ----
    // The layout the window adds its controls to, above the buttons.
    QVBoxLayout *Contenuto() const { return m_contenuto; }
    // Adds the status bar with panels 1 and 2, which show the hint of the
    // control that has the focus.
    QStatusBar *AggiungiBarraStato();

    // Binds a control to a column of the record. A text box on a text column
    // takes at most the column's size; `format` is its display format.
    void Collega(QLineEdit *edit, const QString &field, const QString &format = {});
    void Collega(QPlainTextEdit *edit, const QString &field);
    void Collega(QCheckBox *box, const QString &field);
    void Collega(QDateEdit *date, const QString &field);
    // A look-up combo: it writes the value of the entry the user chose, and
    // nothing while the user has not touched it.
    void Collega(ComboDati *combo, const QString &field);
    // Makes a bound text box a code box: the code filter, and the code
    // trimmed of the blanks around it before it is checked and stored.
    void ComeCodice(QLineEdit *edit);
    // Sets the display format of a bound text box.
    void ImpostaFormato(QLineEdit *edit, const QString &format);
    // Marks a bound text box that cannot be left empty (blanks count as
    // empty): the focus stays in it, without a message.
    void Obbligatorio(QLineEdit *edit);
    // Sets the tab order of the window's controls, in the order given.
    void OrdineTab(const QList<QWidget *> &order);

    // A column of the record, and writing one (the bound controls follow).
    platform::Variant Valore(const QString &field) const;
    void ImpostaValore(const QString &field, const platform::Variant &value);
    // Shows the record's value again in the control bound to the column.
    void MostraCampo(const QString &field);
    // The text a bound text box would show for its column's value.
    QString TestoCampo(const QLineEdit *edit) const;


    bool eventFilter(QObject *watched, QEvent *event) override;
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct Legame;
    // What a control holds for its column: whether it reads as a value of
    // the column, whether that differs from what the control shows of the
    // record (an untouched combo, an unchanged text), and the value.
    struct Lettura
    {
        bool valida = true;
        bool cambiata = false;
        platform::Variant valore;
    };

    platform::Variant Apri(const QString &source, const QList<platform::Variant> &parameters, int modal);
    void Mostra();
    Legame *LegameDi(const QObject *control);
    const Legame *LegameDi(const QObject *control) const;
    void Registra(QWidget *control, const QString &field, int kind, const QString &format);
    void MostraLegame(const Legame &legame);
    Lettura Leggi(const Legame &legame) const;
    // Writes a control's value into the record; false, writing nothing, when
    // its text does not fit the column (a number that does not read as one
    // or is out of range) or the window refuses the value.
    bool Scrivi(const Legame &legame);
    bool ControlloValido(QWidget *control);
    bool ConvalidaTutto();
    void ControlloLasciato(QWidget *control, Qt::FocusReason reason);
    void MostraSuggerimento(QWidget *control);
    // Closes the record and its connection, ignoring errors.
    void Chiudi();
    // Hides a modal window, or refreshes the main window and deletes a
    // window shown on its own.
    void Termina(bool saved);

    Tabella m_Tabella;
    int m_Modo = 0;
    bool m_Modale = false;
    bool m_Finita = false;
    bool m_Ripristino = false;
    bool m_Mostrando = false;
    platform::Variant m_Risultato = platform::Variant::null();
    platform::Connection m_cn;
    std::unique_ptr<platform::Recordset> m_rs;
    std::vector<std::unique_ptr<Legame>> m_Legami;
    // The record as the window opened it.
    std::vector<platform::Variant> m_Originali;

    QVBoxLayout *m_contenuto = nullptr;
    QPushButton *m_cmdSalva = nullptr;
    QPushButton *m_cmdAnnulla = nullptr;
    QLabel *m_Pannelli[2] = {nullptr, nullptr};
};
