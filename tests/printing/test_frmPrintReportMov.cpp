// The stock reports' dialog driven through its widgets: its lists and
// choices, the journal (order, movements sharing a number, totals, cost or
// price), the inventory (last or average cost, groupings, location), the
// below-minimum list with its reduced export form, the filters, the
// errors it tells, and the negative-stock preview of the year-end closing.
#include "PrintingFixture.h"

#include "DataFixture.h"
#include "ReportTestSupport.h"
#include "common/comRegistry.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/grid/Grid.h"
#include "platform/report/PreviewWindow.h"
#include "platform/report/ReportDocument.h"
#include "platform/report/ReportPainter.h"
#include "printing/AnteprimaGiacenze.h"
#include "printing/IstanzeReport.h"
#include "printing/RegistraStampe.h"
#include "printing/arpGiacenze_05.h"
#include "printing/arpGiornaleMagazzino.h"
#include "printing/arpInventario.h"
#include "printing/frmPrintReportCliFor.h"
#include "printing/frmPrintReportMov.h"
#include "shell/MainModule.h"
#include "shell/WindowRegistry.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace platform;
using namespace platform::report;
using testsupport::DataFixture;
using namespace Qt::StringLiterals;

namespace {

const QString Ufficio = QStringLiteral("Articoli per l'ufficio");
const QString Penna = QStringLiteral("Penna \"Stilo\" d'acciaio – confezione da 12 pezzi con astuccio in similpelle, "
                                     "ricaricabile, inchiostro blu, tratto medio, prodotta in Italia");

// Movements of 2024 beyond the sample's: a second number 2 (a deposit load),
// a return to the supplier, a purchase whose line 10 was written after its
// line 20, a sale of an article loaded only in 2023, an article that goes to
// zero; every cost and price chosen so that the totals are exact.
const char *const Movimenti = R"sql(
INSERT INTO Liste (Chiave, Codice, Descrizione, Predefinito) VALUES ('cat', NULL, 'Articoli per l''ufficio', 0);
INSERT INTO Articoli (Codice, Descrizione, UM, Categoria, ScortaMinima, Ubicazione) VALUES
    ('C001', 'PENNA', 'PZ', 'Articoli per l''ufficio', 30, 'S1'),
    ('D001', 'Cacciavite', 'PZ', 'Ferramenta', 0, NULL),
    ('E001', 'Chiave inglese', 'PZ', 'Ferramenta', 0, NULL);
UPDATE Articoli SET ScortaMinima = 10 WHERE Codice = 'A002';
INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale, TipoContropartita, IdContropartita) VALUES
    (4, '2024-03-01', 2, 'Carico', 'Deposito', NULL),
    (5, '2024-04-01', 3, 'Reso a Fornitore', 'Fornitore', 1),
    (6, '2024-05-10', 4, 'Acquisto', 'Fornitore', 1),
    (7, '2023-06-01', 1, 'Carico', 'Deposito', NULL),
    (8, '2024-06-01', 5, 'Vendita', 'Cliente', 2);
INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, "Quantità", Segno, Costo, Prezzo) VALUES
    (1, 30, 'E001', 5, 1, 1, 2),
    (4, 10, 'C001', 20, 1, 1.5, 3),
    (5, 10, 'A002', -2.5, 1, 0.05, 0.1),
    (6, 20, 'A001', 50, 1, 0.16, 0.25),
    (6, 10, 'C001', 4, 1, 1.5, 3),
    (7, 10, 'D001', 10, 1, 2, 4),
    (8, 10, 'D001', 3, -1, 2, 4),
    (8, 20, 'E001', 5, -1, 1, 2);
)sql";

class StampeMagazzinoTest : public PrintingFixture
{
protected:
    void SetUp() override
    {
        PrintingFixture::SetUp();
        DataFixture::runSql(database, QString::fromUtf8(Movimenti));
        DataFixture::runSql(database, QStringLiteral("UPDATE Articoli SET Descrizione = '%1' WHERE Codice = 'C001'")
                                          .arg(QString(Penna).replace(u'\'', QStringLiteral("''"))));
        MainModule::WorkDate = DateTime(2024, 12, 31);
        MainModule::WorkYear = 2024;
        MainModule::QtyFormat = MainModule::ValueFormat = MainModule::FormatoNumero(2);
        MainModule::SettingsKey = QStringLiteral("Software\\Korvane\\Velmora\\Settings");
        setUbicazione(0);
        RegistraFinestreStampa();
        ASSERT_TRUE(WindowRegistry::Stampa(QStringLiteral("frmPrintReportMov"), QStringLiteral("Magazzino")));
        dialog = frmPrintReportMov::Aperto();
        ASSERT_TRUE(dialog);
    }
    void TearDown() override
    {
        delete dialog.data();
        WindowRegistry::Rimuovi();
        setUbicazione(0);
        PrintingFixture::TearDown();
    }

    static void setUbicazione(int value)
    {
        MainModule::ScriviRegistro(comRegistry::HKEY_CURRENT_USER, MainModule::SettingsKey, comRegistry::REG_DWORD,
                                   QStringLiteral("regUbiView"), Variant(std::int32_t(value)));
    }

    // Chooses catalogue row `row`, then the value column (or valuation) and
    // the grouping, through the combos.
    void choose(int row, int view = 0, int group = 0)
    {
        clickRow(dialog->GridEX1, row);
        dialog->cmbView->setCurrentIndex(view);
        dialog->cmbGroup->setCurrentIndex(group);
    }

