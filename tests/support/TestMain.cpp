// Shared main() of the test executables: an offscreen QApplication with a
// temporary HOME and XDG folders, then GoogleTest.
#include "DialogWatcher.h"
#include "TestEnv.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    const QByteArray home = testsupport::homeDir().toUtf8();
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    qputenv("XDG_RUNTIME_DIR", home + "/.runtime");
    QDir().mkpath(QString::fromUtf8(home + "/.runtime"));
    QFile::setPermissions(QString::fromUtf8(home + "/.runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    // Tests assert Italian texts and Italian number formats.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    testsupport::installDialogWatcher();
    return RUN_ALL_TESTS();
}
