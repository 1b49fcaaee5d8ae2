// The About box and the start-up splash: texts, the two shapes of the one
// window, the splash's minimum time (on a scripted clock, never waited out
// for real) and the links.
#include "common/comfrmAbout.h"

#include "ModalCall.h"
#include "common/comLinkLabel.h"
#include "platform/desktop/ScriptedDesktop.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using platform::UrlCall;

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

TEST(Splash, ShowsTheUpperPartWithTheOwnersIconAndWaitsOutTheMinimumTimeAndOnlyThat)
{
    AboutFixture f;
    QPixmap red(32, 32);
    red.fill(Qt::red);
    f.owner.setWindowIcon(QIcon(red));
    f.about.SplashOn(&f.owner, 3000, QStringLiteral("/home/anna/Documenti/BrevelDB/gest01.mdb"));

    EXPECT_TRUE(f.about.isVisible());
    EXPECT_FALSE(f.about.isModal());
    EXPECT_TRUE(f.about.CaptionHidden());
    EXPECT_TRUE(f.about.windowFlags() & Qt::FramelessWindowHint);
    // Down to the divider at 3000 twips.
    EXPECT_EQ(f.about.height(), 200);
    EXPECT_LT(f.about.SplashHeight(), f.about.SavedHeight());
    EXPECT_FALSE(f.about.cmdOK->isEnabled());
    EXPECT_EQ(f.about.imgIcon->pixmap().toImage().pixelColor(16, 16), QColor(Qt::red));
    EXPECT_EQ(f.about.lblPathEXE->text(), QStringLiteral("/home/anna/Documenti/BrevelDB/gest01.mdb"));
    QTest::keyClick(&f.about, Qt::Key_Escape);
    EXPECT_TRUE(f.about.isVisible()); // Esc does not close the splash
    // A second splash while it shows changes nothing.
    f.about.SplashOn(&f.owner, 9000, QStringLiteral("secondo"));
    EXPECT_EQ(f.about.lblPathEXE->text(), QStringLiteral("/home/anna/Documenti/BrevelDB/gest01.mdb"));

    // The main window's start takes 1200 ms: the splash stays 1800 ms more.
    f.now += 1200;
    f.about.SplashOff();
    EXPECT_EQ(f.waits, std::vector<qint64>{1800});
    EXPECT_FALSE(f.about.isVisible());
    EXPECT_FALSE(f.about.CaptionHidden());
    EXPECT_FALSE(f.about.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(f.about.height(), f.about.SavedHeight());

    // With no minimum time, or the time already over, it waits for nothing.
    f.waits.clear();
    f.about.SplashOff(); // not shown
    for (const int interval : {0, -5, 3000}) {
        f.about.SplashOn(&f.owner, interval, QString());
        EXPECT_TRUE(f.about.isVisible());
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
    EXPECT_FALSE(f.about.isVisible());
}

TEST(AboutBox, AfterTheSplashShowsItsTextsWithFrameAndFullHeightAndItsLinksOpen)
{
    platform::ScopedScriptedDesktop desktop;
    AboutFixture f;
    f.about.SplashOn(&f.owner, 3000, QStringLiteral("/dati/gest01.mdb"));
    f.about.SplashOff();

    testsupport::callModal<comfrmAbout>([&f] { f.about.About(&f.owner, QString()); }, [&f](comfrmAbout *about) {
        EXPECT_EQ(about, &f.about);
        EXPECT_EQ(about->windowTitle(), QStringLiteral("Velmora"));
        EXPECT_EQ(about->lblTitle->text(), QStringLiteral("Velmora"));
        EXPECT_EQ(about->lblCompanyName->text(), QStringLiteral("Prodotto da: Korvane"));
        EXPECT_EQ(about->cmdOK->text(), QStringLiteral("Chiudi"));
        EXPECT_FALSE(about->windowFlags() & Qt::FramelessWindowHint);
        EXPECT_EQ(about->height(), about->SavedHeight());
        EXPECT_TRUE(about->cmdOK->isEnabled());
        EXPECT_EQ(about->lblPathEXE->text(), QString());
        QTest::mouseClick(about->lblWeb, Qt::LeftButton);
        QTest::mouseClick(about->lblMain, Qt::LeftButton);
        QTest::mouseClick(about->cmdOK, Qt::LeftButton);
    });
    const auto urls = desktop->callsOf<UrlCall>();
    ASSERT_EQ(urls.size(), 2u);
    EXPECT_EQ(urls[0].url, QUrl(QStringLiteral("https://www.korvane.it")));
    EXPECT_EQ(urls[1].url, QUrl(QStringLiteral("mailto:info@korvane.it")));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // "Chiudi" hides the window; it stays loaded for the next time.
    EXPECT_FALSE(f.about.isVisible());

    testsupport::callModal<comfrmAbout>([&f] { f.about.About(&f.owner, QStringLiteral("di nuovo")); },
                                        [](comfrmAbout *about) { QTest::keyClick(about->cmdOK, Qt::Key_Escape); });
    EXPECT_EQ(f.about.lblPathEXE->text(), QStringLiteral("di nuovo"));
    EXPECT_FALSE(f.about.isVisible());
    EXPECT_EQ(comfrmAbout::VersionLine(2, 10, 0), QStringLiteral("Versione 2.10.0"));
    EXPECT_EQ(comfrmAbout::CompanyLine(QString()), QString());
}
