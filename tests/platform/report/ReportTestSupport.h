#pragma once

#include "DataFixture.h"
#include "platform/base/Variant.h"
#include "platform/data/DataEnums.h"
#include "platform/report/ReportDocument.h"
#include "platform/report/ReportLayout.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>
#include <utility>

namespace platform {
class Recordset;
}

// Helpers of the report engine's tests: fabricated data, and readers for
// the files the exports write (through poppler and unzip, or by hand).
namespace reporttest {

struct Column {
    QString name;
    platform::DataType type;
    int size = 0;
};

// An open fabricated recordset with the given columns and rows.
std::shared_ptr<platform::Recordset> makeRecordset(const QList<Column> &columns,
                                                   const QList<QList<platform::Variant>> &rows);

// Makes a field a summary (a group sum unless told otherwise).
platform::report::ReportControl &summary(platform::report::ReportControl &field,
                                         platform::report::SummaryScope scope = platform::report::SummaryScope::Group,
                                         platform::report::SummaryFunction function = platform::report::SummaryFunction::Sum);

// A PNG picture of one colour.
QByteArray pngBytes(int width, int height, Qt::GlobalColor color);

// Runs an outside tool and returns what it printed. A tool that is not
// installed, or that fails, fails the calling test with its name; an exit
// code in `quietCodes` gives an empty result without failing.
QByteArray runTool(const QString &program, const QStringList &arguments, std::initializer_list<int> quietCodes = {});

// The outside tools below fail the calling test, naming the tool, when it
// is not installed or fails.
// The text pdftotext extracts (in physical layout), "" when it fails.
QString pdfText(const QString &path, int firstPage = 0, int lastPage = 0);
// The page count pdfinfo reports, -1 when it fails.
int pdfPageCount(const QString &path);
// One entry of a zip file (unzip -p), empty when the file has no such entry.
QByteArray zipEntry(const QString &zipPath, const QString &entry);

// A cell of a worksheet as its XML gives it: its type attribute, its number
// format (through its style) and its value (shared and inline strings
// resolved).
struct SheetCell {
    QString type;
    QString format;
    QString value;
};
// The first worksheet of an .xlsx file: cells by reference ("A1"), its last
// row, and the column widths it sets (in characters, first column first).
struct Sheet {
    QMap<QString, SheetCell> cells;
    int rows = 0;
    QList<double> widths;
    QString value(const QString &ref) const { return cells.value(ref).value; }
    // The reference of the cell holding `text`, empty when none does.
    QString find(const QString &text) const;
};
Sheet readSheet(const QString &xlsx);
// The column letters and the row number of a cell reference ("C12").
QString columnOf(const QString &ref);
int rowOf(const QString &ref);

// The visible text of an RTF file: control words dropped, \uN and \'hh
// decoded, \par, \line, \cell and \row as line breaks or tabs; throws when
// the braces do not balance.
QString rtfPlainText(const QByteArray &rtf);
// One table row of an RTF file: the right boundaries of its cells (\cellx),
// the text of each cell, and whether any of its cells has a border.
struct RtfRow {
    QList<int> bounds;
    QStringList texts;
    bool bordered = false;
};
QList<RtfRow> rtfRows(const QByteArray &rtf);

// All items of a document named so, in page order.
QList<std::pair<int, platform::report::RenderedItem>> itemsNamed(const platform::report::ReportDocument &doc,
                                                                        const QString &name);

// The path of a file of this test folder (reference pictures).
QString sourceFile(const QString &relative);

// While it lives, every file of this process stops growing at `bytes` bytes
// and a write past that fails with an error, as on a full disk (the limit
// on file sizes, with the signal it would send ignored).
class DiskFull
{
public:
    explicit DiskFull(long long bytes);
    ~DiskFull();
    DiskFull(const DiskFull &) = delete;
    DiskFull &operator=(const DiskFull &) = delete;

private:
    unsigned long long m_saved;
    void (*m_handler)(int);
};

} // namespace reporttest
