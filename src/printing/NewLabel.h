#pragma once

#include "platform/report/ReportLayout.h"
#include "printing/LayoutEtichetta.h"

// The label report: the article label layout (built-in until the stored
// one is loaded, see LayoutEtichetta) printed over a recordset with one
// record per label. A run first leaves empty the label positions that
// MainModule::SkipLabels asks for, then takes that count back to 0, so that
// a started sheet can be used up and the next run starts at its first
// position again.
class NewLabel : public platform::report::ReportLayout
{
public:
    NewLabel();

    // Loads the stored layout of the open database (MainModule::ConnString)
    // to print with, as LayoutEtichetta::Carica does, and answers what it
    // found.
    LayoutEtichetta::Esito CaricaLayout();

protected:
    void reportStart() override;

private:
    // Label positions still to leave empty in this run.
    int m_daSaltare = 0;
};
