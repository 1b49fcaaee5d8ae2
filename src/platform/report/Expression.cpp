#include "platform/report/Expression.h"

#include "platform/report/ReportError.h"

#include <cmath>
#include <limits>

namespace platform::report {

// Recursive descent over the expression text; precedence from low to
// high: &, then + and -, then * and /, then unary minus.
class Expression::Parser
{
public:
    Parser(const QString &text, Expression &out, const std::function<int(const QString &)> &fieldIndex)
        : m_text(text), m_out(out), m_fieldIndex(fieldIndex)
    {
    }

    void run()
    {
        m_out.m_root = concat();
        skipBlanks();
        if (m_pos < m_text.size())
            fail(QStringLiteral("unexpected '%1'").arg(m_text.mid(m_pos, 10)));
    }

private:
    [[noreturn]] void fail(const QString &why) const
    {
        throw ReportError(ReportError::Kind::BadExpression,
                          QStringLiteral("L'espressione \"%1\" del report non è valida.").arg(m_text),
                          QStringLiteral("Cannot read the expression \"%1\": %2").arg(m_text, why));
    }

    void skipBlanks()
    {
        while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
            ++m_pos;
    }

    bool accept(QChar c)
    {
        skipBlanks();
        if (m_pos < m_text.size() && m_text.at(m_pos) == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    int add(Node node)
    {
        m_out.m_nodes.push_back(std::move(node));
        return static_cast<int>(m_out.m_nodes.size()) - 1;
    }

    int binary(Op op, int left, int right)
    {
        Node n;
        n.op = op;
        n.left = left;
        n.right = right;
        return add(std::move(n));
    }

    int concat()
    {
        int left = additive();
        while (accept(u'&'))
            left = binary(Op::Concat, left, additive());
        return left;
    }

    int additive()
    {
        int left = term();
        for (;;) {
            if (accept(u'+'))
                left = binary(Op::Add, left, term());
            else if (accept(u'-'))
                left = binary(Op::Subtract, left, term());
            else
                return left;
        }
    }

    int term()
    {
        int left = unary();
        for (;;) {
            if (accept(u'*'))
                left = binary(Op::Multiply, left, unary());
            else if (accept(u'/'))
                left = binary(Op::Divide, left, unary());
            else
                return left;
        }
    }

    int unary()
    {
        if (accept(u'-')) {
            Node n;
            n.op = Op::Negate;
            n.left = unary();
            return add(std::move(n));
        }
        if (accept(u'+'))
            return unary();
        return primary();
    }

    int primary()
    {
        skipBlanks();
        if (m_pos >= m_text.size())
            fail(QStringLiteral("the expression ends too early"));
        const QChar c = m_text.at(m_pos);
        if (c == u'(') {
            ++m_pos;
            const int inner = concat();
            if (!accept(u')'))
                fail(QStringLiteral("a ')' is missing"));
            return inner;
        }
        if (c == u'\'' || c == u'"')
            return stringLiteral(c);
        if (c.isDigit() || (c == u'.' && m_pos + 1 < m_text.size() && m_text.at(m_pos + 1).isDigit()))
            return number();
        if (c == u'[') {
            const int close = m_text.indexOf(u']', m_pos + 1);
            if (close < 0)
                fail(QStringLiteral("a ']' is missing"));
            const QString name = m_text.mid(m_pos + 1, close - m_pos - 1);
            m_pos = close + 1;
            return field(name);
        }
        if (c.isLetter() || c == u'_') {
            const int start = m_pos;
            while (m_pos < m_text.size() && (m_text.at(m_pos).isLetterOrNumber() || m_text.at(m_pos) == u'_'))
                ++m_pos;
            return name(m_text.mid(start, m_pos - start));
        }
        fail(QStringLiteral("unexpected '%1'").arg(c));
    }

    int stringLiteral(QChar quote)
    {
        QString value;
        ++m_pos;
        for (;;) {
            if (m_pos >= m_text.size())
                fail(QStringLiteral("a text is not closed"));
            const QChar c = m_text.at(m_pos++);
            if (c == quote) {
                if (m_pos < m_text.size() && m_text.at(m_pos) == quote) {
                    value += quote;
                    ++m_pos;
                    continue;
                }
                break;
            }
            value += c;
        }
        Node n;
        n.constant = Variant(value);
        return add(std::move(n));
    }

    int number()
    {
        const int start = m_pos;
        while (m_pos < m_text.size() && (m_text.at(m_pos).isDigit() || m_text.at(m_pos) == u'.'))
            ++m_pos;
        const QString digits = m_text.mid(start, m_pos - start);
        Node n;
        if (!digits.contains(u'.')) {
            bool ok = false;
            const qlonglong whole = digits.toLongLong(&ok);
            if (ok) {
                n.constant = Variant::fromInt64(whole);
                return add(std::move(n));
            }
        }
        bool ok = false;
        const double value = digits.toDouble(&ok);
        if (!ok)
            fail(QStringLiteral("'%1' is not a number").arg(digits));
        n.constant = Variant(value);
        return add(std::move(n));
    }

    int name(const QString &word)
    {
        Node n;
        if (word.compare(u"PageNumber", Qt::CaseInsensitive) == 0) {
            n.op = Op::PageNumber;
            m_out.m_usesPageNumber = true;
            return add(std::move(n));
        }
        if (word.compare(u"PageCount", Qt::CaseInsensitive) == 0) {
            n.op = Op::PageCount;
            m_out.m_usesPageCount = true;
            return add(std::move(n));
        }
        if (word.compare(u"Null", Qt::CaseInsensitive) == 0) {
            n.constant = Variant::null();
            return add(std::move(n));
        }
        return field(word);
    }

    int field(const QString &name)
    {
        Node n;
        n.op = Op::Field;
        n.field = m_fieldIndex ? m_fieldIndex(name.trimmed()) : -1;
        m_out.m_usesFields = true;
        return add(std::move(n));
    }

    const QString &m_text;
    Expression &m_out;
    const std::function<int(const QString &)> &m_fieldIndex;
    int m_pos = 0;
};

Expression Expression::parse(const QString &text, const std::function<int(const QString &)> &fieldIndex)
{
    Expression e;
    Parser(text, e, fieldIndex).run();
    return e;
}

namespace {

enum class NumKind { Integer, Currency, Double };

// The numeric reading of a value for arithmetic: nullopt when it has none.
struct Number {
    NumKind kind = NumKind::Integer;
    std::int64_t integer = 0;
    Currency currency;
    double real = 0;
};

std::optional<Number> toNumber(const Variant &v)
{
    Number n;
    switch (v.type()) {
    case VarType::Empty:
        return n;
    case VarType::Boolean:
    case VarType::Integer:
    case VarType::Long:
        n.integer = v.toInt32();
        return n;
    case VarType::Currency:
        n.kind = NumKind::Currency;
        n.currency = *v.get<Currency>();
        return n;
    case VarType::Single:
    case VarType::Double:
        n.kind = NumKind::Double;
        n.real = v.toDouble();
        return n;
    case VarType::Date:
        n.kind = NumKind::Double;
        n.real = v.get<DateTime>()->toSerial();
        return n;
    case VarType::String:
        if (auto d = parseLocaleNumber(*v.get<QString>())) {
            n.kind = NumKind::Double;
            n.real = *d;
            return n;
        }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

double asDouble(const Number &n)
{
    switch (n.kind) {
    case NumKind::Integer: return static_cast<double>(n.integer);
    case NumKind::Currency: return n.currency.toDouble();
    case NumKind::Double: return n.real;
    }
    return 0;
}

Currency asCurrency(const Number &n)
{
    return n.kind == NumKind::Currency ? n.currency : Currency::fromInt(n.integer);
}

Variant fromDouble(double d)
{
    if (!std::isfinite(d))
        return Variant::null();
    return Variant(d);
}

// + - * on two numbers, in the widest kind of the two; integer and
// currency results that overflow continue as doubles.
Variant arithmetic(char op, const Number &a, const Number &b)
{
    const auto real = [&]() {
        const double x = asDouble(a);
        const double y = asDouble(b);
        return fromDouble(op == '+' ? x + y : op == '-' ? x - y : x * y);
    };
    if (a.kind == NumKind::Double || b.kind == NumKind::Double)
        return real();
    if (a.kind == NumKind::Currency || b.kind == NumKind::Currency) {
        try {
            const Currency x = asCurrency(a);
            const Currency y = asCurrency(b);
            return Variant(op == '+' ? x + y : op == '-' ? x - y : x * y);
        } catch (const RuntimeError &) {
            return real();
        }
    }
    std::int64_t r = 0;
    const bool overflow = op == '+'   ? __builtin_add_overflow(a.integer, b.integer, &r)
                          : op == '-' ? __builtin_sub_overflow(a.integer, b.integer, &r)
                                      : __builtin_mul_overflow(a.integer, b.integer, &r);
    if (overflow)
        return real();
    return Variant::fromInt64(r);
}

} // namespace

Variant Expression::evaluate(const std::function<Variant(int)> &valueOf, int pageNumber, int pageCount) const
{
    if (m_root < 0)
        return Variant::null();
    return eval(m_root, valueOf, pageNumber, pageCount);
}

Variant Expression::eval(int index, const std::function<Variant(int)> &valueOf, int pageNumber, int pageCount) const
{
    const Node &n = m_nodes[static_cast<size_t>(index)];
    switch (n.op) {
    case Op::Constant:
        return n.constant;
    case Op::Field:
        return n.field >= 0 && valueOf ? valueOf(n.field) : Variant::null();
    case Op::PageNumber:
        return Variant(static_cast<std::int32_t>(pageNumber));
    case Op::PageCount:
        return Variant(static_cast<std::int32_t>(pageCount));
    case Op::Negate: {
        const Variant v = eval(n.left, valueOf, pageNumber, pageCount);
        if (v.isNull())
            return v;
        const auto num = toNumber(v);
        if (!num)
            return Variant::null();
        return arithmetic('-', Number{}, *num);
    }
    case Op::Concat: {
        const Variant a = eval(n.left, valueOf, pageNumber, pageCount);
        const Variant b = eval(n.right, valueOf, pageNumber, pageCount);
        const QString x = a.isNull() ? QString() : a.toString();
        const QString y = b.isNull() ? QString() : b.toString();
        return Variant(x + y);
    }
    case Op::Add:
    case Op::Subtract:
    case Op::Multiply:
    case Op::Divide: {
        const Variant a = eval(n.left, valueOf, pageNumber, pageCount);
        const Variant b = eval(n.right, valueOf, pageNumber, pageCount);
        if (a.isNull() || b.isNull())
            return Variant::null();
        if (n.op == Op::Add && (a.isString() || b.isString())) {
            // Two texts join; a text and a number add when the text reads
            // as a number, and join otherwise.
            const auto x = toNumber(a);
            const auto y = toNumber(b);
            if ((a.isString() && b.isString()) || !x || !y)
                return Variant(a.toString() + b.toString());
        }
        const auto x = toNumber(a);
        const auto y = toNumber(b);
        if (!x || !y)
            return Variant::null();
        if (n.op == Op::Divide) {
            const double divisor = asDouble(*y);
            if (divisor == 0)
                return Variant::null();
            return fromDouble(asDouble(*x) / divisor);
        }
        return arithmetic(n.op == Op::Add ? '+' : n.op == Op::Subtract ? '-' : '*', *x, *y);
    }
    }
    return Variant::null();
}

} // namespace platform::report
