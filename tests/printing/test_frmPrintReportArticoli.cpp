// The articles' report dialog: the article list and the sheet of article labels.
#include "PrintingFixture.h"

#include "DataFixture.h"
#include "ReportTestSupport.h"
#include "common/comRegistry.h"
#include "platform/data/Connection.h"
#include "platform/grid/Grid.h"
#include "platform/report/PreviewWindow.h"
#include "platform/report/ReportDocument.h"
#include "platform/report/ReportPainter.h"
#include "printing/IstanzeReport.h"
#include "printing/LayoutEtichetta.h"
#include "printing/NewLabel.h"
#include "printing/RegistraStampe.h"
#include "printing/arpArticoli.h"
#include "printing/frmPrintReportArticoli.h"
#include "shell/MainModule.h"
#include "shell/WindowRegistry.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace platform::report;
using namespace Qt::StringLiterals;
using platform::Variant;
using testsupport::DataFixture;

namespace {

class ArticoliDialog : public PrintingFixture
{
protected:
    void SetUp() override
    {
        PrintingFixture::SetUp();
        // Beside the sample's A001, A002 and B001 (Ferramenta): a category
        // with an apostrophe, an article with a location and one with an
        // empty one, added after the others but first by code.
        DataFixture::runSql(database, QStringLiteral(
            "INSERT INTO Liste (Chiave, Descrizione, Predefinito) VALUES ('cat', 'Articoli dell''orto', 0);"
            "INSERT INTO Articoli (Codice, Descrizione, Categoria, Ubicazione, Prezzo, PrezzoIvato, DataIns) VALUES"
            " ('0RT', 'Rastrello', 'Articoli dell''orto', 'A3', 12.5, 15.25, '2024-05-06'),"
            " ('0VA', 'Vanga', 'Articoli dell''orto', '', 1234.5, 1506.09, '2024-05-07');"));
        MainModule::PrinterNames = {u"Ufficio"_s, u"Magazzino"_s};
        MainModule::SkipLabels = 0;
        RegistraFinestreStampa();
        ASSERT_TRUE(WindowRegistry::Stampa(u"frmPrintReportArticoli"_s, u"Ufficio"_s));
        d = frmPrintReportArticoli::Aperto();
    }
    void TearDown() override
    {
        delete frmPrintReportArticoli::Aperto();
        WindowRegistry::Rimuovi();
        setUbicazione(0);
        MainModule::PrinterNames = {};
        PrintingFixture::TearDown();
    }
    static void setUbicazione(int value)
    {
        MainModule::ScriviRegistro(comRegistry::HKEY_CURRENT_USER, MainModule::SettingsKey, comRegistry::REG_DWORD,
                                   u"regUbiView"_s, Variant(std::int32_t(value)));
    }
    frmPrintReportArticoli *d = nullptr;
};

} // namespace

TEST_F(ArticoliDialog, ListShowsLocationsInBracketsGoesByCodeAndFiltersACategoryWithAnApostrophe)
{
    EXPECT_EQ(d->windowTitle(), u"Stampa Articoli"_s);
    EXPECT_EQ(d->GridEX1->textAt(1, 3) + u'|' + d->GridEX1->textAt(2, 3), u"Anagrafica articoli|Etichette articoli"_s);
    EXPECT_EQ(d->cmbCat->itemText(0) + u'|' + d->cmbCat->itemText(1) + u'|' + d->cmbArt->itemText(0) + u'|'
                  + d->cmbArt->itemText(1),
              u"(Tutte)|Articoli dell'orto|(Tutti)|0RT"_s);

    setUbicazione(1);
    d->cmbCat->setCurrentText(u"Articoli dell'orto"_s);
    QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    d->cmbCat->setCurrentIndex(0);
    QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].options.printerName + u'|' + jobs[0].options.documentName, u"Ufficio|Stampa Articoli"_s);
    const QString orto = u"06/05/2024 0RT [A3] Rastrello 12,50 15,25\n07/05/2024 0VA Vanga 1.234,50 1.506,09"_s;
    EXPECT_EQ(pdfLines(jobs[0].pdf),
              u"Articoli - Categoria: Articoli dell'orto\nData Codice Descrizione Prezzo Prezzo ivato\n"_s + orto);
    EXPECT_EQ(pdfLines(jobs[1].pdf), u"Articoli\nData Codice Descrizione Prezzo Prezzo ivato\n"_s + orto
                                         + u"\n02/01/2024 A001 Vite 3x20 0,20 0,24\n02/01/2024 A002 Dado M3 0,10 0,12\n"
                                           "05/03/2024 B001 Rondella 0,05 0,06"_s);
}

