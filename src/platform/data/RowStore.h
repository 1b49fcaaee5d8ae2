#pragma once

#include "platform/data/SqlValue.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace platform::sqlite {

class Statement;

// The stored values of a recordset's rows, held compactly: a row is a run
// of fixed-size cells (a kind byte and eight bytes holding the integer, the
// real, or where the bytes of a text or blob are) in blocks that are never
// moved or copied as rows are added. Texts, as the engine gives them
// (UTF-8), and blobs are copied one after the other into an arena, without
// an allocation each, and made into strings only when read. Values come
// back as SqlValue, exactly as stored.
class RowStore
{
public:
    explicit RowStore(int cellsPerRow = 0) : m_cellsPerRow(cellsPerRow) {}

    // Drops every row; rows from now on have `cellsPerRow` cells.
    void reset(int cellsPerRow);
    int cellsPerRow() const { return m_cellsPerRow; }
    int rowCount() const { return m_rows; }

    // Adds a row of Nulls and answers its number.
    int appendRow();
    // Adds every row the statement still has to give: cell i of each row
    // takes the statement's column columns[i].
    void appendRows(Statement &statement, const std::vector<int> &columns);

    SqlValue::Kind kind(int row, int cell) const;
    SqlValue value(int row, int cell) const;
    void setValue(int row, int cell, const SqlValue &value);

private:
    // Rows live in blocks of growing size: block b holds firstBlockRows << b
    // rows, so that a small recordset takes little and a large one few blocks.
    static constexpr int firstBlockRows = 16;
    struct Block {
        std::unique_ptr<std::int64_t[]> payload;
        std::unique_ptr<SqlValue::Kind[]> kinds;
    };
    // A cell's two parts, in place.
    struct Cell {
        std::int64_t &payload;
        SqlValue::Kind &kind;
    };
    struct Chunk {
        std::unique_ptr<char[]> bytes;
        std::size_t size;
    };

    static std::size_t blockOf(int row);
    Cell cellAt(int row, int cell) const;
    // Copies bytes into the arena, after their 4-byte length; answers where.
    std::int64_t keepBytes(const char *data, std::size_t size);
    // The bytes kept at a place, and their size.
    const char *bytesAt(std::int64_t place, std::uint32_t &size) const;

    int m_cellsPerRow;
    int m_rows = 0;
    std::vector<Block> m_blocks;
    std::vector<Chunk> m_arena;
    std::size_t m_arenaUsed = 0; // bytes used in the last chunk
};

} // namespace platform::sqlite
