#include "platform/grid/GridLayout.h"

#include "platform/base/DateTime.h"
#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/grid/Grid.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>

#include <algorithm>

namespace platform {

namespace {

const QString FormatName = QStringLiteral("velmora-grid-layout");

[[noreturn]] void notALayout(const QString &why)
{
    throw RuntimeError(err::InvalidProcedureCall, QStringLiteral("Not a grid layout: %1").arg(why));
}

QString colorText(const QColor &color)
{
    return color.isValid() ? color.name(QColor::HexRgb) : QString();
}

QColor colorOf(const QJsonValue &value)
{
    const QString text = value.toString();
    return text.isEmpty() ? QColor() : QColor(text);
}

// Default values keep their kind: {"type": "...", "value": ...}.
QJsonValue variantToJson(const Variant &v)
{
    QJsonObject o;
    switch (v.type()) {
    case VarType::Empty:
        return QJsonValue();
    case VarType::Null:
        o.insert(QStringLiteral("type"), QStringLiteral("null"));
        break;
    case VarType::Boolean:
        o.insert(QStringLiteral("type"), QStringLiteral("boolean"));
        o.insert(QStringLiteral("value"), *v.get<bool>());
        break;
    case VarType::Integer:
    case VarType::Long:
        o.insert(QStringLiteral("type"), QStringLiteral("long"));
        o.insert(QStringLiteral("value"), v.toInt32());
        break;
    case VarType::Single:
    case VarType::Double:
        o.insert(QStringLiteral("type"), QStringLiteral("double"));
        o.insert(QStringLiteral("value"), v.toDouble());
        break;
    case VarType::Currency:
        o.insert(QStringLiteral("type"), QStringLiteral("currency"));
        o.insert(QStringLiteral("value"), v.get<Currency>()->toString());
        break;
    case VarType::Date:
        o.insert(QStringLiteral("type"), QStringLiteral("date"));
        o.insert(QStringLiteral("value"), v.get<DateTime>()->toIso());
        break;
    case VarType::String:
        o.insert(QStringLiteral("type"), QStringLiteral("string"));
        o.insert(QStringLiteral("value"), *v.get<QString>());
        break;
    case VarType::ByteArray:
        return QJsonValue();
    }
    return o;
}

Variant variantFromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return Variant();
    const QJsonObject o = value.toObject();
    const QString type = o.value(QStringLiteral("type")).toString();
    const QJsonValue v = o.value(QStringLiteral("value"));
    if (type == QLatin1String("null"))
        return Variant::null();
    if (type == QLatin1String("boolean"))
        return Variant(v.toBool());
    if (type == QLatin1String("long"))
        return Variant(static_cast<std::int32_t>(v.toInt()));
    if (type == QLatin1String("double"))
        return Variant(v.toDouble());
    if (type == QLatin1String("currency")) {
        if (auto c = Currency::fromString(v.toString()))
            return Variant(*c);
        return Variant();
    }
    if (type == QLatin1String("date")) {
        if (auto d = DateTime::fromIso(v.toString()))
            return Variant(*d);
        return Variant();
    }
    if (type == QLatin1String("string"))
        return Variant(v.toString());
    return Variant();
}

QJsonArray keysToJson(const GridKeyList &keys, const GridColumns &columns)
{
    QJsonArray array;
    for (const GridKey &k : keys.keys()) {
        QJsonObject o;
        o.insert(QStringLiteral("column"), k.column);
        if (const GridColumn *c = columns.item(k.column))
            o.insert(QStringLiteral("key"), c->key());
        o.insert(QStringLiteral("order"), static_cast<int>(k.order));
        array.append(o);
    }
    return array;
}

std::vector<GridKey> keysFromJson(const QJsonArray &array, const GridColumns &columns)
{
    std::vector<GridKey> keys;
    for (const QJsonValue &v : array) {
        const QJsonObject o = v.toObject();
        const GridColumn *c = columns.item(o.value(QStringLiteral("key")).toString());
        if (!c)
            c = columns.item(o.value(QStringLiteral("column")).toInt());
        if (!c)
            continue;
        const SortOrder order =
            o.value(QStringLiteral("order")).toInt(1) < 0 ? SortOrder::Descending : SortOrder::Ascending;
        if (std::none_of(keys.begin(), keys.end(), [c](const GridKey &k) { return k.column == c->index(); }))
            keys.push_back(GridKey{c->index(), order});
    }
    return keys;
}

QJsonObject columnToJson(const GridColumn &c)
{
    QJsonObject o;
    o.insert(QStringLiteral("index"), c.index());
    o.insert(QStringLiteral("key"), c.key());
    o.insert(QStringLiteral("caption"), c.caption());
    o.insert(QStringLiteral("dataField"), c.dataField());
    o.insert(QStringLiteral("width"), c.width());
    o.insert(QStringLiteral("visible"), c.visible());
    o.insert(QStringLiteral("position"), c.position());
    o.insert(QStringLiteral("format"), c.format());
    o.insert(QStringLiteral("alignment"), static_cast<int>(c.alignment()));
    o.insert(QStringLiteral("typeCode"), c.typeCode());
    if (c.listName() != c.caption())
        o.insert(QStringLiteral("listName"), c.listName());
    o.insert(QStringLiteral("headerTip"), c.headerTip());
    o.insert(QStringLiteral("resizable"), c.resizable());
    o.insert(QStringLiteral("editable"), c.editable());
    o.insert(QStringLiteral("selectable"), c.selectable());
    o.insert(QStringLiteral("formatStyle"), c.formatStyle());
    o.insert(QStringLiteral("headerStyle"), c.headerStyle());
    const QJsonValue defaultValue = variantToJson(c.defaultValue());
    if (!defaultValue.isUndefined() && !defaultValue.isNull())
        o.insert(QStringLiteral("defaultValue"), defaultValue);
    return o;
}

void columnFromJson(GridColumn &c, const QJsonObject &o, bool withKey)
{
    if (withKey) {
        c.setKey(o.value(QStringLiteral("key")).toString());
        c.setDataField(o.value(QStringLiteral("dataField")).toString());
    }
    c.setCaption(o.value(QStringLiteral("caption")).toString(c.caption()));
    if (o.contains(QStringLiteral("listName")))
        c.setListName(o.value(QStringLiteral("listName")).toString());
    c.setHeaderTip(o.value(QStringLiteral("headerTip")).toString());
    c.setFormat(o.value(QStringLiteral("format")).toString());
    c.setAlignment(Qt::Alignment(o.value(QStringLiteral("alignment")).toInt()));
    const int kind = o.value(QStringLiteral("typeCode")).toInt();
    c.setKind(kind == 1 ? GridColumnKind::Image : kind == 2 ? GridColumnKind::CheckBox : GridColumnKind::Text);
    c.setResizable(o.value(QStringLiteral("resizable")).toBool(true));
    c.setEditable(o.value(QStringLiteral("editable")).toBool(true));
    c.setSelectable(o.value(QStringLiteral("selectable")).toBool(true));
    c.setFormatStyle(o.value(QStringLiteral("formatStyle")).toString(QStringLiteral("Default")));
    c.setHeaderStyle(o.value(QStringLiteral("headerStyle")).toString(QStringLiteral("Default")));
    c.setDefaultValue(variantFromJson(o.value(QStringLiteral("defaultValue"))));
    const int width = o.value(QStringLiteral("width")).toInt(GridColumn::DefaultWidth);
    const bool visible = o.value(QStringLiteral("visible")).toBool(true);
    c.setWidth(width);
    if (width > 0)
        c.setVisible(visible);
}

} // namespace

