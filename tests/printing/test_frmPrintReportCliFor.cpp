// The customers' and suppliers' report dialogs through their widgets: their
// texts, the address book grouped by initial letter, the numbered list and
// its reduced export form, and what they say when the data cannot be read.
#include "PrintingFixture.h"

#include "DataFixture.h"
#include "ReportTestSupport.h"
#include "platform/grid/Grid.h"
#include "platform/report/PreviewWindow.h"
#include "platform/report/ReportDocument.h"
#include "printing/RegistraStampe.h"
#include "printing/arpCliFor.h"
#include "printing/arpCliFor2.h"
#include "printing/frmPrintReportCliFor.h"
#include "shell/MainModule.h"
#include "shell/WindowRegistry.h"

#include <QAction>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace platform;
using namespace platform::report;
using testsupport::DataFixture;

namespace {

class CliForDialog : public PrintingFixture
{
protected:
    void SetUp() override
    {
        PrintingFixture::SetUp();
        // Besides the sample's Rossi Srl (supplier 1), Bianchi Mario and
        // anna verdi (customers 2 and 3): names of one initial in every case,
        // quotes, accents and a name that takes two lines.
        DataFixture::runSql(database, QStringLiteral(
            "INSERT INTO CliFor (IdCliFor, Tipo, Nome, \"Località\", Prov, Telefono, Cellulare, Fax) VALUES"
            " (7, 'Cliente', 'Andrea Neri', 'Forlì', 'FC', '0543 123456', '333 1234567', '0543 654321'),"
            " (8, 'Cliente', 'alba D''Angelo', 'L''Aquila', 'AQ', NULL, NULL, NULL),"
            " (9, 'Cliente', 'Èrboristeria \"La Salvia\" di Caffè & Figli, società cooperativa agricola', 'Cantù', 'CO', NULL, NULL, NULL),"
            " (10, 'Fornitore', 'Zeta Forniture', 'Bolzano', 'BZ', '0471 000111', NULL, NULL);"));
        RegistraFinestreStampa();
    }
    void TearDown() override
    {
        delete frmPrintReportClienti::Aperto();
        delete frmPrintReportFornitori::Aperto();
        WindowRegistry::Rimuovi();
        PrintingFixture::TearDown();
    }

    // Opens a dialog as the main window does, through the registry.
    frmPrintReportCliFor &open(const QString &name)
    {
        EXPECT_TRUE(WindowRegistry::Stampa(name, QStringLiteral("Magazzino")));
        frmPrintReportCliFor *dialog = name.endsWith(QStringLiteral("Clienti"))
                                           ? static_cast<frmPrintReportCliFor *>(frmPrintReportClienti::Aperto())
                                           : frmPrintReportFornitori::Aperto();
        EXPECT_NE(dialog, nullptr);
        return *dialog;
    }

    void exportVia(frmPrintReportCliFor &d, int row, int format, const QString &path)
    {
        clickRow(d.GridEX1, row);
        desktop->queueSaveFile(path);
        d.mnuexp(format)->trigger();
    }
};

} // namespace

