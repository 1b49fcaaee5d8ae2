#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// A stored parameter query of the catalogue: its name, its declared
// parameters in order and its query text in the Jet dialect.
class CatalogProcedure
{
public:
    CatalogProcedure() = default;
    CatalogProcedure(QString name, QStringList parameterNames, QStringList parameterTypes, QString commandText)
        : m_name(std::move(name))
        , m_parameterNames(std::move(parameterNames))
        , m_parameterTypes(std::move(parameterTypes))
        , m_commandText(std::move(commandText))
    {
    }

    QString name() const { return m_name; }
    QStringList parameterNames() const { return m_parameterNames; }
    QStringList parameterTypes() const { return m_parameterTypes; }
    QString commandText() const { return m_commandText; }

private:
    QString m_name;
    QStringList m_parameterNames;
    QStringList m_parameterTypes;
    QString m_commandText;
};

} // namespace platform
