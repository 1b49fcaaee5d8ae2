#include "shell/frmMain.h"

#include "common/comDataBase.h"
#include "common/comDateLib.h"
#include "common/comGriglia.h"
#include "common/comHelp.h"
#include "common/comfrmDbUtils.h"
#include "common/comfrmGroupBy.h"
#include "common/comfrmManData.h"
#include "common/comfrmShowfields.h"
#include "common/comfrmSort.h"
#include "common/comfrmTableview.h"
#include "common/comProgramInfo.h"
#include "common/comRegistry.h"
#include "common/comfrmAbout.h"
#include "icons/VelmoraIcons.h"
#include "platform/base/Format.h"
#include "platform/base/RuntimeError.h"
#include "platform/base/Twips.h"
#include "platform/data/Connection.h"
#include "platform/data/DatabaseError.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/ButtonBar.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/grid/Grid.h"
#include "platform/grid/GridColumn.h"
#include "platform/grid/GridKeyList.h"
#include "platform/grid/GridRowFormat.h"
#include "platform/grid/GridTypes.h"
#include "shell/EliminaRecord.h"
#include "shell/MainModule.h"
#include "shell/WindowRegistry.h"
#include "shell/frmOptions.h"

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStackedLayout>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>
#include <exception>

using platform::DateTime;
using platform::Variant;

namespace {

// The smallest window: 9405 x 6600 twips.
constexpr int MinimumWidthTwips = 9405;
constexpr int MinimumHeightTwips = 6600;
// The find label while no node is chosen.
const QString FindLabelNoNode = QStringLiteral("Trova in ..");

const QString PanelDateFormat = QStringLiteral("ddd d mmm yy");

int twipsToPixels(double twips)
{
    return platform::Twips(twips).toPixels();
}

// The width of a proportional column: its share of what is left, in whole twips.
int share(double rest, double part)
{
    return static_cast<int>(std::lround(rest * part));
}

QString nodeIconName(const cNodo &node)
{
    return QStringLiteral("node-") + node.Codice();
}

// True for the error of a database held by another program: a command that
// meets it stops there instead of waiting again on its next statement.
bool InUso(const platform::RuntimeError &error)
{
    const auto *database = dynamic_cast<const platform::DatabaseError *>(&error);
    return database && database->kind() == platform::DatabaseError::Kind::Busy;
}

} // namespace

frmMain::frmMain(QWidget *parent)
    : QMainWindow(parent)
    , m_Nodi(Navigazione::CreaNodi())
    , m_Gruppi(Navigazione::CreaGruppi())
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(MainModule::ApplicationTitle);
    setWindowIcon(velmoraIcon(QStringLiteral("app-velmora")));
    CreaControlli();
    CreaMenu();
    AbilitaComandi(false);
    // The other windows refresh this one after their changes.
    WindowRegistry::ImpostaAggiornaPrincipale([window = QPointer<frmMain>(this)] {
        if (window)
            window->SetLay();
    });
    Inizializza();
}

frmMain::~frmMain()
{
    // The grid may still point at the list's rows: unbind it first.
    if (m_gexView && m_rsVista)
        m_gexView->setRecordset(nullptr);
}

// ---------------------------------------------------------------- start-up

void frmMain::Inizializza()
{
    using namespace MainModule;
    // Older versions stored list layouts this one cannot read: they are
    // dropped on the first run of a newer version.
    const QString running = QString::number(comProgramInfo::VersionMajor()) + u'.'
                            + QString::number(comProgramInfo::VersionMinor());
    try {
        const QString stored = LeggiRegistro(comRegistry::HKEY_CURRENT_USER, SettingsKeyCopy, comRegistry::REG_SZ,
                                             QStringLiteral("prgver"), Variant(QString()))
                                   .toString();
        if (QString::compare(stored, QStringLiteral("1.4"), Qt::CaseSensitive) < 0 && !ConnString.isEmpty()) {
            platform::Connection connection(ConnString);
            // Only a database that holds such layouts is written to.
            if (!connection.executeQuery(QStringLiteral("SELECT k01 FROM _Pars WHERE k01='gridlayout'"))->isEOF()) {
                connection.beginTrans();
                try {
                    connection.execute(QStringLiteral("DELETE * FROM _Pars WHERE k01='gridlayout'"));
                    connection.commitTrans();
                } catch (...) {
                    connection.rollbackTrans();
                    throw;
                }
            }
        }
        if (stored != running)
            ScriviImpostazione(QStringLiteral("prgver"), running);
    } catch (const platform::RuntimeError &e) {
        MostraErrore(e.description());
    }

    m_LoadViewLayout = LeggiNumero(QStringLiteral("regLoadViewLayout"), 1) == 1;
    SalvaPercorso();
    WorkDate = DateTime::today();
    WorkYear = static_cast<std::int16_t>(WorkDate.year());
}

void frmMain::SalvaPercorso()
{
    using namespace MainModule;
    const QString folder = CartellaProgramma();
    try {
        const QString stored = LeggiRegistro(comRegistry::HKEY_CURRENT_USER, SettingsKeyCopy, comRegistry::REG_SZ,
                                             QStringLiteral("prgPath"), Variant(QString()))
                                   .toString();
        if (stored != folder)
            ScriviRegistro(comRegistry::HKEY_CURRENT_USER, SettingsKeyCopy, comRegistry::REG_SZ,
                           QStringLiteral("prgPath"), Variant(folder));
    } catch (const platform::RuntimeError &) {
        // The folder is only a note for other tools; the program runs without it.
    }
}

void frmMain::Visualizza()
{
    CaricaStampanti();
    m_gexView->setConnectionString(MainModule::ConnString);
    comfrmAbout::Default().SplashOn(this, 3000, MainModule::DbPath + u'/' + MainModule::DbName);
    CreaNavigazione();

    const std::array<std::int32_t, 8> stored = MainModule::CaricaImpostazioni();
    for (int i = 0; i < Navigazione::NumeroNodi; ++i) {
        cNodo &node = m_Nodi[static_cast<std::size_t>(i)];
        const std::int32_t value = stored[static_cast<std::size_t>(i)];
        const int count = node.HaSubNodi() ? node.SubNodi().Count() : 0;
        // A stored choice that the node does not have counts as the first one.
        m_FilterIdx[static_cast<std::size_t>(i)] =
            (value >= 0 && value < count) ? static_cast<std::int16_t>(value) : std::int16_t(0);
    }
    m_CurNode = -1;
    SetLay();
    comfrmAbout::Default().SplashOff();
    show();
    // Said once, now: otherwise the user could type a whole movement before
    // its save is refused.
    if (MainModule::DatabaseSolaLettura())
        platform::desktop().msgBox(MainModule::AvvisoSolaLettura(), platform::vbExclamation | platform::vbOKOnly,
                                   MainModule::ApplicationTitle);
}

// ---------------------------------------------------------------- controls

