#include "platform/data/QueryCatalogue.h"

#include "platform/data/JetTemplateQueries.h"

namespace platform::sqlite {

const QString &QueryCatalogue::tableName()
{
    static const QString name = QStringLiteral("_jet_queries");
    return name;
}

const QString &QueryCatalogue::createStatement()
{
    static const QString sql = QStringLiteral(
        "CREATE TABLE IF NOT EXISTS _jet_queries(name TEXT PRIMARY KEY COLLATE NOCASE, params TEXT, body TEXT)");
    return sql;
}

bool QueryCatalogue::isSystemTable(const QString &name)
{
    // The stock tables are kept by triggers: nobody edits them by hand.
    return name.startsWith(QStringLiteral("sqlite_"), Qt::CaseInsensitive)
        || name.compare(tableName(), Qt::CaseInsensitive) == 0
        || name.compare(QLatin1String(jet::templatequeries::LoadsTable), Qt::CaseInsensitive) == 0
        || name.compare(QLatin1String(jet::templatequeries::BalancesTable), Qt::CaseInsensitive) == 0;
}

void QueryCatalogue::parseParameters(const QString &text, QStringList &names, QStringList &types)
{
    names.clear();
    types.clear();
    QString declaration = text.trimmed();
    if (declaration.startsWith(QStringLiteral("PARAMETERS "), Qt::CaseInsensitive))
        declaration = declaration.mid(11);
    if (declaration.endsWith(u';'))
        declaration.chop(1);

    // Split at commas outside brackets and parentheses.
    QStringList items;
    QString current;
    int depth = 0;
    for (QChar c : declaration) {
        if (c == u'[' || c == u'(')
            ++depth;
        else if (c == u']' || c == u')')
            --depth;
        if (c == u',' && depth == 0) {
            items.append(current);
            current.clear();
        } else {
            current.append(c);
        }
    }
    items.append(current);

    for (QString item : items) {
        item = item.trimmed();
        if (item.isEmpty())
            continue;
        QString name;
        QString type;
        if (item.startsWith(u'[')) {
            const qsizetype close = item.indexOf(u']');
            name = item.mid(1, close < 0 ? -1 : close - 1);
            type = close < 0 ? QString() : item.mid(close + 1).trimmed();
        } else {
            const qsizetype space = item.indexOf(u' ');
            name = space < 0 ? item : item.left(space);
            type = space < 0 ? QString() : item.mid(space + 1).trimmed();
        }
        names.append(name);
        types.append(type);
    }
}

QString QueryCatalogue::formatParameters(const QStringList &names, const QStringList &types)
{
    QStringList items;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString &n = names[i];
        const bool plain = !n.isEmpty() && !n.contains(u' ') && !n.contains(u',') && !n.contains(u'[');
        QString item = plain ? n : u'[' + n + u']';
        if (i < types.size() && !types[i].isEmpty())
            item += u' ' + types[i];
        items.append(item);
    }
    return items.join(QStringLiteral(", "));
}

} // namespace platform::sqlite
