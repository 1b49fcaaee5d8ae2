#pragma once

#include "platform/base/RuntimeError.h"

#include <QString>

#include <cstdint>

namespace platform {

// An error raised by the data layer: the engine refused a statement, a
// file is not a usable database, or the program asked for something a
// connection or recordset cannot do. Callers tell the cases apart by
// kind(); number() follows the classic data-access numbers. The
// description is Italian, for the user; what the engine said in its own
// words is kept in detail(), for the error report.
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
        General,      // any other error (an unknown table, a statement the engine refuses, ...)
        Busy,         // another connection holds a lock longer than the busy timeout
        ReadOnly,     // the file or its folder cannot be written
        DuplicateKey, // a key or unique index already holds the value
        MissingValue, // a required column was left without a value
        DiskFull,     // no room left for the file
        Damaged,      // a database file whose pages are damaged
        NotADatabase, // an empty or foreign file
        CannotOpen,   // the file is missing or cannot be opened
        Conflict,     // an optimistic write found the row changed or gone
        TypeMismatch, // a value the column's type cannot hold
        Usage,        // the object cannot do this now (no current row, closed, ...)
    };

    // An engine error from its result code (extended codes included) and
    // message: the description is the one of its kind, the detail reads
    // "SQLite <code>: <message>".
    DatabaseError(int resultCode, const QString &engineMessage);
    // An error of the layer itself, with its number and description.
    DatabaseError(Kind kind, std::int32_t number, const QString &description);
    // A run-time error met while the layer converted a value or translated
    // a statement, raised as the layer's own with its number, source and
    // detail. A value that does not fit (type mismatch, overflow) has
    // Kind::TypeMismatch, its description and the run-time's text as the
    // detail; any other keeps its description, with Kind::General.
    static DatabaseError fromRuntimeError(const RuntimeError &error);

    Kind kind() const noexcept { return m_kind; }
    // The engine's result code, 0 when the error did not come from it.
    int resultCode() const noexcept { return m_resultCode; }

    // What the user reads for an error of the kind.
    static QString describe(Kind kind);
    static const QString &layerSource();

    // The layer's own errors, with the numbers the program knows.
    static DatabaseError badArguments();          // 3001
    static DatabaseError noCurrentRecord();       // 3021
    static DatabaseError noTransaction();         // 3034
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
