#include "shell/EliminaRecord.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"
#include "shell/MainModule.h"

#include <QList>
#include <QStringList>

#include <exception>
#include <vector>

using platform::Variant;

namespace Eliminazione {

namespace {

// A query whose rows mean that the record is still in use, and what the
// user is told then. The record's key is bound as the query's parameter:
// its first column, or its second where the others refer to it by that.
struct Riferimento
{
    QString query;
    bool sullaColonna2 = false;
    QString rifiuto;
};

// What deleting a record of one node means.
struct Regola
{
    QString domanda;
    std::vector<Riferimento> riferimenti;
    QStringList cancellazioni;  // each binds the first column, run in this order
};

// The rule of a node code; nullptr for a node whose records are not deleted
// from the list.
const Regola *RegolaDi(const QString &codiceNodo)
{
    static const Regola iva{
        QStringLiteral("Eliminare il Codice IVA selezionato?"),
        {{QStringLiteral("SELECT Codice FROM Articoli WHERE CodiceIVA=?"), false,
          QStringLiteral("Il Codice IVA ha Articoli associati, quindi non verrà eliminato.")}},
        {QStringLiteral("DELETE * FROM CodiciIVA WHERE CodiceIVA=?")}};
    // Articles store a unit by its code and a category by its description,
    // so those are checked by the second column and deleted by their Id.
    static const Regola umi{
        QStringLiteral("Eliminare l'Unità di misura selezionata?"),
        {{QStringLiteral("SELECT Codice FROM Articoli WHERE UM=?"), true,
          QStringLiteral("L'unità di misura ha Articoli associati, quindi non verrà eliminata.")}},
        {QStringLiteral("DELETE * FROM Liste WHERE Id=?")}};
    static const Regola cat{
        QStringLiteral("Eliminare la Categoria selezionata?"),
        {{QStringLiteral("SELECT Codice FROM Articoli WHERE Categoria=?"), true,
          QStringLiteral("La categoria ha Articoli associati, quindi non verrà eliminata.")}},
        {QStringLiteral("DELETE * FROM Liste WHERE Id=?")}};
    static const Regola art{
        QStringLiteral("Eliminare l'Articolo selezionato?"),
        {{QStringLiteral("SELECT IdDet FROM MagazRegDetail WHERE CodiceArticolo=?"), false,
          QStringLiteral("L'Articolo ha delle Registrazioni associate, quindi non verrà eliminato.")}},
        {QStringLiteral("DELETE * FROM Articoli WHERE Codice=?")}};
    // A customer or supplier is checked against the counterpart of every
    // movement, whatever its counterpart kind.
    static const Regola cli{
        QStringLiteral("Eliminare il Cliente selezionato?"),
        {{QStringLiteral("SELECT IdReg FROM MagazRegMain WHERE IdContropartita=?"), false,
          QStringLiteral("Il Cliente ha delle registrazioni associate, quindi non verrà eliminato.")}},
        {QStringLiteral("DELETE * FROM CliFor WHERE IdCliFor=?")}};
    // A supplier that an article still names would leave that article
    // pointing at nobody, so it is kept as well.
    static const Regola forn{
        QStringLiteral("Eliminare il Fornitore selezionato?"),
        {{QStringLiteral("SELECT IdReg FROM MagazRegMain WHERE IdContropartita=?"), false,
          QStringLiteral("Il Fornitore ha delle registrazioni associate, quindi non verrà eliminato.")},
         {QStringLiteral("SELECT Codice FROM Articoli WHERE IdFornitore=?"), false,
          QStringLiteral("Il Fornitore ha Articoli associati, quindi non verrà eliminato.")}},
        {QStringLiteral("DELETE * FROM CliFor WHERE IdCliFor=?")}};
    // A movement goes without any check: its lines first, then its header.
    static const Regola mag{
        QStringLiteral("Eliminare il movimento selezionato?"),
        {},
        {QStringLiteral("DELETE * FROM MagazRegDetail WHERE IdReg=?"),
         QStringLiteral("DELETE * FROM MagazRegMain WHERE IdReg=?")}};

    if (codiceNodo == QLatin1String("iva"))
        return &iva;
    if (codiceNodo == QLatin1String("umi"))
        return &umi;
    if (codiceNodo == QLatin1String("cat"))
        return &cat;
    if (codiceNodo == QLatin1String("art"))
        return &art;
    if (codiceNodo == QLatin1String("cli"))
        return &cli;
    if (codiceNodo == QLatin1String("for"))
        return &forn;
    if (codiceNodo == QLatin1String("mag"))
        return &mag;
    return nullptr;
}

// The refusals and the errors: OK alone, no icon, the program's title.
void Avvisa(const QString &testo)
{
    platform::desktop().msgBox(testo, platform::vbOKOnly, MainModule::ApplicationTitle);
}

} // namespace

bool EliminaRecord(const QString &codiceNodo, const Variant &chiave, const Variant &colonna2)
{
    const Regola *regola = RegolaDi(codiceNodo);
    if (!regola)
        return false;

    const int risposta = platform::desktop().msgBox(
        regola->domanda, platform::vbYesNo | platform::vbQuestion | platform::vbDefaultButton2,
        MainModule::ApplicationTitle);
    if (risposta != platform::vbYes)
        return false;

    // The connection is this command's alone: closing it (also when an
    // error leaves the function) rolls back a transaction not committed.
    // The checks run inside the delete's write transaction, so that no
    // other copy of the program can add a reference between them and the
    // delete.
    platform::Connection connessione;
    try {
        connessione.open(MainModule::ConnString);
        connessione.beginTrans();
        for (const Riferimento &riferimento : regola->riferimenti) {
            const auto righe = connessione.executeQuery(riferimento.query,
                                                        {riferimento.sullaColonna2 ? colonna2 : chiave});
            if (!righe->isEOF()) {
                righe->close();
                connessione.close();
                Avvisa(riferimento.rifiuto);
                return false;
            }
        }
        for (const QString &cancellazione : regola->cancellazioni)
            connessione.execute(cancellazione, {chiave});
        connessione.commitTrans();
        connessione.close();
        return true;
    } catch (const platform::RuntimeError &e) {
        connessione.close();
        Avvisa(e.description());
    } catch (const std::exception &e) {
        connessione.close();
        Avvisa(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

} // namespace Eliminazione
