#pragma once

#include "platform/base/Variant.h"

#include <QString>

#include <functional>
#include <vector>

namespace platform::report {

// A report expression, the text after the "=" of a control's data field:
// column names (bare, or in [brackets] when they hold blanks or symbols),
// numbers, 'text' or "text" literals, + - * / with parentheses, & to join
// texts, and PageNumber and PageCount. Read once per run, evaluated for
// every record. As in the run-time, arithmetic with Null gives Null, &
// treats Null as empty text, + joins two texts, and a division by zero
// gives Null rather than stopping the report.
class Expression
{
public:
    // Resolves column names through fieldIndex (-1 for an unknown name,
    // which then reads as Null). Raises ReportError(BadExpression) for text
    // that is not an expression.
    static Expression parse(const QString &text, const std::function<int(const QString &)> &fieldIndex);

    // valueOf answers the current record's value of a resolved column.
    Variant evaluate(const std::function<Variant(int)> &valueOf, int pageNumber = 0, int pageCount = 0) const;

    bool usesPageNumber() const { return m_usesPageNumber; }
    bool usesPageCount() const { return m_usesPageCount; }
    // The value does not depend on the record (only literals and pages).
    bool usesFields() const { return m_usesFields; }

private:
    enum class Op { Constant, Field, PageNumber, PageCount, Negate, Add, Subtract, Multiply, Divide, Concat };
    struct Node {
        Op op = Op::Constant;
        Variant constant;
        int field = -1;
        int left = -1;
        int right = -1;
    };
    class Parser;

    Variant eval(int node, const std::function<Variant(int)> &valueOf, int pageNumber, int pageCount) const;

    std::vector<Node> m_nodes;
    int m_root = -1;
    bool m_usesPageNumber = false;
    bool m_usesPageCount = false;
    bool m_usesFields = false;
};

} // namespace platform::report
