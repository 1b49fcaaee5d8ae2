#include "platform/data/Recordset.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/ConflictError.h"
#include "platform/data/DatabaseError.h"
#include "platform/data/RecordFilter.h"
#include "platform/data/RowStore.h"
#include "platform/data/RowWriter.h"
#include "platform/data/Session.h"
#include "platform/data/SqlLexer.h"
#include "platform/data/SqlShape.h"
#include "platform/data/ValueConversion.h"
#include "platform/data/WriteScope.h"

#include <sqlite3.h>

#include <QHash>

#include <algorithm>
#include <deque>
#include <limits>
#include <numeric>
#include <tuple>
#include <utility>
#include <vector>

namespace platform {

using sqlite::RowWriter;
using sqlite::SqlValue;
using sqlite::ValueConversion;

namespace {

// Name under which the row id is read for tables without a usable key.
const QString rowidAlias = QStringLiteral("__velmora_rowid");

constexpr int pendingStatus = RecordStatus::adRecNew | RecordStatus::adRecModified | RecordStatus::adRecDeleted;

// What a row went through since it was read: kept only for the rows that
// were edited, added or deleted. A row without one holds the values it was
// read with, unmodified.
struct RowState {
    std::vector<Variant> current; // the values now, when they differ from the stored ones; empty otherwise
    std::vector<bool> changed;    // fields assigned since the row was last written
    int status = RecordStatus::adRecUnmodified;
    bool stored = true;           // the row exists in the database
    bool gone = false;            // deleted from the database, or a new row dropped
};

// A row as it was before a write, put back when the transaction that holds
// the write is rolled back.
struct SavedRow {
    Recordset::Bookmark bookmark;
    std::vector<SqlValue> cells;
    RowState state;
};

// The place of a row in an ascending list of rows, -1 when it is not there.
qsizetype indexIn(const std::vector<int> &rows, int row)
{
    const auto it = std::lower_bound(rows.begin(), rows.end(), row);
    return it != rows.end() && *it == row ? it - rows.begin() : -1;
}

// Converts the run-time errors of value conversion into the layer's own.
template <typename F>
auto convertingErrors(F f) -> decltype(f())
{
    try {
        return f();
    } catch (const DatabaseError &) {
        throw;
    } catch (const RuntimeError &e) {
        throw DatabaseError::fromRuntimeError(e);
    }
}

} // namespace

struct Recordset::Private {
    explicit Private(Recordset *owner) : q(owner) {}

    Recordset *q;
    ObjectState state = ObjectState::adStateClosed;
    QString source;
    CommandType commandType = CommandType::Text;
    CursorType cursor = CursorType::ForwardOnly;
    LockType lock = LockType::ReadOnly;
    QList<Variant> parameters;
    std::optional<Connection> connection;
    bool fabricated = false;

    std::vector<FieldInfo> fields;
    QHash<QString, int> fieldByName; // lower-case name -> first field of that name

    // Where changes are written; empty when the recordset cannot write.
    QString updateTable;
    RowWriter::Locator locator = RowWriter::Locator::RowidColumn;
    int rowidField = -1;
    std::vector<int> keyFields;

    // Rows are numbered from 0 in the order they were read or added; a row
    // keeps its number until the rows are read again.
    sqlite::RowStore store; // each row's stored values, then its rowid when read with it
    int rowidCell = -1;     // the cell holding the rowid, -1 when the rows have none
    std::vector<std::uint32_t> stateIndex; // by row: 1 + its place in states, 0 for none (may be short)
    std::deque<RowState> states;
    Bookmark firstBookmark = 1; // row 0's; moves past every row dropped, so no bookmark is reused
    std::vector<int> view;      // rows passing the filter, deleted ones included, ascending
    mutable std::vector<int> visible; // the rows of the view that are not deleted
    mutable bool visibleDirty = true;
    qsizetype pos = -1; // index into view; -1 before the first, view.size() after the last

    struct Edit {
        int row;
        std::vector<Variant> values;
        std::vector<bool> assigned;
        EditMode mode;
        Bookmark previous;
    };
    std::optional<Edit> edit;

    RecordFilter filter;
    QString filterText;

    // Lives exactly as long as the recordset: rollback actions check it.
    std::shared_ptr<int> alive = std::make_shared<int>(0);

    int fieldCount() const { return static_cast<int>(fields.size()); }
    int rowCount() const { return store.rowCount(); }

    void ensureOpen() const
    {
        if (state != ObjectState::adStateOpen)
            throw DatabaseError::objectClosed();
    }
    void checkField(int index) const
    {
        ensureOpen();
        if (index < 0 || index >= fieldCount())
            throw DatabaseError::itemNotFound();
    }
    int indexOf(const QString &name) const
    {
        const int index = fieldByName.value(name.toLower(), -1);
        if (index < 0)
            throw DatabaseError::itemNotFound();
        return index;
    }

