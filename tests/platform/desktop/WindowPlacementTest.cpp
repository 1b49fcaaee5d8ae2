// Fitting windows into the available area of their screen.
#include "platform/desktop/WindowPlacement.h"

#include <QDialog>
#include <QMainWindow>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

using platform::fitIntoArea;
using platform::keepOnScreen;

TEST(WindowPlacement, AFrameIsCutToTheAreaAndMovedIntoItSoWindowsOpenWithinTheScreen)
{
    const QRect underPanel(0, 30, 1024, 738); // a 1024 x 768 screen under a panel
    const struct {
        QRect frame;
        QRect fitted;
    } cases[] = {
        {{100, 100, 400, 300}, {100, 100, 400, 300}}, // inside: left alone
        {{0, 0, 900, 1000}, {0, 30, 900, 738}},      // too tall and under the panel
        {{800, 600, 400, 300}, {624, 468, 400, 300}}, // sticks out right and below
        {{-50, 40, 2000, 200}, {0, 40, 1024, 200}},   // too wide and off the left
    };
    for (const auto &c : cases)
        EXPECT_EQ(fitIntoArea(c.frame, underPanel), c.fitted) << c.frame.x() << ',' << c.frame.y();

    // Windows open within the screen, even with a fixed size.
    QMainWindow window;
    window.resize(900, 1000);
    window.move(500, -40);
    keepOnScreen(&window);
    window.show();
    const QRect area = window.screen()->availableGeometry();
    EXPECT_TRUE(area.contains(window.frameGeometry())) << window.frameGeometry().y();
    // Shown again after the user moved it off: back on the screen.
    window.hide();
    window.move(area.right() - 10, 0);
    window.show();
    EXPECT_TRUE(area.contains(window.frameGeometry())) << window.frameGeometry().x();

    // A dialog too wide for the screen is narrowed, and still centred over
    // the window it belongs to.
    QDialog dialog(&window);
    dialog.setFixedSize(area.width() + 100, 300);
    keepOnScreen(&dialog);
    dialog.show();
    EXPECT_TRUE(area.contains(dialog.frameGeometry())) << dialog.frameGeometry().width();
    EXPECT_NEAR(dialog.frameGeometry().center().y(), window.frameGeometry().center().y(), 2);
}
