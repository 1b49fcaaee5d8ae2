// The stored label layout in the `_Pars` row 'etiart'.
#include "printing/LayoutEtichetta.h"

#include "common/comProgramInfo.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportLayout.h"

namespace LayoutEtichetta {

namespace {

const QString Query = QStringLiteral("SELECT * FROM _Pars WHERE k01='etiart'");

} // namespace

QString TestoIlleggibile(Uso uso)
{
    if (uso == Uso::Stampa)
        return QStringLiteral("Il formato dell'etichetta salvata non è leggibile: le etichette non vengono stampate.\r\n"
                              "Impostare di nuovo l'etichetta con Strumenti, Imposta etichetta articoli.");
    return QStringLiteral("Il formato dell'etichetta salvata non è leggibile: viene usato il formato predefinito.");
}

Esito Carica(platform::report::ReportLayout &layout, const QString &connString, Uso uso)
{
    ApplicaPredefinito(layout);

    QByteArray bytes;
    {
        platform::Connection connection(connString);
        platform::Recordset rs;
        rs.open(Query, connection, platform::CursorType::Static);
        if (!rs.isEOF())
            bytes = rs.value(QStringLiteral("m01")).toByteArray();
        rs.close();
        connection.close();
    }
    if (bytes.isEmpty())
        return Esito::Assente;
    if (Leggi(layout, bytes))
        return Esito::Caricato;
    platform::desktop().msgBox(TestoIlleggibile(uso), platform::vbExclamation | platform::vbOKOnly,
                               comProgramInfo::ApplicationTitle);
    return Esito::Illeggibile;
}

void Salva(const platform::report::ReportLayout &layout, long long spazioOrizzontale, const QString &connString)
{
    // What the reader would refuse is never stored: it would hide the
    // layout from every print until the next save.
    if (Controlla(layout))
        throw platform::report::ReportError(platform::report::ReportError::Kind::BadLayout,
                                            QStringLiteral("Il formato dell'etichetta non è valido: non viene salvato."));
    const QByteArray bytes = Scrivi(layout);
    platform::Connection connection(connString);
    // The row is read and written inside one write transaction, so that two
    // copies of the program saving at once never add two rows and the last
    // one's layout stands whole.
    connection.beginTrans();
    try {
        platform::Recordset rs;
        rs.open(Query, connection, platform::CursorType::Static, platform::LockType::Optimistic);
        if (rs.isEOF()) {
            rs.addNew();
            rs.setValue(QStringLiteral("k01"), platform::Variant(QStringLiteral("etiart")));
        }
        rs.setValue(QStringLiteral("m01"), platform::Variant(bytes));
        rs.setValue(QStringLiteral("l01"), platform::Variant(static_cast<double>(spazioOrizzontale)));
        rs.update();
        rs.close();
        connection.commitTrans();
    } catch (...) {
        try {
            connection.rollbackTrans();
        } catch (...) {
            // The error that stopped the save is the one to tell.
        }
        throw;
    }
    connection.close();
}

} // namespace LayoutEtichetta