    // ---- row state ----
    const RowState *stateOf(int r) const
    {
        const auto i = static_cast<size_t>(r);
        return i < stateIndex.size() && stateIndex[i] ? &states[stateIndex[i] - 1] : nullptr;
    }
    RowState *stateOf(int r) { return const_cast<RowState *>(std::as_const(*this).stateOf(r)); }
    // The row's state, made when it has none.
    RowState &stateFor(int r)
    {
        if (stateIndex.size() < static_cast<size_t>(rowCount()))
            stateIndex.resize(static_cast<size_t>(rowCount()), 0);
        std::uint32_t &i = stateIndex[static_cast<size_t>(r)];
        if (!i) {
            states.emplace_back();
            i = static_cast<std::uint32_t>(states.size());
        }
        return states[i - 1];
    }
    int statusOf(int r) const
    {
        const RowState *s = stateOf(r);
        return s ? s->status : RecordStatus::adRecUnmodified;
    }
    bool isStored(int r) const
    {
        const RowState *s = stateOf(r);
        return !s || s->stored;
    }
    bool isGone(int r) const
    {
        const RowState *s = stateOf(r);
        return s && s->gone;
    }
    bool hidden(int r) const
    {
        const RowState *s = stateOf(r);
        return s && (s->gone || (s->status & RecordStatus::adRecDeleted));
    }

    Bookmark bookmarkOf(int r) const { return firstBookmark + static_cast<Bookmark>(r); }
    // The row a bookmark stands for, -1 when it is not one of these rows.
    int rowOf(Bookmark bookmark) const
    {
        if (bookmark < firstBookmark || bookmark - firstBookmark >= static_cast<Bookmark>(rowCount()))
            return -1;
        return static_cast<int>(bookmark - firstBookmark);
    }

    // ---- position ----
    int currentRow() const
    {
        return pos >= 0 && pos < static_cast<qsizetype>(view.size()) ? view[static_cast<size_t>(pos)] : -1;
    }
    int requireCurrent() const
    {
        ensureOpen();
        const int r = currentRow();
        if (r < 0)
            throw DatabaseError::noCurrentRecord();
        if (hidden(r))
            throw DatabaseError::deletedRow();
        return r;
    }

    const std::vector<int> &visibleRows() const
    {
        if (visibleDirty) {
            visible.clear();
            visible.reserve(view.size());
            std::copy_if(view.begin(), view.end(), std::back_inserter(visible), [this](int r) { return !hidden(r); });
            visibleDirty = false;
        }
        return visible;
    }

    qsizetype nextVisible(qsizetype from) const
    {
        for (qsizetype i = std::max<qsizetype>(from, 0); i < static_cast<qsizetype>(view.size()); ++i) {
            if (!hidden(view[static_cast<size_t>(i)]))
                return i;
        }
        return static_cast<qsizetype>(view.size());
    }
    qsizetype previousVisible(qsizetype from) const
    {
        for (qsizetype i = std::min<qsizetype>(from, static_cast<qsizetype>(view.size()) - 1); i >= 0; --i) {
            if (!hidden(view[static_cast<size_t>(i)]))
                return i;
        }
        return -1;
    }
    bool isBOF() const { return visibleRows().empty() || pos < 0; }
    bool isEOF() const { return visibleRows().empty() || pos >= static_cast<qsizetype>(view.size()); }

    // ---- values ----
    Variant storedValue(int r, int field) const
    {
        return ValueConversion::toVariant(store.value(r, field), fields[static_cast<size_t>(field)].type.type());
    }
    Variant rowValue(int r, int field) const
    {
        if (edit && edit->row == r)
            return edit->values[static_cast<size_t>(field)];
        if (const RowState *s = stateOf(r); s && !s->current.empty())
            return s->current[static_cast<size_t>(field)];
        return storedValue(r, field);
    }
    bool matchesFilter(int r) const
    {
        return filter.matches([&](int field) { return rowValue(r, field); });
    }
    // The row's values as stored, for locating it in its table.
    std::vector<SqlValue> originals(int r) const
    {
        std::vector<SqlValue> values;
        values.reserve(fields.size());
        for (int f = 0; f < fieldCount(); ++f)
            values.push_back(store.value(r, f));
        return values;
    }
    std::optional<std::int64_t> rowidOf(int r) const
    {
        if (rowidCell < 0 || store.kind(r, rowidCell) != SqlValue::Kind::Integer)
            return std::nullopt;
        return store.value(r, rowidCell).toInteger();
    }

    // Rebuilds the rows in view, keeping the current row when it stays.
    void rebuildView(bool keepPosition)
    {
        const int current = keepPosition ? currentRow() : -1;
        view.clear();
        view.reserve(static_cast<size_t>(rowCount()));
        for (int r = 0; r < rowCount(); ++r) {
            if (!isGone(r) && (filter.isEmpty() || matchesFilter(r)))
                view.push_back(r);
        }
        visibleDirty = true;
        const qsizetype at = current >= 0 && !hidden(current) ? indexIn(view, current) : -1;
        pos = at >= 0 ? at : nextVisible(0);
    }

    bool isWritable(int field) const
    {
        const FieldInfo &f = fields[static_cast<size_t>(field)];
        return !updateTable.isEmpty() && !f.baseColumn.isEmpty()
            && f.baseTable.compare(updateTable, Qt::CaseInsensitive) == 0;
    }
    bool canChangeRows() const { return fabricated || (lock != LockType::ReadOnly && !updateTable.isEmpty()); }
    bool writesAtOnce() const { return !fabricated && lock != LockType::BatchOptimistic; }

    sqlite::Session &requireSession() const
    {
        if (!connection)
            throw DatabaseError::connectionNotUsable();
        return connection->openSession();
    }

    RowWriter writer(sqlite::Session &session) const
    {
        std::vector<RowWriter::Column> columns;
        columns.reserve(fields.size());
        for (int i = 0; i < fieldCount(); ++i) {
            const FieldInfo &f = fields[static_cast<size_t>(i)];
            columns.push_back(RowWriter::Column{isWritable(i) ? f.baseColumn : QString(), f.type});
        }
        return RowWriter(session, updateTable, std::move(columns), locator, rowidField, keyFields);
    }

