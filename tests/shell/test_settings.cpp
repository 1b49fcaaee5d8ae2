// The settings the main window reads once at start: the sub-view chosen for
// each node, the decimals and display formats, the default codes.
#include "ShellFixture.h"

#include "support/TestEnv.h"

#include "common/comRegistry.h"
#include "platform/data/Connection.h"
#include "shell/MainModule.h"

using namespace shelltest;

class Settings : public ShellTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        database = copyTemplate(testsupport::freshDir(QStringLiteral("impostazioni")));
        useDatabase(database);
        MainModule::SettingsKey = SettingsPath;
    }

    void execute(const QString &jetSql)
    {
        platform::Connection connection(MainModule::ConnString);
        connection.execute(jetSql);
    }

    QString database;
};

TEST_F(Settings, WithoutDecimalRowsQuantitiesAreWholeAndValuesHaveTwoDecimals)
{
    MainModule::CaricaImpostazioni();
    EXPECT_EQ(MainModule::NumDecQ, 0);
    EXPECT_EQ(MainModule::NumDecV, 2);
    EXPECT_EQ(MainModule::QtyFormat, QStringLiteral("#,#"));
    EXPECT_EQ(MainModule::ValueFormat, QStringLiteral("#,#.00"));
}

TEST_F(Settings, DecimalRowsShapeTheFormats)
{
    execute(QStringLiteral("INSERT INTO _Pars (k01, l01) VALUES ('NumDecQ', 3)"));
    execute(QStringLiteral("INSERT INTO _Pars (k01, l01) VALUES ('NumDecV', 0)"));
    MainModule::CaricaImpostazioni();
    EXPECT_EQ(MainModule::NumDecQ, 3);
    EXPECT_EQ(MainModule::NumDecV, 0);
    EXPECT_EQ(MainModule::QtyFormat, QStringLiteral("#,#.000"));
    EXPECT_EQ(MainModule::ValueFormat, QStringLiteral("#,#"));
}

TEST_F(Settings, EmptyDecimalRowCountsAsMissing)
{
    // Rows left empty in the table editor: one Null, one empty text.
    execute(QStringLiteral("INSERT INTO _Pars (k01) VALUES ('NumDecQ')"));
    runSql(database, QStringLiteral("INSERT INTO _Pars (k01, l01) VALUES ('NumDecV', '')"));
    MainModule::NumDecQ = 9;
    MainModule::NumDecV = 9;
    MainModule::CaricaImpostazioni();
    EXPECT_EQ(MainModule::NumDecQ, 0);
    EXPECT_EQ(MainModule::NumDecV, 2);
    EXPECT_EQ(MainModule::QtyFormat, QStringLiteral("#,#"));
    EXPECT_EQ(MainModule::ValueFormat, QStringLiteral("#,#.00"));
}

TEST_F(Settings, DecimalsStayWithinWhatTheDatabaseKeeps)
{
    execute(QStringLiteral("INSERT INTO _Pars (k01, l01) VALUES ('NumDecQ', 9)"));
    execute(QStringLiteral("INSERT INTO _Pars (k01, l01) VALUES ('NumDecV', -1)"));
    MainModule::CaricaImpostazioni();
    EXPECT_EQ(MainModule::QtyFormat, QStringLiteral("#,#.0000"));
    EXPECT_EQ(MainModule::ValueFormat, QStringLiteral("#,#"));
}

TEST_F(Settings, DefaultCodesComeFromTheRowsMarkedPredefinito)
{
    execute(QStringLiteral("INSERT INTO CodiciIVA (CodiceIVA, Descrizione, Aliquota, Predefinito) VALUES ('10', 'Ridotta', 10, False)"));
    execute(QStringLiteral("INSERT INTO CodiciIVA (CodiceIVA, Descrizione, Aliquota, Predefinito) VALUES ('22', 'Ordinaria', 22, True)"));
    execute(QStringLiteral("INSERT INTO Liste (Chiave, Codice, Descrizione, Predefinito) VALUES ('um', 'PZ', 'Pezzi', False)"));
    // A category marked as default must not pass for a unit, nor a unit for a category.
    execute(QStringLiteral("INSERT INTO Liste (Chiave, Codice, Descrizione, Predefinito) VALUES ('cat', 'XX', 'Ferramenta', True)"));
    execute(QStringLiteral("INSERT INTO Liste (Chiave, Codice, Descrizione, Predefinito) VALUES ('um', 'KG', 'Chilogrammi', True)"));

    MainModule::CaricaImpostazioni();
    EXPECT_EQ(MainModule::DefaultCodiceIVA, QStringLiteral("22"));
    EXPECT_EQ(MainModule::DefaultUM, QStringLiteral("KG"));
    EXPECT_EQ(MainModule::DefaultCategoria, QStringLiteral("Ferramenta"));
}

TEST_F(Settings, DefaultCodesAreKeptWhenNoRowIsMarked)
{
    execute(QStringLiteral("INSERT INTO CodiciIVA (CodiceIVA, Predefinito) VALUES ('22', False)"));
    execute(QStringLiteral("INSERT INTO Liste (Chiave, Codice, Descrizione, Predefinito) VALUES ('um', 'PZ', 'Pezzi', False)"));
    MainModule::CaricaImpostazioni();
    EXPECT_TRUE(MainModule::DefaultCodiceIVA.isEmpty());
    EXPECT_TRUE(MainModule::DefaultUM.isEmpty());
    EXPECT_TRUE(MainModule::DefaultCategoria.isEmpty());

    MainModule::DefaultCodiceIVA = QStringLiteral("4");
    MainModule::DefaultUM = QStringLiteral("NR");
    MainModule::DefaultCategoria = QStringLiteral("Varie");
    MainModule::CaricaImpostazioni();
    EXPECT_EQ(MainModule::DefaultCodiceIVA, QStringLiteral("4"));
    EXPECT_EQ(MainModule::DefaultUM, QStringLiteral("NR"));
    EXPECT_EQ(MainModule::DefaultCategoria, QStringLiteral("Varie"));
}

TEST_F(Settings, SubViewChoicesAreReadBackPerNode)
{
    EXPECT_EQ(MainModule::CaricaImpostazioni(), (std::array<std::int32_t, 8>{}));

    const auto store = [](const QString &name, std::int32_t value) {
        MainModule::ScriviRegistro(comRegistry::HKEY_CURRENT_USER, SettingsPath, comRegistry::REG_DWORD, name,
                                   platform::Variant(value));
    };
    store(QStringLiteral("cursublay00"), 1);
    store(QStringLiteral("cursublay03"), 2);
    store(QStringLiteral("cursublay07"), 4);
    // Not one of the eight names.
    store(QStringLiteral("cursublay8"), 9);
    store(QStringLiteral("cursublay1"), 9);

    EXPECT_EQ(MainModule::CaricaImpostazioni(), (std::array<std::int32_t, 8>{1, 0, 0, 2, 0, 0, 0, 4}));
}
