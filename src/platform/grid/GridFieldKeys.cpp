#include "platform/grid/GridFieldKeys.h"

#include "platform/base/Variant.h"
#include "platform/grid/GridDataSource.h"
#include "platform/grid/GridText.h"

#include <algorithm>

namespace platform {

namespace {

int compareTexts(const QString &a, const QString &b)
{
    return gridtext::compareIgnoringCase(a, b);
}

// The first 16 folded characters of a text, each clamped to 8 bits, packed
// so that comparing the keys never contradicts comparing the texts. A text
// of at most 16 characters that needed no clamping is exact: equal keys
// then mean equal texts. Longer texts also carry a hash of all their
// folded characters.
struct TextItem {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    std::uint32_t hash = 0; // of the whole folded text; 0 when exact
    std::int32_t record = 0;

    static TextItem of(const QString &text, int record)
    {
        TextItem item;
        item.record = record;
        const qsizetype n = text.size();
        const char16_t *c = QStringView(text).utf16();
        bool exact = n <= 16;
        for (qsizetype i = 0; i < 16; ++i) {
            std::uint64_t byte = 0;
            if (i < n) {
                const char16_t f = gridtext::fold(c[i]);
                if (f > 255 || f == 0)
                    exact = false;
                byte = f > 255 ? 255 : f;
            }
            if (i < 8)
                item.high = (item.high << 8) | byte;
            else
                item.low = (item.low << 8) | byte;
        }
        if (!exact) {
            std::uint32_t h = 2166136261u; // FNV-1a
            for (qsizetype i = 0; i < n; ++i) {
                h ^= gridtext::fold(c[i]);
                h *= 16777619u;
            }
            item.hash = (h ^ static_cast<std::uint32_t>(n)) | 1u;
        }
        return item;
    }
    bool exact() const { return hash == 0; }
};

} // namespace

const QString &GridFieldKeys::text(int record) const
{
    static const QString none;
    if (m_text.empty())
        return none;
    return m_text[static_cast<size_t>(record)];
}

void GridFieldKeys::setTexts(std::vector<QString> texts)
{
    m_text = std::move(texts);
    m_textsKept = true;
}

GridFieldKeys::Kind GridFieldKeys::keyOf(const Variant &value, double &number, QString &text)
{
    number = 0;
    switch (value.type()) {
    case VarType::Empty:
    case VarType::Null:
    case VarType::ByteArray:
        return Kind::Null;
    case VarType::String:
        text = *value.get<QString>();
        return Kind::Text;
    case VarType::Boolean:
        number = *value.get<bool>() ? 1 : 0;
        return Kind::Number;
    case VarType::Date:
        number = value.get<DateTime>()->toSerial();
        return Kind::Number;
    case VarType::Currency:
        number = value.get<Currency>()->toDouble();
        return Kind::Number;
    case VarType::Integer:
        number = *value.get<std::int16_t>();
        return Kind::Number;
    case VarType::Long:
        number = *value.get<std::int32_t>();
        return Kind::Number;
    case VarType::Single:
        number = *value.get<float>();
        return Kind::Number;
    case VarType::Double:
        number = *value.get<double>();
        return Kind::Number;
    }
    return Kind::Null;
}

GridFieldKeys GridFieldKeys::read(const GridDataSource &source, int field)
{
    GridFieldKeys keys;
    const int n = source.recordCount();
    keys.m_kind.resize(static_cast<size_t>(n));
    keys.m_rank.assign(static_cast<size_t>(n), 0);
    std::vector<double> numbers; // sized when the first number comes
    std::vector<TextItem> items; // one per text, see below
    int numberCount = 0;
    QString text;
    for (int r = 0; r < n; ++r) {
        double number = 0;
        const Kind kind = keyOf(source.value(r, field), number, text);
        keys.m_kind[static_cast<size_t>(r)] = static_cast<std::uint8_t>(kind);
        if (kind == Kind::Number) {
            if (numbers.empty())
                numbers.resize(static_cast<size_t>(n), 0.0);
            numbers[static_cast<size_t>(r)] = number;
            ++numberCount;
        } else if (kind == Kind::Text) {
            items.push_back(TextItem::of(text, r));
        }
    }

    // Numbers: ranks 1.. in numeric order.
    std::int32_t next = 1;
    if (numberCount > 0) {
        std::vector<int> order;
        order.reserve(static_cast<size_t>(numberCount));
        for (int r = 0; r < n; ++r) {
            if (keys.m_kind[static_cast<size_t>(r)] == static_cast<std::uint8_t>(Kind::Number))
                order.push_back(r);
        }
        // Data read in the order of this field (an ORDER BY) needs no sorting.
        const auto less = [&numbers](int a, int b) {
            return numbers[static_cast<size_t>(a)] < numbers[static_cast<size_t>(b)];
        };
        if (!std::is_sorted(order.begin(), order.end(), less))
            std::sort(order.begin(), order.end(), less);
        for (size_t i = 0; i < order.size(); ++i) {
            if (i > 0 && numbers[static_cast<size_t>(order[i - 1])] < numbers[static_cast<size_t>(order[i])])
                ++next;
            keys.m_rank[static_cast<size_t>(order[i])] = next;
        }
        ++next;
        keys.m_number = std::move(numbers);
    }

    // Texts: ranks after the numbers, equal texts (ignoring case) sharing one.
    // Records are sorted on a packed key of their first folded characters,
    // which orders them as their texts do wherever the keys differ, and on a
    // hash of the whole folded text (and its length), which brings equal
    // texts together. Only texts whose keys are equal but whose hashes
    // differ are read again and compared in full, once per distinct text.
    keys.m_anyText = !items.empty();
    std::sort(items.begin(), items.end(), [](const TextItem &a, const TextItem &b) {
        if (a.high != b.high)
            return a.high < b.high;
        if (a.low != b.low)
            return a.low < b.low;
        return a.hash < b.hash;
    });
    struct Segment {
        size_t first;
        size_t end;
        QString text;
    };
    std::vector<Segment> segments; // the distinct texts of a run of equal keys
    std::int32_t rank = next - 1;
    size_t run = 0;
    while (run < items.size()) {
        size_t runEnd = run + 1;
        while (runEnd < items.size() && items[runEnd].high == items[run].high && items[runEnd].low == items[run].low)
            ++runEnd;
        if (items[runEnd - 1].exact()) {
            // Equal exact keys are equal texts (exact items sort first in a run).
            ++rank;
            for (size_t i = run; i < runEnd; ++i)
                keys.m_rank[static_cast<size_t>(items[i].record)] = rank;
            run = runEnd;
            continue;
        }
        segments.clear();
        size_t start = run;
        for (size_t i = run + 1; i <= runEnd; ++i) {
            if (i == runEnd || items[i].hash != items[start].hash) {
                segments.push_back(Segment{start, i, QString()});
                start = i;
            }
        }
        if (segments.size() > 1) {
            for (Segment &segment : segments) {
                const Variant v = source.value(items[segment.first].record, field);
                if (const QString *t = v.get<QString>())
                    segment.text = *t;
            }
            std::sort(segments.begin(), segments.end(),
                      [](const Segment &a, const Segment &b) { return compareTexts(a.text, b.text) < 0; });
        }
        for (size_t i = 0; i < segments.size(); ++i) {
            if (i == 0 || compareTexts(segments[i - 1].text, segments[i].text) != 0)
                ++rank;
            for (size_t j = segments[i].first; j < segments[i].end; ++j)
                keys.m_rank[static_cast<size_t>(items[j].record)] = rank;
        }
        run = runEnd;
    }
    return keys;
}

} // namespace platform
