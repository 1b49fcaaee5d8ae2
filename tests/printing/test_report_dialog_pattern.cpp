// The report dialog pattern as the dialogs with exports use it, through a
// dialog of two reports made for these tests: the export menu, the Save As
// dialog with each format's filter and extension, the reduced export form
// holding for its own run only, cancelling, failures, the double click after them.
#include "PrintingFixture.h"

#include "ReportTestSupport.h"
#include "common/comUtilityReport.h"
#include "platform/grid/Grid.h"
#include "platform/report/PreviewWindow.h"
#include "platform/report/ReportDocument.h"
#include "printing/IconeStampa.h"
#include "printing/arpCategorieArt.h"
#include "printing/arpUM.h"
#include "printing/frmPrintReport.h"
#include "shell/MainModule.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace platform;
using namespace platform::report;

namespace {

// Units (id 1) and categories (id 2). The units list has a reduced export
// form for Excel and HTML: without its title.
class frmProvaStampe : public frmPrintReport
{
public:
    frmProvaStampe()
    {
        setWindowTitle(QStringLiteral("Stampe di prova"));
        iml << IconeStampa::Elenco() << IconeStampa::Elenco();
    }

    std::vector<std::pair<int, bool>> modo; // export format, on or off
    int unloads = 0;
    std::unique_ptr<arpUM> um;
    std::unique_ptr<arpCategorieArt> cat;

    using frmPrintReport::Esegui;

protected:
    std::vector<VoceCatalogo> CreaCatalogo() override
    {
        return {{1, 1, QStringLiteral("Unità di misura")}, {2, 2, QStringLiteral("Categorie")}};
    }

    void EseguiStampa() override
    {
        ReportLayout *layout = nullptr;
        if (ReportSelezionato() == 1) {
            layout = &comUtility::SetReportPrinter(um, Variant(cmbprinters->currentText()));
            layout->setSql(arpUM::Sql);
        } else if (ReportSelezionato() == 2) {
            layout = &comUtility::SetReportPrinter(cat, Variant(cmbprinters->currentText()));
            layout->setSql(arpCategorieArt::Sql);
        }
        if (!layout)
            return;
        layout->setConnectionString(MainModule::ConnString);
        EseguiAzione(*layout);
    }

    void ImpostaModoEsportazione(ReportLayout &layout, std::int16_t formato, bool attivo) override
    {
        modo.emplace_back(formato, attivo);
        if (&layout == um.get() && (formato == EsportaExcel || formato == EsportaHtml))
            layout.control(QStringLiteral("lblTitle")).visible = !attivo;
    }

    void Form_Unload() override
    {
        ++unloads;
        um.reset();
        cat.reset();
    }
};

class DialogPattern : public PrintingFixture
{
protected:
    void SetUp() override
    {
        PrintingFixture::SetUp();
        dialog = new frmProvaStampe;
        dialog->Stampa(QStringLiteral("Ufficio"));
    }
    void TearDown() override
    {
        delete dialog.data();
        PrintingFixture::TearDown();
    }

    // Chooses a report and an export format through the menu, with `answer`
    // as the Save As dialog's answer.
    void exportVia(int row, int format, std::optional<QString> answer)
    {
        clickRow(dialog->GridEX1, row);
        desktop->queueSaveFile(std::move(answer));
        dialog->mnuexp(format)->trigger();
    }

    QPointer<frmProvaStampe> dialog;
};

} // namespace

