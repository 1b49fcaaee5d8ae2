#include "platform/report/SummaryAccumulator.h"

#include "platform/base/RuntimeError.h"

namespace platform::report {

void SummaryAccumulator::add(const Variant &value)
{
    if (value.isNull() || value.isEmpty())
        return;
    double asDouble = 0;
    switch (value.type()) {
    case VarType::Integer:
    case VarType::Long:
    case VarType::Boolean: {
        const std::int64_t v = value.toInt32();
        m_double += static_cast<double>(v);
        if (!m_useDouble && __builtin_add_overflow(m_integer, v, &m_integer))
            m_useDouble = true;
        ++m_count;
        return;
    }
    case VarType::Currency: {
        const Currency c = *value.get<Currency>();
        m_double += c.toDouble();
        if (!m_useDouble) {
            try {
                m_currency += c;
                m_anyCurrency = true;
            } catch (const RuntimeError &) {
                m_useDouble = true;
            }
        }
        ++m_count;
        return;
    }
    case VarType::Single:
    case VarType::Double:
        asDouble = value.toDouble();
        break;
    case VarType::String:
        if (auto d = parseLocaleNumber(*value.get<QString>())) {
            asDouble = *d;
            break;
        }
        ++m_count; // counted, not summed
        return;
    default:
        ++m_count;
        return;
    }
    m_useDouble = true;
    m_double += asDouble;
    ++m_count;
}

Variant SummaryAccumulator::result(SummaryFunction function) const
{
    if (function == SummaryFunction::Count)
        return Variant::fromInt64(m_count);
    if (m_useDouble)
        return Variant(m_double);
    if (m_anyCurrency) {
        try {
            return Variant(m_currency + Currency::fromInt(m_integer));
        } catch (const RuntimeError &) {
            return Variant(m_double);
        }
    }
    return Variant::fromInt64(m_integer);
}

} // namespace platform::report
