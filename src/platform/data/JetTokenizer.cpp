#include "platform/data/JetTokenizer.h"

#include "platform/data/JetTranslator.h"

namespace platform::jet {

namespace {

QString describeJetError(std::int32_t number)
{
    switch (number) {
    case ErrParameters:
        return QStringLiteral("I parametri non corrispondono a quelli richiesti dalla query.");
    case ErrNoSuchQuery:
        return QStringLiteral("Impossibile trovare la tabella o la query richiesta.");
    default:
        return QStringLiteral("Errore di sintassi nell'istruzione SQL.");
    }
}

} // namespace

RuntimeError jetError(std::int32_t number, const QString &detail, const QString &description)
{
    RuntimeError error(number, description.isEmpty() ? describeJetError(number) : description,
                       QString::fromLatin1(ErrorSource));
    error.setDetail(detail);
    return error;
}

void raiseJetError(std::int32_t number, const QString &detail, const QString &description)
{
    throw jetError(number, detail, description);
}

QString describePosition(qsizetype position)
{
    return QStringLiteral("character %1").arg(position + 1);
}

namespace {

bool isIdentifierStart(QChar c)
{
    return c == u'_' || c.isLetter() || c.isSurrogate();
}

bool isIdentifierPart(QChar c)
{
    return c == u'_' || c.isLetterOrNumber() || c.isMark() || c.isSurrogate();
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

[[noreturn]] void raiseAt(qsizetype position, const QString &what)
{
    raiseJetError(ErrSyntax, QStringLiteral("Syntax error: %1 at %2.").arg(what, describePosition(position)));
}

// Reads a run of decimal digits from text at i; at most maxDigits of them.
// Answers the number of digits read (0 when none).
int readDigits(QStringView text, qsizetype &i, int &value, int maxDigits)
{
    int n = 0;
    value = 0;
    while (i < text.size() && isDigit(text[i])) {
        if (n == maxDigits)
            return -1;
        value = value * 10 + (text[i].unicode() - u'0');
        ++i;
        ++n;
    }
    return n;
}

void skipBlanks(QStringView text, qsizetype &i)
{
    while (i < text.size() && text[i].isSpace())
        ++i;
}

} // namespace

std::optional<DateTime> parseJetDate(QStringView text)
{
    qsizetype i = 0;
    skipBlanks(text, i);

    QDate date(1899, 12, 30); // Jet's day zero, for a time without a date
    bool haveDate = false;
    int a = 0;
    const int aDigits = readDigits(text, i, a, 4);
    if (aDigits <= 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == u'/' || text[i] == u'-')) {
        const QChar sep = text[i++];
        int b = 0;
        int c = 0;
        if (readDigits(text, i, b, 2) <= 0 || i >= text.size() || text[i] != sep)
            return std::nullopt;
        ++i;
        const int cDigits = readDigits(text, i, c, 4);
        if (cDigits <= 0)
            return std::nullopt;
        int year = 0;
        int month = 0;
        int day = 0;
        if (aDigits > 2) { // year first: 2026-03-15, 2026/03/15
            if (cDigits > 2)
                return std::nullopt;
            year = a;
            month = b;
            day = c;
        } else { // month first, as Jet reads every other literal
            month = a;
            day = b;
            year = c;
            // Jet's two-digit-year window: 00-29 are this century, 30-99 the last.
            if (cDigits <= 2)
                year += year < 30 ? 2000 : 1900;
        }
        if (year < 100 || year > 9999)
            return std::nullopt;
        date = QDate(year, month, day);
        if (!date.isValid())
            return std::nullopt;
        haveDate = true;
        skipBlanks(text, i);
        if (i == text.size())
            return DateTime(date);
        // A time follows the date.
        a = 0;
        if (readDigits(text, i, a, 2) <= 0)
            return std::nullopt;
    } else if (aDigits > 2) {
        return std::nullopt;
    }

