// The registry through which the shell opens windows of higher layers.
#include "shell/WindowRegistry.h"

#include <gtest/gtest.h>

namespace {

class WindowRegistryTest : public ::testing::Test
{
protected:
    void TearDown() override { WindowRegistry::Rimuovi(); }
};

} // namespace

TEST_F(WindowRegistryTest, OnlyRegisteredCommandsRun)
{
    QStringList calls;
    WindowRegistry::Voce voce;
    voce.Apri = [&](const platform::Variant &key) { calls << QStringLiteral("Apri ") + key.toString(); };
    WindowRegistry::Registra(QStringLiteral("frm_io_IVA"), voce);

    EXPECT_TRUE(WindowRegistry::Registrata(QStringLiteral("frm_io_IVA")));
    EXPECT_TRUE(WindowRegistry::Apri(QStringLiteral("frm_io_IVA"), platform::Variant(QStringLiteral("22"))));
    // A command the window does not offer, a window nobody registered.
    EXPECT_FALSE(WindowRegistry::Nuovo(QStringLiteral("frm_io_IVA")));
    EXPECT_FALSE(WindowRegistry::Stampa(QStringLiteral("frmPrintReportDati"), QStringLiteral("P1")));
    EXPECT_FALSE(WindowRegistry::Registrata(QStringLiteral("frmPrintReportDati")));
    EXPECT_EQ(calls, QStringList{QStringLiteral("Apri 22")});

    // A second registration replaces the first; removing forgets it.
    voce.Nuovo = [&] { calls << QStringLiteral("Nuovo"); };
    WindowRegistry::Registra(QStringLiteral("frm_io_IVA"), voce);
    EXPECT_TRUE(WindowRegistry::Nuovo(QStringLiteral("frm_io_IVA")));
    WindowRegistry::Rimuovi(QStringLiteral("frm_io_IVA"));
    EXPECT_FALSE(WindowRegistry::Registrata(QStringLiteral("frm_io_IVA")));
    EXPECT_FALSE(WindowRegistry::Apri(QStringLiteral("frm_io_IVA"), platform::Variant()));
    EXPECT_EQ(calls, (QStringList{QStringLiteral("Apri 22"), QStringLiteral("Nuovo")}));
}
