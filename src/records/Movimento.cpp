#include "records/Movimento.h"

#include "common/comUtility.h"
#include "platform/base/RuntimeError.h"
#include "platform/data/ConflictError.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "shell/MainModule.h"

#include <cmath>
#include <limits>

using platform::Connection;
using platform::Currency;
using platform::Recordset;
using platform::Variant;

namespace {

// Detaches both recordsets from the save's connection whatever happens.
class Collegamento
{
public:
    Collegamento(Recordset &testata, Recordset &righe, const Connection &connection)
        : m_Testata(testata)
        , m_Righe(righe)
    {
        m_Testata.setActiveConnection(connection);
        m_Righe.setActiveConnection(connection);
    }
    ~Collegamento()
    {
        m_Testata.setActiveConnection(nullptr);
        m_Righe.setActiveConnection(nullptr);
    }
    Collegamento(const Collegamento &) = delete;
    Collegamento &operator=(const Collegamento &) = delete;

private:
    Recordset &m_Testata;
    Recordset &m_Righe;
};

} // namespace

Movimento::Movimento()
    : m_Testata(std::make_unique<Recordset>())
    , m_Righe(std::make_unique<Recordset>())
{
}

Movimento::~Movimento() = default;

void Movimento::ApriRecordset(std::int32_t idReg)
{
    Connection connection(MainModule::ConnString);
    auto testata = std::make_unique<Recordset>();
    testata->open(QStringLiteral("SELECT * FROM MagazRegMain WHERE IdReg=?"), connection,
                  platform::CursorType::Static, platform::LockType::BatchOptimistic, platform::CommandType::Text,
                  {idReg});
    auto righe = std::make_unique<Recordset>();
    righe->open(QStringLiteral("SELECT * FROM MagazRegDetail WHERE IdReg=? ORDER BY Riga"), connection,
                platform::CursorType::Static, platform::LockType::BatchOptimistic, platform::CommandType::Text,
                {idReg});
    testata->setActiveConnection(nullptr);
    righe->setActiveConnection(nullptr);
    connection.close();
    m_Testata = std::move(testata);
    m_Righe = std::move(righe);
    connect(m_Righe.get(), &Recordset::recordChangeComplete, this,
            [this](platform::EventReason reason) { NumeraRiga(static_cast<int>(reason)); });
}

void Movimento::Nuovo(const QString &causale, const platform::DateTime &data)
{
    // IdReg 0 names no stored movement: the header's columns without a row.
    ApriRecordset(0);
    m_Testata->addNew();
    m_Testata->setValue(QStringLiteral("Causale"), causale);
    m_Testata->setValue(QStringLiteral("DataIns"), data);
    m_Nuovo = true;
    m_ProssimaRiga = 10;
}

bool Movimento::Carica(std::int32_t idReg)
{
    ApriRecordset(idReg);
    m_Nuovo = false;
    if (m_Testata->isEOF())
        return false;
    // Lines added from now on follow the highest stored number.
    std::int32_t highest = 0;
    const int riga = m_Righe->fieldIndex(QStringLiteral("Riga"));
    for (int row = 0; row < m_Righe->rowCount(); ++row)
        highest = std::max(highest, comUtility::IntegerOrDefault(m_Righe->valueAt(row, riga), 0));
    m_ProssimaRiga = highest + 10;
    if (m_Righe->rowCount() > 0)
        m_Righe->moveFirst();
    return true;
}

std::int32_t Movimento::IdReg() const
{
    if (m_Nuovo || m_Testata->isEOF() || m_Testata->isBOF())
        return 0;
    return comUtility::IntegerOrDefault(m_Testata->value(QStringLiteral("IdReg")), 0);
}

std::optional<std::int32_t> Movimento::Progressivo() const
{
    if (m_Testata->isEOF() || m_Testata->isBOF())
        return std::nullopt;
    const Variant value = m_Testata->value(QStringLiteral("Progressivo"));
    if (value.isNull() || value.isEmpty())
        return std::nullopt;
    return comUtility::IntegerOrDefault(value, 0);
}

void Movimento::NumeraRiga(int reason)
{
    if (reason != static_cast<int>(platform::EventReason::adRsnAddNew))
        return;
    if (m_ProssimaRiga > std::numeric_limits<std::int32_t>::max() - 10)
        throw platform::RuntimeError(platform::err::Overflow);
    m_Righe->setValue(QStringLiteral("Riga"), m_ProssimaRiga);
    m_ProssimaRiga += 10;
}

