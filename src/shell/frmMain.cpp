#include "shell/frmMain.h"

#include "common/comDataBase.h"
#include "common/comProgramInfo.h"
#include "common/comRegistry.h"
#include "common/comfrmAbout.h"
#include "icons/VelmoraIcons.h"
#include "platform/base/Format.h"
#include "platform/base/RuntimeError.h"
#include "platform/base/Twips.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/ButtonBar.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/grid/Grid.h"
#include "platform/grid/GridColumn.h"
#include "platform/grid/GridRowFormat.h"
#include "shell/MainModule.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
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
    Inizializza();
}

frmMain::~frmMain()
{
    // The grid may still point at the stock recordset: unbind it first.
    if (m_gexView && m_rsGiacenze)
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
            connection.beginTrans();
            try {
                connection.execute(QStringLiteral("DELETE * FROM _Pars WHERE k01='gridlayout'"));
                connection.commitTrans();
            } catch (...) {
                connection.rollbackTrans();
                throw;
            }
        }
        if (stored != running)
            ScriviRegistro(comRegistry::HKEY_CURRENT_USER, SettingsKeyCopy, comRegistry::REG_SZ,
                           QStringLiteral("prgver"), Variant(running));
    } catch (const platform::RuntimeError &e) {
        MostraErrore(e.description());
    }

    m_LoadViewLayout = LeggiRegistro(comRegistry::HKEY_CURRENT_USER, SettingsKey, comRegistry::REG_DWORD,
                                     QStringLiteral("regLoadViewLayout"), Variant(1))
                           .toInt32()
                       == 1;
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
    addButton(QStringLiteral("cmd-new"), QStringLiteral("Nuovo"), {});
    addButton(QStringLiteral("cmd-open"), QStringLiteral("Apri"), QStringLiteral("Apre una registrazione esistente"));
    addButton(QStringLiteral("cmd-delete"), QStringLiteral("Elimina"), QStringLiteral("Elimina una registrazione esistente"));
    m_tb->addSeparator();
    QAction *refresh = addButton(QStringLiteral("cmd-refresh"), QStringLiteral("Aggiorna"), {});
    refresh->setEnabled(true);
    connect(refresh, &QAction::triggered, this, [this] { SetLay(); });
    addButton(QStringLiteral("cmd-print"), QStringLiteral("Stampa"),
              QStringLiteral("Stampa i Report della Visualizzazione attiva"));

    // The find and filter panels get a row of their own, so that both stay
    // whole down to the smallest window.
    addToolBarBreak();
    QToolBar *panels = addToolBar(QStringLiteral("picFind"));
    panels->setObjectName(QStringLiteral("tbFind"));
    panels->setMovable(false);
    auto *picFind = new QWidget(panels);
    auto *findLayout = new QHBoxLayout(picFind);
    findLayout->setContentsMargins(4, 0, 4, 0);
    m_lblFind = new QLabel(QStringLiteral("Trova in "), picFind);
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

    connect(m_bb, &platform::ButtonBar::itemClicked, this, [this](const QString &key) {
        MostraNodo(key.toInt());
        m_gexView->setFocus();
    });
    connect(m_gexView, &platform::Grid::rowFormat, this, &frmMain::FormattaRiga);
    m_gexView->installEventFilter(this);

    setMinimumSize(twipsToPixels(MinimumWidthTwips), twipsToPixels(MinimumHeightTwips));
    AbilitaComandi(false);
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
    m_mnuFile->addSeparator();
    m_mnuNew = m_mnuFile->addMenu(QStringLiteral("Nuovo "));
    fileItem(QStringLiteral("Apri"));
    QAction *elimina = fileItem(QStringLiteral("Elimina"));
    m_mnuFile->addSeparator();
    QAction *stampa = fileItem(QStringLiteral("Stampa"));
    stampa->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F12));
    m_mnuFile->addSeparator();
    QAction *esci = fileItem(QStringLiteral("Esci"));
    connect(esci, &QAction::triggered, this, &QWidget::close);
    for (QAction *action : {nuovo, m_mnuFileItem[1], elimina, stampa})
        action->setEnabled(false);

    m_mnuView = menuBar()->addMenu(QStringLiteral("&Visualizza"));
    for (int i = 0; i <= Navigazione::UltimaVoceMenu; ++i) {
        QAction *newItem = m_mnuNew->addAction(QString());
        newItem->setVisible(false);
        newItem->setEnabled(false); // a new record comes with the record windows
        m_mnuNewItem.push_back(newItem);
        QAction *viewItem = m_mnuView->addAction(QString());
        viewItem->setVisible(false);
        viewItem->setCheckable(true);
        connect(viewItem, &QAction::triggered, this, [this, viewItem] {
            bool ok = false;
            const int node = viewItem->data().toString().toInt(&ok);
            if (ok) {
                MostraNodo(node);
                m_gexView->setFocus();
            }
        });
        m_mnuViewItem.push_back(viewItem);
    }
    m_mnuView->addSeparator();
    m_mnuAggiorna = m_mnuView->addAction(QStringLiteral("Aggiorna"));
    m_mnuAggiorna->setShortcut(QKeySequence(Qt::Key_F9));
    connect(m_mnuAggiorna, &QAction::triggered, this, [this] { SetLay(); });
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

