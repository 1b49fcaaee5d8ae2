// The article label layout (built-in, stored, refused, reopened and saved
// by other copies of the program) and label printing for the lines of a
// movement, also as the movement window offers it after a save.
#include "DataFixture.h"
#include "DescrizioneEtichetta.h"
#include "PrintingFixture.h"
#include "ReportTestSupport.h"
#include "common/ModalCall.h"
#include "common/comRegistry.h"

#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/grid/Grid.h"
#include "platform/report/BarcodeSymbol.h"
#include "platform/report/ReportDocument.h"
#include "printing/IstanzeReport.h"
#include "printing/LayoutEtichetta.h"
#include "printing/NewLabel.h"
#include "printing/RegistraStampe.h"
#include "printing/frmPrintLabels.h"
#include "printing/frmSetLabels.h"
#include "records/RegistraRecord.h"
#include "records/frm_io_MovMag_01.h"
#include "support/HelperProcess.h"
#include "support/TestEnv.h"
#include "shell/MainModule.h"
#include "shell/WindowRegistry.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <stdexcept>

using namespace platform::report;
using LayoutEtichetta::Foglio;
using platform::Variant;
using testsupport::DataFixture;

namespace {

const QString CodiceLungo = QStringLiteral("ART-0123456789-ABCDEFGHIJ-0123456789-XYZ"); // 40 characters
// Stored layouts the fuzz target starts from: two good, five damaged.
const QDir Seeds(QStringLiteral(VELMORA_REPORT_TEST_DIR "/../../printing/fuzz/seeds"));

class Etichette : public PrintingFixture
{
protected:
    void SetUp() override
    {
        PrintingFixture::SetUp();
        MainModule::PrinterNames = {QStringLiteral("Ufficio"), QStringLiteral("Magazzino")};
        MainModule::SkipLabels = 0;
        RegistraFinestreStampa();
    }
    void TearDown() override
    {
        WindowRegistry::Rimuovi();
        MainModule::PrinterNames = {};
        PrintingFixture::TearDown();
    }

    void archivia(const QByteArray &bytes)
    {
        platform::Connection c(MainModule::ConnString);
        c.execute(QStringLiteral("DELETE FROM _Pars WHERE k01='etiart'"));
        c.execute(QStringLiteral("INSERT INTO _Pars (k01, m01) VALUES ('etiart', ?)"), {Variant(bytes)});
    }
    QByteArray archiviato()
    {
        platform::Connection c(MainModule::ConnString);
        return c.executeQuery(QStringLiteral("SELECT m01 FROM _Pars WHERE k01='etiart'"))->value(0).toByteArray();
    }

    // A label of three per row: two barcodes of the code (EAN-13 and Code
    // 128), the description and the supplier's code.
    void salvaLayoutConCodici()
    {
        NewLabel layout;
        ReportSection &e = layout.section(LayoutEtichetta::NomeSezione);
        e.addBarcode(QStringLiteral("bcEan"), BarcodeStyle::Ean13, QStringLiteral("Codice"), 60, 30, 3200, 500)
            .captionPosition = BarcodeCaption::None;
        e.addBarcode(QStringLiteral("bc128"), BarcodeStyle::Code128Auto, QStringLiteral("Codice"), 60, 560, 3200, 500)
            .captionPosition = BarcodeCaption::None;
        e.addField(QStringLiteral("txtDescrizione"), QStringLiteral("Descrizione"), 60, 1100, 3200, 250).wordWrap = false;
        e.addField(QStringLiteral("txtFornitore"), QStringLiteral("CodiceFornitore"), 60, 1380, 1000, 250).outputFormat =
            QStringLiteral("00000;;\\ ;\\ ");
        LayoutEtichetta::FormaArchiviata(layout, Foglio{100, 100, 100, 30, 3, 300, 600, 0});
        LayoutEtichetta::Salva(layout, 30, MainModule::ConnString);
    }

    // A "Carico" without counterpart: 3 of A001, 2.5 of the long code,
    // 3.5 of an EAN-13 code, -2 of B001, and a line whose article is gone.
    void movimentoCarico()
    {
        DataFixture::runSql(database, QStringLiteral(
            "INSERT INTO Articoli (Codice, Descrizione, CodiceIVA, Prezzo, Aliquota, PrezzoIvato) VALUES"
            " ('%1', 'Cacciavite a croce con impugnatura ergonomica bimateriale, punta magnetica', '22', 5, 1.1, 6.1),"
            " ('4006381333931', 'Pinza', '22', 8, 1.76, 9.76);"
            "INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale, TipoContropartita) VALUES"
            " (10, '2025-03-01', 2, 'Carico', 'Deposito');"
            "INSERT INTO MagazRegDetail (IdDet, IdReg, Riga, CodiceArticolo, \"Quantità\", Segno) VALUES"
            " (20, 10, 10, 'A001', 3, 1), (21, 10, 20, '%1', 2.5, 1), (22, 10, 30, '4006381333931', 3.5, 1),"
            " (23, 10, 40, 'B001', -2, 1), (24, 10, 50, 'SPARITO', 7, 1);").arg(CodiceLungo));
    }

