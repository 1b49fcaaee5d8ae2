#include "common/comProgramInfo.h"

#ifndef VELMORA_VERSION_MAJOR
#error "The build must define the VELMORA_VERSION_* numbers for the common library"
#endif

namespace comProgramInfo {

int VersionMajor()
{
    return VELMORA_VERSION_MAJOR;
}

int VersionMinor()
{
    return VELMORA_VERSION_MINOR;
}

int VersionRevision()
{
    return VELMORA_VERSION_PATCH;
}

QString VersionText()
{
    return QStringLiteral("%1.%2.%3").arg(VersionMajor()).arg(VersionMinor()).arg(VersionRevision());
}

} // namespace comProgramInfo