void frmMain::CreaControlli()
{
    auto *central = new QWidget(this);
    auto *outer = new QHBoxLayout(central);
    outer->setContentsMargins(2, 2, 2, 2);
    outer->setSpacing(2);

    m_bb = new platform::ButtonBar(central);
    m_bb->setObjectName(QStringLiteral("bb"));
    m_bb->setFixedWidth(110);
    outer->addWidget(m_bb);

    auto *right = new QVBoxLayout;
    right->setSpacing(3);
    outer->addLayout(right, 1);

    // The title band: the node's image and caption.
    auto *shpTitle = new QFrame(central);
    shpTitle->setObjectName(QStringLiteral("shpTitle"));
    shpTitle->setAutoFillBackground(true);
    shpTitle->setBackgroundRole(QPalette::Dark);
    auto *titleLayout = new QHBoxLayout(shpTitle);
    titleLayout->setContentsMargins(6, 3, 6, 3);
    m_imgTitle = new QLabel(shpTitle);
    m_imgTitle->setFixedSize(32, 32);
    m_lblTitle = new QLabel(shpTitle);
    m_lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = m_lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    m_lblTitle->setFont(titleFont);
    m_lblTitle->setForegroundRole(QPalette::BrightText);
    titleLayout->addWidget(m_imgTitle);
    titleLayout->addWidget(m_lblTitle, 1);
    right->addWidget(shpTitle);

    // The list, covered by the start panel while no node is chosen.
    auto *stack = new QStackedLayout;
    stack->setStackingMode(QStackedLayout::StackAll);
    m_gexView = new platform::Grid(central);
    m_gexView->setObjectName(QStringLiteral("gexView"));
    m_gexView->setLockType(platform::LockType::ReadOnly);
    m_gexView->setAllowEdit(false);
    m_gexView->setAllowAddNew(false);
    m_gexView->setAllowDelete(false);
    m_gexView->formatStyles().add(QStringLiteral("SortedCol"));
    m_gexView->formatStyles().setForeColor(QStringLiteral("SortedCol"), QColor(0, 0, 160));
    m_picStart = new QFrame(central);
    m_picStart->setObjectName(QStringLiteral("picStart"));
    m_picStart->setAutoFillBackground(true);
    m_picStart->setBackgroundRole(QPalette::Base);
    auto *startLayout = new QVBoxLayout(m_picStart);
    startLayout->addStretch();
    auto *start1 = new QLabel(QStringLiteral("Per iniziare, cliccare su una voce della barra degli oggetti"), m_picStart);
    start1->setAlignment(Qt::AlignCenter);
    start1->setWordWrap(true);
    startLayout->addWidget(start1);
    auto *helpLine = new QHBoxLayout;
    helpLine->addStretch();
    helpLine->addWidget(new QLabel(QStringLiteral("Per aprire la Guida in linea premere il tasto funzione"), m_picStart));
    auto *f1 = new QLabel(QStringLiteral("F1"), m_picStart);
    QFont keyFont = f1->font();
    keyFont.setBold(true);
    f1->setFont(keyFont);
    helpLine->addWidget(f1);
    helpLine->addStretch();
    startLayout->addLayout(helpLine);
    startLayout->addStretch();
    stack->addWidget(m_picStart);
    stack->addWidget(m_gexView);
    right->addLayout(stack, 1);
    setCentralWidget(central);

    // The toolbar: the five commands, then the find and filter panels.
    m_tb = addToolBar(QStringLiteral("tb"));
    m_tb->setObjectName(QStringLiteral("tb"));
    m_tb->setMovable(false);
    m_tb->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_tb->setIconSize(QSize(20, 20));
    auto addButton = [this](const QString &icon, const QString &caption, const QString &tip) {
        QAction *action = m_tb->addAction(velmoraIcon(icon), caption);
        action->setToolTip(tip.isEmpty() ? caption : tip);
        action->setEnabled(false);
        m_tbButtons.push_back(action);
        return action;
    };
    QAction *tbNuovo = addButton(QStringLiteral("cmd-new"), QStringLiteral("Nuovo"), {});
    connect(tbNuovo, &QAction::triggered, this, [this] { NuovoRecord(m_CurNode); });
    QAction *tbApri =
        addButton(QStringLiteral("cmd-open"), QStringLiteral("Apri"), QStringLiteral("Apre una registrazione esistente"));
    connect(tbApri, &QAction::triggered, this, &frmMain::ApriRecord);
    QAction *tbElimina = addButton(QStringLiteral("cmd-delete"), QStringLiteral("Elimina"),
                                   QStringLiteral("Elimina una registrazione esistente"));
    connect(tbElimina, &QAction::triggered, this, &frmMain::EliminaRecord);
    m_tb->addSeparator();
    QAction *refresh = addButton(QStringLiteral("cmd-refresh"), QStringLiteral("Aggiorna"), {});
    refresh->setEnabled(true);
    connect(refresh, &QAction::triggered, this, [this] { SetLay(); });
    QAction *tbStampa = addButton(QStringLiteral("cmd-print"), QStringLiteral("Stampa"),
                                  QStringLiteral("Stampa i Report della Visualizzazione attiva"));
    connect(tbStampa, &QAction::triggered, this, &frmMain::StampaVista);

    // The find and filter panels get a row of their own, so that both stay
    // whole down to the smallest window.
    addToolBarBreak();
    QToolBar *panels = addToolBar(QStringLiteral("picFind"));
    panels->setObjectName(QStringLiteral("tbFind"));
    panels->setMovable(false);
    auto *picFind = new QWidget(panels);
    auto *findLayout = new QHBoxLayout(picFind);
    findLayout->setContentsMargins(4, 0, 4, 0);
    m_lblFind = new QLabel(FindLabelNoNode, picFind);
    m_lblFind->setObjectName(QStringLiteral("lblFind"));
    m_txtFind = new QLineEdit(picFind);
    m_txtFind->setObjectName(QStringLiteral("txtFind"));
    m_txtFind->setToolTip(QStringLiteral("Inserire il testo da cercare"));
    m_txtFind->setMinimumWidth(100);
    findLayout->addWidget(m_lblFind);
    findLayout->addWidget(m_txtFind, 1);
    // Wide enough for the longest column name it can show.
    m_lblFind->setMinimumWidth(m_lblFind->fontMetrics().horizontalAdvance(QStringLiteral("Trova in Descrizione")) + 8);
    panels->addWidget(picFind);
    panels->addSeparator();

    auto *picFilter = new QWidget(panels);
    auto *filterLayout = new QHBoxLayout(picFilter);
    filterLayout->setContentsMargins(4, 0, 4, 0);
    m_lblView = new QLabel(QStringLiteral("Visualizza.."), picFilter);
    m_cmbFilter = new QComboBox(picFilter);
    m_cmbFilter->setObjectName(QStringLiteral("cmbFilter"));
    m_cmbFilter->setToolTip(QStringLiteral("Selezionare il filtro desiderato"));
    m_cmbFilter->setMinimumContentsLength(22);
    m_cmbFilter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_cmbFilter->setEnabled(false);
    m_lblView->setEnabled(false);
    filterLayout->addWidget(m_lblView);
    filterLayout->addWidget(m_cmbFilter, 1);
    panels->addWidget(picFilter);
    connect(m_cmbFilter, &QComboBox::currentIndexChanged, this, &frmMain::FiltroCambiato);

    // The status bar.
    AggiungiPannello(QStringLiteral("Data"), QStringLiteral("Data odierna"), 0);
    AggiungiPannello(QStringLiteral("WorkData"), QStringLiteral("Data di lavoro"), 0);
    AggiungiPannello(QStringLiteral("Database"), QStringLiteral("Database"), 1);
    // The counter's picture warns of articles below their minimum stock.
    m_imgContatore = new QLabel(statusBar());
    m_imgContatore->setObjectName(QStringLiteral("imgContatore"));
    statusBar()->addWidget(m_imgContatore, 0);
    QLabel *counter = AggiungiPannello(QStringLiteral("Contatore"), QStringLiteral("Ultimo movimento"), 0);
    counter->setMinimumWidth(60);
    // A click on the working date or the counter (or its picture) opens
    // its options: see eventFilter.

    connect(m_bb, &platform::ButtonBar::itemClicked, this, [this](const QString &key) {
        MostraNodo(key.toInt());
        m_gexView->setFocus();
    });
    connect(m_gexView, &platform::Grid::rowFormat, this, &frmMain::FormattaRiga);
    connect(m_gexView, &platform::Grid::doubleClicked, this, &frmMain::ApriRecord);
    connect(m_gexView, &platform::Grid::keyDown, this, &frmMain::gexView_KeyDown);
    connect(m_gexView, &platform::Grid::keyPress, this, &frmMain::gexView_KeyPress);
    connect(m_gexView, &platform::Grid::headerClicked, this, &frmMain::gexView_ColumnHeaderClick);
    connect(m_txtFind, &QLineEdit::textChanged, this, &frmMain::txtFind_Change);
    // Every event of the program passes here first: the shortcuts and F1
    // from any control of the window, the panels' clicks, the find box's and
    // the filter's keys and colours, the list's resizing.
    qApp->installEventFilter(this);

    setMinimumSize(twipsToPixels(MinimumWidthTwips), twipsToPixels(MinimumHeightTwips));
    // The window opens over most of the screen, centred, never below its
    // minimum size.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        resize(std::max(minimumWidth(), area.width() * 9 / 10), std::max(minimumHeight(), area.height() * 9 / 10));
        move(area.center() - rect().center());
    }
}

