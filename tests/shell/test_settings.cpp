// The settings the main window reads once at start: the sub-view chosen for
// each node, the decimals and display formats, the default codes.
#include "ShellFixture.h"

#include "support/TestEnv.h"

#include "common/comRegistry.h"
#include "shell/MainModule.h"

using namespace shelltest;

using Settings = TemplateDatabaseTest;

TEST_F(Settings, DecimalRowsShapeTheFormats)
{
    struct Case {
        QString numDecQ, numDecV; // the l01 of each row, empty for no rows
        int q, v;
        QString qtyFormat, valueFormat;
    };
    const Case cases[] = {
        {{}, {}, 0, 2, QStringLiteral("#,#"), QStringLiteral("#,#.00")},
        {QStringLiteral("3"), QStringLiteral("0"), 3, 0, QStringLiteral("#,#.000"), QStringLiteral("#,#")},
        // Rows left empty in the table editor count as missing.
        {QStringLiteral("NULL"), QStringLiteral("''"), 0, 2, QStringLiteral("#,#"), QStringLiteral("#,#.00")},
        // No more decimals than the database keeps, and never fewer than none.
        {QStringLiteral("9"), QStringLiteral("-1"), 4, 0, QStringLiteral("#,#.0000"), QStringLiteral("#,#")},
    };
    for (const Case &c : cases) {
        runSql(database, QStringLiteral("DELETE FROM _Pars WHERE k01 IN ('NumDecQ', 'NumDecV')"));
        if (!c.numDecQ.isEmpty())
            runSql(database, QStringLiteral("INSERT INTO _Pars (k01, l01) VALUES ('NumDecQ', %1), ('NumDecV', %2)")
                                 .arg(c.numDecQ, c.numDecV));
        MainModule::NumDecQ = 9;
        MainModule::NumDecV = 9;
        MainModule::CaricaImpostazioni();
        EXPECT_EQ(MainModule::NumDecQ, c.q) << c.numDecQ.toStdString();
        EXPECT_EQ(MainModule::NumDecV, c.v) << c.numDecV.toStdString();
        EXPECT_EQ(MainModule::QtyFormat, c.qtyFormat);
        EXPECT_EQ(MainModule::ValueFormat, c.valueFormat);
    }
}

TEST_F(Settings, DefaultCodesComeFromTheRowsMarkedPredefinitoElseStayAsTheyWere)
{
    runSql(database, QStringLiteral("INSERT INTO CodiciIVA (CodiceIVA, Descrizione, Aliquota, Predefinito) VALUES ('10', 'Ridotta', 10, 0);"
                                    "INSERT INTO Liste (Chiave, Codice, Descrizione, Predefinito) VALUES ('um', 'PZ', 'Pezzi', 0)"));
    MainModule::DefaultCodiceIVA = QStringLiteral("4");
    MainModule::DefaultUM = QStringLiteral("NR");
    MainModule::DefaultCategoria = QStringLiteral("Varie");
    MainModule::CaricaImpostazioni();
    EXPECT_EQ(MainModule::DefaultCodiceIVA, QStringLiteral("4"));
    EXPECT_EQ(MainModule::DefaultUM, QStringLiteral("NR"));
    EXPECT_EQ(MainModule::DefaultCategoria, QStringLiteral("Varie"));

    // A category marked as default must not pass for a unit, nor a unit for a category.
    runSql(database, QStringLiteral("INSERT INTO CodiciIVA (CodiceIVA, Descrizione, Aliquota, Predefinito) VALUES ('22', 'Ordinaria', 22, 1);"
                                    "INSERT INTO Liste (Chiave, Codice, Descrizione, Predefinito) VALUES "
                                    "('cat', 'XX', 'Ferramenta', 1), ('um', 'KG', 'Chilogrammi', 1)"));
    MainModule::CaricaImpostazioni();
    EXPECT_EQ(MainModule::DefaultCodiceIVA, QStringLiteral("22"));
    EXPECT_EQ(MainModule::DefaultUM, QStringLiteral("KG"));
    EXPECT_EQ(MainModule::DefaultCategoria, QStringLiteral("Ferramenta"));
}

TEST_F(Settings, SubViewChoicesAreReadBackPerNode)
{
    MainModule::SettingsKey = SettingsPath;
    EXPECT_EQ(MainModule::CaricaImpostazioni(), (std::array<std::int32_t, 8>{}));
    // The last two are not among the eight names.
    for (const auto &[name, value] : {std::pair{"cursublay00", 1}, {"cursublay03", 2}, {"cursublay07", 4},
                                      {"cursublay8", 9}, {"cursublay1", 9}})
        MainModule::ScriviRegistro(comRegistry::HKEY_CURRENT_USER, SettingsPath, comRegistry::REG_DWORD,
                                   QString::fromLatin1(name), platform::Variant(std::int32_t(value)));
    // Text that is not a number, or a number too large, counts as missing.
    setSettingsText(QStringLiteral("cursublay05"), QStringLiteral("abc"));
    setSettingsText(QStringLiteral("cursublay06"), QStringLiteral("99999999999"));
    EXPECT_EQ(MainModule::CaricaImpostazioni(), (std::array<std::int32_t, 8>{1, 0, 0, 2, 0, 0, 0, 4}));
}
