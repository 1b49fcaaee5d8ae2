// Helper program of the label layout tests: another copy of the program
// on the same database.
//
//   etichetta_helper descrivi <database file>
//     Loads the stored label layout and prints it as DescrizioneEtichetta
//     writes it. Exit code 0 when a stored layout was read, 2 otherwise.
//
//   etichetta_helper salva <database file> <items> <count>
//     Prints "pronto", waits for a line on its standard input, then saves
//     <count> times a label of <items> fixed texts, each named after the
//     item count. Exit code 0 when every save succeeded, 2 otherwise.
#include "DescrizioneEtichetta.h"
#include "support/HelperProgram.h"

#include "platform/base/RuntimeError.h"
#include "printing/NewLabel.h"
#include "shell/MainModule.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

int Descrivi()
{
    NewLabel layout;
    if (LayoutEtichetta::Carica(layout, MainModule::ConnString) != LayoutEtichetta::Esito::Caricato)
        return 2;
    std::printf("%s\n", DescrizioneEtichetta(layout).toUtf8().constData());
    return 0;
}

int Salva(int voci, int volte)
{
    NewLabel layout;
    for (int i = 0; i < voci; ++i)
        layout.detail().addLabel(QStringLiteral("v%1_%2").arg(voci).arg(i), QStringLiteral("Testo %1").arg(i), 20 * i,
                                 10 * i, 900, 240);
    LayoutEtichetta::FormaArchiviata(layout, LayoutEtichetta::Foglio{100, 100, 100, 10, 2, 300, 600, 0});
    if (!helperprogram::ready())
        return 3;
    try {
        for (int i = 0; i < volte; ++i)
            LayoutEtichetta::Salva(layout, 10, MainModule::ConnString);
    } catch (const platform::RuntimeError &e) {
        std::fprintf(stderr, "salva: %s\n", e.what());
        return 2;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const bool descrivi = args.size() == 3 && args.at(1) == QLatin1String("descrivi");
    if (!descrivi && !(args.size() == 5 && args.at(1) == QLatin1String("salva"))) {
        std::fprintf(stderr, "usage: etichetta_helper descrivi <database> | salva <database> <items> <count>\n");
        return 64;
    }
    helperprogram::useDatabase(args.at(2));
    return descrivi ? Descrivi() : Salva(args.at(3).toInt(), args.at(4).toInt());
}
