#include "printing/arpUM.h"

arpUM::arpUM() : arpElenco(QStringLiteral(" Unità di misura"), QStringLiteral("Unità di misura"), Sql)
{
    AggiungiColonna(QStringLiteral("lblListe_Codice"), QStringLiteral("Codice"), QStringLiteral("txtListe_Codice"),
                    QStringLiteral("Codice"), 0, 1474);
    AggiungiColonna(QStringLiteral("lblListe_Descrizione"), QStringLiteral("Descrizione"),
                    QStringLiteral("txtListe_Descrizione"), QStringLiteral("Descrizione"), 1587, 3572);
    AggiungiCasella(QStringLiteral("lblListe_Predefinito"), QStringLiteral("Predefinito"),
                    QStringLiteral("chkListe_Predefinito"), QStringLiteral("Predefinito"), 5272, 1418);
}
