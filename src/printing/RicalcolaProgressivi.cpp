#include "printing/RicalcolaProgressivi.h"

#include "common/comUtility.h"
#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"
#include "shell/MainModule.h"
#include "shell/WindowRegistry.h"

#include <exception>

namespace RicalcolaProgressivi {

namespace {

// Movements renumbered by one statement.
constexpr int RighePerIstruzione = 50;

int Messaggio(const QString &testo, int stile)
{
    return platform::desktop().msgBox(testo, stile, MainModule::ApplicationTitle);
}

} // namespace

int Rinumera(int anno)
{
    // Closing the connection on the way out rolls back what was not
    // committed.
    platform::Connection connection(MainModule::ConnString);
    connection.beginTrans();
    const auto movimenti = connection.executeQuery(
        QStringLiteral("SELECT IdReg, Progressivo FROM MagazRegMain WHERE DataIns >= ? AND DataIns < ? "
                       "ORDER BY DataIns, IdReg"),
        {platform::DateTime(anno, 1, 1), platform::DateTime(anno + 1, 1, 1)});
    const int totale = movimenti->rowCount();

    // Only the movements whose number changes are written, many in each
    // statement: "CASE IdReg WHEN id THEN number ..." for the ids listed.
    QString casi;
    QList<platform::Variant> numeri;
    QList<platform::Variant> ids;
    auto scrivi = [&] {
        if (ids.isEmpty())
            return;
        QString elenco = QStringLiteral("?");
        elenco += QStringLiteral(", ?").repeated(ids.size() - 1);
        connection.execute(QStringLiteral("UPDATE MagazRegMain SET Progressivo = CASE IdReg") + casi
                               + QStringLiteral(" END WHERE IdReg IN (") + elenco + u')',
                           numeri + ids);
        casi.clear();
        numeri.clear();
        ids.clear();
    };
    for (int row = 0; row < totale; ++row) {
        const std::int32_t numero = row + 1;
        if (comUtility::IntegerOrDefault(movimenti->valueAt(row, 1), 0) == numero)
            continue;
        casi += QStringLiteral(" WHEN ? THEN ?");
        numeri << movimenti->valueAt(row, 0) << numero;
        ids << movimenti->valueAt(row, 0);
        if (ids.size() == RighePerIstruzione)
            scrivi();
    }
    scrivi();
    connection.commitTrans();
    connection.close();
    return totale;
}

void Esegui()
{
    const int anno = MainModule::WorkYear;
    if (Messaggio(QStringLiteral("Confermare il ricalcolo dei progressivi per l'anno %1?").arg(anno),
                  platform::vbYesNo | platform::vbDefaultButton2)
        != platform::vbYes)
        return;
    QString errore;
    int totale = 0;
    try {
        totale = Rinumera(anno);
    } catch (const platform::RuntimeError &e) {
        errore = e.description();
    } catch (const std::exception &e) {
        errore = QString::fromLocal8Bit(e.what());
    }
    if (!errore.isEmpty()) {
        Messaggio(QStringLiteral("Ricalcolo dei progressivi non effettuato: nessun numero è stato cambiato.\r\n")
                      + errore,
                  platform::vbCritical | platform::vbOKOnly);
        return;
    }
    if (totale == 0) {
        Messaggio(QStringLiteral("Nessun movimento presente"), platform::vbOKOnly);
        return;
    }
    Messaggio(QStringLiteral("Ricalcolo terminato con successo."), platform::vbOKOnly);
    WindowRegistry::AggiornaPrincipale();
}

} // namespace RicalcolaProgressivi
