#include "platform/report/ReportDocument.h"

#include "platform/report/FontMeasure.h"
#include "platform/report/ReportControl.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace platform::report {

RenderedItem RenderedItem::of(const ReportControl &control, double x, double y)
{
    RenderedItem item;
    item.source = control.kind;
    item.name = control.name;
    item.rect = QRectF(x + control.left, y + control.top, control.width, control.height);
    item.color = control.foreColor.isValid() ? control.foreColor.rgba() : 0xff000000;
    item.backColor = control.backColor.isValid() ? control.backColor.rgba() : 0;
    item.lineWidth = control.lineWidth;
    item.alignment = control.alignment;
    item.wordWrap = control.wordWrap;
    switch (control.kind) {
    case ControlKind::Label:
    case ControlKind::Field:
        item.kind = Kind::Text;
        break;
    case ControlKind::Line:
        item.kind = Kind::Line;
        item.rect = QRectF(QPointF(x + control.left, y + control.top), QPointF(x + control.x2, y + control.y2));
        break;
    case ControlKind::Shape:
        item.kind = Kind::Shape;
        item.shape = control.shape;
        item.cornerRadius = control.cornerRadius;
        break;
    case ControlKind::CheckBox:
        item.kind = Kind::CheckBox;
        break;
    case ControlKind::Picture:
        item.kind = Kind::Picture;
        item.sizeMode = control.sizeMode;
        break;
    case ControlKind::Barcode:
        item.kind = Kind::Barcode;
        item.captionPosition = control.captionPosition;
        break;
    }
    return item;
}

// What the items of one control share.
struct ReportDocument::Style {
    RenderedItem::Kind kind = RenderedItem::Kind::Text;
    ControlKind source = ControlKind::Label;
    TextAlign alignment = TextAlign::Left;
    bool wordWrap = true;
    ShapeStyle shape = ShapeStyle::Rectangle;
    PictureSizeMode sizeMode = PictureSizeMode::Zoom;
    BarcodeCaption captionPosition = BarcodeCaption::Below;
    int font = -1;
    QRgb color = 0;
    QRgb backColor = 0;
    double left = 0;
    double width = 0;
    double lineWidth = 0;
    double cornerRadius = 0;
    QString name;
    QString format;
    std::shared_ptr<const QImage> image;

    static Style of(const RenderedItem &item)
    {
        return Style{item.kind,        item.source,          item.alignment,   item.wordWrap,
                     item.shape,       item.sizeMode,        item.captionPosition,
                     item.font,        item.color,           item.backColor,   item.rect.left(),
                     item.rect.width(), item.lineWidth,      item.cornerRadius, item.name,
                     item.format,      item.image};
    }
    bool matches(const RenderedItem &item) const
    {
        return kind == item.kind && source == item.source && alignment == item.alignment && wordWrap == item.wordWrap
               && shape == item.shape && sizeMode == item.sizeMode && captionPosition == item.captionPosition
               && font == item.font && color == item.color && backColor == item.backColor
               && left == item.rect.left() && width == item.rect.width() && lineWidth == item.lineWidth
               && cornerRadius == item.cornerRadius && image == item.image && name == item.name
               && format == item.format;
    }
};

// What the bands of one section in one label column share.
struct ReportDocument::BandStyle {
    SectionKind kind = SectionKind::Detail;
    QString section;
    int groupLevel = -1;
    int column = 0;
    double left = 0;
    double width = 0;

    bool matches(const RenderedBand &band) const
    {
        return kind == band.kind && groupLevel == band.groupLevel && column == band.column
               && left == band.rect.left() && width == band.rect.width() && section == band.section;
    }
};

namespace {

size_t hashStyle(const QString &name, double left, double width, int font, size_t seed = 0)
{
    return qHashMulti(seed, name, left, width, font);
}

// How an item's value is kept.
enum class ValueKind : std::uint8_t {
    Empty,
    Null,
    Text,     // a string equal to the item's text
    String,   // a string of its own in the page's text buffer
    Boolean,
    Integer,
    Long,
    Single,
    Double,
    Currency,
    Date,     // Julian day and milliseconds since midnight
    Other     // in the page's list of other values
};

} // namespace

// An item: its shared part by number, its place down the page, its text in
// the page's buffer and its value.
struct ReportDocument::Item {
    std::uint32_t style = 0;
    std::uint32_t text = 0; // offset in the page's text buffer
    std::uint32_t textSize = 0; // with Page::Wide for a text in UTF-16
    ValueKind valueKind = ValueKind::Empty;
    bool checked = false;
    double top = 0;
    double height = 0;
    // The value: a number, the Julian day and the time, or a string's
    // offset and size in the text buffer, or the index of an other value.
    union {
        std::int64_t integer;
        double real;
        float single;
        std::int32_t pair[2];
    } payload{0};
};

