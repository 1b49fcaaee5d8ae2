// The report dialog of the VAT codes, units and categories, through its
// widgets: opening, the printer and copies, printing, preview, the double
// click, closing, and what it says when it cannot print.
#include "PrintingFixture.h"

#include "DataFixture.h"
#include "ReportTestSupport.h"
#include "common/comRepLib.h"
#include "common/comfrmPrintProgress.h"
#include "platform/base/Twips.h"
#include "platform/grid/Grid.h"
#include "platform/report/PreviewWindow.h"
#include "platform/report/ReportDocument.h"
#include "printing/IstanzeReport.h"
#include "printing/UpDown.h"
#include "printing/arpCodiciIVA.h"
#include "printing/arpUM.h"
#include "printing/frmPrintReportDati.h"
#include "shell/MainModule.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using namespace platform;
using namespace platform::report;

namespace {

class DatiDialog : public PrintingFixture
{
protected:
    frmPrintReportDati &open(const QString &printer = QStringLiteral("Ufficio"))
    {
        frmPrintReportDati::Apri(printer);
        frmPrintReportDati *dialog = frmPrintReportDati::Aperto();
        EXPECT_NE(dialog, nullptr);
        return *dialog;
    }

    // Whether the dialog has gone (closed and destroyed).
    static bool closed()
    {
        flushDeletes();
        return frmPrintReportDati::Aperto() == nullptr;
    }
};

// The widgets of `wanted` in the order Tab reaches them from the first.
QList<QWidget *> tabOrder(const QList<QWidget *> &wanted)
{
    QList<QWidget *> order;
    QWidget *w = wanted.front();
    for (int i = 0; i < 200 && order.size() < wanted.size(); ++i) {
        if (wanted.contains(w) && !order.contains(w) && w->isVisible() && w->isEnabled())
            order << w;
        w = w->nextInFocusChain();
    }
    return order;
}

} // namespace

TEST_F(DatiDialog, OpensModelessWithItsCaptionsPrintersAndCatalogueStaysOneDialogAndCountsCopies)
{
    frmPrintReportDati &d = open(QStringLiteral("Magazzino"));
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(d.isModal());
    EXPECT_EQ(d.size(), QSize(Twips(7230).toPixels(), Twips(4770).toPixels()));
    const std::pair<QString, QString> captions[] = {
        {d.windowTitle(), QStringLiteral("Stampa Impostazioni")}, {d.frmStampante->title(), QStringLiteral("Stampante")},
        {d.lblNome->text(), QStringLiteral("Nome:")},              {d.cmdPropPrinter->text(), QStringLiteral("Proprietà")},
        {d.lblNumCopies->text(), QStringLiteral("Numero copie:")}, {d.txtNumCopies->text(), QStringLiteral("1")},
        {d.frmTipo->title(), QStringLiteral("Tipo di stampa")},    {d.cmdOK->text(), QStringLiteral("Stampa")},
        {d.cmdPreview->text(), QStringLiteral("Anteprima")},       {d.cmdExp->text(), QStringLiteral("&Esporta..")},
        {d.cmdCancel->text(), QStringLiteral("Chiudi")},
    };
    for (const auto &[actual, expected] : captions)
        EXPECT_EQ(actual, expected);
    EXPECT_FALSE(d.cmdPropPrinter->isEnabled());
    EXPECT_FALSE(d.cmdExp->isVisible());
    EXPECT_FALSE(d.Anteprima());

    // The installed printers in their order, the one asked for chosen.
    ASSERT_EQ(d.cmbprinters->count(), 2);
    EXPECT_EQ(d.cmbprinters->itemText(0) + u'|' + d.cmbprinters->itemText(1), QStringLiteral("Ufficio|Magazzino"));
    EXPECT_EQ(d.cmbprinters->currentText(), QStringLiteral("Magazzino"));

    // Three reports, all with the list icon; the id column is hidden and
    // there are no column headers.
    ASSERT_EQ(d.GridEX1->rowCount(), 3);
    const QStringList titles{QStringLiteral("Codici IVA"), QStringLiteral("Unità di misura articoli"),
                             QStringLiteral("Categorie articoli")};
    for (int r = 1; r <= 3; ++r) {
        EXPECT_EQ(d.GridEX1->valueAt(r, 1), Variant(std::int32_t(1)));
        EXPECT_EQ(d.GridEX1->valueAt(r, 2), Variant(std::int32_t(r)));
        EXPECT_EQ(d.GridEX1->textAt(r, 3), titles[r - 1]);
    }
    EXPECT_TRUE(d.GridEX1->model()->data(d.GridEX1->model()->index(0, 0), Qt::DecorationRole).canConvert<QIcon>());
    EXPECT_TRUE(d.GridEX1->view()->isColumnHidden(1));
    EXPECT_FALSE(d.GridEX1->view()->horizontalHeader()->isVisible());
    EXPECT_EQ(d.ReportSelezionato(), 1);

    const QList<QWidget *> order{d.cmbprinters, d.txtNumCopies, d.GridEX1->view(), d.cmdOK, d.cmdPreview, d.cmdCancel};
    EXPECT_EQ(tabOrder(order), order);

    // Opening again keeps one dialog and fills its lists afresh.
    MainModule::InstalledPrinters << QStringLiteral("Etichette");
    MainModule::InstalledPrinterCount = 3;
    frmPrintReportDati &again = open(QStringLiteral("Etichette"));
    EXPECT_EQ(&again, &d);
    EXPECT_EQ(again.cmbprinters->count(), 3);
    EXPECT_EQ(again.cmbprinters->currentText(), QStringLiteral("Etichette"));
    EXPECT_EQ(again.GridEX1->rowCount(), 3);

    // The copies box takes digits only and its arrows count from one.
    d.txtNumCopies->setFocus();
    d.txtNumCopies->end(false);
    QTest::keyClicks(d.txtNumCopies, QStringLiteral("a2-x."));
    EXPECT_EQ(d.txtNumCopies->text(), QStringLiteral("12"));
    QTest::mouseClick(d.UpDown1->downButton(), Qt::LeftButton);
    EXPECT_EQ(d.NumeroCopie(), 11);
    d.txtNumCopies->setText(QStringLiteral("1"));
    QTest::mouseClick(d.UpDown1->downButton(), Qt::LeftButton);
    QTest::mouseClick(d.UpDown1->upButton(), Qt::LeftButton);
    EXPECT_EQ(d.txtNumCopies->text(), QStringLiteral("2"));
    // An empty or zero box prints one copy.
    for (const char *text : {"", "0"}) {
        d.txtNumCopies->setText(QString::fromLatin1(text));
        EXPECT_EQ(d.NumeroCopie(), 1) << text;
    }
}

