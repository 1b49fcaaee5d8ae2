#include "ReportTestSupport.h"

#include "platform/data/Recordset.h"

#include <QBuffer>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <initializer_list>
#include <stdexcept>
#include <utility>

#include <sys/resource.h>

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

// Runs an outside tool and returns what it printed. A tool that is not
// installed, or that fails, fails the calling test with its name and its
// own words, so a missing package never reads as a wrong export. An exit
// code in `quietCodes` gives an empty result without failing (unzip's 11,
// "no such entry", is an answer, not a failure).
QByteArray runTool(const QString &program, const QStringList &arguments, std::initializer_list<int> quietCodes)
{
    if (QStandardPaths::findExecutable(program).isEmpty()) {
        ADD_FAILURE() << "the tool '" << program.toStdString()
                      << "' is not installed (scripts/install-deps.sh installs it)";
        return QByteArray();
    }
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    if (finished && std::find(quietCodes.begin(), quietCodes.end(), process.exitCode()) != quietCodes.end())
        return QByteArray();
    if (!finished || process.exitCode() != 0) {
        ADD_FAILURE() << "the tool '" << program.toStdString() << ' ' << arguments.join(u' ').toStdString()
                      << "' failed (exit " << process.exitCode() << "): "
                      << QString::fromLocal8Bit(process.readAllStandardError()).toStdString();
        return QByteArray();
    }
    return process.readAllStandardOutput();
}

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
    constexpr int NoSuchEntry = 11;
    return runTool(QStringLiteral("unzip"), {QStringLiteral("-p"), zipPath, entry}, {NoSuchEntry});
}

QString Sheet::find(const QString &text) const
{
    for (auto it = cells.cbegin(); it != cells.cend(); ++it) {
        if (it.value().value == text)
            return it.key();
    }
    return QString();
}

QString columnOf(const QString &ref)
{
    return ref.left(ref.indexOf(QRegularExpression(QStringLiteral("\\d"))));
}

int rowOf(const QString &ref)
{
    return ref.mid(columnOf(ref).size()).toInt();
}

Sheet readSheet(const QString &xlsx)
{
    const auto name = [](const QXmlStreamReader &xml, const char *n) { return xml.name() == QLatin1String(n); };
    const auto attribute = [](const QXmlStreamReader &xml, const char *n) {
        return xml.attributes().value(QLatin1String(n)).toString();
    };
    // Texts may be shared (a table of their own) or written inline.
    QStringList shared;
    const QStringList entries =
        QString::fromUtf8(runTool(QStringLiteral("unzip"), {QStringLiteral("-Z1"), xlsx})).split(u'\n');
    if (entries.contains(QStringLiteral("xl/sharedStrings.xml"))) {
        QXmlStreamReader strings(zipEntry(xlsx, QStringLiteral("xl/sharedStrings.xml")));
        while (!strings.atEnd()) {
            if (strings.readNext() == QXmlStreamReader::StartElement && name(strings, "si"))
                shared << QString();
            else if (strings.isStartElement() && name(strings, "t"))
                shared.last() += strings.readElementText();
        }
    }
    // The number format codes of the cell styles (cellXfs), by style index.
    QMap<int, QString> codes{{0, QStringLiteral("General")}, {14, QStringLiteral("mm-dd-yy")}};
    QStringList formats;
    QXmlStreamReader styles(zipEntry(xlsx, QStringLiteral("xl/styles.xml")));
    bool inXfs = false;
    while (!styles.atEnd()) {
        styles.readNext();
        if (styles.isStartElement() && name(styles, "numFmt"))
            codes.insert(attribute(styles, "numFmtId").toInt(), attribute(styles, "formatCode"));
        else if (name(styles, "cellXfs"))
            inXfs = styles.isStartElement();
        else if (inXfs && styles.isStartElement() && name(styles, "xf"))
            formats << codes.value(attribute(styles, "numFmtId").toInt(), QStringLiteral("?"));
    }
    Sheet sheet;
    QXmlStreamReader xml(zipEntry(xlsx, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString ref;
    SheetCell cell;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && name(xml, "col")) {
            sheet.widths << attribute(xml, "width").toDouble();
        } else if (xml.isStartElement() && name(xml, "c")) {
            ref = attribute(xml, "r");
            cell = SheetCell{attribute(xml, "t"), formats.value(attribute(xml, "s").toInt()), QString()};
        } else if (xml.isStartElement() && (name(xml, "v") || name(xml, "t"))) {
            cell.value += xml.readElementText();
        } else if (xml.isEndElement() && name(xml, "c")) {
            if (cell.type == QLatin1String("s"))
                cell.value = shared.value(cell.value.toInt());
            sheet.cells.insert(ref, cell);
            sheet.rows = std::max(sheet.rows, rowOf(ref));
        }
    }
    return sheet;
}

