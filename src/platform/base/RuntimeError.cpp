#include "platform/base/RuntimeError.h"

namespace platform {

RuntimeError::RuntimeError(std::int32_t number, QString description, QString source)
    : m_number(number)
    , m_description(std::move(description))
    , m_source(std::move(source))
{
    if (m_description.isNull())
        m_description = standardDescription(number);
    m_what = QStringLiteral("%1 (%2)%3")
                 .arg(m_description)
                 .arg(m_number)
                 .arg(m_source.isEmpty() ? QString() : QStringLiteral(" in ") + m_source)
                 .toStdString();
}

QString RuntimeError::standardDescription(std::int32_t number)
{
    switch (number) {
    case err::InvalidProcedureCall:
        return QStringLiteral("Invalid procedure call or argument");
    case err::Overflow:
        return QStringLiteral("Overflow");
    case err::TypeMismatch:
        return QStringLiteral("Type mismatch");
    case err::InvalidUseOfNull:
        return QStringLiteral("Invalid use of Null");
    default:
        return QString();
    }
}

} // namespace platform