QLabel *frmMain::AggiungiPannello(const QString &key, const QString &tip, int stretch)
{
    auto *panel = new QLabel(statusBar());
    panel->setObjectName(QStringLiteral("sb_") + key);
    panel->setToolTip(tip);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setContentsMargins(4, 0, 4, 0);
    statusBar()->addWidget(panel, stretch);
    m_Pannelli[key] = panel;
    return panel;
}

QLabel *frmMain::Panel(const QString &key) const
{
    const auto it = m_Pannelli.find(key);
    return it == m_Pannelli.end() ? nullptr : it->second;
}

void frmMain::CreaMenu()
{
    m_mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    auto fileItem = [this](const QString &caption) {
        QAction *action = m_mnuFile->addAction(caption);
        m_mnuFileItem.push_back(action);
        return action;
    };
    QAction *nuovo = fileItem(QStringLiteral("Nuovo"));
    nuovo->setShortcut(QKeySequence(Qt::Key_F5));
    connect(nuovo, &QAction::triggered, this, [this] { NuovoRecord(m_CurNode); });
    m_mnuFile->addSeparator();
    m_mnuNew = m_mnuFile->addMenu(QStringLiteral("Nuovo "));
    connect(fileItem(QStringLiteral("Apri")), &QAction::triggered, this, &frmMain::ApriRecord);
    QAction *elimina = fileItem(QStringLiteral("Elimina"));
    elimina->setShortcut(QKeySequence(Qt::Key_Delete));
    connect(elimina, &QAction::triggered, this, &frmMain::EliminaRecord);
    m_mnuFile->addSeparator();
    QAction *stampa = fileItem(QStringLiteral("Stampa"));
    stampa->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F12));
    connect(stampa, &QAction::triggered, this, &frmMain::StampaVista);
    m_mnuFile->addSeparator();
    QAction *esci = fileItem(QStringLiteral("Esci"));
    connect(esci, &QAction::triggered, this, &QWidget::close);
    for (QAction *action : {nuovo, m_mnuFileItem[1], elimina, stampa})
        action->setEnabled(false);

    m_mnuView = menuBar()->addMenu(QStringLiteral("&Visualizza"));
    for (int i = 0; i <= Navigazione::UltimaVoceMenu; ++i) {
        QAction *newItem = m_mnuNew->addAction(QString());
        newItem->setVisible(false);
        connect(newItem, &QAction::triggered, this, [this, newItem] {
            bool ok = false;
            const int node = newItem->data().toString().toInt(&ok);
            if (ok)
                NuovoRecord(node);
        });
        m_mnuNewItem.push_back(newItem);
        QAction *viewItem = m_mnuView->addAction(QString());
        viewItem->setVisible(false);
        viewItem->setCheckable(true);
        connect(viewItem, &QAction::triggered, this, [this, viewItem] {
            bool ok = false;
            const int node = viewItem->data().toString().toInt(&ok);
            if (ok && SalvaLayoutVista() && MostraNodo(node))
                m_gexView->setFocus();
            else // the item the click checked gives way to the node shown
                SegnaNodoCorrente();
        });
        m_mnuViewItem.push_back(viewItem);
    }
    m_mnuView->addSeparator();
    connect(m_mnuView->addAction(QStringLiteral("Data di lavoro")), &QAction::triggered, this, [this] {
        frmOptions::ApriWorkingDate();
        SetLay();
    });
    connect(m_mnuView->addAction(QStringLiteral("Contatori")), &QAction::triggered, this, [this] {
        frmOptions::ApriMagazzino();
        SetLay();
    });
    m_mnuView->addSeparator();
    m_mnuAggiorna = m_mnuView->addAction(QStringLiteral("Aggiorna"));
    m_mnuAggiorna->setShortcut(QKeySequence(Qt::Key_F9));
    connect(m_mnuAggiorna, &QAction::triggered, this, [this] { SetLay(); });
    m_mnuView->addSeparator();
    connect(m_mnuView->addAction(QStringLiteral("&Opzioni")), &QAction::triggered, this, [this] {
        frmOptions::ApriTutto();
        SetLay();
    });

    CreaMenuComandi();
}

QAction *frmMain::VoceMenu(const QMenu *menu, const QString &caption)
{
    for (QAction *action : menu->actions())
        if (!action->isSeparator() && action->text().section(u'\t', 0, 0) == caption)
            return action;
    return nullptr;
}

