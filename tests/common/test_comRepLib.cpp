// The report output helpers: pointing a layout at a printer, the preview
// toolbar, printing with the progress window and stopping it with
// "Annulla", and the messages of report errors.
#include "support/TestEnv.h"
#include "common/comRepLib.h"
#include "common/comUtilityReport.h"
#include "common/comfrmPrintProgress.h"
#include "platform/data/DatabaseError.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/ScriptedDesktop.h"
#include "platform/report/PreviewWindow.h"
#include "platform/report/ReportDocument.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/ReportPrinter.h"

#include <QAction>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace platform;
using namespace platform::report;

namespace {

// Seven pages of one line per record.
std::unique_ptr<ReportLayout> sevenPages()
{
    auto layout = std::make_unique<ReportLayout>();
    layout->setDocumentName(QStringLiteral("Prova"));
    layout->detail().height = 2700;
    layout->detail().addField(QStringLiteral("txtCodice"), QStringLiteral("Codice"), 0, 0, 2000, 280).font.family =
        QStringLiteral("DejaVu Sans");
    auto rs = std::make_shared<Recordset>();
    rs->appendField(QStringLiteral("Codice"), DataType::adVarWChar, 8);
    rs->open();
    for (int i = 0; i < 33; ++i) {
        rs->addNew();
        rs->setValue(0, Variant(QStringLiteral("R%1").arg(i)));
        rs->update();
    }
    layout->setRecordset(rs);
    return layout;
}

// What the progress window showed when a page went out.
struct PageSeen {
    int page = 0;
    bool visible = false;
    QString where;
};

// Sends the pages to a PDF file instead of a printer, noting what the
// progress window showed before each page; `beforePage` may act on it.
class PdfPrinting : public ::testing::Test
{
protected:
    void SetUp() override
    {
        desktop->setPrinters({{QStringLiteral("Ufficio"), QStringLiteral("HP LaserJet")}});
        output = testsupport::freshDir(QStringLiteral("print")) + QStringLiteral("/job.pdf");
        comRepLib::SetPrintFunction([this](const ReportDocument &doc, const PrintOptions &options) {
            received = options;
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(output);
            PrintOptions spy = options;
            spy.progress = [this, &options](int page, int count) {
                PageSeen seen;
                seen.page = page;
                if (comfrmPrintProgress *w = comfrmPrintProgress::Corrente()) {
                    seen.visible = w->isVisible();
                    seen.where = w->lblPrintWhere->text();
                }
                pages.push_back(seen);
                if (beforePage)
                    beforePage(page);
                return options.progress(page, count);
            };
            return ReportPrinter::printTo(printer, doc, spy);
        });
    }
    void TearDown() override
    {
        comRepLib::SetPrintFunction({});
        comfrmPrintProgress::Scarica();
    }

    ScopedScriptedDesktop desktop;
    QString output;
    PrintOptions received;
    std::vector<PageSeen> pages;
    std::function<void(int)> beforePage;
};

} // namespace

TEST_F(PdfPrinting, ThePreviewPrintToolAndPrintReportPrintOnTheLayoutsPrinter)
{
    auto layout = sevenPages();
    layout->setPrinterName(QStringLiteral("Ufficio"));
    layout->setCopies(2);
    comUtility::SetupReportToolbar(*layout, false);
    PreviewWindow *preview = layout->showPreview();
    ASSERT_TRUE(preview->isVisible());
    auto *print = qobject_cast<QToolButton *>(preview->toolBar()->widgetForAction(preview->tool(PreviewTool::Print)));
    ASSERT_NE(print, nullptr);
    // Without any printer the print tool says so in Italian.
    desktop->setPrinters({});
    QTest::mouseClick(print, Qt::LeftButton);
    EXPECT_EQ(desktop->prompts(), QStringList{QStringLiteral("Nessuna stampante installata: impossibile stampare il documento.")});
    EXPECT_EQ(desktop->msgBoxes()[0].style, vbExclamation | vbOKOnly);
    EXPECT_TRUE(pages.empty());

    desktop->clear();
    desktop->setPrinters({{QStringLiteral("Ufficio"), QStringLiteral("HP LaserJet")}});
    QTest::mouseClick(print, Qt::LeftButton);
    EXPECT_EQ(received.printerName, QStringLiteral("Ufficio"));
    EXPECT_EQ(received.copies, 2);
    EXPECT_EQ(pages.size(), 14u);
    EXPECT_TRUE(desktop->msgBoxes().empty());

    // PrintReport, after SetReportPrinter put the copies back to one, shows
    // where the document goes while printing.
    pages.clear();
    comUtility::SetReportPrinter(*layout, Variant(QStringLiteral("Ufficio")));
    EXPECT_EQ(comRepLib::PrintReport(*layout), PrintResult::Printed);

    ASSERT_EQ(pages.size(), 7u);
    for (const PageSeen &seen : pages) {
        EXPECT_TRUE(seen.visible);
        EXPECT_EQ(seen.where, QStringLiteral("Stampa del documento su 'Ufficio'"));
    }
    EXPECT_EQ(received.printerName, QStringLiteral("Ufficio"));
    EXPECT_EQ(received.copies, 1);
    EXPECT_EQ(received.documentName, QStringLiteral("Prova"));
    // The window is unloaded after the print; the layout stays loaded.
    EXPECT_EQ(comfrmPrintProgress::Corrente(), nullptr);
    EXPECT_NE(layout->document(), nullptr);
}