    // Exports the chosen report in `format` to `name` in the test folder.
    QString exportTo(int format, const QString &name)
    {
        const QString path = folder + u'/' + name;
        desktop->queueSaveFile(path);
        dialog->mnuexp(format)->trigger();
        return path;
    }

    // The text of the chosen report as "Anteprima" shows it, every page.
    template <typename Layout>
    QString preview()
    {
        QTest::mouseClick(dialog->cmdPreview, Qt::LeftButton);
        const auto &layout = IstanzeReport::Istanza<Layout>();
        if (!layout || !layout->previewWindow())
            return QString();
        const auto doc = layout->previewWindow()->document();
        QString text;
        for (int page = 0; page < doc->pageCount(); ++page)
            text += doc->pageText(page) + u'\n';
        return text;
    }

    // The lines of `text` that hold `what`, trimmed, with runs of blanks
    // made one.
    static QStringList linesWith(const QString &text, const QString &what)
    {
        QStringList found;
        for (const QString &line : text.split(u'\n'))
            if (line.contains(what))
                found << line.simplified();
        return found;
    }
    // Whether a line of `text` starts with `start` (blanks made one).
    static bool hasLine(const QString &text, const QString &start)
    {
        for (const QString &line : text.split(u'\n'))
            if (line.simplified().startsWith(start))
                return true;
        return false;
    }

    QPointer<frmPrintReportMov> dialog;
};

} // namespace

TEST_F(StampeMagazzinoTest, OpensWithItsListsAndAdaptsTheChoicesToTheReport)
{
    frmPrintReportMov &d = *dialog;
    EXPECT_EQ(d.windowTitle(), QStringLiteral(" Stampe Magazzino"));
    EXPECT_EQ(d.cmbprinters->currentText(), QStringLiteral("Magazzino"));
    EXPECT_FALSE(d.cmdPropPrinter->isVisible());
    EXPECT_EQ(d.Dat1->date(), QDate(2024, 1, 1));
    EXPECT_EQ(d.Dat2->date(), QDate(2024, 12, 31));
    ASSERT_EQ(d.GridEX1->rowCount(), 3);
    EXPECT_EQ(d.GridEX1->textAt(3, 3), QStringLiteral("Articoli sottoscorta"));

    const auto texts = [](QComboBox *combo) {
        QStringList out;
        for (int i = 0; i < combo->count(); ++i)
            out << combo->itemText(i);
        return out;
    };
    EXPECT_EQ(texts(d.cmbContropartite),
              (QStringList{u"(Tutte)"_s, u"(Clienti)"_s, u"(Fornitori)"_s, u"(Deposito)"_s, u"anna verdi (Cliente)"_s,
                           u"Bianchi Mario (Cliente)"_s, u"Rossi Srl (Fornitore)"_s}));
    EXPECT_EQ(d.Contropartite()[6].id, 1);
    EXPECT_EQ(texts(d.cmbCategorie), QStringList({u"(Tutte)"_s, Ufficio}) + Categories);
    EXPECT_EQ(texts(d.cmbArticoli), (QStringList{u"(Tutti)"_s, u"A001"_s, u"A002"_s, u"B001"_s, u"C001"_s,
                                                 u"D001"_s, u"E001"_s}));

    // Journal, inventory, below minimum: what each offers.
    struct Case {
        int row;
        QString label;
        QStringList view;
        bool group, filters;
    };
    const Case cases[] = {
        {2, u"Valorizzazione"_s, {u"Costo ultimo"_s, u"Costo medio"_s}, true, true},
        {3, u"Valorizzazione"_s, {u"Costo ultimo"_s, u"Costo medio"_s}, false, false},
        {1, u"Colonna Importi"_s, {u"Costo"_s, u"Prezzo di vendita"_s}, false, true},
    };
    for (const Case &c : cases) {
        d.cmbView->setCurrentIndex(1);
        clickRow(d.GridEX1, c.row);
        EXPECT_EQ(d.lblView->text(), c.label) << c.row;
        EXPECT_EQ(texts(d.cmbView), c.view) << c.row;
        EXPECT_EQ(d.cmbView->currentIndex(), 0) << c.row;
        EXPECT_EQ(d.cmbView->isVisible(), c.row != 3) << c.row;
        EXPECT_EQ(d.cmbGroup->isVisible(), c.group) << c.row;
        EXPECT_EQ(d.cmbArticoli->isEnabled() && d.Dat1->isEnabled(), c.filters) << c.row;
    }
    EXPECT_EQ(texts(d.cmbGroup), (QStringList{u"Nessuno"_s, u"Categoria Articolo"_s, u"Contropartita"_s,
                                              u"Contropartita > Categoria Articolo"_s}));

    // Opening again keeps the dialog and reads the lists afresh.
    DataFixture::runSql(database, QStringLiteral("INSERT INTO Articoli (Codice) VALUES ('F001')"));
    WindowRegistry::Stampa(QStringLiteral("frmPrintReportMov"), QStringLiteral("Ufficio"));
    EXPECT_EQ(frmPrintReportMov::Aperto(), &d);
    EXPECT_EQ(d.cmbArticoli->count(), 8);
    EXPECT_EQ(d.cmbContropartite->count(), 7);
}

