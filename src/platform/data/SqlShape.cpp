#include "platform/data/SqlShape.h"

#include "platform/data/SqlLexer.h"

#include <algorithm>
#include <optional>

namespace platform::sqlite {

namespace {

using Tokens = QList<SqlToken>;

bool opensGroup(const SqlToken &t)
{
    return t.isSymbol("(");
}
bool closesGroup(const SqlToken &t)
{
    return t.isSymbol(")");
}

// The index of the main SELECT: the first one outside parentheses (the
// bodies of a WITH clause are all inside them).
qsizetype mainSelect(const Tokens &tokens)
{
    int depth = 0;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const SqlToken &t = tokens[i];
        if (opensGroup(t))
            ++depth;
        else if (closesGroup(t))
            --depth;
        else if (depth == 0 && t.isWord("SELECT"))
            return i;
        else if (depth == 0 && (t.isWord("INSERT") || t.isWord("UPDATE") || t.isWord("DELETE")
                                || t.isWord("VALUES") || t.isWord("REPLACE")))
            return -1;
    }
    return -1;
}

bool endsSelectList(const SqlToken &t)
{
    static const char *const words[] = {"FROM", "WHERE", "GROUP", "HAVING", "ORDER", "LIMIT", "UNION",
                                        "EXCEPT", "INTERSECT", "WINDOW"};
    for (const char *w : words) {
        if (t.isWord(w))
            return true;
    }
    return t.isSymbol(";");
}

struct SelectItem {
    enum class Kind { Star, Column, Other } kind = Kind::Other;
    QString writtenName;
};

QList<SelectItem> selectItems(const Tokens &tokens, qsizetype select)
{
    QList<SelectItem> items;
    qsizetype i = select + 1;
    if (i < tokens.size() && (tokens[i].isWord("DISTINCT") || tokens[i].isWord("ALL")))
        ++i;
    int depth = 0;
    Tokens current;
    auto finish = [&]() {
        SelectItem item;
        if (current.size() == 1 && current[0].isSymbol("*")) {
            item.kind = SelectItem::Kind::Star;
        } else if (current.size() == 3 && current[0].isName() && current[1].isSymbol(".")
                   && current[2].isSymbol("*")) {
            item.kind = SelectItem::Kind::Star;
        } else {
            // name, or qualifier.name, or schema.qualifier.name
            bool plain = !current.isEmpty() && current.size() % 2 == 1 && current.size() <= 5;
            for (qsizetype k = 0; plain && k < current.size(); ++k)
                plain = (k % 2 == 0) ? current[k].isName() : current[k].isSymbol(".");
            if (plain && current.size() == 1 && current[0].kind == SqlToken::Kind::Word) {
                // a lone keyword-like word such as NULL or TRUE is a value
                static const char *const values[] = {"NULL", "TRUE", "FALSE", "CURRENT_DATE", "CURRENT_TIME",
                                                     "CURRENT_TIMESTAMP"};
                for (const char *v : values)
                    plain = plain && !current[0].isWord(v);
            }
            if (plain) {
                item.kind = SelectItem::Kind::Column;
                item.writtenName = current.back().name();
            }
        }
        items.append(item);
        current.clear();
    };
    for (; i < tokens.size(); ++i) {
        const SqlToken &t = tokens[i];
        if (depth == 0 && endsSelectList(t))
            break;
        if (opensGroup(t))
            ++depth;
        else if (closesGroup(t))
            --depth;
        if (depth == 0 && t.isSymbol(",")) {
            finish();
            continue;
        }
        current.append(t);
    }
    if (!current.isEmpty())
        finish();
    return items;
}

} // namespace

