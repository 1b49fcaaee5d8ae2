// The label designer through its widgets: the sheet page, items placed on
// the canvas with their dialogs, formatting, saving through the label
// layout module, closing without saving, and the item dialogs' answers.
#include "PrintingFixture.h"

#include "DataFixture.h"
#include "ReportTestSupport.h"
#include "common/ModalCall.h"
#include "platform/report/PreviewWindow.h"
#include "platform/report/ReportDocument.h"
#include "platform/report/ReportPainter.h"
#include "printing/LayoutEtichetta.h"
#include "printing/NewLabel.h"
#include "printing/RegistraStampe.h"
#include "printing/frmSetLabels.h"
#include "printing/frmSetLabels_io_Barcode.h"
#include "printing/frmSetLabels_io_Fields.h"
#include "printing/frmSetLabels_io_Label.h"
#include "shell/MainModule.h"
#include "shell/WindowRegistry.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

using namespace platform;
using namespace platform::report;
using testsupport::DataFixture;

namespace {

class SetLabels : public PrintingFixture
{
protected:
    void TearDown() override
    {
        delete window.data();
        flushDeletes();
        PrintingFixture::TearDown();
    }

    frmSetLabels &open()
    {
        delete window.data();
        layout = std::make_unique<NewLabel>();
        window = new frmSetLabels(*layout);
        window->Form_Load();
        window->show();
        QApplication::setActiveWindow(window);
        return *window;
    }

    QStringList boxes() const
    {
        QStringList texts;
        for (QLineEdit *box : window->txtmar)
            texts << box->text();
        return texts;
    }

    // Retypes a box and leaves it with Tab.
    void type(int box, const QString &text)
    {
        QLineEdit *edit = window->txtmar[box];
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Tab);
        QApplication::processEvents();
    }

    // Chooses a tool and clicks the label at (x, y) twips.
    void place(QAction *tool, double x, double y)
    {
        tool->trigger();
        QTest::mouseClick(window->ard->viewport(), Qt::LeftButton, {}, window->ard->viewportPoint(QPointF(x, y)));
    }
    template <typename Dialog>
    void placeWith(QAction *tool, double x, double y, const std::function<void(Dialog *)> &answer)
    {
        testsupport::callModal<Dialog>([&] { place(tool, x, y); }, answer);
    }

    const std::vector<std::unique_ptr<ReportControl>> &items() const
    {
        return layout->section(QStringLiteral("Etichetta")).controls();
    }

    QString etiart(const QString &column) const
    {
        return DataFixture::queryValue(database, QStringLiteral("SELECT %1 FROM _Pars WHERE k01='etiart'").arg(column));
    }

    std::unique_ptr<NewLabel> layout;
    QPointer<frmSetLabels> window;
};

} // namespace