void frmMain::CreaMenuComandi()
{
    // "Griglia dati": each item has its bit in the node's mask.
    m_mnuGrid = menuBar()->addMenu(QStringLiteral("&Griglia dati"));
    struct GridItem
    {
        const char *caption;
        std::int32_t tag;
        bool visible;
    };
    static const GridItem gridItems[] = {
        {"Raggruppa per &Casella", 512, false}, {"-", 0, false},        {"&Espandi tutto", 128, false},
        {"&Collassa tutto", 256, false},        {"-", 0, true},         {"&Campi", 1, true},
        {"&Ordina", 2, false},                  {"&Raggruppa", 4, false}, {"&Formato", 8, true},
        {"-", 0, true},                         {"&Predefinito", 16, true}, {"&Salva Layout", 32, false},
        {"-", 0, false},                        {"S&tampa", 64, false},
    };
    int index = 0;
    for (const GridItem &item : gridItems) {
        const QString caption = QString::fromUtf8(item.caption);
        QAction *action = caption == QLatin1String("-") ? m_mnuGrid->addSeparator() : m_mnuGrid->addAction(caption);
        action->setVisible(item.visible);
        if (!action->isSeparator()) {
            action->setEnabled(false);
            m_mnuGridItem.emplace_back(action, item.tag);
            connect(action, &QAction::triggered, this, [this, index] { mnuGridItem_Click(index); });
        }
        ++index;
    }

    m_mnuTool = menuBar()->addMenu(QStringLiteral("&Strumenti"));
    connect(m_mnuTool->addAction(QStringLiteral("Imposta etichetta articoli")), &QAction::triggered, this,
            [] { WindowRegistry::Nuovo(QStringLiteral("frmSetLabels")); });
    m_mnuTool->addSeparator();
    connect(m_mnuTool->addAction(QStringLiteral("Chiusura annuale magazzino")), &QAction::triggered, this,
            [] { WindowRegistry::Nuovo(QStringLiteral("ChiusuraMagazzino")); });
    m_mnuTool->addSeparator();
    connect(m_mnuTool->addAction(QStringLiteral("Ricalcolo Progressivi")), &QAction::triggered, this,
            [] { WindowRegistry::Nuovo(QStringLiteral("RicalcolaProgressivi")); });

    m_mnuDb = menuBar()->addMenu(QStringLiteral("&Dati"));
    const std::pair<const char *, int> dbItems[] = {
        {"&Seleziona database", 0}, {"Nuovo database", 2}, {"Tabelle", 9},
    };
    for (const auto &[caption, item] : dbItems) {
        if (item == 9)
            m_mnuDb->addSeparator();
        const int itemIndex = item;
        connect(m_mnuDb->addAction(QString::fromUtf8(caption)), &QAction::triggered, this,
                [this, itemIndex] { mnuDbItem_Click(itemIndex); });
    }

    m_mnuHelp = menuBar()->addMenu(QStringLiteral("&?"));
    const auto help = [](int context) { comHelp::MostraGuida(context, MainModule::CartellaProgramma()); };
    connect(m_mnuHelp->addAction(QStringLiteral("&Guida in linea")), &QAction::triggered, this,
            [help] { help(comHelp::StartPage); });
    connect(m_mnuHelp->addAction(QStringLiteral("La &mia prima registrazione")), &QAction::triggered, this,
            [help] { help(comHelp::FirstMovement); });
    connect(m_mnuHelp->addAction(QStringLiteral("&Tasti di scelta rapida")), &QAction::triggered, this,
            [help] { help(comHelp::ShortcutKeys); });
    m_mnuHelp->addSeparator();
    connect(m_mnuHelp->addAction(QStringLiteral("&Informazioni su")), &QAction::triggered, this,
            [this] { comfrmAbout::Default().About(this, QString()); });
}

bool frmMain::FinestreAperte() const
{
    const QWidget *splash = &comfrmAbout::Default();
    for (const QWidget *w : QApplication::topLevelWidgets()) {
        if (w == this || w == splash || !w->isVisible())
            continue;
        const Qt::WindowType type = w->windowType();
        if (type == Qt::Window || type == Qt::Dialog)
            return true;
    }
    return false;
}

void frmMain::mnuDbItem_Click(int index)
{
    if (FinestreAperte()) {
        platform::desktop().msgBox(QStringLiteral("Chiudere prima tutte le schede dati."), platform::vbOKOnly,
                                   MainModule::ApplicationTitle);
        return;
    }
    const comfrmDbUtils::Impostazioni settings{MainModule::SettingsKeyCopy, MainModule::DbPath,
                                               MainModule::DataFolder, MainModule::CartellaProgramma()};
    switch (index) {
    case 0:
        comfrmDbUtils::Seleziona(settings, this);
        break;
    case 2:
        comfrmDbUtils::Nuovo(settings, this);
        break;
    case 9: {
        const QString warning = QStringLiteral("Attenzione!\r\n\r\n")
                                + QStringLiteral("La modifica diretta delle tabelle è una operazione che va utilizzata ")
                                + QStringLiteral("solo in caso di reale necessità e comunque da utenti esperti.")
                                + QStringLiteral("\r\n\r\nProcedere?");
        if (platform::desktop().msgBox(warning, platform::vbYesNo | platform::vbExclamation | platform::vbDefaultButton2,
                                       MainModule::ApplicationTitle)
            != platform::vbYes)
            return;
        comfrmManData editor(MainModule::ConnString, this);
        editor.exec();
        break;
    }
    default:
        break;
    }
}

void frmMain::mnuGridItem_Click(int index)
{
    if (m_CurNode < 0)
        return;
    platform::Grid &grid = *m_gexView;
    try {
        switch (index) {
        case 5: comfrmShowfields::ShowFields(grid, this); break;
        case 6: comfrmSort::SortGrid(grid, this); break;
        case 7: comfrmGroupBy::GroupGrid(grid, this); break;
        case 8: comfrmTableview::FormatGrid(grid, this); break;
        case 10: CaricaLayoutPredefinito(); break;
        case 11: comGriglia::SaveGridLayout(grid, MainModule::ConnString, CodiceCorrente()); break;
        default: break;
        }
    } catch (const platform::RuntimeError &e) {
        MostraErrore(e.description());
    }
    AggiornaEtichettaTrova();
}

void frmMain::CaricaLayoutPredefinito()
{
    try {
        // The layout binds its rows on the open database: a database that
        // cannot be opened now is reported before the list is touched.
        platform::Connection(MainModule::ConnString).close();
        comGriglia::LoadGridLayout(*m_gexView, MainModule::ConnString, QStringLiteral("gex_") + CodiceCorrente(),
                                   MainModule::CartellaProgramma());
    } catch (const platform::DatabaseError &e) {
        MostraErrore(e.description());
        // The layout's own rows could not be read: the node's list is shown
        // afresh instead of an empty one.
        if (!InUso(e))
            CaricaVista();
    }
}

void frmMain::CreaNavigazione()
{
    m_lblTitle->setText(MainModule::ApplicationTitle);
    m_imgTitle->setPixmap(velmoraIcon(QStringLiteral("app-velmora")).pixmap(32, 32));

    m_mnuFileItem.back()->setText(QStringLiteral("Esci\tALT+F4"));

    const std::vector<Navigazione::VoceMenu> newItems = Navigazione::VociMenuNuovo(m_Nodi);
    const std::vector<Navigazione::VoceMenu> viewItems = Navigazione::VociMenuVisualizza(m_Nodi);
    auto fill = [](const std::vector<QAction *> &actions, const std::vector<Navigazione::VoceMenu> &items) {
        for (std::size_t i = 0; i < actions.size() && i < items.size(); ++i) {
            QAction *action = actions[i];
            const Navigazione::VoceMenu &item = items[i];
            action->setSeparator(item.isSeparator());
            action->setText(item.isSeparator() ? QString() : item.Caption);
            action->setData(item.Tag);
            action->setVisible(item.Visible);
        }
    };
    fill(m_mnuNewItem, newItems);
    fill(m_mnuViewItem, viewItems);

    m_bb->clear();
    for (int g = 0; g < Navigazione::NumeroGruppi; ++g)
        m_bb->addGroup(m_Gruppi[static_cast<std::size_t>(g)].Caption);
    for (int i = 0; i < Navigazione::NumeroNodi; ++i) {
        const cNodo &node = m_Nodi[static_cast<std::size_t>(i)];
        m_bb->addItem(node.GroupIndex(), QString::number(i), node.Descrizione(), velmoraIcon(nodeIconName(node)));
    }
    m_bb->setOpenGroup(0);

    Panel(QStringLiteral("Data"))->setText(platform::formatValue(Variant(DateTime::now()), PanelDateFormat));
}

