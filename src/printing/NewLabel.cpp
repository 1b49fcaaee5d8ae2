#include "printing/NewLabel.h"

#include "platform/report/FormatContext.h"
#include "printing/LayoutEtichetta.h"
#include "shell/MainModule.h"

#include <algorithm>
#include <utility>

NewLabel::NewLabel()
{
    LayoutEtichetta::ApplicaPredefinito(*this);
    // Registered by name, the handler stays when a stored layout is loaded.
    setFormatHandler(LayoutEtichetta::NomeSezione, [this](platform::report::FormatContext &context) {
        if (m_daSaltare > 0) {
            --m_daSaltare;
            // This position stays empty; the same record goes to the next.
            context.setLayoutAction(platform::report::LayoutAction::MoveLayout);
        }
    });
}

LayoutEtichetta::Esito NewLabel::CaricaLayout()
{
    return LayoutEtichetta::Carica(*this, MainModule::ConnString, LayoutEtichetta::Uso::Stampa);
}

void NewLabel::reportStart()
{
    m_daSaltare = std::max(0, std::exchange(MainModule::SkipLabels, 0));
}
