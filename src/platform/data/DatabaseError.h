#pragma once

#include "platform/base/RuntimeError.h"

#include <QString>

#include <cstdint>

namespace platform {

// An error raised by the data layer: the engine refused a statement, a
// file is not a usable database, or the program asked for something a
// connection or recordset cannot do. Callers tell the cases apart by
// kind(); number() follows the classic data-access numbers.
class DatabaseError : public RuntimeError
{
public:
    // Number of every error that comes from the database engine.
    static constexpr std::int32_t EngineErrorNumber = static_cast<std::int32_t>(0x80004005u);
    // Number of a statement that needs parameter values it was not given.
    static constexpr std::int32_t MissingParameterNumber = static_cast<std::int32_t>(0x80040E10u);
    // Number of an operation on a row that was deleted.
    static constexpr std::int32_t DeletedRowNumber = static_cast<std::int32_t>(0x80040E23u);
    // Number of a backward move on a forward-only recordset.
    static constexpr std::int32_t ForwardOnlyNumber = static_cast<std::int32_t>(0x80040E24u);

    enum class Kind {
        General,      // any other engine error (syntax, constraint, ...)
        Busy,         // another connection holds a lock longer than the busy timeout
        ReadOnly,     // the file or its folder cannot be written
        NotADatabase, // missing, empty, damaged or foreign file
        Conflict,     // an optimistic write found the row changed or gone
        Usage,        // the object cannot do this now (no current row, closed, ...)
    };

    // An engine error: the engine's result code (extended codes included)
    // and its message.
    DatabaseError(int resultCode, const QString &description);
    // An error of the layer itself, with its number and description.
    DatabaseError(Kind kind, std::int32_t number, const QString &description);
    // The same, raised on behalf of another part (the Jet translator).
    DatabaseError(Kind kind, std::int32_t number, const QString &description, const QString &source);

    Kind kind() const noexcept { return m_kind; }
    // The engine's result code, 0 when the error did not come from it.
    int resultCode() const noexcept { return m_resultCode; }

    static const QString &layerSource();

    // The layer's own errors, with the numbers and texts the program knows.
    static DatabaseError noCurrentRecord();       // 3021
    static DatabaseError notSupported();          // 3251
    static DatabaseError itemNotFound();          // 3265
    static DatabaseError objectClosed();          // 3704
    static DatabaseError connectionNotUsable();   // 3709
    static DatabaseError notAllowedInContext();   // 3219
    static DatabaseError missingParameters();     // 0x80040E10
    static DatabaseError deletedRow();            // 0x80040E23
    static DatabaseError cannotFetchBackward();   // 0x80040E24

protected:
    DatabaseError(Kind kind, std::int32_t number, const QString &description, int resultCode,
                  const QString &source = layerSource());

private:
    Kind m_kind;
    int m_resultCode;
};

} // namespace platform