struct ReportDocument::Band {
    std::uint32_t style = 0;
    std::uint32_t firstItem = 0;
    std::uint32_t itemCount = 0;
    double top = 0;
    double height = 0;
};

struct ReportDocument::Page {
    std::vector<Item> items;
    std::vector<Band> bands;
    // The texts of the items, one after the other: a text of Latin-1
    // characters (nearly all of them) a byte a character, another in UTF-16.
    std::vector<char> text;
    std::vector<Variant> others;
    // Barcode symbols by item number, in item order.
    std::vector<std::pair<std::uint32_t, std::shared_ptr<const BarcodeSymbol>>> barcodes;

    // The size of a kept text carries this bit when it is kept in UTF-16.
    static constexpr std::uint32_t Wide = 0x80000000u;

    QString textAt(std::uint32_t offset, std::uint32_t size) const
    {
        const char *start = text.data() + offset;
        if (!(size & Wide))
            return QString::fromLatin1(start, static_cast<qsizetype>(size));
        QString out(static_cast<qsizetype>(size & ~Wide), Qt::Uninitialized);
        std::memcpy(out.data(), start, (size & ~Wide) * sizeof(char16_t));
        return out;
    }
    // Appends a text to the buffer; answers its offset and sets its size.
    std::uint32_t keep(const QString &s, std::uint32_t &size)
    {
        const auto offset = static_cast<std::uint32_t>(text.size());
        const qsizetype n = s.size();
        const char16_t *chars = reinterpret_cast<const char16_t *>(s.constData());
        if (std::all_of(chars, chars + n, [](char16_t c) { return c < 0x100; })) {
            text.resize(text.size() + static_cast<size_t>(n));
            char *out = text.data() + offset;
            for (qsizetype i = 0; i < n; ++i)
                out[i] = static_cast<char>(chars[i]);
            size = static_cast<std::uint32_t>(n);
        } else {
            text.resize(text.size() + static_cast<size_t>(n) * sizeof(char16_t));
            std::memcpy(text.data() + offset, chars, static_cast<size_t>(n) * sizeof(char16_t));
            size = static_cast<std::uint32_t>(n) | Wide;
        }
        return offset;
    }
};

struct ReportDocument::Styles {
    std::vector<Style> items;
    QMultiHash<size_t, std::uint32_t> byHash;
    std::vector<BandStyle> bands;
};

ReportDocument::ReportDocument() : m_styles(std::make_unique<Styles>()) {}

ReportDocument::~ReportDocument() = default;

int ReportDocument::pageCount() const
{
    return static_cast<int>(m_pages.size());
}

int ReportDocument::itemCount(int page) const
{
    return static_cast<int>(m_pages.at(static_cast<size_t>(page)).items.size());
}

int ReportDocument::fontIndex(const FontSpec &font)
{
    for (size_t i = 0; i < m_fonts.size(); ++i) {
        if (m_fonts[i] == font)
            return static_cast<int>(i);
    }
    m_fonts.push_back(font);
    m_qfonts.push_back(font.toQFont());
    return static_cast<int>(m_fonts.size()) - 1;
}

const FontMeasure &ReportDocument::measure(int fontIndex) const
{
    const auto i = static_cast<size_t>(fontIndex);
    if (m_measures.size() <= i)
        m_measures.resize(i + 1);
    if (!m_measures[i])
        m_measures[i] = std::make_unique<FontMeasure>(m_qfonts.at(i));
    return *m_measures[i];
}

void ReportDocument::addPage()
{
    // A page holds about as much as the one before it: room for that spares
    // moving its items as they are added. The page before is trimmed to
    // what it holds, since it is kept for as long as the document.
    size_t items = 0;
    size_t bands = 0;
    size_t text = 0;
    if (!m_pages.empty()) {
        Page &last = m_pages.back();
        items = last.items.size();
        bands = last.bands.size();
        text = last.text.size();
        last.items.shrink_to_fit();
        last.bands.shrink_to_fit();
        last.text.shrink_to_fit();
    }
    Page &page = m_pages.emplace_back();
    page.items.reserve(items + items / 8);
    page.bands.reserve(bands + bands / 8);
    page.text.reserve(text + text / 8);
}