    // A new movement of the movement window, made as a user makes it: the
    // causale, the counterpart (none for a deposit), then the lines typed
    // key by key, each key to the widget that has the focus. The label
    // question is on; the caller saves.
    frm_io_MovMag_01 *nuovoMovimento(const QString &causale, const QString &controparte, const QByteArray &tasti)
    {
        RegistraFinestreRecord();
        MainModule::WorkDate = platform::DateTime(2025, 6, 2);
        MainModule::WorkYear = 2025;
        MainModule::SettingsKey = QStringLiteral("Software\\Korvane\\Velmora\\Settings");
        MainModule::ScriviRegistro(comRegistry::HKEY_CURRENT_USER, MainModule::SettingsKey, comRegistry::REG_DWORD,
                                   QStringLiteral("regAskLabelPrint"), Variant(1));
        WindowRegistry::Nuovo(QStringLiteral("frm_io_MovMag_01"));
        frm_io_MovMag_01 *w = nullptr;
        for (QWidget *t : QApplication::topLevelWidgets())
            if (auto *m = qobject_cast<frm_io_MovMag_01 *>(t); m && m->isVisible())
                w = m;
        if (!w)
            return nullptr;
        QApplication::setActiveWindow(w);
        QApplication::processEvents();
        w->cmbData->setCurrentIndex(w->cmbData->findText(causale));
        if (!controparte.isEmpty())
            w->dtcData0->setCurrentIndex(w->dtcData0->findText(controparte));
        for (const char c : tasti) {
            if (!w->gexDet->isAncestorOf(QApplication::focusWidget()))
                w->gexDet->view()->setFocus();
            QTest::keyClick(QApplication::focusWidget(), c == '\t' ? Qt::Key_Tab : Qt::Key(c));
            QApplication::processEvents();
        }
        return w;
    }
    void chiudi(frm_io_MovMag_01 *w)
    {
        w->close();
        flushDeletes();
        MainModule::ScriviRegistro(comRegistry::HKEY_CURRENT_USER, MainModule::SettingsKey, comRegistry::REG_DWORD,
                                   QStringLiteral("regAskLabelPrint"), Variant(0));
    }

