#include "shell/MainModule.h"

#include "common/comRegistry.h"
#include "common/comUtility.h"
#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/registry/RegistryStore.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStyle>

using platform::Variant;

namespace MainModule {

namespace {

const QString DefaultDatabaseName = QStringLiteral("gest01.mdb");
const QString TemplateName = QStringLiteral("master.gen");
const QString NotStarted = QStringLiteral("L'applicazione non verrà avviata.");

// The program folder set by ImpostaCartellaProgramma, empty when not set.
QString &ProgramFolderOverride()
{
    static QString folder;
    return folder;
}

// Whether this start has already said that the settings cannot be saved.
bool &SettingsWarningShown()
{
    static bool shown = false;
    return shown;
}

QString CounterQuery(std::int16_t year)
{
    return QStringLiteral("SELECT * FROM _Pars WHERE k01='maga' AND l01=") + QString::number(year);
}

// The last number of a counter row: an empty or unreadable one counts as 0.
std::int32_t UltimoNumero(const platform::Recordset &rs)
{
    return comUtility::IntegerOrDefault(rs.value(QStringLiteral("l02")), 0);
}

// Opens the year's counter row on `connection`, adding it with 0 when the
// year has none, and hands `body` the recordset and the year's last number;
// whatever `body` changes is written with the new row, inside the
// connection's transaction.
template <typename Body>
auto ConRigaContatore(platform::Connection &connection, std::int16_t year, Body body)
{
    platform::Recordset rs;
    rs.open(CounterQuery(year), connection, platform::CursorType::Static, platform::LockType::Optimistic);
    std::int32_t last = 0;
    if (rs.isEOF()) {
        rs.addNew();
        rs.setValue(QStringLiteral("k01"), Variant("maga"));
        rs.setValue(QStringLiteral("l01"), Variant(std::int32_t(year)));
        rs.setValue(QStringLiteral("l02"), Variant(std::int32_t(0)));
    } else {
        last = UltimoNumero(rs);
    }
    const auto result = body(rs, last);
    rs.update();
    rs.close();
    return result;
}

// The same in one write transaction of a new connection.
template <typename Body>
auto WithCounterRow(std::int16_t year, Body body)
{
    platform::Connection connection(ConnString);
    connection.beginTrans();
    const auto result = ConRigaContatore(connection, year, body);
    connection.commitTrans();
    connection.close();
    return result;
}

// Hands out the year's last number and records the next one.
std::int32_t Incrementa(platform::Recordset &rs, std::int32_t last)
{
    rs.setValue(QStringLiteral("l02"), Variant(last + 1));
    return last;
}

// Chooses the database, making the default one from the template when
// nothing opens; false, after the message, when the start must end.
bool ScegliDatabase()
{
    // A database that exists but does not open (another program holds it,
    // it is damaged) ends the start: making a new empty one in its place
    // would hide the user's data.
    std::optional<FileNonAperto> nonAperto;
    if (ImpostaConnessione(&nonAperto))
        return true;
    if (nonAperto)
        return MessaggioFatale(nonAperto->Messaggio());
    const QString defaultDatabase =
        DataFolder.isEmpty() ? DefaultDatabaseName : comUtility::FullPath(DataFolder, DefaultDatabaseName);
    QString copyError;
    if (!CopiaModello(&copyError))
        return MessaggioFatale(QStringLiteral("File di sistema assente."));
    if (!copyError.isEmpty()) {
        return MessaggioFatale(QStringLiteral("Impossibile creare il database ") + QDir::toNativeSeparators(defaultDatabase)
                               + QStringLiteral(".\r\n") + copyError);
    }
    if (ImpostaConnessione(&nonAperto))
        return true;
    if (nonAperto && nonAperto->kind == platform::DatabaseError::Kind::Busy)
        return MessaggioFatale(nonAperto->Messaggio());
    return MessaggioFatale(QStringLiteral("Database non trovato o danneggiato."));
}

} // namespace

bool MessaggioFatale(const QString &firstLine)
{
    platform::desktop().msgBox(firstLine + QStringLiteral("\r\n") + NotStarted,
                               platform::vbCritical | platform::vbOKOnly, ApplicationTitle);
    return false;
}

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
    return QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") + comUtility::FullPath(folder, file)
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
    return ErroreConnessione(connString).has_value();
}

std::optional<platform::DatabaseError::Kind> ErroreConnessione(const QString &connString)
{
    try {
        platform::Connection connection;
        connection.open(connString);
        connection.close();
        return std::nullopt;
    } catch (const platform::DatabaseError &e) {
        return e.kind();
    } catch (const platform::RuntimeError &) {
        return platform::DatabaseError::Kind::General;
    }
}

QString FileNonAperto::Messaggio() const
{
    return QStringLiteral("Impossibile aprire il database ") + QDir::toNativeSeparators(path) + QStringLiteral(".\r\n")
        + platform::DatabaseError::describe(kind);
}

bool DatabaseSolaLettura()
{
    try {
        platform::Connection connection(ConnString);
        const QFileInfo file(connection.dataSource());
        return connection.isReadOnly() || !QFileInfo(file.absolutePath()).isWritable();
    } catch (const platform::RuntimeError &) {
        return false;
    }
}

