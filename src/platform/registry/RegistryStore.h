#pragma once

#include "platform/registry/RegistryTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace platform {

// One registry value as the platform keeps it: its type and its raw bytes
// (text as UTF-8 with its closing zero, a REG_DWORD as 4 little-endian bytes).
struct RegistryValue
{
    std::int32_t type = reg::REG_NONE;
    QByteArray data;

    bool operator==(const RegistryValue &) const = default;
};

// The per-user registry that stands in for the platform's: root keys, key
// paths with "\" separators, values with a type and raw bytes. Names of keys
// and values compare without regard to case and keep the spelling they were
// first written with.
//
// It is kept with QSettings in INI format: each key path is a group below
// its root key's group ("HKEY_CURRENT_USER"), each value one entry holding
// its type and bytes (see RegistryCodec.h). Every operation reads the file
// afresh and every change is written at once with QSettings::sync(), which
// locks the file and merges the change into what other copies of the program
// wrote meanwhile. No key handle outlives an operation.
//
// Operations answer with the platform's result codes (reg::ERROR_...):
// 0 success, 2 key or value missing, 5 write refused (or a key with
// subkeys to delete), 6 not a root key, 161 a key path with an empty segment.
class RegistryStore
{
public:
    // The store in defaultFileName().
    RegistryStore();
    // The store in the given INI file.
    explicit RegistryStore(QString fileName);

    const QString &fileName() const { return m_fileName; }

    // <GenericConfigLocation>/<organization>/<application>/registry.ini
    static QString standardFileName();
    // The file that RegistryStore() uses: standardFileName() unless another
    // file was set with setDefaultFileName().
    static QString defaultFileName();
    // Points every store made with RegistryStore() at another file (tests,
    // helper programs); an empty name goes back to standardFileName().
    static void setDefaultFileName(const QString &fileName);

    // 0 when the key exists (an empty path names the root key itself).
    std::int32_t openKey(std::int32_t rootKey, const QString &path) const;
    bool keyExists(std::int32_t rootKey, const QString &path) const { return openKey(rootKey, path) == reg::ERROR_SUCCESS; }
    // Creates the key with every missing key above it, or opens it when it
    // exists; *created tells which.
    std::int32_t createKey(std::int32_t rootKey, const QString &path, bool *created = nullptr);
    // Deletes a key with its values; refused (5) while it has subkeys and for
    // a root key.
    std::int32_t deleteKey(std::int32_t rootKey, const QString &path);

    // Type and bytes of a value ("" names the default value). Both a missing
    // key and a missing value answer 2; *keyFound tells them apart. A value
    // whose stored text is damaged (see decodeData) counts as missing.
    std::int32_t queryValue(std::int32_t rootKey, const QString &path, const QString &name, RegistryValue &value,
                            bool *keyFound = nullptr) const;
    // Writes a value of an existing key (2 when the key is missing).
    std::int32_t setValue(std::int32_t rootKey, const QString &path, const QString &name, std::int32_t type,
                          const QByteArray &data);
    std::int32_t setValue(std::int32_t rootKey, const QString &path, const QString &name, const RegistryValue &value)
    {
        return setValue(rootKey, path, name, value.type, value.data);
    }
    std::int32_t deleteValue(std::int32_t rootKey, const QString &path, const QString &name);

    // Names of a key's values ("" for the default value) and of its subkeys.
    std::int32_t enumValueNames(std::int32_t rootKey, const QString &path, QStringList &names) const;
    std::int32_t enumSubKeyNames(std::int32_t rootKey, const QString &path, QStringList &names) const;

private:
    QString m_fileName;
};

} // namespace platform
