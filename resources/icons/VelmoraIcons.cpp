#include "VelmoraIcons.h"

#include <QDir>
#include <QFile>

// The resources of a static library are registered only when asked for;
// Q_INIT_RESOURCE must stand outside any namespace.
static void initIconResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)done;
}

QIcon velmoraIcon(const QString &name)
{
    initIconResources();
    const QString path = QStringLiteral(":/icons/") + name + QStringLiteral(".svg");
    if (!QFile::exists(path))
        return {};
    return QIcon(path);
}

QStringList velmoraIconNames()
{
    initIconResources();
    QStringList names;
    const QStringList files =
        QDir(QStringLiteral(":/icons")).entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
    for (const QString &file : files)
        names << file.chopped(4);
    return names;
}