TEST_F(PdfPrinting, AnnullaStopsTheJobBeforeItsNextPage)
{
    auto layout = sevenPages();
    comUtility::SetReportPrinter(*layout, Variant(QStringLiteral("Ufficio")));
    // The user presses "Annulla" while page 2 is going out.
    beforePage = [](int page) {
        if (page == 2) {
            comfrmPrintProgress *w = comfrmPrintProgress::Corrente();
            ASSERT_NE(w, nullptr);
            QTest::mouseClick(w->cmdCancel, Qt::LeftButton);
            EXPECT_TRUE(w->Cancelled);
            EXPECT_FALSE(w->isVisible());
        }
    };
    EXPECT_EQ(comRepLib::PrintReport(*layout), PrintResult::Cancelled);
    // Pages 1 and 2 were asked for; page 2 is where the job stopped.
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(comfrmPrintProgress::Corrente(), nullptr);

    // The next print starts afresh with Cancelled false; Esc is Annulla too.
    pages.clear();
    beforePage = [](int page) {
        if (page == 3)
            QTest::keyClick(comfrmPrintProgress::Corrente(), Qt::Key_Escape);
    };
    EXPECT_EQ(comRepLib::PrintReport(*layout), PrintResult::Cancelled);
    EXPECT_EQ(pages.size(), 3u);
    beforePage = nullptr;
    pages.clear();
    EXPECT_EQ(comRepLib::PrintReport(*layout), PrintResult::Printed);
    EXPECT_EQ(pages.size(), 7u);
}

TEST(ReportHelpers, ErrorMessagesSayWhatFailedThenTheErrorsDescription)
{
    using K = ReportError::Kind;
    const std::pair<QString, QString> cases[] = {
        {comRepLib::TestoErrore(ReportError(K::PrinterNotFound, QStringLiteral("The printer 'X' is not installed"))),
         QStringLiteral("Stampante non trovata.\r\nThe printer 'X' is not installed")},
        {comRepLib::TestoErrore(ReportError(K::ExportFailed, QStringLiteral("Cannot write 'a.pdf'"))),
         QStringLiteral("Esportazione non riuscita.\r\nCannot write 'a.pdf'")},
        {comRepLib::TestoErrore(ReportError(K::BadExpression, QStringLiteral("bad"))),
         QStringLiteral("Impossibile preparare la stampa.\r\nbad")},
        {comRepLib::TestoErrore(ReportError(K::NoPrinter, QStringLiteral("No printer is installed"))),
         QStringLiteral("Nessuna stampante installata: impossibile stampare il documento.")},
        {comRepLib::TestoErrore(DatabaseError(DatabaseError::Kind::General, 3078, QStringLiteral("no such table: X"))),
         QStringLiteral("Impossibile leggere i dati da stampare.\r\nno such table: X")},
        {comRepLib::TestoErrore(RuntimeError(13, QStringLiteral("Type mismatch"))),
         QStringLiteral("Errore durante la stampa.\r\nType mismatch")},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(text, expected);

    ScopedScriptedDesktop desktop;
    comRepLib::MostraErrore(ReportError(K::PrintFailed, QStringLiteral("job failed")));
    ASSERT_EQ(desktop->msgBoxes().size(), 1u);
    EXPECT_EQ(desktop->msgBoxes()[0].prompt, QStringLiteral("Stampa non riuscita.\r\njob failed"));
    EXPECT_EQ(desktop->msgBoxes()[0].style, vbExclamation | vbOKOnly);
    EXPECT_EQ(desktop->msgBoxes()[0].title, QStringLiteral("Velmora"));
}