    // Opens label printing for the movement through the window registry
    // and acts on the dialog.
    void conDialogo(int idReg, const std::function<void(frmPrintLabels *)> &action)
    {
        testsupport::callModal<frmPrintLabels>(
            [idReg] { EXPECT_TRUE(WindowRegistry::Apri(QStringLiteral("frmPrintLabels"), Variant(idReg))); }, action);
        flushDeletes();
    }
};

TEST_F(Etichette, StoredLayoutReadsBackWholeAndTheSheetDoesNotDriftOverTenSaves)
{
    NewLabel layout;
    EXPECT_EQ(layout.documentName(), QStringLiteral("Etichette articoli"));
    // No 'etiart' row: the built-in sheet.
    EXPECT_EQ(LayoutEtichetta::Carica(layout, MainModule::ConnString), LayoutEtichetta::Esito::Assente);
    EXPECT_EQ(LayoutEtichetta::FormaDiLavoro(layout), (Foglio{100, 100, 100, 0, 1, 300, 600, 0}));

    // A label with an item of every kind, fonts and formats, three a row.
    ASSERT_TRUE(LayoutEtichetta::Leggi(layout, DataFixture::fileBytes(Seeds.filePath(QStringLiteral("items3col.json")))));
    EXPECT_EQ(LayoutEtichetta::FormaDiLavoro(layout), (Foglio{100, 100, 100, 30, 3, 300, 600, 30}));
    ReportSection &e = layout.section(LayoutEtichetta::NomeSezione);
    const Foglio foglio{80, 70, 120, 30, 3, 350, 600, 20};
    LayoutEtichetta::FormaArchiviata(layout, foglio);
    EXPECT_DOUBLE_EQ(layout.printWidth(), 600 * 5.6677 * 3 + 30 * 5.6677 * 2);
    EXPECT_DOUBLE_EQ(e.columnSpacing, 30 * 5.6677);
    EXPECT_DOUBLE_EQ(e.height, 350 * 5.6677 + 20 * 5.6677);
    LayoutEtichetta::Salva(layout, foglio.spazioOrizzontale, MainModule::ConnString);

    for (int i = 0; i < 10; ++i) {
        NewLabel riletto;
        ASSERT_EQ(LayoutEtichetta::Carica(riletto, MainModule::ConnString), LayoutEtichetta::Esito::Caricato);
        if (i == 0) {
            EXPECT_TRUE(riletto.sameDesign(layout));
        }
        const Foglio letto = LayoutEtichetta::FormaDiLavoro(riletto);
        ASSERT_EQ(letto, foglio) << "save " << i;
        LayoutEtichetta::FormaArchiviata(riletto, letto);
        LayoutEtichetta::Salva(riletto, letto.spazioOrizzontale, MainModule::ConnString);
    }
    // One row, inserted once and then rewritten; k02 and l02 never written.
    EXPECT_EQ(DataFixture::queryColumn(database, QStringLiteral(
                  "SELECT CAST(l01 AS INTEGER) || '/' || IFNULL(k02, '-') || '/' || IFNULL(l02, '-') FROM _Pars WHERE k01='etiart'")),
              QStringList{QStringLiteral("30/-/-")});
    EXPECT_TRUE(desktop->msgBoxes().empty());
}

TEST_F(Etichette, AnUnreadableStoredLayoutIsSaidOnceLeftInPlaceAndTheBuiltInOneIsUsed)
{
    // The fuzz seeds: two layouts and five damaged blobs (truncated, wrong
    // types, huge numbers, an unknown version, no label section).
    std::vector<std::pair<QString, QByteArray>> casi;
    for (const QString &f : Seeds.entryList(QDir::Files)) {
        const QByteArray blob = DataFixture::fileBytes(Seeds.filePath(f));
        NewLabel layout;
        EXPECT_EQ(LayoutEtichetta::Leggi(layout, blob), f == u"builtin.json" || f == u"items3col.json") << f.toStdString();
        casi.emplace_back(f, blob);
    }
    ASSERT_EQ(casi.size(), 7u);
    casi.erase(std::remove_if(casi.begin(), casi.end(), [](const auto &c) { return c.first.contains(u"builtin")
                                                                                      || c.first.contains(u"items"); }),
               casi.end());
    const QByteArray valido = LayoutEtichetta::Scrivi(NewLabel());
    const auto cambia = [&](const char *from, const char *to) { return QByteArray(valido).replace(from, to); };
    NewLabel tanti;
    for (int i = 0; i < 3000; ++i)
        tanti.detail().addLabel(QStringLiteral("l%1").arg(i), QStringLiteral("x"), 0, 0, 100, 100);
    casi.emplace_back(u"not JSON"_qs, QByteArray(300, '\xff'));
    casi.emplace_back(u"negative size"_qs, cambia("\"height\": 1701", "\"height\": -1701"));
    casi.emplace_back(u"no labels per row"_qs, cambia("\"columnCount\": 1", "\"columnCount\": 0"));
    casi.emplace_back(u"another format"_qs, cambia("velmora-report-layout", "formato-antico"));
    casi.emplace_back(u"thousands of items"_qs, LayoutEtichetta::Scrivi(tanti));
    // Margins that leave no room on the paper; a twip of room is enough.
    casi.emplace_back(u"margins as wide as the paper"_qs, cambia("\"rightMargin\": 567", "\"rightMargin\": 11337"));
    casi.emplace_back(u"margins as tall as the paper"_qs, cambia("\"topMargin\": 567", "\"topMargin\": 16833"));
    {
        NewLabel stretto;
        EXPECT_TRUE(LayoutEtichetta::Leggi(stretto, cambia("\"rightMargin\": 567", "\"rightMargin\": 11336")));
        EXPECT_TRUE(LayoutEtichetta::Leggi(stretto, cambia("\"topMargin\": 567", "\"topMargin\": 16832")));
    }
    for (const auto &[caso, blob] : casi) {
        SCOPED_TRACE(caso.toStdString());
        ASSERT_NE(blob, valido);
        archivia(blob);
        desktop->clear();
        NewLabel layout;
        layout.detail().addLabel(QStringLiteral("lblPrima"), QStringLiteral("prima"), 0, 0, 100, 100);
        EXPECT_EQ(LayoutEtichetta::Carica(layout, MainModule::ConnString), LayoutEtichetta::Esito::Illeggibile);
        EXPECT_EQ(desktop->prompts(), QStringList{QStringLiteral(
                                          "Il formato dell'etichetta salvata non è leggibile: viene usato il formato predefinito.")});
        EXPECT_TRUE(layout.sameDesign(NewLabel()));
        EXPECT_EQ(archiviato(), blob);
    }
}

TEST_F(Etichette, PreviewLeavesTheSkippedPositionsEmptyAndBarcodesCarryTheWholeCodeOrShowItAsText)
{
    salvaLayoutConCodici();
    movimentoCarico();
    conDialogo(10, [&](frmPrintLabels *d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Stampa etichette"));
        // The gone article is not listed; counts start as the quantities.
        ASSERT_EQ(d->GridEX1->rowCount(), 4);
        EXPECT_EQ(d->GridEX1->textAt(2, 1), CodiceLungo);
        // The column is wide enough for the whole code.
        EXPECT_GT(d->GridEX1->column(1)->width() / 15, d->GridEX1->fontMetrics().horizontalAdvance(CodiceLungo));
        EXPECT_EQ(d->GridEX1->column(9)->caption(), QStringLiteral("N° Etichette"));
        d->txtData[0]->setText(QStringLiteral("5"));
        d->cmdPreview->click();
    });
    NewLabel *report = IstanzeReport::Istanza<NewLabel>().get();
    ASSERT_TRUE(report && report->document());
    EXPECT_EQ(MainModule::SkipLabels, 0);
    EXPECT_EQ(report->printerName(), QStringLiteral("Magazzino"));
    const ReportDocument &doc = *report->document();
    std::vector<const RenderedBand *> etichette;
    const RenderedPage page = doc.page(0);
    for (const RenderedBand &b : page.bands) {
        if (b.kind == SectionKind::Detail)
            etichette.push_back(&b);
    }
    // 3, 2.5 and 3.5 give 3 + 2 + 4 labels, -2 none; five positions
    // skipped with three per row: the first label is the third of the
    // second row.
    ASSERT_EQ(etichette.size(), 9u);
    EXPECT_EQ(etichette[0]->column, 2);
    EXPECT_NEAR(etichette[0]->rect.top(), 567 + 300 * 5.6677, 1);

    const auto item = [&](int etichetta, const QString &name) -> const RenderedItem & {
        const RenderedBand &b = *etichette[static_cast<size_t>(etichetta)];
        for (int i = b.firstItem; i < b.firstItem + b.itemCount; ++i) {
            if (page.items[static_cast<size_t>(i)].name == name)
                return page.items[static_cast<size_t>(i)];
        }
        throw std::runtime_error("no item");
    };
    // A001 cannot be an EAN-13: its code prints as text, no bars.
    EXPECT_FALSE(item(0, QStringLiteral("bcEan")).barcode->isValid());
    EXPECT_EQ(item(0, QStringLiteral("bcEan")).text, QStringLiteral("A001"));
    EXPECT_TRUE(item(0, QStringLiteral("bc128")).barcode->isValid());
    // The 40-character code whole in its barcode; the description cut to 50.
    EXPECT_EQ(item(3, QStringLiteral("bc128")).value.toString(), CodiceLungo);
    EXPECT_TRUE(item(3, QStringLiteral("bc128")).barcode->isValid());
    EXPECT_EQ(item(3, QStringLiteral("txtDescrizione")).text.size(), 50);
    EXPECT_TRUE(item(5, QStringLiteral("bcEan")).barcode->isValid());
    // No counterpart: supplier code 0 prints blank.
    EXPECT_EQ(item(0, QStringLiteral("txtFornitore")).text.trimmed(), QString());
}

TEST_F(Etichette, PrintingGoesToTheLabelPrinterAndWithoutLabelsTheDialogSaysSoAndStaysOpen)
{
    // A return: counts start negative, no label until one is typed.
    DataFixture::runSql(database, QStringLiteral(
        "INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale, TipoContropartita, IdContropartita) VALUES"
        " (11, '2025-03-02', 3, 'Reso a Fornitore', 'Fornitore', 1);"
        "INSERT INTO MagazRegDetail (IdDet, IdReg, Riga, CodiceArticolo, \"Quantità\", Segno) VALUES"
        " (30, 11, 10, 'A002', -4, 1);"));
    salvaLayoutConCodici();
    conDialogo(11, [&](frmPrintLabels *d) {
        d->cmdOK->click();
        EXPECT_EQ(desktop->prompts(), QStringList{QStringLiteral("Nessuna etichetta da stampare.")});
        EXPECT_TRUE(d->isVisible());
        EXPECT_TRUE(jobs.empty());
        // Letters are dropped from the count typed.
        d->GridEX1->setRow(1);
        d->GridEX1->setCol(9);
        d->GridEX1->view()->setFocus();
        for (const char c : {'2', 'x'})
            QTest::keyClick(QApplication::focusWidget(), c);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        // The layout cannot be read: told, and the dialog stays for a retry.
        DataFixture::runSql(database, QStringLiteral("ALTER TABLE _Pars RENAME TO Pars_via"));
        desktop->clear();
        d->cmdOK->click();
        ASSERT_EQ(desktop->prompts().size(), 1);
        EXPECT_TRUE(desktop->prompts()[0].startsWith(QStringLiteral("Impossibile leggere i dati da stampare.\r\n")));
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(MainModule::SkipLabels, 0);
        DataFixture::runSql(database, QStringLiteral("ALTER TABLE Pars_via RENAME TO _Pars"));
        d->cmdOK->click();
    });
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].options.printerName, QStringLiteral("Magazzino"));
    EXPECT_FALSE(IstanzeReport::Istanza<NewLabel>());
    EXPECT_EQ(reporttest::pdfText(jobs[0].pdf).count(QStringLiteral("Dado M3")), 2);
}

