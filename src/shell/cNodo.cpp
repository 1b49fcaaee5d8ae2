#include "shell/cNodo.h"

void cNodo::Setta(std::int16_t GroupIndex, const QString &Codice, const QString &Descrizione,
                  const QString &DescrizioneNew, std::int16_t IconIndex, const QString &SQLString,
                  const QString &mnuViewShorCut)
{
    m_GroupIndex = GroupIndex;
    m_Codice = Codice;
    m_Descrizione = Descrizione;
    m_DescrizioneNew = DescrizioneNew;
    m_IconIndex = IconIndex;
    m_SQLString = SQLString;
    m_mnuViewShorCut = mnuViewShorCut;
}

cSubNodi &cNodo::SubNodi()
{
    if (!m_SubNodi)
        m_SubNodi = std::make_unique<cSubNodi>();
    return *m_SubNodi;
}