// ---------------------------------------------------------------- refresh

bool frmMain::MostraNodo(int node)
{
    if (node < -1 || node >= Navigazione::NumeroNodi)
        return false;
    const std::int16_t previous = m_CurNode;
    m_CurNode = static_cast<std::int16_t>(node);
    if (SetLay())
        return true;
    m_CurNode = previous;
    SegnaNodoCorrente();
    return false;
}

bool frmMain::SetLay()
{
    // Everything is read before anything is shown, so that a database that
    // cannot be read (one held by another program, say) leaves the window
    // as it was, after one wait and one message.
    QString query;
    std::unique_ptr<platform::Recordset> rows;
    std::optional<Stato> stato;
    QString error;
    try {
        if (m_CurNode > -1) {
            query = QueryVista();
            rows = LeggiVista(query);
        }
        stato = LeggiStato(rows.get());
    } catch (const platform::RuntimeError &e) {
        if (!rows || InUso(e)) {
            MostraErrore(e.description());
            return false;
        }
        // The list is read: it is shown, and the panels keep what they showed.
        error = e.description();
    }

    AbilitaComandi(m_CurNode > -1);
    if (rows) {
        MostraNodoCorrente();
        MostraVista(query, std::move(rows));
        m_txtFind->clear();
    }
    if (stato)
        MostraStato(*stato);
    if (!error.isEmpty())
        MostraErrore(error);
    return true;
}

void frmMain::MostraNodoCorrente()
{
    cNodo &node = m_Nodi[static_cast<std::size_t>(m_CurNode)];

    m_FillingFilter = true;
    m_cmbFilter->clear();
    if (node.HaSubNodi())
        for (const cSubNodo &sub : node.SubNodi())
            m_cmbFilter->addItem(sub.Descrizione());
    const bool hasFilter = m_cmbFilter->count() > 0;
    m_cmbFilter->setEnabled(hasFilter);
    m_lblView->setEnabled(hasFilter);
    if (hasFilter)
        m_cmbFilter->setCurrentIndex(m_FilterIdx[static_cast<std::size_t>(m_CurNode)]);
    m_FillingFilter = false;

    for (const auto &[action, bit] : m_mnuGridItem)
        action->setEnabled((bit & node.mnuGridEnable()) > 0);
    m_lblTitle->setText(node.Descrizione());
    m_imgTitle->setPixmap(velmoraIcon(nodeIconName(node)).pixmap(32, 32));
    SegnaNodoCorrente();
}

void frmMain::SegnaNodoCorrente()
{
    const QString tag = QString::number(m_CurNode);
    m_bb->setSelectedKey(tag);
    for (QAction *item : m_mnuViewItem)
        item->setChecked(!item->isSeparator() && item->data().toString() == tag);
}

std::optional<bool> frmMain::SottoScortaDallaVista(const platform::Recordset *rows)
{
    // The stock list is RepGiacenze from 1 January of the working year to
    // the working date: when that is the check's own period, its rows give
    // the answer without reading the whole year's movements a second time.
    using namespace MainModule;
    if (!rows || WorkYear != WorkDate.year())
        return std::nullopt;
    const int minimum = rows->fieldIndex(QStringLiteral("ScortaMinima"));
    const int stock = rows->fieldIndex(QStringLiteral("Giacenza"));
    if (minimum < 0 || stock < 0)
        return std::nullopt;
    for (int row = 0; row < rows->rowCount(); ++row) {
        // As "ScortaMinima>Giacenza" in SQL: a row with a Null is not below.
        const Variant m = rows->valueAt(row, minimum);
        const Variant g = rows->valueAt(row, stock);
        if (m.isNumber() && g.isNumber() && m.toDouble() > g.toDouble())
            return true;
    }
    return false;
}

frmMain::Stato frmMain::LeggiStato(const platform::Recordset *rows)
{
    using namespace MainModule;
    Stato stato;
    if (const std::optional<bool> fromList = SottoScortaDallaVista(rows)) {
        stato.sottoScorta = *fromList;
    } else {
        platform::Connection connection(ConnString);
        platform::Recordset below;
        below.open(QStringLiteral("SELECT Giacenza FROM RepGiacenze WHERE ScortaMinima>Giacenza"), connection,
                   platform::CursorType::ForwardOnly, platform::LockType::ReadOnly, platform::CommandType::Text,
                   {Variant(DateTime(WorkDate.year(), 1, 1)), Variant(comDateLib::EndOfDay(WorkDate))});
        stato.sottoScorta = below.isOpen() && !below.isEOF();
    }
    stato.contatore = LeggiProgressivo(WorkYear);
    return stato;
}

void frmMain::MostraStato(const Stato &stato)
{
    using namespace MainModule;
    m_ImmagineContatore = stato.sottoScorta ? QStringLiteral("status-below-min") : QStringLiteral("status-ok");
    QLabel *panel = Panel(QStringLiteral("Contatore"));
    panel->setText(QString::number(stato.contatore));
    const int side = panel->fontMetrics().height();
    m_imgContatore->setPixmap(velmoraIcon(m_ImmagineContatore).pixmap(side, side));
    m_imgContatore->setToolTip(stato.sottoScorta ? QStringLiteral("Articoli sotto la scorta minima")
                                                 : QStringLiteral("Nessun articolo sotto la scorta minima"));
    Panel(QStringLiteral("WorkData"))->setText(platform::formatValue(Variant(WorkDate), PanelDateFormat));
    Panel(QStringLiteral("Database"))->setText(DbPath + u'/' + DbName);
}

void frmMain::MostraErrore(const QString &description)
{
    platform::desktop().msgBox(description, platform::vbCritical, MainModule::ApplicationTitle);
}

void frmMain::AbilitaComandi(bool enable)
{
    // File Nuovo, Apri, Elimina, Stampa and their toolbar buttons.
    for (std::size_t i : {0u, 1u, 2u}) {
        m_mnuFileItem[i]->setEnabled(enable);
        m_tbButtons[i]->setEnabled(enable);
    }
    m_mnuFileItem[3]->setEnabled(enable && m_PrinterInstalled);
    m_tbButtons[4]->setEnabled(enable && m_PrinterInstalled);

    m_txtFind->setEnabled(enable);
    QPalette findPalette = m_txtFind->palette();
    findPalette.setColor(QPalette::Base, QApplication::palette().color(enable ? QPalette::Base : QPalette::Button));
    m_txtFind->setPalette(findPalette);
    QPalette labelPalette = m_lblFind->palette();
    labelPalette.setColor(QPalette::WindowText,
                          QApplication::palette().color(enable ? QPalette::ButtonText : QPalette::Dark));
    m_lblFind->setPalette(labelPalette);
    m_picStart->setVisible(!enable);
    m_gexView->setVisible(enable);
}

