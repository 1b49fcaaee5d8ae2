#include "printing/arpCategorieArt.h"

arpCategorieArt::arpCategorieArt()
    : arpElenco(QStringLiteral("Categorie articoli"), QStringLiteral("Categorie articoli"), Sql)
{
    AggiungiColonna(QStringLiteral("lblListe_Descrizione"), QStringLiteral("Descrizione"),
                    QStringLiteral("txtListe_Descrizione"), QStringLiteral("Descrizione"), 0, 3572);
    AggiungiCasella(QStringLiteral("lblListe_Predefinito"), QStringLiteral("Predefinito"),
                    QStringLiteral("chkListe_Predefinito"), QStringLiteral("Predefinito"), 3685, 1418);
}