    std::vector<SavedRow> save(const std::vector<int> &rows) const
    {
        std::vector<SavedRow> saved;
        saved.reserve(rows.size());
        for (int r : rows) {
            SavedRow &s = saved.emplace_back(SavedRow{bookmarkOf(r), {}, {}});
            for (int c = 0; c < store.cellsPerRow(); ++c)
                s.cells.push_back(store.value(r, c));
            if (const RowState *state = stateOf(r))
                s.state = *state;
        }
        return saved;
    }
    // When the connection's transaction is rolled back, the rows go back
    // to what they were before this write, so that a retry writes them again.
    void restoreOnRollback(sqlite::Session &session, std::vector<SavedRow> saved)
    {
        session.onRollback(alive, [this, saved = std::move(saved)]() {
            for (const SavedRow &s : saved) {
                const int r = rowOf(s.bookmark);
                if (r < 0)
                    continue; // read again since
                for (size_t c = 0; c < s.cells.size(); ++c)
                    store.setValue(r, static_cast<int>(c), s.cells[c]);
                stateFor(r) = s.state;
            }
            rebuildView(true);
            emit q->recordsetChangeComplete(EventReason::adRsnUndoUpdate);
        });
    }

    // The row now holds what was written: its stored values and rowid, unmodified.
    void applyStored(int r, const RowWriter::Stored &stored)
    {
        for (size_t i = 0; i < stored.values.size(); ++i) {
            if (stored.values[i])
                store.setValue(r, static_cast<int>(i), *stored.values[i]);
        }
        if (rowidCell >= 0)
            store.setValue(r, rowidCell, SqlValue::integer(stored.rowid));
        if (RowState *s = stateOf(r))
            *s = RowState{};
    }

    void beginEdit(int r, EditMode mode)
    {
        Edit e{r, {}, std::vector<bool>(fields.size(), false), mode, 0};
        e.values.reserve(fields.size());
        for (int i = 0; i < fieldCount(); ++i)
            e.values.push_back(rowValue(r, i));
        edit = std::move(e);
    }

    // Ends an edit before the current row changes, as moving off a row does.
    void finishEdit()
    {
        if (!edit)
            return;
        const bool untouched =
            std::none_of(edit->assigned.begin(), edit->assigned.end(), [](bool b) { return b; });
        if (edit->mode == EditMode::adEditAdd && untouched && writesAtOnce())
            q->cancelUpdate(); // nothing typed into the new row: no empty row is stored
        else
            q->update();
    }

    void determineComputedTypes()
    {
        for (int f = 0; f < fieldCount(); ++f) {
            FieldInfo &info = fields[static_cast<size_t>(f)];
            if (!info.declaredType.isEmpty())
                continue;
            bool anyInteger = false, anyReal = false, anyText = false, anyBlob = false, wide = false;
            for (int r = 0; r < rowCount(); ++r) {
                switch (store.kind(r, f)) {
                case SqlValue::Kind::Integer: {
                    anyInteger = true;
                    const std::int64_t v = store.value(r, f).toInteger();
                    wide = wide || v < std::numeric_limits<std::int32_t>::min()
                        || v > std::numeric_limits<std::int32_t>::max();
                    break;
                }
                case SqlValue::Kind::Real: anyReal = true; break;
                case SqlValue::Kind::Text: anyText = true; break;
                case SqlValue::Kind::Blob: anyBlob = true; break;
                case SqlValue::Kind::Null: break;
                }
            }
            const bool anyNumber = anyInteger || anyReal;
            DataType type = DataType::adVariant;
            if ((anyText && (anyNumber || anyBlob)) || (anyBlob && anyNumber))
                type = DataType::adVariant;
            else if (anyText)
                type = DataType::adLongVarWChar;
            else if (anyBlob)
                type = DataType::adLongVarBinary;
            else if (anyReal)
                type = DataType::adDouble;
            else if (anyInteger)
                type = wide ? DataType::adBigInt : DataType::adInteger;
            info.type = ColumnType(type, ColumnType::naturalSize(type));
        }
    }

    // Decides where and how changes are written: one base table, and a way
    // to find its rows again (the rowid key, the primary key, or the rowid
    // read along with the rows).
    void chooseUpdateTarget(sqlite::Session &session, sqlite::Statement &statement, const QString &sql)
    {
        updateTable.clear();
        rowidField = -1;
        keyFields.clear();
        QString table;
        for (const FieldInfo &f : fields) {
            if (f.baseTable.isEmpty())
                continue;
            if (table.isEmpty())
                table = f.baseTable;
            else if (table.compare(f.baseTable, Qt::CaseInsensitive) != 0)
                return; // a join: read-only
        }
        if (table.isEmpty())
            return;
        const auto info = session.tableInfo(table);
        if (!info || info->isView)
            return;
        auto fieldOf = [&](const QString &column) {
            for (int i = 0; i < fieldCount(); ++i) {
                const FieldInfo &f = fields[static_cast<size_t>(i)];
                if (f.baseColumn.compare(column, Qt::CaseInsensitive) == 0)
                    return i;
            }
            return -1;
        };
        if (!info->integerKey.isEmpty() && fieldOf(info->integerKey) >= 0) {
            locator = RowWriter::Locator::RowidField;
            rowidField = fieldOf(info->integerKey);
        } else if (!info->primaryKey.isEmpty()
                   && std::all_of(info->primaryKey.begin(), info->primaryKey.end(),
                                  [&](const QString &c) { return fieldOf(c) >= 0; })) {
            locator = RowWriter::Locator::KeyFields;
            for (const QString &c : info->primaryKey)
                keyFields.push_back(fieldOf(c));
        } else if (info->hasRowid && std::all_of(fields.begin(), fields.end(), [](const FieldInfo &f) {
                       return !f.baseTable.isEmpty(); // a computed column: rows may not be table rows
                   })) {
            const QString withRowid = sqlite::SqlShape::withLeadingRowid(sql, rowidAlias);
            if (withRowid.isEmpty())
                return;
            try {
                sqlite::Statement again = session.prepare(withRowid);
                if (again.columnCount() != fieldCount() + 1 || again.columnName(0) != rowidAlias)
                    return;
                statement = std::move(again);
            } catch (const DatabaseError &) {
                return; // the rowid is ambiguous or not there: read-only
            }
            locator = RowWriter::Locator::RowidColumn;
        } else {
            return;
        }
        updateTable = info->name;
    }

