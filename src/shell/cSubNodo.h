#pragma once

#include <QString>

// One sub-view of a navigation node: its caption in the filter combo, its
// list query (rewritten each time the list loads) and a key.
class cSubNodo
{
public:
    const QString &SQLString() const { return m_SQLString; }
    void setSQLString(const QString &value) { m_SQLString = value; }

    const QString &Descrizione() const { return m_Descrizione; }
    void setDescrizione(const QString &value) { m_Descrizione = value; }

    const QString &Chiave() const { return m_Chiave; }
    void setChiave(const QString &value) { m_Chiave = value; }

private:
    QString m_SQLString;
    QString m_Descrizione;
    QString m_Chiave;
};