// The article list and the label sheet at the largest values of their
// fields: a date with its time, a code of 40 characters with a location of
// 50, a description of 255, prices of 999.999.999,99 either side of zero;
// every text stays within its box, the date and the prices whole.
TEST_F(ArticoliDialog, TheLargestValuesPrintWholeOnTheListAndTheLabels)
{
    const QString codice = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ-0123456789-XY"_s;
    DataFixture::runSql(database, uR"sql(
INSERT INTO Articoli (Codice, Descrizione, Ubicazione, Prezzo, PrezzoIvato, DataIns) VALUES
    ('%1', '%2', 'UBICAZIONE-DI-CINQUANTA-CARATTERI-SENZA-SPAZI-ABCDE', 999999999.99, -999999999.99,
     '2026-01-14 10:30:00');
)sql"_s.arg(codice, QString(u"Descrizione di un articolo lunghissima "_s).repeated(7).left(255)));
    setUbicazione(1);
    ASSERT_TRUE(WindowRegistry::Stampa(u"frmPrintReportArticoli"_s, u"Ufficio"_s));
    clickRow(d->GridEX1, 1);
    QTest::mouseClick(d->cmdPreview, Qt::LeftButton);
    const ReportDocument &list = *d->Elenco()->previewWindow()->document();
    QString text;
    for (int page = 0; page < list.pageCount(); ++page) {
        EXPECT_EQ(ReportPainter::textsOutOfBox(list, page), QStringList()) << page + 1;
        text += list.pageText(page) + u'\n';
    }
    EXPECT_TRUE(text.contains(u"14/01/2026 ABCDEFGH"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u" 999.999.999,99 -999.999.999,99\n"_s)) << text.toStdString();

    // A label of a code, a price and the code's barcode, two to a row.
    NewLabel layout;
    ReportSection &label = layout.section(LayoutEtichetta::NomeSezione);
    label.addField(u"txtCodice"_s, u"Codice"_s, 60, 60, 3000, 250);
    ReportControl &price = label.addField(u"txtPrezzo"_s, u"PrezzoIvato"_s, 1800, 330, 1260, 250);
    price.alignment = TextAlign::Right;
    price.outputFormat = u"#,##0.00"_s;
    label.addBarcode(u"bcCodice"_s, BarcodeStyle::Code128Auto, u"Codice"_s, 60, 630, 3000, 900);
    LayoutEtichetta::FormaArchiviata(layout, LayoutEtichetta::Foglio{100, 100, 100, 30, 2, 300, 600, 0});
    LayoutEtichetta::Salva(layout, 30, MainModule::ConnString);
    clickRow(d->GridEX1, 2);
    d->cmbArt->setCurrentText(codice);
    QTest::mouseClick(d->cmdPreview, Qt::LeftButton);
    NewLabel *report = IstanzeReport::Istanza<NewLabel>().get();
    ASSERT_TRUE(report && report->document());
    // The label's own boxes are too small for the code, the price and the
    // barcode's caption: each is drawn whole, smaller, within its box.
    const ReportDocument &labels = *report->document();
    ASSERT_EQ(labels.pageCount(), 1);
    EXPECT_EQ(ReportPainter::textsOutOfBox(labels, 0),
              QStringList({u"txtCodice: "_s + codice, u"txtPrezzo: -999.999.999,99"_s, u"bcCodice: "_s + codice}));
    const int before = ReportPainter::textsSetSmaller();
    ReportPainter::renderPage(labels, 0, 96);
    EXPECT_EQ(ReportPainter::textsSetSmaller() - before, 3);
}

TEST_F(ArticoliDialog, ExcelExportIsAPlainTableForThatRunOnlyAndLabelsCannotBeExported)
{
    QString sql;
    for (int i = 0; i < 80; ++i)
        sql += u"INSERT INTO Articoli (Codice, Descrizione) VALUES ('X%1', 'Articolo %1');"_s.arg(i, 2, 10, QChar(u'0'));
    DataFixture::runSql(database, sql);
    clickRow(d->GridEX1, 1);
    EXPECT_TRUE(d->cmdExp->isEnabled() && d->cmbCat->isVisible() && !d->cmbArt->isVisible());
    desktop->queueSaveFile(folder + u"/articoli.xlsx"_s);
    d->mnuexp(10)->trigger();
    const reporttest::Sheet sheet = reporttest::readSheet(folder + u"/articoli.xlsx"_s);
    EXPECT_EQ(sheet.value(u"A1"_s) + u'|' + sheet.value(u"B2"_s) + u'|' + sheet.value(u"C%1"_s.arg(sheet.rows)),
              u"Data|0RT|Articolo 79"_s);

    QTest::mouseClick(d->cmdPreview, Qt::LeftButton);
    const ReportDocument &doc = *d->Elenco()->previewWindow()->document();
    ASSERT_GE(doc.pageCount(), 2);
    EXPECT_TRUE(doc.pageText(0).startsWith(u"Articoli\nData Codice"_s));
    EXPECT_TRUE(doc.pageText(1).startsWith(u"Data Codice"_s));
    EXPECT_EQ(reporttest::itemsNamed(doc, u"Line2"_s).size(), doc.pageCount());
    EXPECT_EQ(reporttest::itemsNamed(doc, u"Line1"_s).size(), 1);

    clickRow(d->GridEX1, 2);
    EXPECT_TRUE(!d->cmdExp->isEnabled() && !d->cmbCat->isVisible() && d->cmbArt->isVisible()
                && d->txtSkipLabels->isVisible());
}