QString AvvisoSolaLettura()
{
    return QStringLiteral("Il database ") + QDir::toNativeSeparators(comUtility::FullPath(DbPath, DbName))
        + QStringLiteral(" è di sola lettura: si possono consultare i dati, ma nessuna modifica potrà essere salvata.");
}

bool ImpostaConnessione(std::optional<FileNonAperto> *nonAperto)
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
        if (const auto error = ErroreConnessione(connString)) {
            // A file that is there but does not open is still the user's:
            // going on to the next candidate would start on other data, and
            // the default one would even take its place in the settings.
            const QString path = comUtility::FullPath(c.folder, c.file);
            if (*error == platform::DatabaseError::Kind::Busy || QFileInfo::exists(path)) {
                if (nonAperto)
                    *nonAperto = FileNonAperto{path, *error};
                return false;
            }
            continue;
        }
        // The name is written only with its folder, never alone.
        if (c.remember && ScriviImpostazione(QStringLiteral("dbPath"), c.folder))
            ScriviImpostazione(QStringLiteral("dbName"), c.file);
        DbPath = c.folder;
        DbName = c.file;
        ConnString = connString;
        return true;
    }
    return false;
}

bool CopiaModello(QString *error)
{
    const QString source = comUtility::FullPath(CartellaProgramma(), TemplateName);
    if (!QFileInfo::exists(source)) {
        if (error)
            error->clear();
        return false;
    }
    // A database that failed to open is the user's data: the copy never
    // replaces it. The template is read-only in some installations; the
    // copy is not.
    const QString reason = DataFolder.isEmpty()
        ? QStringLiteral("Cartella dei documenti non disponibile.")
        : comUtility::CopyNewFile(source, comUtility::FullPath(DataFolder, DefaultDatabaseName));
    if (error)
        *error = reason;
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

std::int32_t LeggiNumero(const QString &valueName, std::int32_t defaultValue)
{
    return comUtility::IntegerOrDefault(
        LeggiRegistro(comRegistry::HKEY_CURRENT_USER, SettingsKey, comRegistry::REG_DWORD, valueName, Variant(defaultValue)),
        defaultValue);
}

bool ScriviImpostazione(const QString &valueName, const QString &value)
{
    try {
        ScriviRegistro(comRegistry::HKEY_CURRENT_USER, SettingsKeyCopy, comRegistry::REG_SZ, valueName, value);
        return true;
    } catch (const platform::RuntimeError &) {
        if (!SettingsWarningShown()) {
            SettingsWarningShown() = true;
            platform::desktop().msgBox(ImpostazioniNonSalvate(), platform::vbExclamation | platform::vbOKOnly,
                                       ApplicationTitle);
        }
        return false;
    }
}

QString ImpostazioniNonSalvate()
{
    return QStringLiteral("Impossibile salvare le impostazioni nel file ")
        + QDir::toNativeSeparators(platform::RegistryStore::defaultFileName())
        + QStringLiteral(".\r\nLe modifiche alle impostazioni non verranno conservate.");
}

std::int32_t LeggiProgressivo(std::int16_t year)
{
    {
        platform::Connection connection(ConnString);
        platform::Recordset rs;
        rs.open(CounterQuery(year), connection, platform::CursorType::ForwardOnly, platform::LockType::ReadOnly);
        if (!rs.isEOF())
            return UltimoNumero(rs);
    }
    try {
        return WithCounterRow(year, [](platform::Recordset &, std::int32_t last) { return last; });
    } catch (const platform::DatabaseError &e) {
        // A database that cannot be written has handed out no number in a
        // year it has no row for.
        if (e.kind() != platform::DatabaseError::Kind::ReadOnly)
            throw;
        return 0;
    }
}

std::int32_t ProssimoProgressivo(std::int16_t year)
{
    return WithCounterRow(year, Incrementa);
}

std::int32_t ProssimoProgressivo(platform::Connection &connection, std::int16_t year)
{
    return ConRigaContatore(connection, year, Incrementa);
}

void SalvaProgressivo(std::int32_t value, std::int16_t year)
{
    WithCounterRow(year, [value](platform::Recordset &rs, std::int32_t) {
        rs.setValue(QStringLiteral("l02"), Variant(value));
        return value;
    });
}

bool CambiaProgressivo(std::int32_t value, std::int16_t year, std::int32_t shown)
{
    return WithCounterRow(year, [value, shown](platform::Recordset &rs, std::int32_t last) {
        if (last != shown)
            return false;
        rs.setValue(QStringLiteral("l02"), Variant(value));
        return true;
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

    if (!ScegliDatabase() || !AggiornaDatabase())
        return false;

    const Variant release = LeggiRegistro(comRegistry::HKEY_CURRENT_USER, SettingsKeyCopy, comRegistry::REG_SZ,
                                          QStringLiteral("prgrel"), Variant(QString()));
    if (release.toString().isEmpty())
        ScriviImpostazione(QStringLiteral("prgrel"), comProgramInfo::VersionText());
    return true;
}

} // namespace MainModule
