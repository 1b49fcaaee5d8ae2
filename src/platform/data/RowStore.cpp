#include "platform/data/RowStore.h"

#include "platform/data/Statement.h"

#include <sqlite3.h>

#include <algorithm>
#include <bit>
#include <cstring>

namespace platform::sqlite {

namespace {

// The arena's chunks grow with the rows, so that a few rows take a few bytes.
constexpr std::size_t firstChunkBytes = 4096;
constexpr std::size_t largestChunkBytes = 1024 * 1024;

} // namespace

void RowStore::reset(int cellsPerRow)
{
    m_cellsPerRow = cellsPerRow;
    m_rows = 0;
    m_blocks.clear();
    m_arena.clear();
    m_arenaUsed = 0;
}

std::size_t RowStore::blockOf(int row)
{
    // Block b starts at row firstBlockRows * (2^b - 1).
    return static_cast<std::size_t>(std::bit_width(static_cast<unsigned>(row / firstBlockRows) + 1) - 1);
}

RowStore::Cell RowStore::cellAt(int row, int cell) const
{
    const std::size_t block = blockOf(row);
    const std::size_t first = firstBlockRows * ((std::size_t(1) << block) - 1);
    const std::size_t at = (static_cast<std::size_t>(row) - first) * static_cast<std::size_t>(m_cellsPerRow)
        + static_cast<std::size_t>(cell);
    return Cell{m_blocks[block].payload[at], m_blocks[block].kinds[at]};
}

int RowStore::appendRow()
{
    const std::size_t block = blockOf(m_rows);
    if (block == m_blocks.size()) {
        const std::size_t cells = (std::size_t(firstBlockRows) << block) * static_cast<std::size_t>(m_cellsPerRow);
        // Left uninitialised: a large block's pages are touched only as rows fill them.
        m_blocks.push_back(Block{std::make_unique_for_overwrite<std::int64_t[]>(cells),
                                 std::make_unique_for_overwrite<SqlValue::Kind[]>(cells)});
    }
    const int row = m_rows++;
    if (m_cellsPerRow > 0)
        std::fill_n(&cellAt(row, 0).kind, m_cellsPerRow, SqlValue::Kind::Null);
    return row;
}

void RowStore::appendRows(Statement &statement, const std::vector<int> &columns)
{
    sqlite3_stmt *st = statement.handle();
    while (statement.step()) {
        // A row's cells follow one another in its block.
        const Cell first = cellAt(appendRow(), 0);
        std::int64_t *payload = &first.payload;
        SqlValue::Kind *kind = &first.kind;
        for (std::size_t cell = 0; cell < columns.size(); ++cell) {
            const int c = columns[cell];
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER:
                kind[cell] = SqlValue::Kind::Integer;
                payload[cell] = sqlite3_column_int64(st, c);
                break;
            case SQLITE_FLOAT:
                kind[cell] = SqlValue::Kind::Real;
                payload[cell] = std::bit_cast<std::int64_t>(sqlite3_column_double(st, c));
                break;
            case SQLITE_TEXT: {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, c));
                kind[cell] = SqlValue::Kind::Text;
                payload[cell] = keepBytes(text, static_cast<std::size_t>(sqlite3_column_bytes(st, c)));
                break;
            }
            case SQLITE_BLOB: {
                const auto *data = static_cast<const char *>(sqlite3_column_blob(st, c));
                kind[cell] = SqlValue::Kind::Blob;
                payload[cell] = keepBytes(data, static_cast<std::size_t>(sqlite3_column_bytes(st, c)));
                break;
            }
            default:
                break;
            }
        }
    }
}

SqlValue::Kind RowStore::kind(int row, int cell) const
{
    return cellAt(row, cell).kind;
}

SqlValue RowStore::value(int row, int cell) const
{
    const Cell at = cellAt(row, cell);
    std::uint32_t size = 0;
    switch (at.kind) {
    case SqlValue::Kind::Null:
        break;
    case SqlValue::Kind::Integer:
        return SqlValue::integer(at.payload);
    case SqlValue::Kind::Real:
        return SqlValue::real(std::bit_cast<double>(at.payload));
    case SqlValue::Kind::Text: {
        const char *text = bytesAt(at.payload, size);
        return SqlValue::text(QString::fromUtf8(text, size));
    }
    case SqlValue::Kind::Blob: {
        const char *data = bytesAt(at.payload, size);
        return SqlValue::blob(QByteArray(data, size));
    }
    }
    return SqlValue();
}

void RowStore::setValue(int row, int cell, const SqlValue &value)
{
    Cell to = cellAt(row, cell);
    to.kind = value.kind();
    switch (value.kind()) {
    case SqlValue::Kind::Null:
        break;
    case SqlValue::Kind::Integer:
        to.payload = value.toInteger();
        break;
    case SqlValue::Kind::Real:
        to.payload = std::bit_cast<std::int64_t>(value.toReal());
        break;
    case SqlValue::Kind::Text: {
        const QByteArray utf8 = value.toText().toUtf8();
        to.payload = keepBytes(utf8.constData(), static_cast<std::size_t>(utf8.size()));
        break;
    }
    case SqlValue::Kind::Blob:
        to.payload = keepBytes(value.toBlob().constData(), static_cast<std::size_t>(value.toBlob().size()));
        break;
    }
}

std::int64_t RowStore::keepBytes(const char *data, std::size_t size)
{
    const auto length = static_cast<std::uint32_t>(size);
    const std::size_t needed = sizeof length + size;
    if (m_arena.empty() || m_arenaUsed + needed > m_arena.back().size) {
        const std::size_t chunk = std::max(std::min(firstChunkBytes << m_arena.size(), largestChunkBytes), needed);
        m_arena.push_back(Chunk{std::make_unique_for_overwrite<char[]>(chunk), chunk});
        m_arenaUsed = 0;
    }
    char *at = m_arena.back().bytes.get() + m_arenaUsed;
    std::memcpy(at, &length, sizeof length);
    if (size > 0)
        std::memcpy(at + sizeof length, data, size);
    const auto place = (static_cast<std::int64_t>(m_arena.size() - 1) << 32) | static_cast<std::int64_t>(m_arenaUsed);
    m_arenaUsed += needed;
    return place;
}

const char *RowStore::bytesAt(std::int64_t place, std::uint32_t &size) const
{
    const char *at = m_arena[static_cast<std::size_t>(place >> 32)].bytes.get() + (place & 0xffffffff);
    std::memcpy(&size, at, sizeof size);
    return at + sizeof size;
}

} // namespace platform::sqlite
