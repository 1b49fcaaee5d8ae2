#include "platform/base/SystemFile.h"

#include <cerrno>

#include <unistd.h>

namespace platform {

QString systemErrorText(int code)
{
    switch (code) {
    case ENOSPC: return QStringLiteral("Spazio insufficiente sul disco.");
    case EDQUOT: return QStringLiteral("Spazio su disco a disposizione dell'utente esaurito.");
    case EFBIG: return QStringLiteral("Il file supera la dimensione massima consentita.");
    case EACCES:
    case EPERM: return QStringLiteral("Accesso negato.");
    case EROFS: return QStringLiteral("Il disco è protetto da scrittura.");
    case ENOENT: return QStringLiteral("File o cartella inesistente.");
    case ENOTDIR: return QStringLiteral("Il percorso non è una cartella.");
    case EEXIST: return QStringLiteral("Il file esiste già.");
    case EIO: return QStringLiteral("Errore di lettura o scrittura sul disco.");
    default: return QStringLiteral("Errore di sistema %1.").arg(code);
    }
}

int writeAll(int fd, const char *data, std::int64_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return errno;
        data += written;
        size -= written;
    }
    return 0;
}

} // namespace platform