TEST_F(CliForDialog, EachDialogHasItsTextsAndPrintsOnlyItsKindInGroupsOfOneUpperCaseInitial)
{
    struct Case {
        QString name, title;
        QStringList rows; // the letters and names, top to bottom
        QStringList others;
    };
    const Case cases[] = {
        {QStringLiteral("frmPrintReportClienti"), QStringLiteral("Clienti"),
         {QStringLiteral("A"), QStringLiteral("alba D'Angelo"), QStringLiteral("Andrea Neri"), QStringLiteral("anna verdi"),
          QStringLiteral("B"), QStringLiteral("Bianchi Mario"), QStringLiteral("È"), QStringLiteral("Èrboristeria \"La Salvia\"")},
         {QStringLiteral("Rossi Srl"), QStringLiteral("Zeta Forniture")}},
        {QStringLiteral("frmPrintReportFornitori"), QStringLiteral("Fornitori"),
         {QStringLiteral("R"), QStringLiteral("Rossi Srl"), QStringLiteral("Z"), QStringLiteral("Zeta Forniture")},
         {QStringLiteral("Bianchi Mario"), QStringLiteral("anna verdi")}},
    };
    QString clients;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        jobs.clear();
        frmPrintReportCliFor &d = open(c.name);
        EXPECT_EQ(d.objectName(), c.name);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Stampa ") + c.title);
        EXPECT_EQ(d.cmbprinters->currentText(), QStringLiteral("Magazzino"));
        ASSERT_EQ(d.GridEX1->rowCount(), 2);
        EXPECT_EQ(d.GridEX1->textAt(1, 3), c.title + QStringLiteral(" (Rubrica)"));
        EXPECT_EQ(d.GridEX1->textAt(2, 3), c.title + QStringLiteral(" (Anagrafica)"));
        EXPECT_TRUE(d.cmdExp->isVisible() && d.cmdExp->isEnabled());

        doubleClickRow(d.GridEX1, 1);
        ASSERT_EQ(jobs.size(), 1u);
        EXPECT_EQ(jobs[0].options.printerName, QStringLiteral("Magazzino"));
        EXPECT_EQ(jobs[0].options.documentName, QStringLiteral("Stampa ") + c.title);
        EXPECT_TRUE(desktop->msgBoxes().empty());

        // The title, the captions on one line, then the letters, each over
        // its names.
        const QString text = reporttest::pdfText(jobs[0].pdf);
        const QStringList lines = text.split(u'\n');
        if (c.title == QStringLiteral("Clienti"))
            clients = text;
        const int captions = lineOf(text, QStringLiteral("Località"));
        EXPECT_GT(captions, lineOf(text, c.title));
        EXPECT_GE(lineOf(text, c.title), 0);
        for (const QString &caption : {QStringLiteral("Nome"), QStringLiteral("Telefono"), QStringLiteral("Cellulare"),
                                       QStringLiteral("Fax")})
            EXPECT_EQ(lineOf(text, caption), captions) << caption.toStdString();
        QStringList rows;
        for (int i = captions + 1; i < lines.size(); ++i) {
            for (const QString &row : c.rows) {
                if (row.size() == 1 ? lines[i].trimmed() == row : lines[i].contains(row))
                    rows << row;
            }
        }
        EXPECT_EQ(rows, c.rows);
        for (const QString &other : c.others)
            EXPECT_EQ(lineOf(text, other), -1) << other.toStdString();
        // The dialog stays open after a print.
        flushDeletes();
        EXPECT_TRUE(d.isVisible());
    }
    // Every value of a row on its line; the long name goes on below,
    // clear of the next group.
    const QStringList lines = clients.split(u'\n');
    EXPECT_TRUE(lines.value(lineOf(clients, QStringLiteral("Andrea Neri")))
                    .simplified()
                    .endsWith(QStringLiteral("Forlì FC 0543 123456 333 1234567 0543 654321")));
    const int longName = lineOf(clients, QStringLiteral("Èrboristeria"));
    EXPECT_FALSE(lines.value(longName).contains(QStringLiteral("agricola")));
    EXPECT_GT(lineOf(clients, QStringLiteral("agricola")), longName);

    // A kind without rows prints the headings and nothing else.
    DataFixture::runSql(database, QStringLiteral("DELETE FROM CliFor WHERE Tipo='Fornitore';"));
    frmPrintReportCliFor &empty = open(QStringLiteral("frmPrintReportFornitori"));
    QTest::mouseClick(empty.cmdOK, Qt::LeftButton);
    EXPECT_TRUE(reporttest::itemsNamed(*empty.Rubrica()->document(), QStringLiteral("lblLetter")).isEmpty());
    EXPECT_TRUE(reporttest::itemsNamed(*empty.Rubrica()->document(), QStringLiteral("txtCliFor_Nome")).isEmpty());
    EXPECT_GE(lineOf(reporttest::pdfText(jobs.back().pdf), QStringLiteral("Località")), 0);

    EXPECT_EQ(arpCliFor::Iniziale(Variant::null()), QString());
    EXPECT_EQ(arpCliFor::Iniziale(QStringLiteral("\U0001D4D0bc")), QStringLiteral("\U0001D4D0"));
}