    void reset()
    {
        edit.reset();
        firstBookmark += static_cast<Bookmark>(rowCount());
        store.reset(0);
        rowidCell = -1;
        stateIndex = {};
        states.clear();
        view = {};
        visible = {};
        visibleDirty = true;
        pos = -1;
        filter = RecordFilter();
        filterText.clear();
        updateTable.clear();
        keyFields.clear();
        rowidField = -1;
    }
};

Recordset::Recordset(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>(this))
{
}

Recordset::~Recordset()
{
    d->alive.reset(); // no rollback action may reach a recordset being destroyed
}

// ---- opening -------------------------------------------------------------

void Recordset::open(const QString &sourceText, const Connection &connectionHandle, CursorType cursorType,
                     LockType lockType, CommandType commandType, const QList<Variant> &parameterValues)
{
    // Copies first: the arguments may be this recordset's own (requery).
    const QString source = sourceText;
    const Connection connection = connectionHandle;
    const QList<Variant> parameters = parameterValues;
    close();
    d->fields.clear();
    d->fieldByName.clear();
    sqlite::Session &session = connection.openSession();

    jet::Translation translation;
    switch (commandType) {
    case CommandType::Table:
        // Only the field list is needed to add rows: the table is not read.
        translation.sql = QStringLiteral("SELECT * FROM %1 WHERE 0").arg(sqlite::SqlLexer::quoteName(source));
        break;
    case CommandType::StoredProc:
        translation = session.translate(QStringLiteral("SELECT * FROM [%1]").arg(source));
        break;
    case CommandType::Text:
        translation = session.translate(source);
        break;
    }
    if (translation.kind == jet::Translation::Kind::CreateProcedure
        || translation.kind == jet::Translation::Kind::AlterColumn) {
        Connection(connection).execute(source, parameters);
        return; // no rows: the recordset stays closed
    }

    sqlite::Statement statement = session.prepare(translation.sql);
    if (!sqlite::SqlLexer::tokenize(statement.tail()).isEmpty())
        throw DatabaseError(SQLITE_ERROR, QStringLiteral("Characters found after end of SQL statement."));
    if (statement.columnCount() == 0) {
        Connection(connection).execute(source, parameters);
        return;
    }

    const int columns = statement.columnCount();
    const QStringList written = sqlite::SqlShape::writtenResultNames(translation.sql, columns);
    d->fields.reserve(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c) {
        FieldInfo f;
        const QString engineName = statement.columnName(c);
        f.name = !written[c].isEmpty() && written[c].compare(engineName, Qt::CaseInsensitive) == 0 ? written[c]
                                                                                                  : engineName;
        f.declaredType = statement.declaredType(c);
        f.baseTable = statement.tableName(c);
        f.baseColumn = statement.originName(c);
        if (!f.declaredType.isEmpty())
            f.type = ColumnType::fromDeclaredType(f.declaredType);
        d->fields.push_back(f);
    }
    // A name that occurs twice stands for its first field.
    for (int c = columns - 1; c >= 0; --c)
        d->fieldByName.insert(d->fields[static_cast<size_t>(c)].name.toLower(), c);

    if (lockType != LockType::ReadOnly)
        d->chooseUpdateTarget(session, statement, translation.sql);
    // Each row's fields, then its rowid when it was added in front.
    const int offset = statement.columnCount() - columns;
    std::vector<int> cellColumns(static_cast<size_t>(columns));
    std::iota(cellColumns.begin(), cellColumns.end(), offset);
    if (offset) {
        d->rowidCell = columns;
        cellColumns.push_back(0);
    }

    session.bindParameters(statement, translation, parameters);
    d->store.reset(static_cast<int>(cellColumns.size()));
    d->store.appendRows(statement, cellColumns);
    d->determineComputedTypes();

    d->source = source;
    d->commandType = commandType;
    d->cursor = cursorType == CursorType::ForwardOnly ? CursorType::ForwardOnly : CursorType::Static;
    d->lock = lockType;
    d->parameters = parameters;
    d->connection = connection;
    d->fabricated = false;
    d->state = ObjectState::adStateOpen;
    d->rebuildView(false);
}

void Recordset::appendField(const QString &name, DataType type, int definedSize)
{
    if (d->state == ObjectState::adStateOpen)
        throw DatabaseError::notAllowedInContext();
    FieldInfo f;
    f.name = name;
    f.type = ColumnType(type, definedSize > 0 ? definedSize : ColumnType::naturalSize(type));
    if (!d->fieldByName.contains(name.toLower()))
        d->fieldByName.insert(name.toLower(), static_cast<int>(d->fields.size()));
    d->fields.push_back(f);
}

void Recordset::open()
{
    if (d->state == ObjectState::adStateOpen)
        throw DatabaseError::notAllowedInContext();
    if (d->fields.empty())
        throw DatabaseError::notAllowedInContext();
    d->reset();
    d->store.reset(d->fieldCount());
    d->fabricated = true;
    d->connection.reset();
    d->source.clear();
    d->cursor = CursorType::Static;
    d->lock = LockType::BatchOptimistic;
    d->state = ObjectState::adStateOpen;
    d->rebuildView(false);
}

void Recordset::requery()
{
    d->ensureOpen();
    if (d->fabricated || !d->connection)
        throw DatabaseError::connectionNotUsable();
    const QString filterText = d->filterText;
    open(d->source, *d->connection, d->cursor, d->lock, d->commandType, d->parameters);
    if (!filterText.isEmpty())
        setFilter(filterText);
    emit recordsetChangeComplete(EventReason::adRsnRequery);
}

void Recordset::close()
{
    if (d->state == ObjectState::adStateClosed)
        return;
    d->reset();
    d->state = ObjectState::adStateClosed;
    if (!d->fabricated) {
        d->fields.clear();
        d->fieldByName.clear();
    }
    d->connection.reset();
}

ObjectState Recordset::state() const
{
    return d->state;
}

QString Recordset::source() const
{
    return d->source;
}

CursorType Recordset::cursorType() const
{
    return d->cursor;
}

LockType Recordset::lockType() const
{
    return d->lock;
}

// ---- connection ----------------------------------------------------------

std::optional<Connection> Recordset::activeConnection() const
{
    return d->connection;
}

void Recordset::setActiveConnection(const Connection &connection)
{
    if (d->fabricated)
        throw DatabaseError::notAllowedInContext();
    if (!connection.isOpen())
        throw DatabaseError::connectionNotUsable();
    d->connection = connection;
}

void Recordset::setActiveConnection(std::nullptr_t)
{
    d->connection.reset();
}

// ---- fields --------------------------------------------------------------

int Recordset::fieldCount() const
{
    return d->fieldCount();
}

Field Recordset::field(int index)
{
    if (index < 0 || index >= d->fieldCount())
        throw DatabaseError::itemNotFound();
    return Field(this, index);
}

Field Recordset::field(const QString &name)
{
    return Field(this, d->indexOf(name));
}

int Recordset::fieldIndex(const QString &name) const
{
    return d->fieldByName.value(name.toLower(), -1);
}

const FieldInfo &Recordset::fieldInfo(int index) const
{
    if (index < 0 || index >= d->fieldCount())
        throw DatabaseError::itemNotFound();
    return d->fields[static_cast<size_t>(index)];
}

Variant Recordset::value(int field) const
{
    d->checkField(field);
    return d->rowValue(d->requireCurrent(), field);
}

Variant Recordset::value(const QString &field) const
{
    return value(d->indexOf(field));
}

void Recordset::setValue(int field, const Variant &value)
{
    d->checkField(field);
    const int r = d->requireCurrent();
    if (!d->fabricated && (d->lock == LockType::ReadOnly || !d->isWritable(field)))
        throw DatabaseError::notSupported();
    const FieldInfo &info = d->fields[static_cast<size_t>(field)];
    Variant coerced = convertingErrors([&] { return ValueConversion::coerce(value, info.type); });
    if (d->fabricated && (info.type.type() == DataType::adWChar || info.type.type() == DataType::adVarWChar)
        && info.type.definedSize() > 0) {
        if (const QString *s = coerced.get<QString>(); s && s->size() > info.type.definedSize())
            coerced = Variant(s->left(info.type.definedSize()));
    }
    if (!d->edit || d->edit->row != r)
        d->beginEdit(r, EditMode::adEditInProgress);
    d->edit->values[static_cast<size_t>(field)] = coerced;
    d->edit->assigned[static_cast<size_t>(field)] = true;
    emit fieldChangeComplete(field);
}

void Recordset::setValue(const QString &field, const Variant &value)
{
    setValue(d->indexOf(field), value);
}

Variant Recordset::originalValue(int field) const
{
    d->checkField(field);
    const int r = d->currentRow();
    if (r < 0)
        throw DatabaseError::noCurrentRecord();
    if (!d->isStored(r))
        return Variant();
    return d->storedValue(r, field);
}

Variant Recordset::underlyingValue(int field) const
{
    d->checkField(field);
    const int r = d->currentRow();
    if (r < 0)
        throw DatabaseError::noCurrentRecord();
    if (!d->isStored(r))
        return Variant();
    if (!d->connection || !d->connection->isOpen() || !d->isWritable(field))
        return d->storedValue(r, field);
    sqlite::Session &session = d->requireSession();
    const std::optional<SqlValue> now = d->writer(session).read(field, d->originals(r), d->rowidOf(r));
    if (!now)
        return Variant::null();
    return ValueConversion::toVariant(*now, d->fields[static_cast<size_t>(field)].type.type());
}

// ---- position ------------------------------------------------------------

bool Recordset::isBOF() const
{
    d->ensureOpen();
    return d->isBOF();
}

bool Recordset::isEOF() const
{
    d->ensureOpen();
    return d->isEOF();
}

void Recordset::moveFirst()
{
    d->ensureOpen();
    d->finishEdit();
    d->pos = d->nextVisible(0);
    emit moveComplete(EventReason::adRsnMoveFirst);
}

void Recordset::moveLast()
{
    d->ensureOpen();
    d->finishEdit();
    d->pos = d->previousVisible(static_cast<qsizetype>(d->view.size()) - 1);
    if (d->pos < 0)
        d->pos = static_cast<qsizetype>(d->view.size());
    emit moveComplete(EventReason::adRsnMoveLast);
}

void Recordset::moveNext()
{
    d->ensureOpen();
    if (d->isEOF())
        throw DatabaseError::noCurrentRecord();
    d->finishEdit();
    d->pos = d->nextVisible(d->pos + 1);
    emit moveComplete(EventReason::adRsnMoveNext);
}

void Recordset::movePrevious()
{
    d->ensureOpen();
    if (d->cursor == CursorType::ForwardOnly)
        throw DatabaseError::cannotFetchBackward();
    if (d->isBOF())
        throw DatabaseError::noCurrentRecord();
    d->finishEdit();
    d->pos = d->previousVisible(d->pos - 1);
    emit moveComplete(EventReason::adRsnMovePrevious);
}

int Recordset::recordCount() const
{
    d->ensureOpen();
    if (d->cursor == CursorType::ForwardOnly)
        return -1;
    return static_cast<int>(d->visibleRows().size());
}

int Recordset::absolutePosition() const
{
    d->ensureOpen();
    if (d->isBOF())
        return PositionBOF;
    if (d->isEOF())
        return PositionEOF;
    const qsizetype i = indexIn(d->visibleRows(), d->currentRow());
    return i >= 0 ? static_cast<int>(i) + 1 : -1;
}

void Recordset::setAbsolutePosition(int position)
{
    d->ensureOpen();
    const auto &rows = d->visibleRows();
    if (position < 1 || position > static_cast<int>(rows.size()))
        throw DatabaseError::badArguments();
    const qsizetype target = indexIn(d->view, rows[static_cast<size_t>(position - 1)]);
    if (d->cursor == CursorType::ForwardOnly && target < d->pos)
        throw DatabaseError::cannotFetchBackward();
    d->finishEdit();
    d->pos = target;
    emit moveComplete(EventReason::adRsnMove);
}

Recordset::Bookmark Recordset::bookmark() const
{
    d->ensureOpen();
    const int r = d->currentRow();
    if (r < 0)
        throw DatabaseError::noCurrentRecord();
    return d->bookmarkOf(r);
}

void Recordset::setBookmark(Bookmark bookmark)
{
    d->ensureOpen();
    const int r = d->rowOf(bookmark);
    const qsizetype at = r >= 0 && !d->hidden(r) ? indexIn(d->view, r) : -1;
    if (at < 0)
        throw DatabaseError::badArguments();
    if (d->cursor == CursorType::ForwardOnly && at < d->pos)
        throw DatabaseError::cannotFetchBackward();
    d->finishEdit();
    d->pos = at;
    emit moveComplete(EventReason::adRsnMove);
}

bool Recordset::find(const QString &criteria, bool forward)
{
    d->ensureOpen();
    if (!forward && d->cursor == CursorType::ForwardOnly)
        throw DatabaseError::cannotFetchBackward();
    const RecordFilter wanted =
        RecordFilter::parse(criteria, [this](const QString &name) { return fieldIndex(name); });
    d->finishEdit();
    const qsizetype size = static_cast<qsizetype>(d->view.size());
    qsizetype i = forward ? std::max<qsizetype>(d->pos, 0) : std::min<qsizetype>(d->pos, size - 1);
    for (; forward ? i < size : i >= 0; forward ? ++i : --i) {
        const int r = d->view[static_cast<size_t>(i)];
        if (!d->hidden(r) && wanted.matches([&](int field) { return d->rowValue(r, field); })) {
            d->pos = i;
            emit moveComplete(EventReason::adRsnMove);
            return true;
        }
    }
    d->pos = forward ? size : -1;
    emit moveComplete(EventReason::adRsnMove);
    return false;
}

// ---- filter --------------------------------------------------------------

QString Recordset::filter() const
{
    return d->filterText;
}

void Recordset::setFilter(const QString &criteria)
{
    d->ensureOpen();
    RecordFilter parsed = RecordFilter::parse(criteria, [this](const QString &name) { return fieldIndex(name); });
    d->finishEdit();
    d->filter = std::move(parsed);
    d->filterText = criteria.trimmed();
    d->rebuildView(false);
    emit recordsetChangeComplete(EventReason::adRsnMove);
}

// ---- changes -------------------------------------------------------------

EditMode Recordset::editMode() const
{
    d->ensureOpen();
    const int r = d->currentRow();
    if (d->edit && d->edit->row == r)
        return d->edit->mode;
    if (r >= 0 && (d->statusOf(r) & RecordStatus::adRecDeleted))
        return EditMode::adEditDelete;
    return EditMode::adEditNone;
}

int Recordset::status() const
{
    d->ensureOpen();
    const int r = d->currentRow();
    if (r < 0)
        throw DatabaseError::noCurrentRecord();
    return d->statusOf(r);
}

void Recordset::addNew()
{
    d->ensureOpen();
    if (!d->canChangeRows())
        throw DatabaseError::notSupported();
    d->finishEdit();
    const int before = d->currentRow();
    const Bookmark previous = before >= 0 ? d->bookmarkOf(before) : 0;

    const int r = d->store.appendRow();
    RowState &added = d->stateFor(r);
    added.stored = false;
    added.status = RecordStatus::adRecNew;
    d->view.push_back(r);
    d->visibleDirty = true;
    d->pos = static_cast<qsizetype>(d->view.size()) - 1;
    d->edit = Private::Edit{r, std::vector<Variant>(d->fields.size()), std::vector<bool>(d->fields.size(), false),
                            EditMode::adEditAdd, previous};
    emit recordChangeComplete(EventReason::adRsnAddNew);
}

void Recordset::update()
{
    d->ensureOpen();
    if (!d->edit)
        return;
    const int r = d->edit->row;

    if (!d->writesAtOnce()) {
        // Kept in the row until updateBatch.
        RowState &s = d->stateFor(r);
        s.current = d->edit->values;
        s.changed.resize(d->fields.size(), false);
        bool any = false;
        for (size_t i = 0; i < d->edit->assigned.size(); ++i) {
            if (d->edit->assigned[i]) {
                s.changed[i] = true;
                any = true;
            }
        }
        if (s.stored && any)
            s.status = (s.status & ~(RecordStatus::adRecUnmodified | RecordStatus::adRecConcurrencyViolation))
                | RecordStatus::adRecModified;
        d->edit.reset();
        emit recordChangeComplete(EventReason::adRsnUpdate);
        return;
    }

    const bool anyAssigned =
        std::any_of(d->edit->assigned.begin(), d->edit->assigned.end(), [](bool b) { return b; });
    if (d->isStored(r) && !anyAssigned) {
        d->edit.reset();
        return;
    }
    sqlite::Session &session = d->requireSession();
    RowWriter writer = d->writer(session);
    std::vector<SavedRow> before = d->save({r});
    std::optional<RowWriter::Stored> stored;
    bool nested = false;
    {
        sqlite::WriteScope scope(session);
        try {
            if (!d->isStored(r))
                stored = writer.insert(d->edit->values, d->edit->assigned);
            else
                stored = writer.update(d->originals(r), d->rowidOf(r), d->edit->values, d->edit->assigned);
        } catch (const ConflictError &) {
            d->stateFor(r).status |= RecordStatus::adRecConcurrencyViolation;
            throw;
        }
        scope.commit();
        nested = scope.insideProgramTransaction();
    }
    if (stored)
        d->applyStored(r, *stored);
    d->edit.reset();
    d->visibleDirty = true;
    if (nested)
        d->restoreOnRollback(session, std::move(before));
    emit recordChangeComplete(EventReason::adRsnUpdate);
}

void Recordset::cancelUpdate()
{
    d->ensureOpen();
    if (!d->edit)
        return;
    if (d->edit->mode != EditMode::adEditAdd) {
        d->edit.reset();
        emit recordChangeComplete(EventReason::adRsnUndoUpdate);
        return;
    }
    // The new row was never kept: it goes, and the row current before it returns.
    const int r = d->edit->row;
    const Bookmark previous = d->edit->previous;
    d->edit.reset();
    d->stateFor(r).gone = true;
    d->view.erase(std::remove(d->view.begin(), d->view.end(), r), d->view.end());
    d->visibleDirty = true;
    const int back = previous ? d->rowOf(previous) : -1;
    const qsizetype at = back >= 0 ? indexIn(d->view, back) : -1;
    d->pos = at >= 0 ? at : d->nextVisible(0);
    emit recordChangeComplete(EventReason::adRsnUndoAddNew);
}

void Recordset::deleteRecord(AffectRecords affect)
{
    d->ensureOpen();
    if (!d->canChangeRows())
        throw DatabaseError::notSupported();
    if (affect != AffectRecords::Current)
        throw DatabaseError::notSupported();
    const int r = d->requireCurrent();
    if (d->edit && d->edit->row == r) {
        if (d->edit->mode == EditMode::adEditAdd) {
            cancelUpdate();
            return;
        }
        d->edit.reset();
    }

    if (!d->writesAtOnce()) {
        RowState &s = d->stateFor(r);
        if (!s.stored)
            s.gone = true;
        else
            s.status = (s.status & ~(RecordStatus::adRecUnmodified | RecordStatus::adRecModified))
                | RecordStatus::adRecDeleted;
        d->visibleDirty = true;
        emit recordChangeComplete(EventReason::adRsnDelete);
        return;
    }

    sqlite::Session &session = d->requireSession();
    RowWriter writer = d->writer(session);
    std::vector<SavedRow> before = d->save({r});
    bool nested = false;
    {
        sqlite::WriteScope scope(session);
        try {
            writer.remove(d->originals(r), d->rowidOf(r));
        } catch (const ConflictError &) {
            d->stateFor(r).status |= RecordStatus::adRecConcurrencyViolation;
            throw;
        }
        scope.commit();
        nested = scope.insideProgramTransaction();
    }
    RowState &s = d->stateFor(r);
    s.gone = true;
    s.status = RecordStatus::adRecDeleted | RecordStatus::adRecDBDeleted;
    d->visibleDirty = true;
    if (nested)
        d->restoreOnRollback(session, std::move(before));
    emit recordChangeComplete(EventReason::adRsnDelete);
}

void Recordset::updateBatch(AffectRecords affect)
{
    d->ensureOpen();
    if (d->fabricated)
        throw DatabaseError::connectionNotUsable();
    if (!d->canChangeRows())
        throw DatabaseError::notSupported();
    sqlite::Session &session = d->requireSession();
    if (d->edit)
        update();

    std::vector<int> deleted, modified, added;
    auto sort = [&](int r) {
        if (r < 0 || d->isGone(r) || !(d->statusOf(r) & pendingStatus))
            return;
        if (d->statusOf(r) & RecordStatus::adRecDeleted)
            deleted.push_back(r);
        else if (!d->isStored(r))
            added.push_back(r);
        else
            modified.push_back(r);
    };
    if (affect == AffectRecords::Current) {
        sort(d->currentRow());
    } else {
        for (int r = 0; r < d->rowCount(); ++r)
            sort(r);
    }
    if (deleted.empty() && modified.empty() && added.empty())
        return;

    std::vector<int> all;
    all.insert(all.end(), deleted.begin(), deleted.end());
    all.insert(all.end(), modified.begin(), modified.end());
    all.insert(all.end(), added.begin(), added.end());
    std::vector<SavedRow> before = d->save(all);

    // Deletions first, so that a new row may take a key a deleted one had.
    RowWriter writer = d->writer(session);
    enum class Outcome { Deleted, Written, Unchanged };
    std::vector<std::tuple<int, Outcome, RowWriter::Stored>> written;
    bool nested = false;
    {
        sqlite::WriteScope scope(session);
        int failing = -1;
        try {
            for (int r : deleted) {
                failing = r;
                writer.remove(d->originals(r), d->rowidOf(r));
                written.emplace_back(r, Outcome::Deleted, RowWriter::Stored());
            }
            for (int r : modified) {
                failing = r;
                RowState &s = d->stateFor(r);
                s.changed.resize(d->fields.size(), false);
                if (auto stored = writer.update(d->originals(r), d->rowidOf(r), s.current, s.changed))
                    written.emplace_back(r, Outcome::Written, *stored);
                else
                    written.emplace_back(r, Outcome::Unchanged, RowWriter::Stored());
            }
            for (int r : added) {
                failing = r;
                RowState &s = d->stateFor(r);
                s.changed.resize(d->fields.size(), false);
                if (s.current.empty())
                    s.current.resize(d->fields.size());
                written.emplace_back(r, Outcome::Written, writer.insert(s.current, s.changed));
            }
        } catch (const ConflictError &) {
            if (failing >= 0)
                d->stateFor(failing).status |= RecordStatus::adRecConcurrencyViolation;
            throw;
        }
        scope.commit();
        nested = scope.insideProgramTransaction();
    }

    // Stored: the originals become the values written, new rows carry their keys.
    for (auto &[r, outcome, stored] : written) {
        switch (outcome) {
        case Outcome::Deleted: {
            RowState &s = d->stateFor(r);
            s.gone = true;
            s.status = RecordStatus::adRecDeleted | RecordStatus::adRecDBDeleted;
            break;
        }
        case Outcome::Written:
            d->applyStored(r, stored);
            break;
        case Outcome::Unchanged:
            d->stateFor(r) = RowState{};
            break;
        }
    }
    d->rebuildView(true);
    if (nested)
        d->restoreOnRollback(session, std::move(before));
    emit recordsetChangeComplete(EventReason::adRsnUpdate);
}

void Recordset::cancelBatch(AffectRecords affect)
{
    d->ensureOpen();
    if (d->edit)
        cancelUpdate();
    auto undo = [this](int r) {
        RowState *s = r >= 0 ? d->stateOf(r) : nullptr;
        if (!s || s->gone)
            return;
        if (!s->stored)
            s->gone = true;
        else
            *s = RowState{};
    };
    if (affect == AffectRecords::Current) {
        undo(d->currentRow());
    } else {
        for (int r = 0; r < d->rowCount(); ++r)
            undo(r);
    }
    d->rebuildView(true);
    emit recordsetChangeComplete(EventReason::adRsnUndoUpdate);
}

bool Recordset::hasPendingChanges() const
{
    if (d->state != ObjectState::adStateOpen)
        return false;
    if (d->edit)
        return true;
    return std::any_of(d->states.begin(), d->states.end(),
                       [](const RowState &s) { return !s.gone && (s.status & pendingStatus); });
}

// ---- direct access ---------------------------------------------------------

int Recordset::rowCount() const
{
    if (d->state != ObjectState::adStateOpen)
        return 0;
    return static_cast<int>(d->visibleRows().size());
}

Variant Recordset::valueAt(int row, int field) const
{
    d->checkField(field);
    const auto &rows = d->visibleRows();
    if (row < 0 || row >= static_cast<int>(rows.size()))
        throw DatabaseError::noCurrentRecord();
    return d->rowValue(rows[static_cast<size_t>(row)], field);
}

int Recordset::statusAt(int row) const
{
    d->ensureOpen();
    const auto &rows = d->visibleRows();
    if (row < 0 || row >= static_cast<int>(rows.size()))
        throw DatabaseError::noCurrentRecord();
    return d->statusOf(rows[static_cast<size_t>(row)]);
}

Recordset::Bookmark Recordset::bookmarkAt(int row) const
{
    d->ensureOpen();
    const auto &rows = d->visibleRows();
    if (row < 0 || row >= static_cast<int>(rows.size()))
        throw DatabaseError::noCurrentRecord();
    return d->bookmarkOf(rows[static_cast<size_t>(row)]);
}

} // namespace platform
