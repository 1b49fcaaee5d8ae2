#include "shell/frmOptions.h"

#include "common/comDateLib.h"
#include "common/comRegistry.h"
#include "common/comTwipsRect.h"
#include "common/comUtility.h"
#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/DatabaseError.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/desktop/WindowPlacement.h"
#include "shell/MainModule.h"
#include "shell/WindowRegistry.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <memory>

using platform::Variant;

namespace {

const QStringList RegTags = {
    QStringLiteral("regLoadTipsAtStartup"), QStringLiteral("regShowLastView"), QStringLiteral("regAskLabelPrint"),
    QStringLiteral("regLoadViewLayout"), QStringLiteral("regUbiView"),
};

const QString SaveFailed = QStringLiteral("Impossibile salvare le impostazioni.\r\n");
const QString LoadFailed = QStringLiteral("Impossibile leggere le impostazioni.\r\n");

void ScriviDword(const QString &name, std::int32_t value)
{
    MainModule::ScriviRegistro(comRegistry::HKEY_CURRENT_USER, MainModule::SettingsKey, comRegistry::REG_DWORD, name,
                               Variant(value));
}

QString LeggiTesto(const QString &key, const QString &name, const QString &def)
{
    return MainModule::LeggiRegistro(comRegistry::HKEY_CURRENT_USER, key, comRegistry::REG_SZ, name, Variant(def))
        .toString();
}

void ScriviTesto(const QString &key, const QString &name, const QString &value)
{
    MainModule::ScriviRegistro(comRegistry::HKEY_CURRENT_USER, key, comRegistry::REG_SZ, name, Variant(value));
}

// The value names of printer k: "000"/"D000", "001"/"D001".
QString NomeStampante(int k)
{
    return QStringLiteral("%1").arg(k, 3, 10, QLatin1Char('0'));
}

// The message of a load or save that failed: the database's own
// description, or for the settings store the file that refused the write.
QString TestoErrore(const QString &first, const platform::RuntimeError &e)
{
    const bool database = dynamic_cast<const platform::DatabaseError *>(&e) != nullptr;
    return database ? first + e.description() : MainModule::ImpostazioniNonSalvate();
}

void MostraErrore(const QString &text)
{
    platform::desktop().msgBox(text, platform::vbExclamation | platform::vbOKOnly, MainModule::ApplicationTitle);
}

QString DecimaliQuery(const QString &key, bool withKey)
{
    return (withKey ? QStringLiteral("SELECT k01,l01 FROM _Pars WHERE k01='") : QStringLiteral("SELECT l01 FROM _Pars WHERE k01='"))
        + key + u'\'';
}

} // namespace

