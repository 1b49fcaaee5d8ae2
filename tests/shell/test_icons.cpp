// The program's icons: the library holds every one the main window asks for,
// and the counter panel's two stock states look different.
#include "icons/VelmoraIcons.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

TEST(Icons, TheLibraryHoldsTheWindowsIconsAndTheTwoStockStatesDiffer)
{
    QStringList expected = {
        // The navigation nodes, by node code.
        QStringLiteral("node-mag"), QStringLiteral("node-gia"), QStringLiteral("node-art"),
        QStringLiteral("node-cli"), QStringLiteral("node-for"), QStringLiteral("node-iva"),
        QStringLiteral("node-umi"), QStringLiteral("node-cat"),
        // The toolbar commands.
        QStringLiteral("cmd-new"), QStringLiteral("cmd-open"), QStringLiteral("cmd-delete"),
        QStringLiteral("cmd-refresh"), QStringLiteral("cmd-print"),
        // The counter panel's stock state, and the application.
        QStringLiteral("status-ok"), QStringLiteral("status-below-min"), QStringLiteral("app-velmora"),
    };
    expected.sort();
    EXPECT_EQ(velmoraIconNames(), expected);

    const QImage ok = velmoraIcon(QStringLiteral("status-ok")).pixmap(QSize(16, 16), 1.0).toImage();
    const QImage below = velmoraIcon(QStringLiteral("status-below-min")).pixmap(QSize(16, 16), 1.0).toImage();
    EXPECT_NE(ok, below);
}
