// The preview window through its widgets, and printing.
#include "ReportTestSupport.h"

#include "support/TestEnv.h"
#include "platform/desktop/ScriptedDesktop.h"
#include "platform/report/PageView.h"
#include "platform/report/PreviewWindow.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/ReportPainter.h"
#include "platform/report/ReportPrinter.h"

#include <QComboBox>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

using namespace platform;
using namespace platform::report;

namespace {

// Five pages of one line per record.
void buildFivePages(ReportLayout &layout)
{
    layout.setDocumentName(QStringLiteral("Prova"));
    layout.detail().height = 2700; // five records a page
    layout.detail().addField(QStringLiteral("txtCodice"), QStringLiteral("Codice"), 0, 0, 2000, 280).font.family =
        QStringLiteral("DejaVu Sans");
    QList<QList<Variant>> rows;
    for (int i = 0; i < 23; ++i)
        rows.append({Variant(QStringLiteral("R%1").arg(i))});
    layout.setRecordset(reporttest::makeRecordset({{QStringLiteral("Codice"), DataType::adVarWChar, 8}}, rows));
}

void click(PreviewWindow &window, PreviewTool tool)
{
    QWidget *button = window.toolBar()->widgetForAction(window.tool(tool));
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

TEST(ReportPreview, IsAModelessWindowOnTheScreenOwnedByItsLayout)
{
    ScopedScriptedDesktop desktop;
    QPointer<PreviewWindow> window;
    {
        ReportLayout layout;
        buildFivePages(layout);
        layout.setPreviewCaption(QStringLiteral("Rubrica Clienti"));
        window = layout.showPreview();
        ASSERT_TRUE(window);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->windowModality(), Qt::NonModal);
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Rubrica Clienti"));
        EXPECT_EQ(window->document()->pageCount(), 5);
        // It opens whole on the screen (the test screen is 800 pixels high).
        EXPECT_TRUE(window->screen()->availableGeometry().contains(window->frameGeometry()))
            << window->frameGeometry().height();
        // Showing it again reuses the window.
        EXPECT_EQ(layout.showPreview(), window.data());
        // Without a printer the print tool warns; the program may print its own way.
        PreviewWindow &w = *window;
        if (QPrinterInfo::availablePrinters().isEmpty()) {
            click(w, PreviewTool::Print);
            EXPECT_EQ(desktop->prompts(), QStringList{QStringLiteral("Nessuna stampante installata.")});
            EXPECT_EQ(desktop->msgBoxes()[0].style, vbExclamation);
        }
        int prints = 0;
        w.setPrintHandler([&] { ++prints; });
        click(w, PreviewTool::Print);
        EXPECT_EQ(prints, 1);
    }
    EXPECT_TRUE(window.isNull());
}

TEST(ReportPreview, NavigatesZoomsAndDrawsThePageAsThePrinterPainterDoes)
{
    ReportLayout layout;
    buildFivePages(layout);
    PreviewWindow &w = *layout.showPreview();
    EXPECT_EQ(w.currentPage(), 0);
    EXPECT_FALSE(w.tool(PreviewTool::PreviousPage)->isEnabled());
    click(w, PreviewTool::NextPage);
    click(w, PreviewTool::NextPage);
    EXPECT_EQ(w.currentPage(), 2);
    EXPECT_EQ(w.pageBox()->value(), 3);
    click(w, PreviewTool::LastPage);
    EXPECT_EQ(w.currentPage(), 4);
    EXPECT_FALSE(w.tool(PreviewTool::NextPage)->isEnabled());
    click(w, PreviewTool::PreviousPage);
    EXPECT_EQ(w.currentPage(), 3);
    click(w, PreviewTool::FirstPage);
    EXPECT_EQ(w.currentPage(), 0);
    // Typing a page number goes there; Page Down moves on.
    w.pageBox()->setValue(4);
    EXPECT_EQ(w.currentPage(), 3);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_PageDown);
    EXPECT_EQ(w.currentPage(), 4);