QString GridLayout::toText(const Grid &grid, bool withSource)
{
    Grid &g = const_cast<Grid &>(grid);
    GridModel *model = g.model();
    QJsonObject root;
    root.insert(QStringLiteral("format"), FormatName);
    root.insert(QStringLiteral("version"), Version);
    if (withSource) {
        root.insert(QStringLiteral("recordSource"), model->recordSource());
        root.insert(QStringLiteral("lockType"), static_cast<int>(model->lockType()));
    }
    QJsonArray columns;
    for (int i = 1; i <= model->columns().count(); ++i)
        columns.append(columnToJson(*model->column(i)));
    root.insert(QStringLiteral("columns"), columns);
    root.insert(QStringLiteral("sortKeys"), keysToJson(model->sortKeys(), model->columns()));
    root.insert(QStringLiteral("groups"), keysToJson(model->groups(), model->columns()));
    root.insert(QStringLiteral("groupsExpanded"), model->groupsExpanded());
    QJsonArray styles;
    for (const auto &s : model->formatStyles().all()) {
        QJsonObject o;
        o.insert(QStringLiteral("name"), s->name);
        o.insert(QStringLiteral("backColor"), colorText(s->backColor));
        o.insert(QStringLiteral("foreColor"), colorText(s->foreColor));
        o.insert(QStringLiteral("bold"), s->bold);
        o.insert(QStringLiteral("italic"), s->italic);
        styles.append(o);
    }
    root.insert(QStringLiteral("formatStyles"), styles);
    root.insert(QStringLiteral("headerFont"), grid.headerFont().toString());
    root.insert(QStringLiteral("rowFont"), grid.rowFont().toString());
    root.insert(QStringLiteral("headerForeColor"), colorText(grid.headerForeColor()));
    root.insert(QStringLiteral("foreColor"), colorText(grid.foreColor()));
    root.insert(QStringLiteral("groupRowBackColor"), colorText(grid.groupRowBackColor()));
    QJsonObject options;
    options.insert(QStringLiteral("allowEdit"), grid.allowEdit());
    options.insert(QStringLiteral("allowAddNew"), grid.allowAddNew());
    options.insert(QStringLiteral("allowDelete"), grid.allowDelete());
    options.insert(QStringLiteral("rowHeaders"), grid.rowHeaders());
    options.insert(QStringLiteral("columnHeaders"), grid.columnHeaders());
    options.insert(QStringLiteral("columnsMovable"), grid.columnsMovable());
    options.insert(QStringLiteral("gridLines"), static_cast<int>(grid.gridLineStyle()));
    options.insert(QStringLiteral("autoSizeColumns"), grid.autoSizeColumns());
    options.insert(QStringLiteral("recordNavigator"), grid.recordNavigatorCaption());
    root.insert(QStringLiteral("options"), options);
    return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
}

