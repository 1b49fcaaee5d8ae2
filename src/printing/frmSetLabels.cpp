#include "printing/frmSetLabels.h"

#include "common/comHelp.h"
#include "common/comUtility.h"
#include "common/comfrmAbout.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/report/ReportControl.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/ReportSection.h"
#include "common/comRepLib.h"
#include "platform/base/RuntimeError.h"
#include "printing/LayoutEtichetta.h"
#include "printing/NewLabel.h"
#include "printing/UpDown.h"
#include "printing/frmSetLabels_io_Barcode.h"
#include "printing/frmSetLabels_io_Fields.h"
#include "printing/frmSetLabels_io_Label.h"
#include "shell/MainModule.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

using platform::report::BarcodeStyle;
using platform::report::ControlKind;
using platform::report::LayoutDesigner;
using platform::report::ReportControl;
using platform::report::ReportLayout;
using platform::report::ReportSection;

namespace {

const QString SezioneEtichetta = QStringLiteral("Etichetta");

// The picture of a label sheet the geometry boxes sit on: a page with two
// rows of three labels, each box on the length it gives.
class FoglioEtichette : public QWidget
{
public:
    FoglioEtichette(const std::array<QLineEdit *, 8> &caselle, QWidget *parent)
        : QWidget(parent), m_caselle(caselle)
    {
    }

protected:
    struct Disegno {
        QRectF pagina;
        QRectF etichetta; // the first label; the others follow it
        double spazioX = 0;
        double spazioY = 0;
    };

    Disegno disegno() const
    {
        Disegno d;
        d.pagina = QRectF(rect()).adjusted(4, 4, -4, -4);
        const double box = m_caselle[0]->sizeHint().height();
        const double marginX = std::max(d.pagina.width() * 0.14, m_caselle[0]->width() + 16.0);
        const double marginY = 2.5 * box;
        d.spazioX = std::max(d.pagina.width() * 0.06, m_caselle[0]->width() + 8.0);
        d.spazioY = box + 10;
        const double w = (d.pagina.width() - 2 * marginX - 2 * d.spazioX) / 3;
        const double h = std::max(3.0 * box, (d.pagina.height() - marginY - d.spazioY - box) / 2);
        d.etichetta = QRectF(d.pagina.left() + marginX, d.pagina.top() + marginY, w, h);
        return d;
    }

    void resizeEvent(QResizeEvent *) override
    {
        const Disegno d = disegno();
        const QRectF &e = d.etichetta;
        const auto metti = [this](int box, QPointF centre) {
            QLineEdit *edit = m_caselle[box];
            edit->move(static_cast<int>(centre.x() - edit->width() / 2.0),
                       static_cast<int>(centre.y() - edit->height() / 2.0));
        };
        metti(frmSetLabels::MargineSuperiore, QPointF(e.center().x(), (d.pagina.top() + e.top()) / 2));
        metti(frmSetLabels::MargineSinistro, QPointF((d.pagina.left() + e.left()) / 2, e.center().y()));
        metti(frmSetLabels::MargineDestro,
              QPointF((d.pagina.right() + e.left() + 3 * e.width() + 2 * d.spazioX) / 2, e.center().y()));
        metti(frmSetLabels::LarghezzaEtichetta, QPointF(e.center().x(), e.top() + e.height() * 0.3));
        metti(frmSetLabels::AltezzaEtichetta, QPointF(e.center().x(), e.top() + e.height() * 0.7));
        metti(frmSetLabels::SpazioOrizzontale, QPointF(e.right() + d.spazioX / 2, e.center().y()));
        metti(frmSetLabels::SpazioVerticale, QPointF(e.center().x(), e.bottom() + d.spazioY / 2));
    }

    void paintEvent(QPaintEvent *) override
    {
        const Disegno d = disegno();
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.fillRect(d.pagina, Qt::white);
        p.setPen(QColor(90, 90, 90));
        p.drawRect(d.pagina);
        p.setBrush(QColor(225, 235, 250));
        for (int row = 0; row < 2; ++row)
            for (int col = 0; col < 3; ++col)
                p.drawRoundedRect(d.etichetta.translated(col * (d.etichetta.width() + d.spazioX),
                                                         row * (d.etichetta.height() + d.spazioY)),
                                  4, 4);
    }

private:
    std::array<QLineEdit *, 8> m_caselle;
};

// A database error in the user's words, with what the data layer said.
void Avvisa(const QString &cosa, const platform::RuntimeError &e)
{
    platform::desktop().msgBox(cosa + QStringLiteral("\r\n") + e.description().trimmed(),
                               platform::vbExclamation | platform::vbOKOnly, MainModule::ApplicationTitle);
}

// The boxes' names, their tooltips, by index.
const QString NomiCaselle[8] = {
    QStringLiteral("Margine sinistro"),
    QStringLiteral("Margine destro"),
    QStringLiteral("Margine superiore"),
    QStringLiteral("Spazio orizzontale tra etichette"),
    QStringLiteral("Numero di etichette in orizzontale"),
    QStringLiteral("Altezza etichetta"),
    QStringLiteral("Larghezza etichetta"),
    QStringLiteral("Spazio verticale tra etichette"),
};

struct Attrezzo {
    const char *chiave;
    const char *testo;
    std::optional<ControlKind> tipo;
};

constexpr Attrezzo Attrezzi[] = {
    {"tbxSelect", "Select", std::nullopt},         {"tbxLabel", "Label", ControlKind::Label},
    {"tbxField", "Field", ControlKind::Field},     {"tbxBarCode", "Barcode", ControlKind::Barcode},
    {"tbxLine", "Line", ControlKind::Line},        {"tbxShape", "Shape", ControlKind::Shape},
};

} // namespace

