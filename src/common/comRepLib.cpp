#include "common/comRepLib.h"

#include "common/comProgramInfo.h"
#include "common/comfrmPrintProgress.h"
#include "platform/data/DatabaseError.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/report/ReportDocument.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/ReportPrinter.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>

using platform::report::PrintOptions;
using platform::report::PrintResult;
using platform::report::ReportDocument;
using platform::report::ReportError;
using platform::report::ReportLayout;

namespace comRepLib {

namespace {

PrintFunction &installedPrintFunction()
{
    static PrintFunction print;
    return print;
}

// Unloads the progress window however the print ends, when this print
// loaded it (a print started from a window while another one is going on
// leaves it to the first).
class ProgressWindowGuard
{
public:
    ProgressWindowGuard() : m_loadedHere(comfrmPrintProgress::Corrente() == nullptr) {}
    ProgressWindowGuard(const ProgressWindowGuard &) = delete;
    ProgressWindowGuard &operator=(const ProgressWindowGuard &) = delete;
    ~ProgressWindowGuard()
    {
        if (m_loadedHere)
            comfrmPrintProgress::Scarica();
    }

private:
    bool m_loadedHere;
};

// Shows the progress window, gets the pages (laying them out is the
// "pagination" the window announces), and prints them. Between pages the
// pending window messages are processed, so that "Annulla" can be pressed;
// once it has been, the job stops before the next page.
template <typename Pages>
PrintResult printWithProgress(const QString &printerName, int copies, const QString &jobName, Pages pages)
{
    // Printing with no printer at all would send the pages nowhere.
    if (platform::desktop().installedPrinters().isEmpty())
        throw ReportError::noPrinter();

    const ProgressWindowGuard unload;
    const QPointer<comfrmPrintProgress> window(&comfrmPrintProgress::Carica());
    window->Cancelled = false;
    window->lblPrintWhere->setText(QStringLiteral("Stampa del documento su '") + printerName + u'\'');
    window->lblPercent->setText(QStringLiteral("Paginazione in corso"));
    window->show();
    QCoreApplication::processEvents();

    const std::shared_ptr<const ReportDocument> document = pages();
    PrintOptions options;
    options.printerName = printerName;
    options.copies = copies;
    options.documentName = jobName;
    options.progress = [window](int, int) {
        QCoreApplication::processEvents();
        return !(window && window->Cancelled);
    };
    const PrintFunction &print = installedPrintFunction();
    return print ? print(*document, options) : platform::report::ReportPrinter::print(*document, options);
}

} // namespace

PrintResult PrintReport(ReportLayout &report)
{
    return printWithProgress(report.printerName(), report.copies(), report.documentName(), [&report] {
        if (!report.document())
            report.run();
        return report.document();
    });
}

PrintResult PrintDocument(const ReportDocument &document, const QString &printerName, int copies,
                          const QString &documentName)
{
    // The caller keeps the document alive for the length of the call.
    const std::shared_ptr<const ReportDocument> borrowed(&document, [](const ReportDocument *) {});
    return printWithProgress(printerName, copies, documentName, [borrowed] { return borrowed; });
}

PrintFunction SetPrintFunction(PrintFunction print)
{
    PrintFunction previous = std::move(installedPrintFunction());
    installedPrintFunction() = std::move(print);
    return previous;
}

QString NessunaStampanteText()
{
    return QStringLiteral("Nessuna stampante installata: impossibile stampare il documento.");
}

QString TestoErrore(const platform::RuntimeError &error)
{
    QString what;
    if (const auto *report = dynamic_cast<const ReportError *>(&error)) {
        switch (report->kind()) {
        case ReportError::Kind::NoPrinter:
            return NessunaStampanteText();
        case ReportError::Kind::PrinterNotFound:
            what = QStringLiteral("Stampante non trovata.");
            break;
        case ReportError::Kind::PrintFailed:
            what = QStringLiteral("Stampa non riuscita.");
            break;
        case ReportError::Kind::ExportFailed:
            what = QStringLiteral("Esportazione non riuscita.");
            break;
        default:
            what = QStringLiteral("Impossibile preparare la stampa.");
            break;
        }
    } else if (dynamic_cast<const platform::DatabaseError *>(&error)) {
        what = QStringLiteral("Impossibile leggere i dati da stampare.");
    } else {
        what = QStringLiteral("Errore durante la stampa.");
    }
    const QString detail = error.description().trimmed();
    return detail.isEmpty() ? what : what + QStringLiteral("\r\n") + detail;
}

void MostraErrore(const platform::RuntimeError &error)
{
    platform::desktop().msgBox(TestoErrore(error), platform::vbExclamation | platform::vbOKOnly,
                               comProgramInfo::ApplicationTitle);
}

} // namespace comRepLib
