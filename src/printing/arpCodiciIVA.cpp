#include "printing/arpCodiciIVA.h"

using platform::report::TextAlign;

arpCodiciIVA::arpCodiciIVA() : arpElenco(QStringLiteral("Codici Iva"), QStringLiteral("Codici IVA"), Sql)
{
    AggiungiColonna(QStringLiteral("lblCodiciIVA_CodiceIVA"), QStringLiteral("CodiceIVA"),
                    QStringLiteral("txtCodiciIVA_CodiceIVA"), QStringLiteral("CodiceIVA"), 0, 1474);
    AggiungiColonna(QStringLiteral("lblCodiciIVA_Descrizione"), QStringLiteral("Descrizione"),
                    QStringLiteral("txtCodiciIVA_Descrizione"), QStringLiteral("Descrizione"), 1587, 3572);
    AggiungiColonna(QStringLiteral("lblCodiciIVA_Aliquota"), QStringLiteral("Aliquota"),
                    QStringLiteral("txtCodiciIVA_Aliquota"), QStringLiteral("Aliquota"), 5160, 1304, TextAlign::Right)
        .outputFormat = QStringLiteral("0.00");
    AggiungiCasella(QStringLiteral("lblCodiciIVA_Esenzione"), QStringLiteral("Esenzione"),
                    QStringLiteral("chkCodiciIVA_Esenzione"), QStringLiteral("Esenzione"), 6750, 1300);
    AggiungiCasella(QStringLiteral("lblCodiciIVA_Predefinito"), QStringLiteral("Predefinito"),
                    QStringLiteral("chkCodiciIVA_Predefinito"), QStringLiteral("Predefinito"), 8220, 1418);
}
