#include "platform/registry/RegistryTypes.h"

namespace platform::reg {

QString rootKeyName(std::int32_t rootKey)
{
    switch (rootKey) {
    case HKEY_CLASSES_ROOT: return QStringLiteral("HKEY_CLASSES_ROOT");
    case HKEY_CURRENT_USER: return QStringLiteral("HKEY_CURRENT_USER");
    case HKEY_LOCAL_MACHINE: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case HKEY_USERS: return QStringLiteral("HKEY_USERS");
    default: return QString();
    }
}

} // namespace platform::reg
