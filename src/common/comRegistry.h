#pragma once

#include "platform/base/RuntimeError.h"
#include "platform/base/Variant.h"
#include "platform/registry/RegistryTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

// Reads and writes one registry value at a time: the caller sets the root
// key, the key path, the value name and the value type, then reads or assigns
// Value. Also deletes keys and values, lists them and registers file types.
// Every operation opens the per-user store, does its work and closes it;
// nothing is kept between operations.
//
// Errors are raised as platform::RuntimeError whose source is the program's
// executable name + ".comRegistry"; a read never raises, it answers Default.
class comRegistry
{
public:
    // Root keys (ClassKey).
    static constexpr std::int32_t HKEY_CLASSES_ROOT = platform::reg::HKEY_CLASSES_ROOT;
    static constexpr std::int32_t HKEY_CURRENT_USER = platform::reg::HKEY_CURRENT_USER;
    static constexpr std::int32_t HKEY_LOCAL_MACHINE = platform::reg::HKEY_LOCAL_MACHINE;
    static constexpr std::int32_t HKEY_USERS = platform::reg::HKEY_USERS;

    // Value types (ValueType).
    static constexpr std::int32_t REG_NONE = platform::reg::REG_NONE;
    static constexpr std::int32_t REG_SZ = platform::reg::REG_SZ;
    static constexpr std::int32_t REG_EXPAND_SZ = platform::reg::REG_EXPAND_SZ;
    static constexpr std::int32_t REG_BINARY = platform::reg::REG_BINARY;
    static constexpr std::int32_t REG_DWORD = platform::reg::REG_DWORD;
    static constexpr std::int32_t REG_DWORD_BIG_ENDIAN = platform::reg::REG_DWORD_BIG_ENDIAN;
    static constexpr std::int32_t REG_LINK = platform::reg::REG_LINK;
    static constexpr std::int32_t REG_MULTI_SZ = platform::reg::REG_MULTI_SZ;

    // Numbers of the errors it raises.
    static constexpr std::int32_t ErrKey = 26001; // a key can't be created, opened or deleted
    static constexpr std::int32_t ErrSetValue = platform::vbObjectError + 27049;
    static constexpr std::int32_t ErrEnumerateSections = platform::vbObjectError + 27050;
    static constexpr std::int32_t ErrAssociationList = platform::vbObjectError + 27052;
    static constexpr std::int32_t ErrAssociationClass = platform::vbObjectError + 27053;

    // The name of a remote computer ("\\name"), empty for this computer. The
    // program keeps one local store: with a name set, reads and writes still
    // go to it.
    QString Machine() const { return m_machine; }
    void setMachine(const QString &sMachine);

    // True when SectionKey exists under ClassKey.
    bool KeyExists() const;
    // Creates SectionKey (the whole path) or opens it; true, or error 26001.
    bool CreateKey();
    // Deletes SectionKey (refused while it has subkeys); true, or error 26001.
    bool DeleteKey();
    // Deletes the value ValueKey of SectionKey; true, or error 26001.
    bool DeleteValue();

    // Reads the value ValueKey of SectionKey under ClassKey and sets
    // ValueType to the stored type; Default when it can't be read.
    platform::Variant Value();
    // Writes the value as ValueType says: text (REG_SZ, or REG_EXPAND_SZ when
    // it holds a "%NAME%" reference), a byte array (REG_BINARY) or a whole
    // number (REG_DWORD). Errors 26001 and ErrSetValue.
    void setValue(const platform::Variant &vValue);

    // The names of the values (of the subkeys) of SectionKey, and their
    // number; empty when the key doesn't open. Always true.
    bool EnumerateValues(QStringList &sKeyNames, std::int32_t &iKeyCount);
    bool EnumerateSections(QStringList &sSect, std::int32_t &iSectCount);

    // Registers the file type "." + sAssociation for a program under
    // HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE\SOFTWARE\Classes.
    void CreateEXEAssociation(const QString &sExePath, const QString &sClassName, const QString &sClassDescription,
                              const QString &sAssociation, const QString &sOpenMenuText = QString(),
                              bool bSupportPrint = false, const QString &sPrintMenuText = QString(),
                              bool bSupportNew = false, const QString &sNewMenuText = QString(),
                              bool bSupportInstall = false, const QString &sInstallMenuText = QString(),
                              std::int32_t lDefaultIconIndex = -1);
    // Adds verbs to a registered class: vItems holds triples (verb name, menu
    // text, command).
    void CreateAdditionalEXEAssociations(const QString &sClassName, const QList<platform::Variant> &vItems);

    std::int32_t ValueType() const { return m_valueType; }
    void setValueType(std::int32_t eValueType) { m_valueType = eValueType; }
    std::int32_t ClassKey() const { return m_classKey; }
    void setClassKey(std::int32_t eKey) { m_classKey = eKey; }
    QString SectionKey() const { return m_sectionKey; }
    void setSectionKey(const QString &sSectionKey) { m_sectionKey = sSectionKey; }
    QString ValueKey() const { return m_valueKey; }
    void setValueKey(const QString &sValueKey) { m_valueKey = sValueKey; }

    // Sets the five properties, then reads Value.
    platform::Variant ValueEx(std::int32_t classKey, const QString &sectionKey, const QString &valueKey,
                              std::int32_t valueType, const platform::Variant &defaultValue);
    // Sets the five properties, then writes newValue (Default in its place
    // when ValueType is REG_SZ and newValue is empty text).
    void setValueEx(std::int32_t classKey, const QString &sectionKey, const QString &valueKey, std::int32_t valueType,
                    const platform::Variant &defaultValue, const platform::Variant &newValue);

    platform::Variant Default() const { return m_default; }
    void setDefault(const platform::Variant &vDefault) { m_default = vDefault; }

private:
    void SetClassValue(const QString &sValue);
    static std::int32_t SwapByteOrder(std::int32_t lValue);
    static QString ExpandEnvironmentVariables(const QString &sValue);

    static QString errorSource();
    [[noreturn]] void raiseWriteError(std::int32_t number, const platform::Variant &vValue) const;

    std::int32_t m_classKey = 0;
    QString m_sectionKey;
    QString m_valueKey;
    platform::Variant m_value; // the last value this instance wrote
    platform::Variant m_default;
    std::int32_t m_valueType = 0;
    QString m_machine;
};
