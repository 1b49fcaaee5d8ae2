#include "platform/grid/GridModel.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/DatabaseError.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/grid/GridFieldKeys.h"
#include "platform/grid/GridRowBuffer.h"
#include "platform/grid/GridRowFormat.h"
#include "platform/grid/GridRowIndex.h"
#include "platform/grid/GridText.h"
#include "platform/grid/RecordsetSource.h"
#include "platform/grid/UnboundSource.h"

#include <QFont>
#include <QHash>
#include <QSet>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace platform {

namespace {

// Where the current cell is, kept by what it shows so that it survives a
// re-sort: a record, a group's caption, or the new-record row.
struct Place {
    enum class Kind { None, Record, Caption, NewRow } kind = Kind::None;
    int id = -1;
};

// What rowFormat decided for a row, kept until the rows change.
struct Formatted {
    QString caption;
    std::map<int, Variant> shown;
};

bool isTextType(DataType t)
{
    return t == DataType::adVarWChar || t == DataType::adWChar || t == DataType::adLongVarWChar;
}

// Raises "Type mismatch" for a typed text that does not fit the field.
[[noreturn]] void typeMismatch()
{
    throw RuntimeError(err::TypeMismatch, RuntimeError::standardDescription(err::TypeMismatch));
}

} // namespace

struct GridModel::Private {
    explicit Private(GridModel *owner) : q(owner) {}

    GridModel *q;

    // binding
    QString connectionString;
    QString recordSource;
    LockType lock = LockType::ReadOnly;
    std::unique_ptr<Recordset> ownRecordset;
    QPointer<Recordset> recordset; // the one shown: ownRecordset or the caller's
    std::unique_ptr<GridDataSource> source;
    bool unbound = false;
    bool external = false; // bound to the caller's recordset, not to the record source
    int unboundRows = 0;
    int selfChange = 0; // > 0 while the grid itself changes the recordset
    int inView = 0;     // > 0 while a view reads the rows as they are shown

    // Marks the grid's own changes of the recordset, so that its
    // notifications are not taken for someone else's.
    struct SelfChange {
        explicit SelfChange(Private *p) : d(p) { ++d->selfChange; }
        ~SelfChange() { --d->selfChange; }
        Private *d;
    };
    // While a view reads rows, pending sort and group changes wait: the
    // rows must stay as the view knows them.
    struct ViewScope {
        explicit ViewScope(Private *p) : d(p) { ++d->inView; }
        ~ViewScope() { --d->inView; }
        Private *d;
    };
    QSet<const GridModel *> watchedLists;

    GridColumns columns;
    GridKeyList sortKeys;
    GridKeyList groups;
    GridFormatStyles styles;

    GridRowIndex index;
    bool orderDirty = false;
    bool applyQueued = false;
    bool groupsExpanded = true;

    Place current;
    int currentColumn = 0;
    int editRecord = -1;
    bool editIsNew = false;

    bool allowEdit = false;
    bool allowAddNew = false;
    bool allowDelete = false;

    QColor foreColor;
    QColor groupRowBackColor;
    QList<QIcon> images;

    // caches, dropped whenever the data changes
    mutable std::unordered_map<int, GridFieldKeys> keys;        // by field
    struct SearchTexts;
    mutable std::unordered_map<int, SearchTexts> searchCache;  // by column, see searchText()
    mutable QHash<qint64, double> sums;                         // by group and field
    mutable QHash<int, Formatted> formatted;                    // by row (0-based)
    // Per drop-down list and column: each folded value's first record, see lookupRecord().
    mutable QHash<QString, QHash<QString, int>> lookupIndex;

    // ---- data access ----
    int recordCount() const { return source ? source->recordCount() : 0; }
    Variant value(int record, const GridColumn *c) const
    {
        if (!source || !c || c->fieldIndex() < 0)
            return Variant();
        return source->value(record, c->fieldIndex());
    }
    const GridFieldKeys &keysOf(int field) const
    {
        auto it = keys.find(field);
        if (it == keys.end())
            it = keys.emplace(field, GridFieldKeys::read(*source, field)).first;
        return it->second;
    }
    void dropCaches()
    {
        keys.clear();
        searchCache.clear();
        sums.clear();
        formatted.clear();
    }

    bool editableSource() const
    {
        return !unbound && recordset && recordset->isOpen() && recordset->lockType() != LockType::ReadOnly;
    }
    bool hasNewRow() const { return allowEdit && allowAddNew && editableSource(); }
    int rows() const { return index.rowCount(); }
    int modelRows() const { return rows() + (hasNewRow() ? 1 : 0); }

    // ---- order ----
    void invalidateOrder()
    {
        orderDirty = true;
        if (!applyQueued) {
            applyQueued = true;
            QTimer::singleShot(0, q, [this] {
                applyQueued = false;
                ensureOrder();
            });
        }
    }
    void ensureOrder()
    {
        if (!orderDirty || inView > 0)
            return;
        q->beginResetModel();
        rebuildIndex();
        q->endResetModel();
        fixCurrent();
    }
    void rebuildIndex()
    {
        orderDirty = false;
        formatted.clear();
        sums.clear();
        if (!source) {
            index.clear();
            return;
        }
        auto levelsOf = [this](const GridKeyList &list) {
            std::vector<GridRowIndex::Level> levels;
            for (const GridKey &k : list.keys()) {
                const GridColumn *c = columns.item(k.column);
                if (c && c->fieldIndex() >= 0)
                    levels.push_back(GridRowIndex::Level{&keysOf(c->fieldIndex()), k.order});
            }
            return levels;
        };
        index.build(recordCount(), levelsOf(groups), levelsOf(sortKeys), groupsExpanded);
        // Keys of fields the rows no longer depend on are read again when
        // next needed, rather than kept.
        std::vector<int> used;
        for (const GridKeyList *list : {&groups, &sortKeys}) {
            for (const GridKey &k : list->keys()) {
                if (const GridColumn *c = columns.item(k.column))
                    used.push_back(c->fieldIndex());
            }
        }
        for (auto it = keys.begin(); it != keys.end();) {
            if (std::find(used.begin(), used.end(), it->first) == used.end())
                it = keys.erase(it);
            else
                ++it;
        }
    }