void frmMain::MostraNodo(int node)
{
    if (node < -1 || node >= Navigazione::NumeroNodi)
        return;
    m_CurNode = static_cast<std::int16_t>(node);
    SetLay();
}

void frmMain::SetLay()
{
    QString error;
    AbilitaComandi(m_CurNode > -1);
    if (m_CurNode > -1) {
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

        m_lblTitle->setText(node.Descrizione());
        m_imgTitle->setPixmap(velmoraIcon(nodeIconName(node)).pixmap(32, 32));
        m_bb->setSelectedKey(QString::number(m_CurNode));
        const QString tag = QString::number(m_CurNode);
        for (QAction *item : m_mnuViewItem)
            item->setChecked(!item->isSeparator() && item->data().toString() == tag);

        CaricaVistaInterna(error);
        m_txtFind->clear();
        AggiornaEtichettaTrova();
    }
    AggiornaStato(error);
    if (!error.isEmpty())
        MostraErrore(error);
}

void frmMain::AggiornaStato(QString &error)
{
    using namespace MainModule;
    // Everything is read first, so that a failure leaves every panel as it was.
    try {
        const DateTime first(WorkDate.year(), 1, 1);
        platform::Connection connection(ConnString);
        platform::Recordset below;
        below.open(QStringLiteral("SELECT Giacenza FROM RepGiacenze WHERE ScortaMinima>Giacenza"), connection,
                   platform::CursorType::ForwardOnly, platform::LockType::ReadOnly, platform::CommandType::Text,
                   {Variant(first), Variant(WorkDate.dateOnly())});
        const bool anyBelow = below.isOpen() && !below.isEOF();
        below.close();
        const std::int32_t counter = LeggiProgressivo(WorkYear);

        m_ImmagineContatore = anyBelow ? QStringLiteral("status-below-min") : QStringLiteral("status-ok");
        QLabel *panel = Panel(QStringLiteral("Contatore"));
        panel->setText(QString::number(counter));
        const int side = panel->fontMetrics().height();
        m_imgContatore->setPixmap(velmoraIcon(m_ImmagineContatore).pixmap(side, side));
        m_imgContatore->setToolTip(anyBelow ? QStringLiteral("Articoli sotto la scorta minima")
                                            : QStringLiteral("Nessun articolo sotto la scorta minima"));
        Panel(QStringLiteral("WorkData"))->setText(platform::formatValue(Variant(WorkDate), PanelDateFormat));
        Panel(QStringLiteral("Database"))->setText(DbPath + u'/' + DbName);
    } catch (const platform::RuntimeError &e) {
        if (error.isEmpty())
            error = e.description();
    }
}

void frmMain::MostraErrore(const QString &description)
{
    platform::desktop().msgBox(description, platform::vbCritical, MainModule::ApplicationTitle);
}

