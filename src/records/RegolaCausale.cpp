#include "records/RegolaCausale.h"

RegolaCausale RegolaCausale::Di(const QString &causale)
{
    RegolaCausale regola;
    regola.causale = causale;
    regola.reso = causale.left(4) == QStringLiteral("Reso");
    const bool carico = causale == QStringLiteral("Reso a Fornitore") || causale == QStringLiteral("Carico")
        || causale == QStringLiteral("Acquisto");
    regola.segno = carico ? 1 : -1;
    if (causale == QStringLiteral("Reso a Fornitore") || causale == QStringLiteral("Acquisto"))
        regola.contropartita = Fornitore;
    else if (causale == QStringLiteral("Reso da Cliente") || causale == QStringLiteral("Vendita"))
        regola.contropartita = Cliente;
    return regola;
}

bool RegolaCausale::OffreEtichette() const
{
    return causale == QStringLiteral("Acquisto") || causale == QStringLiteral("Carico");
}

QString RegolaCausale::ColonnaValore() const
{
    return segno == 1 ? QStringLiteral("Costo") : QStringLiteral("Prezzo");
}
