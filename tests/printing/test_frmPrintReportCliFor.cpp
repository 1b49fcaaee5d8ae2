// The customers' and suppliers' report dialogs through their widgets.
#include "PrintingFixture.h"

#include "DataFixture.h"
#include "ReportTestSupport.h"
#include "platform/grid/Grid.h"
#include "platform/report/PreviewWindow.h"
#include "platform/report/ReportDocument.h"
#include "platform/report/ReportPainter.h"
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

using namespace platform::report;
using namespace Qt::StringLiterals;
using testsupport::DataFixture;

namespace {

class CliForDialog : public PrintingFixture
{
protected:
    void SetUp() override
    {
        PrintingFixture::SetUp();
        // Beside the sample's supplier Rossi Srl (1), customers Bianchi Mario
        // (2) and anna verdi (3): one initial in all cases, quotes, accents.
        DataFixture::runSql(database, QStringLiteral(
            "INSERT INTO CliFor (IdCliFor, Tipo, Nome, \"Località\", Prov, Telefono, Cellulare) VALUES"
            " (7, 'Cliente', 'Andrea Neri', 'Forlì', 'FC', '0543 123456', '333 1234567'),"
            " (8, 'Cliente', 'alba D''Angelo', 'L''Aquila', 'AQ', NULL, NULL),"
            " (9, 'Cliente', 'Èrboristeria \"La Salvia\" di Caffè & Figli, società cooperativa', 'Cantù', NULL, NULL, NULL),"
            " (10, 'Fornitore', 'Zeta Forniture', 'Bolzano', 'BZ', NULL, NULL);"));
        RegistraFinestreStampa();
    }
    void TearDown() override
    {
        delete frmPrintReportClienti::Aperto();
        delete frmPrintReportFornitori::Aperto();
        WindowRegistry::Rimuovi();
        PrintingFixture::TearDown();
    }

    // Opens a dialog as the main window does.
    frmPrintReportCliFor &open(const QString &title)
    {
        EXPECT_TRUE(WindowRegistry::Stampa(u"frmPrintReport"_s + title, u"Magazzino"_s));
        return title == u"Clienti"_s ? static_cast<frmPrintReportCliFor &>(*frmPrintReportClienti::Aperto())
                                     : *frmPrintReportFornitori::Aperto();
    }
};

} // namespace

TEST_F(CliForDialog, EachDialogHasItsTextsAndPrintsOnlyItsKindInGroupsOfOneUpperCaseInitial)
{
    // The title, the captions, each letter over its names (the long one on
    // three lines), nothing of the other kind.
    const std::pair<QString, QString> cases[] = {
        {u"Clienti"_s, u"A\nalba D'Angelo L'Aquila AQ\nAndrea Neri Forlì FC 0543 123456 333 1234567\nanna verdi Torino\n"
                       "B\nBianchi Mario Milano\nÈ\nÈrboristeria \"La Salvia\" di Cantù\nCaffè & Figli, società\ncooperativa"_s},
        {u"Fornitori"_s, u"R\nRossi Srl Roma\nZ\nZeta Forniture Bolzano BZ"_s},
    };
    for (const auto &[title, rows] : cases) {
        jobs.clear();
        frmPrintReportCliFor &d = open(title);
        EXPECT_EQ(d.windowTitle(), u"Stampa "_s + title);
        EXPECT_EQ(d.GridEX1->textAt(1, 3) + u'|' + d.GridEX1->textAt(2, 3),
                  title + u" (Rubrica)|"_s + title + u" (Anagrafica)"_s);
        doubleClickRow(d.GridEX1, 1);
        ASSERT_EQ(jobs.size(), 1u);
        EXPECT_EQ(jobs[0].options.printerName + u'|' + jobs[0].options.documentName, u"Magazzino|Stampa "_s + title);
        EXPECT_EQ(pdfLines(jobs[0].pdf), title + u"\nNome Località Telefono Cellulare Fax\n"_s + rows);
    }
    // A kind without rows prints the headings alone.
    DataFixture::runSql(database, QStringLiteral("DELETE FROM CliFor WHERE Tipo='Fornitore';"));
    QTest::mouseClick(open(u"Fornitori"_s).cmdOK, Qt::LeftButton);
    EXPECT_EQ(pdfLines(jobs.back().pdf), u"Fornitori\nNome Località Telefono Cellulare Fax"_s);

    // A database that cannot be read is told, and the dialog stays.
    MainModule::ConnString = DataFixture::connectionString(folder + u"/manca.mdb"_s);
    QTest::mouseClick(open(u"Clienti"_s).cmdOK, Qt::LeftButton);
    EXPECT_TRUE(desktop->prompts().value(0).startsWith(u"Impossibile leggere i dati da stampare.\r\n"_s));
    flushDeletes();
    EXPECT_TRUE(frmPrintReportClienti::Aperto()->isVisible() && frmPrintReportClienti::Aperto()->isEnabled());
}

