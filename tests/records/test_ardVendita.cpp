// The printed movement: its preview, the PDF the preview exports (header,
// every line in order, quantities without sign, the cost or the price by
// the sign, the total), and printing on the printer chosen in the preview.
#include "RecordsFixture.h"

#include "ReportTestSupport.h"
#include "common/comRepLib.h"
#include "platform/report/PreviewWindow.h"
#include "platform/report/ReportDocument.h"
#include "platform/report/ReportPrinter.h"
#include "records/ardVendita.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QPointer>
#include <QPrinter>
#include <QToolButton>

#include <algorithm>

using namespace recordstest;
using namespace Qt::StringLiterals;
using platform::report::PreviewTool;
using platform::report::PreviewWindow;

namespace {

const QString Lunga = u"Guarnizione in gomma nitrilica resistente agli oli e ai carburanti per raccordi idraulici"_s;

class DocumentTest : public RecordWindowTest
{
protected:
    void SetUp() override
    {
        RecordWindowTest::SetUp();
        runSql(database, u"INSERT INTO Articoli (Codice, Descrizione, UM) VALUES ('A1', 'Vite à testa svasata', 'PZ'), "
                         "('B2', 'Caffè in grani', 'KG'), ('C3', '"_s + Lunga + u"', 'PZ');"
                         "INSERT INTO CliFor (IdCliFor, Tipo, Nome) VALUES (1, 'Fornitore', 'Rossi Srl – Forniture'), "
                         "(2, 'Cliente', 'Bianchi Mario');"
                         "INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale, IdContropartita) VALUES "
                         "(1, '2031-03-15', 7, 'Acquisto', 1), (2, '2031-03-16', 8, 'Carico', NULL), "
                         "(3, '2031-03-17', 9, 'Scarico', NULL), (4, '2031-03-18', 10, 'Reso a Fornitore', 1), "
                         "(5, '2031-03-19', 11, 'Reso da Cliente', 2);"
                         "INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno, Costo, Prezzo) VALUES "
                         "(1, 20, 'B2', 2.5, 1, 12.3456, 20), (1, 10, 'A1', 1234, 1, 0.5, 1), (1, 10, 'C3', 3, 1, 1.2, 2.5), "
                         "(2, 10, 'A1', 3, 1, 0.7, 1.1), (3, 10, 'A1', 4, -1, 0.7, 1.5), (4, 10, 'B2', -5, 1, 12, 20), "
                         "(5, 10, 'B2', -2, -1, 12, 21);"_s);
        MainModule::InstalledPrinters = {u"Ufficio"_s, u"Magazzino"_s};
        MainModule::InstalledPrinterCount = 2;
        desk->setPrinters({{u"Ufficio"_s, u"HP"_s}, {u"Magazzino"_s, u"Brother"_s}});
        desk->setDefaultPrinter(u"Ufficio"_s);
        folder = testsupport::freshDir(u"documento"_s);
        // Print jobs become PDF files.
        comRepLib::SetPrintFunction([this](const platform::report::ReportDocument &doc,
                                           const platform::report::PrintOptions &options) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(folder + u"/job.pdf"_s);
            stampanti << options.printerName;
            return platform::report::ReportPrinter::printTo(printer, doc, options);
        });
    }

    void TearDown() override
    {
        comRepLib::SetPrintFunction({});
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (qobject_cast<PreviewWindow *>(widget))
                widget->close();
        settle();
        MainModule::InstalledPrinters.clear();
        MainModule::InstalledPrinterCount = 0;
        RecordWindowTest::TearDown();
    }

    // The preview shown, nullptr when none is.
    static PreviewWindow *anteprima()
    {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *preview = qobject_cast<PreviewWindow *>(widget); preview && preview->isVisible())
                return preview;
        return nullptr;
    }

    // Prints a movement and exports its preview to PDF through the
    // preview's export menu; answers the PDF's text.
    QString stampa(std::int32_t idReg, std::int16_t segno, const QString &totale = u"0,00 €"_s)
    {
        ardVendita::Stampa(idReg, segno, totale, nullptr);
        PreviewWindow *preview = anteprima();
        if (!preview) {
            ADD_FAILURE() << "no preview";
            return {};
        }
        EXPECT_EQ(preview->windowTitle(), u"Movimento di magazzino"_s);
        const QString pdf = folder + u"/movimento%1.pdf"_s.arg(idReg);
        desk->queueSaveFile(pdf);
        preview->findChild<QAction *>(u"mnuexp12"_s)->trigger();
        preview->close();
        settle();
        EXPECT_EQ(reporttest::pdfPageCount(pdf), 1);
        return reporttest::pdfText(pdf);
    }

    // The lines of a text with their blanks simplified, and the first that
    // starts with `what` (empty when none does).
    static QStringList righe(const QString &text)
    {
        QStringList lines;
        for (const QString &line : text.split(u'\n'))
            lines << line.simplified();
        return lines;
    }
    static QString riga(const QString &text, const QString &what)
    {
        for (const QString &line : righe(text))
            if (line.startsWith(what))
                return line;
        return {};
    }

    QString folder;
    QStringList stampanti;
};

} // namespace