    w.resize(800, 900);
    QTest::qWait(0);
    w.zoomBox()->setCurrentIndex(0);
    emit w.zoomBox()->activated(0);
    EXPECT_EQ(w.fitMode(), FitMode::PageWidth);
    const double paperPixels = 11906.0 / 15.0;
    const int available = w.scrollArea()->viewport()->width() - 2 * PageView::Margin;
    EXPECT_NEAR(w.zoom() * paperPixels, available - w.style()->pixelMetric(QStyle::PM_ScrollBarExtent), 2.0);
    emit w.zoomBox()->activated(1);
    EXPECT_EQ(w.fitMode(), FitMode::WholePage);
    EXPECT_LE(w.zoom() * 16838.0 / 15.0, w.scrollArea()->viewport()->height() - 2 * PageView::Margin + 1);
    emit w.zoomBox()->activated(4); // 100%
    EXPECT_DOUBLE_EQ(w.zoom(), 1.0);
    click(w, PreviewTool::ZoomIn);
    EXPECT_DOUBLE_EQ(w.zoom(), 1.25);
    EXPECT_EQ(w.fitMode(), FitMode::None);

    // At 100% the page shows as the printer's painter draws it.
    w.setZoom(1.0);
    w.setCurrentPage(1);
    const QImage shown = w.pageView()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage printed = ReportPainter::renderPage(*layout.document(), 1, 96).convertToFormat(QImage::Format_RGB32);
    const QImage sheet = shown.copy(PageView::Margin, PageView::Margin, printed.width(), printed.height());
    int differing = 0;
    for (int y = 0; y < printed.height(); ++y) {
        for (int x = 0; x < printed.width(); ++x)
            differing += std::abs(qGray(sheet.pixel(x, y)) - qGray(printed.pixel(x, y))) > 32 ? 1 : 0;
    }
    EXPECT_LT(differing, 20);
}

TEST(ReportPrinting, NoInstalledPrinterOrAnUnknownOneIsAnErrorElseEveryPageOfEveryCopyGoesOut)
{
    ReportLayout layout;
    buildFivePages(layout);
    layout.setPrinterName(QStringLiteral("Stampante che non esiste"));
    const auto error = testsupport::errorOf<ReportError>([&] { layout.print(); });
    ASSERT_TRUE(error) << "printed to nothing";
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        EXPECT_EQ(error->kind(), ReportError::Kind::NoPrinter);
        EXPECT_EQ(error->description(), QStringLiteral("Nessuna stampante installata."));
    } else {
        EXPECT_EQ(error->kind(), ReportError::Kind::PrinterNotFound);
        EXPECT_EQ(error->description(), QStringLiteral("La stampante 'Stampante che non esiste' non è installata."));
    }
    EXPECT_EQ(error->number(), 482);

    // Every page of every copy goes out, with progress.
    layout.run();
    const QString dir = testsupport::freshDir(QStringLiteral("print"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir + QStringLiteral("/job.pdf"));
    PrintOptions options;
    options.copies = 2;
    QList<std::pair<int, int>> progress;
    options.progress = [&](int page, int total) {
        progress.append({page, total});
        return true;
    };
    EXPECT_EQ(ReportPrinter::printTo(printer, *layout.document(), options), PrintResult::Printed);
    EXPECT_EQ(printer.docName(), QStringLiteral("Prova"));
    ASSERT_EQ(progress.size(), 10);
    EXPECT_EQ(progress.front(), std::make_pair(1, 10));
    EXPECT_EQ(progress.back(), std::make_pair(10, 10));
    EXPECT_EQ(reporttest::pdfPageCount(dir + QStringLiteral("/job.pdf")), 10);
    EXPECT_TRUE(reporttest::pdfText(dir + QStringLiteral("/job.pdf"), 6, 6).contains(QStringLiteral("R0")));
}