TEST_F(CliForDialog, TheNumberedListGoesByCodeAndIsAPlainTableInExcelAndHtmlOnly)
{
    QString sql;
    for (int i = 100; i < 160; ++i)
        sql += u"INSERT INTO CliFor (IdCliFor, Tipo, Nome) VALUES (%1, 'Cliente', 'Cliente %1');"_s.arg(i);
    DataFixture::runSql(database, sql);
    frmPrintReportCliFor &d = open(u"Clienti"_s);
    clickRow(d.GridEX1, 2);
    QTest::mouseClick(d.cmdPreview, Qt::LeftButton);
    PreviewWindow *preview = d.Anagrafica()->previewWindow();
    EXPECT_EQ(preview->windowTitle(), u"Anagrafica Clienti"_s);
    ASSERT_EQ(preview->document()->pageCount(), 2);
    EXPECT_TRUE(preview->document()->pageText(0).startsWith(
        u"Clienti\nCodice Nome Località Telefono Cellulare\n00002 Bianchi Mario Milano\n00003 anna verdi Torino\n"
        "00007 Andrea Neri Forlì FC 0543 123456 333 1234567\n00008 alba D'Angelo L'Aquila AQ\n"_s));

    // Excel and HTML: no title, the captions once, no rules; RTF whole.
    const QString base = folder + u"/anagrafica"_s;
    const auto exportVia = [&](int row, int format, const QString &ext) {
        clickRow(d.GridEX1, row);
        desktop->queueSaveFile(base + ext);
        d.mnuexp(format)->trigger();
    };
    for (const auto &[format, ext] : {std::pair{10, ".xlsx"}, {13, ".html"}, {11, ".rtf"}})
        exportVia(2, format, QString::fromLatin1(ext));
    const reporttest::Sheet sheet = reporttest::readSheet(base + u".xlsx"_s);
    EXPECT_EQ(sheet.value(u"B1"_s) + u'|' + sheet.value(u"B2"_s) + u'|' + sheet.value(u"B%1"_s.arg(sheet.rows)),
              u"Nome|Bianchi Mario|Cliente 159"_s);
    const QString html = QString::fromUtf8(DataFixture::fileBytes(base + u".html"_s));
    EXPECT_TRUE(html.count(u">Nome</td>"_s) == 1 && html.contains(u">00159</td>"_s));
    EXPECT_FALSE(html.contains(u"<tr class=\"rule\">"_s) || html.contains(u">Clienti</td>"_s));
    const QString rtf = reporttest::rtfPlainText(DataFixture::fileBytes(base + u".rtf"_s));
    EXPECT_TRUE(rtf.count(u"Cellulare"_s) == 2 && rtf.contains(u"Clienti"_s));

    // The address book to Excel, then its preview: the rules are back.
    exportVia(1, 10, u"-rubrica.xlsx"_s);
    QTest::mouseClick(d.cmdPreview, Qt::LeftButton);
    for (const char *rule : {"Line5", "Line2", "Line4", "Line3"})
        EXPECT_FALSE(reporttest::itemsNamed(*d.Rubrica()->previewWindow()->document(), QString::fromLatin1(rule)).isEmpty());

    // The suppliers' dialog has layouts of its own: closing it leaves these previews.
    const QPointer<PreviewWindow> shown = d.Rubrica()->previewWindow();
    QTest::mouseClick(open(u"Fornitori"_s).cmdPreview, Qt::LeftButton);
    QTest::keyClick(frmPrintReportFornitori::Aperto(), Qt::Key_Escape);
    flushDeletes();
    EXPECT_TRUE(shown && shown->isVisible());
}

// Both reports at the largest values of their fields: a name of 100
// characters, a place of 50, a province of 5, numbers of 30 characters
// without a blank and the largest code: no text of a page lacks room in its
// box.
TEST_F(CliForDialog, TheLargestValuesPrintWholeOnBothReports)
{
    DataFixture::runSql(database, uR"sql(
INSERT INTO CliFor (IdCliFor, Tipo, Nome, "Località", Prov, Telefono, Cellulare, Fax) VALUES
    (2147483647, 'Cliente', '%1', 'LOCALITÀ-DI-CINQUANTA-CARATTERI-SENZA-SPAZI-ABCDE', 'WWWWW',
     '+39-0123-456789012345678901234', '+39-0123-456789012345678901234', '+39-0123-456789012345678901234');
)sql"_s.arg(QString(u"Ragione sociale lunghissima "_s).repeated(4).left(100)));
    frmPrintReportCliFor &d = open(u"Clienti"_s);
    for (int row : {1, 2}) {
        clickRow(d.GridEX1, row);
        QTest::mouseClick(d.cmdPreview, Qt::LeftButton);
        const ReportLayout *layout = d.Rubrica();
        if (row == 2)
            layout = d.Anagrafica();
        const ReportDocument &doc = *layout->previewWindow()->document();
        QString text;
        for (int page = 0; page < doc.pageCount(); ++page) {
            EXPECT_EQ(ReportPainter::textsOutOfBox(doc, page), QStringList()) << row << " page " << page + 1;
            text += doc.pageText(page);
        }
        EXPECT_TRUE(text.contains(u"WWW"_s)) << row;
        EXPECT_EQ(text.contains(u"2147483647 Ragione"_s), row == 2) << text.toStdString();
    }
}
