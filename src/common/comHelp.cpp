#include "common/comHelp.h"

#include "platform/desktop/DesktopServices.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace comHelp {

QString HelpFile(const QString &programFolder)
{
    const QString folder = programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder;
    return folder + u'/' + HelpFileName;
}

QString MissingText(const QString &helpFile)
{
    return QStringLiteral("File della Guida in linea non trovato:\r\n") + helpFile;
}

QString NotOpenedText(const QString &helpFile)
{
    return QStringLiteral("Impossibile aprire la Guida in linea:\r\n") + helpFile;
}

bool MostraGuida(int context, const QString &programFolder)
{
    const QString helpFile = HelpFile(programFolder);
    if (!QFileInfo(helpFile).isFile()) {
        platform::desktop().msgBox(MissingText(helpFile), platform::vbOKOnly);
        return false;
    }
    if (!platform::desktop().showHelp(helpFile, context)) {
        platform::desktop().msgBox(NotOpenedText(helpFile), platform::vbOKOnly);
        return false;
    }
    return true;
}

} // namespace comHelp
