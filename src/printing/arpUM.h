#pragma once

#include "printing/arpElenco.h"

// The list of the articles' units of measure: code, description and
// whether the unit is the default one.
class arpUM : public arpElenco
{
public:
    static inline const QString Sql = QStringLiteral(
        "SELECT [Chiave], [Codice], [Descrizione], [Predefinito] FROM [Liste] WHERE [Chiave]='um' ORDER BY "
        "[Liste].[Codice] ");

    arpUM();
};
