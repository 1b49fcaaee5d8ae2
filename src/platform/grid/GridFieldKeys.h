#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace platform {

class GridDataSource;
class Variant;

// The values of one field of every record, read once and reduced to ranks
// that compare as the values do: Null first, then numbers (numbers,
// Booleans, currency, dates) in numeric order, then texts compared without
// regard to case, as the database compares them. Records whose values are
// equal share a rank, so that sorting and grouping on several fields
// compare small integers and never go back to the data. The numbers stay
// for sums and for finding; the texts are kept only once a search needs
// them, since they are what takes memory.
class GridFieldKeys
{
public:
    enum class Kind : std::uint8_t { Null, Number, Text };

    GridFieldKeys() = default;
    static GridFieldKeys read(const GridDataSource &source, int field);

    int size() const { return static_cast<int>(m_rank.size()); }
    Kind kind(int record) const { return static_cast<Kind>(m_kind[static_cast<size_t>(record)]); }
    // The number of a Number record, 0 otherwise.
    double number(int record) const { return m_number.empty() ? 0.0 : m_number[static_cast<size_t>(record)]; }
    std::int32_t rank(int record) const { return m_rank[static_cast<size_t>(record)]; }
    // Negative, 0 or positive as record a sorts before, with or after b.
    int compare(int a, int b) const
    {
        const std::int32_t x = m_rank[static_cast<size_t>(a)];
        const std::int32_t y = m_rank[static_cast<size_t>(b)];
        return x < y ? -1 : (y < x ? 1 : 0);
    }

    // Whether any record holds a text, or a number.
    bool anyText() const { return m_anyText; }
    bool anyNumber() const { return !m_number.empty(); }
    // The text of a Text record as stored (once texts are kept).
    bool hasTexts() const { return m_textsKept; }
    const QString &text(int record) const;
    // Keeps the texts read separately (the texts of every record).
    void setTexts(std::vector<QString> texts);

    // The key of a single value: its kind, with its number or its text.
    static Kind keyOf(const Variant &value, double &number, QString &text);

private:
    std::vector<std::uint8_t> m_kind;
    std::vector<double> m_number;   // empty when no record holds a number
    std::vector<std::int32_t> m_rank;
    std::vector<QString> m_text;    // empty unless kept (or no record holds text)
    bool m_textsKept = false;
    bool m_anyText = false;
};

} // namespace platform