    // ---- current place ----
    int rowOf(const Place &p) const // 1-based, 0 none
    {
        switch (p.kind) {
        case Place::Kind::Record: return index.rowOfRecord(p.id) + 1;
        case Place::Kind::Caption: return index.rowOfGroup(p.id) + 1;
        case Place::Kind::NewRow: return hasNewRow() ? rows() + 1 : 0;
        case Place::Kind::None: return 0;
        }
        return 0;
    }
    Place placeOf(int row) const
    {
        if (row >= 1 && row <= rows()) {
            const int r = row - 1;
            if (index.isCaption(r))
                return Place{Place::Kind::Caption, index.groupAt(r)};
            return Place{Place::Kind::Record, index.recordAt(r)};
        }
        if (row == rows() + 1 && hasNewRow())
            return Place{Place::Kind::NewRow, -1};
        return Place{};
    }
    // After the rows changed: a current record inside a collapsed group
    // gives way to the caption shown for it; a place that is gone gives way
    // to the first row.
    void fixCurrent()
    {
        if (current.kind == Place::Kind::Record && index.rowOfRecord(current.id) < 0
            && current.id < index.recordCount()) {
            int g = index.groupOfRecord(current.id);
            int shownCaption = -1;
            while (g >= 0) {
                if (index.rowOfGroup(g) >= 0) {
                    shownCaption = g;
                    break;
                }
                g = index.group(g).parent;
            }
            current = shownCaption >= 0 ? Place{Place::Kind::Caption, shownCaption} : Place{};
        }
        if (rowOf(current) == 0)
            current = rows() > 0 ? placeOf(1) : (hasNewRow() ? Place{Place::Kind::NewRow, -1} : Place{});
        if (currentColumn == 0 || !columns.item(currentColumn))
            currentColumn = firstSelectableColumn();
        emit q->currentCellChanged(q->currentRow(), currentColumn);
    }
    int firstSelectableColumn() const
    {
        for (const GridColumn *c : columns.inDisplayOrder()) {
            if (c->visible() && c->selectable())
                return c->index();
        }
        return columns.count() > 0 ? 1 : 0;
    }

    // ---- binding ----
    void attach(std::unique_ptr<GridDataSource> newSource)
    {
        q->beginResetModel();
        source = std::move(newSource);
        editRecord = -1;
        editIsNew = false;
        dropCaches();
        syncColumns();
        rebuildIndex();
        current = Place{};
        currentColumn = 0;
        q->endResetModel();
        fixCurrent();
        emit q->pendingRowChanged();
        emit q->columnLayoutChanged(0);
        emit q->bound();
    }
    void resync()
    {
        // The recordset changed under the grid (rows added, removed or read again).
        const Place keep = current;
        q->beginResetModel();
        if (editRecord >= 0 && (!recordset || !recordset->isOpen() || recordset->editMode() == EditMode::adEditNone))
            editRecord = -1;
        dropCaches();
        rebuildIndex();
        // Groups are numbered anew: a caption gives way to the first row.
        current = keep.kind == Place::Kind::Caption ? Place{} : keep;
        if (current.kind == Place::Kind::Record && current.id >= recordCount())
            current = Place{};
        q->endResetModel();
        fixCurrent();
        emit q->pendingRowChanged();
    }

    // Matches the columns to the fields of the data: kept when every bound
    // column still finds its field, else one column per field.
    void syncColumns()
    {
        columns.setMuted(true);
        if (unbound) {
            for (int i = 1; i <= columns.count(); ++i)
                columns.setFieldIndex(columns.item(i), i - 1);
            columns.setMuted(false);
            return;
        }
        const int fields = source ? source->fieldCount() : 0;
        auto fieldOf = [&](const QString &name) {
            for (int f = 0; f < fields; ++f) {
                if (source->fieldName(f).compare(name, Qt::CaseInsensitive) == 0)
                    return f;
            }
            return -1;
        };
        bool keep = columns.count() > 0 && fields > 0;
        for (int i = 1; keep && i <= columns.count(); ++i) {
            const GridColumn *c = columns.item(i);
            if (!c->dataField().isEmpty() && fieldOf(c->dataField()) < 0)
                keep = false;
        }
        if (fields > 0 && !keep) {
            columns.clear();
            sortKeys.setListener(nullptr);
            groups.setListener(nullptr);
            sortKeys.clear();
            groups.clear();
            installKeyListeners();
            for (int f = 0; f < fields; ++f) {
                const QString name = source->fieldName(f);
                GridColumn *c = columns.add(name, name, name);
                if (source->fieldType(f) == DataType::adBoolean)
                    c->setKind(GridColumnKind::CheckBox);
            }
        }
        for (int i = 1; i <= columns.count(); ++i) {
            GridColumn *c = columns.item(i);
            const int f = c->dataField().isEmpty() ? -1 : fieldOf(c->dataField());
            columns.setFieldIndex(c, f);
            if (f >= 0 && source->fieldSize(f) > 0)
                c->setMaxLength(source->fieldSize(f));
        }
        // Keys on columns that are gone are dropped.
        auto prune = [this](GridKeyList &list) {
            std::vector<GridKey> kept;
            for (const GridKey &k : list.keys()) {
                if (columns.item(k.column))
                    kept.push_back(k);
            }
            list.assign(kept);
        };
        prune(sortKeys);
        prune(groups);
        orderDirty = false;
        columns.setMuted(false);
    }
    void installKeyListeners()
    {
        sortKeys.setListener([this] {
            invalidateOrder();
            emit q->sortKeysChanged();
        });
        groups.setListener([this] { invalidateOrder(); });
    }

    void connectRecordset(Recordset *rs)
    {
        if (!rs)
            return;
        QObject::connect(rs, &Recordset::recordChangeComplete, q, [this, rs](EventReason reason) {
            if (selfChange > 0 || rs != recordset)
                return;
            switch (reason) {
            case EventReason::adRsnAddNew:
            case EventReason::adRsnDelete:
            case EventReason::adRsnUndoAddNew:
                resync();
                break;
            default:
                dropCaches();
                if (editRecord >= 0 && rs->editMode() == EditMode::adEditNone)
                    editRecord = -1;
                emitAllChanged();
                emit q->pendingRowChanged();
                break;
            }
        });
        QObject::connect(rs, &Recordset::fieldChangeComplete, q, [this, rs](int) {
            if (selfChange > 0 || rs != recordset)
                return;
            // A value set by the program on the recordset's current record:
            // the record now has pending changes, as if typed.
            dropCaches();
            const int position = rs->absolutePosition();
            if (position >= 1 && rs->editMode() != EditMode::adEditNone) {
                editRecord = position - 1;
                emit q->pendingRowChanged();
            }
            emitAllChanged();
        });
        QObject::connect(rs, &Recordset::recordsetChangeComplete, q, [this, rs](EventReason) {
            if (selfChange > 0 || rs != recordset)
                return;
            resync();
        });
        QObject::connect(rs, &QObject::destroyed, q, [this, rs] {
            if (recordset.isNull() || recordset == rs) {
                recordset = nullptr;
                attach(nullptr);
            }
        });
    }

    void emitAllChanged()
    {
        formatted.clear();
        if (q->rowCount() > 0 && q->columnCount() > 0)
            emit q->dataChanged(q->index(0, 0), q->index(q->rowCount() - 1, q->columnCount() - 1));
    }
    // The row header shows the current row and pending changes: redrawn
    // for the rows concerned only.
    void markRow(int row)
    {
        if (row >= 1 && row <= q->rowCount())
            emit q->headerDataChanged(Qt::Vertical, row - 1, row - 1);
    }
    void emitRowChanged(int row)
    {
        formatted.clear();
        if (row >= 1 && row <= q->rowCount() && q->columnCount() > 0)
            emit q->dataChanged(q->index(row - 1, 0), q->index(row - 1, q->columnCount() - 1));
        markRow(row);
    }

