// The tip of the day: the tips file, the random choice that never repeats
// the tip shown, and the start-up switch in the registry.
#include "common/comfrmTip.h"

#include "ModalCall.h"
#include "common/comRegistry.h"
#include "platform/registry/RegistryStore.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using platform::RegistryStore;
using platform::Variant;

namespace {

const QString Settings = QStringLiteral("Software\\Korvane\\Velmora\\Settings");
const QString Switch = QStringLiteral("regLoadTipsAtStartup");

// A program folder holding a tips file with the given bytes (none when null).
QString programFolderWith(const QByteArray &tips)
{
    const QString folder = testsupport::freshDir(QStringLiteral("tips"));
    if (!tips.isNull()) {
        QFile file(folder + QStringLiteral("/TIPOFDAY.TXT"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(tips);
    }
    return folder;
}

class TipTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegistryStore::setDefaultFileName(testsupport::freshDir(QStringLiteral("reg")) + QStringLiteral("/registry.ini"));
    }
    void TearDown() override { RegistryStore::setDefaultFileName(QString()); }

    static Variant storedSwitch()
    {
        return comRegistry().ValueEx(comRegistry::HKEY_CURRENT_USER, Settings, Switch, comRegistry::REG_DWORD,
                                     Variant::null());
    }
};

} // namespace

TEST_F(TipTest, SuccessivoNeverRepeatsTheTipShownAndWithoutTwoTipsKeepsTheTextShown)
{
    comfrmTip tip(Settings, programFolderWith("primo\r\nsecondo\r\nterzo\r\n"));
    ASSERT_EQ(tip.Tips().Count(), 3);
    QSet<QString> seen{tip.lblTipText->text()};
    for (int i = 0; i < 200; ++i) {
        const QString before = tip.lblTipText->text();
        QTest::mouseClick(tip.cmdNextTip, Qt::LeftButton);
        ASSERT_NE(tip.lblTipText->text(), before) << "after " << i << " clicks";
        seen.insert(tip.lblTipText->text());
    }
    EXPECT_EQ(seen, (QSet<QString>{QStringLiteral("primo"), QStringLiteral("secondo"), QStringLiteral("terzo")}));

    const std::pair<QByteArray, QString> fewer[] = {
        {QByteArray(), QStringLiteral("File TIPOFDAY.TXT non trovato.")}, // no file
        {QByteArray(""), QString()}, {QByteArray("F9 aggiorna l'elenco.\n"), QStringLiteral("F9 aggiorna l'elenco.")},
    };
    for (const auto &[bytes, text] : fewer) {
        comfrmTip one(Settings, programFolderWith(bytes));
        EXPECT_EQ(one.lblTipText->text(), text);
        QTest::mouseClick(one.cmdNextTip, Qt::LeftButton);
        EXPECT_EQ(one.lblTipText->text(), text);
    }
}

TEST_F(TipTest, LinesAreTipsAsWrittenTheSwitchIsOneOnLoadingAndOnlyZeroHidesTheTips)
{
    comTipList tips(1);
    ASSERT_TRUE(tips.Load(programFolderWith("  con spazi  \n\nultima senza a capo: è così") + QStringLiteral("/TIPOFDAY.TXT")));
    EXPECT_EQ(tips.Count(), 3);
    EXPECT_EQ(tips.Tip(1), QStringLiteral("  con spazi  "));
    EXPECT_EQ(tips.Tip(2), QString());
    EXPECT_EQ(tips.Tip(3), QStringLiteral("ultima senza a capo: è così"));
    ASSERT_TRUE(tips.Load(programFolderWith(QByteArray("Quantit\xE0 e unit\xE0\r\n")) + QStringLiteral("/TIPOFDAY.TXT")));
    EXPECT_EQ(tips.Count(), 1);
    EXPECT_EQ(tips.Tip(1), QStringLiteral("Quantità e unità"));

    // The switch is one on loading, the check box writes it at once; one
    // that is not a number shows the tips, only zero hides them.
    EXPECT_TRUE(storedSwitch().isNull());
    comfrmTip tip(Settings, programFolderWith("x"));
    EXPECT_EQ(storedSwitch(), Variant(std::int32_t(1)));
    comRegistry().setValueEx(comRegistry::HKEY_CURRENT_USER, Settings, Switch, comRegistry::REG_SZ, Variant(),
                             Variant("99999999999"));
    testsupport::callModal<comfrmTip>([] { comfrmTip::ShowTip(Settings, programFolderWith("Usare F5.")); }, [](comfrmTip *tip) {
        EXPECT_EQ(tip->lblTipText->text(), QStringLiteral("Usare F5."));
        QTest::mouseClick(tip->chkLoadTipsAtStartup, Qt::LeftButton);
        QTest::mouseClick(tip->cmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(storedSwitch(), Variant(std::int32_t(0)));

    // Should a window come up anyway, close it so that the test reports
    // instead of hanging.
    bool shown = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&shown] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            shown = true;
            modal->close();
        }
    });
    closer.start(0);
    comfrmTip::ShowTip(Settings, programFolderWith("x"));
    closer.stop();
    EXPECT_FALSE(shown);
    EXPECT_EQ(storedSwitch(), Variant(std::int32_t(0)));
}