TEST_F(ArticoliDialog, LabelsForEveryArticleOrOneCodeOnTheLabelPrinter)
{
    // A stored layout of two labels per row with the description.
    NewLabel layout;
    layout.section(LayoutEtichetta::NomeSezione).addField(u"txtDescrizione"_s, u"Descrizione"_s, 60, 60, 3000, 250);
    LayoutEtichetta::FormaArchiviata(layout, LayoutEtichetta::Foglio{100, 100, 100, 30, 2, 300, 600, 0});
    LayoutEtichetta::Salva(layout, 30, MainModule::ConnString);
    clickRow(d->GridEX1, 2);
    // An empty skip box starts at the sheet's first position.
    d->txtSkipLabels->clear();
    QTest::mouseClick(d->cmdPreview, Qt::LeftButton);
    NewLabel *report = IstanzeReport::Istanza<NewLabel>().get();
    ASSERT_TRUE(report && report->document());
    EXPECT_EQ(report->printerName(), u"Magazzino"_s);
    std::vector<const RenderedBand *> labels;
    const RenderedPage page = report->document()->page(0);
    for (const RenderedBand &b : page.bands) {
        if (b.kind == SectionKind::Detail)
            labels.push_back(&b);
    }
    ASSERT_EQ(labels.size(), 5u);
    EXPECT_EQ(labels[0]->column, 0);
    EXPECT_NEAR(labels[0]->rect.top(), 100 * LayoutEtichetta::TwipPerDecimo, 1);
    EXPECT_TRUE(report->document()->pageText(0).startsWith(u"Rastrello Vanga\nVite 3x20 Dado M3\nRondella"_s));

    // Double-clicking the row prints the chosen article's one label.
    d->cmbArt->setCurrentText(u"A002"_s);
    doubleClickRow(d->GridEX1, 2);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].options.printerName, u"Magazzino"_s);
    EXPECT_EQ(pdfLines(jobs[0].pdf), u"Dado M3"_s);
    EXPECT_TRUE(desktop->prompts().isEmpty());
}

TEST_F(ArticoliDialog, DatabaseErrorsAreToldAndTheDialogStaysOpen)
{
    DataFixture::runSql(database, u"ALTER TABLE Articoli RENAME TO Articoli_via"_s);
    for (const int row : {1, 2}) {
        desktop->clear();
        clickRow(d->GridEX1, row);
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        ASSERT_EQ(desktop->prompts().size(), 1);
        EXPECT_TRUE(desktop->prompts()[0].startsWith(u"Impossibile leggere i dati da stampare.\r\n"_s));
        EXPECT_TRUE(d->isVisible() && d->isEnabled());
    }
    EXPECT_TRUE(jobs.empty());
    EXPECT_EQ(MainModule::SkipLabels, 0);
}

TEST_F(ArticoliDialog, LabelsPrintTheCopiesAskedForAndNothingFromAnUnreadableLayout)
{
    NewLabel layout;
    layout.section(LayoutEtichetta::NomeSezione).addField(u"txtDescrizione"_s, u"Descrizione"_s, 60, 60, 3000, 250);
    LayoutEtichetta::FormaArchiviata(layout, LayoutEtichetta::Foglio{100, 100, 100, 30, 2, 300, 600, 0});
    LayoutEtichetta::Salva(layout, 30, MainModule::ConnString);
    clickRow(d->GridEX1, 2);
    d->cmbArt->setCurrentText(u"A002"_s);
    d->txtNumCopies->setFocus();
    d->txtNumCopies->selectAll();
    QTest::keyClicks(d->txtNumCopies, u"3"_s);
    QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].options.copies, 3);
    EXPECT_EQ(jobs[0].pagesSent, 3);

    // A damaged stored layout: its message, and no job.
    platform::Connection c(MainModule::ConnString);
    c.execute(u"UPDATE _Pars SET m01 = ? WHERE k01='etiart'"_s, {Variant(QByteArray("{\"format\": "))});
    QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    EXPECT_EQ(desktop->prompts(), QStringList{LayoutEtichetta::TestoIlleggibile(LayoutEtichetta::Uso::Stampa)});
    EXPECT_EQ(jobs.size(), 1u);
    EXPECT_EQ(MainModule::SkipLabels, 0);
}