TEST_F(SetLabels, OpensOnTheSheetPageWithTheBuiltInNumbersMenusAndBoxRules)
{
    frmSetLabels &w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral(" Etichetta articoli - A4"));
    EXPECT_EQ(boxes(), (QStringList{"100", "100", "100", "0", "1", "300", "600", "0"}));
    EXPECT_FALSE(w.txtmar[frmSetLabels::SpazioOrizzontale]->isEnabled());
    EXPECT_EQ(w.lblTitolo->text(), QStringLiteral("Margini e dimensioni Etichetta in decimi di millimetro"));
    EXPECT_EQ(w.txtmar[3]->toolTip(), QStringLiteral("Spazio orizzontale tra etichette"));
    EXPECT_EQ(desktop->callsOf<RemoveCloseButtonCall>().size(), 1u);
    QStringList menus;
    for (QAction *menu : w.menu->actions()) {
        menus << menu->text();
        for (QAction *item : menu->menu()->actions())
            menus << QStringLiteral("  ") + item->text();
    }
    EXPECT_EQ(menus, (QStringList{"&File", "  &Salva", "  ", "  &Chiudi", "Visualizza", "  Layout &Pagina",
                                  "  Layout &Etichetta", "  ", "  &Anteprima di stampa", "&?", "  &Guida in linea",
                                  "  Informazioni su"}));
    EXPECT_EQ(w.tbs->tabText(0), QStringLiteral("Generale"));
    EXPECT_EQ(w.tbs->tabText(1), QStringLiteral("Layout Etichetta"));
    EXPECT_TRUE(w.mnuViewItem[0]->isChecked());
    w.mnuViewItem[1]->trigger();
    EXPECT_EQ(w.frmeti->currentIndex(), 1);
    EXPECT_EQ(w.tbs->currentIndex(), 1);
    EXPECT_FALSE(w.mnuViewItem[0]->isChecked());
    w.MostraPagina(1);

    // Tab goes 4, 0, 2, 7, 6, 5, 1 (3 is disabled); Enter moves on too.
    w.txtmar[4]->setFocus();
    QList<int> order{4};
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), i % 2 ? Qt::Key_Tab : Qt::Key_Return);
        order << static_cast<int>(std::find(w.txtmar.begin(), w.txtmar.end(), QApplication::focusWidget()) - w.txtmar.begin());
    }
    EXPECT_EQ(order, (QList<int>{4, 0, 2, 7, 6, 5, 1}));

    // Zero labels in a row, or no number, keep the focus; a count above 1
    // opens the horizontal spacing, 1 closes it at 0.
    type(4, QStringLiteral("0"));
    EXPECT_EQ(QApplication::focusWidget(), w.txtmar[4]);
    type(4, QStringLiteral("3"));
    EXPECT_NE(QApplication::focusWidget(), w.txtmar[4]);
    EXPECT_TRUE(w.txtmar[3]->isEnabled());
    type(3, QStringLiteral("30"));
    type(4, QStringLiteral("1"));
    EXPECT_FALSE(w.txtmar[3]->isEnabled());
    EXPECT_EQ(w.txtmar[3]->text(), QStringLiteral("0"));
    type(6, QString());
    EXPECT_EQ(QApplication::focusWidget(), w.txtmar[6]);
    // Letters never get in; the label's width follows box 6 at once.
    type(6, QStringLiteral("5x00"));
    EXPECT_EQ(w.txtmar[6]->text(), QStringLiteral("500"));
    EXPECT_DOUBLE_EQ(layout->printWidth(), 500 * 5.6677);

    // Esc leaves the window open; "&Chiudi" closes it without a row.
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_TRUE(w.isVisible());
    w.mnuChiudi->trigger();
    flushDeletes();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(DataFixture::queryValue(database, QStringLiteral("SELECT COUNT(*) FROM _Pars WHERE k01='etiart'")),
              QStringLiteral("0"));
}

