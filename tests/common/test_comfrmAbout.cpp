// The About box and the start-up splash: texts, the two shapes of the one
// window, the splash's minimum time (on a scripted clock, never waited out
// for real) and the links.
#include "common/comfrmAbout.h"

#include "ModalRunner.h"
#include "common/comLinkLabel.h"
#include "common/comProgramInfo.h"
#include "common/comSplashTimer.h"
#include "platform/desktop/ScriptedDesktop.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using platform::ScopedScriptedDesktop;
using platform::UrlCall;
using testsupport::onModal;

namespace {

// A clock the test moves by hand; every wait moves it on by the time asked.
struct ScriptedClock
{
    qint64 now = 100000;
    std::vector<qint64> waits;

    void attach(comSplashTimer &timer)
    {
        timer.setClock([this] { return now; });
        timer.setWait([this](qint64 ms) {
            waits.push_back(ms);
            now += ms;
        });
    }
};

// An About box on a scripted clock.
struct AboutFixture
{
    comfrmAbout about;
    ScriptedClock clock;
    QWidget owner;

    AboutFixture() { clock.attach(about.Timer1); }
};

} // namespace

TEST(AboutBox, TextsOfTheLoadedWindow)
{
    comfrmAbout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Velmora"));
    EXPECT_EQ(about.lblTitle->text(), QStringLiteral("Velmora"));
    EXPECT_TRUE(about.lblTitle->font().bold());
    EXPECT_EQ(about.lblCompanyName->text(), QStringLiteral("Prodotto da: Korvane"));
    EXPECT_EQ(about.lblVersion->text(), QStringLiteral("Versione ") + comProgramInfo::VersionText());
    EXPECT_EQ(about.lblWeb->text(), QStringLiteral("www.korvane.it"));
    EXPECT_EQ(about.lblMain->text(), QStringLiteral("info@korvane.it"));
    EXPECT_EQ(about.cmdOK->text(), QStringLiteral("Chiudi"));
    EXPECT_EQ(about.lblWeb->cursor().shape(), Qt::PointingHandCursor);
    // The divider: two lines a pixel apart, the second at 3000 twips.
    EXPECT_EQ(about.linDivide[1]->y(), 200);
    EXPECT_EQ(about.linDivide[1]->y() - about.linDivide[0]->y(), 1);
}

TEST(AboutBox, VersionAndCompanyLines)
{
    EXPECT_EQ(comfrmAbout::VersionLine(1, 7, 9), QStringLiteral("Versione 1.7.9"));
    EXPECT_EQ(comfrmAbout::VersionLine(2, 10, 0), QStringLiteral("Versione 2.10.0"));
    EXPECT_EQ(comfrmAbout::CompanyLine(QStringLiteral("Korvane")), QStringLiteral("Prodotto da: Korvane"));
    EXPECT_EQ(comfrmAbout::CompanyLine(QString()), QString());
}

