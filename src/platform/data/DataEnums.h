#pragma once

// The constants of the data layer, numbered as the classic data-access
// object model numbers them, so that values stored or compared by the
// program's code keep their meaning.

namespace platform {

// The type of a field or a column.
enum class DataType : int {
    adEmpty = 0,
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBoolean = 11,
    adVariant = 12,
    adBigInt = 20,
    adWChar = 130,
    adVarWChar = 202,
    adLongVarWChar = 203,
    adLongVarBinary = 205,
};

// How a recordset moves through its rows.
enum class CursorType : int {
    ForwardOnly = 0,
    Keyset = 1,
    Dynamic = 2,
    Static = 3,
};

// Whether and how a recordset writes its changes back.
enum class LockType : int {
    ReadOnly = 1,
    Pessimistic = 2,
    Optimistic = 3,      // each Update is written at once
    BatchOptimistic = 4, // changes are kept until UpdateBatch
};

// How a command text or a recordset source is read.
enum class CommandType : int {
    Text = 1,       // a statement
    Table = 2,      // a table name
    StoredProc = 4, // the name of a stored query
};

// Which rows UpdateBatch, CancelBatch and Delete act on.
enum class AffectRecords : int {
    Current = 1,
    Group = 2,
    All = 3,
};

// Why a recordset event was raised.
enum class EventReason : int {
    adRsnAddNew = 1,
    adRsnDelete = 2,
    adRsnUpdate = 3,
    adRsnUndoUpdate = 4,
    adRsnUndoAddNew = 5,
    adRsnUndoDelete = 6,
    adRsnRequery = 7,
    adRsnResynch = 8,
    adRsnClose = 9,
    adRsnMove = 10,
    adRsnFirstChange = 11,
    adRsnMoveFirst = 12,
    adRsnMoveNext = 13,
    adRsnMovePrevious = 14,
    adRsnMoveLast = 15,
};

// The state of a row with respect to the database, as bit flags.
namespace RecordStatus {
enum : int {
    adRecOK = 0,
    adRecNew = 0x1,
    adRecModified = 0x2,
    adRecDeleted = 0x4,
    adRecUnmodified = 0x8,
    adRecConcurrencyViolation = 0x800,
    adRecDBDeleted = 0x40000,
};
}

// Whether the current row is being edited.
enum class EditMode : int {
    adEditNone = 0,
    adEditInProgress = 1,
    adEditAdd = 2,
    adEditDelete = 4,
};

// Whether a connection or a recordset is open.
enum class ObjectState : int {
    adStateClosed = 0,
    adStateOpen = 1,
};

} // namespace platform
