#pragma once

#include "platform/base/Currency.h"
#include "records/CalcoloPrezzi.h"
#include "records/FinestraRecord.h"

#include <array>
#include <cstdint>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QStatusBar;
class QTabWidget;

// The article window: one row of Articoli with its code (checked to be new,
// fixed once saved), its texts, the four look-up lists of category, unit,
// supplier and VAT code (F5 creates a missing entry), and the prices, which
// follow one another as the user leaves a price box or picks a VAT code.
class frm_io_Articoli_02 : public FinestraRecord
{
    Q_OBJECT

public:
    // The look-up combos, by index in dtcData.
    enum Lista { ListaCategorie, ListaUnita, ListaFornitori, ListaIVA, NumeroListe };

    static inline const QString MsgCodiceEsistente = QStringLiteral("Codice articolo già presente.");

    explicit frm_io_Articoli_02(QWidget *parent = nullptr);

    // A new article; a supplier above 0 is its supplier from the start.
    platform::Variant Nuovo(int modal, std::int32_t idFornitore = 0);
    platform::Variant Apri(const QString &codice, int modal);

    // The VAT rate, in percent, of the VAT code the article has.
    platform::Currency AliquotaCorrente() const { return m_AliquotaCorrente; }

    // The text boxes; entry 4, the notes, is the multi-line txtNote.
    std::array<QLineEdit *, 11> txtData{};
    QPlainTextEdit *txtNote = nullptr;
    std::array<QDateEdit *, 1> datData{};
    std::array<ComboDati *, NumeroListe> dtcData{};
    std::array<QLabel *, 16> lblData{};
    QTabWidget *SSTab1 = nullptr;
    QStatusBar *sb = nullptr;

protected:
    void CaricaListe() override;
    void ValoriNuovo(platform::Recordset &record) override;
    void Imposta() override;
    bool Convalida(QWidget *control) override;
    bool ValoreAccettabile(QWidget *control, const platform::Variant &value) override;
    void Lasciato(QWidget *control) override;
    void ComboCambiato(QComboBox *combo) override;
    bool TastoControllo(QWidget *control, int key) override;
    bool InvioAvanza(const QWidget *control) const override;

private:
    void CreaControlli();
    void Disponi();
    void CaricaListe(int which);
    bool CodiceValido();
    // Opens the window of a list's entries on a new one; its key or Null.
    platform::Variant NuovaVoce(int lista);
    void CreaVoce(int lista);
    // Takes the rate of the article's VAT code from the VAT list; false
    // when the code is not listed.
    bool LeggiAliquota();
    void CambioIVA();
    CalcoloPrezzi::Prezzi LeggiPrezzi() const;
    void ScriviPrezzi(const CalcoloPrezzi::Prezzi &prezzi);

    std::int32_t m_IdFornitore = 0;
    platform::Currency m_AliquotaCorrente;
};