QStringList SqlShape::writtenResultNames(const QString &sql, int columnCount)
{
    QStringList names(columnCount);
    const Tokens tokens = SqlLexer::tokenize(sql);
    const qsizetype select = mainSelect(tokens);
    if (select < 0)
        return names;
    const QList<SelectItem> items = selectItems(tokens, select);
    qsizetype firstStar = -1, lastStar = -1;
    for (qsizetype k = 0; k < items.size(); ++k) {
        if (items[k].kind == SelectItem::Kind::Star) {
            if (firstStar < 0)
                firstStar = k;
            lastStar = k;
        }
    }
    if (firstStar < 0 && items.size() != columnCount)
        return names; // the list was not read right: keep the engine's names
    const qsizetype head = firstStar < 0 ? items.size() : firstStar;
    for (qsizetype k = 0; k < head && k < columnCount; ++k) {
        if (items[k].kind == SelectItem::Kind::Column)
            names[k] = items[k].writtenName;
    }
    if (lastStar >= 0) {
        const qsizetype tail = items.size() - lastStar - 1;
        for (qsizetype k = 0; k < tail; ++k) {
            const qsizetype column = columnCount - tail + k;
            const SelectItem &item = items[lastStar + 1 + k];
            if (column >= head && item.kind == SelectItem::Kind::Column)
                names[column] = item.writtenName;
        }
    }
    return names;
}

QString SqlShape::withLeadingRowid(const QString &sql, const QString &alias)
{
    const Tokens tokens = SqlLexer::tokenize(sql);
    const qsizetype select = mainSelect(tokens);
    if (select < 0)
        return QString();
    qsizetype after = tokens[select].end;
    if (select + 1 < tokens.size()) {
        if (tokens[select + 1].isWord("DISTINCT"))
            return QString();
        if (tokens[select + 1].isWord("ALL"))
            after = tokens[select + 1].end;
    }
    // Rows of a grouped or combined result are not rows of the table.
    int depth = 0;
    for (qsizetype i = select + 1; i < tokens.size(); ++i) {
        const SqlToken &t = tokens[i];
        if (opensGroup(t))
            ++depth;
        else if (closesGroup(t))
            --depth;
        else if (depth == 0
                 && (t.isWord("GROUP") || t.isWord("HAVING") || t.isWord("UNION") || t.isWord("EXCEPT")
                     || t.isWord("INTERSECT") || t.isWord("WINDOW")))
            return QString();
    }
    QString result = sql;
    result.insert(after, QStringLiteral(" rowid AS %1,").arg(SqlLexer::quoteName(alias)));
    return result;
}

