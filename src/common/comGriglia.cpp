#include "common/comGriglia.h"

#include "platform/data/Connection.h"
#include "platform/data/DatabaseError.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/grid/Grid.h"

#include <QApplication>
#include <QCoreApplication>
#include <QScopeGuard>
#include <QFile>
#include <QFileInfo>

namespace comGriglia {

QString LayoutFile(const QString &name, const QString &programFolder)
{
    const QString folder = programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder;
    return folder + u'/' + name + QStringLiteral(".lyt");
}

QString MissingFileText(const QString &path)
{
    return QStringLiteral("Attenzione!\r\n\r\nManca il file di configurazione\r\n\"") + path + u'"';
}

QString UnreadableFileText(const QString &path)
{
    return QStringLiteral("Attenzione!\r\n\r\nIl file di configurazione non è leggibile\r\n\"") + path + u'"';
}

void LoadGridLayout(platform::Grid &grid, const QString &connectionString, const QString &name,
                    const QString &programFolder)
{
    const QString path = LayoutFile(name, programFolder);
    const auto refuse = [](const QString &text) {
        platform::desktop().msgBox(text, platform::vbCritical | platform::vbOKOnly);
    };
    if (!QFileInfo(path).isFile()) {
        refuse(MissingFileText(path));
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        refuse(UnreadableFileText(path));
        return;
    }
    // The grid checks the text is a layout before it changes anything; the
    // database's errors while binding go to the caller. A layout of many
    // columns, or of many rows, takes a while: the wait cursor says so.
    bool unreadable = false;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto normalCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        try {
            grid.setLayoutText(QString::fromUtf8(file.readAll()), true, connectionString);
        } catch (const platform::DatabaseError &) {
            throw;
        } catch (const platform::RuntimeError &) {
            unreadable = true;
        }
    }
    if (unreadable)
        refuse(UnreadableFileText(path));
}

void SaveGridLayout(platform::Grid &grid, const QString &connectionString, const QString &name)
{
    platform::Connection connection(connectionString);
    platform::Recordset rs;
    // The name is bound, not pasted into the text.
    rs.open(QStringLiteral("SELECT * FROM _Pars WHERE k01='gridlayout' AND k02=?"), connection,
            platform::CursorType::Static, platform::LockType::Optimistic, platform::CommandType::Text,
            {platform::Variant(name)});
    // A new row gets its keys and its layout in one write, so that a failing
    // write leaves no row without a layout behind.
    if (rs.isBOF() && rs.isEOF()) {
        rs.addNew();
        rs.setValue(QStringLiteral("k01"), platform::Variant(QStringLiteral("gridlayout")));
        rs.setValue(QStringLiteral("k02"), platform::Variant(name));
    }
    rs.setValue(QStringLiteral("m01"), platform::Variant(Utf16LeBytes(grid.layoutText(true))));
    rs.update();
    rs.close();
    connection.close();
}

QByteArray Utf16LeBytes(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar ch : text) {
        const char16_t unit = ch.unicode();
        bytes.append(static_cast<char>(unit & 0xFF));
        bytes.append(static_cast<char>(unit >> 8));
    }
    return bytes;
}

} // namespace comGriglia
