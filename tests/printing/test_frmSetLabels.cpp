// The label designer through its widgets: the sheet page, items placed on
// the canvas with their dialogs, formatting, saving through the label
// layout module, closing without saving, and the item dialogs' answers.
#include "PrintingFixture.h"

#include "DataFixture.h"
#include "common/ModalCall.h"
#include "platform/report/PreviewWindow.h"
#include "platform/report/ReportDocument.h"
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
#include <QComboBox>
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