TEST_F(StampeMagazzinoTest, TheJournalListsEveryMovementApartInNumberOrderWithItsLinesAndTotals)
{
    choose(1);
    const QString text = reporttest::pdfText(exportTo(12, QStringLiteral("giornale.pdf")));
    EXPECT_GE(lineOf(text, QStringLiteral("Giornale di Magazzino - Movimenti dal 01/01/24 al 31/12/24")), 0);
    EXPECT_EQ(linesWith(text, QStringLiteral("Contropartita:")),
              QStringList{u"Contropartita: (Tutte) - Categoria: (Tutte) - Articolo: (Tutti)"_s});
    // Movements by number, the two numbered 2 apart, lines by their line number.
    const QStringList expected{
        u"000001 10/01/2024 Carico Rossi Srl"_s, u"A001 Vite 3x20 PZ 150,00 0,10 15,00"_s,
        u"A002 Dado M3 PZ 12,50 0,05"_s, u"E001 Chiave inglese PZ 5,00 1,00 5,00"_s,
        u"000002 15/02/2024 Vendita Bianchi Mario"_s, u"A001 Vite 3x20 PZ -60,00 0,10 -6,00"_s,
        u"000002 01/03/2024 Carico"_s, u"C001 Penna \"Stilo\" d'acciaio"_s,
        u"000003 01/04/2024 Reso a Fornitore Rossi Srl"_s, u"A002 Dado M3 PZ -2,50 0,05"_s,
        u"000004 10/05/2024 Acquisto Rossi Srl"_s, u"C001 Penna"_s, u"A001 Vite 3x20 PZ 50,00 0,16 8,00"_s,
        u"000005 01/06/2024 Vendita Bianchi Mario"_s, u"D001 Cacciavite PZ -3,00 2,00 -6,00"_s,
        u"E001 Chiave inglese PZ -5,00 1,00 -5,00"_s, u"Totali Stampa 171,00 47,50"_s, u"1 / 1"_s};
    const QStringList lines = text.split(u'\n');
    int at = -1;
    for (const QString &row : expected) {
        int found = -1;
        for (int i = at + 1; i < lines.size() && found < 0; ++i)
            if (lines[i].simplified().startsWith(row))
                found = i;
        EXPECT_GT(found, at) << row.toStdString() << "\n" << text.toStdString();
        at = std::max(at, found);
    }
    EXPECT_EQ(linesWith(text, QStringLiteral("000002")).size(), 2);
    // The long description goes on over a second line, quotes and accents intact.
    EXPECT_TRUE(text.simplified().contains(QStringLiteral("ricaricabile")));
    EXPECT_EQ(linesWith(text, QStringLiteral("C001")).size(), 2);

    // At selling price: the value columns are headed and computed so; a
    // later run at cost has the cost captions again.
    choose(1, 1);
    QString priced = preview<arpGiornaleMagazzino>();
    EXPECT_TRUE(priced.contains(QStringLiteral("Prezzo un.")) && priced.contains(QStringLiteral("Importo")));
    EXPECT_TRUE(priced.contains(QStringLiteral("91,50")));
    EXPECT_FALSE(priced.contains(QStringLiteral("Costo unitario")));
    choose(1, 0);
    const QString cost = preview<arpGiornaleMagazzino>();
    EXPECT_TRUE(cost.contains(QStringLiteral("Costo unitario")) && cost.contains(QStringLiteral("47,50")));
    EXPECT_FALSE(cost.contains(QStringLiteral("Importo")));

    // Excel: the numbers as numbers, the texts as they stand.
    const reporttest::Sheet sheet = reporttest::readSheet(exportTo(10, QStringLiteral("giornale.xlsx")));
    EXPECT_FALSE(sheet.find(Penna).isEmpty());
    EXPECT_FALSE(sheet.find(QStringLiteral("Totali Stampa")).isEmpty());
}

// The period's last day counts whole, to its last second, as in the
// year-end closing: a movement of 31 December (with or without a time of
// day) is in the journal, in the inventory's stock and cost and in the
// below-minimum stock; a load after the period does not count. The journal
// goes by number, not by date or by the order movements were made.
TEST_F(StampeMagazzinoTest, ThePeriodsLastDayCountsWholeAndTheJournalGoesByNumber)
{
    DataFixture::runSql(database, uR"sql(
INSERT INTO Articoli (Codice, Descrizione, UM, Categoria, ScortaMinima) VALUES
    ('F001', 'Forbici', 'PZ', 'Ferramenta', 50), ('G001', 'Guanti', 'PZ', 'Ferramenta', 0),
    ('H001', 'Lima', 'PZ', 'Ferramenta', 0);
INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale, TipoContropartita) VALUES
    (20, '2024-02-01', 8, 'Carico', 'Deposito'),
    (21, '2024-11-01', 7, 'Carico', 'Deposito'),
    (22, '2024-12-31', 9, 'Carico', 'Deposito'),
    (23, '2024-12-31 23:59:59', 10, 'Carico', 'Deposito'),
    (24, '2025-01-01', 1, 'Carico', 'Deposito');
INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, "Quantità", Segno, Costo, Prezzo) VALUES
    (20, 10, 'G001', 1, 1, 9, 9),
    (21, 10, 'G001', 2, 1, 8, 8),
    (22, 10, 'G001', 4, 1, 7, 7),
    (23, 10, 'F001', 10, 1, 3, 6),
    (23, 20, 'H001', 2, 1, 5, 10),
    (24, 10, 'F001', 5, 1, 4, 8);
)sql"_s);

    choose(1);
    const QString journal = preview<arpGiornaleMagazzino>();
    const QStringList order{u"000005 01/06/2024"_s, u"000007 01/11/2024"_s, u"000008 01/02/2024"_s,
                            u"000009 31/12/2024"_s, u"G001 Guanti PZ 4,00 7,00 28,00"_s,
                            u"000010 31/12/2024"_s, u"F001 Forbici PZ 10,00 3,00 30,00"_s,
                            u"H001 Lima PZ 2,00 5,00 10,00"_s, u"Totali Stampa 190,00 140,50"_s};
    const QStringList lines = journal.split(u'\n');
    int at = -1;
    for (const QString &row : order) {
        int found = -1;
        for (int i = at + 1; i < lines.size() && found < 0; ++i)
            if (lines[i].simplified().startsWith(row))
                found = i;
        EXPECT_GT(found, at) << row.toStdString() << "\n" << journal.toStdString();
        at = std::max(at, found);
    }
    EXPECT_FALSE(journal.contains(u"01/01/2025"_s));

    // At last cost: the last day's load before the later one; at average
    // cost, the period's loads with the last day's.
    const QStringList atLastCost{u"F001 Forbici PZ 10,00 3,00 30,00"_s, u"G001 Guanti PZ 7,00 7,00 49,00"_s,
                                 u"H001 Lima PZ 2,00 5,00 10,00"_s};
    const QStringList atAverageCost{u"F001 Forbici PZ 10,00 3,00 30,00"_s, u"G001 Guanti PZ 7,00 7,57 53,00"_s,
                                    u"H001 Lima PZ 2,00 5,00 10,00"_s};
    for (const int view : {0, 1}) {
        choose(2, view);
        const QString inventory = preview<arpInventario>();
        for (const QString &row : view == 0 ? atLastCost : atAverageCost)
            EXPECT_TRUE(hasLine(inventory, row)) << view << " " << row.toStdString() << "\n" << inventory.toStdString();
    }

    choose(3);
    const QString below = preview<arpGiacenze_05>();
    EXPECT_EQ(linesWith(below, u"F001"_s), QStringList{u"F001 Forbici 50,00 10,00 40,00"_s});
}

