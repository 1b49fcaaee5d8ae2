#pragma once

#include <QString>

namespace platform::sqlite {

// One token of an SQLite statement, with its place in the text.
struct SqlToken {
    enum class Kind {
        Word,             // a bare identifier or keyword
        QuotedIdentifier, // "name", [name] or `name`
        String,           // 'text'
        Number,
        Parameter, // ?, ?NNN, :name, @name, $name
        Symbol,    // operators and punctuation
    };
    Kind kind = Kind::Symbol;
    QString text; // as written
    qsizetype start = 0;
    qsizetype end = 0; // one past the last character

    bool isWord(const char *upperKeyword) const
    {
        return kind == Kind::Word && text.compare(QLatin1String(upperKeyword), Qt::CaseInsensitive) == 0;
    }
    bool isSymbol(const char *symbol) const { return kind == Kind::Symbol && text == QLatin1String(symbol); }
    bool isName() const { return kind == Kind::Word || kind == Kind::QuotedIdentifier; }
    // An identifier without its quotes.
    QString name() const;
};

} // namespace platform::sqlite
