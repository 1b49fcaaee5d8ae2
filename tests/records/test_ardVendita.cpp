// The printed movement: its preview, the PDF the preview exports (header,
// every line in order, quantities without sign, the cost or the price by
// the sign, the total), and printing on the printer chosen in the preview.
#include "RecordsFixture.h"

#include "ReportTestSupport.h"
#include "common/comRepLib.h"
#include "platform/report/PreviewWindow.h"
#include "platform/report/ReportDocument.h"
#include "platform/report/ReportPainter.h"
#include "platform/report/ReportPrinter.h"
#include "records/ardVendita.h"

#include <QAction>
#include <QComboBox>
#include <QPointer>
#include <QPrinter>

#include <tuple>

using namespace recordstest;
using namespace Qt::StringLiterals;
using platform::report::PreviewTool;
using platform::report::PreviewWindow;

namespace {

class DocumentTest : public RecordWindowTest
{
protected:
    void SetUp() override
    {
        RecordWindowTest::SetUp();
        runSql(database, u"INSERT INTO Articoli (Codice, Descrizione, UM) VALUES ('A1', 'Vite à testa svasata', 'PZ'), "
                         "('B2', 'Caffè in grani', 'KG'), "
                         "('C3', 'Guarnizione in gomma nitrilica resistente agli oli e ai carburanti per raccordi idraulici', 'PZ');"
                         "INSERT INTO CliFor (IdCliFor, Tipo, Nome) VALUES (1, 'Fornitore', 'Rossi Srl – Forniture'), "
                         "(2, 'Cliente', 'Bianchi Mario');"
                         "INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale, IdContropartita) VALUES "
                         "(1, '2031-03-15', 7, 'Acquisto', 1), "
                         "(3, '2031-03-17', 9, 'Scarico', NULL), (4, '2031-03-18', 10, 'Reso a Fornitore', 1), "
                         "(5, '2031-03-19', 11, 'Reso da Cliente', 2);"
                         "INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno, Costo, Prezzo) VALUES "
                         "(1, 20, 'B2', 2.5, 1, 12.3456, 20), (1, 10, 'A1', 1234, 1, 0.5, 1), (1, 10, 'C3', 3, 1, 1.2, 2.5), "
                         "(3, 10, 'A1', 4, -1, 0.7, 1.5), (4, 10, 'B2', -5, 1, 12, 20), "
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
    // preview's export menu; answers the PDF's lines that hold text, their
    // blanks simplified.
    QStringList stampa(std::int32_t idReg, std::int16_t segno, const QString &totale = u"0,00 €"_s)
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
        QStringList lines;
        for (const QString &line : reporttest::pdfText(pdf).split(u'\n'))
            if (!line.trimmed().isEmpty())
                lines << line.simplified();
        return lines;
    }

    QString folder;
    QStringList stampanti;
};

} // namespace

TEST_F(DocumentTest, TheDocumentPrintsEveryLineInOrderAndTheSignChoosesCounterpartAndValueColumn)
{
    // Lines by number, then in the order they were added; a long
    // description goes on over the next lines.
    EXPECT_EQ(stampa(1, 1, u"1.296,86 €"_s),
              (QStringList{u"Causale: Acquisto Data: 15/03/2031 Progressivo: 7"_s, u"Fornitore Rossi Srl – Forniture"_s,
                           u"Codice Articolo Descrizione UM Quantità Costo"_s,
                           u"A1 Vite à testa svasata PZ 1.234,00 0,50"_s,
                           u"C3 Guarnizione in gomma nitrilica PZ 3,00 1,20"_s,
                           u"resistente agli oli e ai carburanti"_s, u"per raccordi idraulici"_s,
                           u"B2 Caffè in grani KG 2,50 12,35"_s, u"Totale: 1.296,86 €"_s}));
    // Quantities print without their sign.
    const std::tuple<std::int32_t, std::int16_t, QStringList> casi[] = {
        {3, -1, {u"Cliente"_s, u"Codice Articolo Descrizione UM Quantità Prezzo"_s,
                 u"A1 Vite à testa svasata PZ 4,00 1,50"_s}},
        {4, 1, {u"Fornitore Rossi Srl – Forniture"_s, u"Codice Articolo Descrizione UM Quantità Costo"_s,
                u"B2 Caffè in grani KG 5,00 12,00"_s}},
        {5, -1, {u"Cliente Bianchi Mario"_s, u"Codice Articolo Descrizione UM Quantità Prezzo"_s,
                 u"B2 Caffè in grani KG 2,00 21,00"_s}},
    };
    for (const auto &[idReg, segno, attese] : casi)
        EXPECT_EQ(stampa(idReg, segno).mid(1, 3), attese) << idReg;
}

// The document at the largest values of its fields: a code of 40
// characters, a description of 255, a unit of 10, a name of 100, the
// largest number, quantities and values of 999.999.999,99: no text of a
// page lacks room in its box, with the cost or with the price.
TEST_F(DocumentTest, TheLargestValuesPrintWhole)
{
    runSql(database, uR"sql(
INSERT INTO Articoli (Codice, Descrizione, UM) VALUES ('ABCDEFGHIJKLMNOPQRSTUVWXYZ-0123456789-XY', '%1', 'CONFEZIONI');
INSERT INTO CliFor (IdCliFor, Tipo, Nome) VALUES (3, 'Fornitore', '%2');
INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale, IdContropartita) VALUES
    (6, '2031-12-31 23:59:59', 2147483647, 'Reso a Fornitore', 3);
INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, "Quantità", Segno, Costo, Prezzo) VALUES
    (6, 10, 'ABCDEFGHIJKLMNOPQRSTUVWXYZ-0123456789-XY', -999999999.99, 1, 999999999.99, 999999999.99);
)sql"_s.arg(QString(u"Descrizione lunghissima di un articolo "_s).repeated(7).left(255),
            QString(u"Ragione sociale lunghissima "_s).repeated(4).left(100)));
    for (const std::int16_t segno : {1, -1}) {
        ardVendita::Stampa(6, segno, u"999.999.999.999,99 €"_s, nullptr);
        PreviewWindow *preview = anteprima();
        ASSERT_TRUE(preview) << segno;
        const auto doc = preview->document();
        QString text;
        for (int page = 0; page < doc->pageCount(); ++page) {
            EXPECT_EQ(platform::report::ReportPainter::textsOutOfBox(*doc, page), QStringList()) << page + 1;
            text += doc->pageText(page) + u'\n';
        }
        for (const QString &whole : {u"Data: 31/12/2031 Progressivo: 2147483647"_s,
                                     u"CONFEZIONI 999.999.999,99 999.999.999,99"_s,
                                     u"Totale: 999.999.999.999,99 €"_s})
            EXPECT_TRUE(text.simplified().contains(whole)) << segno << " " << whole.toStdString() << "\n"
                                                           << text.toStdString();
        preview->close();
        settle();
    }
}