void frmMain::CaricaStampanti()
{
    using namespace MainModule;
    m_PrinterInstalled = true;
    PrinterNames = {};
    PrinterDetails = {};
    try {
        const QList<platform::PrinterDescription> printers = platform::desktop().installedPrinters();
        const QString defaultName = platform::desktop().defaultPrinter();
        InstalledPrinters.clear();
        InstalledPrinterDetails.clear();
        for (const platform::PrinterDescription &printer : printers) {
            if (!defaultName.isEmpty() && printer.deviceName == defaultName) {
                PrinterNames[0] = printer.deviceName;
                PrinterDetails[0] = printer.detail;
            }
            InstalledPrinters << printer.deviceName;
            InstalledPrinterDetails << printer.detail;
        }
        InstalledPrinterCount = static_cast<std::int32_t>(printers.size());

        if (!PrinterNames[0].isEmpty()) {
            // The stored choices; the label printer defaults to the report printer.
            for (std::size_t k = 0; k < 2; ++k) {
                const QString number = QStringLiteral("%1").arg(k, 3, 10, QChar(u'0'));
                PrinterNames[k] = LeggiRegistro(comRegistry::HKEY_CURRENT_USER, PrintersKey, comRegistry::REG_SZ,
                                                number, Variant(PrinterNames[0]))
                                      .toString();
                PrinterDetails[k] = LeggiRegistro(comRegistry::HKEY_CURRENT_USER, PrintersKey, comRegistry::REG_SZ,
                                                  u'D' + number, Variant(PrinterDetails[0]))
                                        .toString();
            }
            return;
        }
    } catch (const platform::RuntimeError &) {
        // Reported as no printer below.
    }
    platform::desktop().msgBox(QStringLiteral("Nessuna stampante installata.\r\n"
                                              "Installare almeno una stampante per utilizzare correttamente "
                                              "l'applicazione"),
                               platform::vbOKOnly, MainModule::ApplicationTitle);
    m_PrinterInstalled = false;
}

QString frmMain::CodiceCorrente() const
{
    if (m_CurNode < 0 || m_CurNode >= Navigazione::NumeroNodi)
        return {};
    return m_Nodi[static_cast<std::size_t>(m_CurNode)].Codice();
}

// ---------------------------------------------------------------- records

void frmMain::NuovoRecord(int node)
{
    if (node < 0 || node >= Navigazione::NumeroNodi)
        return;
    static const std::map<QString, QString> windows{
        {QStringLiteral("iva"), QStringLiteral("frm_io_IVA")},
        {QStringLiteral("umi"), QStringLiteral("frm_io_UM")},
        {QStringLiteral("cat"), QStringLiteral("frm_io_Cat")},
        {QStringLiteral("art"), QStringLiteral("frm_io_Articoli_02")},
        {QStringLiteral("cli"), QStringLiteral("frm_io_Clienti")},
        {QStringLiteral("for"), QStringLiteral("frm_io_Fornitori_01")},
        {QStringLiteral("mag"), QStringLiteral("frm_io_MovMag_01")},
        {QStringLiteral("gia"), QStringLiteral("frm_io_MovMag_01")},
    };
    const auto it = windows.find(m_Nodi[static_cast<std::size_t>(node)].Codice());
    if (it != windows.end())
        WindowRegistry::Nuovo(it->second);
}

bool frmMain::SuRigaRecord() const
{
    // A group caption row names no record.
    const int row = m_gexView->row();
    return row >= 1 && row <= m_gexView->rowCount() && !m_gexView->isGroupCaption(row);
}

void frmMain::ApriRecord()
{
    static const std::map<QString, QString> windows{
        {QStringLiteral("iva"), QStringLiteral("frm_io_IVA")},
        {QStringLiteral("umi"), QStringLiteral("frm_io_UM")},
        {QStringLiteral("cat"), QStringLiteral("frm_io_Cat")},
        {QStringLiteral("art"), QStringLiteral("frm_io_Articoli_02")},
        {QStringLiteral("cli"), QStringLiteral("frm_io_Clienti")},
        {QStringLiteral("for"), QStringLiteral("frm_io_Fornitori_01")},
        {QStringLiteral("mag"), QStringLiteral("frm_io_MovMag_01")},
        {QStringLiteral("gia"), QStringLiteral("frmChooseMov")},
    };
    const auto it = windows.find(CodiceCorrente());
    if (it == windows.end() || !SuRigaRecord())
        return;
    WindowRegistry::Apri(it->second, m_gexView->valueAt(m_gexView->row(), 1));
}

void frmMain::EliminaRecord()
{
    const QString code = CodiceCorrente();
    if (code.isEmpty() || m_gexView->recordCount() == 0 || !SuRigaRecord())
        return;
    const int row = m_gexView->row();
    const Variant key = m_gexView->valueAt(row, 1);
    const Variant second = m_gexView->columns().count() >= 2 ? m_gexView->valueAt(row, 2) : Variant();
    if (Eliminazione::EliminaRecord(code, key, second))
        SetLay();
}

void frmMain::StampaVista()
{
    static const std::map<QString, QString> dialogs{
        {QStringLiteral("iva"), QStringLiteral("frmPrintReportDati")},
        {QStringLiteral("umi"), QStringLiteral("frmPrintReportDati")},
        {QStringLiteral("cat"), QStringLiteral("frmPrintReportDati")},
        {QStringLiteral("art"), QStringLiteral("frmPrintReportArticoli")},
        {QStringLiteral("cli"), QStringLiteral("frmPrintReportClienti")},
        {QStringLiteral("for"), QStringLiteral("frmPrintReportFornitori")},
        {QStringLiteral("mag"), QStringLiteral("frmPrintReportMov")},
        {QStringLiteral("gia"), QStringLiteral("frmPrintReportMov")},
    };
    const auto it = dialogs.find(CodiceCorrente());
    if (it == dialogs.end() || m_gexView->recordCount() == 0)
        return;
    WindowRegistry::Stampa(it->second, platform::desktop().defaultPrinter());
}

bool frmMain::SalvaLayoutVista()
{
    if (m_CurNode < 0 || m_CurNode == 1 || !m_LoadViewLayout)
        return true;
    try {
        comGriglia::SaveGridLayout(*m_gexView, MainModule::ConnString, QStringLiteral("gex_") + CodiceCorrente());
    } catch (const platform::RuntimeError &e) {
        MostraErrore(e.description());
        return !InUso(e);
    }
    return true;
}

void frmMain::AggiornaEtichettaTrova()
{
    if (m_CurNode < 0) {
        m_lblFind->setText(FindLabelNoNode);
        return;
    }
    QString caption = QStringLiteral("Trova in ");
    if (!m_gexView->sortKeys().isEmpty())
        if (const platform::GridColumn *column = m_gexView->column(m_gexView->sortKeys().item(1).column))
            caption += column->caption();
    m_lblFind->setText(caption);
}

void frmMain::FiltroCambiato(int index)
{
    if (m_FillingFilter || m_CurNode < 0 || index < 0)
        return;
    std::int16_t &filter = m_FilterIdx[static_cast<std::size_t>(m_CurNode)];
    const std::int16_t previous = filter;
    filter = static_cast<std::int16_t>(index);
    if (!CaricaVista()) {
        // The list could not be read: the combo goes back to the one shown.
        filter = previous;
        m_FillingFilter = true;
        m_cmbFilter->setCurrentIndex(previous);
        m_FillingFilter = false;
    }
    m_gexView->setFocus();
}

// ---------------------------------------------------------------- the list

bool frmMain::CaricaVista()
{
    if (m_CurNode < 0)
        return true;
    try {
        const QString query = QueryVista();
        MostraVista(query, LeggiVista(query));
        return true;
    } catch (const platform::RuntimeError &e) {
        MostraErrore(e.description());
        return false;
    }
}