TEST_F(CliForDialog, TheNumberedListGoesByCodeAndExportsAsAPlainTableToExcelAndHtmlOnly)
{
    // Enough customers for three pages.
    QString sql;
    for (int i = 100; i < 220; ++i)
        sql += QStringLiteral("INSERT INTO CliFor (IdCliFor, Tipo, Nome, \"Località\") VALUES (%1, 'Cliente', 'Cliente n. %1', 'Roma');").arg(i);
    DataFixture::runSql(database, sql);
    frmPrintReportCliFor &d = open(QStringLiteral("frmPrintReportClienti"));
    clickRow(d.GridEX1, 2);
    QTest::mouseClick(d.cmdPreview, Qt::LeftButton);
    ASSERT_NE(d.Anagrafica(), nullptr);
    PreviewWindow *preview = d.Anagrafica()->previewWindow();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->windowTitle(), QStringLiteral("Anagrafica Clienti"));
    const int pages = preview->document()->pageCount();
    ASSERT_GE(pages, 3);
    const QStringList first = preview->document()->pageText(0).split(u'\n');
    EXPECT_EQ(first.value(0), QStringLiteral("Clienti"));
    EXPECT_EQ(first.value(1), QStringLiteral("Codice Nome Località Telefono Cellulare"));
    EXPECT_EQ(first.value(2), QStringLiteral("00002 Bianchi Mario Milano"));
    EXPECT_EQ(first.value(3), QStringLiteral("00003 anna verdi Torino"));
    EXPECT_EQ(first.value(4), QStringLiteral("00007 Andrea Neri Forlì FC 0543 123456 333 1234567"));

    // Excel and HTML: no title, the captions once, no rules; RTF and PDF
    // keep the whole layout; each file has every customer.
    const QString base = folder + QStringLiteral("/anagrafica");
    const std::pair<int, QString> formats[] = {{10, QStringLiteral(".xlsx")}, {13, QStringLiteral(".html")},
                                               {11, QStringLiteral(".rtf")}, {12, QStringLiteral(".pdf")}};
    for (const auto &[format, ext] : formats)
        exportVia(d, 2, format, base + ext);
    EXPECT_TRUE(desktop->msgBoxes().empty());
    const reporttest::Sheet sheet = reporttest::readSheet(base + QStringLiteral(".xlsx"));
    EXPECT_TRUE(sheet.find(QStringLiteral("Clienti")).isEmpty());
    EXPECT_EQ(sheet.find(QStringLiteral("Nome")), QStringLiteral("B1"));
    EXPECT_EQ(sheet.value(QStringLiteral("B2")), QStringLiteral("Bianchi Mario"));
    EXPECT_EQ(sheet.value(QStringLiteral("B") + QString::number(sheet.rows)), QStringLiteral("Cliente n. 219"));
    const QString html = QString::fromUtf8(DataFixture::fileBytes(base + QStringLiteral(".html")));
    EXPECT_EQ(html.count(QStringLiteral(">Nome</td>")), 1);
    EXPECT_EQ(html.count(QStringLiteral("<tr class=\"rule\">")), 0);
    EXPECT_FALSE(html.contains(QStringLiteral(">Clienti</td>")));
    EXPECT_TRUE(html.contains(QStringLiteral(">00219</td>")));
    const QString rtf = reporttest::rtfPlainText(DataFixture::fileBytes(base + QStringLiteral(".rtf")));
    EXPECT_EQ(rtf.count(QStringLiteral("Cellulare")), pages);
    EXPECT_TRUE(rtf.contains(QStringLiteral("Clienti")));
    const QString pdf = reporttest::pdfText(base + QStringLiteral(".pdf"));
    EXPECT_EQ(pdf.count(QStringLiteral("Cellulare")), pages);
    EXPECT_TRUE(pdf.contains(QStringLiteral("00219")));

    // The preview shown again after the exports has everything.
    QTest::mouseClick(d.cmdPreview, Qt::LeftButton);
    EXPECT_EQ(d.Anagrafica()->previewWindow()->document()->pageText(1).count(QStringLiteral("Cellulare")), 1);
    EXPECT_FALSE(d.Anagrafica()->ModoEsportazione);

    // The address book in Excel has no rules; its preview after has them.
    exportVia(d, 1, 10, base + QStringLiteral("-rubrica.xlsx"));
    EXPECT_EQ(reporttest::readSheet(base + QStringLiteral("-rubrica.xlsx")).find(QStringLiteral("Andrea Neri")).isEmpty(), false);
    QTest::mouseClick(d.cmdPreview, Qt::LeftButton);
    const ReportDocument &book = *d.Rubrica()->previewWindow()->document();
    for (const char *rule : {"Line5", "Line2", "Line4", "Line3"})
        EXPECT_FALSE(reporttest::itemsNamed(book, QString::fromLatin1(rule)).isEmpty()) << rule;
    d.Rubrica()->MostraRegole(false);
    d.Rubrica()->run();
    for (const char *rule : {"Line5", "Line2", "Line4", "Line3"})
        EXPECT_TRUE(reporttest::itemsNamed(*d.Rubrica()->document(), QString::fromLatin1(rule)).isEmpty()) << rule;
}