void frmMain::AbilitaComandi(bool enable)
{
    // File Nuovo, Apri, Elimina and their buttons stay off until the record
    // windows exist; Stampa until the reports do.
    m_txtFind->setEnabled(enable);
    m_lblFind->setEnabled(enable);
    m_picStart->setVisible(!enable);
    m_gexView->setVisible(enable);
}

void frmMain::AggiornaEtichettaTrova()
{
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
    m_FilterIdx[static_cast<std::size_t>(m_CurNode)] = static_cast<std::int16_t>(index);
    QString error;
    CaricaVistaInterna(error);
    AggiornaEtichettaTrova();
    if (!error.isEmpty())
        MostraErrore(error);
}

// ---------------------------------------------------------------- the list

void frmMain::CaricaVista()
{
    QString error;
    CaricaVistaInterna(error);
    if (!error.isEmpty())
        MostraErrore(error);
}

void frmMain::CaricaVistaInterna(QString &error)
{
    using namespace MainModule;
    if (m_CurNode < 0)
        return;
    const QString from = comDataBase::SqlDate(DateTime(WorkYear, 1, 1));
    const QString to = comDataBase::SqlDate(WorkDate);
    cNodo &mag = m_Nodi[0];
    mag.SubNodi().Item(1).setSQLString(QStringLiteral("Execute ViewMagazzino ") + from + QStringLiteral(", ") + to);
    mag.SubNodi().Item(2).setSQLString(QStringLiteral("Execute ViewMagazzino ") + to + QStringLiteral(", ") + to);
    cNodo &gia = m_Nodi[1];
    for (int i = 1; i <= gia.SubNodi().Count(); ++i)
        gia.SubNodi().Item(i).setSQLString(QStringLiteral("Execute RepGiacenze ") + from + QStringLiteral(", ") + to);

    cNodo &node = m_Nodi[static_cast<std::size_t>(m_CurNode)];
    const QString query = node.HaSubNodi()
                              ? node.SubNodi().Item(m_FilterIdx[static_cast<std::size_t>(m_CurNode)] + 1).SQLString()
                              : node.SQLString();
    m_gexView->setUpdatesEnabled(false);
    try {
        if (node.Codice() == QLatin1String("gia")) {
            platform::Connection connection(ConnString);
            auto rs = std::make_unique<platform::Recordset>();
            rs->open(query, connection, platform::CursorType::Static, platform::LockType::ReadOnly,
                     platform::CommandType::Text);
            rs->setActiveConnection(nullptr);
            m_gexView->setRecordset(rs.get());
            m_gexView->rebind();
            m_rsGiacenze = std::move(rs);
        } else {
            m_gexView->setRecordSource(query);
            m_gexView->rebind();
            m_rsGiacenze.reset();
        }
        ImpostaColonne();
    } catch (const platform::RuntimeError &e) {
        // The list is emptied rather than left showing another node's rows.
        try {
            m_gexView->setRecordSource(QString());
            m_gexView->rebind();
            m_rsGiacenze.reset();
        } catch (const platform::RuntimeError &) {
        }
        if (error.isEmpty())
            error = e.description();
    }
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

    if (sortColumn > count)
        return;
    g.sortKeys().add(sortColumn, platform::SortOrder::Ascending);
    if (code != QLatin1String("mag") && g.rowCount() > 0)
        g.setRow(1);
    for (int i = 1; i <= count; ++i)
        col(i)->setHeaderStyle(i == sortColumn ? QStringLiteral("SortedCol") : QStringLiteral("Default"));
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

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
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

void frmMain::closeEvent(QCloseEvent *event)
{
    const QWidget *splash = &comfrmAbout::Default();
    for (const QWidget *w : QApplication::topLevelWidgets()) {
        if (w == this || w == splash || !w->isVisible())
            continue;
        const Qt::WindowType type = w->windowType();
        if (type != Qt::Window && type != Qt::Dialog)
            continue;
        platform::desktop().msgBox(QStringLiteral("Chiudere prima tutte le schede dati."), platform::vbExclamation,
                                   MainModule::ApplicationTitle);
        event->ignore();
        return;
    }
    event->accept();
}
