#pragma once

#include "platform/base/Variant.h"
#include "platform/report/ReportEnums.h"

#include <cstdint>

namespace platform::report {

// Adds up the values of a summary field: whole numbers and currency amounts
// exactly (as currency, four decimals), anything with a fraction of another
// kind as a double. Null and Empty values are skipped by both sum and count.
class SummaryAccumulator
{
public:
    void add(const Variant &value);
    void reset() { *this = SummaryAccumulator(); }

    // The sum (0 when nothing was added) or the count.
    Variant result(SummaryFunction function) const;

private:
    std::int64_t m_count = 0;
    bool m_anyCurrency = false;
    bool m_useDouble = false;
    std::int64_t m_integer = 0;
    Currency m_currency;
    double m_double = 0;
};

} // namespace platform::report
