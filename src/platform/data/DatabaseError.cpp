#include "platform/data/DatabaseError.h"

#include <sqlite3.h>

namespace platform {

namespace {

DatabaseError::Kind kindOfResult(int resultCode)
{
    switch (resultCode) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_ROWID:
        return DatabaseError::Kind::DuplicateKey;
    case SQLITE_CONSTRAINT_NOTNULL:
        return DatabaseError::Kind::MissingValue;
    default:
        break;
    }
    switch (resultCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DatabaseError::Kind::Busy;
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return DatabaseError::Kind::ReadOnly;
    case SQLITE_FULL:
        return DatabaseError::Kind::DiskFull;
    case SQLITE_CORRUPT:
        return DatabaseError::Kind::Damaged;
    case SQLITE_NOTADB:
        return DatabaseError::Kind::NotADatabase;
    case SQLITE_CANTOPEN:
        return DatabaseError::Kind::CannotOpen;
    case SQLITE_MISMATCH:
        return DatabaseError::Kind::TypeMismatch;
    default:
        return DatabaseError::Kind::General;
    }
}

} // namespace

DatabaseError::DatabaseError(int resultCode, const QString &engineMessage)
    : DatabaseError(kindOfResult(resultCode), EngineErrorNumber, describe(kindOfResult(resultCode)), resultCode)
{
    setDetail(QStringLiteral("SQLite %1: %2").arg(resultCode).arg(engineMessage));
}

DatabaseError::DatabaseError(Kind kind, std::int32_t number, const QString &description)
    : DatabaseError(kind, number, description, 0)
{
}

DatabaseError::DatabaseError(Kind kind, std::int32_t number, const QString &description, int resultCode,
                             const QString &source)
    : RuntimeError(number, description, source)
    , m_kind(kind)
    , m_resultCode(resultCode)
{
}

DatabaseError DatabaseError::fromRuntimeError(const RuntimeError &error)
{
    // A value that does not fit the column: the user reads what went wrong
    // with the value, the run-time's own words go to the report.
    const bool wrongType = error.number() == err::TypeMismatch || error.number() == err::Overflow;
    DatabaseError converted(wrongType ? Kind::TypeMismatch : Kind::General, error.number(),
                            wrongType ? describe(Kind::TypeMismatch) : error.description(), 0,
                            error.source().isEmpty() ? layerSource() : error.source());
    converted.setDetail(wrongType && error.detail().isEmpty() ? error.description() : error.detail());
    return converted;
}

QString DatabaseError::describe(Kind kind)
{
    switch (kind) {
    case Kind::Busy:
        return QStringLiteral("Il database è in uso da un altro utente. Riprovare più tardi.");
    case Kind::ReadOnly:
        return QStringLiteral("Il database è di sola lettura: le modifiche non possono essere salvate.");
    case Kind::DuplicateKey:
        return QStringLiteral("Esiste già un elemento con lo stesso codice.");
    case Kind::MissingValue:
        return QStringLiteral("Un campo obbligatorio non è stato compilato.");
    case Kind::DiskFull:
        return QStringLiteral("Il disco è pieno: le modifiche non sono state salvate.");
    case Kind::Damaged:
        return QStringLiteral("Il file del database è danneggiato.");
    case Kind::NotADatabase:
        return QStringLiteral("Il file non è un database di Velmora.");
    case Kind::CannotOpen:
        return QStringLiteral("Il file del database non esiste o non può essere aperto.");
    case Kind::Conflict:
        return QStringLiteral("La registrazione è stata modificata o eliminata da un altro utente.");
    case Kind::TypeMismatch:
        return QStringLiteral("Un valore non è del tipo richiesto dal campo.");
    case Kind::Usage:
        return QStringLiteral("Operazione non consentita in questo contesto.");
    case Kind::General:
        break;
    }
    return QStringLiteral("L'operazione sul database non è riuscita.");
}

const QString &DatabaseError::layerSource()
{
    static const QString source = QStringLiteral("Velmora.Data");
    return source;
}

DatabaseError DatabaseError::badArguments()
{
    return DatabaseError(Kind::Usage, 3001,
                         QStringLiteral("Argomenti di tipo errato, fuori dall'intervallo consentito o in conflitto "
                                        "tra loro."));
}

DatabaseError DatabaseError::noCurrentRecord()
{
    return DatabaseError(Kind::Usage, 3021,
                         QStringLiteral("Nessun record corrente: la posizione è prima dell'inizio o dopo la fine "
                                        "dei dati, oppure il record è stato eliminato."));
}

DatabaseError DatabaseError::noTransaction()
{
    return DatabaseError(Kind::Usage, 3034,
                         QStringLiteral("Impossibile confermare o annullare una transazione che non è stata avviata."));
}

DatabaseError DatabaseError::notSupported()
{
    return DatabaseError(Kind::Usage, 3251, QStringLiteral("Questi dati non consentono l'operazione richiesta."));
}

DatabaseError DatabaseError::itemNotFound()
{
    return DatabaseError(Kind::Usage, 3265,
                         QStringLiteral("Elemento non trovato nell'insieme corrispondente al nome o al numero "
                                        "richiesto."));
}

DatabaseError DatabaseError::objectClosed()
{
    return DatabaseError(Kind::Usage, 3704, QStringLiteral("Operazione non consentita quando l'oggetto è chiuso."));
}

DatabaseError DatabaseError::connectionNotUsable()
{
    return DatabaseError(Kind::Usage, 3709,
                         QStringLiteral("La connessione al database è chiusa o non può essere usata per questa "
                                        "operazione."));
}

DatabaseError DatabaseError::notAllowedInContext()
{
    return DatabaseError(Kind::Usage, 3219, describe(Kind::Usage));
}

DatabaseError DatabaseError::missingParameters()
{
    return DatabaseError(Kind::Usage, MissingParameterNumber,
                         QStringLiteral("Nessun valore specificato per uno o più parametri necessari."));
}

DatabaseError DatabaseError::deletedRow()
{
    return DatabaseError(Kind::Usage, DeletedRowNumber,
                         QStringLiteral("Il record è stato eliminato o contrassegnato per l'eliminazione."));
}

DatabaseError DatabaseError::cannotFetchBackward()
{
    return DatabaseError(Kind::Usage, ForwardOnlyNumber,
                         QStringLiteral("Questi dati si leggono solo in avanti: non è possibile tornare indietro."));
}

} // namespace platform
