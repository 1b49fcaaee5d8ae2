#include "platform/report/XlsxExport.h"

#include "platform/report/ExportFile.h"
#include "platform/report/ExportGrid.h"
#include "platform/report/ReportDocument.h"
#include "platform/report/ReportError.h"

#include <QFile>
#include <QHash>
#include <QLocale>

#include <xlsxwriter.h>

#include <cerrno>
#include <cmath>

namespace platform::report {

namespace {

constexpr int MaxRows = 1048576;

QString sheetName(const QString &title)
{
    QString name;
    for (QChar c : title) {
        if (!QStringLiteral("[]:*?/\\").contains(c) && c.unicode() >= 32)
            name += c;
    }
    name = name.trimmed().left(31);
    while (name.startsWith(u'\''))
        name.remove(0, 1);
    while (name.endsWith(u'\''))
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("Sheet1") : name;
}

// The formats a workbook uses, made once each.
class Formats
{
public:
    explicit Formats(lxw_workbook *workbook) : m_workbook(workbook) {}

    lxw_format *get(const QString &numberFormat, const FontSpec *font, TextAlign align)
    {
        const bool bold = font && font->bold;
        const bool italic = font && font->italic;
        const bool underline = font && font->underline;
        if (numberFormat.isEmpty() && !bold && !italic && !underline && align == TextAlign::Left)
            return nullptr;
        const QString key = numberFormat + QStringLiteral("|%1%2%3%4").arg(bold).arg(italic).arg(underline).arg(int(align));
        auto it = m_formats.constFind(key);
        if (it != m_formats.constEnd())
            return it.value();
        lxw_format *format = workbook_add_format(m_workbook);
        if (!numberFormat.isEmpty())
            format_set_num_format(format, numberFormat.toUtf8().constData());
        if (bold)
            format_set_bold(format);
        if (italic)
            format_set_italic(format);
        if (underline)
            format_set_underline(format, LXW_UNDERLINE_SINGLE);
        if (align == TextAlign::Right)
            format_set_align(format, LXW_ALIGN_RIGHT);
        else if (align == TextAlign::Center)
            format_set_align(format, LXW_ALIGN_CENTER);
        m_formats.insert(key, format);
        return format;
    }

private:
    lxw_workbook *m_workbook;
    QHash<QString, lxw_format *> m_formats;
};

// The run-time's Currency format in Excel's words: two decimals and the
// currency symbol of the program's locale, on the side that locale puts it.
QString currencyFormat()
{
    const QLocale locale;
    const QString symbol = locale.currencySymbol();
    if (symbol.isEmpty())
        return QStringLiteral("#,##0.00");
    const QString sample = locale.toCurrencyString(1.0, symbol, 2);
    const QString quoted = u'"' + symbol + u'"';
    if (sample.startsWith(symbol)) {
        const bool spaced = sample.size() > symbol.size() && sample.at(symbol.size()).isSpace();
        return quoted + (spaced ? QStringLiteral(" #,##0.00") : QStringLiteral("#,##0.00"));
    }
    const bool spaced = sample.size() > symbol.size() && sample.at(sample.size() - symbol.size() - 1).isSpace();
    return (spaced ? QStringLiteral("#,##0.00 ") : QStringLiteral("#,##0.00")) + quoted;
}

// The sheet prints as the report: on its paper (A4 and Letter by their
// codes), with its margins, one page wide.
void setUpPage(lxw_worksheet *sheet, const ReportDocument &doc)
{
    constexpr std::uint8_t Letter = 1;
    constexpr std::uint8_t A4 = 9;
    const QPageLayout layout = doc.pageLayout();
    if (layout.pageSize().id() == QPageSize::A4)
        worksheet_set_paper(sheet, A4);
    else if (layout.pageSize().id() == QPageSize::Letter)
        worksheet_set_paper(sheet, Letter);
    if (layout.orientation() == QPageLayout::Landscape)
        worksheet_set_landscape(sheet);
    const QMarginsF inches = doc.margins / 1440.0;
    worksheet_set_margins(sheet, inches.left(), inches.right(), inches.top(), inches.bottom());
    worksheet_fit_to_pages(sheet, 1, 0);
}

// Closes the workbook on every path; a workbook closed here after a failure
// only frees its memory.
struct Workbook {
    lxw_workbook *p = nullptr;
    ~Workbook()
    {
        if (p)
            workbook_close(p);
    }
};

} // namespace

QString XlsxExport::excelFormat(const QString &format, bool forDate, bool withTime)
{
    const QString plainDate = withTime ? QStringLiteral("dd/mm/yyyy hh:mm:ss") : QStringLiteral("dd/mm/yyyy");
    const QString f = format.trimmed();
    if (f.isEmpty())
        return forDate ? plainDate : QString();
    static const QHash<QString, QString> named{
        {QStringLiteral("general number"), QStringLiteral("General")},
        {QStringLiteral("fixed"), QStringLiteral("0.00")},
        {QStringLiteral("standard"), QStringLiteral("#,##0.00")},
        {QStringLiteral("percent"), QStringLiteral("0.00%")},
        {QStringLiteral("scientific"), QStringLiteral("0.00E+00")},
        {QStringLiteral("general date"), QStringLiteral("dd/mm/yyyy hh:mm:ss")},
        {QStringLiteral("long date"), QStringLiteral("dddd d mmmm yyyy")},
        {QStringLiteral("medium date"), QStringLiteral("dd-mmm-yy")},
        {QStringLiteral("short date"), QStringLiteral("dd/mm/yyyy")},
        {QStringLiteral("long time"), QStringLiteral("hh:mm:ss")},
        {QStringLiteral("medium time"), QStringLiteral("hh:mm AM/PM")},
        {QStringLiteral("short time"), QStringLiteral("hh:mm")},
    };
    if (f.compare(QLatin1String("Currency"), Qt::CaseInsensitive) == 0)
        return currencyFormat();
    const auto it = named.constFind(f.toLower());
    if (it != named.constEnd())
        return it.value();
    if (!forDate)
        return f;
    // Date formats: the run-time's n (minutes) is Excel's m after hours;
    // its composite letters become their spelled-out forms.
    if (f == QLatin1String("ddddd"))
        return QStringLiteral("dd/mm/yyyy");
    if (f == QLatin1String("dddddd"))
        return QStringLiteral("dddd d mmmm yyyy");
    if (f == QLatin1String("c"))
        return plainDate;
    if (f == QLatin1String("ttttt"))
        return QStringLiteral("hh:mm:ss");
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < f.size(); ++i) {
        const QChar c = f.at(i);
        if (c == u'"')
            quoted = !quoted;
        if (!quoted && c == u'\\' && i + 1 < f.size()) {
            out += c;
            out += f.at(++i);
            continue;
        }
        if (!quoted && (c == u'n' || c == u'N'))
            out += u'm';
        else if (!quoted && (c == u'w' || c == u'W' || c == u'q' || c == u'Q'))
            return plainDate; // week days and quarters have no Excel code
        else
            out += c;
    }
    return out;
}