TEST_F(SetLabels, PlacedItemsTakeTheirDialogsAnswersAndCancelledOnesGo)
{
    frmSetLabels &w = open();
    w.MostraPagina(2);
    placeWith<frmSetLabels_io_Label>(w.tbxLabel, 100, 100, [](frmSetLabels_io_Label *d) {
        EXPECT_EQ(d->Text1->text(), QString());
        QTest::keyClicks(d->Text1, QStringLiteral("Prezzo"));
        d->cmdOK->click();
    });
    placeWith<frmSetLabels_io_Label>(w.tbxLabel, 100, 900, [](frmSetLabels_io_Label *d) { d->cmdCancel->click(); });
    placeWith<frmSetLabels_io_Fields>(w.tbxField, 100, 400, [](frmSetLabels_io_Fields *d) {
        EXPECT_EQ(d->cmbFields->currentIndex(), -1);
        d->cmbFields->setCurrentIndex(6);
        d->cmdOK->click();
    });
    // OK with nothing chosen counts as a cancel.
    placeWith<frmSetLabels_io_Fields>(w.tbxField, 1200, 400, [](frmSetLabels_io_Fields *d) { d->cmdOK->click(); });
    placeWith<frmSetLabels_io_Barcode>(w.tbxBarCode, 100, 700, [](frmSetLabels_io_Barcode *d) {
        d->cmbFields->setCurrentIndex(10);
        d->cmdOK->click();
    });
    place(w.tbxLine, 0, 1500);
    place(w.tbxShape, 2000, 100);
    EXPECT_TRUE(w.tbxSelect->isChecked());

    ASSERT_EQ(items().size(), 5u);
    const ReportControl &label = *items()[0];
    EXPECT_EQ(label.caption, QStringLiteral("Prezzo"));
    const ReportControl &field = *items()[1];
    EXPECT_EQ(QStringList({field.text, field.dataField, field.outputFormat, field.tag}),
              (QStringList{"txtPrezzo_vend_4dec", "Prezzo", "#,##0.0000", "6"}));
    const ReportControl &barcode = *items()[2];
    EXPECT_EQ(barcode.barcodeStyle, BarcodeStyle::Interleaved2of5);
    EXPECT_EQ(barcode.dataField, QStringLiteral("Codice"));
    EXPECT_EQ(barcode.caption, QStringLiteral("123"));
    EXPECT_EQ(barcode.captionPosition, BarcodeCaption::Below);
    EXPECT_EQ(items()[3]->kind, ControlKind::Line);
    EXPECT_EQ(items()[4]->kind, ControlKind::Shape);

    // "Properties List" reopens the field on its row; cancelling keeps it.
    w.ard->select(items()[1].get());
    const ReportControl before = field;
    testsupport::callModal<frmSetLabels_io_Fields>([&] { w.prop->trigger(); }, [](frmSetLabels_io_Fields *d) {
        EXPECT_EQ(d->cmbFields->currentText(), QStringLiteral("Prezzo di vendita (4 decimali)"));
        d->cmdCancel->click();
    });
    EXPECT_EQ(field, before);

    // The format bar and the font boxes act on the selected text items.
    w.ard->select(items()[0].get());
    w.ard->select(items()[1].get(), true);
    w.tFoBold->click();
    EXPECT_TRUE(items()[0]->font.bold && items()[1]->font.bold);
    EXPECT_TRUE(w.tFoBold->isChecked());
    w.cboFoFontSize->setCurrentIndex(w.cboFoFontSize->findText(QStringLiteral("14")));
    emit w.cboFoFontSize->activated(w.cboFoFontSize->currentIndex());
    EXPECT_EQ(items()[1]->font.size, 14);
    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPointSize(9);
    chosen.setItalic(true);
    desktop->queueFont(chosen);
    w.tFoFont->click();
    EXPECT_EQ(items()[0]->font, (FontSpec{QStringLiteral("DejaVu Serif"), 9, false, true, false}));
    // One text item shows its font; a shape alone leaves the boxes as they are.
    w.ard->select(items()[0].get());
    EXPECT_EQ(w.cboFoFontName->currentText(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(w.cboFoFontSize->currentText(), QStringLiteral(" 9"));
    w.ard->select(items()[4].get());
    EXPECT_FALSE(w.tFoBold->isEnabled());
    EXPECT_EQ(w.cboFoFontSize->currentText(), QStringLiteral(" 9"));
}

TEST_F(SetLabels, SavesTheSheetFormThroughTheModuleAndReopensAsDesigned)
{
    frmSetLabels &w = open();
    type(4, QStringLiteral("3"));
    type(3, QStringLiteral("30"));
    type(7, QStringLiteral("20"));
    w.MostraPagina(2);
    placeWith<frmSetLabels_io_Fields>(w.tbxField, 150, 150, [](frmSetLabels_io_Fields *d) {
        d->cmbFields->setCurrentIndex(1);
        d->cmdOK->click();
    });
    const std::vector<ReportControl> designed{*items()[0]};

    // The preview lays a page of sample labels out, three in a row.
    w.mnuAnteprima->trigger();
    ASSERT_NE(w.LayoutAnteprima(), nullptr);
    const auto doc = w.LayoutAnteprima()->document();
    ASSERT_TRUE(doc && doc->pageCount() == 1);
    EXPECT_TRUE(doc->pageText(0).startsWith(QStringLiteral("Articolo di prova 1 Articolo di prova 2 Articolo di prova 3")))
        << doc->pageText(0).left(200).toStdString();

    // A failing database keeps the window open with the work in it.
    DataFixture::runSql(database, QStringLiteral("ALTER TABLE _Pars RENAME TO Pars_altrove"));
    w.mnuSalva->trigger();
    ASSERT_EQ(desktop->msgBoxes().size(), 1u);
    EXPECT_TRUE(desktop->prompts().front().startsWith(frmSetLabels::TestoSalvataggioFallito() + "\r\n"));
    EXPECT_TRUE(w.isVisible());
    DataFixture::runSql(database, QStringLiteral("ALTER TABLE Pars_altrove RENAME TO _Pars"));

    w.mnuSalva->trigger();
    flushDeletes();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(etiart(QStringLiteral("l01 = 30")), QStringLiteral("1"));
    EXPECT_EQ(etiart(QStringLiteral("COALESCE(k02, 'vuoto') || COALESCE(l02, 'vuoto')")), QStringLiteral("vuotovuoto"));
    NewLabel stored;
    ASSERT_EQ(LayoutEtichetta::Carica(stored, MainModule::ConnString), LayoutEtichetta::Esito::Caricato);
    const ReportSection &section = stored.section(QStringLiteral("Etichetta"));
    EXPECT_DOUBLE_EQ(stored.printWidth(), 600 * 5.6677 * 3 + 30 * 5.6677 * 2);
    EXPECT_DOUBLE_EQ(section.columnSpacing, 30 * 5.6677);
    EXPECT_EQ(section.columnCount, 3);
    EXPECT_DOUBLE_EQ(section.height, 300 * 5.6677 + 20 * 5.6677);
    ASSERT_EQ(section.controls().size(), 1u);
    EXPECT_EQ(*section.controls()[0], designed[0]);

    // Reopened: the same numbers and item; a second save updates the row.
    open();
    EXPECT_EQ(boxes(), (QStringList{"100", "100", "100", "30", "3", "300", "600", "20"}));
    ASSERT_EQ(items().size(), 1u);
    EXPECT_EQ(*items()[0], designed[0]);
    window->mnuSalva->trigger();
    EXPECT_EQ(DataFixture::queryValue(database, QStringLiteral("SELECT COUNT(*) FROM _Pars WHERE k01='etiart'")),
              QStringLiteral("1"));
}

TEST_F(SetLabels, TheToolsMenuOpensTheDesignerModallyOnTheOpenDatabase)
{
    RegistraFinestreStampa();
    testsupport::callModal<frmSetLabels>([] { EXPECT_TRUE(WindowRegistry::Nuovo(QStringLiteral("frmSetLabels"))); },
                                         [](frmSetLabels *d) {
                                             EXPECT_TRUE(d->isModal());
                                             EXPECT_EQ(d->parentWidget(), nullptr);
                                             d->mnuChiudi->trigger();
                                         });
    flushDeletes();
    WindowRegistry::Rimuovi();
}

TEST_F(SetLabels, ItemDialogsAnswerTheirChoices)
{
    using testsupport::callModal;
    struct TextCase {
        QString typed;
        bool ok;
        QString answer;
    };
    for (const TextCase &c : {TextCase{QStringLiteral("Offerta"), true, QStringLiteral("Offerta")},
                              TextCase{QStringLiteral("Offerta"), false, QString()}}) {
        QString answer = QStringLiteral("-");
        callModal<frmSetLabels_io_Label>([&] { answer = frmSetLabels_io_Label::Edita(QStringLiteral("Vecchio")); },
                                         [&](frmSetLabels_io_Label *d) {
                                             EXPECT_EQ(d->windowTitle(), QStringLiteral("Testo"));
                                             EXPECT_EQ(d->lblSottotitolo->text(),
                                                       QStringLiteral("Inserire il testo da visualizzare"));
                                             EXPECT_EQ(d->Text1->text(), QStringLiteral("Vecchio"));
                                             d->Text1->setText(c.typed);
                                             (c.ok ? d->cmdOK : d->cmdCancel)->click();
                                         });
        EXPECT_EQ(answer, c.answer);
    }

    struct ListCase {
        QString row;   // what the item keeps in its Tag
        int choose;    // -2: leave the selection as it opened
        bool ok;
        int answer;
    };
    const ListCase cases[] = {{QString(), -2, true, -1}, {QStringLiteral("2"), -2, true, 2},
                              {QStringLiteral("9"), 4, false, -1}, {QStringLiteral("99"), -2, true, -1}};
    for (const ListCase &c : cases) {
        frmSetLabels_io_Fields::Scelta field;
        callModal<frmSetLabels_io_Fields>([&] { field = frmSetLabels_io_Fields::Edita(c.row); },
                                          [&](frmSetLabels_io_Fields *d) {
                                              EXPECT_EQ(d->windowTitle(), QStringLiteral("Campi"));
                                              EXPECT_EQ(d->cmbFields->count(), 10);
                                              if (c.choose != -2)
                                                  d->cmbFields->setCurrentIndex(c.choose);
                                              (c.ok ? d->cmdOK : d->cmdCancel)->click();
                                          });
        EXPECT_EQ(field.riga, c.answer) << c.row.toStdString();
        frmSetLabels_io_Barcode::Scelta barcode;
        callModal<frmSetLabels_io_Barcode>([&] { barcode = frmSetLabels_io_Barcode::Edita(c.row); },
                                           [&](frmSetLabels_io_Barcode *d) {
                                               EXPECT_EQ(d->lblTitolo->text(), QStringLiteral("Codice a barre (Articoli)"));
                                               EXPECT_EQ(d->cmbFields->count(), 13);
                                               if (c.choose != -2)
                                                   d->cmbFields->setCurrentIndex(c.choose);
                                               (c.ok ? d->cmdOK : d->cmdCancel)->click();
                                           });
        EXPECT_EQ(barcode.riga, c.answer);
    }
    // The supplier code row carries its format; the EAN-13 row its style.
    ReportControl supplier;
    callModal<frmSetLabels_io_Fields>(
        [&] { frmSetLabels_io_Fields::Applica(supplier, frmSetLabels_io_Fields::Edita(QStringLiteral("2"))); },
        [](frmSetLabels_io_Fields *d) { d->cmdOK->click(); });
    EXPECT_EQ(supplier.outputFormat, QStringLiteral("00000;;\\ ;\\ "));
    EXPECT_EQ(supplier.dataField, QStringLiteral("CodiceFornitore"));
    EXPECT_EQ(frmSetLabels_io_Barcode::Codici[9].stile, BarcodeStyle::Ean13);
}

TEST_F(SetLabels, AnImpossibleSheetIsNamedTheBoxTakesTheFocusAndNothingIsStored)
{
    desktop->setTakesFocus(true);
    struct Caso {
        std::vector<std::pair<int, QString>> caselle;
        QString messaggio;
        int fuoco;
    };
    const Caso casi[] = {
        // Three a row, the width typed 6350 instead of 635.
        {{{4, "3"}, {6, "6350"}},
         "Larghezza etichetta: la riga di etichette misura 19050 decimi di millimetro, oltre il massimo di 17643.", 6},
        {{{4, "12"}, {3, "2000"}},
         "Spazio orizzontale tra etichette: la riga di etichette misura 29200 decimi di millimetro, oltre il massimo "
         "di 17643.", 3},
        {{{0, "1500"}, {1, "601"}},
         "Margine sinistro: i margini sinistro e destro insieme (2101 decimi di millimetro) non lasciano spazio sul "
         "foglio, largo 2100 decimi di millimetro.", 0},
        {{{2, "2970"}},
         "Margine superiore: il margine (2970 decimi di millimetro) non lascia spazio sul foglio, alto 2970 decimi di "
         "millimetro.", 2},
        {{{5, "0"}}, "Altezza etichetta: il valore deve essere maggiore di zero.", 5},
        {{{6, "0"}}, "Larghezza etichetta: il valore deve essere maggiore di zero.", 6},
        {{{7, "99999"}}, "Spazio verticale tra etichette: il valore supera il massimo di 17643 decimi di millimetro.", 7},
        {{{5, "17000"}, {7, "1000"}},
         "Altezza etichetta: etichetta e spazio verticale insieme misurano 18000 decimi di millimetro, oltre il "
         "massimo di 17643.", 5},
    };
    for (const Caso &caso : casi) {
        SCOPED_TRACE(caso.messaggio.toStdString());
        frmSetLabels &w = open();
        for (const auto &[box, text] : caso.caselle)
            type(box, text);
        // Saving and previewing alike: told, the box has the focus, the
        // window stays and keeps what was typed.
        for (QAction *comando : {w.mnuAnteprima, w.mnuSalva}) {
            w.MostraPagina(2);
            desktop->clear();
            comando->trigger();
            QApplication::processEvents();
            EXPECT_EQ(desktop->prompts(), QStringList{caso.messaggio});
            EXPECT_EQ(QApplication::focusWidget(), w.txtmar[caso.fuoco]);
            EXPECT_EQ(w.PaginaCorrente(), 1);
        }
        EXPECT_EQ(w.LayoutAnteprima(), nullptr);
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(w.txtmar[caso.caselle.back().first]->text(), caso.caselle.back().second);
        EXPECT_EQ(etiart(QStringLiteral("COUNT(*)")), QStringLiteral("0"));
    }

    // Corrected, the sheet is stored and reads back.
    type(5, QStringLiteral("381"));
    type(7, QStringLiteral("0"));
    type(4, QStringLiteral("3"));
    type(6, QStringLiteral("635"));
    desktop->clear();
    window->mnuSalva->trigger();
    EXPECT_TRUE(desktop->prompts().isEmpty());
    NewLabel stored;
    ASSERT_EQ(LayoutEtichetta::Carica(stored, MainModule::ConnString), LayoutEtichetta::Esito::Caricato);
    EXPECT_EQ(LayoutEtichetta::FormaDiLavoro(stored), (LayoutEtichetta::Foglio{100, 100, 100, 0, 3, 381, 635, 0}));
}

TEST_F(SetLabels, ItemsStayInsideALabelMadeSmallerAndComeBackWhenItGrowsAgain)
{
    frmSetLabels &w = open();
    w.MostraPagina(2);
    // A field near the label's bottom right corner, a box at its top left,
    // a rule across it near its bottom.
    placeWith<frmSetLabels_io_Fields>(w.tbxField, 1700, 1300, [](frmSetLabels_io_Fields *d) {
        d->cmbFields->setCurrentIndex(1);
        d->cmdOK->click();
    });
    place(w.tbxShape, 0, 0);
    place(w.tbxLine, 0, 1400);
    ASSERT_EQ(items().size(), 3u);
    const auto geometria = [&] {
        std::vector<std::array<double, 6>> g;
        for (const auto &c : items())
            g.push_back({c->left, c->top, c->width, c->height, c->x2, c->y2});
        return g;
    };
    const auto posato = geometria();
    const ReportControl &field = *items()[0];
    const ReportControl &shape = *items()[1];
    const ReportControl &line = *items()[2];
    EXPECT_EQ(QList<double>({field.left, field.top, field.width, field.height}), QList<double>({1700, 1304, 1440, 270}));
    EXPECT_EQ(QList<double>({line.top, line.y2, line.lineWidth}), QList<double>({1417, 1417, 15}));
    w.MostraPagina(1);
    QApplication::setActiveWindow(&w);

    // 20 mm high: the field moves up to the new edge, the rule too, half
    // its width inside; the box stays.
    const double h200 = 200 * 5.6677;
    type(5, QStringLiteral("200"));
    EXPECT_DOUBLE_EQ(field.top, h200 - 270);
    EXPECT_DOUBLE_EQ(line.top, h200 - 7.5);
    EXPECT_DOUBLE_EQ(line.y2, h200 - 7.5);
    EXPECT_EQ(QList<double>({shape.left, shape.top, shape.width, shape.height}), QList<double>({0, 0, 1000, 500}));
    // 40 mm wide: the field moves left, whole.
    type(6, QStringLiteral("400"));
    EXPECT_DOUBLE_EQ(field.left, 400 * 5.6677 - 1440);
    EXPECT_EQ(field.width, 1440);
    // 5 mm high: the box, taller than the label, is cut to it.
    type(5, QStringLiteral("50"));
    EXPECT_DOUBLE_EQ(shape.height, 50 * 5.6677);
    EXPECT_EQ(shape.top, 0);
    EXPECT_DOUBLE_EQ(field.top, 50 * 5.6677 - 270);
    for (const auto &c : items()) {
        const QRectF box = LayoutDesigner::boxOf(*c);
        EXPECT_TRUE(box.left() >= 0 && box.top() >= 0 && box.right() <= 400 * 5.6677 + 0.01
                    && box.bottom() <= 50 * 5.6677 + 0.01)
            << c->name.toStdString();
    }
    // Back to 60 × 30 mm: every item where it was placed.
    type(5, QStringLiteral("300"));
    type(6, QStringLiteral("600"));
    EXPECT_EQ(geometria(), posato);

}

TEST_F(SetLabels, OpensLargeEnoughForItsLabelWithinTheScreenAndDrawsBarcodesThatDecode)
{
    // A 63.5 × 38.1 mm label with an EAN-13 barcode across it.
    frmSetLabels &w = open();
    type(6, QStringLiteral("635"));
    type(5, QStringLiteral("381"));
    w.MostraPagina(2);
    placeWith<frmSetLabels_io_Barcode>(w.tbxBarCode, 200, 200, [](frmSetLabels_io_Barcode *d) {
        d->cmbFields->setCurrentText(QStringLiteral("EAN_13"));
        d->cmdOK->click();
    });
    // Wider and taller with Shift and the arrows.
    w.ard->setFocus();
    for (int i = 0; i < 30; ++i)
        QTest::keyClick(w.ard, Qt::Key_Right, Qt::ShiftModifier);
    for (int i = 0; i < 12; ++i)
        QTest::keyClick(w.ard, Qt::Key_Down, Qt::ShiftModifier);
    ASSERT_EQ(items().size(), 1u);
    EXPECT_EQ(items()[0]->barcodeStyle, BarcodeStyle::Ean13);
    w.mnuSalva->trigger();

    // Reopened as the menu opens it: the whole label in view at the
    // designer's scale, the window within the screen; the canvas and the
    // print preview's first label draw barcodes a scanner reads.
    const auto zbar = [&](const QImage &image, const QString &name) {
        const QString png = folder + u'/' + name;
        return image.save(png) ? reporttest::runTool(QStringLiteral("zbarimg"), {QStringLiteral("-q"), png}).trimmed()
                               : QByteArray();
    };
    bool aperto = false;
    testsupport::callModal<frmSetLabels>([] { frmSetLabels::Apri(MainModule::ConnString); }, [&](frmSetLabels *d) {
        aperto = true;
        d->MostraPagina(2);
        QApplication::processEvents();
        EXPECT_TRUE(d->screen()->availableGeometry().contains(d->frameGeometry())) << d->width() << "x" << d->height();
        EXPECT_EQ(d->ard->horizontalScrollBar()->maximum(), 0);
        EXPECT_EQ(d->ard->verticalScrollBar()->maximum(), 0);
        EXPECT_EQ(d->ard->zoom(), 2.0);
        EXPECT_EQ(zbar(d->ard->viewport()->grab().toImage(), QStringLiteral("designer.png")), "EAN-13:4006381333931");
        d->mnuAnteprima->trigger();
        ASSERT_TRUE(d->LayoutAnteprima() && d->LayoutAnteprima()->document());
        const QImage pagina = ReportPainter::renderPage(*d->LayoutAnteprima()->document(), 0, 300);
        EXPECT_EQ(zbar(pagina.copy(0, 0, 1000, 560), QStringLiteral("anteprima.png")), "EAN-13:8001234500016");
        d->mnuChiudi->trigger();
    });
    EXPECT_TRUE(aperto);
    flushDeletes();
}

TEST_F(SetLabels, TheTextDialogRefusesAPastedTextTheLayoutCannotKeep)
{
    desktop->setTakesFocus(true);
    QApplication::clipboard()->setText(QString(10001, u'x'));
    QString answer;
    testsupport::callModal<frmSetLabels_io_Label>([&] { answer = frmSetLabels_io_Label::Edita(QString()); },
                                                  [&](frmSetLabels_io_Label *d) {
                                                      d->Text1->setFocus();
                                                      QTest::keyClick(d->Text1, Qt::Key_V, Qt::ControlModifier);
                                                      d->cmdOK->click();
                                                      QApplication::processEvents();
                                                      EXPECT_EQ(desktop->prompts(),
                                                                QStringList{QStringLiteral(
                                                                    "Il testo è troppo lungo: al massimo 10000 "
                                                                    "caratteri (ne contiene 10001).")});
                                                      EXPECT_TRUE(d->isVisible());
                                                      EXPECT_EQ(QApplication::focusWidget(), d->Text1);
                                                      EXPECT_EQ(d->Text1->text().size(), 10001);
                                                      QTest::keyClick(d->Text1, Qt::Key_Backspace);
                                                      d->cmdOK->click();
                                                  });
    EXPECT_EQ(answer, QString(10000, u'x'));
}