// The journal exported into cells (Excel, RTF, HTML): the number, the date,
// the causale and the counterpart of a movement in cells of their own, the
// captions once at the top, no page numbers; the PDF keeps its pages as
// printed. A full disk is told and leaves the older file as it was.
TEST_F(StampeMagazzinoTest, TheJournalExportsIntoCellsOfTheirOwnWithoutPageCaptionsOrNumbers)
{
    // Enough lines for two pages.
    DataFixture::runSql(database, uR"sql(
INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale, TipoContropartita) VALUES
    (30, '2024-07-01', 6, 'Carico', 'Deposito');
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 60)
INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, "Quantità", Segno, Costo, Prezzo)
    SELECT 30, i, 'A001', 1, 1, 0.1, 0.2 FROM n;
)sql"_s);
    choose(1);

    const QString pdf = pdfLines(exportTo(12, u"giornale.pdf"_s));
    EXPECT_EQ(linesWith(pdf, u"Progressivo Data Causale Contropartita"_s).size(), 2) << pdf.toStdString();
    EXPECT_GE(lineOf(pdf, u"1 / 2"_s), 0);
    EXPECT_GE(lineOf(pdf, u"2 / 2"_s), 0);

    const reporttest::Sheet sheet = reporttest::readSheet(exportTo(10, u"giornale.xlsx"_s));
    const QString causale = sheet.find(u"Reso a Fornitore"_s);
    ASSERT_FALSE(causale.isEmpty());
    const int row = reporttest::rowOf(causale);
    EXPECT_EQ(sheet.cells.value(u"A%1"_s.arg(row)).value, u"3"_s);
    EXPECT_EQ(sheet.cells.value(u"A%1"_s.arg(row)).format, u"000000"_s);
    EXPECT_EQ(sheet.cells.value(u"B%1"_s.arg(row)).value, u"45383"_s); // 1 April 2024
    EXPECT_EQ(sheet.cells.value(u"B%1"_s.arg(row)).format, u"dd/mm/yyyy"_s);
    EXPECT_EQ(reporttest::columnOf(causale), u"C"_s);
    EXPECT_EQ(reporttest::columnOf(sheet.find(u"Rossi Srl"_s)), u"E"_s);
    int captions = 0;
    for (const reporttest::SheetCell &cell : sheet.cells) {
        captions += cell.value == u"Progressivo"_s;
        EXPECT_NE(cell.value, u"/"_s);
    }
    EXPECT_EQ(captions, 1);
    EXPECT_FALSE(sheet.find(u"Totali Stampa"_s).isEmpty());

    const QByteArray rtf = DataFixture::fileBytes(exportTo(11, u"giornale.rtf"_s));
    int rtfCaptions = 0;
    bool movement = false;
    for (const reporttest::RtfRow &r : reporttest::rtfRows(rtf)) {
        rtfCaptions += r.texts.contains(u"Progressivo"_s);
        EXPECT_FALSE(r.texts.contains(u"/"_s)) << r.texts.join(u'|').toStdString();
        if (const qsizetype i = r.texts.indexOf(u"000003"_s); i >= 0) {
            movement = true;
            EXPECT_EQ(r.texts.mid(i, 4), (QStringList{u"000003"_s, u"01/04/2024"_s, u"Reso a Fornitore"_s,
                                                      u"Rossi Srl"_s}));
        }
    }
    EXPECT_TRUE(movement);
    EXPECT_EQ(rtfCaptions, 1);
    const QString html = QString::fromUtf8(DataFixture::fileBytes(exportTo(13, u"giornale.html"_s)));
    EXPECT_EQ(html.count(u">Progressivo<"_s), 1);
    EXPECT_FALSE(html.contains(u">/<"_s));
    EXPECT_TRUE(html.contains(u">01/04/2024<"_s));

    // The preview after the exports has its captions and numbers again.
    const QString shown = preview<arpGiornaleMagazzino>();
    EXPECT_EQ(linesWith(shown, u"Progressivo Data Causale Contropartita"_s).size(), 2);
    EXPECT_TRUE(hasLine(shown, u"2 / 2"_s));

    // A full disk halfway through the file.
    const QString path = folder + u"/giornale.rtf"_s;
    {
        const reporttest::DiskFull full(rtf.size() / 2);
        desktop->queueSaveFile(path);
        dialog->mnuexp(11)->trigger();
    }
    EXPECT_EQ(desktop->prompts(),
              QStringList{u"Esportazione non riuscita.\r\nImpossibile scrivere il file '%1': il file supera la "
                          u"dimensione massima consentita."_s.arg(path)});
    EXPECT_EQ(DataFixture::fileBytes(path), rtf);
    EXPECT_TRUE(dialog->isVisible() && dialog->isEnabled());
}