frmSetLabels::frmSetLabels(ReportLayout &layout, QWidget *parent) : QDialog(parent), m_layout(layout)
{
    setObjectName(QStringLiteral("frmSetLabels"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral(" Etichetta articoli - A4"));
    setSizeGripEnabled(true);

    CreaMenu();
    tbs = new QTabBar(this);
    tbs->setObjectName(QStringLiteral("tbs"));
    tbs->addTab(QStringLiteral("Generale"));
    tbs->addTab(QStringLiteral("Layout Etichetta"));
    tbs->setFocusPolicy(Qt::NoFocus);
    frmeti = new QStackedWidget(this);
    frmeti->setObjectName(QStringLiteral("frmeti"));
    frmeti->addWidget(CreaPaginaGenerale());
    frmeti->addWidget(CreaPaginaEtichetta());
    sb = new QStatusBar(this);
    sb->setObjectName(QStringLiteral("sb"));
    sb->setSizeGripEnabled(false);

    auto *layoutWindow = new QVBoxLayout(this);
    layoutWindow->setMenuBar(menu);
    layoutWindow->addWidget(tbs);
    layoutWindow->addWidget(frmeti, 1);
    layoutWindow->addWidget(sb);

    connect(tbs, &QTabBar::tabBarClicked, this, [this](int index) { MostraPagina(index + 1); });
    MostraPagina(1);
    txtmar[EtichetteInOrizzontale]->setFocus();
    MainModule::DisabilitaChiudi(this);
}

frmSetLabels::~frmSetLabels()
{
    // The canvas lets go of the layout before the window does.
    ard->attach(nullptr, QString());
}

void frmSetLabels::CreaMenu()
{
    menu = new QMenuBar(this);
    menu->setObjectName(QStringLiteral("menu"));
    QMenu *file = menu->addMenu(QStringLiteral("&File"));
    mnuSalva = file->addAction(QStringLiteral("&Salva"), this, &frmSetLabels::Salva);
    file->addSeparator();
    mnuChiudi = file->addAction(QStringLiteral("&Chiudi"), this, &frmSetLabels::Chiudi);

    QMenu *view = menu->addMenu(QStringLiteral("Visualizza"));
    const QString pages[] = {QStringLiteral("Layout &Pagina"), QStringLiteral("Layout &Etichetta")};
    for (int k = 0; k < 2; ++k) {
        mnuViewItem[k] = view->addAction(pages[k], this, [this, k] { MostraPagina(k + 1); });
        mnuViewItem[k]->setCheckable(true);
    }
    view->addSeparator();
    mnuAnteprima = view->addAction(QStringLiteral("&Anteprima di stampa"), this, &frmSetLabels::Anteprima);

    QMenu *help = menu->addMenu(QStringLiteral("&?"));
    mnuGuida = help->addAction(QStringLiteral("&Guida in linea"), this, [] {
        comHelp::MostraGuida(comHelp::LabelDesigner, MainModule::CartellaProgramma());
    });
    mnuInformazioni = help->addAction(QStringLiteral("Informazioni su"), this,
                                      [this] { comfrmAbout::Default().About(this, QString()); });
}

QWidget *frmSetLabels::CreaPaginaGenerale()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("frmeti1"));
    lblTitolo = new QLabel(QStringLiteral("Margini e dimensioni Etichetta in decimi di millimetro"), page);
    QFont bold = lblTitolo->font();
    bold.setBold(true);
    lblTitolo->setFont(bold);
    lblNumero = new QLabel(QStringLiteral("Numero di Etichette in orizzontale:"), page);

    for (int i = 0; i < 8; ++i) {
        txtmar[i] = new QLineEdit(page);
        txtmar[i]->setObjectName(QStringLiteral("txtmar%1").arg(i));
        txtmar[i]->setToolTip(NomiCaselle[i]);
        txtmar[i]->setAlignment(Qt::AlignRight);
        // Up to a metre in tenths; up to 999 labels in a row.
        txtmar[i]->setMaxLength(i == EtichetteInOrizzontale ? 3 : 5);
        txtmar[i]->setFixedWidth(fontMetrics().averageCharWidth() * 9);
        comUtility::installKeyFilter(txtmar[i], comUtility::DigitKeyFilter);
        txtmar[i]->installEventFilter(this);
    }
    auto *sheet = new FoglioEtichette(txtmar, page);
    sheet->setMinimumSize(fontMetrics().averageCharWidth() * 80, fontMetrics().height() * 18);
    for (int i = 0; i < 8; ++i) {
        if (i != EtichetteInOrizzontale)
            txtmar[i]->setParent(sheet);
    }
    lblNumero->setBuddy(txtmar[EtichetteInOrizzontale]);
    upd = new UpDown(page);
    upd->setObjectName(QStringLiteral("upd"));
    upd->setBuddy(txtmar[EtichetteInOrizzontale]);
    upd->setRange(1, 12);
    upd->setFixedSize(fontMetrics().height(), txtmar[EtichetteInOrizzontale]->sizeHint().height());
    for (QToolButton *arrow : {upd->upButton(), upd->downButton()})
        connect(arrow, &QToolButton::clicked, this, [this] { txtmar_Validate(EtichetteInOrizzontale); });

    auto *count = new QHBoxLayout;
    count->addWidget(lblNumero);
    count->addWidget(txtmar[EtichetteInOrizzontale]);
    count->addWidget(upd);
    count->addStretch(1);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(lblTitolo);
    layout->addLayout(count);
    layout->addWidget(sheet, 1);

    // Tab order: count, left and top margin, vertical and horizontal
    // spacing, label width and height, right margin.
    const int order[] = {4, 0, 2, 7, 3, 6, 5, 1};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(txtmar[order[i - 1]], txtmar[order[i]]);
    return page;
}