    // ---- editing ----
    bool positionRecordset(int record)
    {
        Recordset *rs = recordset;
        if (!rs || !rs->isOpen())
            return false;
        try {
            if (rs->absolutePosition() != record + 1) {
                SelfChange self(this);
                rs->setAbsolutePosition(record + 1);
            }
        } catch (const RuntimeError &e) {
            q->reportError(e);
            return false;
        }
        return true;
    }

    // Adds the record the new-record row stands for: the recordset adds a
    // row (its handlers may fill it), the columns' default values follow.
    bool startNewRecord()
    {
        Recordset *rs = recordset;
        const int newRecord = recordCount();
        try {
            SelfChange self(this);
            rs->addNew();
        } catch (const RuntimeError &e) {
            q->reportError(e);
            return false;
        }
        for (int i = 1; i <= columns.count(); ++i) {
            const GridColumn *c = columns.item(i);
            if (c->fieldIndex() < 0 || c->defaultValue().isEmpty())
                continue;
            try {
                SelfChange self(this);
                const Variant now = rs->value(c->fieldIndex());
                if (now.isEmpty() || now.isNull())
                    rs->setValue(c->fieldIndex(), c->defaultValue());
            } catch (const RuntimeError &e) {
                q->reportError(e); // the record is there all the same
            }
        }
        // The new-record row becomes the record's row, and a new one follows
        // it: the row inserted is the one after, so that the cell being
        // typed into keeps its place.
        const int at = rows() + 1;
        q->beginInsertRows(QModelIndex(), at, at);
        dropCaches();
        index.appendRecord();
        q->endInsertRows();
        Q_ASSERT(index.recordCount() == recordCount());
        editRecord = newRecord;
        editIsNew = true;
        current = Place{Place::Kind::Record, newRecord};
        return true;
    }

    Variant convertTyped(const GridColumn &c, const QString &typed) const
    {
        QString text = typed;
        if (c.dropDown().isSet()) {
            if (auto stored = lookupValue(c, text))
                return *stored;
            if (c.dropDown().limitToList && !text.isEmpty())
                typeMismatch();
        }
        const DataType type = source && c.fieldIndex() >= 0 ? source->fieldType(c.fieldIndex()) : DataType::adVariant;
        if (text.trimmed().isEmpty())
            return isTextType(type) && !text.isEmpty() ? Variant(text) : Variant::null();
        switch (type) {
        case DataType::adSmallInt:
        case DataType::adInteger:
        case DataType::adBigInt: {
            const auto n = readTypedNumber(text);
            if (!n)
                typeMismatch();
            const double whole = std::nearbyint(*n);
            if (type == DataType::adSmallInt && (whole < -32768 || whole > 32767))
                throw RuntimeError(err::Overflow, RuntimeError::standardDescription(err::Overflow));
            return Variant::fromInt64(static_cast<std::int64_t>(whole));
        }
        case DataType::adSingle:
        case DataType::adDouble: {
            const auto n = readTypedNumber(text);
            if (!n)
                typeMismatch();
            return Variant(*n);
        }
        case DataType::adCurrency: {
            const auto n = readTypedNumber(text);
            if (!n)
                typeMismatch();
            return Variant(Currency::fromDouble(*n));
        }
        case DataType::adDate:
            return Variant(Variant(text).toDate());
        case DataType::adBoolean:
            return Variant(Variant(text).toBool());
        default:
            return Variant(text);
        }
    }

    // ---- drop-down lists ----
    // The list's first record whose column holds the value (case-insensitive).
    // The column's values are indexed once, when first looked up, so that
    // a long list costs one pass however many cells show it.
    int lookupRecord(const GridModel *list, const GridColumn *keyColumn, const QString &folded) const
    {
        if (!list || !keyColumn)
            return -1;
        const QString indexKey =
            QString::number(reinterpret_cast<quintptr>(list)) + u'|' + QString::number(keyColumn->index());
        auto it = lookupIndex.constFind(indexKey);
        if (it == lookupIndex.constEnd()) {
            QHash<QString, int> index;
            const int n = list->recordCount();
            index.reserve(n);
            for (int r = n - 1; r >= 0; --r) {
                const Variant v = list->d->value(r, keyColumn);
                if (!v.isNull() && !v.isEmpty())
                    index.insert(v.toString().toCaseFolded(), r); // the first record wins
            }
            it = lookupIndex.insert(indexKey, std::move(index));
        }
        return it->value(folded, -1);
    }
    std::optional<Variant> lookupValue(const GridColumn &c, const QString &shownText) const
    {
        const GridModel *list = c.dropDown().list;
        if (!list)
            return std::nullopt;
        const GridColumn *shown = list->column(c.dropDown().displayColumn);
        const GridColumn *stored = list->column(c.dropDown().valueColumn);
        const int record = lookupRecord(list, shown, shownText.toCaseFolded());
        if (record < 0 || !stored)
            return std::nullopt;
        return list->d->value(record, stored);
    }
    std::optional<QString> lookupText(const GridColumn &c, const Variant &stored) const
    {
        const GridModel *list = c.dropDown().list;
        if (!list || stored.isNull() || stored.isEmpty())
            return std::nullopt;
        const GridColumn *shown = list->column(c.dropDown().displayColumn);
        const GridColumn *key = list->column(c.dropDown().valueColumn);
        const int record = lookupRecord(list, key, stored.toString().toCaseFolded());
        if (record < 0 || !shown)
            return std::nullopt;
        return list->d->cellText(record, shown, nullptr);
    }

    // ---- texts ----
    QString cellText(int record, const GridColumn *c, const Variant *shown) const
    {
        if (!c || c->kind() != GridColumnKind::Text)
            return QString();
        const Variant v = shown ? *shown : value(record, c);
        if (v.isByteArray())
            return QString(); // binary data has no text to show
        if (c->dropDown().isSet()) {
            if (auto text = lookupText(*c, v))
                return *text;
        }
        return c->parsedFormat().format(v);
    }
    // The text a find compares in a column: the value itself in a plain
    // text column, else the text the cell shows. Read as the rows are
    // searched and kept until the data changes.
    struct SearchTexts {
        std::vector<QString> text;
        std::vector<char> read;
    };
    const QString &searchText(const GridColumn *c, int record) const
    {
        SearchTexts &cache = searchCache[c->index()];
        if (cache.read.empty()) {
            cache.text.resize(static_cast<size_t>(recordCount()));
            cache.read.assign(static_cast<size_t>(recordCount()), 0);
        }
        const auto r = static_cast<size_t>(record);
        if (!cache.read[r]) {
            const bool plain = c->format().isEmpty() && !c->dropDown().isSet() && c->kind() == GridColumnKind::Text;
            const Variant v = value(record, c);
            const QString *t = plain ? v.get<QString>() : nullptr;
            cache.text[r] = t ? *t : cellText(record, c, nullptr);
            cache.read[r] = 1;
        }
        return cache.text[r];
    }

