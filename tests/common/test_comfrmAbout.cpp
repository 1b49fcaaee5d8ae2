// The About box and the start-up splash: the splash's minimum time (on a
// scripted clock, never waited out for real), the About box shown whole
// after the splash, and its links.
#include "common/comfrmAbout.h"

#include "ModalCall.h"
#include "common/comLinkLabel.h"
#include "platform/desktop/ScriptedDesktop.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

// An About box on a clock the test moves by hand; every wait moves it on by
// the time asked.
struct AboutFixture
{
    comfrmAbout about;
    QWidget owner;
    qint64 now = 100000;
    std::vector<qint64> waits;

    AboutFixture()
    {
        about.Timer1.setClock([this] { return now; });
        about.Timer1.setWait([this](qint64 ms) {
            waits.push_back(ms);
            now += ms;
        });
    }
};

} // namespace

TEST(Splash, StaysUpForTheMinimumTimeAndOnlyThatAndLeavesTheBoxWhole)
{
    AboutFixture f;
    f.about.SplashOn(&f.owner, 3000, QStringLiteral("/dati/gest01.mdb"));
    EXPECT_TRUE(f.about.isVisible());
    EXPECT_FALSE(f.about.isModal());
    EXPECT_LT(f.about.height(), f.about.SavedHeight());
    QTest::keyClick(&f.about, Qt::Key_Escape);
    EXPECT_TRUE(f.about.isVisible()); // Esc does not close the splash
    // A second splash while it shows changes nothing.
    f.about.SplashOn(&f.owner, 9000, QStringLiteral("secondo"));
    EXPECT_EQ(f.about.lblPathEXE->text(), QStringLiteral("/dati/gest01.mdb"));

    // The main window's start takes 1200 ms: the splash stays 1800 ms more.
    f.now += 1200;
    f.about.SplashOff();
    EXPECT_EQ(f.waits, std::vector<qint64>{1800});
    EXPECT_FALSE(f.about.isVisible());
    EXPECT_FALSE(f.about.CaptionHidden());
    EXPECT_EQ(f.about.height(), f.about.SavedHeight());

    // With no minimum time, or the time already over, it waits for nothing.
    f.waits.clear();
    f.about.SplashOff(); // not shown
    for (const int interval : {0, -5, 3000}) {
        f.about.SplashOn(&f.owner, interval, QString());
        if (interval > 0)
            f.now += 3500;
        f.about.SplashOff();
        EXPECT_FALSE(f.about.isVisible());
    }
    EXPECT_TRUE(f.waits.empty());

    // The event loop may come back before the time asked: the splash waits again.
    f.about.Timer1.setWait([&f](qint64 ms) {
        f.waits.push_back(ms);
        f.now += ms / 2 + 1;
    });
    f.about.SplashOn(&f.owner, 1000, QString());
    f.about.SplashOff();
    ASSERT_GE(f.waits.size(), 2u);
    EXPECT_EQ(f.waits[0], 1000);
    EXPECT_EQ(f.waits[1], 499);
    EXPECT_FALSE(f.about.Timer1.Enabled());
}

// Shown after the splash, the About box is whole again: frame, full
// height, the close button enabled; its links open their addresses.
TEST(AboutBox, AfterTheSplashShowsWholeAndItsLinksOpen)
{
    platform::ScopedScriptedDesktop desktop;
    AboutFixture f;
    f.about.SplashOn(&f.owner, 3000, QStringLiteral("/dati/gest01.mdb"));
    f.about.SplashOff();
    testsupport::callModal<comfrmAbout>([&f] { f.about.About(&f.owner, QString()); }, [](comfrmAbout *about) {
        EXPECT_FALSE(about->windowFlags() & Qt::FramelessWindowHint);
        EXPECT_EQ(about->height(), about->SavedHeight());
        EXPECT_TRUE(about->cmdOK->isEnabled());
        QTest::mouseClick(about->lblWeb, Qt::LeftButton);
        QTest::mouseClick(about->lblMain, Qt::LeftButton);
        QTest::keyClick(about->cmdOK, Qt::Key_Escape);
    });
    const auto urls = desktop->callsOf<platform::UrlCall>();
    ASSERT_EQ(urls.size(), 2u);
    EXPECT_EQ(urls[0].url, QUrl(QStringLiteral("https://www.korvane.it")));
    EXPECT_EQ(urls[1].url, QUrl(QStringLiteral("mailto:info@korvane.it")));
    EXPECT_FALSE(f.about.isVisible());
}
