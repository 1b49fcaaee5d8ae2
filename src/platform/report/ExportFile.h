#pragma once

#include <QIODevice>
#include <QString>

#include <memory>

namespace platform::report {

// The file an export filter writes. It is written as a partial file beside
// its place and appears there only when every byte of it reached the disk,
// replacing a file already there; after any failure (a full disk, a file
// too large) the partial file goes and an older file stays as it was.
// Every failure is raised as ReportError(ExportFailed), in Italian, with
// the system's own words in its detail.
class ExportFile
{
public:
    // Creates the partial file.
    explicit ExportFile(const QString &path);
    // Removes the partial file unless it was committed.
    ~ExportFile();
    ExportFile(const ExportFile &) = delete;
    ExportFile &operator=(const ExportFile &) = delete;

    // The device that writes the partial file, in blocks: a write may reach
    // the file only with a later one or with commit(). A write that fails is
    // remembered (the device then refuses every further write), so that a
    // writer that ignores the results of its writes cannot go unnoticed.
    QIODevice &device();
    // The partial file's path, for a writer that writes the file by name
    // (it must leave the file at this path).
    const QString &partialPath() const { return m_partial; }

    // Forces the partial file to the disk and puts it in place; raises the
    // error of the first write that failed instead.
    void commit();

    // Writes `bytes` as the whole file.
    static void write(const QString &path, const QByteArray &bytes);

    // Raises the error of a file that could not be written: the reason in
    // the user's words where it is known (a missing folder, no permission),
    // the system's text as the detail.
    [[noreturn]] static void fail(const QString &path, const QString &systemText);
    // Raises the error of a write the system refused with the error code
    // `code` (errno): its reason in Italian, such as a full disk.
    [[noreturn]] static void failWrite(const QString &path, int code);

private:
    class Device;

    QString m_path;
    QString m_partial;
    int m_fd = -1;
    std::unique_ptr<Device> m_device;
};

} // namespace platform::report
