#include "platform/base/RuntimeError.h"

#include <utility>

namespace platform {

RuntimeError::RuntimeError(std::int32_t number, QString description, QString source)
    : m_number(number)
    , m_description(std::move(description))
    , m_source(std::move(source))
{
    if (m_description.isNull())
        m_description = standardDescription(number);
    updateWhat();
}

void RuntimeError::setDetail(QString detail)
{
    m_detail = std::move(detail);
    updateWhat();
}

// "<description> (<number>)[ in <source>][ - <detail>]", for logs and
// test failures.
void RuntimeError::updateWhat()
{
    QString what = QStringLiteral("%1 (%2)").arg(m_description).arg(m_number);
    if (!m_source.isEmpty())
        what += QStringLiteral(" in ") + m_source;
    if (!m_detail.isEmpty())
        what += QStringLiteral(" - ") + m_detail;
    m_what = what.toStdString();
}

QString RuntimeError::standardDescription(std::int32_t number)
{
    switch (number) {
    case err::InvalidProcedureCall:
        return QStringLiteral("Chiamata di routine o argomento non validi");
    case err::Overflow:
        return QStringLiteral("Overflow");
    case err::DivisionByZero:
        return QStringLiteral("Divisione per zero");
    case err::TypeMismatch:
        return QStringLiteral("Tipo non corrispondente");
    case err::InvalidUseOfNull:
        return QStringLiteral("Utilizzo non valido di Null");
    default:
        return QString();
    }
}

} // namespace platform
