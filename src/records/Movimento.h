#pragma once

#include "platform/base/Currency.h"
#include "platform/base/DateTime.h"
#include "platform/base/Variant.h"
#include "records/RegolaCausale.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace platform {
class Recordset;
}

// One stock movement while a window edits it: its header row and its lines,
// each held in a disconnected batch-optimistic recordset, so that nothing
// reaches the database before the save. A new movement exists only here
// until its first save, which inserts the header, numbers it from the
// working year's counter and writes the lines in one transaction.
// New lines are numbered 10, 20, 30, ... as they are added; a number is
// never reused while the movement is held.
class Movimento : public QObject
{
    Q_OBJECT

public:
    Movimento();
    ~Movimento() override;

    // A new movement with the causale and date: a header that is not stored
    // yet and no lines.
    void Nuovo(const QString &causale, const platform::DateTime &data);
    // Reads a stored movement; false when it no longer exists. Raises the
    // data layer's error when it cannot be read.
    bool Carica(std::int32_t idReg);

    // True until the first save of a new movement.
    bool IsNuovo() const { return m_Nuovo; }
    // The stored header's IdReg; 0 for a new movement.
    std::int32_t IdReg() const;
    // The header's number; nullopt when it has none (new, or a header left
    // without number by an interrupted save of an older version).
    std::optional<std::int32_t> Progressivo() const;

    // The header (one row) and the lines, disconnected. The line grid edits
    // the lines directly; new rows get their Riga as they are added.
    platform::Recordset &Testata() const { return *m_Testata; }
    platform::Recordset &Righe() const { return *m_Righe; }

    // The number the next new line gets.
    std::int32_t ProssimaRiga() const { return m_ProssimaRiga; }

    // The total of the lines: quantity times cost (sign +1) or price
    // (sign -1), each product rounded to the currency's four decimals.
    // Quantities count without sign, so a return totals the same while it
    // is entered and once it is stored.
    platform::Currency Totale(std::int16_t segno) const;

    // Drops the changes not saved, of the lines and of the header.
    void AnnullaModifiche();

    // Writes the movement: every line gets the header's IdReg and the
    // rule's sign, a return's quantities are stored negative; a new
    // movement also gets the next number of `annoLavoro` and the rule's
    // counterpart kind. Header, lines and counter are written in one
    // transaction. A row changed or deleted by someone else since it was
    // read raises ConflictError; any other failure raises the data layer's
    // error. Either way nothing is stored and the recordsets keep the
    // user's changes, so the save can be tried again.
    void Salva(const RegolaCausale &regola, std::int16_t annoLavoro);

    // Deletes the stored movement, lines and header, in one transaction.
    void Elimina();

    // The code as stored (the lookup ignores case), the cost and the
    // VAT-inclusive price of an article; nullopt when no article has the code.
    struct ValoriArticolo
    {
        QString codice;
        double costo = 0;
        double prezzo = 0;
    };
    static std::optional<ValoriArticolo> LeggiArticolo(const QString &codice);

    static inline const QString CampoQuantita = QStringLiteral("Quantità");

private:
    void ApriRecordset(std::int32_t idReg);
    void NumeraRiga(int reason);
    // Gives every line the value in the field, writing only where it differs.
    void ImpostaRighe(const QString &campo, const platform::Variant &valore);

    std::unique_ptr<platform::Recordset> m_Testata;
    std::unique_ptr<platform::Recordset> m_Righe;
    bool m_Nuovo = false;
    std::int32_t m_ProssimaRiga = 10;
};
