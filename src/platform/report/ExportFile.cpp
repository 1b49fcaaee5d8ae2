#include "platform/report/ExportFile.h"

#include "platform/base/SystemFile.h"
#include "platform/report/ReportError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::report {

// Writes to the partial file's descriptor in blocks (a PDF writer hands over
// its file in pieces of a few bytes) and keeps the error code of the first
// write that failed.
class ExportFile::Device : public QIODevice
{
public:
    explicit Device(int fd) : m_fd(fd)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        m_buffer.reserve(BlockSize);
    }

    int error() const { return m_error; }

    // Writes what is gathered; answers the error of the first failed write.
    int writeGathered()
    {
        if (m_error == 0 && !m_buffer.isEmpty()) {
            m_error = writeAll(m_fd, m_buffer.constData(), m_buffer.size());
            if (m_error != 0)
                setErrorString(qt_error_string(m_error));
        }
        m_buffer.clear();
        return m_error;
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        if (m_error != 0)
            return -1;
        if (m_buffer.size() + size > BlockSize && writeGathered() != 0)
            return -1;
        if (size >= BlockSize) {
            m_error = writeAll(m_fd, data, size);
            if (m_error != 0) {
                setErrorString(qt_error_string(m_error));
                return -1;
            }
        } else {
            m_buffer.append(data, size);
        }
        return size;
    }

private:
    static constexpr qint64 BlockSize = 256 * 1024;
    int m_fd;
    int m_error = 0;
    QByteArray m_buffer;
};

namespace {

// A reason in the middle of the error's sentence: without its capital and
// its full stop.
QString asReason(const QString &sentence)
{
    QString reason = sentence;
    if (reason.endsWith(u'.'))
        reason.chop(1);
    if (!reason.isEmpty())
        reason[0] = reason[0].toLower();
    return reason;
}

} // namespace

ExportFile::ExportFile(const QString &path) : m_path(path)
{
    const QFileInfo info(path);
    const QByteArray target = QFile::encodeName(path);
    // The file keeps the permissions of the one it replaces; a new one gets
    // those of any new file.
    struct stat existing {};
    const bool replaces = ::stat(target.constData(), &existing) == 0 && S_ISREG(existing.st_mode);
    const mode_t mode = replaces ? existing.st_mode & 07777 : 0666;

    // Hidden beside its place, under a name no other writer uses.
    const QString stem = info.dir().filePath(u'.' + info.fileName() + u'.');
    int error = 0;
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_partial = stem + QString::number(QRandomGenerator::global()->generate(), 36);
        m_fd = ::open(QFile::encodeName(m_partial).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        error = m_fd < 0 ? errno : 0;
        if (error != 0 && error != EEXIST)
            break;
    }
    if (m_fd < 0) {
        m_partial.clear();
        fail(path, qt_error_string(error));
    }
    if (replaces)
        ::fchmod(m_fd, mode);
    m_device = std::make_unique<Device>(m_fd);
}

ExportFile::~ExportFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_partial.isEmpty())
        ::unlink(QFile::encodeName(m_partial).constData());
}

QIODevice &ExportFile::device()
{
    return *m_device;
}

void ExportFile::commit()
{
    if (const int error = m_device->writeGathered())
        failWrite(m_path, error);
    // A full disk may show only when the data is forced to it.
    if (::fsync(m_fd) != 0)
        failWrite(m_path, errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        failWrite(m_path, errno);
    if (::rename(QFile::encodeName(m_partial).constData(), QFile::encodeName(m_path).constData()) != 0)
        fail(m_path, qt_error_string(errno));
    m_partial.clear();
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

void ExportFile::failWrite(const QString &path, int code)
{
    throw ReportError::exportFailed(path, asReason(systemErrorText(code)), qt_error_string(code));
}

} // namespace platform::report