TEST_F(DatiDialog, StampaOrADoubleClickPrintsTheChosenListAnteprimaShowsItAndBothCloseTheDialog)
{
    frmPrintReportDati &d = open(QStringLiteral("Ufficio"));
    d.cmbprinters->setCurrentIndex(1);
    d.txtNumCopies->setText(QStringLiteral("2"));
    clickRow(d.GridEX1, 2);
    ASSERT_EQ(d.ReportSelezionato(), 2);
    QTest::mouseClick(d.cmdOK, Qt::LeftButton);

    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].options.printerName, QStringLiteral("Magazzino"));
    EXPECT_EQ(jobs[0].options.copies, 2);
    EXPECT_EQ(jobs[0].options.documentName, QStringLiteral("Unità di misura"));
    EXPECT_EQ(jobs[0].pagesSent, 2); // one page, two copies
    const QString text = reporttest::pdfText(jobs[0].pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Unità di misura")));
    for (const QString &unit : UnitDescriptions)
        EXPECT_TRUE(text.contains(unit)) << unit.toStdString();
    EXPECT_TRUE(desktop->msgBoxes().empty());

    // One print per opening; the printed layout is unloaded.
    EXPECT_TRUE(closed());
    EXPECT_EQ(IstanzeReport::Istanza<arpUM>(), nullptr);
    EXPECT_EQ(comfrmPrintProgress::Corrente(), nullptr);

    // A double click on a catalogue row prints that list.
    doubleClickRow(open().GridEX1, 3);
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[1].options.printerName, QStringLiteral("Ufficio"));
    EXPECT_TRUE(reporttest::pdfText(jobs[1].pdf).contains(QStringLiteral("Categorie articoli")));
    EXPECT_TRUE(closed());

    // "Anteprima" shows the list and closes the dialog while the preview stays.
    frmPrintReportDati &viewer = open();
    clickRow(viewer.GridEX1, 1);
    QTest::mouseClick(viewer.cmdPreview, Qt::LeftButton);
    EXPECT_EQ(jobs.size(), 2u);
    EXPECT_TRUE(desktop->msgBoxes().empty());
    ASSERT_NE(IstanzeReport::Istanza<arpCodiciIVA>(), nullptr);
    QPointer<PreviewWindow> preview = IstanzeReport::Istanza<arpCodiciIVA>()->previewWindow();
    EXPECT_TRUE(closed());
    ASSERT_TRUE(preview);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->windowTitle(), QStringLiteral("Codici IVA"));
    EXPECT_EQ(preview->tool(PreviewTool::Print)->text(), QStringLiteral("Stampa"));
    EXPECT_TRUE(preview->document()->pageText(0).contains(QStringLiteral("Minima – beni di prima necessità")));

    // Opening the dialog again and closing it with "Chiudi" leaves the
    // preview alone; so does Esc.
    frmPrintReportDati &again = open();
    EXPECT_FALSE(again.Anteprima());
    QTest::mouseClick(again.cmdCancel, Qt::LeftButton);
    EXPECT_TRUE(closed());
    QTest::keyClick(&open(), Qt::Key_Escape);
    EXPECT_TRUE(closed());
    ASSERT_TRUE(preview);
    EXPECT_TRUE(preview->isVisible());
}

