#pragma once

#include <QString>

#include <cstdint>
#include <functional>

// The size and shape of a synthetic database.
struct SyntheticOptions {
    int articles = 20000;
    int customers = 500;
    int suppliers = 200;
    int movementsPerYear = 20000;
    int linesPerMovement = 5;
    int years = 10;
    int lastYear = 0; // 0: the current year
    std::uint64_t seed = 20240917;

    // A small database for a quick run of the benchmark.
    static SyntheticOptions quick();
    // The year of the last movements (lastYear, or the current year).
    int effectiveLastYear() const;
    long long totalMovements() const { return static_cast<long long>(movementsPerYear) * years; }
    long long totalLines() const { return totalMovements() * linesPerMovement; }
};

// What the generator wrote.
struct SyntheticSummary {
    int firstYear = 0;
    int lastYear = 0;
    long long articles = 0;
    long long counterparts = 0;
    long long movements = 0;
    long long lines = 0;
    double seconds = 0;
};

// Makes a synthetic warehouse database: copies the template database and
// fills it through the database layer (parameters, one transaction per
// table or per year): VAT codes, units, categories, suppliers, customers,
// articles, and years of movements with their lines, the six causali with
// their signs, counterpart kinds and negative return quantities, and each
// year's movement counter.
class SyntheticDatabase
{
public:
    using Progress = std::function<void(const QString &message)>;

    // Raises platform::RuntimeError (or a DatabaseError) when the template
    // cannot be copied or a write fails; `output` is replaced.
    static SyntheticSummary generate(const QString &templatePath, const QString &output,
                                     const SyntheticOptions &options, const Progress &progress = {});

    // The program's connection string for a database file.
    static QString connectionString(const QString &path);
};
