// Makes a synthetic warehouse database for the benchmarks, through the
// database layer, from the template master.gen beside the executable.
//
//   velmora_gen [--articles N] [--customers N] [--suppliers N]
//               [--movements-per-year N] [--lines N] [--years N]
//               [--last-year YYYY] [--seed N] [--template FILE] [--out FILE]
//
// The defaults give 20,000 articles and 1,000,000 movement lines
// (10 years x 20,000 movements x 5 lines) in "synthetic.mdb".

#include "SyntheticDatabase.h"

#include "platform/base/RuntimeError.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const SyntheticOptions defaults;

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Makes a synthetic database for the benchmarks."));
    parser.addHelpOption();
    auto option = [&](const char *name, const char *help, const QString &value) {
        QCommandLineOption o(QString::fromLatin1(name), QString::fromLatin1(help), QStringLiteral("n"), value);
        parser.addOption(o);
        return o;
    };
    const auto articles = option("articles", "number of articles", QString::number(defaults.articles));
    const auto customers = option("customers", "number of customers", QString::number(defaults.customers));
    const auto suppliers = option("suppliers", "number of suppliers", QString::number(defaults.suppliers));
    const auto movements = option("movements-per-year", "movements per year", QString::number(defaults.movementsPerYear));
    const auto lines = option("lines", "lines per movement", QString::number(defaults.linesPerMovement));
    const auto years = option("years", "years of movements", QString::number(defaults.years));
    const auto lastYear = option("last-year", "year of the last movements (default: this year)", QStringLiteral("0"));
    const auto seed = option("seed", "seed of the random data", QString::number(defaults.seed));
    const auto templ = option("template", "template database",
                              QCoreApplication::applicationDirPath() + QStringLiteral("/master.gen"));
    const auto out = option("out", "database to write (replaced)", QStringLiteral("synthetic.mdb"));
    parser.process(app);

    auto number = [&](const QCommandLineOption &o) {
        bool ok = false;
        const qlonglong v = parser.value(o).toLongLong(&ok);
        if (!ok || v < 0 || v > 2000000000) {
            std::fprintf(stderr, "velmora_gen: --%s needs a whole number\n", qPrintable(o.names().first()));
            std::exit(2);
        }
        return static_cast<int>(v);
    };
    SyntheticOptions o;
    o.articles = number(articles);
    o.customers = number(customers);
    o.suppliers = number(suppliers);
    o.movementsPerYear = number(movements);
    o.linesPerMovement = number(lines);
    o.years = number(years);
    o.lastYear = number(lastYear);
    o.seed = parser.value(seed).toULongLong();

    std::printf("velmora_gen: %d articles, %d customers, %d suppliers, %d years x %d movements x %d lines = %lld lines\n",
                o.articles, o.customers, o.suppliers, o.years, o.movementsPerYear, o.linesPerMovement,
                o.totalLines());
    std::fflush(stdout);
    try {
        const SyntheticSummary s = SyntheticDatabase::generate(
            parser.value(templ), parser.value(out), o, [](const QString &message) {
                std::printf("  %s\n", qPrintable(message));
                std::fflush(stdout);
            });
        std::printf("velmora_gen: wrote %s: years %d-%d, %lld articles, %lld counterparts, %lld movements, "
                    "%lld lines in %.1f s (%.0f lines/s)\n",
                    qPrintable(parser.value(out)), s.firstYear, s.lastYear, s.articles, s.counterparts, s.movements,
                    s.lines, s.seconds, s.seconds > 0 ? static_cast<double>(s.lines) / s.seconds : 0.0);
    } catch (const platform::RuntimeError &e) {
        std::fprintf(stderr, "velmora_gen: %s\n", e.what());
        return 1;
    }
    return 0;
}
