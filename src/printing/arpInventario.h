#pragma once

#include "printing/arpMagazzino.h"
#include "printing/StampeMagazzino.h"

// The inventory: per article its stock over the period, cost and value,
// optionally grouped by counterpart and by category with the group totals
// in the group headers, and the totals of the report.
class arpInventario : public arpMagazzino
{
public:
    arpInventario();

    // Show the article's location beside its code; read from the settings
    // ("regUbiView") when each run starts.
    bool MostraUbicazione = false;

    // The texts, formats and groups of a run: title, filter line, the cost
    // column's caption, the formats of quantities and values, and the group
    // sections of the grouping chosen.
    void Imposta(const QString &titolo, const QString &filtro, const QString &colonnaCosto,
                 const QString &formatoQuantita, const QString &formatoValori,
                 StampeMagazzino::Raggruppamento raggruppamento);

protected:
    void reportStart() override;

private:
    void Detail_Format();

    platform::report::ReportControl *m_txtArticolo;
    platform::report::ReportControl *m_txtCodiceArticolo;
    platform::report::ReportControl *m_txtUbicazione;
};
