#pragma once

#include <QSaveFile>
#include <QString>

namespace platform::report {

// The file an export filter writes: it appears at its path only when
// complete, and replaces a file already there. Every failure is raised as
// ReportError(ExportFailed), in Italian, with the system's own words in its
// detail.
class ExportFile
{
public:
    // Opens the file for writing.
    explicit ExportFile(const QString &path);

    QIODevice &device() { return m_file; }
    // Puts the complete file in place.
    void commit();

    // Writes `bytes` as the whole file.
    static void write(const QString &path, const QByteArray &bytes);

    // Raises the error of a file that could not be written: the reason in
    // the user's words where it is known (a missing folder, no permission),
    // the system's text as the detail.
    [[noreturn]] static void fail(const QString &path, const QString &systemText);

private:
    QString m_path;
    QSaveFile m_file;
};

} // namespace platform::report