QString rtfPlainText(const QByteArray &rtf)
{
    // Tokens: a hex escape, an escaped symbol, a control word with its
    // parameter, a brace, a line break of the file, any other character.
    static const QRegularExpression token(
        QStringLiteral(R"(\\'([0-9a-fA-F]{2})|\\([\\{}])|\\([a-zA-Z]*)(-?\d+)? ?|([{}])|[\r\n]|(.))"));
    QString out;
    int depth = 0;
    int skipDepth = -1; // inside a destination that holds no text
    bool skipNext = false; // the fallback character after \uN
    const auto put = [&](QChar c) {
        if (!std::exchange(skipNext, false) && skipDepth < 0)
            out += c;
    };
    for (const QRegularExpressionMatch &m : token.globalMatch(QString::fromLatin1(rtf))) {
        const QString word = m.captured(3);
        if (m.capturedLength(1)) {
            put(QChar(m.captured(1).toInt(nullptr, 16)));
        } else if (m.capturedLength(2) || m.capturedLength(6)) {
            put((m.captured(2) + m.captured(6)).at(0));
        } else if (m.capturedLength(5)) {
            depth += m.captured(5) == u"{" ? 1 : -1;
            if (depth < 0)
                throw std::runtime_error("unbalanced braces");
            if (depth < skipDepth)
                skipDepth = -1;
        } else if (word == u"u") {
            put(QChar(static_cast<char16_t>(m.captured(4).toInt() & 0xFFFF)));
            skipNext = true;
        } else if ((word == u"par" || word == u"line" || word == u"row") && skipDepth < 0) {
            out += u'\n';
        } else if ((word == u"cell" || word == u"tab") && skipDepth < 0) {
            out += u'\t';
        } else if ((word == u"fonttbl" || word == u"colortbl" || word == u"info" || word == u"pict") && skipDepth < 0) {
            skipDepth = depth;
        }
    }
    if (depth != 0)
        throw std::runtime_error("unbalanced braces");
    return out;
}

QList<RtfRow> rtfRows(const QByteArray &rtf)
{
    // A row: its definition from \trowd to the first cell's paragraph, then
    // its cells up to \row.
    static const QRegularExpression rowPattern(QStringLiteral(R"(\\trowd(.*?)\n(.*?)\\row\b)"),
                                               QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression bound(QStringLiteral(R"(\\cellx(-?\d+))"));
    QList<RtfRow> rows;
    const QString text = QString::fromLatin1(rtf);
    for (const QRegularExpressionMatch &m : rowPattern.globalMatch(text)) {
        RtfRow row;
        for (const QRegularExpressionMatch &b : bound.globalMatch(m.captured(1)))
            row.bounds << b.captured(1).toInt();
        row.bordered = m.captured(1).contains(QLatin1String("\\clbrdr"));
        row.texts = rtfPlainText("{" + m.captured(2).toLatin1() + "}").split(u'\t');
        row.texts.removeLast(); // after the last \cell
        for (QString &t : row.texts)
            t = t.trimmed();
        rows << row;
    }
    return rows;
}

QList<std::pair<int, report::RenderedItem>> itemsNamed(const report::ReportDocument &doc, const QString &name)
{
    QList<std::pair<int, report::RenderedItem>> found;
    for (int p = 0; p < doc.pageCount(); ++p) {
        for (const report::RenderedItem &item : doc.page(p).items) {
            if (item.name == name)
                found.append({p, item});
        }
    }
    return found;
}

QString sourceFile(const QString &relative)
{
    return QStringLiteral(VELMORA_REPORT_TEST_DIR "/") + relative;
}

DiskFull::DiskFull(long long bytes)
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_saved = limit.rlim_cur;
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        ADD_FAILURE() << "the limit on file sizes cannot be set";
}

DiskFull::~DiskFull()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(m_saved);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, m_handler);
}

} // namespace reporttest