void XlsxExport::write(const ReportDocument &doc, const QString &path)
{
    // The library writes the workbook by name, into the export's partial
    // file, which is put in place once the workbook is closed.
    ExportFile file(path);
    const QByteArray partialName = QFile::encodeName(file.partialPath());

    const ExportGrid grid(doc);
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        Workbook workbook;
        workbook.p = workbook_new_opt(partialName.constData(), &options);
        if (!workbook.p)
            ExportFile::fail(path, QStringLiteral("The workbook could not be created"));
        lxw_worksheet *sheet = workbook_add_worksheet(workbook.p, sheetName(doc.title).toUtf8().constData());
        if (!sheet)
            ExportFile::fail(path, QStringLiteral("The worksheet could not be created"));
        Formats formats(workbook.p);
        setUpPage(sheet, doc);

        for (int c = 0; c < grid.columnCount(); ++c) {
            const double chars = (grid.columnRight(c) - grid.columnLeft(c)) / 15.0 / 7.0;
            worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                 std::max(4.0, std::round(chars * 10) / 10), nullptr);
        }

        lxw_row_t sheetRow = 0;
        const auto check = [&](lxw_error error) {
            if (error != LXW_NO_ERROR)
                ExportFile::fail(path, QString::fromLatin1(lxw_strerror(error)));
        };
        for (int p = 0; p < doc.pageCount(); ++p) {
            const RenderedPage page = doc.page(p);
            for (const RenderedBand &band : page.bands) {
                for (const ExportGrid::Row &row : grid.rowsOf(page, band, false)) {
                    for (const ExportGrid::Cell &cell : row.cells) {
                        const RenderedItem &item = *cell.item;
                        const auto col = static_cast<lxw_col_t>(cell.column);
                        const FontSpec *font = item.font >= 0 ? &doc.fonts()[static_cast<size_t>(item.font)] : nullptr;
                        if (sheetRow >= MaxRows)
                            throw ReportError::exportFailed(
                                path, QStringLiteral("il report ha più righe di quante un foglio ne possa contenere"));
                        if (cell.itemCount > 1 || item.kind == RenderedItem::Kind::Barcode) {
                            if (!cell.text.isEmpty()) {
                                check(worksheet_write_string(sheet, sheetRow, col, cell.text.toUtf8().constData(),
                                                             formats.get(QString(), font, item.alignment)));
                            }
                            continue;
                        }
                        if (item.kind == RenderedItem::Kind::Picture)
                            continue;
                        if (item.kind == RenderedItem::Kind::CheckBox) {
                            check(worksheet_write_boolean(sheet, sheetRow, col, item.checked ? 1 : 0,
                                                          formats.get(QString(), font, item.alignment)));
                            continue;
                        }
                        const Variant &value = item.value;
                        if (value.isNumber()) {
                            const double number = value.toDouble();
                            if (std::isfinite(number)) {
                                check(worksheet_write_number(
                                    sheet, sheetRow, col, number,
                                    formats.get(excelFormat(item.format, false), font, item.alignment)));
                                continue;
                            }
                        } else if (value.type() == VarType::Boolean) {
                            check(worksheet_write_boolean(sheet, sheetRow, col, value.toBool() ? 1 : 0,
                                                          formats.get(QString(), font, item.alignment)));
                            continue;
                        } else if (value.isDate()) {
                            const DateTime d = *value.get<DateTime>();
                            if (d.isValid() && d.year() >= 1900) {
                                lxw_datetime dt{d.year(), d.month(), d.day(), d.time().hour(), d.time().minute(),
                                                static_cast<double>(d.time().second())};
                                check(worksheet_write_datetime(
                                    sheet, sheetRow, col, &dt,
                                    formats.get(excelFormat(item.format, true, d.hasTime()), font, item.alignment)));
                                continue;
                            }
                        }
                        if (!cell.text.isEmpty()) {
                            check(worksheet_write_string(sheet, sheetRow, col, cell.text.toUtf8().constData(),
                                                         formats.get(QString(), font, item.alignment)));
                        }
                    }
                    ++sheetRow;
                }
            }
        }
        lxw_workbook *p = workbook.p;
        workbook.p = nullptr;
        errno = 0;
        const lxw_error error = workbook_close(p);
        if (error != LXW_NO_ERROR) {
            // A write the system refused (a full disk) leaves its code
            // behind; anything else is the library's own failure.
            const int code = errno;
            if (code == ENOSPC || code == EDQUOT || code == EFBIG || code == EIO)
                ExportFile::failWrite(path, code);
            ExportFile::fail(path, QString::fromLatin1(lxw_strerror(error)));
        }
    }
    file.commit();
}

} // namespace platform::report
