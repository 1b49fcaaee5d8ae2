#include "platform/data/Recordset.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/ConflictError.h"
#include "platform/data/DatabaseError.h"
#include "platform/data/RecordFilter.h"
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

// One row of the recordset.
struct Row {
    Recordset::Bookmark id = 0;
    std::vector<SqlValue> original; // as read from, or last written to, the database
    std::vector<Variant> current;   // the values now, when they differ; empty otherwise
    std::vector<bool> changed;      // fields assigned since the row was last written
    int status = RecordStatus::adRecUnmodified;
    bool stored = true;             // the row exists in the database
    bool gone = false;              // deleted from the database, or a new row dropped
    std::optional<std::int64_t> rowid;
    int viewIndex = -1;
    int visibleIndex = -1;
};

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

    std::deque<Row> rows; // a deque: rows keep their address as rows are added
    Bookmark nextId = 1;
    std::vector<Row *> view; // rows passing the filter, deleted ones included
    mutable std::vector<Row *> visible;
    mutable bool visibleDirty = true;
    qsizetype pos = -1; // index into view; -1 before the first, view.size() after the last

    struct Edit {
        Row *row;
        std::vector<Variant> values;
        std::vector<bool> assigned;
        EditMode mode;
        Bookmark previous;
    };
    std::optional<Edit> edit;

    RecordFilter filter;
    QString filterText;

    using Snapshot = std::vector<std::pair<Bookmark, Row>>;

    // Lives exactly as long as the recordset: rollback actions check it.
    std::shared_ptr<int> alive = std::make_shared<int>(0);

    int fieldCount() const { return static_cast<int>(fields.size()); }

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

    static bool hidden(const Row *r) { return r->gone || (r->status & RecordStatus::adRecDeleted); }

    Row *currentRow() const
    {
        return pos >= 0 && pos < static_cast<qsizetype>(view.size()) ? view[static_cast<size_t>(pos)] : nullptr;
    }
    Row *requireCurrent() const
    {
        ensureOpen();
        Row *r = currentRow();
        if (!r)
            throw DatabaseError::noCurrentRecord();
        if (hidden(r))
            throw DatabaseError::deletedRow();
        return r;
    }

    const std::vector<Row *> &visibleRows() const
    {
        if (visibleDirty) {
            visible.clear();
            for (Row *r : view) {
                if (!hidden(r)) {
                    r->visibleIndex = static_cast<int>(visible.size());
                    visible.push_back(r);
                } else {
                    r->visibleIndex = -1;
                }
            }
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

    Variant storedValue(const Row *r, int field) const
    {
        return ValueConversion::toVariant(r->original[static_cast<size_t>(field)],
                                          fields[static_cast<size_t>(field)].type.type());
    }
    Variant rowValue(const Row *r, int field) const
    {
        if (edit && edit->row == r)
            return edit->values[static_cast<size_t>(field)];
        if (!r->current.empty())
            return r->current[static_cast<size_t>(field)];
        return storedValue(r, field);
    }
    bool matchesFilter(const Row *r) const
    {
        return filter.matches([&](int field) { return rowValue(r, field); });
    }

    // Rebuilds the rows in view, keeping the current row when it stays.
    void rebuildView(bool keepPosition)
    {
        const Row *current = keepPosition ? currentRow() : nullptr;
        view.clear();
        for (Row &r : rows) {
            r.viewIndex = -1;
            if (!r.gone && (filter.isEmpty() || matchesFilter(&r))) {
                r.viewIndex = static_cast<int>(view.size());
                view.push_back(&r);
            }
        }
        visibleDirty = true;
        if (current && current->viewIndex >= 0 && !hidden(current))
            pos = current->viewIndex;
        else
            pos = nextVisible(0);
    }

    Row *findRow(Bookmark id)
    {
        for (Row &r : rows) {
            if (r.id == id)
                return &r;
        }
        return nullptr;
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

    Snapshot snapshot(const std::vector<Row *> &of) const
    {
        Snapshot s;
        s.reserve(of.size());
        for (const Row *r : of)
            s.emplace_back(r->id, *r);
        return s;
    }
    // When the connection's transaction is rolled back, the rows go back
    // to what they were before this write, so that a retry writes them again.
    void restoreOnRollback(sqlite::Session &session, Snapshot snap)
    {
        session.onRollback(alive, [this, snap = std::move(snap)]() {
            for (const auto &[id, copy] : snap) {
                if (Row *r = findRow(id))
                    *r = copy;
            }
            rebuildView(true);
            emit q->recordsetChangeComplete(EventReason::adRsnUndoUpdate);
        });
    }

    void applyStored(Row *r, const RowWriter::Stored &stored)
    {
        for (size_t i = 0; i < stored.values.size(); ++i) {
            if (stored.values[i])
                r->original[i] = *stored.values[i];
        }
        r->rowid = stored.rowid;
        r->current.clear();
        r->changed.clear();
        r->stored = true;
        r->status = RecordStatus::adRecUnmodified;
    }

    void beginEdit(Row *r, EditMode mode)
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
            for (const Row &r : rows) {
                const SqlValue &v = r.original[static_cast<size_t>(f)];
                switch (v.kind()) {
                case SqlValue::Kind::Integer:
                    anyInteger = true;
                    wide = wide || v.toInteger() < std::numeric_limits<std::int32_t>::min()
                        || v.toInteger() > std::numeric_limits<std::int32_t>::max();
                    break;
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
        rows.clear();
        view.clear();
        visible.clear();
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
    const int offset = statement.columnCount() - columns; // 1 when the rowid was added in front

    session.bindParameters(statement, translation, parameters);
    std::vector<sqlite::Statement::SharedTexts> sharedTexts(static_cast<size_t>(columns));
    while (statement.step()) {
        Row &row = d->rows.emplace_back();
        row.id = d->nextId++;
        row.original.reserve(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c)
            row.original.push_back(statement.value(c + offset, sharedTexts[static_cast<size_t>(c)]));
        if (offset)
            row.rowid = statement.integer(0);
    }
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
    Row *r = d->requireCurrent();
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
    const Row *r = d->currentRow();
    if (!r)
        throw DatabaseError::noCurrentRecord();
    if (!r->stored)
        return Variant();
    return d->storedValue(r, field);
}

Variant Recordset::underlyingValue(int field) const
{
    d->checkField(field);
    const Row *r = d->currentRow();
    if (!r)
        throw DatabaseError::noCurrentRecord();
    if (!r->stored)
        return Variant();
    if (!d->connection || !d->connection->isOpen() || !d->isWritable(field))
        return d->storedValue(r, field);
    sqlite::Session &session = d->requireSession();
    const std::optional<SqlValue> now = d->writer(session).read(field, r->original, r->rowid);
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
    d->visibleRows();
    const Row *r = d->currentRow();
    return r->visibleIndex >= 0 ? r->visibleIndex + 1 : -1;
}

void Recordset::setAbsolutePosition(int position)
{
    d->ensureOpen();
    const auto &rows = d->visibleRows();
    if (position < 1 || position > static_cast<int>(rows.size()))
        throw DatabaseError::badArguments();
    const Row *target = rows[static_cast<size_t>(position - 1)];
    if (d->cursor == CursorType::ForwardOnly && target->viewIndex < d->pos)
        throw DatabaseError::cannotFetchBackward();
    d->finishEdit();
    d->pos = target->viewIndex;
    emit moveComplete(EventReason::adRsnMove);
}

Recordset::Bookmark Recordset::bookmark() const
{
    d->ensureOpen();
    const Row *r = d->currentRow();
    if (!r)
        throw DatabaseError::noCurrentRecord();
    return r->id;
}

void Recordset::setBookmark(Bookmark bookmark)
{
    d->ensureOpen();
    const Row *r = d->findRow(bookmark);
    if (!r || r->viewIndex < 0 || Private::hidden(r))
        throw DatabaseError::badArguments();
    if (d->cursor == CursorType::ForwardOnly && r->viewIndex < d->pos)
        throw DatabaseError::cannotFetchBackward();
    d->finishEdit();
    d->pos = r->viewIndex;
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
        const Row *r = d->view[static_cast<size_t>(i)];
        if (!Private::hidden(r) && wanted.matches([&](int field) { return d->rowValue(r, field); })) {
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
    const Row *r = d->currentRow();
    if (d->edit && d->edit->row == r)
        return d->edit->mode;
    if (r && (r->status & RecordStatus::adRecDeleted))
        return EditMode::adEditDelete;
    return EditMode::adEditNone;
}

int Recordset::status() const
{
    d->ensureOpen();
    const Row *r = d->currentRow();
    if (!r)
        throw DatabaseError::noCurrentRecord();
    return r->status;
}

void Recordset::addNew()
{
    d->ensureOpen();
    if (!d->canChangeRows())
        throw DatabaseError::notSupported();
    d->finishEdit();
    const Row *before = d->currentRow();
    const Bookmark previous = before ? before->id : 0;

    Row *r = &d->rows.emplace_back();
    r->id = d->nextId++;
    r->original.assign(d->fields.size(), SqlValue());
    r->stored = false;
    r->status = RecordStatus::adRecNew;
    r->viewIndex = static_cast<int>(d->view.size());
    d->view.push_back(r);
    d->visibleDirty = true;
    d->pos = r->viewIndex;
    d->edit = Private::Edit{r, std::vector<Variant>(d->fields.size()), std::vector<bool>(d->fields.size(), false),
                            EditMode::adEditAdd, previous};
    emit recordChangeComplete(EventReason::adRsnAddNew);
}

void Recordset::update()
{
    d->ensureOpen();
    if (!d->edit)
        return;
    Row *r = d->edit->row;

    if (!d->writesAtOnce()) {
        // Kept in the row until updateBatch.
        r->current = d->edit->values;
        r->changed.resize(d->fields.size(), false);
        bool any = false;
        for (size_t i = 0; i < d->edit->assigned.size(); ++i) {
            if (d->edit->assigned[i]) {
                r->changed[i] = true;
                any = true;
            }
        }
        if (r->stored && any)
            r->status = (r->status & ~(RecordStatus::adRecUnmodified | RecordStatus::adRecConcurrencyViolation))
                | RecordStatus::adRecModified;
        d->edit.reset();
        emit recordChangeComplete(EventReason::adRsnUpdate);
        return;
    }

    const bool anyAssigned =
        std::any_of(d->edit->assigned.begin(), d->edit->assigned.end(), [](bool b) { return b; });
    if (r->stored && !anyAssigned) {
        d->edit.reset();
        return;
    }
    sqlite::Session &session = d->requireSession();
    RowWriter writer = d->writer(session);
    Private::Snapshot before = d->snapshot({r});
    std::optional<RowWriter::Stored> stored;
    bool nested = false;
    {
        sqlite::WriteScope scope(session);
        try {
            if (!r->stored)
                stored = writer.insert(d->edit->values, d->edit->assigned);
            else
                stored = writer.update(r->original, r->rowid, d->edit->values, d->edit->assigned);
        } catch (const ConflictError &) {
            r->status |= RecordStatus::adRecConcurrencyViolation;
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
    Row *r = d->edit->row;
    const Bookmark previous = d->edit->previous;
    d->edit.reset();
    r->gone = true;
    d->view.erase(std::remove(d->view.begin(), d->view.end(), r), d->view.end());
    for (size_t i = 0; i < d->view.size(); ++i)
        d->view[i]->viewIndex = static_cast<int>(i);
    d->visibleDirty = true;
    const Row *back = previous ? d->findRow(previous) : nullptr;
    d->pos = back && back->viewIndex >= 0 ? back->viewIndex : d->nextVisible(0);
    emit recordChangeComplete(EventReason::adRsnUndoAddNew);
}

void Recordset::deleteRecord(AffectRecords affect)
{
    d->ensureOpen();
    if (!d->canChangeRows())
        throw DatabaseError::notSupported();
    if (affect != AffectRecords::Current)
        throw DatabaseError::notSupported();
    Row *r = d->requireCurrent();
    if (d->edit && d->edit->row == r) {
        if (d->edit->mode == EditMode::adEditAdd) {
            cancelUpdate();
            return;
        }
        d->edit.reset();
    }

    if (!d->writesAtOnce()) {
        if (!r->stored)
            r->gone = true;
        else
            r->status = (r->status & ~(RecordStatus::adRecUnmodified | RecordStatus::adRecModified))
                | RecordStatus::adRecDeleted;
        d->visibleDirty = true;
        emit recordChangeComplete(EventReason::adRsnDelete);
        return;
    }

    sqlite::Session &session = d->requireSession();
    RowWriter writer = d->writer(session);
    Private::Snapshot before = d->snapshot({r});
    bool nested = false;
    {
        sqlite::WriteScope scope(session);
        try {
            writer.remove(r->original, r->rowid);
        } catch (const ConflictError &) {
            r->status |= RecordStatus::adRecConcurrencyViolation;
            throw;
        }
        scope.commit();
        nested = scope.insideProgramTransaction();
    }
    r->gone = true;
    r->status = RecordStatus::adRecDeleted | RecordStatus::adRecDBDeleted;
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

    auto pending = [](const Row *r) { return r && !r->gone && (r->status & pendingStatus); };
    std::vector<Row *> deleted, modified, added;
    auto sort = [&](Row *r) {
        if (!pending(r))
            return;
        if (r->status & RecordStatus::adRecDeleted)
            deleted.push_back(r);
        else if (!r->stored)
            added.push_back(r);
        else
            modified.push_back(r);
    };
    if (affect == AffectRecords::Current) {
        sort(d->currentRow());
    } else {
        for (Row &r : d->rows)
            sort(&r);
    }
    if (deleted.empty() && modified.empty() && added.empty())
        return;

    std::vector<Row *> all;
    all.insert(all.end(), deleted.begin(), deleted.end());
    all.insert(all.end(), modified.begin(), modified.end());
    all.insert(all.end(), added.begin(), added.end());
    Private::Snapshot before = d->snapshot(all);

    // Deletions first, so that a new row may take a key a deleted one had.
    RowWriter writer = d->writer(session);
    enum class Outcome { Deleted, Written, Unchanged };
    std::vector<std::tuple<Row *, Outcome, RowWriter::Stored>> written;
    bool nested = false;
    {
        sqlite::WriteScope scope(session);
        Row *failing = nullptr;
        try {
            for (Row *r : deleted) {
                failing = r;
                writer.remove(r->original, r->rowid);
                written.emplace_back(r, Outcome::Deleted, RowWriter::Stored());
            }
            for (Row *r : modified) {
                failing = r;
                r->changed.resize(d->fields.size(), false);
                if (auto stored = writer.update(r->original, r->rowid, r->current, r->changed))
                    written.emplace_back(r, Outcome::Written, *stored);
                else
                    written.emplace_back(r, Outcome::Unchanged, RowWriter::Stored());
            }
            for (Row *r : added) {
                failing = r;
                r->changed.resize(d->fields.size(), false);
                if (r->current.empty())
                    r->current.resize(d->fields.size());
                written.emplace_back(r, Outcome::Written, writer.insert(r->current, r->changed));
            }
        } catch (const ConflictError &) {
            if (failing)
                failing->status |= RecordStatus::adRecConcurrencyViolation;
            throw;
        }
        scope.commit();
        nested = scope.insideProgramTransaction();
    }

    // Stored: the originals become the values written, new rows carry their keys.
    for (auto &[r, outcome, stored] : written) {
        switch (outcome) {
        case Outcome::Deleted:
            r->gone = true;
            r->status = RecordStatus::adRecDeleted | RecordStatus::adRecDBDeleted;
            break;
        case Outcome::Written:
            d->applyStored(r, stored);
            break;
        case Outcome::Unchanged:
            r->current.clear();
            r->changed.clear();
            r->status = RecordStatus::adRecUnmodified;
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
    auto undo = [](Row *r) {
        if (!r || r->gone)
            return;
        if (!r->stored) {
            r->gone = true;
            return;
        }
        r->current.clear();
        r->changed.clear();
        r->status = RecordStatus::adRecUnmodified;
    };
    if (affect == AffectRecords::Current) {
        undo(d->currentRow());
    } else {
        for (Row &r : d->rows)
            undo(&r);
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
    return std::any_of(d->rows.begin(), d->rows.end(),
                       [](const Row &r) { return !r.gone && (r.status & pendingStatus); });
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
    return rows[static_cast<size_t>(row)]->status;
}

Recordset::Bookmark Recordset::bookmarkAt(int row) const
{
    d->ensureOpen();
    const auto &rows = d->visibleRows();
    if (row < 0 || row >= static_cast<int>(rows.size()))
        throw DatabaseError::noCurrentRecord();
    return rows[static_cast<size_t>(row)]->id;
}

} // namespace platform
