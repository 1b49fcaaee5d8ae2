// Helper program of the label layout tests: another copy of the program
// on the same database.
//
//   etichetta_helper descrivi <database file>
//     Loads the stored label layout and prints it as DescrizioneEtichetta
//     writes it. Exit code 0 when a stored layout was read, 2 otherwise;
//     what the program told the user goes to standard error.
//
//   etichetta_helper salva <database file> <items> <count>
//     Prints "pronto", waits for a line on its standard input, then saves
//     <count> times a label of <items> fixed texts, each named after the
//     item count. Exit code 0 when every save succeeded, 2 otherwise.
//
//   etichetta_helper primo <database file> <items> ferma|attendi
//     Saves once a label of <items> fixed texts, as the first save of a
//     database does. With "ferma" it stops inside the save just before it
//     adds the row: prints "dentro" and waits for a line on its standard
//     input. With "attendi" it prints "in attesa" when the save starts to
//     wait for another copy's lock. Exit code 0 when the save succeeded, 2
//     otherwise.
#include "DescrizioneEtichetta.h"
#include "support/HelperProgram.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/desktop/ScriptedDesktop.h"
#include "printing/NewLabel.h"
#include "shell/MainModule.h"

#include <QCoreApplication>

#include <sqlite3.h>

#include <cstdio>
#include <memory>

namespace {

int Descrivi()
{
    // No one to answer a message box here: what the program says goes to
    // standard error.
    platform::ScopedScriptedDesktop desktop;
    NewLabel layout;
    const LayoutEtichetta::Esito esito = LayoutEtichetta::Carica(layout, MainModule::ConnString);
    for (const QString &prompt : desktop->prompts())
        std::fprintf(stderr, "%s\n", prompt.toUtf8().constData());
    if (esito != LayoutEtichetta::Esito::Caricato)
        return 2;
    std::printf("%s\n", DescrizioneEtichetta(layout).toUtf8().constData());
    return 0;
}

std::unique_ptr<NewLabel> Etichetta(int voci)
{
    auto layout = std::make_unique<NewLabel>();
    for (int i = 0; i < voci; ++i)
        layout->detail().addLabel(QStringLiteral("v%1_%2").arg(voci).arg(i), QStringLiteral("Testo %1").arg(i),
                                  20 * i, 10 * i, 900, 240);
    LayoutEtichetta::FormaArchiviata(*layout, LayoutEtichetta::Foglio{100, 100, 100, 10, 2, 300, 600, 0});
    return layout;
}

int Salva(int voci, int volte)
{
    const std::unique_ptr<NewLabel> layout = Etichetta(voci);
    if (!helperprogram::ready())
        return 3;
    try {
        for (int i = 0; i < volte; ++i)
            LayoutEtichetta::Salva(*layout, 10, MainModule::ConnString);
    } catch (const platform::RuntimeError &e) {
        std::fprintf(stderr, "salva: %s\n", e.what());
        return 2;
    }
    return 0;
}

void Pausa(sqlite3_context *, int, sqlite3_value **)
{
    helperprogram::announce("dentro");
    char line[16];
    (void)std::fgets(line, sizeof line, stdin);
}

// Every connection stops just before it adds the label layout's row,
// inside whatever transaction is writing it.
int FermaPrimaDellaRiga(sqlite3 *db, const char **, const sqlite3_api_routines *)
{
    sqlite3_create_function_v2(db, "pausa", 0, SQLITE_UTF8, nullptr, Pausa, nullptr, nullptr, nullptr);
    sqlite3_exec(db,
                 "CREATE TEMP TRIGGER pausa BEFORE INSERT ON main._Pars WHEN NEW.k01 = 'etiart' "
                 "BEGIN SELECT pausa(); END",
                 nullptr, nullptr, nullptr);
    return SQLITE_OK;
}

int Primo(int voci, bool ferma)
{
    const std::unique_ptr<NewLabel> layout = Etichetta(voci);
    if (ferma) {
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(FermaPrimaDellaRiga));
    } else {
        platform::Connection::setBusyListener([](platform::BusyWait attesa) {
            if (attesa == platform::BusyWait::Started)
                helperprogram::announce("in attesa");
        });
    }
    try {
        LayoutEtichetta::Salva(*layout, 10, MainModule::ConnString);
    } catch (const platform::RuntimeError &e) {
        std::fprintf(stderr, "primo: %s\n", e.what());
        return 2;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString comando = args.value(1);
    const bool valido = (comando == u"descrivi" && args.size() == 3) || (comando == u"salva" && args.size() == 5)
                        || (comando == u"primo" && args.size() == 5
                            && (args.at(4) == u"ferma" || args.at(4) == u"attendi"));
    if (!valido) {
        std::fprintf(stderr, "usage: etichetta_helper descrivi <database> | salva <database> <items> <count>"
                             " | primo <database> <items> ferma|attendi\n");
        return 64;
    }
    helperprogram::useDatabase(args.at(2));
    if (comando == u"descrivi")
        return Descrivi();
    if (comando == u"salva")
        return Salva(args.at(3).toInt(), args.at(4).toInt());
    return Primo(args.at(3).toInt(), args.at(4) == u"ferma");
}