void GridLayout::apply(Grid &grid, const QString &text, bool bind, const QString &connectionString)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (doc.isNull() || !doc.isObject())
        notALayout(error.errorString());
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toString() != FormatName)
        notALayout(QStringLiteral("unknown format"));
    if (root.value(QStringLiteral("version")).toInt() > Version)
        notALayout(QStringLiteral("newer version"));

    GridModel *model = grid.model();
    const QJsonArray columns = root.value(QStringLiteral("columns")).toArray();
    const bool replaceColumns = bind || model->columns().count() == 0;
    const bool bindSource = bind && root.contains(QStringLiteral("recordSource"));
    const QString recordSource = root.value(QStringLiteral("recordSource")).toString();
    const QString bindOn = connectionString.isEmpty() ? model->connectionString() : connectionString;

    // A layout only says which rows it shows: its record source must read
    // them and nothing else. The database's own errors (it cannot be
    // opened, the source names a table it lacks) go to the caller.
    if (bindSource && !recordSource.trimmed().isEmpty() && !Connection(bindOn).isQuery(recordSource))
        notALayout(QStringLiteral("the record source is not a query"));

    // Columns: the layout's own ones, or the grid's matched by key. The grid
    // hears of them once, when all are in place: a change told column by
    // column would lay every column out again each time.
    GridColumns &gridColumns = model->columns();
    gridColumns.setMuted(true);
    const auto unmute = qScopeGuard([&gridColumns] { gridColumns.setMuted(false); });
    std::vector<std::pair<GridColumn *, int>> positions;
    positions.reserve(static_cast<size_t>(columns.size()));
    if (replaceColumns) {
        model->sortKeys().clear();
        model->groups().clear();
        gridColumns.clear();
        for (const QJsonValue &v : columns) {
            const QJsonObject o = v.toObject();
            GridColumn *c = gridColumns.add();
            columnFromJson(*c, o, true);
            positions.emplace_back(c, o.value(QStringLiteral("position")).toInt(c->index()));
        }
    } else {
        for (const QJsonValue &v : columns) {
            const QJsonObject o = v.toObject();
            GridColumn *c = gridColumns.item(o.value(QStringLiteral("key")).toString());
            if (!c)
                continue;
            columnFromJson(*c, o, false);
            positions.emplace_back(c, o.value(QStringLiteral("position")).toInt(c->position()));
        }
    }
    std::stable_sort(positions.begin(), positions.end(),
                     [](const auto &a, const auto &b) { return a.second < b.second; });
    if (replaceColumns) {
        // Every column has its place: left to right by position.
        std::vector<GridColumn *> order;
        order.reserve(positions.size());
        for (const auto &entry : positions)
            order.push_back(entry.first);
        gridColumns.setDisplayOrder(std::move(order));
    } else {
        for (const auto &[c, position] : positions)
            c->setPosition(position);
    }
    gridColumns.setMuted(false);
    gridColumns.notify(nullptr, GridColumn::Change::Binding);

    GridFormatStyles &styles = model->formatStyles();
    for (const QJsonValue &v : root.value(QStringLiteral("formatStyles")).toArray()) {
        const QJsonObject o = v.toObject();
        GridFormatStyle &s = styles.add(o.value(QStringLiteral("name")).toString());
        s.backColor = colorOf(o.value(QStringLiteral("backColor")));
        s.foreColor = colorOf(o.value(QStringLiteral("foreColor")));
        s.bold = o.value(QStringLiteral("bold")).toBool();
        s.italic = o.value(QStringLiteral("italic")).toBool();
    }
    styles.changed();

    QFont font;
    if (font.fromString(root.value(QStringLiteral("headerFont")).toString()))
        grid.setHeaderFont(font);
    if (font.fromString(root.value(QStringLiteral("rowFont")).toString()))
        grid.setRowFont(font);
    grid.setHeaderForeColor(colorOf(root.value(QStringLiteral("headerForeColor"))));
    grid.setForeColor(colorOf(root.value(QStringLiteral("foreColor"))));
    grid.setGroupRowBackColor(colorOf(root.value(QStringLiteral("groupRowBackColor"))));

    const QJsonObject options = root.value(QStringLiteral("options")).toObject();
    grid.setAllowEdit(options.value(QStringLiteral("allowEdit")).toBool());
    grid.setAllowAddNew(options.value(QStringLiteral("allowAddNew")).toBool());
    grid.setAllowDelete(options.value(QStringLiteral("allowDelete")).toBool());
    grid.setRowHeaders(options.value(QStringLiteral("rowHeaders")).toBool());
    grid.setColumnHeaders(options.value(QStringLiteral("columnHeaders")).toBool(true));
    grid.setColumnsMovable(options.value(QStringLiteral("columnsMovable")).toBool(true));
    const int lines = options.value(QStringLiteral("gridLines")).toInt(0);
    grid.setGridLineStyle(lines == -1 ? GridLineStyle::None
                          : lines == 1 ? GridLineStyle::Dashes
                          : lines == 2 ? GridLineStyle::Dots
                                       : GridLineStyle::Solid);
    grid.setAutoSizeColumns(options.value(QStringLiteral("autoSizeColumns")).toBool());
    grid.setRecordNavigatorCaption(options.value(QStringLiteral("recordNavigator")).toString());

    // The keys first: the rows are then put in order once, with the groups
    // expanded or collapsed as the layout says (binding the rows puts every
    // group in the grid's state anyway).
    model->sortKeys().assign(keysFromJson(root.value(QStringLiteral("sortKeys")).toArray(), model->columns()));
    model->groups().assign(keysFromJson(root.value(QStringLiteral("groups")).toArray(), model->columns()));
    const bool expanded = root.value(QStringLiteral("groupsExpanded")).toBool(true);
    if (!bindSource || expanded != model->groupsExpanded()) {
        if (expanded)
            model->expandAll();
        else
            model->collapseAll();
    }

    if (bindSource) {
        model->setRecordSource(recordSource);
        const int lock = root.value(QStringLiteral("lockType")).toInt(static_cast<int>(LockType::ReadOnly));
        model->setLockType(lock == 4   ? LockType::BatchOptimistic
                           : lock == 3 ? LockType::Optimistic
                                       : LockType::ReadOnly);
        if (!connectionString.isEmpty())
            model->setConnectionString(connectionString);
        grid.rebind();
    }
}

} // namespace platform