QHash<int, SqlShape::Target> SqlShape::parameterTargets(const QString &sql)
{
    const Tokens tokens = SqlLexer::tokenize(sql);

    // Bind indexes as the engine gives them: a name keeps the index of its
    // first appearance; "?" and new names take the next one.
    QHash<qsizetype, int> indexOfToken;
    {
        QHash<QString, int> named;
        int largest = 0;
        for (qsizetype i = 0; i < tokens.size(); ++i) {
            const SqlToken &t = tokens[i];
            if (t.kind != SqlToken::Kind::Parameter)
                continue;
            int index = 0;
            if (t.text == u"?") {
                index = ++largest;
            } else if (t.text.startsWith(u'?')) {
                index = t.text.mid(1).toInt();
                largest = std::max(largest, index);
            } else if (auto it = named.constFind(t.text); it != named.constEnd()) {
                index = *it;
            } else {
                index = ++largest;
                named.insert(t.text, index);
            }
            indexOfToken.insert(i, index);
        }
    }
    QHash<int, Target> targets;
    if (indexOfToken.isEmpty())
        return targets;

    // A column reference that ends at token `last`: name, or q.name.
    auto columnEndingAt = [&](qsizetype last) -> std::optional<Target> {
        if (last < 0 || !tokens[last].isName())
            return std::nullopt;
        static const char *const notColumns[] = {"NULL", "AND", "OR", "NOT", "SELECT", "WHERE", "SET", "ON",
                                                 "WHEN", "THEN", "ELSE", "CASE", "END", "IN", "IS", "LIKE"};
        if (tokens[last].kind == SqlToken::Kind::Word) {
            for (const char *w : notColumns) {
                if (tokens[last].isWord(w))
                    return std::nullopt;
            }
        }
        Target target;
        target.column = tokens[last].name();
        if (last >= 2 && tokens[last - 1].isSymbol(".") && tokens[last - 2].isName())
            target.table = tokens[last - 2].name();
        return target;
    };
    // A column reference that starts at token `first`.
    auto columnStartingAt = [&](qsizetype first) -> std::optional<Target> {
        if (first >= tokens.size() || !tokens[first].isName())
            return std::nullopt;
        qsizetype last = first;
        if (first + 2 < tokens.size() && tokens[first + 1].isSymbol(".") && tokens[first + 2].isName())
            last = first + 2;
        if (last + 1 < tokens.size() && tokens[last + 1].isSymbol("("))
            return std::nullopt; // a function call
        return columnEndingAt(last);
    };
    auto isComparison = [](const SqlToken &t) {
        static const char *const ops[] = {"=", "==", "<>", "!=", "<", "<=", ">", ">="};
        for (const char *op : ops) {
            if (t.isSymbol(op))
                return true;
        }
        return t.isWord("IS") || t.isWord("LIKE");
    };

    for (auto it = indexOfToken.cbegin(); it != indexOfToken.cend(); ++it) {
        const qsizetype p = it.key();
        if (targets.contains(it.value()))
            continue;
        std::optional<Target> target;
        // column OP param (also "IS NOT")
        qsizetype op = p - 1;
        if (op >= 0 && tokens[op].isWord("NOT") && op >= 1 && tokens[op - 1].isWord("IS"))
            --op;
        if (op >= 0 && isComparison(tokens[op]))
            target = columnEndingAt(op - 1);
        // param OP column
        if (!target && p + 2 < tokens.size() && isComparison(tokens[p + 1]))
            target = columnStartingAt(p + 2);
        // column BETWEEN param AND param
        if (!target && p >= 2 && tokens[p - 1].isWord("BETWEEN"))
            target = columnEndingAt(p - 2);
        if (!target && p >= 4 && tokens[p - 1].isWord("AND") && tokens[p - 3].isWord("BETWEEN"))
            target = columnEndingAt(p - 4);
        // column IN (param, param, ...)
        if (!target) {
            qsizetype k = p - 1;
            while (k >= 1 && tokens[k].isSymbol(",") && tokens[k - 1].kind == SqlToken::Kind::Parameter)
                k -= 2;
            if (k >= 1 && tokens[k].isSymbol("(") && tokens[k - 1].isWord("IN"))
                target = columnEndingAt(k - 2);
        }
        if (target)
            targets.insert(it.value(), *target);
    }

    // INSERT INTO t (c1, c2, ...) VALUES (p1, p2, ...)
    for (qsizetype i = 0; i + 2 < tokens.size(); ++i) {
        if (!tokens[i].isWord("INTO") || !tokens[i + 1].isName())
            continue;
        qsizetype k = i + 2;
        QString table = tokens[i + 1].name();
        if (k + 1 < tokens.size() && tokens[k].isSymbol(".") && tokens[k + 1].isName()) {
            table = tokens[k + 1].name();
            k += 2;
        }
        if (k >= tokens.size() || !tokens[k].isSymbol("("))
            break;
        QStringList columns;
        for (++k; k < tokens.size() && !tokens[k].isSymbol(")"); ++k) {
            if (tokens[k].isName())
                columns.append(tokens[k].name());
        }
        if (k + 2 >= tokens.size() || !tokens[k + 1].isWord("VALUES") || !tokens[k + 2].isSymbol("("))
            break;
        int position = 0;
        int depth = 0;
        for (k += 3; k < tokens.size(); ++k) {
            const SqlToken &t = tokens[k];
            if (t.isSymbol("(")) {
                ++depth;
            } else if (t.isSymbol(")")) {
                if (depth-- == 0)
                    break;
            } else if (depth == 0 && t.isSymbol(",")) {
                ++position;
            } else if (depth == 0 && t.kind == SqlToken::Kind::Parameter && position < columns.size()
                       && (k + 1 >= tokens.size() || tokens[k + 1].isSymbol(",") || tokens[k + 1].isSymbol(")"))) {
                targets.insert(indexOfToken.value(k), Target{table, columns[position]});
            }
        }
        break;
    }
    return targets;
}

} // namespace platform::sqlite