frmOptions::frmOptions(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Opzioni"));
    setObjectName(QStringLiteral("frmOptions"));
    setFixedSize(comTwipsRect(0, 0, 8400, 4560).size());
    platform::keepOnScreen(this);

    tbs = new QTabWidget(this);
    tbs->setObjectName(QStringLiteral("tbs"));
    tbs->setGeometry(comTwipsRect(120, 120, 8160, 3720));

    const auto makePage = [this](const QString &caption) {
        auto *page = new QWidget;
        tbs->addTab(page, caption);
        return page;
    };
    const auto makeCheck = [this](QWidget *page, int index, const QString &caption, QRect rect) {
        auto *check = new QCheckBox(caption, page);
        check->setObjectName(QStringLiteral("chkRegData%1").arg(index));
        check->setGeometry(rect);
        // Every box, those of the warehouse tab included, flags the general section.
        connect(check, &QCheckBox::toggled, this, [this] { m_modificato[SezGenerale] = true; });
        chkRegData[static_cast<std::size_t>(index)] = check;
    };
    const auto makeLabel = [](QWidget *page, const QString &name, const QString &caption, QRect rect) {
        auto *label = new QLabel(caption, page);
        label->setObjectName(name);
        label->setGeometry(rect);
        return label;
    };
    // A number box with its up-down buttons beside it.
    const auto makeNumber = [this](QWidget *page, int index, double left, double top, double width, int maxValue) {
        auto *edit = new QLineEdit(page);
        edit->setObjectName(QStringLiteral("txtProg%1").arg(index));
        edit->setGeometry(comTwipsRect(left, top, width, 315));
        edit->setMaxLength(maxValue == MaxProgressivo ? 10 : 1);
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        comUtility::installKeyFilter(edit, comUtility::DigitKeyFilter);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, [this] { m_modificato[SezMagazzino] = true; });
        const auto step = [edit, maxValue](int delta) {
            bool ok = false;
            const qlonglong current = edit->text().toLongLong(&ok);
            const qlonglong next = std::clamp<qlonglong>((ok ? current : 0) + delta, 0, maxValue);
            edit->setText(QString::number(next));
            edit->setFocus();
        };
        const char *names[] = {"up", "down"};
        for (int i = 0; i < 2; ++i) {
            auto *button = new QToolButton(page);
            button->setObjectName(QStringLiteral("updProg%1%2").arg(index).arg(QLatin1String(names[i])));
            button->setArrowType(i == 0 ? Qt::UpArrow : Qt::DownArrow);
            button->setAutoRepeat(true);
            button->setFocusPolicy(Qt::NoFocus);
            button->setGeometry(comTwipsRect(left + width, top + i * 158, 255, 157));
            connect(button, &QToolButton::clicked, this, [step, i] { step(i == 0 ? 1 : -1); });
        }
        txtProg[static_cast<std::size_t>(index)] = edit;
    };

    // 0: general switches.
    QWidget *page = makePage(QStringLiteral("Generale"));
    makeCheck(page, 0, QStringLiteral("Mostra i &suggerimenti all'avvio"), comTwipsRect(240, 300, 7620, 315));
    makeCheck(page, 1, QStringLiteral("Mostra l'ultima &visualizzazione all'avvio"), comTwipsRect(240, 720, 7620, 315));
    makeCheck(page, 3, QStringLiteral("Memorizza il &layout delle viste dati"), comTwipsRect(240, 1140, 7620, 315));

    // 1: warehouse.
    page = makePage(QStringLiteral("Magazzino"));
    makeLabel(page, QStringLiteral("lblProg0"), QStringLiteral("Ultimo Progressivo Magazzino:"),
              comTwipsRect(240, 330, 3000, 255));
    makeNumber(page, 0, 3300, 300, 1335, MaxProgressivo);
    lblAnno = makeLabel(page, QStringLiteral("lblAnno"), QStringLiteral("Anno ..."), comTwipsRect(5040, 330, 2400, 255));
    auto *frmCifreDecimali = new QGroupBox(QStringLiteral("Cifre decimali"), page);
    frmCifreDecimali->setObjectName(QStringLiteral("frmCifreDecimali"));
    frmCifreDecimali->setGeometry(comTwipsRect(240, 780, 7620, 840));
    makeLabel(frmCifreDecimali, QStringLiteral("lblProg1"), QStringLiteral(" Decimali Quantità:"),
              comTwipsRect(120, 390, 2100, 255));
    makeNumber(frmCifreDecimali, 1, 2280, 360, 495, MaxDecimali);
    makeLabel(frmCifreDecimali, QStringLiteral("lblProg2"), QStringLiteral(" Decimali Valori:"),
              comTwipsRect(3600, 390, 1800, 255));
    makeNumber(frmCifreDecimali, 2, 5460, 360, 495, MaxDecimali);
    makeCheck(page, 2, QStringLiteral("&Chiedi se voglio stampare le Etichette quando salvo un nuovo movimento"),
              comTwipsRect(240, 1800, 7620, 315));
    makeCheck(page, 4, QStringLiteral("Visualizza il campo \"Ubicazione\" sulle Stampe di Magazzino"),
              comTwipsRect(240, 2220, 7620, 315));

    // 2: printers.
    page = makePage(QStringLiteral("Stampanti"));
    auto *frmStampanti = new QGroupBox(page);
    frmStampanti->setObjectName(QStringLiteral("frmStampanti"));
    frmStampanti->setGeometry(comTwipsRect(240, 240, 7620, 1380));
    const QString printerCaptions[] = {QStringLiteral("Stampante report:"), QStringLiteral("Stampante etichette:")};
    for (int k = 0; k < 2; ++k) {
        makeLabel(frmStampanti, QStringLiteral("lblPrinters%1").arg(k), printerCaptions[k],
                  comTwipsRect(180, 390 + k * 540, 2040, 255));
        auto *combo = new QComboBox(frmStampanti);
        combo->setObjectName(QStringLiteral("cmbPrinters%1").arg(k));
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setGeometry(comTwipsRect(2280, 360 + k * 540, 5100, 315));
        // Only a pick from the list flags the section, not a text written by loading.
        connect(combo, &QComboBox::activated, this, [this] { m_modificato[SezStampanti] = true; });
        cmbPrinters[static_cast<std::size_t>(k)] = combo;
    }

    // 3: working date.
    page = makePage(QStringLiteral("Data di lavoro"));
    makeLabel(page, QStringLiteral("Label1"), QStringLiteral("Data di lavoro:"), comTwipsRect(240, 390, 1440, 255));
    dtp = new QDateEdit(page);
    dtp->setObjectName(QStringLiteral("dtp"));
    dtp->setCalendarPopup(true);
    dtp->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    dtp->setGeometry(comTwipsRect(1740, 360, 1800, 315));
    connect(dtp, &QDateEdit::dateChanged, this, [this] { m_modificato[SezDataLavoro] = true; });
    for (int i = 0; i < 2; ++i) {
        auto *button = new QPushButton(i == 0 ? QString() : QStringLiteral("Oggi"), page);
        button->setObjectName(QStringLiteral("cmdData%1").arg(i));
        button->setAutoDefault(false);
        button->setGeometry(comTwipsRect(1740 + i * 1320, 840, 1215, 375));
        connect(button, &QPushButton::clicked, this, [this, i] { cmdData_Click(i); });
        cmdData[static_cast<std::size_t>(i)] = button;
    }

    // 4: database files, each row on its coloured band.
    page = makePage(QStringLiteral("Database"));
    const QString dbCaptions[] = {QStringLiteral("Database primario"), QStringLiteral("Database secondario")};
    for (int i = 0; i < 2; ++i) {
        auto *shape = new QFrame(page);
        shape->setObjectName(QStringLiteral("shpdb%1").arg(i));
        shape->setFrameShape(QFrame::Box);
        shape->setAutoFillBackground(true);
        shape->setGeometry(comTwipsRect(120, 180 + i * 1020, 7800, 900));
        shpdb[static_cast<std::size_t>(i)] = shape;
        auto *caption = makeLabel(shape, QStringLiteral("lbldb%1").arg(i), dbCaptions[i], comTwipsRect(120, 90, 3600, 255));
        QFont bold = caption->font();
        bold.setBold(true);
        caption->setFont(bold);
        auto *text = makeLabel(shape, QStringLiteral("lbltxtdb%1").arg(i), Vuoto, comTwipsRect(120, 480, 6960, 255));
        text->setTextFormat(Qt::PlainText);
        lbltxtdb[static_cast<std::size_t>(i)] = text;
        auto *button = new QPushButton(QStringLiteral("..."), shape);
        button->setObjectName(QStringLiteral("cmdopendb%1").arg(i));
        button->setAutoDefault(false);
        button->setGeometry(comTwipsRect(7260, 450, 420, 315));
        connect(button, &QPushButton::clicked, this, [this, i] { cmdopendb_Click(i); });
        cmdopendb[static_cast<std::size_t>(i)] = button;
    }
    lbltxtdb_Change();

    cmdSalva = new QPushButton(QStringLiteral("Salva"), this);
    cmdSalva->setObjectName(QStringLiteral("cmdSalva"));
    cmdSalva->setAutoDefault(false);
    cmdSalva->setGeometry(comTwipsRect(5640, 3990, 1215, 375));
    connect(cmdSalva, &QPushButton::clicked, this, &frmOptions::cmdSalva_Click);
    cmdAnnulla = new QPushButton(QStringLiteral("Annulla"), this);
    cmdAnnulla->setObjectName(QStringLiteral("cmdAnnulla"));
    cmdAnnulla->setAutoDefault(false);
    cmdAnnulla->setGeometry(comTwipsRect(7020, 3990, 1215, 375));
    connect(cmdAnnulla, &QPushButton::clicked, this, &frmOptions::cmdAnnulla_Click);

    connect(tbs, &QTabWidget::currentChanged, this, &frmOptions::tbs_Click);

    // The dialog closes only through its two buttons.
    MainModule::DisabilitaChiudi(this);
}

