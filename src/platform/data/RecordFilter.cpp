#include "platform/data/RecordFilter.h"

#include "platform/data/DatabaseError.h"

#include <cmath>
#include <optional>

namespace platform {

namespace {

DatabaseError badCriteria()
{
    return DatabaseError::badArguments();
}

// A small reader over the criteria text.
class Reader
{
public:
    explicit Reader(const QString &text) : m_text(text) {}

    void skipBlanks()
    {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace())
            ++m_pos;
    }
    bool atEnd()
    {
        skipBlanks();
        return m_pos >= m_text.size();
    }
    bool keyword(const char *word)
    {
        skipBlanks();
        const QLatin1String w(word);
        if (m_text.mid(m_pos, w.size()).compare(w, Qt::CaseInsensitive) != 0)
            return false;
        const qsizetype after = m_pos + w.size();
        if (after < m_text.size() && (m_text[after].isLetterOrNumber() || m_text[after] == u'_'))
            return false;
        m_pos = after;
        return true;
    }
    QString fieldName()
    {
        skipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == u'[') {
            const qsizetype close = m_text.indexOf(u']', m_pos);
            if (close < 0)
                throw badCriteria();
            const QString name = m_text.mid(m_pos + 1, close - m_pos - 1);
            m_pos = close + 1;
            return name;
        }
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && (m_text[m_pos].isLetterOrNumber() || m_text[m_pos] == u'_'))
            ++m_pos;
        if (m_pos == start)
            throw badCriteria();
        return m_text.mid(start, m_pos - start);
    }
    QString op()
    {
        skipBlanks();
        static const char *const ops[] = {"<>", "<=", ">=", "=", "<", ">"};
        for (const char *o : ops) {
            const QLatin1String s(o);
            if (m_text.mid(m_pos, s.size()) == s) {
                m_pos += s.size();
                return s;
            }
        }
        throw badCriteria();
    }
    Variant value()
    {
        skipBlanks();
        if (m_pos >= m_text.size())
            throw badCriteria();
        const QChar c = m_text[m_pos];
        if (c == u'\'' || c == u'"') {
            QString s;
            ++m_pos;
            while (m_pos < m_text.size()) {
                if (m_text[m_pos] == c) {
                    if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == c) {
                        s += c;
                        m_pos += 2;
                        continue;
                    }
                    ++m_pos;
                    return Variant(s);
                }
                s += m_text[m_pos++];
            }
            throw badCriteria();
        }
        if (c == u'#') {
            const qsizetype close = m_text.indexOf(u'#', m_pos + 1);
            if (close < 0)
                throw badCriteria();
            const QString inside = m_text.mid(m_pos + 1, close - m_pos - 1).trimmed();
            m_pos = close + 1;
            if (auto iso = DateTime::fromIso(inside))
                return Variant(*iso);
            for (const char *format : {"M/d/yyyy", "M/d/yy"}) {
                QDate d = QDate::fromString(inside, QLatin1String(format));
                if (d.isValid()) {
                    if (d.year() < 1930)
                        d = d.addYears(100);
                    return Variant(d);
                }
            }
            throw badCriteria();
        }
        if (keyword("NULL"))
            return Variant::null();
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && !m_text[m_pos].isSpace())
            ++m_pos;
        bool ok = false;
        const double d = m_text.mid(start, m_pos - start).toDouble(&ok);
        if (!ok)
            throw badCriteria();
        return Variant(d);
    }

private:
    QString m_text;
    qsizetype m_pos = 0;
};

std::optional<double> numberOf(const Variant &v)
{
    if (v.isNumber() || v.type() == VarType::Boolean)
        return v.toDouble();
    if (const QString *s = v.get<QString>())
        return parseLocaleNumber(*s, QLocale::c());
    return std::nullopt;
}

long long fourDecimals(double d)
{
    return std::llround(d * 10000.0);
}

} // namespace

RecordFilter RecordFilter::parse(const QString &text, const std::function<int(const QString &)> &fieldIndex)
{
    RecordFilter filter;
    Reader reader(text);
    if (reader.atEnd())
        return filter;
    QList<Condition> group;
    for (;;) {
        Condition c;
        c.field = fieldIndex(reader.fieldName());
        if (c.field < 0)
            throw badCriteria();
        const QString op = reader.op();
        c.op = op == u"=" ? Op::Equal
             : op == u"<>" ? Op::NotEqual
             : op == u"<" ? Op::Less
             : op == u"<=" ? Op::LessEqual
             : op == u">" ? Op::Greater
                          : Op::GreaterEqual;
        c.value = reader.value();
        group.append(c);
        if (reader.atEnd())
            break;
        if (reader.keyword("AND"))
            continue;
        if (reader.keyword("OR")) {
            filter.m_anyOf.append(group);
            group.clear();
            continue;
        }
        throw badCriteria();
    }
    filter.m_anyOf.append(group);
    return filter;
}

bool RecordFilter::holds(const Condition &condition, const Variant &value)
{
    const Variant &wanted = condition.value;
    if (wanted.isNull()) {
        const bool isNull = value.isNull() || value.isEmpty();
        return condition.op == Op::Equal ? isNull : condition.op == Op::NotEqual ? !isNull : false;
    }
    if (value.isNull() || value.isEmpty())
        return false;

    int order = 0;
    if (wanted.isNumber()) {
        const auto have = numberOf(value);
        if (!have)
            return false;
        const long long a = fourDecimals(*have);
        const long long b = fourDecimals(wanted.toDouble());
        order = a < b ? -1 : a > b ? 1 : 0;
    } else if (wanted.isDate()) {
        if (!value.isDate())
            return false;
        const DateTime a = *value.get<DateTime>();
        const DateTime b = *wanted.get<DateTime>();
        order = a < b ? -1 : a > b ? 1 : 0;
    } else {
        QString have;
        if (const QString *s = value.get<QString>())
            have = *s;
        else if (value.isDate())
            have = value.get<DateTime>()->toIso();
        else
            have = value.toString(QLocale::c());
        order = have.compare(*wanted.get<QString>(), Qt::CaseInsensitive);
        order = order < 0 ? -1 : order > 0 ? 1 : 0;
    }
    switch (condition.op) {
    case Op::Equal: return order == 0;
    case Op::NotEqual: return order != 0;
    case Op::Less: return order < 0;
    case Op::LessEqual: return order <= 0;
    case Op::Greater: return order > 0;
    case Op::GreaterEqual: return order >= 0;
    }
    return false;
}

bool RecordFilter::matches(const std::function<Variant(int)> &valueOf) const
{
    if (m_anyOf.isEmpty())
        return true;
    for (const QList<Condition> &group : m_anyOf) {
        bool all = true;
        for (const Condition &c : group) {
            if (!holds(c, valueOf(c.field))) {
                all = false;
                break;
            }
        }
        if (all)
            return true;
    }
    return false;
}

} // namespace platform
