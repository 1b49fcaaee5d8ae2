#pragma once

#include "platform/base/RuntimeError.h"

namespace platform::report {

// An error of the report engine: a run-time error with a kind, so that the
// program can tell the user in its own words what went wrong. The
// description is Italian and names the printer, the file or the item; what
// the system or the engine said in its own words goes into detail().
class ReportError : public RuntimeError
{
public:
    enum class Kind {
        NoPrinter,       // no printer is installed at all
        PrinterNotFound, // the named printer is not installed
        PrintFailed,     // the print job could not be started or failed
        ExportFailed,    // the export file could not be written
        BadLayout,       // layout bytes that are not a layout of ours
        BadExpression,   // an "=" expression that cannot be read
        NoSuchItem,      // a section or control name that does not exist
        RunFailed,       // the run could not complete (a runaway format event)
    };

    ReportError(Kind kind, const QString &description, const QString &detail = {});

    // "Nessuna stampante installata."
    static ReportError noPrinter();
    // The export file `path` could not be written; `reason` (Italian, may
    // be empty) says why where the cause is known.
    static ReportError exportFailed(const QString &path, const QString &reason, const QString &detail = {});

    Kind kind() const noexcept { return m_kind; }

    // The run-time error number of a kind (482 printer error, 75 file
    // access error, 321 invalid file format, 5 invalid call, ...).
    static std::int32_t numberOf(Kind kind);

private:
    Kind m_kind;
};

} // namespace platform::report