frmOptions::~frmOptions() = default;

void frmOptions::SetLay() const
{
    WindowRegistry::AggiornaPrincipale();
}

// ---- entry points ----

void frmOptions::ApriTutto()
{
    Apri({true, true, true, false, false}, TabGenerale);
}

void frmOptions::ApriMagazzino()
{
    Apri({false, true, false, false, false}, TabMagazzino);
}

void frmOptions::ApriWorkingDate()
{
    Apri({false, false, false, true, false}, TabDataLavoro);
}

void frmOptions::ApriDatabase()
{
    Apri({false, false, false, false, true}, TabDatabase);
}

void frmOptions::Apri(const std::array<bool, 5> &sections, int currentTab)
{
    auto dialog = std::make_unique<frmOptions>(QApplication::activeWindow());
    try {
        if (sections[SezGenerale])
            dialog->CaricaGenerale();
        if (sections[SezMagazzino])
            dialog->CaricaMagazzino();
        if (sections[SezStampanti])
            dialog->CaricaStampanti();
        if (sections[SezDataLavoro]) {
            dialog->CaricaDataLavoro();
            // The button's caption is the end of the year before today's,
            // while the button itself goes back from the working date.
            dialog->cmdData[0]->setText(
                comDateLib::LastDayOfPreviousYear(platform::DateTime::today()).date().toString(QStringLiteral("dd/MM/yy")));
        }
        if (sections[SezDatabase])
            dialog->CaricaDatabase();
    } catch (const platform::RuntimeError &e) {
        MostraErrore(TestoErrore(LoadFailed, e));
        return;
    }
    dialog->tbs->setCurrentIndex(currentTab);
    for (int tab = 0; tab < 5; ++tab)
        dialog->tbs->setTabVisible(tab, sections[static_cast<std::size_t>(tab)]);

    dialog->exec();
    if (!dialog->m_confermato)
        return;

    using Save = void (frmOptions::*)();
    const Save saves[] = {&frmOptions::SalvaGenerale, &frmOptions::SalvaMagazzino, &frmOptions::SalvaStampanti,
                          &frmOptions::SalvaDataLavoro, &frmOptions::SalvaDatabase};
    // Each section is saved on its own; a failure that the sections share
    // (the settings store refusing every write) is reported once.
    QStringList reported;
    for (std::size_t s = 0; s < 5; ++s) {
        if (!sections[s] || !dialog->m_modificato[s])
            continue;
        try {
            (dialog.get()->*saves[s])();
        } catch (const platform::RuntimeError &e) {
            const QString text = TestoErrore(SaveFailed, e);
            if (!reported.contains(text)) {
                reported << text;
                MostraErrore(text);
            }
        }
    }
}

