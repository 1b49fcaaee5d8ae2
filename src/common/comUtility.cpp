#include "common/comUtility.h"

#include "platform/base/RuntimeError.h"
#include "platform/base/SystemFile.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QObject>
#include <QPointer>
#include <QScopeGuard>

#include <cerrno>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace comUtility {

namespace {

// The locale a locale identifier stands for, nullopt when it is unknown.
std::optional<QLocale> localeFor(std::int32_t id)
{
    switch (id) {
    case LOCALE_USER_DEFAULT:
    case LOCALE_SYSTEM_DEFAULT:
        return QLocale();
    case LOCALE_INVARIANT:
        return QLocale::c();
    case 0x0410: return QLocale(QLocale::Italian, QLocale::Italy);
    case 0x0810: return QLocale(QLocale::Italian, QLocale::Switzerland);
    case 0x0409: return QLocale(QLocale::English, QLocale::UnitedStates);
    case 0x0809: return QLocale(QLocale::English, QLocale::UnitedKingdom);
    case 0x0407: return QLocale(QLocale::German, QLocale::Germany);
    case 0x040C: return QLocale(QLocale::French, QLocale::France);
    case 0x0C0A: return QLocale(QLocale::Spanish, QLocale::Spain);
    default:
        return std::nullopt;
    }
}

// The first character of a date or time format that is not part of a
// field: the separator between day, month and year (or hours and minutes).
QString separatorOf(const QString &format)
{
    for (const QChar c : format) {
        if (!c.isLetter() && c != u'\'')
            return QString(c);
    }
    return QString();
}

// The locale's short date format with a four-digit year, as the desktop
// writes short dates ("dd/MM/yyyy" in Italy).
QString shortDateFormat(const QLocale &locale)
{
    QString fmt = locale.dateFormat(QLocale::ShortFormat);
    if (!fmt.contains(QStringLiteral("yyyy")))
        fmt.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return fmt;
}

// Runs the characters typed into a line edit through a key filter.
class KeyFilterObject : public QObject
{
public:
    KeyFilterObject(QLineEdit *edit, KeyFilterFn filter)
        : QObject(edit)
        , m_filter(std::move(filter))
    {
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_resending || event->type() != QEvent::KeyPress)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        const QString typed = key->text();
        if (typed.isEmpty())
            return false;
        // Control characters (Enter, Esc, Backspace, Ctrl+letter) and Ctrl
        // shortcuts are commands, not text: the line edit and the window
        // handle them. Ctrl+Alt is AltGr on some systems and types text.
        for (const QChar c : typed) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                return false;
        }
        const Qt::KeyboardModifiers mods = key->modifiers();
        if ((mods & (Qt::ControlModifier | Qt::MetaModifier)) && !(mods & Qt::AltModifier))
            return false;

        QString replacement;
        for (const QChar c : typed) {
            const std::int16_t code = m_filter(static_cast<std::int16_t>(c.unicode()));
            if (code != 0)
                replacement += QChar(static_cast<char16_t>(code));
        }
        if (replacement == typed)
            return false;
        if (!replacement.isEmpty()) {
            // Type the replacement through the line edit's own key handling
            // so that read-only state, the validator and undo still apply.
            int replacementKey = Qt::Key_unknown;
            if (replacement.size() == 1 && replacement[0].unicode() < 0x80)
                replacementKey = replacement[0].toUpper().unicode();
            QKeyEvent retyped(QEvent::KeyPress, replacementKey, mods, replacement, key->isAutoRepeat());
            m_resending = true;
            QCoreApplication::sendEvent(watched, &retyped);
            m_resending = false;
        }
        return true;
    }

private:
    KeyFilterFn m_filter;
    bool m_resending = false;
};