// A preview prints on the printer chosen there; a window keeps one preview;
// a movement gone shows none.
TEST_F(DocumentTest, APreviewPrintsOnThePrinterChosenThereAndAWindowKeepsOneAMovementGoneShowsNone)
{
    ardVendita::Stampa(99, 1, u"0,00 €"_s, nullptr);
    EXPECT_EQ(desk->prompts(), QStringList{FinestraRecord::MsgModificata});
    EXPECT_EQ(anteprima(), nullptr);

    QWidget owner;
    ardVendita::Stampa(1, 1, u"1,00 €"_s, &owner);
    QPointer<PreviewWindow> preview = anteprima();
    ASSERT_TRUE(preview);
    auto *stampante = preview->findChild<QComboBox *>(u"cmbprinters"_s);
    EXPECT_EQ(stampante->currentText(), u"Ufficio"_s);
    stampante->setCurrentIndex(1);
    preview->tool(PreviewTool::Print)->trigger();
    EXPECT_EQ(stampanti, QStringList{u"Magazzino"_s});
    EXPECT_TRUE(reporttest::pdfText(folder + u"/job.pdf"_s).contains(u"Vite à testa svasata"_s));

    // Printing again from the same window replaces its preview.
    ardVendita::Stampa(1, 1, u"1,00 €"_s, &owner);
    settle();
    EXPECT_FALSE(preview);
    preview = anteprima();
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->parentWidget(), &owner);
    preview->close();
    settle();
    EXPECT_FALSE(preview);
}