TEST_F(DocumentTest, APurchasePrintsItsHeaderEveryLineInOrderWithItsCostAndTheTotal)
{
    const QString text = stampa(1, 1, u"1.296,86 €"_s);
    EXPECT_EQ(riga(text, u"Causale:"_s), u"Causale: Acquisto Data: 15/03/2031 Progressivo: 7"_s);
    EXPECT_EQ(riga(text, u"Fornitore"_s), u"Fornitore Rossi Srl – Forniture"_s);
    EXPECT_EQ(riga(text, u"Codice Articolo"_s), u"Codice Articolo Descrizione UM Quantità Costo"_s);
    // By line number, then in the order the lines were added.
    EXPECT_EQ(riga(text, u"A1 "_s), u"A1 Vite à testa svasata PZ 1.234,00 0,50"_s);
    EXPECT_EQ(riga(text, u"B2 "_s), u"B2 Caffè in grani KG 2,50 12,35"_s);
    const QStringList lines = righe(text);
    const auto at = [&lines](const QString &what) {
        return std::find_if(lines.begin(), lines.end(), [&what](const QString &l) { return l.startsWith(what); })
               - lines.begin();
    };
    ASSERT_TRUE(at(u"A1 "_s) < at(u"C3 "_s) && at(u"C3 "_s) < at(u"B2 "_s)) << text.toStdString();
    // A long description goes on over the next lines, whole.
    QString c3 = lines[at(u"C3 "_s)];
    EXPECT_TRUE(c3.endsWith(u" PZ 3,00 1,20"_s)) << c3.toStdString();
    c3.chop(13);
    for (auto i = at(u"C3 "_s) + 1; i < at(u"B2 "_s); ++i)
        c3 += u' ' + lines[i];
    EXPECT_EQ(c3, u"C3 "_s + Lunga);
    EXPECT_EQ(riga(text, u"Totale:"_s), u"Totale: 1.296,86 €"_s);
    EXPECT_FALSE(text.contains(u"Prezzo"_s));
}

TEST_F(DocumentTest, TheSignChoosesTheCounterpartHeadingAndTheValueColumnAndQuantitiesPrintWithoutSign)
{
    struct Caso {
        std::int32_t idReg;
        std::int16_t segno;
        QString controparte, intestazione, riga;
    };
    const Caso casi[] = {
        {2, 1, u"Fornitore"_s, u"Costo"_s, u"A1 Vite à testa svasata PZ 3,00 0,70"_s},
        {3, -1, u"Cliente"_s, u"Prezzo"_s, u"A1 Vite à testa svasata PZ 4,00 1,50"_s},
        {4, 1, u"Fornitore Rossi Srl – Forniture"_s, u"Costo"_s, u"B2 Caffè in grani KG 5,00 12,00"_s},
        {5, -1, u"Cliente Bianchi Mario"_s, u"Prezzo"_s, u"B2 Caffè in grani KG 2,00 21,00"_s},
    };
    for (const Caso &caso : casi) {
        const QString text = stampa(caso.idReg, caso.segno);
        EXPECT_EQ(riga(text, caso.controparte.section(u' ', 0, 0)), caso.controparte) << caso.idReg;
        EXPECT_EQ(riga(text, u"Codice Articolo"_s), u"Codice Articolo Descrizione UM Quantità "_s + caso.intestazione);
        EXPECT_EQ(riga(text, caso.riga.left(3)), caso.riga) << caso.idReg;
        EXPECT_FALSE(text.contains(u'-')) << caso.idReg;
    }
}

TEST_F(DocumentTest, ThePreviewPrintsOnThePrinterChosenThereAndGoesWithItsWindow)
{
    QWidget owner;
    ardVendita::Stampa(1, 1, u"1,00 €"_s, &owner);
    QPointer<PreviewWindow> preview = anteprima();
    ASSERT_TRUE(preview);
    auto *stampante = preview->findChild<QComboBox *>(u"cmbprinters"_s);
    ASSERT_NE(stampante, nullptr);
    EXPECT_EQ(stampante->currentText(), u"Ufficio"_s);
    QStringList voci;
    for (QAction *voce : preview->findChild<QToolButton *>(u"tbEsporta"_s)->menu()->actions())
        voci << voce->text();
    EXPECT_EQ(voci, (QStringList{u"in Excel"_s, u"in RTF (Rich text format)"_s, u"in PDF (Acrobat Reader)"_s,
                                 u"in HTML"_s}));
    stampante->setCurrentIndex(1);
    preview->tool(PreviewTool::Print)->trigger();
    EXPECT_EQ(stampanti, QStringList{u"Magazzino"_s});
    EXPECT_TRUE(reporttest::pdfText(folder + u"/job.pdf"_s).contains(u"Vite à testa svasata"_s));

    // Printing again from the same window replaces its preview; the
    // window takes the preview with it.
    ardVendita::Stampa(1, 1, u"1,00 €"_s, &owner);
    settle();
    EXPECT_FALSE(preview);
    preview = anteprima();
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->parentWidget(), &owner);

    // Without printers the preview says so when asked to print.
    preview->close();
    settle();
    EXPECT_FALSE(preview);
    MainModule::InstalledPrinters.clear();
    MainModule::InstalledPrinterCount = 0;
    desk->setPrinters({});
    desk->setDefaultPrinter({});
    ardVendita::Stampa(1, 1, u"1,00 €"_s, &owner);
    preview = anteprima();
    ASSERT_TRUE(preview);
    EXPECT_FALSE(preview->findChild<QComboBox *>(u"cmbprinters"_s)->isEnabled());
    preview->tool(PreviewTool::Print)->trigger();
    EXPECT_EQ(desk->prompts(), QStringList{comRepLib::NessunaStampanteText()});
    EXPECT_EQ(stampanti.size(), 1);
}

TEST_F(DocumentTest, AMovementDeletedMeanwhileIsToldAndNothingIsShown)
{
    ardVendita::Stampa(99, 1, u"0,00 €"_s, nullptr);
    EXPECT_EQ(desk->prompts(), QStringList{FinestraRecord::MsgModificata});
    EXPECT_EQ(anteprima(), nullptr);
}
