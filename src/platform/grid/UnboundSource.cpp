#include "platform/grid/UnboundSource.h"

#include <algorithm>

namespace platform {

UnboundSource::UnboundSource(int rows, int fields, Reader reader)
    : m_rows(std::max(rows, 0))
    , m_fields(std::max(fields, 0))
    , m_reader(std::move(reader))
    , m_cache(static_cast<size_t>(m_rows))
{
}

Variant UnboundSource::value(int record, int field) const
{
    if (record < 0 || record >= m_rows || field < 0 || field >= m_fields)
        return Variant();
    auto &row = m_cache[static_cast<size_t>(record)];
    if (!row) {
        std::vector<Variant> values(static_cast<size_t>(m_fields));
        if (m_reader)
            m_reader(record, values);
        values.resize(static_cast<size_t>(m_fields));
        row = std::move(values);
    }
    return (*row)[static_cast<size_t>(field)];
}

void UnboundSource::forget()
{
    for (auto &row : m_cache)
        row.reset();
}

} // namespace platform
