#pragma once

#include "platform/base/Variant.h"
#include "platform/data/Connection.h"
#include "platform/data/DataEnums.h"
#include "platform/data/Field.h"
#include "platform/data/FieldInfo.h"

#include <QList>
#include <QObject>
#include <QString>

#include <cstddef>
#include <memory>
#include <optional>

namespace platform {

// The rows of a query, a table or a stored query held in memory, with a
// current row, field values that keep Empty and Null apart, and the
// writing back of changes:
// - LockType::ReadOnly: reading only;
// - LockType::Optimistic: each Update writes the row at once (an INSERT,
//   or an UPDATE that requires the row's key and every changed column to
//   still hold their original values; otherwise ConflictError);
// - LockType::BatchOptimistic: changes are kept per row (new, modified,
//   deleted) until updateBatch writes them in one go, all or nothing.
// A recordset may be detached from its connection (setActiveConnection
// with nullptr) and keep its rows, original values and pending changes;
// attaching it to another connection later serves updateBatch.
// A recordset opened with no source after appendField() is a fabricated
// one: an in-memory table.
//
// Both cursor types read every row when opened; a forward-only recordset
// only refuses to move backwards and answers -1 for recordCount.
class Recordset : public QObject
{
    Q_OBJECT

public:
    // Identifies a row for as long as the recordset is open.
    using Bookmark = quint64;
    // absolutePosition() before the first and after the last row.
    static constexpr int PositionBOF = -2;
    static constexpr int PositionEOF = -3;

    explicit Recordset(QObject *parent = nullptr);
    ~Recordset() override;

    // ---- opening ----
    // `source` is a Jet statement, a table name or a stored query name,
    // as commandType says. Positional parameters bind in the order the
    // statement declares them.
    void open(const QString &source, const Connection &connection, CursorType cursorType = CursorType::ForwardOnly,
              LockType lockType = LockType::ReadOnly, CommandType commandType = CommandType::Text,
              const QList<Variant> &parameters = {});
    // Opens a fabricated recordset on the fields appended so far.
    void open();
    // Adds a field to a fabricated recordset before it is opened.
    void appendField(const QString &name, DataType type, int definedSize = 0);
    // Reads the rows again, dropping pending changes.
    void requery();
    void close();
    ObjectState state() const;
    bool isOpen() const { return state() == ObjectState::adStateOpen; }
    QString source() const;
    CursorType cursorType() const;
    LockType lockType() const;

    // ---- connection ----
    // The attached connection; nullopt when detached or fabricated.
    std::optional<Connection> activeConnection() const;
    void setActiveConnection(const Connection &connection);
    void setActiveConnection(std::nullptr_t);

    // ---- fields ----
    int fieldCount() const;
    // Raises "item cannot be found" (3265) for an unknown index or name.
    Field field(int index);
    Field field(const QString &name);
    // Case-insensitive; -1 when there is no such field.
    int fieldIndex(const QString &name) const;
    const FieldInfo &fieldInfo(int index) const;

    Variant value(int field) const;
    Variant value(const QString &field) const;
    void setValue(int field, const Variant &value);
    void setValue(const QString &field, const Variant &value);
    Variant originalValue(int field) const;
    Variant underlyingValue(int field) const;

    // ---- position ----
    bool isBOF() const;
    bool isEOF() const;
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    // Rows visible through the filter (deleted ones not counted); -1 for
    // a forward-only recordset.
    int recordCount() const;
    // 1-based; PositionBOF or PositionEOF off the rows.
    int absolutePosition() const;
    void setAbsolutePosition(int position);
    Bookmark bookmark() const;
    void setBookmark(Bookmark bookmark);
    // Moves to the first row, from the current one on (or back when
    // forward is false), that meets the criteria (same notation as the
    // filter: "CodiceIVA = '22'"); past the end (EOF or BOF) when none does.
    bool find(const QString &criteria, bool forward = true);

    // ---- filter ----
    QString filter() const;
    // Shows only the rows that meet the criteria ("Q<>0"); an empty text
    // shows them all again. Moves to the first row.
    void setFilter(const QString &criteria);

    // ---- changes ----
    EditMode editMode() const;
    // RecordStatus flags of the current row.
    int status() const;
    void addNew();
    void update();
    void cancelUpdate();
    void deleteRecord(AffectRecords affect = AffectRecords::Current);
    // Writes the pending changes of the current row or of all rows, inside
    // the connection's transaction when one is open (which then decides
    // what is kept), else in a transaction of its own. A row that changed
    // or vanished meanwhile raises ConflictError, gets the
    // adRecConcurrencyViolation status, and nothing of the batch is stored.
    void updateBatch(AffectRecords affect = AffectRecords::All);
    // Drops pending changes: values back to their originals, new rows
    // removed, deleted rows back.
    void cancelBatch(AffectRecords affect = AffectRecords::All);
    bool hasPendingChanges() const;

    // ---- direct access for item models and reports ----
    // The visible rows by 0-based index, without moving the current row.
    int rowCount() const;
    Variant valueAt(int row, int field) const;
    int statusAt(int row) const;
    Bookmark bookmarkAt(int row) const;

signals:
    // A row was added (adRsnAddNew), written (adRsnUpdate), deleted
    // (adRsnDelete), or an edit was undone (adRsnUndoUpdate, adRsnUndoAddNew).
    void recordChangeComplete(platform::EventReason reason);
    // A field of the current row got a new value.
    void fieldChangeComplete(int field);
    // The current row changed.
    void moveComplete(platform::EventReason reason);
    // The rows as a whole changed (requery, filter, batch written or cancelled).
    void recordsetChangeComplete(platform::EventReason reason);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace platform
