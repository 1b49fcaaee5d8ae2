#include "PrintingFixture.h"

#include "DataFixture.h"
#include "ReportTestSupport.h"
#include "support/TestEnv.h"
#include "common/comRepLib.h"
#include "common/comfrmPrintProgress.h"
#include "platform/report/ReportDocument.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/ReportPrinter.h"
#include "printing/IstanzeReport.h"
#include "printing/frmPrintReportDati.h"
#include "shell/MainModule.h"

#include "platform/grid/Grid.h"

#include <QApplication>
#include <QPrinter>
#include <QTableView>
#include <QTest>

using testsupport::DataFixture;

const QStringList PrintingFixture::VatCodes{QStringLiteral("10"), QStringLiteral("22"), QStringLiteral("4"),
                                            QStringLiteral("E15")};
const QStringList PrintingFixture::VatDescriptions{
    QStringLiteral("Ridotta"), QStringLiteral("Ordinaria"), QStringLiteral("Minima – beni di prima necessità"),
    QStringLiteral("Esclusa art. 15 – spese anticipate in nome e per conto del cliente")};
const QStringList PrintingFixture::UnitCodes{QStringLiteral("KG"), QStringLiteral("LT"), QStringLiteral("MQ"),
                                             QStringLiteral("ORE"), QStringLiteral("PZ")};
const QStringList PrintingFixture::UnitDescriptions{QStringLiteral("Chilogrammi"), QStringLiteral("Litri"),
                                                    QStringLiteral("Metri quadrati"), QStringLiteral("Ore di attività"),
                                                    QStringLiteral("Pezzi")};
const QStringList PrintingFixture::Categories{QStringLiteral("Attrezzi da giardino"), QStringLiteral("Caffè e bevande"),
                                              QStringLiteral("Elettricità"), QStringLiteral("Ferramenta"),
                                              QStringLiteral("Utensileria")};

void PrintingFixture::SetUp()
{
    folder = testsupport::freshDir(QStringLiteral("printing"));
    // The sample has VAT codes 22 and 10, units PZ and KG, the category
    // Ferramenta (the default); the rest comes in out of order.
    database = DataFixture::createSampleDatabase();
    DataFixture::runSql(database, QStringLiteral(
        "INSERT INTO CodiciIVA VALUES ('E15', 'Esclusa art. 15 – spese anticipate in nome e per conto del cliente', 0, 1, 0);"
        "INSERT INTO CodiciIVA VALUES ('4', 'Minima – beni di prima necessità', 4, 0, 0);"
        "INSERT INTO Liste (Chiave, Codice, Descrizione, Predefinito) VALUES"
        " ('um', 'ORE', 'Ore di attività', 0), ('um', 'MQ', 'Metri quadrati', 0), ('um', 'LT', 'Litri', 0),"
        " ('cat', NULL, 'Utensileria', 0), ('cat', NULL, 'Caffè e bevande', 0), ('cat', 'ZZ', 'Attrezzi da giardino', 0),"
        " ('cat', NULL, 'Elettricità', 0);"));
    MainModule::ConnString = DataFixture::connectionString(database);
    MainModule::InstalledPrinters = {QStringLiteral("Ufficio"), QStringLiteral("Magazzino")};
    MainModule::InstalledPrinterDetails = {QStringLiteral("HP LaserJet"), QStringLiteral("Brother HL")};
    MainModule::InstalledPrinterCount = 2;
    desktop->setPrinters({{QStringLiteral("Ufficio"), QStringLiteral("HP LaserJet")},
                          {QStringLiteral("Magazzino"), QStringLiteral("Brother HL")}});
    desktop->setDefaultPrinter(QStringLiteral("Ufficio"));

    comRepLib::SetPrintFunction([this](const platform::report::ReportDocument &doc,
                                       const platform::report::PrintOptions &options) {
        Job job;
        job.options = options;
        job.pdf = folder + QStringLiteral("/job%1.pdf").arg(jobs.size() + 1);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(job.pdf);
        platform::report::PrintOptions counting = options;
        int sent = 0;
        counting.progress = [&sent, &options](int page, int count) {
            ++sent;
            return options.progress(page, count);
        };
        const auto result = platform::report::ReportPrinter::printTo(printer, doc, counting);
        job.pagesSent = sent;
        jobs.push_back(job);
        return result;
    });
}

void PrintingFixture::TearDown()
{
    delete frmPrintReportDati::Aperto();
    comRepLib::SetPrintFunction({});
    comfrmPrintProgress::Scarica();
    IstanzeReport::ScaricaTutte();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    MainModule::ConnString.clear();
    MainModule::InstalledPrinters.clear();
    MainModule::InstalledPrinterDetails.clear();
    MainModule::InstalledPrinterCount = 0;
}

int PrintingFixture::lineOf(const QString &text, const QString &what)
{
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].contains(what))
            return i;
    }
    return -1;
}

QString PrintingFixture::pdfLines(const QString &path)
{
    QStringList lines = reporttest::pdfText(path).split(u'\n');
    for (QString &line : lines)
        line = line.simplified();
    lines.removeAll(QString());
    return lines.join(u'\n');
}

QString PrintingFixture::renderPdf(platform::report::ReportLayout &layout, const QString &name)
{
    layout.setConnectionString(MainModule::ConnString);
    const QString path = folder + u'/' + name;
    layout.exportPdf(path);
    return path;
}

void PrintingFixture::clickRow(platform::Grid *grid, int row)
{
    QTableView *view = grid->view();
    const QRect cell = view->visualRect(grid->model()->index(row - 1, 2));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
}

void PrintingFixture::doubleClickRow(platform::Grid *grid, int row)
{
    QTableView *view = grid->view();
    const QPoint at = view->visualRect(grid->model()->index(row - 1, 2)).center();
    // A double click is a press and release, then a double-click event.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

void PrintingFixture::flushDeletes()
{
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}
