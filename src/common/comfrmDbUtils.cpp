#include "common/comfrmDbUtils.h"

#include "common/comHelp.h"
#include "common/comRegistry.h"
#include "common/comUtility.h"
#include "platform/base/RuntimeError.h"
#include "platform/base/Twips.h"
#include "platform/base/Variant.h"
#include "platform/data/Connection.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/desktop/WindowPlacement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <exception>

namespace {

using platform::twipsToPixels;

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

// Layout, in twips. The second row sits RowStep below the first; the modes
// that use one row lose that much height and the buttons move up with it.
constexpr int FormWidth = 6480;
constexpr int FormHeight = 4005;
constexpr int RowStep = 960;
constexpr int ButtonTop = 3375;

const QString AccessFilter = QStringLiteral("File di Access (*.mdb)|*.mdb");
const QString AccessExtension = QStringLiteral("mdb");
const QString TemplateName = QStringLiteral("master.gen");
const QString LineBreak = QStringLiteral("\r\n");

// The texts of one mode: title, the four instruction lines, the two row
// captions, and whether the second row is used.
struct ModeTexts
{
    const char16_t *title;
    std::array<const char16_t *, 4> lines;
    std::array<const char16_t *, 2> rows;
    bool secondRow;
};

const ModeTexts &textsOf(int mode)
{
    static const ModeTexts texts[] = {
        {u"Seleziona i database attivi.",
         {u"1. Selezionare (obbligatorio) il database primario. (...)",
          u"2. Selezionare (facoltativo) il database secondario. (...)", u"3. Premere il tasto OK.", u""},
         {u"Database primario", u"Database secondario"},
         true},
        {u"Nuovo database.",
         {u"1. Impostare il nome ed il percorso del nuovo database. (...)", u"2. Premere il tasto OK.", u"", u""},
         {u"Nuovo Database", u""},
         false},
        {u"Nuovo database da modello.",
         {u"Impostare il nome ed il percorso delnuovo database.", u"", u"", u""},
         {u"Modello", u"Nuovo Database"},
         true},
        {u"Compatta il database.",
         {u"1. Impostare il nome ed il percorso del database da compattare. (...)", u"2. Premere il tasto OK.", u"",
          u""},
         {u"Database da compattare", u""},
         false},
        {u"Backup del database.",
         {u"1. Impostare il nome ed il percorso del database da salvare.", u"2. Premere il tasto OK.", u"", u""},
         {u"Database da salvare", u""},
         false},
        {u"Ripristina il database.",
         {u"1. Impostare il nome ed il percorso del database da ripristinare.", u"2. Premere il tasto OK.", u"", u""},
         {u"Database da ripristinare", u""},
         false},
    };
    return texts[mode];
}

QString text(const char16_t *s)
{
    return QString::fromUtf16(s);
}

QString fileNameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

void writeSetting(const QString &key, const QString &name, const QString &value)
{
    comRegistry reg;
    reg.setClassKey(comRegistry::HKEY_CURRENT_USER);
    reg.setSectionKey(key);
    reg.setValueKey(name);
    reg.setValueType(comRegistry::REG_SZ);
    reg.setValue(platform::Variant(value));
}

QString readSetting(const QString &key, const QString &name)
{
    comRegistry reg;
    return reg.ValueEx(comRegistry::HKEY_CURRENT_USER, key, name, comRegistry::REG_SZ, platform::Variant(QString()))
        .toString();
}

// A failure of OK that has no error of its own behind it.
class OkFailure : public std::exception
{
public:
    const char *what() const noexcept override { return "database utilities: operation failed"; }
};

void showModal(int mode, const comfrmDbUtils::Impostazioni &settings, QWidget *owner)
{
    comfrmDbUtils dialog(mode, settings, owner);
    dialog.exec();
}

} // namespace

