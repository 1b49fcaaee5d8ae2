#pragma once

#include "platform/data/SqlToken.h"

#include <QList>
#include <QString>

namespace platform::sqlite {

// Splits an SQLite statement into tokens, skipping blanks and comments,
// so that the layer can look at a statement's shape (its result columns,
// the columns its parameters are compared with) without being misled by
// quotes inside string literals or names.
class SqlLexer
{
public:
    static QList<SqlToken> tokenize(const QString &sql);

    // Quotes a name for SQLite: "name", with inner quotes doubled.
    static QString quoteName(const QString &name);
};

} // namespace platform::sqlite