// ---- general ----

void frmOptions::CaricaGenerale()
{
    for (const int i : {0, 1, 3})
        chkRegData[static_cast<std::size_t>(i)]->setChecked(MainModule::LeggiNumero(RegTags[i], 1) != 0);
}

void frmOptions::SalvaGenerale()
{
    for (const int i : {0, 1, 3})
        ScriviDword(RegTags[i], chkRegData[static_cast<std::size_t>(i)]->isChecked() ? 1 : 0);
}

// ---- warehouse ----

void frmOptions::CaricaMagazzino()
{
    m_annoProgressivo = static_cast<std::int16_t>(MainModule::WorkDate.year());
    m_progressivoCaricato = MainModule::LeggiProgressivo(m_annoProgressivo);
    txtProg[0]->setText(QString::number(m_progressivoCaricato));
    lblAnno->setText(QStringLiteral("(Anno: ") + QString::number(m_annoProgressivo) + u')');

    {
        platform::Connection connection(MainModule::ConnString);
        const QString keys[] = {QStringLiteral("NumDecQ"), QStringLiteral("NumDecV")};
        for (std::size_t k = 0; k < 2; ++k) {
            platform::Recordset rs;
            rs.open(DecimaliQuery(keys[k], false), connection, platform::CursorType::ForwardOnly,
                    platform::LockType::ReadOnly);
            // A value that is not a number keeps the default.
            if (!rs.isEOF())
                m_decimaliCaricati[k] = comUtility::IntegerOrDefault(rs.value(0), m_decimaliCaricati[k]);
            txtProg[k + 1]->setText(QString::number(m_decimaliCaricati[k]));
        }
    }

    for (const int i : {2, 4})
        chkRegData[static_cast<std::size_t>(i)]->setChecked(MainModule::LeggiNumero(RegTags[i], 0) != 0);
}

