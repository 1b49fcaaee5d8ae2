#include "ShellFixture.h"

#include "common/comRegistry.h"
#include "common/comfrmAbout.h"
#include "platform/registry/RegistryStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace shelltest {

using namespace Qt::StringLiterals;

QString templateFile()
{
    return testsupport::programDir() + u"/master.gen"_s;
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

QStringList dumpDatabase(const QString &path)
{
    QStringList dump = queryColumn(path, QStringLiteral("SELECT type || '|' || name || '|' || tbl_name || '|' || "
                                                        "quote(sql) FROM sqlite_master ORDER BY type, name"));
    for (const QString &table :
         queryColumn(path, u"SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"_s)) {
        QStringList values;
        for (const QString &column : queryColumn(path, u"SELECT name FROM pragma_table_info('%1')"_s.arg(table)))
            values << u"quote(\"%1\")"_s.arg(column);
        const QString row = values.join(u" || '|' || "_s);
        dump += queryColumn(path, u"SELECT '%1|' || %2 FROM \"%1\""_s.arg(table, row));
    }
    return dump;
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

void setSettingsNumber(const QString &valueName, std::int32_t value)
{
    MainModule::ScriviRegistro(comRegistry::HKEY_CURRENT_USER, SettingsPath, comRegistry::REG_DWORD, valueName,
                               platform::Variant(value));
}

void click(const QWidget *window, const QString &button)
{
    if (auto *found = child<QPushButton>(window, button))
        QTest::mouseClick(found, Qt::LeftButton);
}

AltroProgramma::AltroProgramma(const QString &path, bool exclusive)
{
    EXPECT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(m_db, exclusive ? "BEGIN EXCLUSIVE" : "BEGIN IMMEDIATE", nullptr, nullptr, nullptr),
              SQLITE_OK);
}

AltroProgramma::~AltroProgramma()
{
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(m_db);
}

ReadOnlyFile::ReadOnlyFile(QString path)
    : m_path(std::move(path))
{
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    if (holds() || syscall(SYS_capget, &m_header, m_saved) != 0)
        return;
    __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
    reduced[CAP_TO_INDEX(CAP_DAC_OVERRIDE)].effective &= ~CAP_TO_MASK(CAP_DAC_OVERRIDE);
    m_dropped = syscall(SYS_capset, &m_header, reduced) == 0;
}

ReadOnlyFile::~ReadOnlyFile()
{
    if (m_dropped)
        syscall(SYS_capset, &m_header, m_saved);
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
}

bool ReadOnlyFile::holds() const
{
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR);
    if (fd >= 0)
        ::close(fd);
    return fd < 0;
}

void ShellTest::SetUp()
{
    QCoreApplication::setOrganizationName(u"Korvane"_s);
    QCoreApplication::setApplicationName(u"Velmora"_s);
    resetMainModule();
    documents = testsupport::freshDir(u"documenti"_s);
    desk->setDocumentsFolder(documents);
    platform::RegistryStore::setDefaultFileName(testsupport::freshDir(u"registro"_s) + u"/registry.ini"_s);
    defaultBusyTimeout = platform::Connection::defaultBusyTimeout();
    comfrmAbout::Default().Timer1.setClock([this] { return splashClock; });
    comfrmAbout::Default().Timer1.setWait([this](qint64 ms) { splashClock += ms; });
}

void ShellTest::TearDown()
{
    comfrmAbout::Default().Timer1.setClock({});
    comfrmAbout::Default().Timer1.setWait({});
    platform::Connection::setDefaultBusyTimeout(defaultBusyTimeout);
    platform::RegistryStore::setDefaultFileName(QString());
    resetMainModule();
}

void TemplateDatabaseTest::SetUp()
{
    ShellTest::SetUp();
    database = copyTemplate(testsupport::freshDir(u"database"_s));
    useDatabase(database);
}

platform::MsgBoxCall ShellTest::criticalBox(bool fatal) const
{
    const auto boxes = desk->msgBoxes();
    EXPECT_EQ(boxes.size(), 1u) << desk->prompts().join(u'|').toStdString();
    if (boxes.empty())
        return {};
    EXPECT_EQ(boxes[0].style, platform::vbCritical | platform::vbOKOnly);
    EXPECT_EQ(boxes[0].title, u"Velmora"_s);
    EXPECT_EQ(boxes[0].prompt.endsWith(u"\r\n"_s + NotStarted), fatal) << boxes[0].prompt.toStdString();
    return boxes[0];
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
    NumDecQ = 0;
    NumDecV = 0;
    QtyFormat.clear();
    ValueFormat.clear();
    DefaultCodiceIVA.clear();
    DefaultUM.clear();
    DefaultCategoria.clear();
}

} // namespace shelltest