QString frmMain::QueryVista()
{
    using namespace MainModule;
    // Each period ends with the working day whole: a movement stored with a
    // time of day that day belongs to it.
    const QString from = comDataBase::SqlDate(DateTime(WorkYear, 1, 1));
    const QString today = comDataBase::SqlDate(WorkDate);
    const QString to = comDataBase::SqlEndOfDay(WorkDate);
    cNodo &mag = m_Nodi[0];
    mag.SubNodi().Item(1).setSQLString(QStringLiteral("Execute ViewMagazzino ") + from + QStringLiteral(", ") + to);
    mag.SubNodi().Item(2).setSQLString(QStringLiteral("Execute ViewMagazzino ") + today + QStringLiteral(", ") + to);
    cNodo &gia = m_Nodi[1];
    for (int i = 1; i <= gia.SubNodi().Count(); ++i)
        gia.SubNodi().Item(i).setSQLString(QStringLiteral("Execute RepGiacenze ") + from + QStringLiteral(", ") + to);

    cNodo &node = m_Nodi[static_cast<std::size_t>(m_CurNode)];
    return node.HaSubNodi() ? node.SubNodi().Item(m_FilterIdx[static_cast<std::size_t>(m_CurNode)] + 1).SQLString()
                            : node.SQLString();
}

std::unique_ptr<platform::Recordset> frmMain::LeggiVista(const QString &query)
{
    // Read on the database open now, which the options dialog may have
    // switched since the window was built.
    platform::Connection connection(MainModule::ConnString);
    auto rows = std::make_unique<platform::Recordset>();
    rows->open(query, connection, platform::CursorType::Static, platform::LockType::ReadOnly,
               platform::CommandType::Text);
    rows->setActiveConnection(nullptr);
    return rows;
}

void frmMain::MostraVista(const QString &query, std::unique_ptr<platform::Recordset> rows)
{
    m_gexView->setUpdatesEnabled(false);
    // The grid keeps its columns while the rows have their fields: right
    // for a list read again, wrong for another node's list that happens to
    // have them too (the units' list has the categories' Id and
    // Descrizione): a node shown in place of another gets its own columns.
    if (m_NodoColonne != m_CurNode) {
        m_gexView->columns().clear();
        m_NodoColonne = m_CurNode;
    }
    m_gexView->setConnectionString(MainModule::ConnString);
    m_gexView->setRecordSource(query);
    m_gexView->setRecordset(rows.get());
    // The rows shown before go only once the grid has let go of them.
    m_rsVista = std::move(rows);
    ImpostaColonne();
    m_gexView->setUpdatesEnabled(true);
}

void frmMain::ImpostaColonne()
{
    using MainModule::ScrollBarWidth;
    if (m_CurNode < 0)
        return;
    platform::Grid &g = *m_gexView;
    g.groups().clear();
    g.sortKeys().clear();
    const int count = g.columns().count();
    const double width = platform::Twips::fromPixels(g.width()).value();
    auto rest = [&](double s, double k, double f) { return width - s * ScrollBarWidth - k * count - f; };
    auto col = [&](int index) { return g.column(index); };
    auto setWidths = [&](std::initializer_list<int> widths) {
        int i = 1;
        for (int w : widths) {
            if (i > count)
                break;
            col(i++)->setWidth(std::max(0, w));
        }
    };

    const QString code = m_Nodi[static_cast<std::size_t>(m_CurNode)].Codice();
    int sortColumn = 1;
    if (code == QLatin1String("mag")) {
        const double r = rest(2, 6, 5600);
        setWidths({0, 1400, 1400, share(r, 0.6), 1400, 1400, 0, 0, 0, share(r, 0.4)});
        if (count >= 2)
            col(2)->setCaption(QStringLiteral("Data"));
        sortColumn = 3;
    } else if (code == QLatin1String("gia")) {
        const double r = rest(2, 7, 4200 + 480 + 240);
        for (int i = 1; i <= count; ++i)
            col(i)->setWidth(0);
        auto named = [&](const char *name, int w, const QString &format = {}) {
            if (platform::GridColumn *c = g.column(QLatin1String(name))) {
                c->setWidth(std::max(0, w));
                if (!format.isEmpty())
                    c->setFormat(format);
            }
        };
        named("Codice", share(r, 0.4));
        named("Descrizione", share(r, 0.4));
        named("UM", 480);
        named("Ubicazione", share(r, 0.2));
        named("Giacenza", 1400, MainModule::QtyFormat);
        named("CostoUltimo", 1400, MainModule::ValueFormat);
        named("ValoreCU", 1400, MainModule::ValueFormat);
        auto groupBy = [&](const char *name) {
            if (platform::GridColumn *c = g.column(QLatin1String(name)))
                g.groups().add(c->index());
        };
        switch (m_FilterIdx[1]) {
        case 1: groupBy("Nome"); break;
        case 2: groupBy("Categoria"); break;
        case 3: groupBy("Nome"); groupBy("Categoria"); break;
        default: break;
        }
        if (!g.groups().isEmpty())
            g.expandAll();
    } else if (code == QLatin1String("art")) {
        const double r = rest(1, 8, 2480 + 480);
        setWidths({share(r, 0.25), share(r, 0.25), 480, share(r, 0.15), share(r, 0.15), share(r, 0.2), 1240, 1240});
        for (int i : {7, 8})
            if (i <= count)
                col(i)->setFormat(MainModule::ValueFormat);
    } else if (code == QLatin1String("cli") || code == QLatin1String("for")) {
        const double r = rest(1, 9, 2400 + 480 + 640);
        setWidths({0, share(r, 0.4), share(r, 0.2), 640, share(r, 0.2), 480, 1200, 1200, share(r, 0.2)});
        sortColumn = 2;
    } else if (code == QLatin1String("iva")) {
        setWidths({2400, 3600});
    } else if (code == QLatin1String("umi")) {
        setWidths({0, 1600, 3600});
        sortColumn = 2;
    } else if (code == QLatin1String("cat")) {
        setWidths({0, 3600});
        sortColumn = 2;
    }

    if (sortColumn <= count) {
        g.sortKeys().add(sortColumn, platform::SortOrder::Ascending);
        if (code != QLatin1String("mag") && g.rowCount() > 0)
            g.setRow(1);
        for (int i = 1; i <= count; ++i)
            col(i)->setHeaderStyle(i == sortColumn ? QStringLiteral("SortedCol") : QStringLiteral("Default"));
    }
    // The sort key set here replaces one chosen by a header click (also on
    // a resize): the find label names the column the find now searches.
    AggiornaEtichettaTrova();
}

void frmMain::FormattaRiga(platform::GridRowFormat &row)
{
    if (m_CurNode != 1 || m_FilterIdx[1] < 1 || !row.isGroupCaption())
        return;
    const platform::GridColumn *qty = m_gexView->column(QStringLiteral("Giacenza"));
    const platform::GridColumn *value = m_gexView->column(QStringLiteral("ValoreCU"));
    if (!qty || !value)
        return;
    const QString format = QStringLiteral("#,#.00");
    row.caption += QStringLiteral("     QV: [") + platform::formatValue(row.groupSum(qty->index()), format)
                   + QStringLiteral("]  [") + platform::formatValue(row.groupSum(value->index()), format)
                   + QStringLiteral("]");
}