QWidget *frmSetLabels::CreaPaginaEtichetta()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("frmeti2"));

    tbToolbox = new QToolBar(page);
    tbToolbox->setObjectName(QStringLiteral("tbToolbox"));
    tbToolbox->setOrientation(Qt::Vertical);
    tbToolbox->setToolButtonStyle(Qt::ToolButtonTextOnly);
    strumenti = new QActionGroup(this);
    for (const Attrezzo &a : Attrezzi) {
        QAction *action = tbToolbox->addAction(QString::fromLatin1(a.testo));
        action->setObjectName(QString::fromLatin1(a.chiave));
        action->setCheckable(true);
        strumenti->addAction(action);
    }
    const QList<QAction *> tools = strumenti->actions();
    tbxSelect = tools[0];
    tbxLabel = tools[1];
    tbxField = tools[2];
    tbxBarCode = tools[3];
    tbxLine = tools[4];
    tbxShape = tools[5];
    tbxSelect->setChecked(true);
    tbToolbox->addSeparator();
    prop = tbToolbox->addAction(QStringLiteral("Properties List"));
    prop->setObjectName(QStringLiteral("prop"));
    connect(tbToolbox, &QToolBar::actionTriggered, this, &frmSetLabels::tbToolbox_ButtonClick);

    tbFormat = new QToolBar(page);
    tbFormat->setObjectName(QStringLiteral("tbFormat"));
    cboFoFontName = new QComboBox(page);
    cboFoFontName->setObjectName(QStringLiteral("cboFoFontName"));
    cboFoFontName->setToolTip(QStringLiteral("Tipo di carattere"));
    cboFoFontName->setMinimumContentsLength(18);
    cboFoFontSize = new QComboBox(page);
    cboFoFontSize->setObjectName(QStringLiteral("cboFoFontSize"));
    cboFoFontSize->setToolTip(QStringLiteral("Dimensione del carattere"));
    cboFoFontSize->setMinimumContentsLength(3);
    tbFormat->addWidget(cboFoFontName);
    tbFormat->addWidget(cboFoFontSize);
    connect(cboFoFontName, &QComboBox::activated, this, &frmSetLabels::cboFoFontName_Click);
    connect(cboFoFontSize, &QComboBox::activated, this, &frmSetLabels::cboFoFontSize_Click);

    const auto button = [this](const char *name, const QString &text, const QString &tip, int action) {
        auto *b = new QToolButton(tbFormat);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(text);
        b->setToolTip(tip);
        b->setCheckable(action != 0);
        if (action != 0)
            b->setProperty("Tag", action);
        tbFormat->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, b] { tbFormat_ButtonClick(b); });
        return b;
    };
    tbFormat->addSeparator();
    // The format buttons keep the designer action they run in their Tag.
    tFoBold = button("tFoBold", QStringLiteral("G"), QStringLiteral("Grassetto"), LayoutDesigner::Bold);
    tFoItalic = button("tFoItalic", QStringLiteral("C"), QStringLiteral("Corsivo"), LayoutDesigner::Italic);
    tFoUnderline =
        button("tFoUnderline", QStringLiteral("S"), QStringLiteral("Sottolineato"), LayoutDesigner::Underline);
    QFont f = tFoBold->font();
    f.setBold(true);
    tFoBold->setFont(f);
    f = tFoItalic->font();
    f.setItalic(true);
    tFoItalic->setFont(f);
    f = tFoUnderline->font();
    f.setUnderline(true);
    tFoUnderline->setFont(f);
    tbFormat->addSeparator();
    tFoAlignLeft = button("tFoAlignLeft", QStringLiteral("Sinistra"), QStringLiteral("Allinea a sinistra"),
                          LayoutDesigner::AlignLeft);
    tFoAlignCenter = button("tFoAlignCenter", QStringLiteral("Centro"), QStringLiteral("Allinea al centro"),
                            LayoutDesigner::AlignCenter);
    tFoAlignRight = button("tFoAlignRight", QStringLiteral("Destra"), QStringLiteral("Allinea a destra"),
                           LayoutDesigner::AlignRight);
    tbFormat->addSeparator();
    tFoFont = button("tFoFont", QStringLiteral("Carattere..."), QStringLiteral("Scegli il carattere"), 0);
    tFoFont->disconnect(this);
    connect(tFoFont, &QToolButton::clicked, this, &frmSetLabels::tFoFont_Click);

    ard = new LayoutDesigner(page);
    ard->setObjectName(QStringLiteral("ard"));
    ard->installEventFilter(this);
    connect(ard, &LayoutDesigner::layoutChanged, this, &frmSetLabels::ard_LayoutChange);
    connect(ard, &LayoutDesigner::selectionChanged, this, &frmSetLabels::AggiornaFormato);
    connect(ard, &LayoutDesigner::commandStateChanged, this, &frmSetLabels::AggiornaFormato);

    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(tbFormat, 0, 0, 1, 2);
    grid->addWidget(tbToolbox, 1, 0);
    grid->addWidget(ard, 1, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
    return page;
}

