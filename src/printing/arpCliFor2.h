#pragma once

#include "printing/arpElenco.h"

// The numbered list of the customers or the suppliers: the code with
// leading zeros, name, place with its province, phone and mobile. The
// report dialog gives the title, the document's names and the SQL of each
// run; exports to spreadsheets and web pages use the reduced export form.
class arpCliFor2 : public arpElenco
{
public:
    arpCliFor2();
};