// Every stock report at the largest values its fields can hold: codes of
// 40 characters, descriptions of 255, units of 10, names of 100, numbers
// and totals of -999.999.999,99, the largest movement number; no text of
// any page needs more room than its box has, so none is set smaller or cut,
// and the PDF sets none smaller either.
TEST_F(StampeMagazzinoTest, TheLargestValuesPrintWholeOnEveryStockReport)
{
    const QString codice = u"ART-%1-ABCDEFGHIJKLMNOPQRSTUVWXYZ01234567"_s;
    const QString descrizione = QString(u"Descrizione lunghissima di un articolo con parole e misure 1234567890 "_s)
                                    .repeated(4)
                                    .left(255);
    const QString categoria = u"CATEGORIA-DI-CINQUANTA-CARATTERI-SENZA-SPAZI-ABCDE"_s;
    const QString fornitore = QString(u"Fornitore"_s).repeated(11).left(100);
    const QString cliente = QString(u"Cliente "_s).repeated(13).left(100);
    DataFixture::runSql(database, uR"sql(
INSERT INTO Liste (Chiave, Codice, Descrizione, Predefinito) VALUES ('cat', NULL, '%3', 0);
INSERT INTO CliFor (IdCliFor, Tipo, Nome) VALUES (2147483646, 'Fornitore', '%4'), (2147483647, 'Cliente', '%5');
INSERT INTO Articoli (Codice, Descrizione, UM, Categoria, ScortaMinima, Ubicazione) VALUES
    ('%1', '%2', 'CONFEZIONI', '%3', 999999999.99, 'UBICAZIONE-DI-CINQUANTA-CARATTERI-SENZA-SPAZI-ABCDE');
INSERT INTO Articoli (Codice, Descrizione, UM, Categoria, ScortaMinima)
    SELECT replace(Codice, '-1-', '-2-'), Descrizione, UM, Categoria, 0 FROM Articoli WHERE Codice = '%1'
    UNION ALL SELECT replace(Codice, '-1-', '-3-'), Descrizione, UM, Categoria, 0 FROM Articoli WHERE Codice = '%1';
INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale, TipoContropartita, IdContropartita) VALUES
    (101, '2026-12-28', 2147483644, 'Reso a Fornitore', 'Fornitore', 2147483646),
    (102, '2026-12-29', 2147483645, 'Vendita', 'Cliente', 2147483647),
    (103, '2026-12-30', 2147483646, 'Scarico', 'Deposito', NULL),
    (104, '2026-12-31 23:59:59', 2147483647, 'Carico', 'Deposito', NULL);
INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, "Quantità", Segno, Costo, Prezzo) VALUES
    (101, 10, '%1', 1, 1, 999999999.99, 999999999.99),
    (102, 10, replace('%1', '-1-', '-2-'), 999999999.99, -1, 1, 1),
    (103, 10, replace('%1', '-1-', '-3-'), 1, -1, 999999999.99, 999999999.99),
    (104, 10, replace('%1', '-1-', '-2-'), 0, 1, 1, 1),
    (104, 20, replace('%1', '-1-', '-3-'), 0, 1, 999999999.99, 999999999.99);
)sql"_s.arg(codice.arg(1), descrizione, categoria, fornitore, cliente));
    setUbicazione(1);
    ASSERT_TRUE(WindowRegistry::Stampa(u"frmPrintReportMov"_s, u"Magazzino"_s));

    struct Run {
        int row, view, group;
        bool filtered;
        QString total;
    };
    const QString widest = u"-999.999.999,99"_s;
    const Run runs[] = {
        {1, 0, 0, false, u"Totali Stampa "_s + widest + u' ' + widest},
        {1, 1, 0, false, u"Totali Stampa "_s + widest + u' ' + widest},
        {1, 0, 0, true, u"Totali Stampa 1,00 999.999.999,99"_s},
        {2, 0, 0, false, u"Totali stampa: "_s + widest + u' ' + widest},
        {2, 0, 1, false, u"Totali stampa: "_s + widest + u' ' + widest},
        {2, 0, 2, false, u"Totali stampa: "_s + widest + u' ' + widest},
        {2, 0, 3, false, u"Totali stampa: "_s + widest + u' ' + widest},
        {2, 1, 3, true, u"Totali stampa: 1,00 999.999.999,99"_s},
        {3, 0, 0, false, u"0,00 -999.999.999,99 999.999.999,99"_s},
    };
    for (const Run &r : runs) {
        const std::string where = std::to_string(r.row) + "/" + std::to_string(r.view) + "/" + std::to_string(r.group)
                                  + "/" + std::to_string(r.filtered);
        choose(r.row, r.view, r.group);
        dialog->Dat1->setDate(QDate(2026, 1, 1));
        dialog->Dat2->setDate(QDate(2026, 12, 31));
        if (r.filtered) {
            dialog->cmbContropartite->setCurrentText(fornitore + u" (Fornitore)"_s);
            dialog->cmbCategorie->setCurrentText(categoria);
            dialog->cmbArticoli->setCurrentText(codice.arg(1));
        }
        QTest::mouseClick(dialog->cmdPreview, Qt::LeftButton);
        const ReportLayout *layout = IstanzeReport::Istanza<arpGiacenze_05>().get();
        if (r.row == 1)
            layout = IstanzeReport::Istanza<arpGiornaleMagazzino>().get();
        else if (r.row == 2)
            layout = IstanzeReport::Istanza<arpInventario>().get();
        ASSERT_TRUE(layout && layout->previewWindow()) << where;
        const auto doc = layout->previewWindow()->document();
        QString text;
        for (int page = 0; page < doc->pageCount(); ++page) {
            EXPECT_EQ(ReportPainter::textsOutOfBox(*doc, page), QStringList()) << where << " page " << page + 1;
            text += doc->pageText(page) + u'\n';
        }
        EXPECT_TRUE(text.contains(r.total)) << where << "\n" << text.toStdString();
        EXPECT_EQ(desktop->prompts(), QStringList()) << where;

        const int before = ReportPainter::textsSetSmaller();
        exportTo(12, u"grandi.pdf"_s);
        EXPECT_EQ(ReportPainter::textsSetSmaller(), before) << where;
        dialog->cmbContropartite->setCurrentIndex(0);
        dialog->cmbCategorie->setCurrentIndex(0);
        dialog->cmbArticoli->setCurrentIndex(0);
    }
}

