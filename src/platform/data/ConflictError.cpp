#include "platform/data/ConflictError.h"

namespace platform {

ConflictError::ConflictError()
    : DatabaseError(Kind::Conflict, Number, standardDescription(), 0)
{
}

const QString &ConflictError::standardDescription()
{
    static const QString text = QStringLiteral(
        "Row cannot be located for updating. Some values may have been changed since it was last read.");
    return text;
}

} // namespace platform
