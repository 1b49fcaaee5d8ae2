#include "platform/report/ReportError.h"

namespace platform::report {

ReportError::ReportError(Kind kind, const QString &description, const QString &detail)
    : RuntimeError(numberOf(kind), description, QStringLiteral("Report")), m_kind(kind)
{
    setDetail(detail);
}

ReportError ReportError::noPrinter()
{
    return ReportError(Kind::NoPrinter, QStringLiteral("Nessuna stampante installata."));
}

ReportError ReportError::exportFailed(const QString &path, const QString &reason, const QString &detail)
{
    const QString description = reason.isEmpty()
                                    ? QStringLiteral("Impossibile scrivere il file '%1'.").arg(path)
                                    : QStringLiteral("Impossibile scrivere il file '%1': %2.").arg(path, reason);
    return ReportError(Kind::ExportFailed, description, detail);
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
