#include "ShellFixture.h"

#include "support/TestEnv.h"

#include "common/comRegistry.h"
#include "platform/data/Connection.h"
#include "platform/registry/RegistryStore.h"
#include "shell/MainModule.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace shelltest {

namespace {

// An SQLite handle on an existing file, closed with the object.
class RawDatabase
{
public:
    explicit RawDatabase(const QString &path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            ADD_FAILURE() << "cannot open " << path.toStdString() << ": " << sqlite3_errmsg(m_db);
    }
    ~RawDatabase() { sqlite3_close(m_db); }
    RawDatabase(const RawDatabase &) = delete;
    RawDatabase &operator=(const RawDatabase &) = delete;

    // Every row of a query, each as its columns' texts.
    QList<QStringList> rows(const QString &sql, bool withTypes = false) const
    {
        QList<QStringList> result;
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sql.toStdString() << ": " << sqlite3_errmsg(m_db);
            return result;
        }
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList row;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const int type = sqlite3_column_type(st, i);
                QString text = type == SQLITE_NULL
                    ? QStringLiteral("NULL")
                    : QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)));
                if (withTypes)
                    text = QString::number(type) + u':' + text;
                row.append(text);
            }
            result.append(row);
        }
        sqlite3_finalize(st);
        return result;
    }

    void exec(const QString &sql) const
    {
        char *error = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK)
            ADD_FAILURE() << sql.toStdString() << ": " << (error ? error : "?");
        sqlite3_free(error);
    }

private:
    sqlite3 *m_db = nullptr;
};

} // namespace

QString templateFile()
{
    return testsupport::programDir() + QStringLiteral("/master.gen");
}

QString copyTemplate(const QString &folder, const QString &fileName)
{
    const QString path = folder + u'/' + fileName;
    EXPECT_TRUE(QFileInfo::exists(templateFile())) << "the build makes master.gen beside the tests";
    EXPECT_TRUE(QFile::copy(templateFile(), path)) << path.toStdString();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

void useDatabase(const QString &path)
{
    const QFileInfo info(path);
    MainModule::DbPath = info.absolutePath();
    MainModule::DbName = info.fileName();
    MainModule::ConnString = MainModule::CostruisciConnString(MainModule::DbPath, MainModule::DbName);
}

void runSql(const QString &path, const QString &sql)
{
    RawDatabase(path).exec(sql);
}

QStringList queryColumn(const QString &path, const QString &sql)
{
    QStringList column;
    for (const QStringList &row : RawDatabase(path).rows(sql))
        column.append(row.value(0));
    return column;
}

QString queryValue(const QString &path, const QString &sql)
{
    return queryColumn(path, sql).value(0);
}

QStringList dumpDatabase(const QString &path)
{
    const RawDatabase db(path);
    QStringList dump;
    QStringList tables;
    for (const QStringList &row :
         db.rows(QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY type, name"))) {
        dump.append(row.join(u'|'));
        if (row.at(0) == u"table")
            tables.append(row.at(1));
    }
    for (const QString &table : tables) {
        const QString quoted = u'"' + table + u'"';
        for (const QStringList &row : db.rows(QStringLiteral("SELECT * FROM %1").arg(quoted), true))
            dump.append(table + u'|' + row.join(u'|'));
    }
    return dump;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

std::optional<QString> settingsText(const QString &valueName)
{
    platform::RegistryValue value;
    const platform::RegistryStore store;
    if (store.queryValue(comRegistry::HKEY_CURRENT_USER, SettingsPath, valueName, value) != 0
        || value.type != comRegistry::REG_SZ)
        return std::nullopt;
    QByteArray data = value.data;
    if (data.endsWith('\0'))
        data.chop(1);
    return QString::fromUtf8(data);
}

void setSettingsText(const QString &valueName, const QString &value)
{
    MainModule::ScriviRegistro(comRegistry::HKEY_CURRENT_USER, SettingsPath, comRegistry::REG_SZ, valueName,
                               platform::Variant(value));
}

void ShellTest::SetUp()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Korvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Velmora"));
    resetMainModule();
    documents = testsupport::freshDir(QStringLiteral("documenti"));
    desk->setDocumentsFolder(documents);
    registryFile = testsupport::freshDir(QStringLiteral("registro")) + QStringLiteral("/registry.ini");
    platform::RegistryStore::setDefaultFileName(registryFile);
    defaultBusyTimeout = platform::Connection::defaultBusyTimeout();
}

void ShellTest::TearDown()
{
    platform::Connection::setDefaultBusyTimeout(defaultBusyTimeout);
    platform::RegistryStore::setDefaultFileName(QString());
    resetMainModule();
}

void ShellTest::resetMainModule()
{
    using namespace MainModule;
    ImpostaCartellaProgramma(QString());
    ConnString.clear();
    DbPath.clear();
    DbName.clear();
    DataFolder.clear();
    SettingsKey.clear();
    SettingsKeyCopy.clear();
    PrintersKey.clear();
    ScrollBarWidth = 0;
    WorkDate = platform::DateTime();
    WorkYear = 0;
    NumDecQ = 0;
    NumDecV = 0;
    QtyFormat.clear();
    ValueFormat.clear();
    DefaultCodiceIVA.clear();
    DefaultUM.clear();
    DefaultCategoria.clear();
    InstalledPrinters.clear();
    InstalledPrinterDetails.clear();
    InstalledPrinterCount = 0;
    PrinterNames = {};
    PrinterDetails = {};
    SkipLabels = 0;
}

} // namespace shelltest
