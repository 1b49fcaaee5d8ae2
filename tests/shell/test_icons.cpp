// The program's icons: every one the main window asks for exists, and each
// renders to a full, non-empty image at the list, toolbar and title sizes, at
// normal and double pixel density.
#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "icons/VelmoraIcons.h"

namespace {

// The share of a rendered image's pixels that are not transparent.
double coverage(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    qint64 painted = 0;
    for (int y = 0; y < argb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            painted += qAlpha(line[x]) > 0 ? 1 : 0;
    }
    return double(painted) / double(argb.width() * argb.height());
}

const QStringList &expectedNames()
{
    static const QStringList names = {
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
    return names;
}

} // namespace

TEST(Icons, TheLibraryHoldsExactlyTheIconsTheWindowUses)
{
    QStringList expected = expectedNames();
    expected.sort();
    EXPECT_EQ(velmoraIconNames(), expected);
}

TEST(Icons, EveryIconRendersFullAndNonEmptyAtEverySizeAndDensity)
{
    for (const QString &name : expectedNames()) {
        const QIcon icon = velmoraIcon(name);
        ASSERT_FALSE(icon.isNull()) << name.toStdString();
        for (const int size : {16, 32, 64}) {
            for (const qreal dpr : {1.0, 2.0}) {
                SCOPED_TRACE(QStringLiteral("%1 at %2 px, ratio %3").arg(name).arg(size).arg(dpr).toStdString());
                const QPixmap pixmap = icon.pixmap(QSize(size, size), dpr);
                ASSERT_FALSE(pixmap.isNull());
                // Drawn for the device pixels, not scaled up from a smaller image.
                EXPECT_EQ(pixmap.size(), QSize(size, size) * dpr);
                EXPECT_DOUBLE_EQ(pixmap.devicePixelRatio(), dpr);
                const double covered = coverage(pixmap.toImage());
                EXPECT_GT(covered, 0.15);
                EXPECT_LT(covered, 1.0 + 1e-9);
            }
        }
    }
}

TEST(Icons, TheTwoStockImagesDiffer)
{
    const QImage ok = velmoraIcon(QStringLiteral("status-ok")).pixmap(QSize(16, 16), 1.0).toImage();
    const QImage below = velmoraIcon(QStringLiteral("status-below-min")).pixmap(QSize(16, 16), 1.0).toImage();
    EXPECT_NE(ok, below);
}

TEST(Icons, AnUnknownNameGivesANullIcon)
{
    EXPECT_TRUE(velmoraIcon(QStringLiteral("node-xyz")).isNull());
    EXPECT_TRUE(velmoraIcon(QString()).isNull());
}