TEST_F(StampeMagazzinoTest, TheFiltersNarrowTheJournalAndTheInventoryWhateverTheirTexts)
{
    struct Case {
        int counterpart, category, article;
        QStringList shown, hidden;
        QString filterLine;
    };
    const Case cases[] = {
        {0, 1, 0, {u"C001"_s}, {u"A001"_s, u"D001"_s},
         QStringLiteral("Contropartita: (Tutte) - Categoria: ") + Ufficio + QStringLiteral(" - Articolo: (Tutti)")},
        {3, 0, 0, {u"C001"_s}, {u"A001"_s, u"A002"_s}, {}},
        {1, 0, 0, {u"A001"_s, u"D001"_s, u"E001"_s}, {u"A002"_s, u"C001"_s}, {}},
        {6, 0, 0, {u"A001"_s, u"A002"_s, u"C001"_s, u"E001"_s}, {u"D001"_s}, {}},
        {2, 0, 2, {u"A002"_s}, {u"A001"_s, u"C001"_s, u"E001"_s}, u"Contropartita: (Fornitori) - Categoria: (Tutte) - Articolo: A002"_s},
        {4, 0, 0, {}, {u"A001"_s, u"C001"_s}, {}},
    };
    for (const Case &c : cases) {
        for (int row : {1, 2}) {
            choose(row);
            dialog->cmbContropartite->setCurrentIndex(c.counterpart);
            dialog->cmbCategorie->setCurrentIndex(c.category);
            dialog->cmbArticoli->setCurrentIndex(c.article);
            const QString text = row == 1 ? preview<arpGiornaleMagazzino>() : preview<arpInventario>();
            const std::string where = std::to_string(row) + "/" + std::to_string(c.counterpart);
            EXPECT_EQ(desktop->prompts(), QStringList()) << where;
            for (const QString &code : c.shown)
                EXPECT_TRUE(hasLine(text, code + u' ')) << where << " " << code.toStdString();
            for (const QString &code : c.hidden)
                EXPECT_FALSE(text.contains(code)) << where << " " << code.toStdString();
            if (!c.filterLine.isEmpty())
                EXPECT_TRUE(text.simplified().contains(c.filterLine)) << where;
        }
    }
}

TEST_F(StampeMagazzinoTest, TheInventoryValuesAtLastOrAverageCostAndGroupsOnRequest)
{
    // Last cost up to the last date; the zero-stock article is left out.
    choose(2, 0, 0);
    const QString last = reporttest::pdfText(exportTo(12, QStringLiteral("inventario.pdf")));
    EXPECT_GE(lineOf(last, QStringLiteral("Inventario - Movimenti dal 01/01/24 al 31/12/24")), 0);
    const QStringList rows{u"A001 Vite 3x20 PZ 140,00 0,16 22,40"_s, u"A002 Dado M3 PZ 10,00 0,05 0,50"_s,
                           u"C001 Penna"_s, u"D001 Cacciavite PZ -3,00 2,00 -6,00"_s, u"Totali stampa: 171,00 52,90"_s};
    int at = lineOf(last, QStringLiteral("Costo ultimo"));
    for (const QString &row : rows) {
        const QStringList found = linesWith(last, row.left(4));
        ASSERT_FALSE(found.isEmpty()) << row.toStdString();
        EXPECT_TRUE(found[0].startsWith(row)) << found[0].toStdString();
        EXPECT_GT(lineOf(last, row.left(4)), at);
        at = lineOf(last, row.left(4));
    }
    EXPECT_TRUE(linesWith(last, QStringLiteral("C001"))[0].endsWith(QStringLiteral("24,00 1,50 36,00")));
    EXPECT_EQ(lineOf(last, QStringLiteral("E001")), -1);
    EXPECT_FALSE(hasLine(last, QStringLiteral("Categoria:")));

    // Average cost of the period's loads: the article loaded only before
    // it has neither cost nor value.
    choose(2, 1, 0);
    const QString average = preview<arpInventario>();
    EXPECT_TRUE(average.contains(QStringLiteral("Costo medio")));
    ASSERT_EQ(linesWith(average, u"A001"_s).size(), 1u);
    EXPECT_TRUE(linesWith(average, u"A001"_s)[0].endsWith(u" 16,10"_s)) << average.toStdString();
    EXPECT_EQ(linesWith(average, u"D001"_s), QStringList{u"D001 Cacciavite PZ -3,00"_s});
    EXPECT_TRUE(hasLine(average, u"Totali stampa: 171,00 52,60"_s));

    // Each grouping shows its own groups only, with the group totals in
    // their headers; the location shows beside the code when asked for.
    setUbicazione(1);
    struct Case {
        int group;
        QStringList present, absent;
    };
    const Case cases[] = {
        {3,
         {u"(Deposito) 20,00 30,00"_s, u"Bianchi Mario (Cliente) -68,00 -20,60"_s,
          QStringLiteral("Categoria: ") + Ufficio + QStringLiteral(" 20,00 30,00"), u"C001 [S1]"_s},
         {}},
        {0, {u"C001 [S1]"_s}, {u"Categoria:"_s, u"Bianchi"_s}},
        {2, {u"Rossi Srl (Fornitore) 219,00 43,50"_s}, {u"Categoria:"_s}},
        {1, {u"Categoria: Ferramenta 147,00 16,90"_s}, {u"Rossi Srl"_s}},
    };
    for (const Case &c : cases) {
        choose(2, 0, c.group);
        const QString text = preview<arpInventario>();
        for (const QString &s : c.present)
            EXPECT_TRUE(hasLine(text, s)) << c.group << " " << s.toStdString() << "\n" << text.toStdString();
        for (const QString &s : c.absent)
            EXPECT_FALSE(hasLine(text, s)) << c.group << " " << s.toStdString();
    }
}