    QString baseCaption(int group) const
    {
        const GridRowIndex::Group &g = index.group(group);
        const auto &levels = groups.keys();
        if (g.level >= static_cast<int>(levels.size()))
            return QString();
        const GridColumn *c = columns.item(levels[static_cast<size_t>(g.level)].column);
        if (!c)
            return QString();
        const int record = index.ordered()[static_cast<size_t>(g.first)];
        return c->caption() + QStringLiteral(": ") + cellText(record, c, nullptr);
    }

    const Formatted *formattedRow(int row0) const
    {
        if (row0 < 0 || row0 >= rows())
            return nullptr;
        auto it = formatted.constFind(row0);
        if (it != formatted.constEnd())
            return &it.value();
        const bool caption = index.isCaption(row0);
        GridRowFormat f(*q, row0 + 1, caption ? baseCaption(index.groupAt(row0)) : QString());
        emit const_cast<GridModel *>(q)->rowFormat(f);
        if (formatted.size() > 5000)
            formatted.clear();
        return &formatted.insert(row0, Formatted{f.caption, f.shownValues()}).value();
    }

    QString captionText(int row0) const
    {
        const Formatted *f = formattedRow(row0);
        return f ? f->caption : QString();
    }

    // Cells showing a drop-down list's text follow the list when it is
    // read again.
    void watchList(const GridModel *list)
    {
        if (!list || watchedLists.contains(list))
            return;
        watchedLists.insert(list);
        auto refresh = [this] {
            lookupIndex.clear();
            searchCache.clear();
            emitAllChanged();
        };
        QObject::connect(list, &QAbstractItemModel::modelReset, q, refresh);
        QObject::connect(list, &QAbstractItemModel::rowsInserted, q, refresh);
        QObject::connect(list, &QAbstractItemModel::rowsRemoved, q, refresh);
        QObject::connect(list, &QAbstractItemModel::dataChanged, q, refresh);
        QObject::connect(list, &QObject::destroyed, q, [this, list] {
            watchedLists.remove(list);
            lookupIndex.clear();
        });
    }

    double sumOf(int group, int field) const
    {
        const qint64 key = (static_cast<qint64>(group) << 20) | field;
        const auto it = sums.constFind(key);
        if (it != sums.constEnd())
            return it.value();
        const GridFieldKeys &k = keysOf(field);
        const GridRowIndex::Group &g = index.group(group);
        long double total = 0;
        for (int p = g.first; p < g.end; ++p) {
            const int record = index.ordered()[static_cast<size_t>(p)];
            if (k.kind(record) == GridFieldKeys::Kind::Number)
                total += k.number(record);
        }
        const double rounded = std::round(static_cast<double>(total) * 10000.0) / 10000.0;
        sums.insert(key, rounded);
        return rounded;
    }
};

// ---------------------------------------------------------------------------

GridModel::GridModel(QObject *parent)
    : QAbstractTableModel(parent)
    , d(std::make_unique<Private>(this))
{
    d->columns.setListener([this](GridColumn *c, GridColumn::Change change) {
        const int section = c ? c->index() - 1 : -1;
        switch (change) {
        case GridColumn::Change::Binding:
            if (d->unbound && d->source) {
                setUnboundRowCount(d->unboundRows);
                return;
            }
            beginResetModel();
            if (!d->unbound) {
                // The field a column shows; with no column named, every
                // column's (the columns were replaced all at once).
                const auto resolve = [this](GridColumn *column) {
                    int field = -1;
                    for (int f = 0; d->source && !column->dataField().isEmpty() && f < d->source->fieldCount(); ++f) {
                        if (d->source->fieldName(f).compare(column->dataField(), Qt::CaseInsensitive) == 0) {
                            field = f;
                            break;
                        }
                    }
                    d->columns.setFieldIndex(column, field);
                };
                if (c)
                    resolve(c);
                else
                    for (int i = 1; i <= d->columns.count(); ++i)
                        resolve(d->columns.item(i));
            }
            d->dropCaches();
            d->rebuildIndex();
            endResetModel();
            d->fixCurrent();
            emit columnLayoutChanged(0);
            break;
        case GridColumn::Change::Header:
            if (section >= 0)
                emit headerDataChanged(Qt::Horizontal, section, section);
            break;
        case GridColumn::Change::Geometry:
            emit columnLayoutChanged(c ? c->index() : 0);
            break;
        case GridColumn::Change::Cells:
            if (c) {
                d->searchCache.erase(c->index());
                d->watchList(c->dropDown().list);
            }
            d->lookupIndex.clear();
            d->emitAllChanged();
            if (section >= 0)
                emit headerDataChanged(Qt::Horizontal, section, section);
            break;
        }
    });
    d->installKeyListeners();
    d->styles.setListener([this] {
        d->emitAllChanged();
        if (columnCount() > 0)
            emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    });
}

GridModel::~GridModel()
{
    d->columns.setListener(nullptr);
    d->sortKeys.setListener(nullptr);
    d->groups.setListener(nullptr);
    d->styles.setListener(nullptr);
    if (d->recordset)
        QObject::disconnect(d->recordset, nullptr, this, nullptr);
    if (d->ownRecordset)
        QObject::disconnect(d->ownRecordset.get(), nullptr, this, nullptr);
}

// ---- binding ---------------------------------------------------------------

const QString &GridModel::connectionString() const
{
    return d->connectionString;
}

void GridModel::setConnectionString(const QString &connectionString)
{
    d->connectionString = connectionString;
}

const QString &GridModel::recordSource() const
{
    return d->recordSource;
}

void GridModel::setRecordSource(const QString &source)
{
    d->recordSource = source;
    d->external = false;
}

LockType GridModel::lockType() const
{
    return d->lock;
}

void GridModel::setLockType(LockType lock)
{
    d->lock = lock;
}

void GridModel::rebind()
{
    d->unbound = false;
    if (d->external && d->recordset && d->recordset != d->ownRecordset.get()) {
        d->attach(std::make_unique<RecordsetSource>(d->recordset));
        return;
    }
    if (!d->ownRecordset) {
        d->ownRecordset = std::make_unique<Recordset>();
        d->connectRecordset(d->ownRecordset.get());
    }
    d->recordset = d->ownRecordset.get();
    Recordset *rs = d->ownRecordset.get();
    auto self = std::make_unique<Private::SelfChange>(d.get());
    try {
        rs->close();
        if (!d->recordSource.trimmed().isEmpty()) {
            Connection connection(d->connectionString);
            rs->open(d->recordSource, connection, CursorType::Static, d->lock, CommandType::Text);
            // Rows that are only read need no connection once fetched.
            if (d->lock == LockType::ReadOnly && rs->isOpen())
                rs->setActiveConnection(nullptr);
        }
    } catch (...) {
        self.reset();
        rs->close();
        d->attach(std::make_unique<RecordsetSource>(rs));
        throw;
    }
    self.reset();
    d->attach(std::make_unique<RecordsetSource>(rs));
}