TEST_F(DatiDialog, StampaWithoutAnyInstalledPrinterSaysSoAndTheDialogStays)
{
    desktop->setPrinters({});
    frmPrintReportDati &d = open();
    QTest::mouseClick(d.cmdOK, Qt::LeftButton);
    EXPECT_EQ(desktop->prompts(),
              QStringList{QStringLiteral("Nessuna stampante installata: impossibile stampare il documento.")});
    EXPECT_EQ(desktop->msgBoxes()[0].style, vbExclamation | vbOKOnly);
    EXPECT_TRUE(jobs.empty());
    EXPECT_EQ(comfrmPrintProgress::Corrente(), nullptr);
    EXPECT_FALSE(closed());
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(d.isEnabled());

    // A preview still works and closes the dialog as usual.
    QTest::mouseClick(d.cmdPreview, Qt::LeftButton);
    EXPECT_EQ(desktop->msgBoxes().size(), 1u);
    EXPECT_TRUE(closed());
}

TEST_F(DatiDialog, ADatabaseErrorIsToldAndTheDialogStaysOpenForAnotherTry)
{
    const QString good = MainModule::ConnString;
    MainModule::ConnString = testsupport::DataFixture::connectionString(folder + QStringLiteral("/manca.mdb"));
    frmPrintReportDati &d = open();
    clickRow(d.GridEX1, 2);
    // Printing meets the error; no progress window is left behind.
    QTest::mouseClick(d.cmdOK, Qt::LeftButton);
    ASSERT_EQ(desktop->msgBoxes().size(), 1u);
    const QString prompt = desktop->msgBoxes()[0].prompt;
    EXPECT_TRUE(prompt.startsWith(QStringLiteral("Impossibile leggere i dati da stampare.\r\n"))) << prompt.toStdString();
    EXPECT_GT(prompt.size(), QStringLiteral("Impossibile leggere i dati da stampare.\r\n").size());
    EXPECT_EQ(comfrmPrintProgress::Corrente(), nullptr);
    EXPECT_FALSE(closed());
    EXPECT_TRUE(d.isEnabled());

    // So does a preview, and the dialog stays ready to print: with the
    // database back, a double click prints instead of previewing.
    QTest::mouseClick(d.cmdPreview, Qt::LeftButton);
    ASSERT_EQ(desktop->msgBoxes().size(), 2u);
    EXPECT_TRUE(desktop->msgBoxes()[1].prompt.startsWith(QStringLiteral("Impossibile leggere i dati da stampare.")));
    EXPECT_FALSE(closed());
    EXPECT_FALSE(d.Anteprima());
    MainModule::ConnString = good;
    doubleClickRow(d.GridEX1, 2);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_TRUE(reporttest::pdfText(jobs[0].pdf).contains(QStringLiteral("Metri quadrati")));
    EXPECT_EQ(IstanzeReport::Istanza<arpUM>(), nullptr); // printed, then unloaded: no preview
    EXPECT_TRUE(closed());
}

TEST_F(DatiDialog, TheWindowsCloseBoxClosesItButNotDuringARun)
{
    frmPrintReportDati &d = open();
    // While a print is going on the dialog takes no input and refuses to close.
    bool refused = false;
    comRepLib::SetPrintFunction([&](const ReportDocument &, const PrintOptions &) {
        EXPECT_FALSE(d.isEnabled());
        refused = !d.close();
        return PrintResult::Printed;
    });
    QTest::mouseClick(d.cmdOK, Qt::LeftButton);
    EXPECT_TRUE(refused);
    EXPECT_TRUE(closed()); // closed by the end of its run

    frmPrintReportDati &again = open();
    EXPECT_TRUE(again.close());
    EXPECT_TRUE(closed());
}
