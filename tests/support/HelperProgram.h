#pragma once

// The side of a test helper program (see HelperProcess.h): its words to
// the test and the database it works on.
#include "shell/MainModule.h"

#include <QFileInfo>
#include <QString>

#include <cstdio>

namespace helperprogram {

// Tells the test `word` on a line of its own.
inline void announce(const char *word)
{
    std::printf("%s\n", word);
    std::fflush(stdout);
}

// Says "pronto" and waits for the test's line; false when the test closed
// the pipe instead.
inline bool ready()
{
    announce("pronto");
    char line[16];
    return std::fgets(line, sizeof line, stdin) != nullptr;
}

// Works on the database file `path` as the program does once it is open.
inline void useDatabase(const QString &path)
{
    const QFileInfo database(path);
    MainModule::ConnString = MainModule::CostruisciConnString(database.absolutePath(), database.fileName());
}

} // namespace helperprogram