TEST(Splash, ShowsTheUpperPartWithoutFrameAndWaitsOutTheMinimumTime)
{
    AboutFixture f;
    f.about.SplashOn(&f.owner, 3000, QStringLiteral("/home/anna/Documenti/BrevelDB/gest01.mdb"));

    EXPECT_TRUE(f.about.isVisible());
    EXPECT_FALSE(f.about.isModal());
    EXPECT_TRUE(f.about.CaptionHidden());
    EXPECT_TRUE(f.about.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(f.about.height(), f.about.SplashHeight());
    EXPECT_LT(f.about.SplashHeight(), f.about.SavedHeight());
    EXPECT_FALSE(f.about.cmdOK->isEnabled());
    EXPECT_FALSE(f.about.imgIcon->pixmap().isNull());
    EXPECT_EQ(f.about.lblPathEXE->text(), QStringLiteral("/home/anna/Documenti/BrevelDB/gest01.mdb"));

    // The main window's start takes 1200 ms: the splash stays 1800 ms more.
    f.clock.now += 1200;
    f.about.SplashOff();
    EXPECT_EQ(f.clock.waits, std::vector<qint64>{1800});
    EXPECT_FALSE(f.about.isVisible());
    EXPECT_FALSE(f.about.CaptionHidden());
    EXPECT_FALSE(f.about.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(f.about.height(), f.about.SavedHeight());
}

TEST(Splash, NoMinimumTimeOrTimeAlreadyOverHidesAtOnce)
{
    AboutFixture f;
    f.about.SplashOn(&f.owner, 0, QString());
    EXPECT_TRUE(f.about.isVisible());
    f.about.SplashOff();
    EXPECT_FALSE(f.about.isVisible());

    f.about.SplashOn(&f.owner, -5, QString());
    f.about.SplashOff();
    f.about.SplashOn(&f.owner, 3000, QString());
    f.clock.now += 3500;
    f.about.SplashOff();
    EXPECT_TRUE(f.clock.waits.empty());
    EXPECT_FALSE(f.about.isVisible());
}

TEST(Splash, WaitEndsEvenWhenAWaitReturnsEarly)
{
    // The event loop may come back before the time asked: the splash waits again.
    AboutFixture f;
    f.about.Timer1.setWait([&f](qint64 ms) {
        f.clock.waits.push_back(ms);
        f.clock.now += ms / 2 + 1;
    });
    f.about.SplashOn(&f.owner, 1000, QString());
    f.about.SplashOff();
    ASSERT_GE(f.clock.waits.size(), 2u);
    EXPECT_EQ(f.clock.waits[0], 1000);
    EXPECT_EQ(f.clock.waits[1], 499);
    EXPECT_FALSE(f.about.Timer1.Enabled());
    EXPECT_FALSE(f.about.isVisible());
}

TEST(Splash, SecondSplashOnWhileVisibleChangesNothing)
{
    AboutFixture f;
    f.about.SplashOn(&f.owner, 3000, QStringLiteral("primo"));
    f.clock.now += 2000;
    f.about.SplashOn(&f.owner, 9000, QStringLiteral("secondo"));
    EXPECT_EQ(f.about.lblPathEXE->text(), QStringLiteral("primo"));
    EXPECT_EQ(f.about.Timer1.Remaining(), 1000);
    f.about.SplashOff();
    EXPECT_EQ(f.clock.waits, std::vector<qint64>{1000});
}

TEST(Splash, SplashOffWhenNotVisibleDoesNothing)
{
    AboutFixture f;
    f.about.SplashOff();
    EXPECT_FALSE(f.about.isVisible());
    EXPECT_TRUE(f.clock.waits.empty());
}

TEST(Splash, EscDoesNotCloseTheSplash)
{
    AboutFixture f;
    f.about.SplashOn(&f.owner, 0, QString());
    QTest::keyClick(&f.about, Qt::Key_Escape);
    EXPECT_TRUE(f.about.isVisible());
    f.about.SplashOff();
}

TEST(AboutBox, AfterTheSplashShowsFrameFullHeightAndTheGivenText)
{
    AboutFixture f;
    f.about.SplashOn(&f.owner, 3000, QStringLiteral("/dati/gest01.mdb"));
    f.about.SplashOff();

    bool checked = false;
    onModal<comfrmAbout>([&checked, &f](comfrmAbout *about) {
        checked = true;
        EXPECT_EQ(about, &f.about);
        EXPECT_TRUE(about->isModal());
        EXPECT_FALSE(about->windowFlags() & Qt::FramelessWindowHint);
        EXPECT_EQ(about->height(), about->SavedHeight());
        EXPECT_TRUE(about->cmdOK->isEnabled());
        EXPECT_EQ(about->lblPathEXE->text(), QString());
        QTest::mouseClick(about->cmdOK, Qt::LeftButton);
    });
    f.about.About(&f.owner, QString());
    EXPECT_TRUE(checked);
    // "Chiudi" hides the window; it stays loaded for the next time.
    EXPECT_FALSE(f.about.isVisible());

    onModal<comfrmAbout>([](comfrmAbout *about) { QTest::keyClick(about->cmdOK, Qt::Key_Escape); });
    f.about.About(&f.owner, QStringLiteral("di nuovo"));
    EXPECT_EQ(f.about.lblPathEXE->text(), QStringLiteral("di nuovo"));
    EXPECT_FALSE(f.about.isVisible());
}

TEST(AboutBox, IconIsTheOwnersOrTheProgramsOwn)
{
    AboutFixture f;
    QPixmap red(32, 32);
    red.fill(Qt::red);
    f.owner.setWindowIcon(QIcon(red));
    f.about.SplashOn(&f.owner, 0, QString());
    EXPECT_EQ(f.about.imgIcon->pixmap().toImage().pixelColor(16, 16), QColor(Qt::red));
    f.about.SplashOff();

    // Without any icon the program draws its own.
    QWidget plain;
    f.about.SplashOn(&plain, 0, QString());
    if (QApplication::windowIcon().isNull()) {
        const QImage drawn = f.about.imgIcon->pixmap().toImage();
        EXPECT_FALSE(drawn.isNull());
        EXPECT_NE(drawn.pixelColor(16, 16), QColor(Qt::red));
        EXPECT_GT(drawn.pixelColor(16, 16).alpha(), 0);
    }
    f.about.SplashOff();
}

TEST(AboutBox, LinksOpenTheWebSiteAndTheMailbox)
{
    ScopedScriptedDesktop desktop;
    comfrmAbout about;
    about.show();
    QTest::mouseClick(about.lblWeb, Qt::LeftButton);
    QTest::mouseClick(about.lblMain, Qt::LeftButton);
    const auto urls = desktop->callsOf<UrlCall>();
    ASSERT_EQ(urls.size(), 2u);
    EXPECT_EQ(urls[0].url, QUrl(QStringLiteral("https://www.korvane.it")));
    EXPECT_EQ(urls[1].url, QUrl(QStringLiteral("mailto:info@korvane.it")));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    about.hide();
}