TEST_F(CliForDialog, AReadErrorIsToldAndEachDialogKeepsItsOwnPreviews)
{
    frmPrintReportCliFor &clients = open(QStringLiteral("frmPrintReportClienti"));
    QTest::mouseClick(clients.cmdPreview, Qt::LeftButton);
    QPointer<PreviewWindow> preview = clients.Rubrica()->previewWindow();
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->windowTitle(), QStringLiteral("Rubrica Clienti"));

    // The suppliers' dialog meets a database it cannot read: it says so and
    // stays open, and closing it leaves the customers' preview alone.
    const QString good = MainModule::ConnString;
    MainModule::ConnString = DataFixture::connectionString(folder + QStringLiteral("/manca.mdb"));
    QPointer<frmPrintReportCliFor> suppliers = &open(QStringLiteral("frmPrintReportFornitori"));
    clickRow(suppliers->GridEX1, 2);
    QTest::mouseClick(suppliers->cmdOK, Qt::LeftButton);
    ASSERT_EQ(desktop->msgBoxes().size(), 1u);
    EXPECT_TRUE(desktop->prompts()[0].startsWith(QStringLiteral("Impossibile leggere i dati da stampare.\r\n")));
    EXPECT_TRUE(jobs.empty());
    flushDeletes();
    ASSERT_TRUE(suppliers);
    EXPECT_TRUE(suppliers->isVisible() && suppliers->isEnabled());
    MainModule::ConnString = good;
    QTest::mouseClick(suppliers->cmdOK, Qt::LeftButton);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_TRUE(reporttest::pdfText(jobs[0].pdf).contains(QStringLiteral("00010")));
    QTest::mouseClick(suppliers->cmdCancel, Qt::LeftButton);
    flushDeletes();
    EXPECT_FALSE(suppliers);
    ASSERT_TRUE(preview);
    EXPECT_TRUE(preview->isVisible());

    // Closing the customers' dialog takes its preview with it.
    QTest::keyClick(&clients, Qt::Key_Escape);
    flushDeletes();
    EXPECT_FALSE(preview);
    EXPECT_EQ(frmPrintReportClienti::Aperto(), nullptr);
}