comfrmDbUtils::comfrmDbUtils(int mode, const Impostazioni &settings, QWidget *parent)
    : QDialog(parent), m_mode(mode < ModeSeleziona || mode > ModeRipristina ? ModeSeleziona : mode),
      m_settings(settings)
{
    setWindowTitle(QStringLiteral("Database"));
    setFixedSize(twipsRect(0, 0, FormWidth, FormHeight).size());
    platform::keepOnScreen(this);

    // The white banner with the title and the instructions.
    picBanner = new QFrame(this);
    picBanner->setObjectName(QStringLiteral("picBanner"));
    picBanner->setGeometry(twipsRect(0, 0, FormWidth, 1335));
    picBanner->setAutoFillBackground(true);
    picBanner->setBackgroundRole(QPalette::Base);

    lblTitle = new QLabel(picBanner);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setGeometry(twipsRect(240, 105, 6000, 255));
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);
    for (int i = 0; i < 4; ++i) {
        lblcom[i] = new QLabel(picBanner);
        lblcom[i]->setObjectName(QStringLiteral("lblcom_%1").arg(i));
        lblcom[i]->setGeometry(twipsRect(480, 390 + i * 225, 5880, 225));
    }
    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(twipsRect(0, 1335, FormWidth, 30));

    for (int i = 0; i < 2; ++i) {
        const int top = 1500 + i * RowStep;
        lbldb[i] = new QLabel(this);
        lbldb[i]->setObjectName(QStringLiteral("lbldb_%1").arg(i));
        lbldb[i]->setGeometry(twipsRect(240, top, 5520, 225));

        lbltxtdb[i] = new QLabel(EmptyPathText(), this);
        lbltxtdb[i]->setObjectName(QStringLiteral("lbltxtdb_%1").arg(i));
        lbltxtdb[i]->setGeometry(twipsRect(240, top + 255, 5475, 315));
        lbltxtdb[i]->setFrameShape(QFrame::StyledPanel);
        lbltxtdb[i]->setFrameShadow(QFrame::Sunken);
        lbltxtdb[i]->setTextFormat(Qt::PlainText);
        // A long path shows its end, where the file name is.
        lbltxtdb[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

        cmdopendb[i] = new QPushButton(QStringLiteral("..."), this);
        cmdopendb[i]->setObjectName(QStringLiteral("cmdopendb_%1").arg(i));
        cmdopendb[i]->setGeometry(twipsRect(5835, top + 255, 405, 315));
        connect(cmdopendb[i], &QPushButton::clicked, this, [this, i] { cmdopendb_Click(i); });
    }

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twipsRect(3705, ButtonTop, 1215, 375));
    cmdOK->setDefault(true);
    cmdOK->setEnabled(false);
    connect(cmdOK, &QPushButton::clicked, this, &comfrmDbUtils::cmdOK_Click);

    // Annulla is the cancel button: Esc rejects the dialog, which is what
    // Annulla does too, and nothing is written either way.
    cmdCancel = new QPushButton(QStringLiteral("Annulla"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(twipsRect(5025, ButtonTop, 1215, 375));
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(cmdopendb[0], cmdopendb[1]);
    setTabOrder(cmdopendb[1], cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    platform::desktop().removeCloseButton(this);
    FillTexts();
    if (m_mode == ModeSeleziona)
        LoadStoredDatabases();
    cmdopendb[0]->setFocus();
}

comfrmDbUtils::~comfrmDbUtils() = default;

void comfrmDbUtils::Seleziona(const Impostazioni &settings, QWidget *owner)
{
    showModal(ModeSeleziona, settings, owner);
}

void comfrmDbUtils::Nuovo(const Impostazioni &settings, QWidget *owner)
{
    showModal(ModeNuovo, settings, owner);
}

void comfrmDbUtils::NuovoDaModello(const Impostazioni &settings, QWidget *owner)
{
    showModal(ModeNuovoDaModello, settings, owner);
}

void comfrmDbUtils::Compatta(const Impostazioni &settings, QWidget *owner)
{
    showModal(ModeCompatta, settings, owner);
}

void comfrmDbUtils::Backup(const Impostazioni &settings, QWidget *owner)
{
    showModal(ModeBackup, settings, owner);
}

void comfrmDbUtils::Ripristina(const Impostazioni &settings, QWidget *owner)
{
    showModal(ModeRipristina, settings, owner);
}

QString comfrmDbUtils::EmptyPathText()
{
    return QStringLiteral("<vuoto>");
}

QString comfrmDbUtils::RestartText()
{
    return QStringLiteral("Riavviare l'applicazione per rendere effettive le modifiche.");
}

QString comfrmDbUtils::CreatedText()
{
    return QStringLiteral("Database creato con successo.");
}

QString comfrmDbUtils::AlreadyThereText()
{
    return QStringLiteral("Database già presente.") + LineBreak + QStringLiteral("Operazione annullata.");
}

QString comfrmDbUtils::SystemFileMissingText()
{
    return QStringLiteral("File di sistema assente.") + LineBreak + QStringLiteral("Operazione annullata.");
}

QString comfrmDbUtils::InvalidDatabaseText()
{
    return QStringLiteral("Database non valido");
}

void comfrmDbUtils::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        comHelp::MostraGuida(comHelp::DatabaseUtilities, m_settings.CartellaProgramma);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void comfrmDbUtils::FillTexts()
{
    const ModeTexts &t = textsOf(m_mode);
    lblTitle->setText(text(t.title));
    for (int i = 0; i < 4; ++i)
        lblcom[i]->setText(text(t.lines[i]));
    for (int i = 0; i < 2; ++i)
        lbldb[i]->setText(text(t.rows[i]));
    cmdopendb[1]->setEnabled(t.secondRow);
    if (!t.secondRow) {
        // The second row is cut off with the bottom of the window.
        lbldb[1]->hide();
        lbltxtdb[1]->hide();
        cmdopendb[1]->hide();
        cmdOK->move(cmdOK->x(), twipsToPixels(ButtonTop - RowStep));
        cmdCancel->move(cmdCancel->x(), twipsToPixels(ButtonTop - RowStep));
        setFixedSize(twipsRect(0, 0, FormWidth, FormHeight - RowStep).size());
    }
}

void comfrmDbUtils::LoadStoredDatabases()
{
    const QString &key = m_settings.SettingsKeyCopy;
    lbltxtdb[0]->setText(comUtility::FullPath(readSetting(key, QStringLiteral("dbPath")),
                                              readSetting(key, QStringLiteral("dbName"))));
    const QString path2 = readSetting(key, QStringLiteral("dbPath2"));
    if (!path2.isEmpty())
        lbltxtdb[1]->setText(comUtility::FullPath(path2, readSetting(key, QStringLiteral("dbName2"))));
}

QString comfrmDbUtils::ProgramFolder() const
{
    return m_settings.CartellaProgramma.isEmpty() ? QCoreApplication::applicationDirPath()
                                                  : m_settings.CartellaProgramma;
}

void comfrmDbUtils::cmdopendb_Click(int row)
{
    // A failing dialog or test ends the choice with nothing changed.
    try {
        if (m_mode == ModeSeleziona)
            ChooseDatabase(row);
        else if (m_mode == ModeNuovo && row == 0)
            ChooseNewDatabase();
    } catch (const std::exception &) {
    }
}

void comfrmDbUtils::ChooseDatabase(int row)
{
    platform::FileDialogRequest request;
    request.title = row == 0 ? QStringLiteral("Selezione Database primario")
                             : QStringLiteral("Selezione Database secondario");
    request.initialDir = m_settings.DbPath.isEmpty() ? m_settings.DataFolder : m_settings.DbPath;
    request.filter = AccessFilter;
    request.defaultExt = AccessExtension;
    request.flags = platform::OFN_LONGNAMES | platform::OFN_FILEMUSTEXIST | platform::OFN_HIDEREADONLY;
    const std::optional<QString> chosen = platform::desktop().getOpenFileName(request);
    if (!chosen || chosen->isEmpty())
        return;
    const QString path = QDir::fromNativeSeparators(*chosen);

    // The file is stored only when it opens as a database: the next start
    // would pass over anything else without a word. Opening never creates
    // or changes a file.
    try {
        platform::Connection connection(QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") + path
                                        + QStringLiteral(";Persist Security Info=False"));
        connection.close();
    } catch (const platform::RuntimeError &) {
        platform::desktop().msgBox(InvalidDatabaseText(), platform::vbOKOnly);
        return;
    }

    lbltxtdb[row]->setText(path);
    m_fileName[row] = fileNameOf(path);
    m_folder[row] = comUtility::FolderOf(path);
    m_changed[row] = true;
    cmdOK->setEnabled(true);
}

void comfrmDbUtils::ChooseNewDatabase()
{
    platform::FileDialogRequest request;
    request.title = QStringLiteral("Nuovo Database");
    request.initialDir = m_settings.DataFolder;
    request.filter = AccessFilter;
    request.defaultExt = AccessExtension;
    request.flags = platform::OFN_LONGNAMES | platform::OFN_HIDEREADONLY;
    const std::optional<QString> chosen = platform::desktop().getSaveFileName(request);
    if (!chosen || chosen->isEmpty())
        return;
    const QString path = QDir::fromNativeSeparators(*chosen);
    if (QFileInfo::exists(path)) {
        platform::desktop().msgBox(AlreadyThereText(), platform::vbOKOnly);
        return;
    }
    lbltxtdb[0]->setText(path);
    cmdOK->setEnabled(true);
}

void comfrmDbUtils::cmdOK_Click()
{
    try {
        if (m_mode == ModeSeleziona)
            WriteChosenDatabases();
        else if (m_mode == ModeNuovo)
            CreateDatabase();
    } catch (const std::exception &) {
        platform::desktop().msgBox(SystemFileMissingText(), platform::vbOKOnly);
        return;
    }
    accept();
}

void comfrmDbUtils::WriteChosenDatabases()
{
    static const QString names[2][2] = {{QStringLiteral("dbPath"), QStringLiteral("dbName")},
                                        {QStringLiteral("dbPath2"), QStringLiteral("dbName2")}};
    for (int i = 0; i < 2; ++i) {
        if (!m_changed[i])
            continue;
        writeSetting(m_settings.SettingsKeyCopy, names[i][0], m_folder[i]);
        writeSetting(m_settings.SettingsKeyCopy, names[i][1], m_fileName[i]);
        // Written: a second OK after a later failure does not repeat it.
        m_changed[i] = false;
        platform::desktop().msgBox(RestartText(), platform::vbOKOnly);
    }
}

void comfrmDbUtils::CreateDatabase()
{
    const QString source = ProgramFolder() + u'/' + TemplateName;
    const QString target = lbltxtdb[0]->text();
    if (!QFileInfo(source).isFile() || target.isEmpty() || target == EmptyPathText())
        throw OkFailure();
    // QFile::copy never replaces an existing file, so a database that has
    // appeared under the chosen name since it was chosen is left alone.
    QFile file(source);
    if (!file.copy(target))
        throw OkFailure();
    // The template may be installed read-only; the new database must not be.
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    platform::desktop().msgBox(CreatedText(), platform::vbOKOnly);
}