void frmSetLabels::MostraPagina(int page)
{
    const int index = page == 2 ? 1 : 0;
    frmeti->setCurrentIndex(index);
    tbs->setCurrentIndex(index);
    for (int k = 0; k < 2; ++k)
        mnuViewItem[k]->setChecked(k == index);
}

int frmSetLabels::PaginaCorrente() const
{
    return frmeti->currentIndex() + 1;
}

void frmSetLabels::Apri(const QString &connString)
{
    // The designer edits a label report of its own, so that a label preview
    // still open elsewhere keeps its layout; it goes with the window.
    auto report = std::make_unique<NewLabel>();
    auto *window = new frmSetLabels(*report);
    window->m_proprio = std::move(report);
    window->m_connString = connString;
    window->Form_Load();
    window->Dimensiona();
    window->exec();
}

QString frmSetLabels::TestoLetturaFallita()
{
    return QStringLiteral("Impossibile leggere il formato dell'etichetta: viene usato il formato predefinito.");
}

QString frmSetLabels::TestoSalvataggioFallito()
{
    return QStringLiteral("Impossibile salvare il formato dell'etichetta.");
}

void frmSetLabels::Form_Load()
{
    // The stored layout, or the built-in one (said once when the stored one
    // cannot be read); a database error is shown and the built-in layout
    // stays.
    try {
        LayoutEtichetta::Carica(m_layout, MainModule::ConnString);
    } catch (const platform::RuntimeError &e) {
        Avvisa(TestoLetturaFallita(), e);
    }
    MostraLayout();
}

void frmSetLabels::MostraLayout()
{
    // The layout has its section: the built-in one or a stored one that
    // passed the reader's checks.
    const LayoutEtichetta::Foglio foglio = LayoutEtichetta::FormaDiLavoro(m_layout);
    const long long numeri[] = {foglio.margineSinistro,  foglio.margineDestro,     foglio.margineSuperiore,
                                foglio.spazioOrizzontale, foglio.etichettePerRiga, foglio.altezza,
                                foglio.larghezza,         foglio.spazioVerticale};
    for (int i = 0; i < 8; ++i)
        txtmar[i]->setText(QString::number(numeri[i]));
    ard->attach(&m_layout, LayoutEtichetta::NomeSezione);
    RicordaDisegno();
    CaricaFont();
    CaricaDimensioni();
    AbilitaSpazioOrizzontale(txtmar[EtichetteInOrizzontale]->text() != QLatin1String("1"));
    AggiornaFormato();
}

void frmSetLabels::Dimensiona()
{
    // The hint counts both pages; the canvas's hint is its label at scale.
    // Qt would keep a new window within two thirds of the screen: here the
    // whole available room counts, less the window manager's frame.
    const QScreen *schermo = screen() ? screen() : QGuiApplication::primaryScreen();
    QSize voluto = sizeHint();
    if (schermo) {
        const int bordo = style()->pixelMetric(QStyle::PM_DefaultFrameWidth) * 2 + 8;
        const QSize spazio = schermo->availableGeometry().size()
                             - QSize(bordo, bordo + style()->pixelMetric(QStyle::PM_TitleBarHeight));
        voluto = voluto.boundedTo(spazio);
    }
    resize(voluto.expandedTo(minimumSizeHint()));
}

std::optional<int> frmSetLabels::Valore(int box) const
{
    bool ok = false;
    const QString text = txtmar[box]->text().trimmed();
    const int value = text.toInt(&ok);
    if (!ok || value < 0)
        return std::nullopt;
    return value;
}

bool frmSetLabels::txtmar_Validate(int box)
{
    const std::optional<int> value = Valore(box);
    if (!value)
        return false;
    switch (box) {
    case EtichetteInOrizzontale:
        if (*value == 0)
            return false;
        AbilitaSpazioOrizzontale(*value != 1);
        break;
    case AltezzaEtichetta:
    case LarghezzaEtichetta:
        AdattaEtichetta();
        break;
    default:
        break;
    }
    return true;
}

void frmSetLabels::AbilitaSpazioOrizzontale(bool enabled)
{
    QLineEdit *box = txtmar[SpazioOrizzontale];
    box->setReadOnly(!enabled);
    box->setEnabled(enabled);
    if (!enabled)
        box->setText(QStringLiteral("0"));
}

