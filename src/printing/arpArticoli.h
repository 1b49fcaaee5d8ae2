#pragma once

#include "printing/arpElenco.h"

// The article list: date of entry, code (with the storage location when the
// settings ask for it), description, price and VAT-inclusive price. The
// report dialog gives the title and the data of each run; the Excel export
// uses the reduced export form (ModoEsportazione).
class arpArticoli : public arpElenco
{
public:
    arpArticoli();
};