int ReportDocument::addItem(const RenderedItem &item, int &styleHint)
{
    Styles &styles = *m_styles;
    if (styleHint < 0 || static_cast<size_t>(styleHint) >= styles.items.size()
        || !styles.items[static_cast<size_t>(styleHint)].matches(item)) {
        const size_t hash = hashStyle(item.name, item.rect.left(), item.rect.width(), item.font);
        styleHint = -1;
        for (auto it = styles.byHash.constFind(hash); it != styles.byHash.cend() && it.key() == hash; ++it) {
            if (styles.items[it.value()].matches(item)) {
                styleHint = static_cast<int>(it.value());
                break;
            }
        }
        if (styleHint < 0) {
            styleHint = static_cast<int>(styles.items.size());
            styles.items.push_back(Style::of(item));
            styles.byHash.insert(hash, static_cast<std::uint32_t>(styleHint));
        }
    }
    Page &page = m_pages.back();
    Item packed;
    packed.style = static_cast<std::uint32_t>(styleHint);
    packed.top = item.rect.top();
    packed.height = item.rect.height();
    packed.checked = item.checked;
    packed.text = page.keep(item.text, packed.textSize);
    const int number = static_cast<int>(page.items.size());
    packValue(page, packed, item.value, item.text);
    page.items.push_back(packed);
    if (item.barcode)
        page.barcodes.emplace_back(static_cast<std::uint32_t>(number), item.barcode);
    return number;
}

void ReportDocument::addBand(const RenderedBand &band)
{
    Styles &styles = *m_styles;
    size_t style = 0;
    while (style < styles.bands.size() && !styles.bands[style].matches(band))
        ++style;
    if (style == styles.bands.size())
        styles.bands.push_back(
            BandStyle{band.kind, band.section, band.groupLevel, band.column, band.rect.left(), band.rect.width()});
    Band packed;
    packed.style = static_cast<std::uint32_t>(style);
    packed.firstItem = static_cast<std::uint32_t>(band.firstItem);
    packed.itemCount = static_cast<std::uint32_t>(band.itemCount);
    packed.top = band.rect.top();
    packed.height = band.rect.height();
    m_pages.back().bands.push_back(packed);
}

void ReportDocument::setItemText(int page, int item, const QString &text, const Variant &value)
{
    Page &p = m_pages.at(static_cast<size_t>(page));
    Item &packed = p.items.at(static_cast<size_t>(item));
    packed.text = p.keep(text, packed.textSize);
    packValue(p, packed, value, text);
}

void ReportDocument::packValue(Page &page, Item &item, const Variant &value, const QString &text)
{
    auto &payload = item.payload;
    payload.integer = 0;
    if (value.isEmpty()) {
        item.valueKind = ValueKind::Empty;
    } else if (value.isNull()) {
        item.valueKind = ValueKind::Null;
    } else if (const QString *s = value.get<QString>()) {
        if (*s == text) {
            item.valueKind = ValueKind::Text;
        } else {
            item.valueKind = ValueKind::String;
            std::uint32_t size = 0;
            payload.pair[0] = static_cast<std::int32_t>(page.keep(*s, size));
            payload.pair[1] = static_cast<std::int32_t>(size);
        }
    } else if (const bool *b = value.get<bool>()) {
        item.valueKind = ValueKind::Boolean;
        payload.integer = *b;
    } else if (const std::int16_t *i = value.get<std::int16_t>()) {
        item.valueKind = ValueKind::Integer;
        payload.integer = *i;
    } else if (const std::int32_t *l = value.get<std::int32_t>()) {
        item.valueKind = ValueKind::Long;
        payload.integer = *l;
    } else if (const float *f = value.get<float>()) {
        item.valueKind = ValueKind::Single;
        payload.single = *f;
    } else if (const double *d = value.get<double>()) {
        item.valueKind = ValueKind::Double;
        payload.real = *d;
    } else if (const Currency *c = value.get<Currency>()) {
        item.valueKind = ValueKind::Currency;
        payload.integer = c->raw();
    } else if (const DateTime *t = value.get<DateTime>();
               t && t->isValid() && t->date().toJulianDay() >= INT32_MIN && t->date().toJulianDay() <= INT32_MAX) {
        item.valueKind = ValueKind::Date;
        payload.pair[0] = static_cast<std::int32_t>(t->date().toJulianDay());
        payload.pair[1] = t->time().msecsSinceStartOfDay();
    } else {
        item.valueKind = ValueKind::Other;
        payload.integer = static_cast<std::int64_t>(page.others.size());
        page.others.push_back(value);
    }
}

