#include "platform/report/ReportError.h"

namespace platform::report {

ReportError::ReportError(Kind kind, const QString &description)
    : RuntimeError(numberOf(kind), description, QStringLiteral("Report")), m_kind(kind)
{
}

std::int32_t ReportError::numberOf(Kind kind)
{
    switch (kind) {
    case Kind::NoPrinter:
    case Kind::PrinterNotFound:
    case Kind::PrintFailed:
        return 482;
    case Kind::ExportFailed:
        return 75;
    case Kind::BadLayout:
        return 321;
    case Kind::NoSuchItem:
        return 3265;
    case Kind::BadExpression:
    case Kind::RunFailed:
        return err::InvalidProcedureCall;
    }
    return err::InvalidProcedureCall;
}

} // namespace platform::report