Currency Movimento::Totale(std::int16_t segno) const
{
    const int quantita = m_Righe->fieldIndex(CampoQuantita);
    const int valore = m_Righe->fieldIndex(segno == 1 ? QStringLiteral("Costo") : QStringLiteral("Prezzo"));
    Currency total;
    for (int row = 0; row < m_Righe->rowCount(); ++row) {
        const double q = std::abs(comUtility::NumberOrDefault(m_Righe->valueAt(row, quantita), 0));
        const double v = comUtility::NumberOrDefault(m_Righe->valueAt(row, valore), 0);
        try {
            total += Currency::fromDouble(q * v);
        } catch (const platform::RuntimeError &) {
            // A product beyond the currency's range counts as nothing.
        }
    }
    return total;
}

void Movimento::AnnullaModifiche()
{
    m_Righe->cancelBatch(platform::AffectRecords::All);
    m_Testata->cancelBatch(platform::AffectRecords::All);
}

void Movimento::Salva(const RegolaCausale &regola, std::int16_t annoLavoro)
{
    // Every line carries the movement's sign; its quantity is stored
    // negative for a return and positive otherwise, whatever sign it was
    // typed or stored with: a failed save of a return leaves its lines
    // negative, and the user may then pick another causale.
    const int quantita = m_Righe->fieldIndex(CampoQuantita);
    for (int row = 0; row < m_Righe->rowCount(); ++row) {
        m_Righe->setAbsolutePosition(row + 1);
        const double q = comUtility::NumberOrDefault(m_Righe->value(quantita), 0);
        if (regola.reso ? q > 0 : q < 0)
            m_Righe->setValue(quantita, -m_Righe->value(quantita).toCurrency());
    }
    ImpostaRighe(QStringLiteral("Segno"), Variant(regola.segno));

    Connection connection(MainModule::ConnString);
    Collegamento collegamento(*m_Testata, *m_Righe, connection);
    connection.beginTrans();
    try {
        if (m_Nuovo) {
            const std::int32_t numero = MainModule::ProssimoProgressivo(connection, annoLavoro) + 1;
            m_Testata->setValue(QStringLiteral("Progressivo"), numero);
            m_Testata->setValue(QStringLiteral("TipoContropartita"), regola.contropartita);
        }
        m_Testata->updateBatch(platform::AffectRecords::Current);
        // Lines are never written for a movement someone else deleted,
        // even when its header was not changed here.
        if (!m_Nuovo && connection.executeQuery(QStringLiteral("SELECT IdReg FROM MagazRegMain WHERE IdReg=?"),
                                                {IdReg()})->isEOF())
            throw platform::ConflictError();
        // A new header has its IdReg only now.
        ImpostaRighe(QStringLiteral("IdReg"), m_Testata->value(QStringLiteral("IdReg")));
        m_Righe->updateBatch(platform::AffectRecords::All);
        connection.commitTrans();
    } catch (...) {
        try {
            connection.rollbackTrans();
        } catch (const platform::RuntimeError &) {
            // The save's own error is the one to report.
        }
        // The number was given back with the rollback.
        if (m_Nuovo)
            m_Testata->setValue(QStringLiteral("Progressivo"), Variant::null());
        throw;
    }
    m_Nuovo = false;
    connection.close();
}

void Movimento::ImpostaRighe(const QString &campo, const Variant &valore)
{
    const int field = m_Righe->fieldIndex(campo);
    for (int row = 0; row < m_Righe->rowCount(); ++row) {
        if (m_Righe->valueAt(row, field) == valore)
            continue;
        m_Righe->setAbsolutePosition(row + 1);
        m_Righe->setValue(field, valore);
    }
}

void Movimento::Elimina()
{
    const std::int32_t idReg = IdReg();
    Connection connection(MainModule::ConnString);
    connection.beginTrans();
    try {
        connection.execute(QStringLiteral("DELETE * FROM MagazRegDetail WHERE IdReg=?"), {idReg});
        connection.execute(QStringLiteral("DELETE * FROM MagazRegMain WHERE IdReg=?"), {idReg});
        connection.commitTrans();
    } catch (...) {
        try {
            connection.rollbackTrans();
        } catch (const platform::RuntimeError &) {
        }
        throw;
    }
    connection.close();
}

std::optional<Movimento::ValoriArticolo> Movimento::LeggiArticolo(const QString &codice)
{
    Connection connection(MainModule::ConnString);
    const auto rs = connection.executeQuery(QStringLiteral("SELECT Codice, Costo, PrezzoIvato FROM Articoli WHERE Codice=?"), {codice});
    if (rs->isEOF())
        return std::nullopt;
    return ValoriArticolo{rs->value(0).toString(), comUtility::NumberOrDefault(rs->value(1), 0),
                          comUtility::NumberOrDefault(rs->value(2), 0)};
}