void GridModel::setRecordset(Recordset *recordset)
{
    if (d->recordset && d->recordset != d->ownRecordset.get() && d->recordset != recordset)
        QObject::disconnect(d->recordset, nullptr, this, nullptr);
    if (recordset && recordset != d->ownRecordset.get() && recordset != d->recordset)
        d->connectRecordset(recordset);
    d->recordset = recordset;
    d->unbound = false;
    d->external = recordset != nullptr;
    d->attach(recordset ? std::make_unique<RecordsetSource>(recordset) : nullptr);
}

Recordset *GridModel::recordset() const
{
    return d->recordset;
}

void GridModel::setUnboundRowCount(int rows)
{
    d->unbound = true;
    d->unboundRows = std::max(rows, 0);
    auto reader = [this](int record, std::vector<Variant> &values) {
        GridRowBuffer buffer(record + 1, values);
        emit rowRead(record + 1, buffer);
    };
    d->attach(std::make_unique<UnboundSource>(d->unboundRows, d->columns.count(), reader));
}

int GridModel::unboundRowCount() const
{
    return d->unbound ? d->unboundRows : 0;
}

bool GridModel::isUnbound() const
{
    return d->unbound;
}

void GridModel::refetch()
{
    if (d->unbound) {
        if (auto *s = dynamic_cast<UnboundSource *>(d->source.get()))
            s->forget();
        d->resync();
    } else {
        rebind();
    }
}

void GridModel::retrieveStructure()
{
    d->columns.setMuted(true);
    d->columns.clear();
    d->columns.setMuted(false);
    if (d->unbound)
        setUnboundRowCount(d->unboundRows);
    else
        d->attach(d->recordset ? std::make_unique<RecordsetSource>(d->recordset) : nullptr);
}

// ---- structure -------------------------------------------------------------

GridColumns &GridModel::columns()
{
    return d->columns;
}

const GridColumns &GridModel::columns() const
{
    return d->columns;
}

GridKeyList &GridModel::sortKeys()
{
    return d->sortKeys;
}

GridKeyList &GridModel::groups()
{
    return d->groups;
}

GridFormatStyles &GridModel::formatStyles()
{
    return d->styles;
}

const GridFormatStyles &GridModel::formatStyles() const
{
    return d->styles;
}

std::optional<SortOrder> GridModel::sortOrderOf(int column) const
{
    if (const int at = d->sortKeys.indexOfColumn(column))
        return d->sortKeys.item(at).order;
    return std::nullopt;
}

// ---- rows ------------------------------------------------------------------

void GridModel::reSort()
{
    d->orderDirty = true;
    d->ensureOrder();
}

int GridModel::displayRowCount() const
{
    d->ensureOrder();
    return d->rows();
}

int GridModel::recordCount() const
{
    return d->recordCount();
}

int GridModel::newRecordRow() const
{
    d->ensureOrder();
    return d->hasNewRow() ? d->rows() + 1 : 0;
}

bool GridModel::isGroupCaption(int row) const
{
    d->ensureOrder();
    return row >= 1 && row <= d->rows() && d->index.isCaption(row - 1);
}

int GridModel::groupLevel(int row) const
{
    if (!isGroupCaption(row))
        return 0;
    return d->index.group(d->index.groupAt(row - 1)).level + 1;
}

QString GridModel::groupCaption(int row) const
{
    if (!isGroupCaption(row))
        return QString();
    return d->baseCaption(d->index.groupAt(row - 1));
}

QString GridModel::shownCaption(int row) const
{
    if (!isGroupCaption(row))
        return QString();
    return d->captionText(row - 1);
}

GridModel::ShownRow GridModel::shownRow(int row0) const
{
    Private::ViewScope scope(d.get());
    ShownRow shown;
    if (row0 < 0 || row0 >= d->rows() || !d->index.isCaption(row0))
        return shown;
    const GridRowIndex::Group &g = d->index.group(d->index.groupAt(row0));
    shown.caption = true;
    shown.level = g.level + 1;
    shown.expanded = g.expanded;
    shown.text = d->captionText(row0);
    return shown;
}

Variant GridModel::groupValue(int row) const
{
    if (!isGroupCaption(row))
        return Variant();
    const GridRowIndex::Group &g = d->index.group(d->index.groupAt(row - 1));
    const auto &levels = d->groups.keys();
    if (g.level >= static_cast<int>(levels.size()))
        return Variant(); // the groups changed and the rows are not laid out again yet
    const GridColumn *c = d->columns.item(levels[static_cast<size_t>(g.level)].column);
    return d->value(d->index.ordered()[static_cast<size_t>(g.first)], c);
}

Variant GridModel::groupSum(int row, int column) const
{
    const GridColumn *c = d->columns.item(column);
    if (!isGroupCaption(row) || !c || c->fieldIndex() < 0)
        return Variant();
    return Variant(d->sumOf(d->index.groupAt(row - 1), c->fieldIndex()));
}

int GridModel::groupRecordCount(int row) const
{
    if (!isGroupCaption(row))
        return 0;
    const GridRowIndex::Group &g = d->index.group(d->index.groupAt(row - 1));
    return g.end - g.first;
}

bool GridModel::isExpanded(int row) const
{
    if (!isGroupCaption(row))
        return false;
    return d->index.group(d->index.groupAt(row - 1)).expanded;
}

void GridModel::setExpanded(int row, bool expanded)
{
    if (!isGroupCaption(row))
        return;
    const int group = d->index.groupAt(row - 1);
    if (d->index.group(group).expanded == expanded)
        return;
    beginResetModel();
    d->index.setExpanded(group, expanded);
    d->formatted.clear();
    endResetModel();
    d->fixCurrent();
}

void GridModel::expandAll()
{
    d->groupsExpanded = true;
    if (d->orderDirty)
        return;
    beginResetModel();
    d->index.setAllExpanded(true);
    d->formatted.clear();
    endResetModel();
    d->fixCurrent();
}

void GridModel::collapseAll()
{
    d->groupsExpanded = false;
    if (d->orderDirty)
        return;
    beginResetModel();
    d->index.setAllExpanded(false);
    d->formatted.clear();
    endResetModel();
    d->fixCurrent();
}

bool GridModel::groupsExpanded() const
{
    return d->groupsExpanded;
}

int GridModel::recordOfRow(int row) const
{
    d->ensureOrder();
    if (row < 1 || row > d->rows())
        return -1;
    return d->index.recordAt(row - 1);
}

int GridModel::rowOfRecord(int record) const
{
    d->ensureOrder();
    return d->index.rowOfRecord(record) + 1;
}

Variant GridModel::valueAt(int row, int column) const
{
    const int record = recordOfRow(row);
    if (record < 0)
        return Variant();
    return d->value(record, d->columns.item(column));
}

QString GridModel::textAt(int row, int column) const
{
    d->ensureOrder();
    if (isGroupCaption(row))
        return column == 1 ? shownCaption(row) : QString();
    const int record = recordOfRow(row);
    const GridColumn *c = d->columns.item(column);
    if (record < 0 || !c)
        return QString();
    const Formatted *f = d->formattedRow(row - 1);
    const auto shown = f ? f->shown.find(column) : std::map<int, Variant>::const_iterator();
    return d->cellText(record, c, f && shown != f->shown.end() ? &shown->second : nullptr);
}

