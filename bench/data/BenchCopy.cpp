#include "BenchCopy.h"

#include "SyntheticDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

BenchCopy::BenchCopy(const char *program)
    : m_folder(QDir::tempPath() + QStringLiteral("/velmora-%1-XXXXXX").arg(QString::fromLatin1(program)))
{
    // std::exit skips the destructor: the folder is removed first.
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 1) {
        std::fprintf(stderr, "Usage: %s <database made by velmora_gen>\n", program);
        m_folder.remove();
        std::exit(2);
    }
    if (!m_folder.isValid() || !QFile::copy(args[0], QDir(folder()).filePath(fileName()))) {
        std::fprintf(stderr, "Cannot copy %s.\n", qPrintable(args[0]));
        m_folder.remove();
        std::exit(1);
    }
    std::printf("Database: %s (%.0f MB, copied)\n", qPrintable(args[0]), QFileInfo(args[0]).size() / 1048576.0);
}

QString BenchCopy::connectionString() const
{
    return SyntheticDatabase::connectionString(QDir(folder()).filePath(fileName()));
}
