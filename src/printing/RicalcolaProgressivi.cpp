#include "printing/RicalcolaProgressivi.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"
#include "shell/MainModule.h"
#include "shell/WindowRegistry.h"

#include <exception>

namespace RicalcolaProgressivi {

namespace {

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
    platform::Recordset movimenti;
    movimenti.open(QStringLiteral("SELECT * FROM MagazRegMain WHERE DataIns >= ? AND DataIns < ? "
                                  "ORDER BY DataIns, IdReg"),
                   connection, platform::CursorType::Static, platform::LockType::Optimistic,
                   platform::CommandType::Text, {platform::DateTime(anno, 1, 1), platform::DateTime(anno + 1, 1, 1)});
    const int totale = movimenti.rowCount();
    const int progressivo = movimenti.fieldIndex(QStringLiteral("Progressivo"));
    for (std::int32_t numero = 1; numero <= totale; ++numero) {
        movimenti.setAbsolutePosition(numero);
        if (movimenti.value(progressivo) == platform::Variant(numero))
            continue;
        movimenti.setValue(progressivo, numero);
        movimenti.update();
    }
    movimenti.close();
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