TEST_F(Etichette, EveryPrintedBarcodeDecodesToItsArticleCode)
{
    NewLabel layout;
    ReportSection &e = layout.section(LayoutEtichetta::NomeSezione);
    const std::pair<const char *, BarcodeStyle> simboli[] = {
        {"bc128", BarcodeStyle::Code128Auto}, {"bc39", BarcodeStyle::Code39}, {"bcEan", BarcodeStyle::Ean13}};
    double top = 100;
    for (const auto &[nome, stile] : simboli) {
        e.addBarcode(QString::fromLatin1(nome), stile, QStringLiteral("Codice"), 300, top, 9000, 900).captionPosition =
            BarcodeCaption::None;
        top += 1300;
    }
    LayoutEtichetta::FormaArchiviata(layout, Foglio{100, 100, 100, 0, 1, 700, 1700, 0});
    LayoutEtichetta::Salva(layout, 0, MainModule::ConnString);
    movimentoCarico();
    conDialogo(10, [](frmPrintLabels *d) { d->cmdOK->click(); });
    ASSERT_EQ(jobs.size(), 1u);

    const QString prefisso = folder + QStringLiteral("/pagina");
    reporttest::runTool(QStringLiteral("pdftoppm"),
                        {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-gray"), jobs[0].pdf, prefisso});
    QStringList immagini;
    for (const QString &f : QDir(folder).entryList({QStringLiteral("pagina*")}))
        immagini << folder + u'/' + f;
    QStringList letti = QString::fromUtf8(reporttest::runTool(QStringLiteral("zbarimg"),
                                                              QStringList{QStringLiteral("-q")} + immagini))
                            .split(u'\n', Qt::SkipEmptyParts);
    letti.removeDuplicates();
    letti.sort();
    // Every code in Code 128 and Code 39, the 40 characters whole; EAN-13
    // only for the code that is one.
    QStringList attesi{QStringLiteral("CODE-128:A001"), QStringLiteral("CODE-128:") + CodiceLungo,
                       QStringLiteral("CODE-128:4006381333931"), QStringLiteral("CODE-39:A001"),
                       QStringLiteral("CODE-39:") + CodiceLungo, QStringLiteral("CODE-39:4006381333931"),
                       QStringLiteral("EAN-13:4006381333931")};
    attesi.sort();
    EXPECT_EQ(letti, attesi);
}

TEST_F(Etichette, ALayoutSavedInTheDesignerReopensAlikeInAnotherCopyOfTheProgram)
{
    // Items of every kind, with odd fonts and places off the grid.
    NewLabel disegnato;
    ASSERT_TRUE(LayoutEtichetta::Leggi(disegnato, DataFixture::fileBytes(Seeds.filePath(QStringLiteral("items3col.json")))));
    ReportSection &e = disegnato.section(LayoutEtichetta::NomeSezione);
    ASSERT_GE(e.controls().size(), 5u);
    ReportControl &primo = *e.controls()[0];
    primo.font = FontSpec{QStringLiteral("DejaVu Serif"), 7.5, true, true, true};
    primo.left = 123.4567;
    primo.caption = QStringLiteral("Però è così");
    LayoutEtichetta::FormaArchiviata(disegnato, Foglio{85, 70, 120, 35, 3, 330, 610, 25});
    LayoutEtichetta::Salva(disegnato, 35, MainModule::ConnString);
    const QString atteso = DescrizioneEtichetta(disegnato);

    // Opened and saved again in the designer, then read by another copy.
    NewLabel nelDesigner;
    auto *w = new frmSetLabels(nelDesigner);
    w->Form_Load();
    w->show();
    w->mnuSalva->trigger();
    flushDeletes();
    ASSERT_TRUE(desktop->msgBoxes().empty()) << desktop->prompts().join(u'|').toStdString();
    QProcess altro;
    testsupport::startHelper(altro, QStringLiteral("etichetta_helper"), {QStringLiteral("descrivi"), database});
    ASSERT_TRUE(altro.waitForFinished(60000));
    EXPECT_EQ(altro.exitCode(), 0) << altro.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(altro.readAllStandardOutput()).trimmed(), atteso);
}

TEST_F(Etichette, TwoCopiesSavingAtOnceLeaveOneWholeLayoutThatAlwaysReads)
{
    // Two copies wait, then save 25 times each: one a label of 3 texts,
    // the other of 60. Meanwhile this copy keeps reading the stored blob.
    QProcess copie[2];
    const int voci[2] = {3, 60};
    for (int i = 0; i < 2; ++i) {
        testsupport::startHelper(copie[i], QStringLiteral("etichetta_helper"), {QStringLiteral("salva"), database, QString::number(voci[i]), QStringLiteral("25")});
        ASSERT_TRUE(copie[i].waitForReadyRead(60000));
        ASSERT_EQ(copie[i].readLine().trimmed(), "pronto");
    }
    for (QProcess &p : copie)
        p.write("via\n");
    const auto intero = [&](const QByteArray &blob) {
        NewLabel letto;
        if (!LayoutEtichetta::Leggi(letto, blob))
            return false;
        const auto &controlli = letto.detail().controls();
        const QString prefisso = QStringLiteral("v%1_").arg(controlli.size());
        return (controlli.size() == 3 || controlli.size() == 60)
               && std::all_of(controlli.begin(), controlli.end(), [&](const auto &c) { return c->name.startsWith(prefisso); });
    };
    int letture = 0;
    while (copie[0].state() != QProcess::NotRunning || copie[1].state() != QProcess::NotRunning) {
        platform::Connection c(MainModule::ConnString);
        const auto rs = c.executeQuery(QStringLiteral("SELECT m01 FROM _Pars WHERE k01='etiart'"));
        for (; !rs->isEOF(); rs->moveNext(), ++letture)
            ASSERT_TRUE(intero(rs->value(0).toByteArray())) << "reading " << letture;
        copie[0].waitForFinished(5);
        copie[1].waitForFinished(5);
    }
    for (QProcess &p : copie)
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_GT(letture, 0);
    EXPECT_TRUE(intero(archiviato()));
    EXPECT_EQ(DataFixture::queryValue(database, QStringLiteral("SELECT COUNT(*) FROM _Pars WHERE k01='etiart'")),
              QStringLiteral("1"));
}

TEST_F(Etichette, ANewPurchaseAnsweredYesOpensLabelPrintingWithItsLines)
{
    frm_io_MovMag_01 *w =
        nuovoMovimento(QStringLiteral("Acquisto"), QStringLiteral("Rossi Srl"), QByteArrayLiteral("A002\t4\t\tB001\t2\t\t"));
    ASSERT_NE(w, nullptr);
    desktop->queueMsgBox(platform::vbYes);
    QStringList righe;
    testsupport::callModal<frmPrintLabels>([&] { w->cmdSalva->click(); }, [&](frmPrintLabels *d) {
        for (int r = 1; r <= d->GridEX1->rowCount(); ++r)
            righe << d->GridEX1->textAt(r, 1) + u' ' + d->GridEX1->textAt(r, 9);
        d->cmdCancel->click();
    });
    EXPECT_EQ(desktop->prompts(), QStringList{QStringLiteral("Stampare le etichette?")});
    EXPECT_EQ(righe, (QStringList{QStringLiteral("A002 4"), QStringLiteral("B001 2")}));
    chiudi(w);
}

TEST_F(Etichette, TheLabelQuestionFollowsANewLoadAsAPurchaseAndNeverASale)
{
    // A new "Carico" asks as an "Acquisto" does; No prints nothing.
    frm_io_MovMag_01 *w = nuovoMovimento(QStringLiteral("Carico"), QString(), QByteArrayLiteral("A002\t4\t\t"));
    ASSERT_NE(w, nullptr);
    desktop->queueMsgBox(platform::vbNo);
    w->cmdSalva->click();
    EXPECT_EQ(desktop->prompts(), QStringList{QStringLiteral("Stampare le etichette?")});
    chiudi(w);
    // A new "Vendita" never asks.
    desktop->clear();
    w = nuovoMovimento(QStringLiteral("Vendita"), QStringLiteral("Bianchi Mario"), QByteArrayLiteral("A002\t1\t\t"));
    ASSERT_NE(w, nullptr);
    w->cmdSalva->click();
    EXPECT_TRUE(desktop->prompts().isEmpty()) << desktop->prompts().join(u'|').toStdString();
    chiudi(w);
    // Both saved, with their lines.
    EXPECT_EQ(DataFixture::queryColumn(database, QStringLiteral(
                  "SELECT m.Causale || ' ' || d.CodiceArticolo || ' ' || CAST(d.\"Quantità\" AS INTEGER) FROM MagazRegMain m"
                  " JOIN MagazRegDetail d ON d.IdReg = m.IdReg WHERE m.DataIns >= '2025-06-01' ORDER BY m.IdReg")),
              (QStringList{QStringLiteral("Carico A002 4"), QStringLiteral("Vendita A002 1")}));
    EXPECT_TRUE(jobs.empty());
}

TEST_F(Etichette, ADamagedStoredLayoutStopsEveryPrintAfterItsMessageAndTypedCountsStayNumbers)
{
    movimentoCarico();
    const QByteArray guasto = LayoutEtichetta::Scrivi(NewLabel()).left(200);
    archivia(guasto);
    const QString messaggio = QStringLiteral("Il formato dell'etichetta salvata non è leggibile: le etichette non "
                                             "vengono stampate.\r\nImpostare di nuovo l'etichetta con Strumenti, "
                                             "Imposta etichetta articoli.");
    conDialogo(10, [&](frmPrintLabels *d) {
        // A count typed in the grid reads as the counts do: right-aligned.
        d->GridEX1->setRow(1);
        d->GridEX1->setCol(9);
        d->GridEX1->view()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), '5');
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(d->GridEX1->textAt(1, 9), QStringLiteral("5"));
        for (int riga : {0, 1}) {
            const int allineamento = d->GridEX1->model()->index(riga, 8).data(Qt::TextAlignmentRole).toInt();
            EXPECT_EQ(allineamento & Qt::AlignHorizontal_Mask, Qt::AlignRight) << riga;
        }
        // Print and preview: the message, and nothing else.
        for (QPushButton *b : {d->cmdOK, d->cmdPreview}) {
            desktop->clear();
            b->click();
            EXPECT_EQ(desktop->prompts(), QStringList{messaggio});
            EXPECT_TRUE(d->isVisible());
        }
        const auto &report = IstanzeReport::Istanza<NewLabel>();
        EXPECT_TRUE(!report || !report->document());
        EXPECT_EQ(MainModule::SkipLabels, 0);
        d->cmdCancel->click();
    });
    EXPECT_TRUE(jobs.empty());

    // The designer still opens, on the built-in label.
    desktop->clear();
    testsupport::callModal<frmSetLabels>([] { frmSetLabels::Apri(MainModule::ConnString); }, [&](frmSetLabels *d) {
        QStringList caselle;
        for (QLineEdit *box : d->txtmar)
            caselle << box->text();
        EXPECT_EQ(caselle, (QStringList{"100", "100", "100", "0", "1", "300", "600", "0"}));
        d->mnuChiudi->trigger();
    });
    flushDeletes();
    const QString perDesigner = LayoutEtichetta::TestoIlleggibile();
    EXPECT_EQ(desktop->prompts(), QStringList{perDesigner});
    EXPECT_EQ(archiviato(), guasto);

    // Another copy of the program says it and ends with its error code.
    QProcess altro;
    testsupport::startHelper(altro, QStringLiteral("etichetta_helper"), {QStringLiteral("descrivi"), database});
    ASSERT_TRUE(altro.waitForFinished(60000));
    EXPECT_EQ(altro.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(altro.exitCode(), 2);
    EXPECT_EQ(QString::fromUtf8(altro.readAllStandardError()).trimmed(), perDesigner);
}

