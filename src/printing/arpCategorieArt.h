#pragma once

#include "printing/arpElenco.h"

// The list of the article categories, by description, with the default one
// ticked.
class arpCategorieArt : public arpElenco
{
public:
    // Categories have no code: they are listed by their description.
    static inline const QString Sql = QStringLiteral(
        "SELECT [Chiave], [Codice], [Descrizione], [Predefinito] FROM [Liste] WHERE [Chiave]='cat' ORDER BY "
        "[Liste].[Descrizione]");

    arpCategorieArt();
};
