#include "printing/arpArticoli.h"

using platform::report::TextAlign;

arpArticoli::arpArticoli()
    : arpElenco(QStringLiteral("Articoli"), QStringLiteral("arpArticoli"), QString(),
                DisegnoElenco{QStringLiteral("Line1"), QStringLiteral("Line2")})
{
    AggiungiColonna(QStringLiteral("lblArticoli_DataIns"), QStringLiteral("Data"),
                    QStringLiteral("txtArticoli_DataIns"), QStringLiteral("DataIns"), 0, 1100)
        .outputFormat = QStringLiteral("dd/mm/yyyy");
    AggiungiColonna(QStringLiteral("lblArticoli_Codice"), QStringLiteral("Codice"), QStringLiteral("txtArticoli_Codice"),
                    QStringLiteral("Codice"), 1300, 2200);
    AggiungiColonna(QStringLiteral("lblArticoli_Descrizione"), QStringLiteral("Descrizione"),
                    QStringLiteral("txtArticoli_Descrizione"), QStringLiteral("Descrizione"), 3600, 3150);
    AggiungiColonna(QStringLiteral("lblArticoli_Prezzo"), QStringLiteral("Prezzo"), QStringLiteral("txtArticoli_Prezzo"),
                    QStringLiteral("Prezzo"), 6850, 1250, TextAlign::Right)
        .outputFormat = QStringLiteral("###,##0.00");
    AggiungiColonna(QStringLiteral("lblArticoli_PrezzoIvato"), QStringLiteral("Prezzo ivato"),
                    QStringLiteral("txtArticoli_PrezzoIvato"), QStringLiteral("PrezzoIvato"), 8250, 1388,
                    TextAlign::Right)
        .outputFormat = QStringLiteral("###,##0.00");

    PreparaModoEsportazione({QStringLiteral("txtArticoli_Codice"), QStringLiteral("txtArticoli_Descrizione")});
}
