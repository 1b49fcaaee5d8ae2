#pragma once

#include <QString>

// A database of the program's shape filled with many movements, written
// with the engine directly so that generating it takes seconds.
namespace gridbench {

struct Sizes {
    int movements = 200000;
    int counterparts = 400;
    int articles = 3000;
    int year = 2026;
};

// Creates the database at path (replacing it) from the template's schema
// script and stores the template's parameter queries through the data layer.
void createDatabase(const QString &path, const Sizes &sizes);

} // namespace gridbench
