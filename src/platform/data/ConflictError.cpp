#include "platform/data/ConflictError.h"

namespace platform {

ConflictError::ConflictError()
    : DatabaseError(Kind::Conflict, Number, standardDescription(), 0)
{
}

const QString &ConflictError::standardDescription()
{
    static const QString text = describe(Kind::Conflict);
    return text;
}

} // namespace platform
