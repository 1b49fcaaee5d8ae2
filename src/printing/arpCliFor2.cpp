#include "printing/arpCliFor2.h"

#include "printing/arpCliFor.h"

arpCliFor2::arpCliFor2() : arpElenco(QString(), QStringLiteral("arpCliFor2"), QString(), arpCliFor::Disegno)
{
    AggiungiColonna(QStringLiteral("Label1"), QStringLiteral("Codice"), QStringLiteral("Field2"),
                    QStringLiteral("IdCliFor"), 0, 1300)
        .outputFormat = QStringLiteral("00000");
    // The code holds the largest number a counter gives (ten digits).
    AggiungiColonna(QStringLiteral("lblCliFor_Nome"), QStringLiteral("Nome"), QStringLiteral("txtCliFor_Nome"),
                    QStringLiteral("Nome"), 1400, 2450);
    AggiungiColonna(QStringLiteral("lblCliFor_Localit"), QStringLiteral("Località"),
                    QStringLiteral("txtCliFor_Localit"), QStringLiteral("Località"), 3950, 2300);
    AggiungiCampo(QStringLiteral("Field1"), QStringLiteral("Prov"), 6300, 450);
    AggiungiColonna(QStringLiteral("lblCliFor_Telefono"), QStringLiteral("Telefono"),
                    QStringLiteral("txtCliFor_Telefono"), QStringLiteral("Telefono"), 6850, 1600);
    AggiungiColonna(QStringLiteral("lblCliFor_Cellulare"), QStringLiteral("Cellulare"),
                    QStringLiteral("txtCliFor_Cellulare"), QStringLiteral("Cellulare"), 8600, 1600);

    PreparaModoEsportazione({QStringLiteral("txtCliFor_Nome"), QStringLiteral("txtCliFor_Localit"),
                             QStringLiteral("txtCliFor_Telefono"), QStringLiteral("txtCliFor_Cellulare"),
                             QStringLiteral("Field1"), QStringLiteral("Field2")});
}
