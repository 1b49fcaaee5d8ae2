#pragma once

#include "printing/arpMagazzino.h"

// The movement journal: every movement line of the period, grouped by
// movement (its number, date, causale and counterpart over its lines), with
// quantity, unit cost or price and value, and the totals of the report.
class arpGiornaleMagazzino : public arpMagazzino
{
public:
    arpGiornaleMagazzino();

    // The texts and formats of a run: title, filter line, the captions of
    // the two value columns, the formats of quantities and values.
    void Imposta(const QString &titolo, const QString &filtro, const QString &colonna1, const QString &colonna2,
                 const QString &formatoQuantita, const QString &formatoValori);
};
