#include "ReportTestSupport.h"

#include "platform/data/Recordset.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QProcess>

#include <cctype>
#include <stdexcept>

namespace reporttest {

using namespace platform;

std::shared_ptr<Recordset> makeRecordset(const QList<Column> &columns, const QList<QList<Variant>> &rows)
{
    auto rs = std::make_shared<Recordset>();
    for (const Column &c : columns)
        rs->appendField(c.name, c.type, c.size);
    rs->open();
    for (const QList<Variant> &row : rows) {
        rs->addNew();
        for (int i = 0; i < row.size(); ++i)
            rs->setValue(i, row[i]);
        rs->update();
    }
    if (!rows.isEmpty())
        rs->moveFirst();
    return rs;
}

report::ReportControl &summary(report::ReportControl &field, report::SummaryScope scope, report::SummaryFunction function)
{
    field.summaryFunction = function;
    field.summaryScope = scope;
    return field;
}

void hideForExport(report::ReportLayout &layout, const bool &active)
{
    const auto hide = [&active](report::FormatContext &ctx) {
        if (active)
            ctx.section().visible = false;
    };
    for (const char *section : {"ReportHeader", "ReportFooter", "PageFooter"})
        layout.setFormatHandler(QString::fromLatin1(section), hide);
    layout.setFormatHandler(QStringLiteral("PageHeader"), [&active](report::FormatContext &ctx) {
        if (active) {
            ctx.section().visible = ctx.pageNumber() == 1;
            ctx.section().control(QStringLiteral("Line2")).visible = false;
        }
    });
}

QByteArray pngBytes(int width, int height, Qt::GlobalColor color)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

namespace {

QByteArray runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QByteArray();
    return process.readAllStandardOutput();
}

} // namespace

QString pdfText(const QString &path, int firstPage, int lastPage)
{
    QStringList args{QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8")};
    if (firstPage > 0)
        args << QStringLiteral("-f") << QString::number(firstPage);
    if (lastPage > 0)
        args << QStringLiteral("-l") << QString::number(lastPage);
    args << path << QStringLiteral("-");
    return QString::fromUtf8(runTool(QStringLiteral("pdftotext"), args));
}

int pdfPageCount(const QString &path)
{
    const QString info = QString::fromUtf8(runTool(QStringLiteral("pdfinfo"), {path}));
    for (const QString &line : info.split(u'\n')) {
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    }
    return -1;
}

QByteArray zipEntry(const QString &zipPath, const QString &entry)
{
    return runTool(QStringLiteral("unzip"), {QStringLiteral("-p"), zipPath, entry});
}

QString rtfPlainText(const QByteArray &rtf)
{
    QString out;
    int depth = 0;
    int skipDepth = -1; // inside a destination that holds no text
    qsizetype i = 0;
    int skipChars = 0;
    const auto emitChar = [&](QChar c) {
        if (skipDepth < 0)
            out += c;
    };
    while (i < rtf.size()) {
        const char c = rtf.at(i);
        if (c == '{') {
            ++depth;
            ++i;
            continue;
        }
        if (c == '}') {
            if (depth == skipDepth)
                skipDepth = -1;
            --depth;
            if (depth < 0)
                throw std::runtime_error("unbalanced braces");
            ++i;
            continue;
        }
        if (c == '\\') {
            ++i;
            if (i >= rtf.size())
                break;
            const char n = rtf.at(i);
            if (n == '\\' || n == '{' || n == '}') {
                if (skipChars > 0)
                    --skipChars;
                else
                    emitChar(QLatin1Char(n));
                ++i;
                continue;
            }
            if (n == '\'') {
                const int code = rtf.mid(i + 1, 2).toInt(nullptr, 16);
                i += 3;
                if (skipChars > 0)
                    --skipChars;
                else
                    emitChar(QChar(code));
                continue;
            }
            qsizetype j = i;
            while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf.at(j))))
                ++j;
            const QByteArray word = rtf.mid(i, j - i);
            qsizetype k = j;
            if (k < rtf.size() && (rtf.at(k) == '-' || std::isdigit(static_cast<unsigned char>(rtf.at(k))))) {
                ++k;
                while (k < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf.at(k))))
                    ++k;
            }
            const QByteArray param = rtf.mid(j, k - j);
            if (k < rtf.size() && rtf.at(k) == ' ')
                ++k;
            i = k;
            if (word == "u") {
                int code = param.toInt();
                if (code < 0)
                    code += 65536;
                emitChar(QChar(static_cast<char16_t>(code)));
                skipChars = 1;
            } else if (word == "par" || word == "line" || word == "row") {
                emitChar(u'\n');
            } else if (word == "cell" || word == "tab") {
                emitChar(u'\t');
            } else if (word == "fonttbl" || word == "colortbl" || word == "info" || word == "pict") {
                if (skipDepth < 0)
                    skipDepth = depth;
            }
            continue;
        }
        if (c == '\n' || c == '\r') {
            ++i;
            continue;
        }
        if (skipChars > 0)
            --skipChars;
        else
            emitChar(QLatin1Char(c));
        ++i;
    }
    if (depth != 0)
        throw std::runtime_error("unbalanced braces");
    return out;
}

QList<std::pair<int, const report::RenderedItem *>> itemsNamed(const report::ReportDocument &doc, const QString &name)
{
    QList<std::pair<int, const report::RenderedItem *>> found;
    for (int p = 0; p < doc.pageCount(); ++p) {
        for (const report::RenderedItem &item : doc.pages[static_cast<size_t>(p)].items) {
            if (item.name == name)
                found.append({p, &item});
        }
    }
    return found;
}

QString sourceFile(const QString &relative)
{
    return QStringLiteral(VELMORA_REPORT_TEST_DIR "/") + relative;
}

} // namespace reporttest
