#pragma once

#include "platform/base/Variant.h"

#include <QList>
#include <QString>

#include <functional>

namespace platform {

// A recordset's client-side criteria, as the Filter and Find texts write
// them: comparisons "<field> <op> <value>" (op one of = <> < > <= >=;
// value a number, a 'text', a #date# or Null) joined by AND and OR.
// Numbers compare after rounding both sides to four decimals, so that
// amounts which add up to zero in floating point count as zero; texts
// compare without regard to case.
class RecordFilter
{
public:
    RecordFilter() = default;

    // Raises DatabaseError (3001) when the text cannot be read or names an
    // unknown field; fieldIndex answers -1 for those.
    static RecordFilter parse(const QString &text, const std::function<int(const QString &)> &fieldIndex);

    bool isEmpty() const { return m_anyOf.isEmpty(); }
    bool matches(const std::function<Variant(int)> &valueOf) const;

private:
    enum class Op { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };
    struct Condition {
        int field = -1;
        Op op = Op::Equal;
        Variant value;
    };
    static bool holds(const Condition &condition, const Variant &value);

    QList<QList<Condition>> m_anyOf; // OR of AND groups
};

} // namespace platform
