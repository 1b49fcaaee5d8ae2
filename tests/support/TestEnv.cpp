#include "TestEnv.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <atomic>

namespace testsupport {

namespace {
QTemporaryDir &homeHolder()
{
    static QTemporaryDir dir;
    return dir;
}
std::atomic<int> counter{0};
} // namespace

QString homeDir()
{
    return homeHolder().path();
}

QString freshDir(const QString &prefix)
{
    const QString path = homeDir() + "/" + prefix + QString::number(++counter);
    QDir().mkpath(path);
    return path;
}

QString programDir()
{
    return QCoreApplication::applicationDirPath();
}

} // namespace testsupport