// Runs the text that reaches a line edit by paste or drop through a text
// filter before the box takes it, so that the box's maximum length cuts
// what the filter left, not what was pasted.
class PasteFilterObject : public QObject
{
public:
    PasteFilterObject(QLineEdit *edit, PasteFilterFn filter)
        : QObject(edit)
        , m_edit(edit)
        , m_filter(std::move(filter))
    {
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_edit || m_edit->isReadOnly())
            return false;
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent *>(event)->matches(QKeySequence::Paste)) {
                Insert(QGuiApplication::clipboard()->text(QClipboard::Clipboard));
                return true;
            }
            return false;
        case QEvent::MouseButtonRelease: {
            // The middle button pastes the selection where it was clicked.
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() != Qt::MiddleButton || !QGuiApplication::clipboard()->supportsSelection())
                return false;
            m_edit->deselect();
            m_edit->setCursorPosition(m_edit->cursorPositionAt(mouse->position().toPoint()));
            Insert(QGuiApplication::clipboard()->text(QClipboard::Selection));
            return true;
        }
        case QEvent::ContextMenu: {
            // The box's own menu, whose "Incolla" pastes through the filter.
            const auto *request = static_cast<QContextMenuEvent *>(event);
            QPointer<QMenu> menu = m_edit->createStandardContextMenu();
            QAction *paste = PasteAction(menu);
            if (!paste) {
                delete menu;
                return false;
            }
            paste->disconnect(SIGNAL(triggered(bool)));
            connect(paste, &QAction::triggered, this,
                    [this] { Insert(QGuiApplication::clipboard()->text(QClipboard::Clipboard)); });
            menu->exec(request->globalPos());
            delete menu;
            return true;
        }
        case QEvent::Drop: {
            // Text moved inside the box is already in it as the filter left it.
            auto *drop = static_cast<QDropEvent *>(event);
            if (drop->source() == m_edit || !drop->mimeData()->hasText())
                return false;
            m_edit->deselect();
            m_edit->setCursorPosition(m_edit->cursorPositionAt(drop->position().toPoint()));
            Insert(drop->mimeData()->text());
            drop->acceptProposedAction();
            m_edit->setFocus(Qt::MouseFocusReason);
            return true;
        }
        default:
            return false;
        }
    }

private:
    // The "Paste" entry of a line edit's standard menu: by its name where
    // Qt gives it one, else by its (translated) caption.
    static QAction *PasteAction(const QMenu *menu)
    {
        const QString caption = QCoreApplication::translate("QLineEdit", "&Paste");
        for (QAction *action : menu->actions()) {
            if (action->objectName() == QStringLiteral("edit-paste")
                || action->text().section(u'\t', 0, 0) == caption)
                return action;
        }
        return nullptr;
    }

    void Insert(const QString &text)
    {
        const QString filtered = m_filter(text);
        if (!filtered.isEmpty() || m_edit->hasSelectedText())
            m_edit->insert(filtered);
    }

    QLineEdit *m_edit;
    PasteFilterFn m_filter;
};

} // namespace

QString LocaleInfo(std::int32_t locale, std::int32_t lcType)
{
    const std::optional<QLocale> found = localeFor(locale);
    if (!found)
        return QString();
    if (lcType & LOCALE_RETURN_NUMBER)
        return QString();
    const QLocale &l = *found;
    const std::int32_t type = lcType & ~(LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP);

    if (type >= LOCALE_SDAYNAME1 && type < LOCALE_SDAYNAME1 + 7)
        return l.standaloneDayName(type - LOCALE_SDAYNAME1 + 1, QLocale::LongFormat);
    if (type >= LOCALE_SABBREVDAYNAME1 && type < LOCALE_SABBREVDAYNAME1 + 7)
        return l.standaloneDayName(type - LOCALE_SABBREVDAYNAME1 + 1, QLocale::ShortFormat);
    if (type >= LOCALE_SMONTHNAME1 && type < LOCALE_SMONTHNAME1 + 12)
        return l.standaloneMonthName(type - LOCALE_SMONTHNAME1 + 1, QLocale::LongFormat);
    if (type >= LOCALE_SABBREVMONTHNAME1 && type < LOCALE_SABBREVMONTHNAME1 + 12)
        return l.standaloneMonthName(type - LOCALE_SABBREVMONTHNAME1 + 1, QLocale::ShortFormat);

    switch (type) {
    case LOCALE_SDECIMAL:
    case LOCALE_SMONDECIMALSEP:
        return l.decimalPoint();
    case LOCALE_STHOUSAND:
    case LOCALE_SMONTHOUSANDSEP:
        return l.groupSeparator();
    case LOCALE_SNEGATIVESIGN:
        return l.negativeSign();
    case LOCALE_SCURRENCY:
        return l.currencySymbol(QLocale::CurrencySymbol);
    case LOCALE_SINTLSYMBOL:
        return l.currencySymbol(QLocale::CurrencyIsoCode);
    case LOCALE_SDATE:
        return separatorOf(l.dateFormat(QLocale::ShortFormat));
    case LOCALE_STIME:
        return separatorOf(l.timeFormat(QLocale::ShortFormat));
    case LOCALE_SSHORTDATE:
        return shortDateFormat(l);
    case LOCALE_SLONGDATE:
        return l.dateFormat(QLocale::LongFormat);
    case LOCALE_S1159:
        return l.amText();
    case LOCALE_S2359:
        return l.pmText();
    case LOCALE_SNATIVELANGNAME:
        return l.nativeLanguageName();
    case LOCALE_SNATIVECTRYNAME:
        return l.nativeTerritoryName();
    case LOCALE_SENGLANGUAGE:
        return QLocale::languageToString(l.language());
    case LOCALE_SENGCOUNTRY:
        return QLocale::territoryToString(l.territory());
    case LOCALE_SISO639LANGNAME:
        return l.name().section(u'_', 0, 0);
    case LOCALE_SISO3166CTRYNAME:
        return l.name().section(u'_', 1, 1);
    case LOCALE_IFIRSTDAYOFWEEK:
        return QString::number(static_cast<int>(l.firstDayOfWeek()) - 1);
    default:
        return QString();
    }
}

