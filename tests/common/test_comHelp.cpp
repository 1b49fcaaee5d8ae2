// The help service: the help file of the program folder opened at a topic,
// and the message when it is missing or the viewer fails.
#include "common/comHelp.h"

#include "platform/desktop/ScriptedDesktop.h"
#include "support/TestEnv.h"

#include <QFile>

#include <gtest/gtest.h>

using platform::HelpCall;

TEST(Help, TheFileOpensAtTheTopicAMissingFileOrAViewerFailureIsReportedWithItsPath)
{
    platform::ScopedScriptedDesktop desktop;
    const QString folder = testsupport::freshDir(QStringLiteral("help"));
    const QString file = folder + QStringLiteral("/brevel.chm");
    EXPECT_FALSE(comHelp::MostraGuida(comHelp::FirstMovement, folder));
    EXPECT_TRUE(desktop->callsOf<HelpCall>().empty());
    ASSERT_EQ(desktop->msgBoxes().size(), 1u);
    EXPECT_EQ(desktop->msgBoxes()[0].prompt, QStringLiteral("File della Guida in linea non trovato:\r\n") + file);
    EXPECT_EQ(desktop->msgBoxes()[0].style, platform::vbOKOnly);
    EXPECT_EQ(desktop->msgBoxes()[0].title, QString());

    desktop->clear();
    ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly));
    EXPECT_TRUE(comHelp::MostraGuida(comHelp::ShortcutKeys, folder));
    EXPECT_TRUE(comHelp::MostraGuida(comHelp::StartPage, folder));
    const auto calls = desktop->callsOf<HelpCall>();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].helpFile, file);
    EXPECT_EQ(calls[0].contextId, 70);
    EXPECT_EQ(calls[1].contextId, 0);
    EXPECT_TRUE(desktop->msgBoxes().empty());

    desktop->setHelpFileExists(false);
    EXPECT_FALSE(comHelp::MostraGuida(comHelp::FirstMovement, folder));
    EXPECT_EQ(desktop->prompts(), QStringList{QStringLiteral("Impossibile aprire la Guida in linea:\r\n") + file});
}
