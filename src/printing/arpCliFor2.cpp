#include "printing/arpCliFor2.h"

#include "printing/arpCliFor.h"

arpCliFor2::arpCliFor2() : arpElenco(QString(), QStringLiteral("arpCliFor2"), QString(), arpCliFor::Disegno)
{
    AggiungiColonna(QStringLiteral("Label1"), QStringLiteral("Codice"), QStringLiteral("Field2"),
                    QStringLiteral("IdCliFor"), 0, 800)
        .outputFormat = QStringLiteral("00000");
    AggiungiColonna(QStringLiteral("lblCliFor_Nome"), QStringLiteral("Nome"), QStringLiteral("txtCliFor_Nome"),
                    QStringLiteral("Nome"), 950, 3150);
    AggiungiColonna(QStringLiteral("lblCliFor_Localit"), QStringLiteral("Località"),
                    QStringLiteral("txtCliFor_Localit"), QStringLiteral("Località"), 4200, 2450);
    AggiungiCampo(QStringLiteral("Field1"), QStringLiteral("Prov"), 6700, 450);
    AggiungiColonna(QStringLiteral("lblCliFor_Telefono"), QStringLiteral("Telefono"),
                    QStringLiteral("txtCliFor_Telefono"), QStringLiteral("Telefono"), 7250, 1450);
    AggiungiColonna(QStringLiteral("lblCliFor_Cellulare"), QStringLiteral("Cellulare"),
                    QStringLiteral("txtCliFor_Cellulare"), QStringLiteral("Cellulare"), 8750, 1450);

    PreparaModoEsportazione({QStringLiteral("txtCliFor_Nome"), QStringLiteral("txtCliFor_Localit"),
                             QStringLiteral("txtCliFor_Telefono"), QStringLiteral("txtCliFor_Cellulare"),
                             QStringLiteral("Field1"), QStringLiteral("Field2")});
}
