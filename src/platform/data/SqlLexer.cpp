#include "platform/data/SqlLexer.h"

namespace platform::sqlite {

QString SqlToken::name() const
{
    if (kind != Kind::QuotedIdentifier || text.size() < 2)
        return text;
    const QChar open = text.front();
    QString inner = text.mid(1, text.size() - 2);
    if (open == u'"')
        inner.replace(QStringLiteral("\"\""), QStringLiteral("\""));
    else if (open == u'`')
        inner.replace(QStringLiteral("``"), QStringLiteral("`"));
    return inner;
}

namespace {

bool isWordStart(QChar c)
{
    return c.isLetter() || c == u'_' || c.unicode() > 127;
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$' || c.unicode() > 127;
}

// End of a quoted run opened at `from` by `quote`, where a doubled quote
// stands for itself; the text's end when it is not closed.
qsizetype quotedEnd(const QString &s, qsizetype from, QChar quote)
{
    qsizetype i = from + 1;
    while (i < s.size()) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote && quote != u']') {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return s.size();
}

} // namespace

QList<SqlToken> SqlLexer::tokenize(const QString &s)
{
    QList<SqlToken> tokens;
    qsizetype i = 0;
    const qsizetype n = s.size();
    auto add = [&](SqlToken::Kind kind, qsizetype start, qsizetype end) {
        tokens.append(SqlToken{kind, s.mid(start, end - start), start, end});
    };
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            while (i < n && s[i] != u'\n')
                ++i;
        } else if (c == u'/' && i + 1 < n && s[i + 1] == u'*') {
            const qsizetype close = s.indexOf(QStringLiteral("*/"), i + 2);
            i = close < 0 ? n : close + 2;
        } else if (c == u'\'') {
            const qsizetype end = quotedEnd(s, i, u'\'');
            add(SqlToken::Kind::String, i, end);
            i = end;
        } else if (c == u'"' || c == u'`') {
            const qsizetype end = quotedEnd(s, i, c);
            add(SqlToken::Kind::QuotedIdentifier, i, end);
            i = end;
        } else if (c == u'[') {
            const qsizetype end = quotedEnd(s, i, u']');
            add(SqlToken::Kind::QuotedIdentifier, i, end);
            i = end;
        } else if ((c == u'x' || c == u'X') && i + 1 < n && s[i + 1] == u'\'') {
            const qsizetype end = quotedEnd(s, i + 1, u'\'');
            add(SqlToken::Kind::String, i, end);
            i = end;
        } else if (isWordStart(c)) {
            qsizetype j = i + 1;
            while (j < n && isWordChar(s[j]))
                ++j;
            add(SqlToken::Kind::Word, i, j);
            i = j;
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && s[i + 1].isDigit())) {
            qsizetype j = i;
            if (c == u'0' && j + 1 < n && (s[j + 1] == u'x' || s[j + 1] == u'X')) {
                j += 2;
                while (j < n && (s[j].isDigit() || QStringLiteral("abcdefABCDEF").contains(s[j])))
                    ++j;
            } else {
                while (j < n && (s[j].isDigit() || s[j] == u'.'))
                    ++j;
                if (j < n && (s[j] == u'e' || s[j] == u'E')) {
                    qsizetype k = j + 1;
                    if (k < n && (s[k] == u'+' || s[k] == u'-'))
                        ++k;
                    if (k < n && s[k].isDigit()) {
                        j = k;
                        while (j < n && s[j].isDigit())
                            ++j;
                    }
                }
            }
            add(SqlToken::Kind::Number, i, j);
            i = j;
        } else if (c == u'?') {
            qsizetype j = i + 1;
            while (j < n && s[j].isDigit())
                ++j;
            add(SqlToken::Kind::Parameter, i, j);
            i = j;
        } else if ((c == u':' || c == u'@' || c == u'$') && i + 1 < n && isWordChar(s[i + 1])) {
            qsizetype j = i + 1;
            while (j < n && isWordChar(s[j]))
                ++j;
            add(SqlToken::Kind::Parameter, i, j);
            i = j;
        } else {
            static const char *const twoChar[] = {"<=", ">=", "<>", "!=", "==", "||", "<<", ">>", "->"};
            qsizetype len = 1;
            for (const char *op : twoChar) {
                if (i + 1 < n && s[i] == QLatin1Char(op[0]) && s[i + 1] == QLatin1Char(op[1])) {
                    len = 2;
                    break;
                }
            }
            add(SqlToken::Kind::Symbol, i, i + len);
            i += len;
        }
    }
    return tokens;
}

QString SqlLexer::quoteName(const QString &name)
{
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

} // namespace platform::sqlite
