// Helper program of the registry tests: writes values through comRegistry
// under one key path, so that a test can run two copies against one store at
// the same moment.
//
//   registry_writer <key path> <count> <start file>
//
// It waits until <start file> exists, then writes <count> values "Valore000",
// "Valore001", ... under HKEY_CURRENT_USER\<key path>: text "<key path>#<i>"
// for even i, the number i as REG_DWORD for odd i, in the program's own
// store in the user's configuration folder (the test gives it a temporary
// XDG_CONFIG_HOME). Exit code 0 when every write succeeded.
#include "common/comRegistry.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Korvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Velmora"));

    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: registry_writer <key path> <count> <start file>\n");
        return 64;
    }
    const QString keyPath = args.at(1);
    const int count = args.at(2).toInt();

    // Both copies start writing together when the test creates the file.
    const QDeadlineTimer deadline(60000);
    while (!QFileInfo::exists(args.at(3))) {
        if (deadline.hasExpired()) {
            std::fprintf(stderr, "registry_writer: no start signal\n");
            return 3;
        }
        QThread::msleep(1);
    }

    try {
        for (int i = 0; i < count; ++i) {
            // One instance per value, as the program's own settings code does.
            comRegistry reg;
            reg.setClassKey(comRegistry::HKEY_CURRENT_USER);
            reg.setSectionKey(keyPath);
            reg.setValueKey(QStringLiteral("Valore%1").arg(i, 3, 10, QLatin1Char('0')));
            if (i % 2 == 0) {
                reg.setValueType(comRegistry::REG_SZ);
                reg.setValue(platform::Variant(keyPath + QLatin1Char('#') + QString::number(i)));
            } else {
                reg.setValueType(comRegistry::REG_DWORD);
                reg.setValue(platform::Variant(static_cast<std::int32_t>(i)));
            }
        }
    } catch (const platform::RuntimeError &e) {
        std::fprintf(stderr, "registry_writer: %s\n", e.what());
        return 2;
    }
    return 0;
}