// ---------------------------------------------------------------- events

void frmMain::gexView_ColumnHeaderClick(int column)
{
    platform::GridColumn *clicked = m_gexView->column(column);
    if (!clicked)
        return;
    // The computed stock columns cannot be sorted by a click.
    if (QStringLiteral("GiacenzaCostoUltimoValoreCU").contains(clicked->caption(), Qt::CaseInsensitive))
        return;
    platform::GridKeyList &keys = m_gexView->sortKeys();
    const int position = keys.indexOfColumn(column);
    const bool ascending = position > 0 && keys.item(position).order == platform::SortOrder::Ascending;
    keys.assign({{column, ascending ? platform::SortOrder::Descending : platform::SortOrder::Ascending}});
    AggiornaEtichettaTrova();
    for (int i = 1; i <= m_gexView->columns().count(); ++i)
        m_gexView->column(i)->setHeaderStyle(i == column ? QStringLiteral("SortedCol") : QStringLiteral("Default"));
    m_gexView->setFocus();
}

void frmMain::txtFind_Change(const QString &text)
{
    // An emptied box (a new node, the user's Backspace) looks for nothing.
    if (text.isEmpty() || m_gexView->sortKeys().isEmpty())
        return;
    const platform::GridKey key = m_gexView->sortKeys().item(1);
    const platform::GridColumn *column = m_gexView->column(key.column);
    if (!column)
        return;
    const Variant value(text);
    if (column->key() == QLatin1String("DataIns") || column->key() == QLatin1String("Prog"))
        m_gexView->find(key.column, platform::FindCondition::EqualTo, value);
    else if (key.order == platform::SortOrder::Ascending)
        m_gexView->find(key.column, platform::FindCondition::BeginsWith, value);
    else // from the end backwards: the first match in ascending order again
        m_gexView->find(key.column, platform::FindCondition::BeginsWith, value, m_gexView->rowCount() + 1,
                        platform::FindDirection::Backward);
}

bool frmMain::txtFind_KeyDown(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        ApriRecord();
        return true;
    case Qt::Key_F3:
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        m_gexView->setFocus();
        return true;
    case Qt::Key_F4:
        if (!m_cmbFilter->isEnabled())
            return false;
        m_cmbFilter->setFocus();
        m_cmbFilter->showPopup();
        return true;
    default:
        return false;
    }
}

bool frmMain::GestisciScorciatoie(int keyCode, Qt::KeyboardModifiers shift)
{
    if (keyCode < Qt::Key_A || keyCode > Qt::Key_Z)
        return false;
    const bool ctrl = shift == Qt::ControlModifier;
    const bool ctrlShift = shift == (Qt::ControlModifier | Qt::ShiftModifier);
    if (!ctrl && !ctrlShift)
        return false;
    const QString letter{QChar(static_cast<char16_t>(keyCode))};
    int found = -1;
    for (int i = 0; i < Navigazione::NumeroNodi; ++i)
        if (m_Nodi[static_cast<std::size_t>(i)].mnuViewShorCut() == letter)
            found = i;
    if (found < 0)
        return false;
    if (ctrl)
        NuovoRecord(found);
    else
        MostraNodo(found);
    return true;
}

void frmMain::gexView_KeyPress(platform::GridKeyEvent &key)
{
    if (key.text.size() != 1 || (key.modifiers & (Qt::ControlModifier | Qt::AltModifier)))
        return;
    const char16_t code = key.text.at(0).unicode();
    if (!((code >= 32 && code <= 126) || (code >= 160 && code <= 255)))
        return;
    // The character starts a find, also when the box already holds it; the
    // next ones go to the find box.
    key.handled = true;
    m_txtFind->clear();
    m_txtFind->setText(key.text);
    m_txtFind->setCursorPosition(1);
    m_txtFind->setFocus();
}

void frmMain::gexView_KeyDown(platform::GridKeyEvent &key)
{
    if (key.modifiers & (Qt::ControlModifier | Qt::AltModifier))
        return;
    if ((key.key == Qt::Key_Return || key.key == Qt::Key_Enter) && SuRigaRecord()) {
        key.handled = true;
        ApriRecord();
    } else if (key.key == Qt::Key_Delete && m_gexView->recordCount() > 0) {
        key.handled = true;
        EliminaRecord();
    } else if (key.key == Qt::Key_F3) {
        key.handled = true;
        m_txtFind->setFocus();
    } else if (key.key == Qt::Key_F4 && m_cmbFilter->isEnabled()) {
        key.handled = true;
        m_cmbFilter->setFocus();
        m_cmbFilter->showPopup();
    }
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()
        && static_cast<QWidget *>(watched)->window() == this) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (GestisciScorciatoie(key->key(), key->modifiers() & ~Qt::KeypadModifier))
            return true;
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
            comHelp::MostraGuida(comHelp::StartPage, MainModule::CartellaProgramma());
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == Panel(QStringLiteral("WorkData"))) {
            frmOptions::ApriWorkingDate();
            SetLay();
            return true;
        }
        if (watched == Panel(QStringLiteral("Contatore")) || watched == m_imgContatore) {
            frmOptions::ApriMagazzino();
            SetLay();
            return true;
        }
    }
    // The find box and the filter are drawn light yellow while they have the focus.
    if ((watched == m_txtFind || watched == m_cmbFilter)
        && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        auto *control = static_cast<QWidget *>(watched);
        QPalette palette = control->palette();
        const bool in = event->type() == QEvent::FocusIn;
        palette.setColor(QPalette::Base, in ? QColor(255, 255, 191) : QApplication::palette().color(QPalette::Base));
        // A combo that cannot be typed in is drawn with the button colour.
        if (watched == m_cmbFilter)
            palette.setColor(QPalette::Button,
                             in ? QColor(255, 255, 191) : QApplication::palette().color(QPalette::Button));
        control->setPalette(palette);
        // Leaving the filter (not for its own list, nor for another program)
        // goes on to the find box.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (watched == m_cmbFilter && event->type() == QEvent::FocusOut && reason != Qt::PopupFocusReason
            && reason != Qt::ActiveWindowFocusReason && m_txtFind->isEnabled())
            QMetaObject::invokeMethod(m_txtFind, qOverload<>(&QWidget::setFocus), Qt::QueuedConnection);
    }
    if (watched == m_cmbFilter && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
        if (key == Qt::Key_F3) {
            m_txtFind->setFocus();
            return true;
        }
    }
    if (watched == m_txtFind && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && txtFind_KeyDown(key->key()))
            return true;
    }
    // The proportional columns follow the list's own width, whatever changed it.
    if (watched == m_gexView && event->type() == QEvent::Resize) {
        try {
            ImpostaColonne();
        } catch (const std::exception &) {
            // The columns keep their widths; the next resize tries again.
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (width() < minimumWidth() || height() < minimumHeight())
        QTimer::singleShot(0, this, [this] {
            resize(std::max(width(), minimumWidth()), std::max(height(), minimumHeight()));
        });
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (FinestreAperte()) {
        platform::desktop().msgBox(QStringLiteral("Chiudere prima tutte le schede dati."), platform::vbExclamation,
                                   MainModule::ApplicationTitle);
        event->ignore();
        return;
    }
    event->accept();
}
