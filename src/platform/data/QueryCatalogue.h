#pragma once

#include <QString>
#include <QStringList>

namespace platform::sqlite {

// The table that keeps the database's stored parameter queries:
//   _jet_queries(name TEXT PRIMARY KEY COLLATE NOCASE, params TEXT, body TEXT)
// where params is the parameter declaration as written after PARAMETERS
// ("d2 DateTime, d1 DateTime"; names may be [bracketed]) and body is the
// query's SELECT in the Jet dialect. The catalogue reports it as a system
// table and lists its rows as procedures.
class QueryCatalogue
{
public:
    static const QString &tableName();
    static const QString &createStatement();

    // True for the layer's own tables and the engine's.
    static bool isSystemTable(const QString &name);

    // Reads "d2 DateTime, [Data da] DateTime" into names and types.
    static void parseParameters(const QString &text, QStringList &names, QStringList &types);
    static QString formatParameters(const QStringList &names, const QStringList &types);
};

} // namespace platform::sqlite
