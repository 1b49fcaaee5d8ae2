// The navigation button bar, driven by real mouse clicks and keys offscreen.
#include "platform/desktop/ButtonBar.h"

#include <QApplication>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

using platform::ButtonBar;

namespace {

// A bar shaped like the main window's: three groups of 2, 3 and 3 items
// keyed "0" to "7".
class ButtonBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QIcon icon = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
        const char *captions[] = {"Movements", "Stock", "Articles", "Customers", "Suppliers",
                                  "Tax codes", "Units of measure of articles", "Categories"};
        const int groupOf[] = {0, 0, 1, 1, 1, 2, 2, 2};
        bar.addGroup(QStringLiteral("Management"));
        bar.addGroup(QStringLiteral("Registers"));
        bar.addGroup(QStringLiteral("Settings"));
        for (int i = 0; i < 8; ++i)
            bar.addItem(groupOf[i], QString::number(i), QString::fromLatin1(captions[i]), icon);
        bar.resize(bar.sizeHint());
        bar.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    }

    void click(const QRect &r) { QTest::mouseClick(&bar, Qt::LeftButton, {}, r.center()); }

    ButtonBar bar;
};

} // namespace

// Clicks on items and group captions are tested through the main window.
TEST_F(ButtonBarTest, APressReleasedOverAnotherItemIsNoClickAndAClosedGroupKeepsItsSelection)
{
    QSignalSpy clicked(&bar, &ButtonBar::itemClicked);
    EXPECT_EQ(bar.openGroup(), 0);
    EXPECT_TRUE(bar.selectedKey().isEmpty());
    click(bar.itemRect(QStringLiteral("1")));
    QTest::mousePress(&bar, Qt::LeftButton, {}, bar.itemRect(QStringLiteral("0")).center());
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, bar.itemRect(QStringLiteral("1")).center());
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(bar.selectedKey(), QStringLiteral("1"));

    // The open group's items lie between its caption and the next caption.
    click(bar.groupRect(2));
    EXPECT_TRUE(bar.itemRect(QStringLiteral("0")).isEmpty());
    const QRect units = bar.itemRect(QStringLiteral("6"));
    ASSERT_FALSE(units.isEmpty());
    EXPECT_GT(units.top(), bar.groupRect(2).bottom());
    EXPECT_TRUE(bar.rect().contains(units));
    click(units);
    click(bar.groupRect(2));
    EXPECT_EQ(bar.openGroup(), -1);
    EXPECT_TRUE(bar.itemRect(QStringLiteral("6")).isEmpty());
    EXPECT_EQ(clicked.count(), 2);
    EXPECT_EQ(bar.selectedKey(), QStringLiteral("6"));
}

TEST_F(ButtonBarTest, SelectingByKeyOpensTheGroupAndEmitsNothingAndEveryGroupFitsAtTheMinimumSize)
{
    QSignalSpy clicked(&bar, &ButtonBar::itemClicked);
    bar.setSelectedKey(QStringLiteral("4"));
    EXPECT_EQ(bar.openGroup(), 1);
    EXPECT_EQ(bar.selectedKey(), QStringLiteral("4"));
    EXPECT_EQ(bar.groupOfItem(QStringLiteral("4")), 1);
    EXPECT_EQ(bar.itemCaption(QStringLiteral("4")), QStringLiteral("Suppliers"));

    bar.setSelectedKey(QStringLiteral("99"));
    EXPECT_TRUE(bar.selectedKey().isEmpty());
    EXPECT_EQ(clicked.count(), 0);

    // Keys stay unique: a second item under a used key is not added.
    bar.addItem(0, QStringLiteral("4"), QStringLiteral("Twice"), QIcon());
    EXPECT_EQ(bar.itemCount(0), 2);
    EXPECT_EQ(bar.itemCaption(QStringLiteral("4")), QStringLiteral("Suppliers"));

    // Every group, opened, fits at the minimum size.
    bar.resize(bar.minimumSizeHint());
    for (int g = 0; g < bar.groupCount(); ++g) {
        bar.setOpenGroup(g);
        const QRect last = bar.itemRect(bar.itemKey(g, bar.itemCount(g) - 1));
        EXPECT_TRUE(bar.rect().contains(last)) << g;
        for (int other = g + 1; other < bar.groupCount(); ++other)
            EXPECT_FALSE(bar.groupRect(other).intersects(last)) << g << ' ' << other;
    }
}

TEST_F(ButtonBarTest, ArrowKeysMoveInsideTheOpenGroupAndEnterClicks)
{
    QSignalSpy clicked(&bar, &ButtonBar::itemClicked);
    bar.setSelectedKey(QStringLiteral("2"));
    bar.setFocus();
    QTest::keyClick(&bar, Qt::Key_Down);
    EXPECT_EQ(bar.selectedKey(), QStringLiteral("3"));
    QTest::keyClick(&bar, Qt::Key_Down);
    QTest::keyClick(&bar, Qt::Key_Down); // stops at the group's last item
    EXPECT_EQ(bar.selectedKey(), QStringLiteral("4"));
    EXPECT_EQ(clicked.count(), 0);

    QTest::keyClick(&bar, Qt::Key_Return);
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toString(), QStringLiteral("4"));

    QTest::keyClick(&bar, Qt::Key_Up);
    QTest::keyClick(&bar, Qt::Key_Up);
    QTest::keyClick(&bar, Qt::Key_Up);
    EXPECT_EQ(bar.selectedKey(), QStringLiteral("2"));

    // In another group the first arrow picks that group's first item.
    click(bar.groupRect(0));
    QTest::keyClick(&bar, Qt::Key_Down);
    EXPECT_EQ(bar.selectedKey(), QStringLiteral("0"));
}