bool frmSetLabels::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ard && event->type() == QEvent::FocusIn)
        sb->showMessage(QStringLiteral(" Impostare il layout dell'etichetta"));
    const auto it = std::find(txtmar.begin(), txtmar.end(), watched);
    if (it == txtmar.end())
        return QDialog::eventFilter(watched, event);
    QLineEdit *box = *it;
    const int index = static_cast<int>(it - txtmar.begin());
    switch (event->type()) {
    case QEvent::FocusIn: {
        // The box being typed in is yellow, its text selected.
        QPalette yellow = box->palette();
        yellow.setColor(QPalette::Base, QColor(255, 255, 0));
        box->setPalette(yellow);
        QTimer::singleShot(0, box, &QLineEdit::selectAll);
        break;
    }
    case QEvent::FocusOut: {
        box->setPalette(QPalette());
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        // A box left with no valid number takes the focus back.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && isVisible()
            && !txtmar_Validate(index))
            QTimer::singleShot(0, box, [box] { box->setFocus(Qt::OtherFocusReason); });
        break;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void frmSetLabels::keyPressEvent(QKeyEvent *event)
{
    // Enter and Esc do not close the window: it ends through its menu.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    QDialog::keyPressEvent(event);
}

void frmSetLabels::reject()
{
    if (m_chiusuraConsentita)
        QDialog::reject();
}

void frmSetLabels::RicordaDisegno()
{
    m_disegno.clear();
    for (const auto &c : m_layout.section(LayoutEtichetta::NomeSezione).controls())
        m_disegno.push_back({c.get(), c->left, c->top, c->width, c->height, c->x2, c->y2});
}

void frmSetLabels::AdattaEtichetta()
{
    ReportSection &etichetta = m_layout.section(LayoutEtichetta::NomeSezione);
    if (const auto altezza = Valore(AltezzaEtichetta))
        etichetta.height = *altezza * LayoutEtichetta::TwipPerDecimo;
    if (const auto larghezza = Valore(LarghezzaEtichetta))
        m_layout.setPrintWidth(*larghezza * LayoutEtichetta::TwipPerDecimo);
    for (const auto &c : etichetta.controls()) {
        const auto p = std::find_if(m_disegno.begin(), m_disegno.end(),
                                    [&](const Posizione &d) { return d.voce == c.get(); });
        if (p == m_disegno.end())
            continue;
        c->left = p->left;
        c->top = p->top;
        c->width = p->width;
        c->height = p->height;
        c->x2 = p->x2;
        c->y2 = p->y2;
    }
    LayoutEtichetta::TieniDentro(etichetta, QSizeF(m_layout.printWidth(), etichetta.height));
    ard->refresh();
}

void frmSetLabels::ard_LayoutChange(ReportControl *item, LayoutDesigner::Change change)
{
    // The items stand where the user put them, and the boxes rule the
    // label's size.
    RicordaDisegno();
    AdattaEtichetta();
    if (change == LayoutDesigner::Change::Placed && item) {
        const ControlKind kind = item->kind;
        if (kind == ControlKind::Label || kind == ControlKind::Field || kind == ControlKind::Barcode) {
            if (!ModificaVoce(*item, true))
                ard->execute(LayoutDesigner::DeleteSelection);
        }
        tbxSelect->setChecked(true);
        ard->setTool(std::nullopt);
    }
    AggiornaFormato();
}

bool frmSetLabels::ModificaVoce(ReportControl &item, bool nuova)
{
    bool fatto = false;
    switch (item.kind) {
    case ControlKind::Label:
        fatto = frmSetLabels_io_Label::Applica(item, frmSetLabels_io_Label::Edita(nuova ? QString() : item.caption, this));
        break;
    case ControlKind::Field:
        fatto = frmSetLabels_io_Fields::Applica(item, frmSetLabels_io_Fields::Edita(nuova ? QString() : item.tag, this));
        break;
    case ControlKind::Barcode:
        fatto = frmSetLabels_io_Barcode::Applica(item,
                                                 frmSetLabels_io_Barcode::Edita(nuova ? QString() : item.tag, this));
        break;
    default:
        return false;
    }
    if (fatto)
        ard->refresh();
    return fatto;
}

void frmSetLabels::tbToolbox_ButtonClick(QAction *button)
{
    if (button == prop) {
        const QList<ReportControl *> selected = ard->selection();
        if (selected.size() == 1)
            ModificaVoce(*selected.front(), false);
        tbxSelect->setChecked(true);
        ard->setTool(std::nullopt);
        AggiornaFormato();
        return;
    }
    for (size_t i = 0; i < std::size(Attrezzi); ++i) {
        if (button->objectName() == QLatin1String(Attrezzi[i].chiave))
            ard->setTool(Attrezzi[i].tipo);
    }
}

void frmSetLabels::tbFormat_ButtonClick(QToolButton *button)
{
    const QVariant tag = button->property("Tag");
    if (tag.isValid())
        ard->execute(tag.toInt());
    AggiornaFormato();
}

namespace {

bool conCarattere(const ReportControl *c)
{
    return c->kind == ControlKind::Label || c->kind == ControlKind::Field || c->kind == ControlKind::Barcode;
}

} // namespace

void frmSetLabels::tFoFont_Click()
{
    QList<ReportControl *> items;
    for (ReportControl *c : ard->selection()) {
        if (conCarattere(c))
            items << c;
    }
    if (items.isEmpty())
        return;
    const platform::report::FontSpec &now = items.front()->font;
    QFont initial(now.family);
    initial.setPointSizeF(now.size);
    initial.setBold(now.bold);
    initial.setItalic(now.italic);
    initial.setUnderline(now.underline);
    const std::optional<QFont> chosen = platform::desktop().chooseFont(initial, QStringLiteral("Carattere"));
    if (!chosen)
        return;
    for (ReportControl *c : items) {
        c->font.family = chosen->family();
        if (chosen->pointSizeF() > 0)
            c->font.size = chosen->pointSizeF();
        c->font.bold = chosen->bold();
        c->font.italic = chosen->italic();
        c->font.underline = chosen->underline();
    }
    ard_LayoutChange(items.front(), LayoutDesigner::Change::Formatted);
}

void frmSetLabels::cboFoFontName_Click()
{
    const QString family = cboFoFontName->currentText();
    bool changed = false;
    for (ReportControl *c : ard->selection()) {
        if (conCarattere(c) && !family.isEmpty()) {
            c->font.family = family;
            changed = true;
        }
    }
    if (changed)
        ard_LayoutChange(ard->selection().front(), LayoutDesigner::Change::Formatted);
}

void frmSetLabels::cboFoFontSize_Click()
{
    bool ok = false;
    const double size = cboFoFontSize->currentText().trimmed().toDouble(&ok);
    if (!ok || size <= 0)
        return;
    bool changed = false;
    for (ReportControl *c : ard->selection()) {
        if (conCarattere(c)) {
            c->font.size = size;
            changed = true;
        }
    }
    if (changed)
        ard_LayoutChange(ard->selection().front(), LayoutDesigner::Change::Formatted);
}

void frmSetLabels::AggiornaPulsante(QToolButton *button, int action)
{
    const int state = ard->actionState(action);
    button->setEnabled(state & LayoutDesigner::Available);
    button->setChecked(state & LayoutDesigner::On);
}

void frmSetLabels::AggiornaFormato()
{
    for (QToolButton *b : {tFoBold, tFoItalic, tFoUnderline, tFoAlignLeft, tFoAlignCenter, tFoAlignRight})
        AggiornaPulsante(b, b->property("Tag").toInt());
    const bool conTesto = ard->actionState(LayoutDesigner::FontName) & LayoutDesigner::Available;
    tFoFont->setEnabled(conTesto);
    cboFoFontName->setEnabled(conTesto);
    cboFoFontSize->setEnabled(conTesto);
    if (cboFoFontName->count() == 0)
        CaricaFont();
    if (cboFoFontSize->count() == 0)
        CaricaDimensioni();
    const QList<ReportControl *> selected = ard->selection();
    if (selected.size() == 1 && conCarattere(selected.front())) {
        const platform::report::FontSpec &font = selected.front()->font;
        // A family this desktop lacks (the layout may come from another)
        // is still shown by its name.
        if (cboFoFontName->findText(font.family, Qt::MatchFixedString) < 0)
            cboFoFontName->addItem(font.family);
        cboFoFontName->setCurrentIndex(cboFoFontName->findText(font.family, Qt::MatchFixedString));
        const QString size = QString::number(font.size).rightJustified(2, u' ');
        cboFoFontSize->setCurrentIndex(cboFoFontSize->findText(size));
    } else if (selected.size() != 1) {
        cboFoFontName->setCurrentIndex(-1);
        cboFoFontSize->setCurrentIndex(-1);
    }
}

void frmSetLabels::CaricaFont()
{
    if (cboFoFontName->count() == 0)
        cboFoFontName->addItems(QFontDatabase::families());
}

void frmSetLabels::CaricaDimensioni()
{
    if (cboFoFontSize->count() > 0)
        return;
    for (const char *size : {" 8", " 9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36", "48", "72"})
        cboFoFontSize->addItem(QString::fromLatin1(size));
}

std::optional<LayoutEtichetta::Foglio> frmSetLabels::FoglioDelleCaselle()
{
    // Boxes not yet validated (the one being typed in) are checked now; a
    // box without a valid number takes the focus and nothing is saved.
    const int order[] = {4, 0, 2, 7, 3, 6, 5, 1};
    for (int box : order) {
        if (!txtmar_Validate(box)) {
            MostraPagina(1);
            txtmar[box]->setFocus(Qt::OtherFocusReason);
            return std::nullopt;
        }
    }
    LayoutEtichetta::Foglio f;
    f.margineSinistro = *Valore(MargineSinistro);
    f.margineDestro = *Valore(MargineDestro);
    f.margineSuperiore = *Valore(MargineSuperiore);
    f.spazioOrizzontale = *Valore(SpazioOrizzontale);
    f.etichettePerRiga = *Valore(EtichetteInOrizzontale);
    f.altezza = *Valore(AltezzaEtichetta);
    f.larghezza = *Valore(LarghezzaEtichetta);
    f.spazioVerticale = *Valore(SpazioVerticale);
    return f;
}

std::unique_ptr<ReportLayout> frmSetLabels::LayoutDaSalvare(const LayoutEtichetta::Foglio &foglio) const
{
    // A copy, so that the designer keeps its working form (and the user's
    // work) whatever becomes of the save.
    auto copia = std::make_unique<NewLabel>();
    copia->loadBytes(m_layout.toBytes());
    LayoutEtichetta::FormaArchiviata(*copia, foglio);
    return copia;
}

frmSetLabels::Segnalazione frmSetLabels::Segnala(const LayoutEtichetta::Difetto &difetto,
                                                const LayoutEtichetta::Foglio &foglio, const ReportLayout &layout)
{
    using LayoutEtichetta::Regola;
    // The largest whole tenths that a length may hold.
    const long long massimo = static_cast<long long>(LayoutEtichetta::MaxTwip / LayoutEtichetta::TwipPerDecimo);
    const auto nome = [](int box) { return NomiCaselle[box]; };
    const auto troppo = [&](int box) {
        return Segnalazione{box, QStringLiteral("%1: il valore supera il massimo di %2 decimi di millimetro.")
                                     .arg(nome(box))
                                     .arg(massimo)};
    };
    const auto zero = [&](int box) {
        return Segnalazione{box, QStringLiteral("%1: il valore deve essere maggiore di zero.").arg(nome(box))};
    };
    const QSizeF carta = layout.page().paperSize();
    switch (difetto.regola) {
    case Regola::MargineSinistro:
        return troppo(MargineSinistro);
    case Regola::MargineDestro:
        return troppo(MargineDestro);
    case Regola::MargineSuperiore:
        return troppo(MargineSuperiore);
    case Regola::SpazioVerticale:
        return troppo(SpazioVerticale);
    case Regola::SpazioOrizzontale:
        return troppo(SpazioOrizzontale);
    case Regola::MarginiOrizzontali: {
        const int box = foglio.margineSinistro > foglio.margineDestro ? MargineSinistro : MargineDestro;
        return Segnalazione{box, QStringLiteral("%1: i margini sinistro e destro insieme (%2 decimi di millimetro) "
                                                "non lasciano spazio sul foglio, largo %3 decimi di millimetro.")
                                     .arg(nome(box))
                                     .arg(foglio.margineSinistro + foglio.margineDestro)
                                     .arg(LayoutEtichetta::DecimiDaTwip(carta.width()))};
    }
    case Regola::MarginiVerticali:
        return Segnalazione{MargineSuperiore,
                            QStringLiteral("%1: il margine (%2 decimi di millimetro) non lascia spazio sul foglio, "
                                           "alto %3 decimi di millimetro.")
                                .arg(nome(MargineSuperiore))
                                .arg(foglio.margineSuperiore)
                                .arg(LayoutEtichetta::DecimiDaTwip(carta.height()))};
    case Regola::EtichettePerRiga:
        return Segnalazione{EtichetteInOrizzontale,
                            QStringLiteral("%1: al massimo %2 etichette per riga.")
                                .arg(nome(EtichetteInOrizzontale))
                                .arg(LayoutEtichetta::MaxEtichettePerRiga)};
    case Regola::LarghezzaEtichetta: {
        if (foglio.larghezza == 0)
            return zero(LarghezzaEtichetta);
        // The box that makes most of the row.
        const long long etichette = foglio.larghezza * foglio.etichettePerRiga;
        const long long spazi = foglio.spazioOrizzontale * (foglio.etichettePerRiga - 1);
        const int box = etichette >= spazi ? LarghezzaEtichetta : SpazioOrizzontale;
        return Segnalazione{box, QStringLiteral("%1: la riga di etichette misura %2 decimi di millimetro, "
                                                "oltre il massimo di %3.")
                                     .arg(nome(box))
                                     .arg(etichette + spazi)
                                     .arg(massimo)};
    }
    case Regola::AltezzaEtichetta: {
        if (foglio.altezza == 0)
            return zero(AltezzaEtichetta);
        const int box = foglio.altezza >= foglio.spazioVerticale ? AltezzaEtichetta : SpazioVerticale;
        return Segnalazione{box, QStringLiteral("%1: etichetta e spazio verticale insieme misurano %2 decimi di "
                                                "millimetro, oltre il massimo di %3.")
                                     .arg(nome(box))
                                     .arg(foglio.altezza + foglio.spazioVerticale)
                                     .arg(massimo)};
    }
    case Regola::NumeroVoci:
        return Segnalazione{-1, QStringLiteral("L'etichetta ha troppe voci: al massimo se ne possono salvare %1.")
                                    .arg(LayoutEtichetta::MaxVoci)};
    case Regola::MisureVoce:
        return Segnalazione{-1, QStringLiteral("La voce '%1' ha misure o un carattere fuori dai limiti.")
                                    .arg(difetto.voce ? difetto.voce->name : QString())};
    case Regola::TestoVoce:
        return Segnalazione{-1, QStringLiteral("La voce '%1' ha un testo di più di %2 caratteri o con caratteri "
                                               "non validi.")
                                    .arg(difetto.voce ? difetto.voce->name : QString())
                                    .arg(LayoutEtichetta::MaxTesto)};
    case Regola::Dimensione:
        return Segnalazione{-1, QStringLiteral("Il formato dell'etichetta è troppo grande per essere salvato: "
                                               "ridurre le voci o i loro testi.")};
    case Regola::Foglio:
    case Regola::MargineInferiore:
    case Regola::Sezioni:
        break;
    }
    return Segnalazione{-1, QStringLiteral("Il formato dell'etichetta non è valido: non può essere salvato.")};
}

std::unique_ptr<ReportLayout> frmSetLabels::LayoutVerificato(LayoutEtichetta::Foglio *caselle)
{
    const std::optional<LayoutEtichetta::Foglio> foglio = FoglioDelleCaselle();
    if (!foglio)
        return nullptr;
    if (caselle)
        *caselle = *foglio;
    std::unique_ptr<ReportLayout> layout = LayoutDaSalvare(*foglio);
    // The very rules the reader applies: what passes here reads back.
    const std::optional<LayoutEtichetta::Difetto> difetto = LayoutEtichetta::Controlla(*layout);
    if (!difetto)
        return layout;
    const Segnalazione s = Segnala(*difetto, *foglio, *layout);
    platform::desktop().msgBox(s.testo, platform::vbExclamation | platform::vbOKOnly, MainModule::ApplicationTitle);
    if (s.casella >= 0) {
        MostraPagina(1);
        txtmar[s.casella]->setFocus(Qt::OtherFocusReason);
        txtmar[s.casella]->selectAll();
    } else {
        MostraPagina(2);
        // The item at fault is the designer's own: the copy's differs.
        const auto &copie = layout->section(LayoutEtichetta::NomeSezione).controls();
        const auto &voci = m_layout.section(LayoutEtichetta::NomeSezione).controls();
        for (size_t i = 0; i < copie.size() && i < voci.size(); ++i) {
            if (copie[i].get() == difetto->voce)
                ard->select(voci[i].get());
        }
        ard->setFocus(Qt::OtherFocusReason);
    }
    return nullptr;
}

void frmSetLabels::Salva()
{
    LayoutEtichetta::Foglio foglio;
    const std::unique_ptr<ReportLayout> layout = LayoutVerificato(&foglio);
    if (!layout)
        return;
    try {
        LayoutEtichetta::Salva(*layout, foglio.spazioOrizzontale, MainModule::ConnString);
    } catch (const platform::RuntimeError &e) {
        Avvisa(TestoSalvataggioFallito(), e);
        return;
    }
    Chiudi();
}

void frmSetLabels::Chiudi()
{
    m_chiusuraConsentita = true;
    close();
}

void frmSetLabels::Anteprima()
{
    LayoutEtichetta::Foglio foglio;
    std::unique_ptr<ReportLayout> anteprima = LayoutVerificato(&foglio);
    if (!anteprima)
        return;
    try {
        anteprima->setRecordset(RecordDiProva(foglio));
        anteprima->run();
        m_anteprima = std::move(anteprima);
        m_anteprima->showPreview(this);
    } catch (const platform::RuntimeError &e) {
        comRepLib::MostraErrore(e);
    }
}

std::shared_ptr<platform::Recordset> frmSetLabels::RecordDiProva(const LayoutEtichetta::Foglio &foglio)
{
    using platform::DataType;
    using platform::Variant;
    auto rs = std::make_shared<platform::Recordset>();
    rs->appendField(QStringLiteral("Codice"), DataType::adVarWChar, 40);
    rs->appendField(QStringLiteral("Descrizione"), DataType::adVarWChar, 255);
    rs->appendField(QStringLiteral("CodiceFornitore"), DataType::adInteger);
    rs->appendField(QStringLiteral("Fornitore"), DataType::adVarWChar, 50);
    rs->appendField(QStringLiteral("CodiceArtFor"), DataType::adVarWChar, 40);
    rs->appendField(QStringLiteral("Prezzo"), DataType::adDouble);
    rs->appendField(QStringLiteral("Aliquota"), DataType::adDouble);
    rs->appendField(QStringLiteral("PrezzoIvato"), DataType::adDouble);
    rs->open();
    // A page's worth of labels: as many rows as fit the A4 height.
    const double altezza = std::max(1.0, (foglio.altezza + foglio.spazioVerticale) * LayoutEtichetta::TwipPerDecimo);
    const int righe = std::clamp(static_cast<int>((16833 - 2 * 567) / altezza), 1, 100);
    const int quante = std::clamp(static_cast<int>(righe * foglio.etichettePerRiga), 1, 1000);
    for (int i = 1; i <= quante; ++i) {
        rs->addNew();
        // EAN-13 codes with their check digit, which the other
        // numeric symbologies take as well.
        QString codice = QStringLiteral("80012345%1").arg(i, 4, 10, QLatin1Char('0'));
        int somma = 0;
        for (int k = 0; k < codice.size(); ++k)
            somma += codice[k].digitValue() * (k % 2 ? 3 : 1);
        codice += QString::number((10 - somma % 10) % 10);
        rs->setValue(0, Variant(codice));
        rs->setValue(1, Variant(QStringLiteral("Articolo di prova %1").arg(i)));
        rs->setValue(2, Variant(42));
        rs->setValue(3, Variant(QStringLiteral("Fornitore di prova")));
        rs->setValue(4, Variant(QStringLiteral("FP-%1").arg(i)));
        rs->setValue(5, Variant(12.5 + i));
        rs->setValue(6, Variant((12.5 + i) * 0.22));
        rs->setValue(7, Variant((12.5 + i) * 1.22));
        rs->update();
    }
    rs->moveFirst();
    return rs;
}