std::int16_t DecimalKeyFilter(std::int16_t keyAscii)
{
    switch (keyAscii) {
    case 8:  // Backspace
    case 9:  // Tab
    case 44: // comma
        return keyAscii;
    case 46: { // point: the user's decimal separator instead
        const QString separator = LocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL);
        if (separator.isEmpty())
            return 0;
        return static_cast<std::int16_t>(separator.at(0).unicode());
    }
    default:
        return keyAscii >= 48 && keyAscii <= 57 ? keyAscii : std::int16_t(0);
    }
}

std::int16_t DigitKeyFilter(std::int16_t keyAscii)
{
    if ((keyAscii >= 48 && keyAscii <= 57) || keyAscii == 8 || keyAscii == 9)
        return keyAscii;
    return 0;
}

QObject *installKeyFilter(QLineEdit *edit, KeyFilterFn filter)
{
    if (!edit || !filter)
        return nullptr;
    // Pasted text goes through the same filter, character by character.
    installPasteFilter(edit, [filter](const QString &text) {
        QString kept;
        for (const QChar c : text) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                continue;
            const std::int16_t code = filter(static_cast<std::int16_t>(c.unicode()));
            if (code != 0)
                kept += QChar(static_cast<char16_t>(code));
        }
        return kept;
    });
    auto *object = new KeyFilterObject(edit, std::move(filter));
    edit->installEventFilter(object);
    return object;
}

void SelectAllFromStart(QLineEdit *edit)
{
    const int length = static_cast<int>(edit->text().size());
    if (length == 0)
        return;
    // The selection runs from the end back to the start, where the cursor stays.
    edit->setSelection(length, -length);
}

QObject *installPasteFilter(QLineEdit *edit, PasteFilterFn filter)
{
    if (!edit || !filter)
        return nullptr;
    auto *object = new PasteFilterObject(edit, std::move(filter));
    edit->installEventFilter(object);
    return object;
}

QString StringOrDefault(const platform::Variant &value, const QString &def)
{
    if (const QString *text = value.get<QString>())
        return *text;
    return def;
}

double NumberOrDefault(const platform::Variant &value, double def)
{
    if (value.isNumeric())
        return value.toDouble();
    return def;
}

std::int32_t IntegerOrDefault(const platform::Variant &value, std::int32_t def)
{
    if (value.isEmpty() || !value.isNumeric())
        return def;
    try {
        return value.toInt32();
    } catch (const platform::RuntimeError &) {
        return def; // too large for a whole number
    }
}

QString FullPath(const QString &folder, const QString &fileName)
{
    return folder.endsWith(u'/') ? folder + fileName : folder + u'/' + fileName;
}

QString FolderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return QString();
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

namespace {

// Copies what is left of `in` to `out` and forces it to the disk, where a
// full disk may show only then; 0, or the error code of the step that failed.
int CopyContents(int in, int out)
{
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(in, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return errno;
        if (count == 0)
            break;
        if (const int error = platform::writeAll(out, buffer, count))
            return error;
    }
    if (::fchmod(out, S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH) != 0 || ::fsync(out) != 0)
        return errno;
    return 0;
}

// Gives the finished copy its name, unless a file of that name exists.
int RenameNoReplace(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL)
        return errno;
    // A file system that cannot refuse to replace: check first.
    if (QFileInfo::exists(QFile::decodeName(to)))
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

} // namespace

QString CopyNewFile(const QString &source, const QString &target)
{
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return platform::systemErrorText(errno);
    const auto closeIn = qScopeGuard([in] { ::close(in); });

    const QByteArray name = QFile::encodeName(target);
    QByteArray temporary = name + ".XXXXXX";
    const int out = ::mkstemp(temporary.data());
    if (out < 0)
        return platform::systemErrorText(errno);
    int error = CopyContents(in, out);
    if (::close(out) != 0 && error == 0)
        error = errno;
    if (error == 0)
        error = RenameNoReplace(temporary, name);
    if (error != 0) {
        ::unlink(temporary.constData());
        return platform::systemErrorText(error);
    }
    return QString();
}

} // namespace comUtility
