// Helper program of the counter tests: one copy of the program taking
// movement numbers from a database's counter.
//
//   counter_worker <database file> <year> <count> <start file>
//
// Prints "pronto" once it is ready, waits until <start file> exists, then
// calls MainModule::ProssimoProgressivo <count> times and prints each number
// it hands out (n + 1), one a line. Exit code 0 when every call succeeded.
#include "platform/base/RuntimeError.h"
#include "shell/MainModule.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: counter_worker <database file> <year> <count> <start file>\n");
        return 64;
    }
    const QFileInfo database(args.at(1));
    MainModule::ConnString = MainModule::CostruisciConnString(database.absolutePath(), database.fileName());
    const auto year = static_cast<std::int16_t>(args.at(2).toInt());
    const int count = args.at(3).toInt();

    std::printf("pronto\n");
    std::fflush(stdout);
    const QDeadlineTimer deadline(60000);
    while (!QFileInfo::exists(args.at(4))) {
        if (deadline.hasExpired()) {
            std::fprintf(stderr, "counter_worker: no start signal\n");
            return 3;
        }
        QThread::msleep(1);
    }

    try {
        for (int i = 0; i < count; ++i)
            std::printf("%d\n", MainModule::ProssimoProgressivo(year) + 1);
    } catch (const platform::RuntimeError &e) {
        std::fflush(stdout);
        std::fprintf(stderr, "counter_worker: %s\n", e.what());
        return 2;
    }
    std::fflush(stdout);
    return 0;
}