// ---- find ------------------------------------------------------------------

int GridModel::find(int column, FindCondition condition, const Variant &value, int startRow, FindDirection direction)
{
    d->ensureOrder();
    const GridColumn *c = d->columns.item(column);
    const int n = d->rows();
    if (!c || n == 0)
        return 0;
    const bool forward = direction == FindDirection::Forward;
    int row = startRow;
    if (forward && row <= 0)
        row = 1;
    if (!forward && (row <= 0 || row > n))
        row = n;
    if (row < 1 || row > n)
        return 0;

    QString wanted = value.isNull() || value.isEmpty() ? QString() : value.toString();
    for (QChar &ch : wanted)
        ch = QChar(gridtext::fold(ch.unicode()));
    // An equal-to find also matches a cell whose number or date equals the
    // value typed.
    std::optional<double> wantedNumber;
    if (condition == FindCondition::EqualTo && c->fieldIndex() >= 0) {
        double number = 0;
        QString ignored;
        if (GridFieldKeys::keyOf(value, number, ignored) == GridFieldKeys::Kind::Number) {
            wantedNumber = number;
        } else if (value.isString()) {
            if (auto parsed = parseLocaleNumber(*value.get<QString>())) {
                wantedNumber = *parsed;
            } else {
                try {
                    wantedNumber = Variant(*value.get<QString>()).toDate().toSerial();
                } catch (const RuntimeError &) {
                }
            }
        }
    }
    // Plain text columns are searched in the values themselves; formatted
    // and drop-down columns in the texts they show.
    const bool plain = c->format().isEmpty() && !c->dropDown().isSet() && c->kind() == GridColumnKind::Text
        && c->fieldIndex() >= 0;
    // On the column of the first sort key, without groups, the rows are in
    // the order of its texts and the rows that match form one run: it is
    // found by halving. The keys of that column are at hand; others are
    // read only to compare numbers.
    const bool sortColumn = plain && d->groups.isEmpty() && d->sortKeys.count() >= 1
        && d->sortKeys.item(1).column == column && d->index.inBuiltOrder()
        && d->index.rowCount() == d->index.recordCount();
    const GridFieldKeys *keys = (sortColumn || wantedNumber) && c->fieldIndex() >= 0 ? &d->keysOf(c->fieldIndex())
                                                                                     : nullptr;
    const bool numbersOnly = keys && wantedNumber && !keys->anyText();
    const bool searchable = sortColumn && keys && !keys->anyNumber();
    if (searchable) {
        const SortOrder order = d->sortKeys.item(1).order;
        // Only the rows probed are read.
        auto textAt = [&](int row0) {
            const Variant v = d->value(d->index.recordAt(row0), c);
            const QString *t = v.get<QString>();
            return t ? *t : QString();
        };
        auto atLeast = [&](int row0) { // the row's text sorts at or after the one wanted
            const int record = d->index.recordAt(row0);
            return keys->kind(record) == GridFieldKeys::Kind::Text
                && gridtext::compareIgnoringCase(textAt(row0), wanted) >= 0;
        };
        auto matches = [&](int row0) {
            const QString text = textAt(row0);
            return condition == FindCondition::BeginsWith ? gridtext::startsWithFolded(text, wanted)
                                                          : gridtext::equalsFolded(text, wanted);
        };
        int lo = forward ? row - 1 : 0;   // 0-based rows lo..hi-1 are searched
        int hi = forward ? n : row;
        if (forward && order == SortOrder::Ascending) {
            // The first row at or after the text wanted.
            while (lo < hi) {
                const int mid = lo + (hi - lo) / 2;
                if (atLeast(mid))
                    hi = mid;
                else
                    lo = mid + 1;
            }
            if (lo < n && lo >= row - 1 && matches(lo)) {
                setCurrentRow(lo + 1);
                return lo + 1;
            }
            return 0;
        }
        if (!forward && order == SortOrder::Descending) {
            // The last row at or after the text wanted.
            while (lo < hi) {
                const int mid = lo + (hi - lo) / 2;
                if (atLeast(mid))
                    lo = mid + 1;
                else
                    hi = mid;
            }
            if (lo >= 1 && matches(lo - 1)) {
                setCurrentRow(lo);
                return lo;
            }
            return 0;
        }
    }

    for (; forward ? row <= n : row >= 1; forward ? ++row : --row) {
        const int record = d->index.recordAt(row - 1);
        if (record < 0)
            continue;
        bool match = false;
        if (numbersOnly) {
            match = keys->kind(record) == GridFieldKeys::Kind::Number && keys->number(record) == *wantedNumber;
        } else {
            const QString &text = d->searchText(c, record);
            match = condition == FindCondition::BeginsWith ? gridtext::startsWithFolded(text, wanted)
                                                           : gridtext::equalsFolded(text, wanted);
            if (!match && wantedNumber && keys && keys->kind(record) == GridFieldKeys::Kind::Number)
                match = keys->number(record) == *wantedNumber;
        }
        if (match) {
            setCurrentRow(row);
            return row;
        }
    }
    return 0;
}

// ---- current cell ------------------------------------------------------------

int GridModel::currentRow() const
{
    d->ensureOrder();
    return d->rowOf(d->current);
}

int GridModel::currentColumn() const
{
    return d->currentColumn;
}

bool GridModel::setCurrentCell(int row, int column)
{
    d->ensureOrder();
    const Place target = d->placeOf(row);
    if (target.kind == Place::Kind::None)
        return false;
    const int before = currentRow();
    const int beforeColumn = d->currentColumn;
    if (row != before && d->editRecord >= 0) {
        const int pending = pendingRow();
        if (pending != row && !commitRow())
            return false;
    }
    d->current = d->placeOf(row); // rows may have moved while storing
    if (column >= 1 && column <= d->columns.count())
        d->currentColumn = column;
    if (d->current.kind == Place::Kind::Record && d->recordset && !d->unbound && d->editRecord < 0) {
        Recordset *rs = d->recordset;
        if (rs->isOpen() && rs->absolutePosition() != d->current.id + 1) {
            Private::SelfChange self(d.get());
            try {
                rs->setAbsolutePosition(d->current.id + 1);
            } catch (const RuntimeError &) {
            }
        }
    }
    if (currentRow() != before || d->currentColumn != beforeColumn) {
        d->markRow(before);
        d->markRow(currentRow());
        emit currentCellChanged(currentRow(), d->currentColumn);
    }
    return true;
}

bool GridModel::setCurrentRow(int row)
{
    return setCurrentCell(row, d->currentColumn);
}

bool GridModel::setCurrentColumn(int column)
{
    if (column < 1 || column > d->columns.count())
        return false;
    return setCurrentCell(currentRow(), column);
}

// ---- editing -------------------------------------------------------------------

bool GridModel::allowEdit() const
{
    return d->allowEdit;
}