TEST_F(StampeMagazzinoTest, TheBelowMinimumListAndItsReducedExportForm)
{
    choose(3);
    const QString text = reporttest::pdfText(exportTo(12, QStringLiteral("sottoscorta.pdf")));
    EXPECT_GE(lineOf(text, QStringLiteral("Articoli sottoscorta dal 01/01/24 al 31/12/24")), 0);
    // B001 (minimum 10, no stock), C001 (30, 24) and D001 (0, -3) are below;
    // A002 sits at its minimum and is absent.
    EXPECT_EQ(linesWith(text, QStringLiteral("B001")), QStringList{u"B001 Rondella 10,00 0,00 10,00"_s});
    EXPECT_EQ(linesWith(text, QStringLiteral("D001")), QStringList{u"D001 Cacciavite 0,00 -3,00 3,00"_s});
    EXPECT_EQ(linesWith(text, QStringLiteral("30,00")).size(), 1);
    EXPECT_TRUE(linesWith(text, QStringLiteral("30,00"))[0].endsWith(QStringLiteral("30,00 24,00 6,00")));
    EXPECT_EQ(lineOf(text, QStringLiteral("A002")), -1);
    EXPECT_EQ(linesWith(text, QStringLiteral("Delta")).size(), 1);
    EXPECT_GE(lineOf(text, QStringLiteral("1 / 1")), 0);

    // Excel and HTML: captions once and the rows, no title or page numbers.
    const reporttest::Sheet sheet = reporttest::readSheet(exportTo(10, QStringLiteral("sottoscorta.xlsx")));
    EXPECT_TRUE(sheet.find(QStringLiteral("Articoli sottoscorta dal 01/01/24 al 31/12/24")).isEmpty());
    EXPECT_FALSE(sheet.find(QStringLiteral("Scorta minima")).isEmpty());
    EXPECT_FALSE(sheet.find(QStringLiteral("Rondella")).isEmpty());
    const QString html =
        QString::fromUtf8(DataFixture::fileBytes(exportTo(13, QStringLiteral("sottoscorta.html"))));
    EXPECT_FALSE(html.contains(QStringLiteral("Articoli sottoscorta dal")));
    EXPECT_TRUE(html.contains(QStringLiteral("Rondella")));
    // RTF keeps the full report; so does the preview after the exports.
    const QString rtf = reporttest::rtfPlainText(DataFixture::fileBytes(exportTo(11, QStringLiteral("sottoscorta.rtf"))));
    EXPECT_TRUE(rtf.contains(QStringLiteral("Articoli sottoscorta dal 01/01/24")));
    const QString shown = preview<arpGiacenze_05>();
    EXPECT_TRUE(shown.contains(QStringLiteral("Articoli sottoscorta dal")) && shown.contains(QStringLiteral("Delta")));
    EXPECT_FALSE(IstanzeReport::Istanza<arpGiacenze_05>()->ModoEsportazione);

    // Printing sends it to the chosen printer and unloads the layout.
    QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].options.printerName, QStringLiteral("Magazzino"));
    EXPECT_TRUE(reporttest::pdfText(jobs[0].pdf).contains(QStringLiteral("Rondella")));
    EXPECT_FALSE(IstanzeReport::Istanza<arpGiacenze_05>());
}