TEST_F(Etichette, ItemsOfAStoredLayoutThatCrossTheirLabelPrintInsideIt)
{
    // As an older copy stored it: items across the label's right and
    // bottom edges, a rule on its bottom edge, a box larger than the
    // label, a growing field in a growing section; three labels a row
    // with no room between them.
    NewLabel layout;
    ReportSection &e = layout.section(LayoutEtichetta::NomeSezione);
    ReportControl &descrizione = e.addField(QStringLiteral("txtDescrizione"), QStringLiteral("Descrizione"), 2500,
                                            1500, 1500, 400);
    descrizione.canGrow = true;
    e.canGrow = true;
    e.addLine(QStringLiteral("lnFondo"), 0, 1700, 3400, 1700).lineWidth = 30;
    e.addShape(QStringLiteral("shpTutto"), ShapeStyle::Rectangle, -100, -100, 5000, 3000);
    e.addBarcode(QStringLiteral("bcCodice"), BarcodeStyle::Code128Auto, QStringLiteral("Codice"), 3000, 200, 1200, 500);
    LayoutEtichetta::FormaArchiviata(layout, Foglio{100, 100, 100, 0, 3, 300, 600, 0});
    archivia(LayoutEtichetta::Scrivi(layout));
    movimentoCarico();
    conDialogo(10, [](frmPrintLabels *d) { d->cmdPreview->click(); });
    NewLabel *report = IstanzeReport::Istanza<NewLabel>().get();
    ASSERT_TRUE(report && report->document());
    const RenderedPage page = report->document()->page(0);
    int etichette = 0;
    for (const RenderedBand &b : page.bands) {
        if (b.kind != SectionKind::Detail)
            continue;
        ++etichette;
        EXPECT_NEAR(b.rect.width(), 600 * 5.6677, 0.01);
        EXPECT_NEAR(b.rect.height(), 300 * 5.6677, 0.01);
        const QRectF etichetta = b.rect.adjusted(-0.01, -0.01, 0.01, 0.01);
        for (int i = b.firstItem; i < b.firstItem + b.itemCount; ++i) {
            const RenderedItem &item = page.items[static_cast<size_t>(i)];
            QRectF occupato = item.rect.normalized();
            if (item.kind == RenderedItem::Kind::Line)
                occupato.adjust(0, -item.lineWidth / 2, 0, item.lineWidth / 2);
            EXPECT_TRUE(occupato.left() >= etichetta.left() && occupato.top() >= etichetta.top()
                        && occupato.right() <= etichetta.right() && occupato.bottom() <= etichetta.bottom())
                << item.name.toStdString() << " of label " << etichette;
        }
    }
    EXPECT_EQ(etichette, 9);
}