Variant ReportDocument::unpackValue(const Page &page, const Item &item) const
{
    const auto &payload = item.payload;
    switch (item.valueKind) {
    case ValueKind::Empty: return Variant();
    case ValueKind::Null: return Variant::null();
    case ValueKind::Text: return Variant(page.textAt(item.text, item.textSize));
    case ValueKind::String:
        return Variant(page.textAt(static_cast<std::uint32_t>(payload.pair[0]), static_cast<std::uint32_t>(payload.pair[1])));
    case ValueKind::Boolean: return Variant(payload.integer != 0);
    case ValueKind::Integer: return Variant(static_cast<std::int16_t>(payload.integer));
    case ValueKind::Long: return Variant(static_cast<std::int32_t>(payload.integer));
    case ValueKind::Single: return Variant(payload.single);
    case ValueKind::Double: return Variant(payload.real);
    case ValueKind::Currency: return Variant(Currency::fromRaw(payload.integer));
    case ValueKind::Date:
        return Variant(DateTime(QDate::fromJulianDay(payload.pair[0]), QTime::fromMSecsSinceStartOfDay(payload.pair[1])));
    case ValueKind::Other: return page.others[static_cast<size_t>(payload.integer)];
    }
    return Variant();
}

RenderedItem ReportDocument::unpack(const Page &page, const Item &packed) const
{
    const Style &style = m_styles->items[packed.style];
    RenderedItem item;
    item.kind = style.kind;
    item.source = style.source;
    item.alignment = style.alignment;
    item.wordWrap = style.wordWrap;
    item.checked = packed.checked;
    item.shape = style.shape;
    item.sizeMode = style.sizeMode;
    item.captionPosition = style.captionPosition;
    item.font = style.font;
    item.color = style.color;
    item.backColor = style.backColor;
    item.rect = QRectF(style.left, packed.top, style.width, packed.height);
    item.lineWidth = style.lineWidth;
    item.cornerRadius = style.cornerRadius;
    item.name = style.name;
    item.text = page.textAt(packed.text, packed.textSize);
    item.value = unpackValue(page, packed);
    item.format = style.format;
    item.image = style.image;
    return item;
}

RenderedPage ReportDocument::page(int index) const
{
    const Page &page = m_pages.at(static_cast<size_t>(index));
    RenderedPage out;
    out.items.reserve(page.items.size());
    for (const Item &item : page.items)
        out.items.push_back(unpack(page, item));
    for (const auto &[number, barcode] : page.barcodes)
        out.items[number].barcode = barcode;
    out.bands.reserve(page.bands.size());
    for (const Band &band : page.bands) {
        const BandStyle &style = m_styles->bands[band.style];
        RenderedBand b;
        b.kind = style.kind;
        b.section = style.section;
        b.groupLevel = style.groupLevel;
        b.rect = QRectF(style.left, band.top, style.width, band.height);
        b.column = style.column;
        b.firstItem = static_cast<int>(band.firstItem);
        b.itemCount = static_cast<int>(band.itemCount);
        out.bands.push_back(std::move(b));
    }
    return out;
}

QPageLayout ReportDocument::pageLayout() const
{
    const bool landscape = paperSize.width() > paperSize.height();
    const QSizeF portrait = landscape ? paperSize.transposed() : paperSize;
    return QPageLayout(QPageSize(portrait / 20.0, QPageSize::Point, QString(), QPageSize::FuzzyMatch),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Point);
}

QString ReportDocument::pageText(int page) const
{
    const RenderedPage p = this->page(page);
    std::vector<const RenderedItem *> texts;
    for (const RenderedItem &item : p.items) {
        if ((item.kind == RenderedItem::Kind::Text || item.kind == RenderedItem::Kind::CheckBox)
            && !item.text.isEmpty())
            texts.push_back(&item);
    }
    std::sort(texts.begin(), texts.end(), [](const RenderedItem *a, const RenderedItem *b) {
        return a->rect.top() != b->rect.top() ? a->rect.top() < b->rect.top() : a->rect.left() < b->rect.left();
    });
    // Items whose tops lie within 30 twips of a line's first item share it.
    QString out;
    size_t i = 0;
    while (i < texts.size()) {
        size_t j = i + 1;
        while (j < texts.size() && texts[j]->rect.top() - texts[i]->rect.top() <= 30)
            ++j;
        std::sort(texts.begin() + static_cast<long>(i), texts.begin() + static_cast<long>(j),
                  [](const RenderedItem *a, const RenderedItem *b) { return a->rect.left() < b->rect.left(); });
        if (!out.isEmpty())
            out += u'\n';
        for (size_t k = i; k < j; ++k) {
            if (k > i)
                out += u' ';
            out += texts[k]->text;
        }
        i = j;
    }
    return out;
}

} // namespace platform::report