TEST_F(StampeMagazzinoTest, ErrorsAreToldInItalianAndTheDialogStaysOpen)
{
    // A period over two years runs nothing.
    choose(1);
    dialog->Dat2->setDate(QDate(2025, 1, 1));
    dialog->Dat1->setDate(QDate(2024, 12, 31));
    QTest::mouseClick(dialog->cmdPreview, Qt::LeftButton);
    EXPECT_EQ(desktop->prompts(), QStringList{u"Intervallo date non corretto."_s});
    EXPECT_FALSE(IstanzeReport::Istanza<arpGiornaleMagazzino>());
    // 1 January to 31 December of one year runs.
    dialog->Dat1->setDate(QDate(2025, 1, 1));
    dialog->Dat2->setDate(QDate(2025, 12, 31));
    EXPECT_TRUE(preview<arpGiornaleMagazzino>().contains(QStringLiteral("000001")));
    EXPECT_EQ(desktop->prompts().size(), 1);

    // A stored query that cannot be read.
    DataFixture::runSql(database, QStringLiteral("DELETE FROM _jet_queries WHERE name = 'invCM'"));
    choose(2, 1);
    QTest::mouseClick(dialog->cmdPreview, Qt::LeftButton);
    ASSERT_EQ(desktop->prompts().size(), 2);
    EXPECT_TRUE(desktop->prompts()[1].startsWith(QStringLiteral("Impossibile leggere i dati da stampare.\r\n")))
        << desktop->prompts()[1].toStdString();
    flushDeletes();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible() && dialog->isEnabled());
    // The last cost still works.
    choose(2, 0);
    EXPECT_TRUE(hasLine(preview<arpInventario>(), QStringLiteral("A001 Vite 3x20 PZ 10,00 0,12 1,20")));
}

TEST_F(StampeMagazzinoTest, TheClosingPreviewsNegativeStockOnTheBelowMinimumLayout)
{
    Connection connection(MainModule::ConnString);
    AnteprimaGiacenzeNegative(
        connection.executeQuery(QStringLiteral("SELECT 'D001' AS Codice, 'Cacciavite' AS Descrizione, 'PZ' AS UM, "
                                               "0 AS ScortaMinima, -3 AS Giacenza")),
        nullptr);
    auto &layout = IstanzeReport::Istanza<arpGiacenze_05>();
    ASSERT_TRUE(layout && layout->previewWindow());
    const QString text = layout->previewWindow()->document()->pageText(0);
    for (const char *s : {"Controllo giacenze negative", "Categorie: (Tutte) - Fornitori: (Tutti)", "Check",
                          "D001", "-3,00", "3,00"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(s))) << s;
    EXPECT_EQ(layout->printerName(), QStringLiteral("Ufficio"));

    // The dialog's own run has its texts again.
    choose(3);
    const QString own = preview<arpGiacenze_05>();
    EXPECT_TRUE(own.contains(QStringLiteral("Delta")) && !own.contains(QStringLiteral("Check")));
}

// A period without movements, then a database without any data: every
// stock report and both address books run without a message, with their
// title, their captions and their page number, and no row of another
// period; only the articles whose minimum the empty period leaves short
// stay in the below-minimum list.
TEST_F(StampeMagazzinoTest, APeriodWithoutMovementsOrAnEmptyDatabaseGivesTidyEmptyReports)
{
    struct Report {
        int row, view;
        QString title;
    };
    const Report reports[] = {{1, 0, u"Giornale di Magazzino - Movimenti dal 01/01/20 al 31/12/20"_s},
                              {2, 0, u"Inventario - Movimenti dal 01/01/20 al 31/12/20"_s},
                              {2, 1, u"Inventario - Movimenti dal 01/01/20 al 31/12/20"_s},
                              {3, 0, u"Articoli sottoscorta dal 01/01/20 al 31/12/20"_s}};
    for (const bool vuoto : {false, true}) {
        if (vuoto) {
            DataFixture::runSql(database, u"DELETE FROM MagazRegDetail; DELETE FROM MagazRegMain; DELETE FROM Articoli;"
                                          " DELETE FROM CliFor;"_s);
            ASSERT_TRUE(WindowRegistry::Stampa(u"frmPrintReportMov"_s, u"Magazzino"_s));
        }
        for (const Report &r : reports) {
            const std::string where = std::to_string(vuoto) + "/" + std::to_string(r.row) + "/" + std::to_string(r.view);
            choose(r.row, r.view);
            dialog->Dat1->setDate(QDate(2020, 1, 1));
            dialog->Dat2->setDate(QDate(2020, 12, 31));
            const QString text = pdfLines(exportTo(12, u"vuoto.pdf"_s));
            EXPECT_EQ(desktop->prompts(), QStringList()) << where;
            EXPECT_GE(lineOf(text, r.title), 0) << where << "\n" << text.toStdString();
            EXPECT_GE(lineOf(text, u"1 / 1"_s), 0) << where;
            const QStringList codes = linesWith(text, u"001 "_s);
            const QStringList corte{u"A001 Vite 3x20 100,00 0,00 100,00"_s, u"B001 Rondella 10,00 0,00 10,00"_s,
                                    u"C001 Penna \"Stilo\" d'acciaio – 30,00 0,00 30,00"_s};
            EXPECT_EQ(codes, r.row == 3 && !vuoto ? corte : QStringList())
                << where << "\n" << text.toStdString();
        }
    }
    for (const QString &title : {u"Clienti"_s, u"Fornitori"_s}) {
        ASSERT_TRUE(WindowRegistry::Stampa(u"frmPrintReport"_s + title, u"Magazzino"_s));
        auto *d = title == u"Clienti"_s ? static_cast<frmPrintReportCliFor *>(frmPrintReportClienti::Aperto())
                                        : frmPrintReportFornitori::Aperto();
        ASSERT_TRUE(d);
        for (int row : {1, 2}) {
            jobs.clear();
            doubleClickRow(d->GridEX1, row);
            ASSERT_EQ(jobs.size(), 1u) << title.toStdString() << row;
            const QString text = pdfLines(jobs[0].pdf);
            EXPECT_TRUE(text.startsWith(title)) << text.toStdString();
            EXPECT_LE(text.count(u'\n'), 3) << text.toStdString();
        }
        delete d;
    }
    EXPECT_EQ(desktop->prompts(), QStringList());
}
