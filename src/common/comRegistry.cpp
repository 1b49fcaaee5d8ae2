#include "common/comRegistry.h"

#include "platform/registry/EnvironmentStrings.h"
#include "platform/registry/RegistryStore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QScopeGuard>

#include <exception>

using platform::RegistryStore;
using platform::RegistryValue;
using platform::RuntimeError;
using platform::Variant;
using platform::VarType;
namespace reg = platform::reg;

namespace {

// The text of a stored string value: its bytes without the closing zero
// (for REG_MULTI_SZ the strings with the zeros between them). Data stored
// without a closing zero is taken whole; no data at all reads as empty text.
QString storedText(const QByteArray &data)
{
    return QString::fromUtf8(data.endsWith('\0') ? data.first(data.size() - 1) : data);
}

// A REG_DWORD's four bytes, least significant first. Data of another length
// (written by another program) is cut or padded with zeros to four bytes.
std::int32_t storedDword(const QByteArray &data)
{
    std::uint32_t v = 0;
    for (qsizetype i = 0; i < 4; ++i) {
        const std::uint32_t byte = i < data.size() ? static_cast<unsigned char>(data.at(i)) : 0u;
        v |= byte << (8 * i);
    }
    return static_cast<std::int32_t>(v);
}

QByteArray dwordBytes(std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    QByteArray data(4, '\0');
    for (int i = 0; i < 4; ++i)
        data[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return data;
}

// A "%" and another "%" at least two positions further on, as around an
// environment variable's name.
bool holdsEnvironmentReference(const QString &text)
{
    const qsizetype first = text.indexOf(u'%');
    return first >= 0 && text.lastIndexOf(u'%') >= first + 2;
}

// A value as text for messages and for the empty-text test of ValueEx: as the
// run-time writes it; Null as nothing (as when joined to a text); a byte array
// as its bytes in hex.
QString textOf(const Variant &value)
{
    if (value.isNull())
        return QString();
    if (const auto *bytes = value.get<QByteArray>())
        return QString::fromLatin1(bytes->toHex(' '));
    try {
        return value.toString();
    } catch (const RuntimeError &) {
        return QString();
    }
}

// The path of an executable between double quotes, as a command line wants it.
QString quotedPath(const QString &path)
{
    // Blanks around it go, as the classic Trim takes them.
    qsizetype start = 0;
    qsizetype end = path.size();
    while (start < end && path.at(start) == u' ')
        ++start;
    while (end > start && path.at(end - 1) == u' ')
        --end;
    QString quoted = path.mid(start, end - start);
    if (!quoted.startsWith(u'"'))
        quoted.prepend(u'"');
    // A lone quote (an empty path) needs its closing one too.
    if (quoted.size() < 2 || !quoted.endsWith(u'"'))
        quoted.append(u'"');
    return quoted;
}

} // namespace

QString comRegistry::errorSource()
{
    const QString program = QCoreApplication::instance()
                                ? QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName()
                                : QString();
    return program + QStringLiteral(".comRegistry");
}

void comRegistry::raiseWriteError(std::int32_t number, const Variant &vValue) const
{
    throw RuntimeError(number,
                       QStringLiteral("Failed to set registry value Key: '") + QString::number(m_classKey)
                           + QStringLiteral("',Section: '") + m_sectionKey + QStringLiteral("',Key: '") + m_valueKey
                           + QStringLiteral("' to value: '") + textOf(vValue) + QStringLiteral("'"),
                       errorSource());
}

void comRegistry::setMachine(const QString &sMachine)
{
    if (sMachine.size() < 3)
        m_machine.clear();
    else if (sMachine.startsWith(QStringLiteral("\\\\")))
        m_machine = sMachine;
    else
        m_machine = QStringLiteral("\\\\") + sMachine;
}

bool comRegistry::KeyExists() const
{
    return RegistryStore().keyExists(m_classKey, m_sectionKey);
}

bool comRegistry::CreateKey()
{
    if (RegistryStore().createKey(m_classKey, m_sectionKey) != reg::ERROR_SUCCESS)
        throw RuntimeError(ErrKey, QStringLiteral("Failed to create registry Key: '") + m_sectionKey, errorSource());
    return true;
}

bool comRegistry::DeleteKey()
{
    if (RegistryStore().deleteKey(m_classKey, m_sectionKey) != reg::ERROR_SUCCESS) {
        throw RuntimeError(ErrKey,
                           QStringLiteral("Failed to delete registry Key: '") + QString::number(m_classKey)
                               + QStringLiteral("',Section: '") + m_sectionKey,
                           errorSource());
    }
    return true;
}

bool comRegistry::DeleteValue()
{
    RegistryStore store;
    if (store.openKey(m_classKey, m_sectionKey) != reg::ERROR_SUCCESS) {
        throw RuntimeError(ErrKey,
                           QStringLiteral("Failed to open key '") + QString::number(m_classKey)
                               + QStringLiteral("',Section: '") + m_sectionKey + QStringLiteral("' for delete access"),
                           errorSource());
    }
    if (store.deleteValue(m_classKey, m_sectionKey, m_valueKey) != reg::ERROR_SUCCESS) {
        throw RuntimeError(ErrKey,
                           QStringLiteral("Failed to delete registry Key: '") + QString::number(m_classKey)
                               + QStringLiteral("',Section: '") + m_sectionKey + QStringLiteral("',Key: '")
                               + m_valueKey,
                           errorSource());
    }
    return true;
}

Variant comRegistry::Value()
{
    // With Machine set the answer still comes from the local store: this
    // program keeps no remote registries.
    RegistryValue stored;
    if (RegistryStore().queryValue(m_classKey, m_sectionKey, m_valueKey, stored) != reg::ERROR_SUCCESS)
        return m_default;
    m_valueType = stored.type;
    switch (stored.type) {
    case reg::REG_SZ:
    case reg::REG_MULTI_SZ:
        return Variant(storedText(stored.data));
    case reg::REG_EXPAND_SZ:
        return Variant(ExpandEnvironmentVariables(storedText(stored.data)));
    case reg::REG_DWORD:
        return Variant(storedDword(stored.data));
    case reg::REG_DWORD_BIG_ENDIAN:
        return Variant(SwapByteOrder(storedDword(stored.data)));
    default:
        // REG_BINARY, REG_LINK and any other type: the stored bytes.
        return Variant(stored.data);
    }
}

void comRegistry::setValue(const Variant &vValue)
{
    RegistryStore store;
    if (store.createKey(m_classKey, m_sectionKey) != reg::ERROR_SUCCESS)
        raiseWriteError(ErrKey, vValue);

    std::int32_t result = reg::ERROR_SUCCESS;
    switch (m_valueType) {
    case reg::REG_SZ:
    case reg::REG_EXPAND_SZ: {
        // The text decides the stored type, whatever ValueType says. Null
        // raises "Invalid use of Null", as taking it as text always has.
        const QString text = vValue.toString();
        QByteArray data = text.toUtf8();
        data.append('\0');
        result = store.setValue(m_classKey, m_sectionKey, m_valueKey,
                                holdsEnvironmentReference(text) ? reg::REG_EXPAND_SZ : reg::REG_SZ, data);
        break;
    }
    case reg::REG_BINARY:
        if (!vValue.isByteArray())
            throw RuntimeError(ErrKey); // no message and no source of its own
        result = store.setValue(m_classKey, m_sectionKey, m_valueKey, reg::REG_BINARY, *vValue.get<QByteArray>());
        break;
    case reg::REG_DWORD:
    case reg::REG_DWORD_BIG_ENDIAN:
        // Whole numbers and single-precision numbers only, rounded halves to
        // even and always stored little-endian; other kinds are left unwritten.
        if (vValue.type() == VarType::Integer || vValue.type() == VarType::Long || vValue.type() == VarType::Single)
            result = store.setValue(m_classKey, m_sectionKey, m_valueKey, reg::REG_DWORD, dwordBytes(vValue.toInt32()));
        break;
    default:
        result = reg::ERROR_INVALID_DATA;
        break;
    }
    if (result != reg::ERROR_SUCCESS)
        raiseWriteError(ErrSetValue, vValue);
    m_value = vValue;
}

bool comRegistry::EnumerateValues(QStringList &sKeyNames, std::int32_t &iKeyCount)
{
    iKeyCount = 0;
    sKeyNames.clear();
    QStringList names;
    if (RegistryStore().enumValueNames(m_classKey, m_sectionKey, names) == reg::ERROR_SUCCESS) {
        sKeyNames = names;
        iKeyCount = static_cast<std::int32_t>(names.size());
    }
    return true;
}

bool comRegistry::EnumerateSections(QStringList &sSect, std::int32_t &iSectCount)
{
    iSectCount = 0;
    sSect.clear();
    QString description;
    try {
        QStringList names;
        if (RegistryStore().enumSubKeyNames(m_classKey, m_sectionKey, names) == reg::ERROR_SUCCESS) {
            sSect = names;
            iSectCount = static_cast<std::int32_t>(names.size());
        }
        return true;
    } catch (const RuntimeError &e) {
        description = e.description();
    } catch (const std::exception &e) {
        description = QString::fromLocal8Bit(e.what());
    }
    throw RuntimeError(ErrEnumerateSections, description, errorSource());
}

void comRegistry::CreateEXEAssociation(const QString &sExePath, const QString &sClassName,
                                       const QString &sClassDescription, const QString &sAssociation,
                                       const QString &sOpenMenuText, bool bSupportPrint, const QString &sPrintMenuText,
                                       bool bSupportNew, const QString &sNewMenuText, bool bSupportInstall,
                                       const QString &sInstallMenuText, std::int32_t lDefaultIconIndex)
{
    const QString exe = quotedPath(sExePath);
    auto orDefault = [](const QString &text, const QString &fallback) { return text.isEmpty() ? fallback : text; };

    m_valueType = REG_SZ;
    m_valueKey.clear();

    m_sectionKey = QStringLiteral(".") + sAssociation;
    SetClassValue(sClassName);
    m_sectionKey = sClassName;
    SetClassValue(sClassDescription);

    m_sectionKey = sClassName + QStringLiteral("\\shell\\open");
    SetClassValue(orDefault(sOpenMenuText, QStringLiteral("&Open")));
    m_sectionKey = sClassName + QStringLiteral("\\shell\\open\\command");
    SetClassValue(exe + QStringLiteral(" \"%1\""));

    if (bSupportPrint) {
        m_sectionKey = sClassName + QStringLiteral("\\shell\\print");
        SetClassValue(orDefault(sPrintMenuText, QStringLiteral("&Print")));
        m_sectionKey = sClassName + QStringLiteral("\\shell\\print\\command");
        SetClassValue(exe + QStringLiteral(" /p \"%1\""));
    }
    if (bSupportInstall) {
        m_sectionKey = sClassName + QStringLiteral("\\shell\\add");
        SetClassValue(orDefault(sInstallMenuText, QStringLiteral("&Install ") + sAssociation));
        m_sectionKey = sClassName + QStringLiteral("\\shell\\add\\command");
        SetClassValue(exe + QStringLiteral(" /a \"%1\""));
    }
    if (bSupportNew) {
        m_sectionKey = sClassName + QStringLiteral("\\shell\\new");
        SetClassValue(orDefault(sNewMenuText, QStringLiteral("&New")));
        m_sectionKey = sClassName + QStringLiteral("\\shell\\new\\command");
        SetClassValue(exe + QStringLiteral(" /n \"%1\""));
    }
    if (lDefaultIconIndex > -1) {
        m_sectionKey = sClassName + QStringLiteral("\\DefaultIcon");
        SetClassValue(exe + QStringLiteral(",") + QString::number(lDefaultIconIndex));
    }
}

void comRegistry::CreateAdditionalEXEAssociations(const QString &sClassName, const QList<Variant> &vItems)
{
    if (vItems.size() % 3 != 0) {
        throw RuntimeError(ErrAssociationList,
                           QStringLiteral("Invalid parameter list passed to CreateAdditionalEXEAssociations - "
                                          "expected Name/Text/Command"),
                           errorSource());
    }
    m_classKey = HKEY_CLASSES_ROOT;
    m_sectionKey = sClassName;
    // An empty class name would name the root key itself, which always exists.
    if (sClassName.isEmpty() || !KeyExists()) {
        throw RuntimeError(ErrAssociationClass,
                           QStringLiteral("Error - attempt to create additional associations before class defined."),
                           errorSource());
    }
    m_valueType = REG_SZ;
    m_valueKey.clear();
    for (qsizetype i = 0; i + 2 < vItems.size(); i += 3) {
        const QString verb = sClassName + QStringLiteral("\\shell\\") + vItems.at(i).toString();
        m_sectionKey = verb;
        SetClassValue(vItems.at(i + 1).toString());
        m_sectionKey = verb + QStringLiteral("\\command");
        SetClassValue(vItems.at(i + 2).toString());
    }
}

Variant comRegistry::ValueEx(std::int32_t classKey, const QString &sectionKey, const QString &valueKey,
                             std::int32_t valueType, const Variant &defaultValue)
{
    m_classKey = classKey;
    m_sectionKey = sectionKey;
    m_valueKey = valueKey;
    m_valueType = valueType;
    m_default = defaultValue;
    return Value();
}

void comRegistry::setValueEx(std::int32_t classKey, const QString &sectionKey, const QString &valueKey,
                             std::int32_t valueType, const Variant &defaultValue, const Variant &newValue)
{
    m_classKey = classKey;
    m_sectionKey = sectionKey;
    m_valueKey = valueKey;
    m_valueType = valueType;
    m_default = defaultValue;
    if (m_valueType == REG_SZ && textOf(newValue).isEmpty())
        setValue(m_default);
    else
        setValue(newValue);
}

void comRegistry::SetClassValue(const QString &sValue)
{
    // Written under HKEY_CLASSES_ROOT and under HKEY_LOCAL_MACHINE's
    // SOFTWARE\Classes; SectionKey comes back as it was (also when a write
    // fails), ClassKey stays HKEY_LOCAL_MACHINE.
    const QString section = m_sectionKey;
    const auto restore = qScopeGuard([this, section] { m_sectionKey = section; });
    m_classKey = HKEY_CLASSES_ROOT;
    setValue(Variant(sValue));
    m_classKey = HKEY_LOCAL_MACHINE;
    m_sectionKey = QStringLiteral("SOFTWARE\\Classes\\") + section;
    setValue(Variant(sValue));
}

std::int32_t comRegistry::SwapByteOrder(std::int32_t lValue)
{
    const auto v = static_cast<std::uint32_t>(lValue);
    return static_cast<std::int32_t>(((v & 0x000000FFu) << 24) | ((v & 0x0000FF00u) << 8) | ((v & 0x00FF0000u) >> 8)
                                     | ((v & 0xFF000000u) >> 24));
}

QString comRegistry::ExpandEnvironmentVariables(const QString &sValue)
{
    return platform::expandEnvironmentStrings(sValue);
}