std::optional<std::int64_t> frmOptions::ValoreNumero(int index) const
{
    bool ok = false;
    const qlonglong value = txtProg[static_cast<std::size_t>(index)]->text().trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

bool frmOptions::NumeriValidi()
{
    for (int i = 0; i < 3; ++i) {
        const std::optional<std::int64_t> value = ValoreNumero(i);
        const std::int64_t max = i == 0 ? MaxProgressivo : MaxDecimali;
        if (!value || (*value >= 0 && *value <= max))
            continue;
        const QString prompt = i == 0
            ? QStringLiteral("Il Progressivo Magazzino deve essere compreso tra 0 e %1.").arg(max)
            : QStringLiteral("Le Cifre decimali devono essere comprese tra 0 e %1.").arg(max);
        platform::desktop().msgBox(prompt, platform::vbExclamation | platform::vbOKOnly);
        tbs->setCurrentIndex(TabMagazzino);
        txtProg[static_cast<std::size_t>(i)]->setFocus();
        txtProg[static_cast<std::size_t>(i)]->selectAll();
        return false;
    }
    return true;
}

void frmOptions::SalvaMagazzino()
{
    // The counter is written only when the user changed it, and only if the
    // stored number is still the one shown: another copy of the program may
    // have numbered movements meanwhile, and overwriting its number would
    // hand out the same numbers twice. An emptied box keeps the stored value.
    const std::optional<std::int64_t> counter = ValoreNumero(0);
    if (counter && *counter != m_progressivoCaricato
        && !MainModule::CambiaProgressivo(static_cast<std::int32_t>(*counter), m_annoProgressivo, m_progressivoCaricato))
        platform::desktop().msgBox(ContatoreCambiato, platform::vbExclamation | platform::vbOKOnly);

    // Both decimal rows in one transaction, so that a failure leaves neither half-written.
    {
        platform::Connection connection(MainModule::ConnString);
        connection.beginTrans();
        try {
            const QString keys[] = {QStringLiteral("NumDecQ"), QStringLiteral("NumDecV")};
            for (std::size_t k = 0; k < 2; ++k) {
                platform::Recordset rs;
                rs.open(DecimaliQuery(keys[k], true), connection, platform::CursorType::Static,
                        platform::LockType::Optimistic);
                if (rs.isEOF()) {
                    rs.addNew();
                    rs.setValue(QStringLiteral("k01"), Variant(keys[k]));
                }
                const std::optional<std::int64_t> value = ValoreNumero(static_cast<int>(k) + 1);
                rs.setValue(QStringLiteral("l01"),
                            Variant(value ? static_cast<std::int32_t>(*value) : m_decimaliCaricati[k]));
                rs.update();
                rs.close();
            }
            connection.commitTrans();
        } catch (...) {
            connection.rollbackTrans();
            throw;
        }
    }

    for (const int i : {2, 4})
        ScriviDword(RegTags[i], chkRegData[static_cast<std::size_t>(i)]->isChecked() ? 1 : 0);
}

// ---- printers ----

void frmOptions::CaricaStampanti()
{
    for (QComboBox *combo : cmbPrinters) {
        combo->addItem(QString());
        combo->addItems(MainModule::InstalledPrinters);
    }
    for (std::size_t k = 0; k < 2; ++k) {
        const QString name = NomeStampante(static_cast<int>(k));
        MainModule::PrinterNames[k] = LeggiTesto(MainModule::PrintersKey, name, QString());
        MainModule::PrinterDetails[k] = LeggiTesto(MainModule::PrintersKey, u'D' + name, QString());
        cmbPrinters[k]->setEditText(MainModule::PrinterNames[k]);
    }
}

void frmOptions::SalvaStampanti()
{
    for (std::size_t k = 0; k < 2; ++k) {
        const QString text = cmbPrinters[k]->currentText();
        if (text.isEmpty())
            continue;
        const QString name = NomeStampante(static_cast<int>(k));
        ScriviTesto(MainModule::PrintersKey, name, text);
        MainModule::PrinterNames[k] = text;
        // The device name of the chosen printer; a text that names no
        // installed printer leaves the stored device name as it is.
        const int position = cmbPrinters[k]->findText(text);
        if (position < 1)
            continue;
        const QString device = MainModule::InstalledPrinters.value(position - 1);
        ScriviTesto(MainModule::PrintersKey, u'D' + name, device);
        MainModule::PrinterDetails[k] = device;
    }
}

// ---- working date ----

void frmOptions::CaricaDataLavoro()
{
    dtp->setDate(MainModule::WorkDate.date());
}

void frmOptions::SalvaDataLavoro()
{
    MainModule::WorkDate = platform::DateTime(dtp->date());
    MainModule::WorkYear = static_cast<std::int16_t>(dtp->date().year());
    SetLay();
}

void frmOptions::cmdData_Click(int index)
{
    dtp->setDate(index == 0 ? comDateLib::LastDayOfPreviousYear(MainModule::WorkDate).date()
                            : platform::DateTime::today().date());
    m_modificato[SezDataLavoro] = true;
    dtp->setFocus();
}

// ---- database ----

void frmOptions::CaricaDatabase()
{
    m_percorsoDb[0] = LeggiTesto(MainModule::SettingsKeyCopy, QStringLiteral("dbPath"), MainModule::DataFolder);
    m_nomeDb[0] = LeggiTesto(MainModule::SettingsKeyCopy, QStringLiteral("dbName"), QStringLiteral("gest01.mdb"));
    lbltxtdb[0]->setText(comUtility::FullPath(m_percorsoDb[0], m_nomeDb[0]));
    m_percorsoDb[1] = LeggiTesto(MainModule::SettingsKeyCopy, QStringLiteral("dbPath2"), QString());
    m_nomeDb[1] = LeggiTesto(MainModule::SettingsKeyCopy, QStringLiteral("dbName2"), QString());
    if (!m_percorsoDb[1].isEmpty())
        lbltxtdb[1]->setText(comUtility::FullPath(m_percorsoDb[1], m_nomeDb[1]));
    lbltxtdb_Change();
}

void frmOptions::cmdopendb_Click(int index)
{
    const auto i = static_cast<std::size_t>(index);
    platform::FileDialogRequest request;
    request.title = index == 0 ? QStringLiteral("Selezione Database primario") : QStringLiteral("Selezione database secondario");
    request.initialDir = MainModule::DbPath.isEmpty() ? MainModule::DataFolder : MainModule::DbPath;
    request.defaultExt = QStringLiteral("mdb");
    request.filter = QStringLiteral("File di Access (*.mdb)|*.mdb");
    request.flags = platform::OFN_LONGNAMES | platform::OFN_FILEMUSTEXIST | platform::OFN_HIDEREADONLY;
    const std::optional<QString> chosen = platform::desktop().getOpenFileName(request);
    // A cancelled dialog changes nothing and says nothing.
    if (chosen && !chosen->isEmpty()) {
        const QFileInfo file(*chosen);
        const QString folder = file.absolutePath();
        if (MainModule::ConnessioneFallita(MainModule::CostruisciConnString(folder, file.fileName()))) {
            platform::desktop().msgBox(DatabaseNonValido, platform::vbOKOnly);
        } else {
            m_percorsoDb[i] = folder;
            m_nomeDb[i] = file.fileName();
            lbltxtdb[i]->setText(comUtility::FullPath(folder, file.fileName()));
            lbltxtdb_Change();
        }
    }
    m_modificato[SezDatabase] = true;
}

void frmOptions::lbltxtdb_Change()
{
    // A secondary database can be chosen only after a primary one.
    const bool primary = lbltxtdb[0]->text() != Vuoto;
    cmdopendb[1]->setEnabled(primary);
    QPalette palette = shpdb[1]->palette();
    palette.setColor(QPalette::Window, QApplication::palette().color(primary ? QPalette::Base : QPalette::Button));
    shpdb[1]->setPalette(palette);
    QPalette first = shpdb[0]->palette();
    first.setColor(QPalette::Window, QApplication::palette().color(QPalette::Base));
    shpdb[0]->setPalette(first);
}

void frmOptions::SalvaDatabase()
{
    if (lbltxtdb[0]->text() == Vuoto)
        return;
    ScriviTesto(MainModule::SettingsKeyCopy, QStringLiteral("dbPath"), m_percorsoDb[0]);
    ScriviTesto(MainModule::SettingsKeyCopy, QStringLiteral("dbName"), m_nomeDb[0]);
    if (lbltxtdb[1]->text() != Vuoto) {
        ScriviTesto(MainModule::SettingsKeyCopy, QStringLiteral("dbPath2"), m_percorsoDb[1]);
        ScriviTesto(MainModule::SettingsKeyCopy, QStringLiteral("dbName2"), m_nomeDb[1]);
    }
    // The running program switches to the primary database at once, but
    // only when it opens: a primary that is missing (the program may have
    // started on the secondary one) would leave every list without data.
    const QString connString = MainModule::CostruisciConnString(m_percorsoDb[0], m_nomeDb[0]);
    if (!MainModule::ConnessioneFallita(connString)) {
        MainModule::DbPath = m_percorsoDb[0];
        MainModule::DbName = m_nomeDb[0];
        MainModule::ConnString = connString;
    }
    SetLay();
}

// ---- buttons, keys and focus ----

void frmOptions::cmdSalva_Click()
{
    if (!NumeriValidi())
        return;
    m_confermato = true;
    done(QDialog::Accepted);
}

void frmOptions::cmdAnnulla_Click()
{
    m_confermato = false;
    done(QDialog::Rejected);
}

void frmOptions::reject()
{
    // Esc presses "Annulla".
    cmdAnnulla_Click();
}

void frmOptions::closeEvent(QCloseEvent *event)
{
    event->ignore();
}

void frmOptions::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        QWidget *focus = focusWidget();
        if (qobject_cast<QCheckBox *>(focus) || qobject_cast<QComboBox *>(focus) || qobject_cast<QLineEdit *>(focus)
            || (focus && qobject_cast<QComboBox *>(focus->parentWidget()))) {
            focusNextChild();
        }
        // No button takes Enter.
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool frmOptions::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        if (auto *edit = qobject_cast<QLineEdit *>(watched))
            QTimer::singleShot(0, edit, &QLineEdit::selectAll);
    }
    return QDialog::eventFilter(watched, event);
}

void frmOptions::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FocusPrimoControllo();
}

void frmOptions::tbs_Click()
{
    FocusPrimoControllo();
}

void frmOptions::FocusPrimoControllo()
{
    QWidget *first = nullptr;
    switch (tbs->currentIndex()) {
    case TabGenerale: first = chkRegData[0]; break;
    case TabMagazzino: first = txtProg[0]; break;
    case TabStampanti: first = cmbPrinters[0]; break;
    case TabDataLavoro: first = dtp; break;
    case TabDatabase: first = cmdopendb[0]; break;
    default: break;
    }
    if (first && first->isEnabled())
        first->setFocus();
}
