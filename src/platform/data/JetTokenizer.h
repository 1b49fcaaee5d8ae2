#pragma once

#include "platform/base/DateTime.h"
#include "platform/base/RuntimeError.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <cstdint>

namespace platform::jet {

// Error numbers the translator raises, as the Jet OLE DB provider reports
// them, with the engine as their source.
inline constexpr std::int32_t ErrSyntax = static_cast<std::int32_t>(0x80040E14u);
inline constexpr std::int32_t ErrParameters = static_cast<std::int32_t>(0x80040E10u);
inline constexpr std::int32_t ErrNoSuchQuery = static_cast<std::int32_t>(0x80040E37u);
inline constexpr char ErrorSource[] = "Microsoft JET Database Engine";

// The translator's error: the Italian description of its number (or the
// one given), the English explanation (what was expected, and where) in
// the detail, the engine as its source.
RuntimeError jetError(std::int32_t number, const QString &detail, const QString &description = {});
[[noreturn]] void raiseJetError(std::int32_t number, const QString &detail, const QString &description = {});

// One lexical unit of a Jet SQL statement and where it stands in the text.
struct Token {
    enum class Kind {
        Identifier, // a bare name or keyword, as written
        Bracketed,  // [name]: text is the name between the brackets
        String,     // 'text' or "text": text is the value, quotes undone
        Date,       // #...#: text is the inside, date the value read from it
        Number,     // as written
        Operator,   // punctuation and operators: ( ) , . ; + - * / & = <> ...
        Parameter,  // ? (an anonymous positional parameter)
        End,        // after the last token
    };

    Kind kind = Kind::End;
    QString text;
    DateTime date;           // Date tokens only
    qsizetype position = 0;  // offset of the token in the statement (UTF-16 units)
    qsizetype length = 0;

    // A bare identifier equal to the keyword, ignoring case.
    bool is(QStringView keyword) const
    {
        return kind == Kind::Identifier && text.compare(keyword, Qt::CaseInsensitive) == 0;
    }
    bool isOp(QStringView op) const { return kind == Kind::Operator && text == op; }
    // An identifier, bracketed or not.
    bool isName() const { return kind == Kind::Identifier || kind == Kind::Bracketed; }
};

// Splits a Jet SQL statement into tokens. The list always ends with an End
// token. Raises RuntimeError (ErrSyntax) for an unterminated literal or
// name, an invalid #date# literal, or a character that has no place in Jet
// SQL; the message tells the character position.
QList<Token> tokenize(QStringView sql);

// The text of a position for error messages: "character 12" (1-based).
QString describePosition(qsizetype position);

} // namespace platform::jet