TEST_F(Etichette, AnEan8LabelDecodesToItsEightDigitsAndAWrongCheckDigitPrintsAsText)
{
    DataFixture::runSql(database, QStringLiteral(
        "INSERT INTO Articoli (Codice, Descrizione, CodiceIVA) VALUES ('96385074', 'Buono', '22'), ('96385075', 'Storto', '22');"
        "INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale, TipoContropartita) VALUES"
        " (12, '2025-03-04', 4, 'Carico', 'Deposito');"
        "INSERT INTO MagazRegDetail (IdDet, IdReg, Riga, CodiceArticolo, \"Quantità\", Segno) VALUES"
        " (40, 12, 10, '96385074', 1, 1), (41, 12, 20, '96385075', 1, 1);"));
    NewLabel layout;
    layout.section(LayoutEtichetta::NomeSezione)
        .addBarcode(QStringLiteral("bcEan8"), BarcodeStyle::Ean8, QStringLiteral("Codice"), 300, 200, 5000, 1200)
        .captionPosition = BarcodeCaption::None;
    LayoutEtichetta::FormaArchiviata(layout, Foglio{100, 100, 100, 0, 1, 400, 1700, 0});
    LayoutEtichetta::Salva(layout, 0, MainModule::ConnString);
    conDialogo(12, [](frmPrintLabels *d) { d->cmdOK->click(); });
    ASSERT_EQ(jobs.size(), 1u);

    const QString prefisso = folder + QStringLiteral("/ean8");
    reporttest::runTool(QStringLiteral("pdftoppm"),
                        {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-gray"), jobs[0].pdf, prefisso});
    QStringList immagini;
    for (const QString &f : QDir(folder).entryList({QStringLiteral("ean8*")}))
        immagini << folder + u'/' + f;
    ASSERT_FALSE(immagini.isEmpty());
    EXPECT_EQ(QString::fromUtf8(reporttest::runTool(QStringLiteral("zbarimg"), QStringList{QStringLiteral("-q")} + immagini))
                  .trimmed(),
              QStringLiteral("EAN-8:96385074"));
    // The code with the wrong check digit is there as text, where its
    // bars would be.
    EXPECT_EQ(pdfLines(jobs[0].pdf), QStringLiteral("96385075"));
}

TEST_F(Etichette, TwoCopiesSavingTheFirstLayoutOfADatabaseAtOnceLeaveOneRow)
{
    // The first copy stops inside its save just before it adds the row;
    // the second saves meanwhile and has to wait for the first.
    QProcess primo;
    testsupport::startHelper(primo, QStringLiteral("etichetta_helper"),
                             {QStringLiteral("primo"), database, QStringLiteral("3"), QStringLiteral("ferma")});
    ASSERT_EQ(testsupport::helperLine(primo), "dentro");
    QProcess secondo;
    testsupport::startHelper(secondo, QStringLiteral("etichetta_helper"),
                             {QStringLiteral("primo"), database, QStringLiteral("5"), QStringLiteral("attendi")});
    ASSERT_EQ(testsupport::helperLine(secondo), "in attesa");
    primo.write("via\n");
    ASSERT_TRUE(primo.waitForFinished(60000));
    ASSERT_TRUE(secondo.waitForFinished(60000));
    EXPECT_EQ(primo.exitCode(), 0) << primo.readAllStandardError().toStdString();
    EXPECT_EQ(secondo.exitCode(), 0) << secondo.readAllStandardError().toStdString();
    // One row, holding the layout saved last.
    EXPECT_EQ(DataFixture::queryValue(database, QStringLiteral("SELECT COUNT(*) FROM _Pars WHERE k01='etiart'")),
              QStringLiteral("1"));
    NewLabel letto;
    ASSERT_EQ(LayoutEtichetta::Carica(letto, MainModule::ConnString), LayoutEtichetta::Esito::Caricato);
    EXPECT_EQ(letto.section(LayoutEtichetta::NomeSezione).controls().size(), 5u);
}

} // namespace
