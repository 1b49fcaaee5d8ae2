#pragma once

#include "printing/arpElenco.h"

// The list of the VAT codes: code, description, rate, and whether the code
// is an exemption and the default one.
class arpCodiciIVA : public arpElenco
{
public:
    static inline const QString Sql = QStringLiteral(
        "SELECT [Aliquota], [CodiceIVA], [Descrizione], [Esenzione], [Predefinito] FROM [CodiciIVA] ORDER BY "
        "[CodiciIVA].[CodiceIVA]");

    arpCodiciIVA();
};
