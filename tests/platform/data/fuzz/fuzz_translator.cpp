// libFuzzer entry point for the Jet-to-SQLite translator: any input must
// either translate or raise RuntimeError, never crash, hang or read out of
// bounds; and what it produces must be one complete SQLite statement, with no
// string, name or comment left open.
#include "platform/base/RuntimeError.h"
#include "platform/data/JetTemplateQueries.h"
#include "platform/data/JetTranslator.h"

#include <QHash>
#include <QString>

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace platform;
using namespace platform::jet;

namespace {

// The template's stored queries, plus "Fz": its body is the part of the
// input after a line "--", so that stored bodies get fuzzed too.
QString fuzzBody;

std::optional<StoredQuery> lookup(const QString &name)
{
    if (name.compare(QStringLiteral("Fz"), Qt::CaseInsensitive) == 0)
        return StoredQuery{QStringLiteral("Fz"), {QStringLiteral("d2"), QStringLiteral("p x")},
                           {QStringLiteral("DateTime"), QStringLiteral("Long")}, fuzzBody};
    if (name.compare(QStringLiteral("Loop"), Qt::CaseInsensitive) == 0)
        return StoredQuery{QStringLiteral("Loop"), {}, {}, QStringLiteral("SELECT * FROM Fz, Loop")};
    for (const auto &q : templatequeries::All) {
        if (name.compare(QString::fromUtf8(q.name), Qt::CaseInsensitive) != 0)
            continue;
        static QHash<QString, StoredQuery> cache;
        const QString key = name.toLower();
        if (!cache.contains(key)) {
            const QString create = QStringLiteral("CREATE PROCEDURE %1 AS PARAMETERS %2; %3")
                                       .arg(QString::fromUtf8(q.name), QString::fromUtf8(q.parameters),
                                            QString::fromUtf8(q.body));
            cache.insert(key, *translate(create, TranslateContext{}).procedure);
        }
        return cache.value(key);
    }
    return std::nullopt;
}

QString columnType(const QString &column)
{
    if (column.compare(QStringLiteral("Quantità"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("CURRENCY");
    if (column.compare(QStringLiteral("Segno"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("SMALLINT");
    return QString();
}

void check(const QString &sql)
{
    if (sql.isEmpty())
        return;
    const QByteArray text = (sql + QStringLiteral("\n;")).toUtf8();
    if (!sqlite3_complete(text.constData())) {
        std::fprintf(stderr, "translation is not one complete statement:\n%s\n", text.constData());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > 16384)
        return 0;
    QString input = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    fuzzBody = QStringLiteral("SELECT 1");
    if (const qsizetype split = input.indexOf(QStringLiteral("\n--\n")); split >= 0) {
        fuzzBody = input.mid(split + 4);
        input.truncate(split);
    }
    (void)parseJetDate(input);
    try {
        const Translation t = translate(input, TranslateContext{lookup, columnType});
        check(t.sql);
        check(t.alterType.isEmpty() ? QString() : QStringLiteral("SELECT CAST(1 AS ") + t.alterType + u')');
        if (t.procedure)
            (void)translate(t.procedure->body, TranslateContext{lookup, columnType});
    } catch (const RuntimeError &) {
    }
    return 0;
}