    // The time of day: h:mm[:ss] [AM|PM]
    int hour = a;
    int minute = 0;
    int second = 0;
    if (i >= text.size() || text[i] != u':')
        return std::nullopt;
    ++i;
    if (readDigits(text, i, minute, 2) <= 0)
        return std::nullopt;
    if (i < text.size() && text[i] == u':') {
        ++i;
        if (readDigits(text, i, second, 2) <= 0)
            return std::nullopt;
    }
    skipBlanks(text, i);
    if (i < text.size()) {
        const QStringView rest = text.mid(i).trimmed();
        const bool am = rest.compare(u"AM", Qt::CaseInsensitive) == 0;
        const bool pm = rest.compare(u"PM", Qt::CaseInsensitive) == 0;
        if (!am && !pm)
            return std::nullopt;
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour = hour % 12 + (pm ? 12 : 0);
    }
    if (hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    if (!haveDate && hour == 0 && minute == 0 && second == 0)
        return DateTime(date);
    return DateTime(date, QTime(hour, minute, second));
}

QList<Token> tokenize(QStringView sql)
{
    QList<Token> tokens;
    const qsizetype n = sql.size();
    // SQLite reads a statement only up to a NUL character, even inside a
    // literal, so the text would not be the one translated.
    if (const qsizetype nul = sql.indexOf(QChar(0)); nul >= 0)
        raiseAt(nul, QStringLiteral("NUL character"));
    qsizetype i = 0;
    while (true) {
        while (i < n && sql[i].isSpace())
            ++i;
        Token t;
        t.position = i;
        if (i >= n) {
            t.kind = Token::Kind::End;
            tokens.append(t);
            return tokens;
        }
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"') {
            // A string literal; the quote character doubled stands for itself.
            t.kind = Token::Kind::String;
            ++i;
            while (true) {
                if (i >= n)
                    raiseAt(t.position, QStringLiteral("unterminated string"));
                if (sql[i] == c) {
                    if (i + 1 < n && sql[i + 1] == c) {
                        t.text += c;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                t.text += sql[i++];
            }
        } else if (c == u'[') {
            // A bracketed name ends at the first ']'; Jet has no escape for it.
            t.kind = Token::Kind::Bracketed;
            const qsizetype close = sql.indexOf(u']', i + 1);
            if (close < 0)
                raiseAt(t.position, QStringLiteral("missing ']'"));
            t.text = sql.mid(i + 1, close - i - 1).toString();
            if (t.text.trimmed().isEmpty())
                raiseAt(t.position, QStringLiteral("empty name '[]'"));
            if (t.text.contains(u'['))
                raiseAt(t.position, QStringLiteral("'[' inside a bracketed name"));
            i = close + 1;
        } else if (c == u'#') {
            t.kind = Token::Kind::Date;
            const qsizetype close = sql.indexOf(u'#', i + 1);
            if (close < 0)
                raiseAt(t.position, QStringLiteral("unterminated date literal"));
            t.text = sql.mid(i + 1, close - i - 1).toString();
            const auto d = parseJetDate(t.text);
            if (!d)
                raiseAt(t.position, QStringLiteral("invalid date '#%1#'").arg(t.text));
            t.date = *d;
            i = close + 1;
        } else if (isDigit(c) || (c == u'.' && i + 1 < n && isDigit(sql[i + 1]))) {
            t.kind = Token::Kind::Number;
            while (i < n && isDigit(sql[i]))
                ++i;
            if (i < n && sql[i] == u'.') {
                ++i;
                while (i < n && isDigit(sql[i]))
                    ++i;
            }
            if (i < n && (sql[i] == u'e' || sql[i] == u'E')) {
                qsizetype j = i + 1;
                if (j < n && (sql[j] == u'+' || sql[j] == u'-'))
                    ++j;
                if (j < n && isDigit(sql[j])) {
                    i = j;
                    while (i < n && isDigit(sql[i]))
                        ++i;
                }
            }
            t.text = sql.mid(t.position, i - t.position).toString();
        } else if (isIdentifierStart(c)) {
            t.kind = Token::Kind::Identifier;
            while (i < n && isIdentifierPart(sql[i]))
                ++i;
            t.text = sql.mid(t.position, i - t.position).toString();
        } else if (c == u'?') {
            t.kind = Token::Kind::Parameter;
            t.text = QStringLiteral("?");
            ++i;
        } else {
            t.kind = Token::Kind::Operator;
            const QChar next = i + 1 < n ? sql[i + 1] : QChar();
            if ((c == u'<' && (next == u'>' || next == u'=')) || (c == u'>' && next == u'=')) {
                t.text = sql.mid(i, 2).toString();
                i += 2;
            } else if (QStringView(u"(),.;+-*/\\^&=<>!").contains(c)) {
                t.text = QString(c);
                ++i;
            } else {
                raiseAt(i, QStringLiteral("unexpected character '%1'").arg(c));
            }
        }
        t.length = i - t.position;
        tokens.append(t);
    }
}

} // namespace platform::jet
