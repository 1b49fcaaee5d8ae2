#include "platform/registry/RegistryStore.h"

#include "platform/registry/RegistryCodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <mutex>
#include <optional>

namespace platform {

using namespace reg;

namespace {

std::mutex defaultFileMutex;
QString defaultFileOverride;

// A key path taken apart: the section name of its root key and its segments.
struct KeyPath
{
    QString root;
    QStringList segments;
};

std::int32_t parseKeyPath(std::int32_t rootKey, const QString &path, KeyPath &out)
{
    out.root = rootKeyName(rootKey);
    if (out.root.isEmpty())
        return ERROR_INVALID_HANDLE;
    out.segments.clear();
    if (path.isEmpty())
        return ERROR_SUCCESS; // the root key itself
    QStringList parts = path.split(u'\\');
    if (parts.size() > 1 && parts.back().isEmpty())
        parts.removeLast(); // one trailing "\" is accepted, as by the platform
    for (const QString &part : parts) {
        if (part.isEmpty())
            return ERROR_BAD_PATHNAME;
    }
    out.segments = parts;
    return ERROR_SUCCESS;
}

// One key section of the file.
struct StoredKey
{
    QString group;       // section name: root name and stored segments joined by "."
    QStringList stored;  // segments as stored
    QStringList names;   // segments as names
};

bool sameNames(const QStringList &a, const QStringList &b, qsizetype count)
{
    for (qsizetype i = 0; i < count; ++i) {
        if (a.at(i).compare(b.at(i), Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

// The file's keys below one root key, as sections in file order.
class KeyTable
{
public:
    KeyTable(QSettings &settings, const QString &root)
    {
        for (const QString &group : settings.childGroups()) {
            QStringList parts = group.split(KeySeparator);
            if (parts.takeFirst() != root)
                continue;
            StoredKey key{group, parts, {}};
            for (const QString &part : std::as_const(parts))
                key.names.append(decodeName(part));
            m_keys.append(key);
        }
    }

    // The section of exactly this key, nullptr when it has none.
    const StoredKey *exact(const QStringList &segments) const
    {
        for (const StoredKey &key : m_keys) {
            if (key.names.size() == segments.size() && sameNames(key.names, segments, segments.size()))
                return &key;
        }
        return nullptr;
    }

    // Every section of exactly this key: one, unless two copies of the
    // program created it at the same moment in different spellings.
    QStringList allExact(const QStringList &segments) const
    {
        QStringList groups;
        for (const StoredKey &key : m_keys) {
            if (key.names.size() == segments.size() && sameNames(key.names, segments, segments.size()))
                groups.append(key.group);
        }
        return groups;
    }

    // A key exists when it or a key below it has a section (so that a key
    // whose own section was lost in a merge still holds its subkeys); the
    // root key always exists.
    bool exists(const QStringList &segments) const
    {
        if (segments.isEmpty())
            return true;
        for (const StoredKey &key : m_keys) {
            if (key.names.size() >= segments.size() && sameNames(key.names, segments, segments.size()))
                return true;
        }
        return false;
    }

    // Names of the keys right below, each once, in the spelling first found.
    QStringList children(const QStringList &segments) const
    {
        QStringList result;
        for (const StoredKey &key : m_keys) {
            if (key.names.size() <= segments.size() || !sameNames(key.names, segments, segments.size()))
                continue;
            const QString &name = key.names.at(segments.size());
            if (!result.contains(name, Qt::CaseInsensitive))
                result.append(name);
        }
        return result;
    }

    // The sections of the key and of every key above it (below the root),
    // those that exist as they are spelled, the others spelled like their
    // existing neighbours or as given.
    QStringList sectionsDownTo(const QString &root, const QStringList &segments) const
    {
        QStringList sections;
        QStringList spelled;
        for (qsizetype level = 1; level <= segments.size(); ++level) {
            const QStringList wanted = segments.first(level);
            if (const StoredKey *key = exact(wanted)) {
                spelled = key->stored;
                sections.append(key->group);
                continue;
            }
            QString segment = encodeName(segments.at(level - 1));
            for (const StoredKey &key : m_keys) {
                if (key.names.size() >= level && sameNames(key.names, wanted, level)
                    && key.stored.first(level - 1) == spelled) {
                    segment = key.stored.at(level - 1);
                    break;
                }
            }
            spelled.append(segment);
            sections.append(root + KeySeparator + spelled.join(KeySeparator));
        }
        return sections;
    }

private:
    QList<StoredKey> m_keys;
};

// The section holding the key's own values, null when the key (known only by
// its subkeys) has none.
QString valueSection(const KeyTable &table, const KeyPath &key)
{
    if (key.segments.isEmpty())
        return key.root;
    const StoredKey *stored = table.exact(key.segments);
    return stored ? stored->group : QString();
}

QString keyOf(const QString &group, const QString &entry)
{
    return group + u'/' + entry;
}

// The name of a value entry, nullopt for the key marker.
std::optional<QString> valueNameOf(const QString &entry)
{
    if (entry == QLatin1String(KeyMarkerName))
        return std::nullopt;
    if (entry == QLatin1String(DefaultValueName))
        return QStringLiteral("");
    return decodeName(entry);
}

QString entryNameFor(const QString &valueName)
{
    return valueName.isEmpty() ? QString::fromLatin1(DefaultValueName) : encodeName(valueName);
}

// The entry of a value in a key's section, null when the value is missing.
QString findEntry(QSettings &settings, const QString &group, const QString &valueName)
{
    settings.beginGroup(group);
    const QStringList entries = settings.childKeys();
    settings.endGroup();
    for (const QString &entry : entries) {
        const auto name = valueNameOf(entry);
        if (name && name->compare(valueName, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return QString();
}

QString storedText(const QVariant &value)
{
    // QSettings reads an unquoted text with commas (edited by hand) as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    return value.toString();
}

// Refuses a change up front when the file could not be read (writing would
// replace what it holds) or cannot be written; nothing is changed then, so no
// half-made change lingers in QSettings' memory.
bool canWrite(QSettings &settings)
{
    return settings.status() != QSettings::AccessError && settings.isWritable();
}

// Writes the changes at once: QSettings locks the file, merges them into what
// other copies of the program wrote meanwhile and replaces the file.
std::int32_t commit(QSettings &settings)
{
    settings.sync();
    return settings.status() == QSettings::AccessError ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
}

} // namespace

RegistryStore::RegistryStore()
    : m_fileName(defaultFileName())
{
}

RegistryStore::RegistryStore(QString fileName)
    : m_fileName(std::move(fileName))
{
}

QString RegistryStore::standardFileName()
{
    return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/'
                           + QCoreApplication::organizationName() + u'/' + QCoreApplication::applicationName()
                           + QStringLiteral("/registry.ini"));
}

QString RegistryStore::defaultFileName()
{
    {
        const std::lock_guard lock(defaultFileMutex);
        if (!defaultFileOverride.isEmpty())
            return defaultFileOverride;
    }
    return standardFileName();
}

void RegistryStore::setDefaultFileName(const QString &fileName)
{
    const std::lock_guard lock(defaultFileMutex);
    defaultFileOverride = fileName;
}

std::int32_t RegistryStore::openKey(std::int32_t rootKey, const QString &path) const
{
    KeyPath key;
    if (const std::int32_t code = parseKeyPath(rootKey, path, key))
        return code;
    QSettings settings(m_fileName, QSettings::IniFormat);
    return KeyTable(settings, key.root).exists(key.segments) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

std::int32_t RegistryStore::createKey(std::int32_t rootKey, const QString &path, bool *created)
{
    KeyPath key;
    if (const std::int32_t code = parseKeyPath(rootKey, path, key))
        return code;
    QSettings settings(m_fileName, QSettings::IniFormat);
    const KeyTable table(settings, key.root);
    const bool existed = table.exists(key.segments);

    // Every key on the path gets a marker entry, so that it lives on with no
    // values and no subkeys.
    QStringList unmarked;
    for (const QString &section : table.sectionsDownTo(key.root, key.segments)) {
        if (!settings.contains(keyOf(section, QLatin1String(KeyMarkerName))))
            unmarked.append(section);
    }
    if (!unmarked.isEmpty()) {
        if (!canWrite(settings))
            return ERROR_ACCESS_DENIED;
        for (const QString &section : std::as_const(unmarked))
            settings.setValue(keyOf(section, QLatin1String(KeyMarkerName)), QStringLiteral(""));
        if (const std::int32_t code = commit(settings))
            return code;
    }
    if (created)
        *created = !existed;
    return ERROR_SUCCESS;
}

std::int32_t RegistryStore::deleteKey(std::int32_t rootKey, const QString &path)
{
    KeyPath key;
    if (const std::int32_t code = parseKeyPath(rootKey, path, key))
        return code;
    if (key.segments.isEmpty())
        return ERROR_ACCESS_DENIED; // a root key cannot be deleted
    QSettings settings(m_fileName, QSettings::IniFormat);
    const KeyTable table(settings, key.root);
    if (!table.exists(key.segments))
        return ERROR_FILE_NOT_FOUND;
    if (!table.children(key.segments).isEmpty())
        return ERROR_ACCESS_DENIED; // as the platform: subkeys first
    if (!canWrite(settings))
        return ERROR_ACCESS_DENIED;
    for (const QString &section : table.allExact(key.segments))
        settings.remove(section);
    return commit(settings);
}

std::int32_t RegistryStore::queryValue(std::int32_t rootKey, const QString &path, const QString &name,
                                       RegistryValue &value, bool *keyFound) const
{
    if (keyFound)
        *keyFound = false;
    KeyPath key;
    if (const std::int32_t code = parseKeyPath(rootKey, path, key))
        return code;
    QSettings settings(m_fileName, QSettings::IniFormat);
    const KeyTable table(settings, key.root);
    if (!table.exists(key.segments))
        return ERROR_FILE_NOT_FOUND;
    if (keyFound)
        *keyFound = true;
    const QString section = valueSection(table, key);
    const QString entry = section.isNull() ? QString() : findEntry(settings, section, name);
    if (entry.isNull())
        return ERROR_FILE_NOT_FOUND;
    if (!decodeData(storedText(settings.value(keyOf(section, entry))), value.type, value.data))
        return ERROR_FILE_NOT_FOUND;
    return ERROR_SUCCESS;
}

std::int32_t RegistryStore::setValue(std::int32_t rootKey, const QString &path, const QString &name,
                                     std::int32_t type, const QByteArray &data)
{
    KeyPath key;
    if (const std::int32_t code = parseKeyPath(rootKey, path, key))
        return code;
    QSettings settings(m_fileName, QSettings::IniFormat);
    const KeyTable table(settings, key.root);
    if (!table.exists(key.segments))
        return ERROR_FILE_NOT_FOUND;
    const QString section = key.segments.isEmpty() ? key.root : table.sectionsDownTo(key.root, key.segments).back();
    QString entry = findEntry(settings, section, name);
    if (entry.isNull())
        entry = entryNameFor(name);
    if (!canWrite(settings))
        return ERROR_ACCESS_DENIED;
    if (!key.segments.isEmpty() && !settings.contains(keyOf(section, QLatin1String(KeyMarkerName))))
        settings.setValue(keyOf(section, QLatin1String(KeyMarkerName)), QStringLiteral(""));
    settings.setValue(keyOf(section, entry), encodeData(type, data));
    return commit(settings);
}

std::int32_t RegistryStore::deleteValue(std::int32_t rootKey, const QString &path, const QString &name)
{
    KeyPath key;
    if (const std::int32_t code = parseKeyPath(rootKey, path, key))
        return code;
    QSettings settings(m_fileName, QSettings::IniFormat);
    const KeyTable table(settings, key.root);
    if (!table.exists(key.segments))
        return ERROR_FILE_NOT_FOUND;
    const QString section = valueSection(table, key);
    const QString entry = section.isNull() ? QString() : findEntry(settings, section, name);
    if (entry.isNull())
        return ERROR_FILE_NOT_FOUND;
    if (!canWrite(settings))
        return ERROR_ACCESS_DENIED;
    // The key outlives its last value.
    if (!key.segments.isEmpty() && !settings.contains(keyOf(section, QLatin1String(KeyMarkerName))))
        settings.setValue(keyOf(section, QLatin1String(KeyMarkerName)), QStringLiteral(""));
    settings.remove(keyOf(section, entry));
    return commit(settings);
}

std::int32_t RegistryStore::enumValueNames(std::int32_t rootKey, const QString &path, QStringList &names) const
{
    names.clear();
    KeyPath key;
    if (const std::int32_t code = parseKeyPath(rootKey, path, key))
        return code;
    QSettings settings(m_fileName, QSettings::IniFormat);
    const KeyTable table(settings, key.root);
    if (!table.exists(key.segments))
        return ERROR_FILE_NOT_FOUND;
    const QString section = valueSection(table, key);
    if (section.isNull())
        return ERROR_SUCCESS;
    settings.beginGroup(section);
    const QStringList entries = settings.childKeys();
    settings.endGroup();
    for (const QString &entry : entries) {
        if (const auto valueName = valueNameOf(entry))
            names.append(*valueName);
    }
    return ERROR_SUCCESS;
}

std::int32_t RegistryStore::enumSubKeyNames(std::int32_t rootKey, const QString &path, QStringList &names) const
{
    names.clear();
    KeyPath key;
    if (const std::int32_t code = parseKeyPath(rootKey, path, key))
        return code;
    QSettings settings(m_fileName, QSettings::IniFormat);
    const KeyTable table(settings, key.root);
    if (!table.exists(key.segments))
        return ERROR_FILE_NOT_FOUND;
    names = table.children(key.segments);
    return ERROR_SUCCESS;
}

} // namespace platform
