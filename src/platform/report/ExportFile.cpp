#include "platform/report/ExportFile.h"

#include "platform/report/ReportError.h"

#include <QDir>
#include <QFileInfo>

namespace platform::report {

ExportFile::ExportFile(const QString &path) : m_path(path), m_file(path)
{
    if (!m_file.open(QIODevice::WriteOnly))
        fail(m_path, m_file.errorString());
}

void ExportFile::commit()
{
    if (!m_file.commit())
        fail(m_path, m_file.errorString());
}

void ExportFile::write(const QString &path, const QByteArray &bytes)
{
    ExportFile file(path);
    file.device().write(bytes);
    file.commit();
}

void ExportFile::fail(const QString &path, const QString &systemText)
{
    const QFileInfo file(path);
    QString reason;
    if (!file.dir().exists())
        reason = QStringLiteral("la cartella non esiste");
    else if ((file.exists() && !file.isWritable()) || !QFileInfo(file.absolutePath()).isWritable())
        reason = QStringLiteral("accesso negato");
    throw ReportError::exportFailed(path, reason, systemText);
}

} // namespace platform::report
