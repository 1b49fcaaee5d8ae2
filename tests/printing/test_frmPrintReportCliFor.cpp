// The customers' and suppliers' report dialogs through their widgets: their
// texts, the address book grouped by initial, the numbered list and its
// reduced export form, and a database that cannot be read.
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

using namespace platform::report;
using testsupport::DataFixture;

namespace {

class CliForDialog : public PrintingFixture
{
protected:
    void SetUp() override
    {
        PrintingFixture::SetUp();
        // Besides the sample's supplier Rossi Srl (1) and customers Bianchi
        // Mario (2) and anna verdi (3): one initial in every case, quotes,
        // accents, a name that takes two lines.
        DataFixture::runSql(database, QStringLiteral(
            "INSERT INTO CliFor (IdCliFor, Tipo, Nome, \"Località\", Prov, Telefono, Cellulare) VALUES"
            " (7, 'Cliente', 'Andrea Neri', 'Forlì', 'FC', '0543 123456', '333 1234567'),"
            " (8, 'Cliente', 'alba D''Angelo', 'L''Aquila', 'AQ', NULL, NULL),"
            " (9, 'Cliente', 'Èrboristeria \"La Salvia\" di Caffè & Figli, società cooperativa', 'Cantù', 'CO', NULL, NULL),"
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
    frmPrintReportCliFor &open(const QString &name)
    {
        EXPECT_TRUE(WindowRegistry::Stampa(name, QStringLiteral("Magazzino")));
        if (name == QStringLiteral("frmPrintReportClienti"))
            return *frmPrintReportClienti::Aperto();
        return *frmPrintReportFornitori::Aperto();
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
    const std::pair<QString, QStringList> cases[] = {
        {QStringLiteral("Clienti"),
         {QStringLiteral("A"), QStringLiteral("alba D'Angelo"), QStringLiteral("Andrea Neri"), QStringLiteral("anna verdi"),
          QStringLiteral("B"), QStringLiteral("Bianchi Mario"), QStringLiteral("È"), QStringLiteral("Èrboristeria \"La Salvia\"")}},
        {QStringLiteral("Fornitori"),
         {QStringLiteral("R"), QStringLiteral("Rossi Srl"), QStringLiteral("Z"), QStringLiteral("Zeta Forniture")}},
    };
    for (const auto &[title, expected] : cases) {
        jobs.clear();
        frmPrintReportCliFor &d = open(QStringLiteral("frmPrintReport") + title);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Stampa ") + title);
        ASSERT_EQ(d.GridEX1->rowCount(), 2);
        EXPECT_EQ(d.GridEX1->textAt(1, 3) + u'|' + d.GridEX1->textAt(2, 3),
                  title + QStringLiteral(" (Rubrica)|") + title + QStringLiteral(" (Anagrafica)"));
        doubleClickRow(d.GridEX1, 1);
        ASSERT_EQ(jobs.size(), 1u);
        EXPECT_EQ(jobs[0].options.printerName + u'|' + jobs[0].options.documentName,
                  QStringLiteral("Magazzino|Stampa ") + title);

        // The title, the captions, then each letter over its names; nothing
        // of the other kind.
        const QStringList lines = reporttest::pdfText(jobs[0].pdf).split(u'\n', Qt::SkipEmptyParts);
        EXPECT_EQ(lines.value(0).trimmed(), title);
        EXPECT_EQ(lines.value(1).simplified(), QStringLiteral("Nome Località Telefono Cellulare Fax"));
        QStringList rows;
        for (const QString &line : lines.mid(2)) {
            for (const QString &row : expected)
                rows << (line.trimmed() == row || (row.size() > 1 && line.contains(row)) ? row : QString());
        }
        rows.removeAll(QString());
        EXPECT_EQ(rows, expected) << title.toStdString();
        EXPECT_TRUE(d.isVisible());
    }
    EXPECT_TRUE(reporttest::pdfText(jobs[0].pdf).contains(QStringLiteral("Zeta Forniture")));

    // A kind without rows prints the headings and nothing else.
    DataFixture::runSql(database, QStringLiteral("DELETE FROM CliFor WHERE Tipo='Fornitore';"));
    QTest::mouseClick(open(QStringLiteral("frmPrintReportFornitori")).cmdOK, Qt::LeftButton);
    EXPECT_EQ(reporttest::pdfText(jobs.back().pdf).simplified(),
              QStringLiteral("Fornitori Nome Località Telefono Cellulare Fax"));
}

TEST_F(CliForDialog, TheNumberedListGoesByCodeAndIsAPlainTableInExcelAndHtmlOnly)
{
    QString sql;
    for (int i = 100; i < 160; ++i)
        sql += QStringLiteral("INSERT INTO CliFor (IdCliFor, Tipo, Nome) VALUES (%1, 'Cliente', 'Cliente %1');").arg(i);
    DataFixture::runSql(database, sql);
    frmPrintReportCliFor &d = open(QStringLiteral("frmPrintReportClienti"));
    clickRow(d.GridEX1, 2);
    QTest::mouseClick(d.cmdPreview, Qt::LeftButton);
    PreviewWindow *preview = d.Anagrafica()->previewWindow();
    EXPECT_EQ(preview->windowTitle(), QStringLiteral("Anagrafica Clienti"));
    const int pages = preview->document()->pageCount();
    ASSERT_EQ(pages, 2);
    EXPECT_TRUE(preview->document()->pageText(0).startsWith(QStringLiteral(
        "Clienti\nCodice Nome Località Telefono Cellulare\n00002 Bianchi Mario Milano\n00003 anna verdi Torino\n"
        "00007 Andrea Neri Forlì FC 0543 123456 333 1234567\n00008 alba D'Angelo L'Aquila AQ\n")));

    // Excel and HTML: no title, the captions once, no rules; RTF whole.
    const QString base = folder + QStringLiteral("/anagrafica");
    for (const auto &[format, ext] : {std::pair{10, ".xlsx"}, {13, ".html"}, {11, ".rtf"}})
        exportVia(d, 2, format, base + QString::fromLatin1(ext));
    const reporttest::Sheet sheet = reporttest::readSheet(base + QStringLiteral(".xlsx"));
    EXPECT_EQ(sheet.value(QStringLiteral("B1")) + u'|' + sheet.value(QStringLiteral("B2")),
              QStringLiteral("Nome|Bianchi Mario"));
    EXPECT_EQ(sheet.value(QStringLiteral("B") + QString::number(sheet.rows)), QStringLiteral("Cliente 159"));
    const QString html = QString::fromUtf8(DataFixture::fileBytes(base + QStringLiteral(".html")));
    EXPECT_EQ(html.count(QStringLiteral(">Nome</td>")), 1);
    EXPECT_FALSE(html.contains(QStringLiteral("<tr class=\"rule\">")) || html.contains(QStringLiteral(">Clienti</td>")));
    EXPECT_TRUE(html.contains(QStringLiteral(">00159</td>")));
    const QString rtf = reporttest::rtfPlainText(DataFixture::fileBytes(base + QStringLiteral(".rtf")));
    EXPECT_EQ(rtf.count(QStringLiteral("Cellulare")), pages);
    EXPECT_TRUE(rtf.contains(QStringLiteral("Clienti")));

    // The address book to Excel, then its preview: the rules are back.
    exportVia(d, 1, 10, base + QStringLiteral("-rubrica.xlsx"));
    EXPECT_FALSE(reporttest::readSheet(base + QStringLiteral("-rubrica.xlsx")).find(QStringLiteral("Andrea Neri")).isEmpty());
    QTest::mouseClick(d.cmdPreview, Qt::LeftButton);
    for (const char *rule : {"Line5", "Line2", "Line4", "Line3"})
        EXPECT_FALSE(reporttest::itemsNamed(*d.Rubrica()->previewWindow()->document(), QString::fromLatin1(rule)).isEmpty());
    EXPECT_TRUE(desktop->msgBoxes().empty());
}

TEST_F(CliForDialog, AReadErrorIsToldAndEachDialogKeepsItsOwnPreviews)
{
    frmPrintReportCliFor &clients = open(QStringLiteral("frmPrintReportClienti"));
    QTest::mouseClick(clients.cmdPreview, Qt::LeftButton);
    QPointer<PreviewWindow> preview = clients.Rubrica()->previewWindow();
    EXPECT_EQ(preview->windowTitle(), QStringLiteral("Rubrica Clienti"));

    // The suppliers' dialog says it cannot read and stays; with the data
    // back it prints, and closing it leaves the customers' preview alone.
    const QString good = MainModule::ConnString;
    MainModule::ConnString = DataFixture::connectionString(folder + QStringLiteral("/manca.mdb"));
    QPointer<frmPrintReportCliFor> suppliers = &open(QStringLiteral("frmPrintReportFornitori"));
    QTest::mouseClick(suppliers->cmdOK, Qt::LeftButton);
    ASSERT_EQ(desktop->prompts().size(), 1);
    EXPECT_TRUE(desktop->prompts()[0].startsWith(QStringLiteral("Impossibile leggere i dati da stampare.\r\n")));
    flushDeletes();
    ASSERT_TRUE(suppliers && suppliers->isVisible() && suppliers->isEnabled());
    MainModule::ConnString = good;
    QTest::mouseClick(suppliers->cmdOK, Qt::LeftButton);
    ASSERT_EQ(jobs.size(), 1u);
    QTest::mouseClick(suppliers->cmdCancel, Qt::LeftButton);
    flushDeletes();
    EXPECT_FALSE(suppliers);
    ASSERT_TRUE(preview && preview->isVisible());

    // Esc closes the customers' dialog, its preview with it.
    QTest::keyClick(&clients, Qt::Key_Escape);
    flushDeletes();
    EXPECT_FALSE(preview);
}
