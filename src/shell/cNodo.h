#pragma once

#include "shell/cSubNodi.h"

#include <QString>

#include <cstdint>
#include <memory>

// One navigation node of the main window: a kind of record with its codes,
// captions, image, list query, shortcut letter and sub-views.
class cNodo
{
public:
    // Sets the seven fields in one call.
    void Setta(std::int16_t GroupIndex, const QString &Codice, const QString &Descrizione,
               const QString &DescrizioneNew, std::int16_t IconIndex, const QString &SQLString,
               const QString &mnuViewShorCut);

    // The node's sub-views; an empty collection is made on first use.
    cSubNodi &SubNodi();
    void setSubNodi(std::unique_ptr<cSubNodi> value) { m_SubNodi = std::move(value); }
    // Whether the node has at least one sub-view (makes no collection).
    bool HaSubNodi() const { return m_SubNodi && m_SubNodi->Count() > 0; }

    std::int16_t GroupIndex() const { return m_GroupIndex; }
    void setGroupIndex(std::int16_t value) { m_GroupIndex = value; }

    const QString &SQLString() const { return m_SQLString; }
    void setSQLString(const QString &value) { m_SQLString = value; }

    const QString &DescrizioneNew() const { return m_DescrizioneNew; }
    void setDescrizioneNew(const QString &value) { m_DescrizioneNew = value; }

    const QString &Descrizione() const { return m_Descrizione; }
    void setDescrizione(const QString &value) { m_Descrizione = value; }

    const QString &Codice() const { return m_Codice; }
    void setCodice(const QString &value) { m_Codice = value; }

    std::int16_t IconIndex() const { return m_IconIndex; }
    void setIconIndex(std::int16_t value) { m_IconIndex = value; }

    std::int32_t mnuGridEnable() const { return m_mnuGridEnable; }
    void setmnuGridEnable(std::int32_t value) { m_mnuGridEnable = value; }

    const QString &mnuViewShorCut() const { return m_mnuViewShorCut; }
    void setmnuViewShorCut(const QString &value) { m_mnuViewShorCut = value; }

private:
    std::unique_ptr<cSubNodi> m_SubNodi;
    std::int16_t m_GroupIndex = 0;
    QString m_SQLString;
    QString m_DescrizioneNew;
    QString m_Descrizione;
    QString m_Codice;
    std::int16_t m_IconIndex = 0;
    std::int32_t m_mnuGridEnable = 123;
    QString m_mnuViewShorCut;
};