void GridModel::setAllowEdit(bool on)
{
    if (d->allowEdit == on)
        return;
    beginResetModel();
    d->allowEdit = on;
    endResetModel();
    d->fixCurrent();
}

bool GridModel::allowAddNew() const
{
    return d->allowAddNew;
}

void GridModel::setAllowAddNew(bool on)
{
    if (d->allowAddNew == on)
        return;
    beginResetModel();
    d->allowAddNew = on;
    endResetModel();
    d->fixCurrent();
}

bool GridModel::allowDelete() const
{
    return d->allowDelete;
}

void GridModel::setAllowDelete(bool on)
{
    d->allowDelete = on;
}

bool GridModel::isCellEditable(int row, int column) const
{
    const GridColumn *c = d->columns.item(column);
    if (!d->allowEdit || !c || !c->editable() || c->fieldIndex() < 0 || !d->editableSource()
        || d->source->fieldType(c->fieldIndex()) == DataType::adLongVarBinary)
        return false;
    if (row == newRecordRow() && row > 0)
        return true;
    return recordOfRow(row) >= 0;
}

int GridModel::pendingRow() const
{
    if (d->editRecord < 0)
        return 0;
    d->ensureOrder();
    return d->index.rowOfRecord(d->editRecord) + 1;
}

bool GridModel::setCellText(int row, int column, const QString &typed)
{
    const GridColumn *c = d->columns.item(column);
    if (!c)
        return false;
    Variant value;
    try {
        value = d->convertTyped(*c, typed);
    } catch (const RuntimeError &e) {
        reportError(e);
        return false;
    }
    return setCellValue(row, column, value, true);
}

bool GridModel::setCellValue(int row, int column, const Variant &value, bool notify)
{
    d->ensureOrder();
    const GridColumn *c = d->columns.item(column);
    Recordset *rs = d->recordset;
    if (!c || c->fieldIndex() < 0 || !d->editableSource())
        return false;
    const bool isNew = row == newRecordRow() && row > 0;
    if (!isNew && recordOfRow(row) < 0)
        return false;
    if (d->editRecord >= 0 && pendingRow() != row && !commitRow())
        return false;

    Variant stored = value;
    if (notify) {
        GridCellUpdate update;
        update.row = row;
        update.column = column;
        update.oldValue = isNew ? Variant() : valueAt(row, column);
        update.newValue = value;
        emit beforeColUpdate(update);
        if (update.cancel)
            return false;
        stored = update.newValue;
    }
    if (isNew && !d->startNewRecord())
        return false;
    const int record = recordOfRow(row);
    if (record < 0 || !d->positionRecordset(record))
        return false;
    try {
        Private::SelfChange self(d.get());
        rs->setValue(c->fieldIndex(), stored);
    } catch (const RuntimeError &e) {
        reportError(e);
        return false;
    }
    d->editRecord = record;
    d->current = Place{Place::Kind::Record, record};
    d->dropCaches();
    d->emitRowChanged(row);
    emit pendingRowChanged();
    if (notify)
        emit afterColUpdate(row, column);
    return true;
}

bool GridModel::commitRow()
{
    if (d->editRecord < 0)
        return true;
    Recordset *rs = d->recordset;
    const int row = pendingRow();
    GridRowUpdate update;
    update.row = row;
    emit beforeUpdate(update);
    if (update.cancel)
        return false;
    if (rs && rs->isOpen() && rs->editMode() != EditMode::adEditNone) {
        if (!d->positionRecordset(d->editRecord))
            return false;
        try {
            Private::SelfChange self(d.get());
            rs->update();
        } catch (const RuntimeError &e) {
            reportError(e);
            return false;
        }
    }
    d->editRecord = -1;
    d->editIsNew = false;
    d->dropCaches();
    d->emitRowChanged(row);
    emit pendingRowChanged();
    emit afterUpdate(row);
    return true;
}

void GridModel::cancelRow()
{
    if (d->editRecord < 0)
        return;
    Recordset *rs = d->recordset;
    const int record = d->editRecord;
    const bool wasNew = d->editIsNew;
    d->editRecord = -1;
    d->editIsNew = false;
    if (rs && rs->isOpen()) {
        Private::SelfChange self(d.get());
        try {
            rs->cancelUpdate();
        } catch (const RuntimeError &) {
        }
    }
    if (wasNew && record == d->index.recordCount() - 1 && d->recordCount() == record) {
        // The record's row turns back into the new-record row; the one
        // after it goes.
        const int row0 = d->index.rowOfRecord(record) + (d->hasNewRow() ? 1 : 0);
        beginRemoveRows(QModelIndex(), row0, row0);
        d->index.removeRecord(record);
        d->dropCaches();
        endRemoveRows();
        d->current = d->hasNewRow() ? Place{Place::Kind::NewRow, -1} : Place{};
        d->fixCurrent();
    } else {
        d->dropCaches();
        d->emitAllChanged();
    }
    emit pendingRowChanged();
}

bool GridModel::deleteRow(int row)
{
    d->ensureOrder();
    Recordset *rs = d->recordset;
    const int record = recordOfRow(row);
    if (record < 0) {
        if (row == newRecordRow() && d->editIsNew)
            cancelRow();
        return false;
    }
    if (!d->editableSource())
        return false;
    if (d->editRecord >= 0 && d->editRecord != record && !commitRow())
        return false;
    const int at = rowOfRecord(record);
    GridRowUpdate update;
    update.row = at;
    emit beforeDelete(update);
    if (update.cancel)
        return false;
    if (!d->positionRecordset(record))
        return false;
    try {
        Private::SelfChange self(d.get());
        rs->deleteRecord();
    } catch (const RuntimeError &e) {
        reportError(e);
        return false;
    }
    const bool currentWasThis = d->current.kind == Place::Kind::Record && d->current.id == record;
    beginRemoveRows(QModelIndex(), at - 1, at - 1);
    d->index.removeRecord(record);
    d->dropCaches();
    endRemoveRows();
    if (d->editRecord == record) {
        d->editRecord = -1;
        d->editIsNew = false;
    } else if (d->editRecord > record) {
        --d->editRecord;
    }
    if (currentWasThis) {
        d->current = d->placeOf(std::min(at, d->rows()));
        if (d->current.kind == Place::Kind::None && d->hasNewRow())
            d->current = Place{Place::Kind::NewRow, -1};
    } else if (d->current.kind == Place::Kind::Record && d->current.id > record) {
        --d->current.id;
    }
    d->fixCurrent();
    emit pendingRowChanged();
    emit afterDelete(at);
    return true;
}

QString GridModel::editText(int row, int column) const
{
    const GridColumn *c = d->columns.item(column);
    const int record = recordOfRow(row);
    if (!c || record < 0)
        return QString();
    const Variant v = d->value(record, c);
    if (c->dropDown().isSet()) {
        if (auto text = d->lookupText(*c, v))
            return *text;
    }
    if (v.isNull() || v.isEmpty())
        return QString();
    if (v.isNumber())
        return formatNumber(v.toDouble());
    return v.toString();
}

