#include "printing/arpArticoli.h"

using platform::report::TextAlign;

arpArticoli::arpArticoli()
    : arpElenco(QStringLiteral("Articoli"), QStringLiteral("arpArticoli"), QString(),
                DisegnoElenco{QStringLiteral("Line1"), QStringLiteral("Line2")})
{
    // The date whole, the prices up to "-999.999.999,99"; a code of 40
    // characters and the description take as many lines as they need.
    AggiungiColonna(QStringLiteral("lblArticoli_DataIns"), QStringLiteral("Data"),
                    QStringLiteral("txtArticoli_DataIns"), QStringLiteral("DataIns"), 0, 1200)
        .outputFormat = QStringLiteral("dd/mm/yyyy");
    AggiungiColonna(QStringLiteral("lblArticoli_Codice"), QStringLiteral("Codice"), QStringLiteral("txtArticoli_Codice"),
                    QStringLiteral("Codice"), 1300, 2000);
    AggiungiColonna(QStringLiteral("lblArticoli_Descrizione"), QStringLiteral("Descrizione"),
                    QStringLiteral("txtArticoli_Descrizione"), QStringLiteral("Descrizione"), 3400, 2600);
    AggiungiColonna(QStringLiteral("lblArticoli_Prezzo"), QStringLiteral("Prezzo"), QStringLiteral("txtArticoli_Prezzo"),
                    QStringLiteral("Prezzo"), 6100, 1700, TextAlign::Right)
        .outputFormat = QStringLiteral("###,##0.00");
    AggiungiColonna(QStringLiteral("lblArticoli_PrezzoIvato"), QStringLiteral("Prezzo ivato"),
                    QStringLiteral("txtArticoli_PrezzoIvato"), QStringLiteral("PrezzoIvato"), 7938, 1700,
                    TextAlign::Right)
        .outputFormat = QStringLiteral("###,##0.00");

    PreparaModoEsportazione({QStringLiteral("txtArticoli_Codice"), QStringLiteral("txtArticoli_Descrizione")});
}
