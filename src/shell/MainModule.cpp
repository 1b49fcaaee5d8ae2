#include "shell/MainModule.h"

#include "common/comRegistry.h"
#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStyle>

using platform::Variant;

namespace MainModule {

namespace {

const QString DefaultDatabaseName = QStringLiteral("gest01.mdb");
const QString TemplateName = QStringLiteral("master.gen");
const QString NotStarted = QStringLiteral("L'applicazione non verrà avviata.");

// A fatal start-up message: critical icon, OK, the title as caption.
void MessaggioFatale(const QString &firstLine)
{
    platform::desktop().msgBox(firstLine + QStringLiteral("\r\n") + NotStarted,
                               platform::vbCritical | platform::vbOKOnly, ApplicationTitle);
}

// Whether this start has already said that the settings cannot be saved.
bool &SettingsWarningShown()
{
    static bool shown = false;
    return shown;
}

// Writes a setting of the start-up. A refused write is reported once per
// start (the same store refuses every later write too) and the start goes
// on without the stored value; false when the value was not stored.
bool ScriviImpostazioneAvvio(const QString &name, const QString &value)
{
    try {
        ScriviRegistro(comRegistry::HKEY_CURRENT_USER, SettingsKeyCopy, comRegistry::REG_SZ, name, value);
        return true;
    } catch (const platform::RuntimeError &e) {
        if (!SettingsWarningShown()) {
            SettingsWarningShown() = true;
            platform::desktop().msgBox(QStringLiteral("Impossibile salvare le impostazioni.\r\n") + e.description(),
                                       platform::vbExclamation | platform::vbOKOnly, ApplicationTitle);
        }
        return false;
    }
}

QString CounterQuery(std::int16_t year)
{
    return QStringLiteral("SELECT * FROM _Pars WHERE k01='maga' AND l01=") + QString::number(year);
}

// Opens the year's counter row in one write transaction of a new
// connection, adding it with 0 when the year has none, and hands `body` the
// recordset and the year's last number; whatever `body` changes is saved
// and committed together with the new row.
template <typename Body>
std::int32_t WithCounterRow(std::int16_t year, Body body)
{
    platform::Connection connection(ConnString);
    connection.beginTrans();
    platform::Recordset rs;
    rs.open(CounterQuery(year), connection, platform::CursorType::Static, platform::LockType::Optimistic);
    std::int32_t last = 0;
    if (rs.isEOF()) {
        rs.addNew();
        rs.setValue(QStringLiteral("k01"), Variant("maga"));
        rs.setValue(QStringLiteral("l01"), Variant(std::int32_t(year)));
        rs.setValue(QStringLiteral("l02"), Variant(std::int32_t(0)));
    } else {
        const Variant stored = rs.value(QStringLiteral("l02"));
        last = stored.isNull() ? 0 : stored.toInt32();
    }
    const std::int32_t result = body(rs, last);
    rs.update();
    rs.close();
    connection.commitTrans();
    connection.close();
    return result;
}

} // namespace

namespace {
QString &ProgramFolderOverride()
{
    static QString folder;
    return folder;
}
} // namespace

QString CartellaProgramma()
{
    return ProgramFolderOverride().isEmpty() ? QCoreApplication::applicationDirPath() : ProgramFolderOverride();
}

void ImpostaCartellaProgramma(const QString &folder)
{
    ProgramFolderOverride() = folder;
}

QString CostruisciConnString(const QString &folder, const QString &file)
{
    return QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") + folder + u'/' + file
        + QStringLiteral(";Persist Security Info=False");
}

QString CartellaDati()
{
    QString documents = platform::desktop().documentsFolder();
    if (documents.isEmpty())
        return QString();
    if (!documents.endsWith(u'/'))
        documents += u'/';
    const QString folder = documents + QStringLiteral("BrevelDB");
    if (!QFileInfo::exists(folder))
        QDir().mkpath(folder);
    return folder;
}

bool ConnessioneFallita(const QString &connString)
{
    try {
        platform::Connection connection;
        connection.open(connString);
        connection.close();
        return false;
    } catch (const platform::RuntimeError &) {
        return true;
    }
}

bool ImpostaConnessione()
{
    struct Candidate {
        QString folder;
        QString file;
        bool remember;
    };
    const auto reg = [](const QString &name) {
        return LeggiRegistro(comRegistry::HKEY_CURRENT_USER, SettingsKeyCopy, comRegistry::REG_SZ, name,
                             Variant(QString()))
            .toString();
    };
    const Candidate candidates[] = {
        {reg(QStringLiteral("dbPath")), reg(QStringLiteral("dbName")), false},
        {reg(QStringLiteral("dbPath2")), reg(QStringLiteral("dbName2")), false},
        {DataFolder, DefaultDatabaseName, true},
    };
    for (const Candidate &c : candidates) {
        // A candidate without a folder would name a file at the root of the
        // file system (the data folder is empty when there is no documents
        // folder).
        if (c.folder.isEmpty() || c.file.isEmpty())
            continue;
        const QString connString = CostruisciConnString(c.folder, c.file);
        if (ConnessioneFallita(connString))
            continue;
        // The name is written only with its folder, never alone.
        if (c.remember && ScriviImpostazioneAvvio(QStringLiteral("dbPath"), c.folder))
            ScriviImpostazioneAvvio(QStringLiteral("dbName"), c.file);
        DbPath = c.folder;
        DbName = c.file;
        ConnString = connString;
        return true;
    }
    return false;
}

bool CopiaModello(QString *error)
{
    if (error)
        error->clear();
    const QString source = CartellaProgramma() + u'/' + TemplateName;
    if (!QFileInfo::exists(source))
        return false;
    if (DataFolder.isEmpty()) {
        if (error)
            *error = QStringLiteral("Cartella dei documenti non disponibile.");
        return true;
    }
    const QString target = DataFolder + u'/' + DefaultDatabaseName;
    // QFile::copy never replaces an existing file: a database that failed
    // to open is the user's data and stays as it is, permissions included.
    QFile file(source);
    if (!file.copy(target)) {
        if (error)
            *error = file.errorString();
        return true;
    }
    // The template is read-only in some installations; the copy must not be.
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return true;
}

void DisabilitaChiudi(QWidget *window)
{
    platform::desktop().removeCloseButton(window);
}

Variant LeggiRegistro(std::int32_t rootKey, const QString &keyPath, std::int32_t valueType, const QString &valueName,
                      const std::optional<Variant> &defaultValue)
{
    comRegistry reg;
    reg.setClassKey(rootKey);
    reg.setSectionKey(keyPath);
    reg.setValueType(valueType);
    reg.setValueKey(valueName);
    if (defaultValue)
        reg.setDefault(*defaultValue);
    return reg.Value();
}

void ScriviRegistro(std::int32_t rootKey, const QString &keyPath, std::int32_t valueType, const QString &valueName,
                    const Variant &value)
{
    comRegistry reg;
    reg.setClassKey(rootKey);
    reg.setSectionKey(keyPath);
    reg.setValueKey(valueName);
    reg.setValueType(valueType);
    reg.setValue(value);
}

std::int32_t LeggiProgressivo(std::int16_t year)
{
    return WithCounterRow(year, [](platform::Recordset &, std::int32_t last) { return last; });
}

std::int32_t ProssimoProgressivo(std::int16_t year)
{
    return WithCounterRow(year, [](platform::Recordset &rs, std::int32_t last) {
        rs.setValue(QStringLiteral("l02"), Variant(last + 1));
        return last;
    });
}

void SalvaProgressivo(std::int32_t value, std::int16_t year)
{
    WithCounterRow(year, [value](platform::Recordset &rs, std::int32_t) {
        rs.setValue(QStringLiteral("l02"), Variant(value));
        return value;
    });
}

QString FormatoNumero(int decimals)
{
    QString format = QStringLiteral("#,#");
    if (decimals > 0)
        format += u'.' + QString(decimals, u'0');
    return format;
}

bool Main()
{
    SettingsWarningShown() = false;
    DataFolder = CartellaDati();

    SettingsKey = QStringLiteral("Software\\Korvane\\") + ApplicationTitle + QStringLiteral("\\Settings");
    SettingsKeyCopy = SettingsKey;
    PrintersKey = QStringLiteral("Software\\Korvane\\") + ApplicationTitle + QStringLiteral("\\Printers");

    const int scrollBarPixels = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    ScrollBarWidth = static_cast<float>(scrollBarPixels * 15);

    if (!ImpostaConnessione()) {
        const QString defaultDatabase =
            DataFolder.isEmpty() ? DefaultDatabaseName : DataFolder + u'/' + DefaultDatabaseName;
        // An existing default database that does not open is left alone:
        // replacing it with the empty template would destroy the user's data.
        if (!DataFolder.isEmpty() && QFileInfo::exists(defaultDatabase)) {
            MessaggioFatale(QStringLiteral("Database non trovato o danneggiato."));
            return false;
        }
        QString copyError;
        if (!CopiaModello(&copyError)) {
            MessaggioFatale(QStringLiteral("File di sistema assente."));
            return false;
        }
        if (!copyError.isEmpty()) {
            MessaggioFatale(QStringLiteral("Impossibile creare il database ") + QDir::toNativeSeparators(defaultDatabase)
                            + QStringLiteral(".\r\n") + copyError);
            return false;
        }
        if (!ImpostaConnessione()) {
            MessaggioFatale(QStringLiteral("Database non trovato o danneggiato."));
            return false;
        }
    }

    if (!AggiornaDatabase())
        return false;

    const Variant release = LeggiRegistro(comRegistry::HKEY_CURRENT_USER, SettingsKeyCopy, comRegistry::REG_SZ,
                                          QStringLiteral("prgrel"), Variant(QString()));
    if (release.toString().isEmpty()) {
        ScriviImpostazioneAvvio(QStringLiteral("prgrel"), comProgramInfo::VersionText());
    }
    return true;
}

} // namespace MainModule