TEST_F(DialogPattern, EachFormatOfTheExportMenuAsksWhereToSaveWithItsFilterAndExtensionThenWritesTheFile)
{
    EXPECT_EQ(dialog->cmdExp->text(), QStringLiteral("&Esporta.."));
    QTest::mouseClick(dialog->cmdExp, Qt::LeftButton);
    EXPECT_TRUE(dialog->expmnu->isVisible());
    dialog->expmnu->hide();
    EXPECT_EQ(dialog->expmnu->actions().size(), 4);
    struct Expected {
        int code;
        QString item, ext, filter;
        QByteArray start; // how a file of the format begins
    };
    const Expected formats[] = {
        {10, QStringLiteral("in Excel"), QStringLiteral(".xlsx"), QStringLiteral("Microsoft Excel (*.xlsx)|*.xlsx"), "PK"},
        {11, QStringLiteral("in RTF (Rich text format)"), QStringLiteral(".rtf"),
         QStringLiteral("Rich Text Format (*.rtf)|*.rtf"), "{\\rtf"},
        {12, QStringLiteral("in PDF (Acrobat Reader)"), QStringLiteral(".pdf"), QStringLiteral("Acrobat reader (*.pdf)|*.pdf"),
         "%PDF"},
        {13, QStringLiteral("in HTML"), QStringLiteral(".html"), QStringLiteral("Formato HTML (*.html)|*.html"),
         "<!DOCTYPE html>"},
    };
    for (const Expected &f : formats) {
        desktop->clear();
        ASSERT_NE(dialog->mnuexp(f.code), nullptr);
        EXPECT_EQ(dialog->mnuexp(f.code)->text(), f.item);
        const QString path = folder + QStringLiteral("/categorie") + f.ext;
        exportVia(2, f.code, path);
        EXPECT_EQ(dialog->Azione(), f.code);
        const auto saves = desktop->callsOf<SaveFileCall>();
        ASSERT_EQ(saves.size(), 1u) << f.code;
        EXPECT_EQ(saves[0].request.filter, f.filter);
        EXPECT_EQ(saves[0].request.defaultExt, f.ext);
        // It asks before replacing a file; no title or folder of its own.
        EXPECT_TRUE(saves[0].request.flags & OFN_OVERWRITEPROMPT);
        EXPECT_TRUE(saves[0].request.title.isEmpty() && saves[0].request.initialDir.isEmpty());
        EXPECT_EQ(desktop->prompts(), QStringList());
        EXPECT_TRUE(testsupport::DataFixture::fileBytes(path).startsWith(f.start)) << f.code;
    }
    EXPECT_TRUE(reporttest::pdfText(folder + QStringLiteral("/categorie.pdf")).contains(QStringLiteral("Caffè e bevande")));
    // Exporting leaves the dialog open for the next choice.
    flushDeletes();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(DialogPattern, TheReducedExportFormHoldsForItsOwnExportRunOnlyAndChiudiUnloadsTheLayouts)
{
    const QString xlsx = folder + QStringLiteral("/um.xlsx");
    exportVia(1, 10, xlsx);
    EXPECT_EQ(dialog->modo, (std::vector<std::pair<int, bool>>{{10, true}, {10, false}}));
    const QString sheet = QString::fromUtf8(reporttest::zipEntry(xlsx, QStringLiteral("xl/worksheets/sheet1.xml")));
    EXPECT_FALSE(sheet.contains(QStringLiteral("Unità di misura")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("Ore di attività")));

    // The PDF export and a preview right after have the title again.
    exportVia(1, 12, folder + QStringLiteral("/um.pdf"));
    EXPECT_TRUE(reporttest::pdfText(folder + QStringLiteral("/um.pdf")).contains(QStringLiteral("Unità di misura")));
    QTest::mouseClick(dialog->cmdPreview, Qt::LeftButton);
    ASSERT_TRUE(dialog->um && dialog->um->previewWindow());
    EXPECT_TRUE(dialog->um->previewWindow()->document()->pageText(0).contains(QStringLiteral("Unità di misura")));
    EXPECT_EQ(dialog->Azione(), 1);
    // The preview leaves the dialog usable.
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->isEnabled());

    // "Chiudi" unloads the dialog and its layouts.
    QTest::mouseClick(dialog->cmdPreview, Qt::LeftButton);
    QPointer<PreviewWindow> preview = dialog->um->previewWindow();
    ASSERT_TRUE(preview);
    QTest::mouseClick(dialog->cmdCancel, Qt::LeftButton);
    flushDeletes();
    EXPECT_FALSE(dialog);
    // The dialog's own layouts went with it, and their previews with them.
    EXPECT_FALSE(preview);
}

TEST_F(DialogPattern, AnExportThatDoesNotHappenLeavesNoFileAndADoubleClickStillPrints)
{
    // Cancelling Save As writes nothing and says nothing.
    exportVia(1, 13, std::nullopt);
    exportVia(1, 11, QString());
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(desktop->prompts(), QStringList());
    EXPECT_EQ(desktop->callsOf<SaveFileCall>().size(), 2u);
    // The reduced form was put back each time.
    EXPECT_EQ(dialog->modo, (std::vector<std::pair<int, bool>>{{13, true}, {13, false}, {11, true}, {11, false}}));
    EXPECT_TRUE(dialog->um->control(QStringLiteral("lblTitle")).visible);

    // A file that cannot be written is told.
    exportVia(2, 12, folder + QStringLiteral("/cartella che non esiste/categorie.pdf"));
    ASSERT_EQ(desktop->prompts().size(), 1);
    const QString prompt = desktop->prompts()[0];
    EXPECT_TRUE(prompt.startsWith(QStringLiteral("Esportazione non riuscita.\r\n"))) << prompt.toStdString();
    EXPECT_TRUE(prompt.contains(QStringLiteral("categorie.pdf"))) << prompt.toStdString();
    EXPECT_EQ(dialog->modo.back(), (std::pair<int, bool>{12, false}));
    flushDeletes();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->isEnabled());

    // A double click after all that prints, and the dialog stays open.
    doubleClickRow(dialog->GridEX1, 2);
    EXPECT_EQ(dialog->Azione(), 0);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_TRUE(reporttest::pdfText(jobs[0].pdf).contains(QStringLiteral("Ferramenta")));
    flushDeletes();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
}
