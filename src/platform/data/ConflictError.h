#pragma once

#include "platform/data/DatabaseError.h"

namespace platform {

// Raised when an optimistic update or delete touches no row because the
// row was changed or deleted by someone else since it was read. Callers
// catch it apart from other database errors: it is the "changed by another
// user" case.
class ConflictError : public DatabaseError
{
public:
    static constexpr std::int32_t Number = static_cast<std::int32_t>(0x80040E38u);

    ConflictError();

    static const QString &standardDescription();
};

} // namespace platform