// ---- look --------------------------------------------------------------------

QColor GridModel::foreColor() const
{
    return d->foreColor;
}

void GridModel::setForeColor(const QColor &color)
{
    d->foreColor = color;
    d->emitAllChanged();
}

QColor GridModel::groupRowBackColor() const
{
    return d->groupRowBackColor;
}

void GridModel::setGroupRowBackColor(const QColor &color)
{
    d->groupRowBackColor = color;
    d->emitAllChanged();
}

void GridModel::addImage(const QIcon &image)
{
    d->images.append(image);
    d->emitAllChanged();
}

void GridModel::clearImages()
{
    d->images.clear();
    d->emitAllChanged();
}

int GridModel::imageCount() const
{
    return static_cast<int>(d->images.size());
}

// ---- errors --------------------------------------------------------------------

void GridModel::reportError(const RuntimeError &error)
{
    GridDataError e;
    e.number = error.number();
    e.description = error.description();
    e.source = error.source();
    emit dataError(e);
    if (e.showMessage)
        desktop().msgBox(e.description, vbOKOnly | vbExclamation);
}

// ---- Qt item model ---------------------------------------------------------------

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : d->modelRows();
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : d->columns.count();
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    Private::ViewScope scope(d.get());
    const int row0 = index.row();
    const GridColumn *c = d->columns.item(index.column() + 1);
    if (!c)
        return QVariant();
    if (row0 >= d->rows()) {
        // The new-record row shows nothing until typed into.
        if (role == Qt::ForegroundRole && d->foreColor.isValid())
            return d->foreColor;
        return QVariant();
    }
    if (d->index.isCaption(row0)) {
        switch (role) {
        case Qt::DisplayRole:
            return index.column() == 0 ? d->captionText(row0) : QString();
        case Qt::BackgroundRole:
            return d->groupRowBackColor.isValid() ? QVariant(d->groupRowBackColor) : QVariant();
        default:
            return QVariant();
        }
    }
    const int record = d->index.recordAt(row0);
    const GridFormatStyle *style = d->styles.find(c->formatStyle());
    switch (role) {
    case Qt::DisplayRole: {
        const Formatted *f = d->formattedRow(row0);
        const auto shown = f ? f->shown.find(c->index()) : std::map<int, Variant>::const_iterator();
        return d->cellText(record, c, f && shown != f->shown.end() ? &shown->second : nullptr);
    }
    case Qt::EditRole:
        return editText(row0 + 1, c->index());
    case Qt::DecorationRole:
        if (c->kind() == GridColumnKind::Image) {
            const Variant v = d->value(record, c);
            if (v.isNumber()) {
                const int image = v.toInt32();
                if (image >= 1 && image <= d->images.size())
                    return d->images.at(image - 1);
            }
        }
        return QVariant();
    case Qt::CheckStateRole:
        if (c->kind() == GridColumnKind::CheckBox) {
            const Variant v = d->value(record, c);
            bool on = false;
            try {
                on = !v.isNull() && !v.isEmpty() && v.toBool();
            } catch (const RuntimeError &) {
            }
            return static_cast<int>(on ? Qt::Checked : Qt::Unchecked);
        }
        return QVariant();
    case Qt::TextAlignmentRole: {
        Qt::Alignment a = c->alignment();
        if (!(a & Qt::AlignHorizontal_Mask)) {
            const Variant v = d->value(record, c);
            a |= v.isNumber() ? Qt::AlignRight : Qt::AlignLeft;
        }
        if (!(a & Qt::AlignVertical_Mask))
            a |= Qt::AlignVCenter;
        return static_cast<int>(a);
    }
    case Qt::BackgroundRole:
        if (style && style->backColor.isValid())
            return style->backColor;
        return QVariant();
    case Qt::ForegroundRole:
        if (style && style->foreColor.isValid())
            return style->foreColor;
        if (d->foreColor.isValid())
            return d->foreColor;
        return QVariant();
    case Qt::FontRole:
        if (style && (style->bold || style->italic)) {
            QFont f;
            f.setBold(style->bold);
            f.setItalic(style->italic);
            return f;
        }
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    Private::ViewScope scope(d.get());
    if (orientation == Qt::Vertical) {
        if (role != Qt::DisplayRole)
            return QVariant();
        const int row = section + 1;
        if (row == currentRow())
            return row == pendingRow() ? QString(QChar(0x270E)) : QString(QChar(0x25B6));
        if (row == newRecordRow())
            return QStringLiteral("*");
        return QString();
    }
    const GridColumn *c = d->columns.item(section + 1);
    if (!c)
        return QVariant();
    const GridFormatStyle *style = d->styles.find(c->headerStyle());
    switch (role) {
    case Qt::DisplayRole:
        return c->caption();
    case Qt::ToolTipRole:
        return c->headerTip().isEmpty() ? QVariant() : QVariant(c->headerTip());
    case Qt::BackgroundRole:
        return style && style->backColor.isValid() ? QVariant(style->backColor) : QVariant();
    case Qt::ForegroundRole:
        return style && style->foreColor.isValid() ? QVariant(style->foreColor) : QVariant();
    default:
        return QVariant();
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Private::ViewScope scope(d.get());
    Qt::ItemFlags f = Qt::ItemIsEnabled;
    const GridColumn *c = d->columns.item(index.column() + 1);
    const int row0 = index.row();
    if (row0 < d->rows() && d->index.isCaption(row0))
        return f | Qt::ItemIsSelectable;
    if (c && c->selectable())
        f |= Qt::ItemIsSelectable;
    if (c && isCellEditable(row0 + 1, c->index())) {
        if (c->kind() == GridColumnKind::CheckBox)
            f |= Qt::ItemIsUserCheckable;
        else if (c->kind() == GridColumnKind::Text)
            f |= Qt::ItemIsEditable;
    }
    return f;
}

bool GridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid())
        return false;
    const int row = index.row() + 1;
    const int column = index.column() + 1;
    if (role == Qt::CheckStateRole) {
        const bool on = value.toInt() == Qt::Checked;
        return setCellValue(row, column, Variant(on), true);
    }
    if (role == Qt::EditRole)
        return setCellText(row, column, value.toString());
    return false;
}

// ---------------------------------------------------------------------------

GridRowFormat::GridRowFormat(const GridModel &model, int row, QString caption)
    : caption(std::move(caption))
    , m_model(model)
    , m_row(row)
{
}

bool GridRowFormat::isGroupCaption() const
{
    return m_model.isGroupCaption(m_row);
}

int GridRowFormat::groupLevel() const
{
    return m_model.groupLevel(m_row);
}

Variant GridRowFormat::value(int column) const
{
    return m_model.valueAt(m_row, column);
}

Variant GridRowFormat::groupValue() const
{
    return m_model.groupValue(m_row);
}

Variant GridRowFormat::groupSum(int column) const
{
    return m_model.groupSum(m_row, column);
}

int GridRowFormat::groupRecordCount() const
{
    return m_model.groupRecordCount(m_row);
}

} // namespace platform
