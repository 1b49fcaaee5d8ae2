#include "platform/data/DatabaseError.h"

#include <sqlite3.h>

namespace platform {

namespace {

DatabaseError::Kind kindOfResult(int resultCode)
{
    switch (resultCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DatabaseError::Kind::Busy;
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return DatabaseError::Kind::ReadOnly;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_CANTOPEN:
        return DatabaseError::Kind::NotADatabase;
    default:
        return DatabaseError::Kind::General;
    }
}

} // namespace

DatabaseError::DatabaseError(int resultCode, const QString &description)
    : DatabaseError(kindOfResult(resultCode), EngineErrorNumber, description, resultCode)
{
}

DatabaseError::DatabaseError(Kind kind, std::int32_t number, const QString &description)
    : DatabaseError(kind, number, description, 0)
{
}

DatabaseError::DatabaseError(Kind kind, std::int32_t number, const QString &description,
                             const QString &source)
    : DatabaseError(kind, number, description, 0, source)
{
}

DatabaseError::DatabaseError(Kind kind, std::int32_t number, const QString &description, int resultCode,
                             const QString &source)
    : RuntimeError(number, description, source)
    , m_kind(kind)
    , m_resultCode(resultCode)
{
}

const QString &DatabaseError::layerSource()
{
    static const QString source = QStringLiteral("Velmora.Data");
    return source;
}

DatabaseError DatabaseError::noCurrentRecord()
{
    return DatabaseError(Kind::Usage, 3021,
                         QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                        "Requested operation requires a current record."));
}

DatabaseError DatabaseError::notSupported()
{
    return DatabaseError(Kind::Usage, 3251,
                         QStringLiteral("Current Recordset does not support updating. This may be a limitation "
                                        "of the provider, or of the selected locktype."));
}

DatabaseError DatabaseError::itemNotFound()
{
    return DatabaseError(Kind::Usage, 3265,
                         QStringLiteral("Item cannot be found in the collection corresponding to the requested "
                                        "name or ordinal."));
}

DatabaseError DatabaseError::objectClosed()
{
    return DatabaseError(Kind::Usage, 3704, QStringLiteral("Operation is not allowed when the object is closed."));
}

DatabaseError DatabaseError::connectionNotUsable()
{
    return DatabaseError(Kind::Usage, 3709,
                         QStringLiteral("The connection cannot be used to perform this operation. It is either "
                                        "closed or invalid in this context."));
}

DatabaseError DatabaseError::notAllowedInContext()
{
    return DatabaseError(Kind::Usage, 3219, QStringLiteral("Operation is not allowed in this context."));
}

DatabaseError DatabaseError::missingParameters()
{
    return DatabaseError(Kind::Usage, MissingParameterNumber,
                         QStringLiteral("No value given for one or more required parameters."));
}

DatabaseError DatabaseError::deletedRow()
{
    return DatabaseError(Kind::Usage, DeletedRowNumber,
                         QStringLiteral("Row handle referred to a deleted row or a row marked for deletion."));
}

DatabaseError DatabaseError::cannotFetchBackward()
{
    return DatabaseError(Kind::Usage, ForwardOnlyNumber, QStringLiteral("Rowset does not support fetching backward."));
}

} // namespace platform
