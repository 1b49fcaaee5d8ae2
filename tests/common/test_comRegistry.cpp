// comRegistry: reading and writing one value, the raised errors, keys,
// enumeration and file types, and two copies of the program writing at once.
#include "common/comRegistry.h"

#include "DataFixture.h"
#include "platform/registry/RegistryStore.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSet>

#include <functional>
#include <optional>

using platform::RegistryStore;
using platform::RegistryValue;
using platform::RuntimeError;
using platform::Variant;
namespace reg = platform::reg;

namespace {

constexpr std::int32_t HKCU = comRegistry::HKEY_CURRENT_USER;
constexpr std::int32_t HKCR = comRegistry::HKEY_CLASSES_ROOT;
const QString Settings = QStringLiteral("Software\\Korvane\\Velmora\\Settings");

// A REG_SZ value as stored: UTF-8 with one closing zero.
RegistryValue sz(const QString &text)
{
    QByteArray data = text.toUtf8();
    data.append('\0');
    return {reg::REG_SZ, data};
}

// The error's number, source and message as one text, for exact comparison.
QString raised(const std::function<void()> &action)
{
    try {
        action();
    } catch (const RuntimeError &e) {
        return QString::number(e.number()) + u'|' + e.source() + u'|' + e.description();
    }
    return QStringLiteral("<nothing raised>");
}

comRegistry make(const QString &section, const QString &valueKey, std::int32_t type, std::int32_t root = HKCU)
{
    comRegistry r;
    r.setClassKey(root);
    r.setSectionKey(section);
    r.setValueKey(valueKey);
    r.setValueType(type);
    return r;
}

class ComRegistryTest : public ::testing::Test
{
protected:
    void SetUp() override { RegistryStore::setDefaultFileName(file); }
    void TearDown() override { RegistryStore::setDefaultFileName(QString()); }

    static void write(const QString &name, std::int32_t type, const Variant &value, const QString &section = Settings)
    {
        make(section, name, type).setValue(value);
    }

    // Reads as the program does, with REG_SZ as the caller's type.
    static Variant read(const QString &name, const QString &section = Settings, std::int32_t *typeRead = nullptr)
    {
        comRegistry r = make(section, name, comRegistry::REG_SZ);
        const Variant v = r.Value();
        if (typeRead)
            *typeRead = r.ValueType();
        return v;
    }

    // What the store holds, past comRegistry.
    std::optional<RegistryValue> stored(const QString &name, const QString &section = Settings, std::int32_t root = HKCU)
    {
        RegistryValue value;
        if (RegistryStore(file).queryValue(root, section, name, value) != reg::ERROR_SUCCESS)
            return std::nullopt;
        return value;
    }

    // A registered class key's value, the same under both class roots.
    std::optional<RegistryValue> classValue(const QString &key)
    {
        const auto value = stored(QString(), key, HKCR);
        EXPECT_EQ(stored(QString(), QStringLiteral("SOFTWARE\\Classes\\") + key, comRegistry::HKEY_LOCAL_MACHINE), value)
            << key.toStdString();
        return value;
    }

    QString file = testsupport::freshDir(QStringLiteral("comreg")) + QStringLiteral("/registry.ini");
};

} // namespace

TEST_F(ComRegistryTest, AReadAnswersByTheStoredTypeOrDefaultAndRaisesNothing)
{
    comRegistry missing = make(QStringLiteral("Software\\Manca"), QStringLiteral("v"), comRegistry::REG_SZ);
    EXPECT_TRUE(missing.Value().isEmpty());
    missing.setDefault(Variant(std::int32_t(5)));
    ASSERT_TRUE(missing.CreateKey());
    EXPECT_EQ(missing.Value(), Variant(std::int32_t(5))); // the key is there, the value is not
    EXPECT_EQ(missing.ValueType(), comRegistry::REG_SZ);   // untouched by a failed read

    const QByteArray bytes("\x00\xff\x10\x00", 4);
    const QList<std::tuple<std::int32_t, QByteArray, Variant>> cases = {
        {reg::REG_DWORD, QByteArray("\xd6\xff\xff\xff", 4), Variant(std::int32_t(-42))},
        // Written by another program: bytes reversed into normal order.
        {reg::REG_DWORD_BIG_ENDIAN, QByteArray("\0\0\1\2", 4), Variant(std::int32_t(0x0102))},
        {reg::REG_DWORD_BIG_ENDIAN, QByteArray("\1", 1), Variant(std::int32_t(0x01000000))},
        {reg::REG_SZ, sz(QStringLiteral("perché €")).data, Variant("perché €")},
        {reg::REG_SZ, QByteArray(), Variant(QString())}, // no data at all
        {reg::REG_SZ, QByteArray("abc"), Variant("abc")}, // no closing zero
        {reg::REG_MULTI_SZ, QByteArray("uno\0due\0\0", 9), Variant(QString::fromUtf8("uno\0due\0", 8))},
        {reg::REG_BINARY, bytes, Variant(bytes)}, // exactly the stored bytes
        {11, QByteArray("\1\0\0\0\0\0\0\0", 8), Variant(QByteArray("\1\0\0\0\0\0\0\0", 8))},
    };
    RegistryStore store(file);
    ASSERT_EQ(store.createKey(HKCU, Settings), reg::ERROR_SUCCESS);
    for (const auto &[type, data, expected] : cases) {
        ASSERT_EQ(store.setValue(HKCU, Settings, QStringLiteral("v"), type, data), reg::ERROR_SUCCESS);
        std::int32_t typeRead = 0;
        EXPECT_EQ(read(QStringLiteral("v"), Settings, &typeRead), expected);
        EXPECT_EQ(typeRead, type);
    }
}

TEST_F(ComRegistryTest, TextIsUtf8WithOneClosingZeroAndDecidesBetweenPlainAndExpandable)
{
    const QList<std::pair<const char *, std::int32_t>> cases = {
        {"%A%", reg::REG_EXPAND_SZ}, {"x%AB%y", reg::REG_EXPAND_SZ}, {"%%%", reg::REG_EXPAND_SZ},
        {"50%", reg::REG_SZ},        {"%%", reg::REG_SZ},           {"a%%b", reg::REG_SZ},
        {"", reg::REG_SZ},           {"Perché €", reg::REG_SZ},
    };
    for (std::int32_t asked : {comRegistry::REG_SZ, comRegistry::REG_EXPAND_SZ}) {
        for (const auto &[text, expected] : cases) {
            write(QStringLiteral("t"), asked, Variant(text));
            EXPECT_EQ(stored(QStringLiteral("t")), (RegistryValue{expected, sz(QString::fromUtf8(text)).data}))
                << text << " asked " << asked;
        }
    }
    // Read back expanded; an unknown name stays as written.
    qputenv("VELMORA_REG_DIR", "/dati");
    write(QStringLiteral("t"), comRegistry::REG_SZ, Variant("%VELMORA_REG_DIR%/db %VELMORA_REG_NOT_SET%"));
    std::int32_t type = 0;
    EXPECT_EQ(read(QStringLiteral("t"), Settings, &type), Variant("/dati/db %VELMORA_REG_NOT_SET%"));
    EXPECT_EQ(type, comRegistry::REG_EXPAND_SZ);
    qunsetenv("VELMORA_REG_DIR");

    // Other kinds as the run-time writes them as text (the Italian locale).
    write(QStringLiteral("double"), comRegistry::REG_SZ, Variant(2.5));
    EXPECT_EQ(read(QStringLiteral("double")), Variant("2,5"));
    // Null can't be text; a write under a missing path makes the whole path.
    const QString deep = QStringLiteral("Software\\Korvane\\Nuova\\Profonda");
    EXPECT_TRUE(raised([&] { write(QStringLiteral("n"), comRegistry::REG_SZ, Variant::null(), deep); })
                    .startsWith(QString::number(platform::err::InvalidUseOfNull) + u'|'));
    write(QStringLiteral("v"), comRegistry::REG_SZ, Variant("x"), deep);
    EXPECT_EQ(read(QStringLiteral("v"), deep), Variant("x"));
}

TEST_F(ComRegistryTest, DwordsComeFromWholeAndSingleNumbersOnlyBinaryFromByteArrays)
{
    const QList<std::tuple<std::int32_t, Variant, std::optional<QByteArray>>> cases = {
        {comRegistry::REG_DWORD, Variant(std::int16_t(1)), QByteArray("\1\0\0\0", 4)},
        {comRegistry::REG_DWORD, Variant(std::int32_t(-2)), QByteArray("\xfe\xff\xff\xff", 4)},
        {comRegistry::REG_DWORD, Variant(2.5f), QByteArray("\2\0\0\0", 4)}, // halves to even
        {comRegistry::REG_DWORD, Variant(3.5f), QByteArray("\4\0\0\0", 4)},
        // Stored as a little-endian REG_DWORD all the same.
        {comRegistry::REG_DWORD_BIG_ENDIAN, Variant(std::int32_t(0x01020304)), QByteArray("\4\3\2\1", 4)},
        // Any other kind: nothing written, nothing raised.
        {comRegistry::REG_DWORD, Variant("5"), std::nullopt},
        {comRegistry::REG_DWORD, Variant(2.0), std::nullopt},
        {comRegistry::REG_DWORD, Variant::null(), std::nullopt},
        {comRegistry::REG_DWORD_BIG_ENDIAN, Variant(QByteArray("\1\0\0\0", 4)), std::nullopt},
    };
    for (const auto &[type, value, bytes] : cases) {
        RegistryStore(file).deleteValue(HKCU, Settings, QStringLiteral("n"));
        EXPECT_EQ(raised([&] { write(QStringLiteral("n"), type, value); }), QStringLiteral("<nothing raised>"));
        EXPECT_EQ(stored(QStringLiteral("n")), bytes ? std::optional(RegistryValue{reg::REG_DWORD, *bytes}) : std::nullopt)
            << value.debugString().toStdString();
    }

    const QByteArray binary("\x00\x01\xfe\xff", 4);
    write(QStringLiteral("bin"), comRegistry::REG_BINARY, Variant(binary));
    EXPECT_EQ(stored(QStringLiteral("bin")), (RegistryValue{reg::REG_BINARY, binary}));
    // 26001 with neither a message nor a source of its own.
    EXPECT_EQ(raised([&] { write(QStringLiteral("text"), comRegistry::REG_BINARY, Variant("abc")); }),
              QStringLiteral("26001||"));
    EXPECT_FALSE(stored(QStringLiteral("text")));
}

TEST_F(ComRegistryTest, RefusedWritesRaiseWithTheValueAsText)
{
    auto attempt = [](std::int32_t root, const QString &section, std::int32_t type, const Variant &value) {
        comRegistry r = make(section, QStringLiteral("K"), type, root);
        return raised([&] { r.setValue(value); });
    };
    const QString message = QStringLiteral("|test_common.comRegistry|Failed to set registry value Key: '%1',"
                                           "Section: '%2',Key: 'K' to value: '%3'");
    const QString object = QString::number(static_cast<std::int32_t>(0x800469A9u));
    // A value type it doesn't write; the message shows the value as text.
    const QList<std::tuple<std::int32_t, Variant, QString>> unwritten = {
        {comRegistry::REG_MULTI_SZ, Variant("gest01.mdb"), QStringLiteral("gest01.mdb")},
        {comRegistry::REG_NONE, Variant(2.5f), QStringLiteral("2,5")},
        {99, Variant::null(), QString()},
        {comRegistry::REG_LINK, Variant(QByteArray("\x01\xff", 2)), QStringLiteral("01 ff")},
    };
    for (const auto &[type, value, text] : unwritten)
        EXPECT_EQ(attempt(HKCU, QStringLiteral("S"), type, value),
                  object + message.arg(QStringLiteral("-2147483647"), QStringLiteral("S"), text));
    EXPECT_FALSE(stored(QStringLiteral("K"), QStringLiteral("S")));
    // A key that can't be created: 26001 with the same message.
    EXPECT_EQ(attempt(0, QStringLiteral("S"), comRegistry::REG_SZ, Variant("x")),
              QStringLiteral("26001") + message.arg(QStringLiteral("0"), QStringLiteral("S"), QStringLiteral("x")));

    // A store whose folder can't be made refuses every write: 26001 for a
    // key to create, the object error for a value of the root key.
    const QString blocker = testsupport::freshDir(QStringLiteral("blocked")) + QStringLiteral("/file");
    QFile(blocker).open(QIODevice::WriteOnly);
    RegistryStore::setDefaultFileName(blocker + QStringLiteral("/sub/registry.ini"));
    EXPECT_EQ(attempt(HKCU, Settings, comRegistry::REG_SZ, Variant("x")),
              QStringLiteral("26001") + message.arg(QStringLiteral("-2147483647"), Settings, QStringLiteral("x")));
    EXPECT_EQ(attempt(HKCU, QString(), comRegistry::REG_DWORD, Variant(std::int16_t(3))),
              object + message.arg(QStringLiteral("-2147483647"), QString(), QStringLiteral("3")));
    EXPECT_TRUE(read(QStringLiteral("K"), QString()).isEmpty()); // nothing kept
}

TEST_F(ComRegistryTest, ValueExWritesDefaultForEmptyTextAndAMachineNameKeepsTheLocalStore)
{
    comRegistry r;
    r.setValueEx(HKCU, Settings, QStringLiteral("a"), comRegistry::REG_SZ, Variant("predefinito"), Variant(QString()));
    r.setValueEx(HKCU, Settings, QStringLiteral("b"), comRegistry::REG_SZ, Variant("predefinito"), Variant::null());
    r.setValueEx(HKCU, Settings, QStringLiteral("c"), comRegistry::REG_EXPAND_SZ, Variant("predefinito"), Variant(""));
    EXPECT_EQ(r.ValueEx(HKCU, Settings, QStringLiteral("a"), comRegistry::REG_DWORD, Variant()), Variant("predefinito"));
    EXPECT_EQ(r.ValueType(), comRegistry::REG_SZ);
    EXPECT_EQ(r.ValueEx(HKCU, Settings, QStringLiteral("b"), comRegistry::REG_SZ, Variant()), Variant("predefinito"));
    EXPECT_EQ(r.ValueEx(HKCU, Settings, QStringLiteral("c"), comRegistry::REG_SZ, Variant()), Variant(QString()));
    EXPECT_EQ(r.ValueEx(HKCU, Settings, QStringLiteral("manca"), comRegistry::REG_SZ, Variant("x")), Variant("x"));

    for (const auto &[given, kept] : QList<std::pair<QString, QString>>{
             {QStringLiteral("ab"), QString()},
             {QStringLiteral("abc"), QStringLiteral("\\\\abc")},
             {QStringLiteral("\\\\server"), QStringLiteral("\\\\server")},
             {QStringLiteral("\\xy"), QStringLiteral("\\\\\\xy")}, // one backslash is not two
         }) {
        r.setMachine(given);
        EXPECT_EQ(r.Machine(), kept) << given.toStdString();
    }
    r.setValue(Variant("locale"));
    EXPECT_EQ(read(QStringLiteral("manca")), Variant("locale"));
}

TEST_F(ComRegistryTest, KeysAndValuesAreCreatedDeletedAndEnumerated)
{
    comRegistry child = make(QStringLiteral("Software\\Prova\\Figlia"), QStringLiteral("v"), comRegistry::REG_SZ);
    comRegistry parent = make(QStringLiteral("Software\\Prova"), QStringLiteral("v"), comRegistry::REG_SZ);
    EXPECT_FALSE(child.KeyExists());
    EXPECT_TRUE(child.CreateKey());
    EXPECT_TRUE(child.KeyExists());
    child.setValue(Variant("x"));
    child.setValueKey(QStringLiteral("V"));
    EXPECT_TRUE(child.DeleteValue());
    EXPECT_FALSE(stored(QStringLiteral("v"), QStringLiteral("Software\\Prova\\Figlia")));

    const QString prefix = QStringLiteral("26001|test_common.comRegistry|");
    EXPECT_EQ(raised([&] { child.DeleteValue(); }),
              prefix + QStringLiteral("Failed to delete registry Key: '-2147483647',Section: 'Software\\Prova\\Figlia',Key: 'V"));
    EXPECT_EQ(raised([&] { parent.DeleteKey(); }), // it has a subkey
              prefix + QStringLiteral("Failed to delete registry Key: '-2147483647',Section: 'Software\\Prova"));
    EXPECT_TRUE(child.DeleteKey());
    EXPECT_FALSE(child.KeyExists());
    EXPECT_TRUE(parent.KeyExists());
    EXPECT_EQ(raised([&] { child.DeleteValue(); }),
              prefix + QStringLiteral("Failed to open key '-2147483647',Section: 'Software\\Prova\\Figlia' for delete access"));
    EXPECT_EQ(raised([&] { make(QStringLiteral("Software\\X"), QString(), comRegistry::REG_SZ, 0).CreateKey(); }),
              prefix + QStringLiteral("Failed to create registry Key: 'Software\\X"));

    write(QStringLiteral("dbPath"), comRegistry::REG_SZ, Variant("x"));
    write(QString(), comRegistry::REG_SZ, Variant("predefinito"));
    write(QStringLiteral("v"), comRegistry::REG_SZ, Variant("z"), Settings + QStringLiteral("\\Sotto1"));
    write(QStringLiteral("v"), comRegistry::REG_SZ, Variant("z"), Settings + QStringLiteral("\\Sotto2\\Più"));
    comRegistry r = make(Settings, QString(), comRegistry::REG_SZ);
    QStringList names{QStringLiteral("vecchio")};
    std::int32_t count = -1;
    EXPECT_TRUE(r.EnumerateValues(names, count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()), (QSet<QString>{QStringLiteral("dbPath"), QString()}));
    EXPECT_TRUE(r.EnumerateSections(names, count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()), (QSet<QString>{QStringLiteral("Sotto1"), QStringLiteral("Sotto2")}));
    // A missing key gives nothing, and clears what the list held.
    r.setSectionKey(QStringLiteral("Software\\Manca"));
    EXPECT_TRUE(r.EnumerateSections(names, count) && count == 0 && names.isEmpty());
}

TEST_F(ComRegistryTest, AFileTypeAndItsVerbsAreRegisteredUnderBothClassRoots)
{
    comRegistry r;
    r.CreateEXEAssociation(QStringLiteral("  /opt/velmora/velmora "), QStringLiteral("Velmora.Doc"),
                           QStringLiteral("Documento Velmora"), QStringLiteral("vlm"), QString(), true, QString(), true,
                           QString(), true, QString(), 2);
    const QString exe = QStringLiteral("\"/opt/velmora/velmora\"");
    const QList<std::pair<QString, QString>> expected = {
        {QStringLiteral(".vlm"), QStringLiteral("Velmora.Doc")},
        {QStringLiteral("Velmora.Doc"), QStringLiteral("Documento Velmora")},
        {QStringLiteral("Velmora.Doc\\shell\\open"), QStringLiteral("&Open")},
        {QStringLiteral("Velmora.Doc\\shell\\open\\command"), exe + QStringLiteral(" \"%1\"")},
        {QStringLiteral("Velmora.Doc\\shell\\print"), QStringLiteral("&Print")},
        {QStringLiteral("Velmora.Doc\\shell\\print\\command"), exe + QStringLiteral(" /p \"%1\"")},
        {QStringLiteral("Velmora.Doc\\shell\\add"), QStringLiteral("&Install vlm")},
        {QStringLiteral("Velmora.Doc\\shell\\add\\command"), exe + QStringLiteral(" /a \"%1\"")},
        {QStringLiteral("Velmora.Doc\\shell\\new"), QStringLiteral("&New")},
        {QStringLiteral("Velmora.Doc\\shell\\new\\command"), exe + QStringLiteral(" /n \"%1\"")},
        {QStringLiteral("Velmora.Doc\\DefaultIcon"), exe + QStringLiteral(",2")},
    };
    for (const auto &[key, text] : expected)
        EXPECT_EQ(classValue(key), sz(text)) << key.toStdString();
    // Own menu texts and a quoted path; an empty path still gets both quotes.
    r.CreateEXEAssociation(QStringLiteral("\"/opt/v/velmora\""), QStringLiteral("V.Doc"), QStringLiteral("Doc"),
                           QStringLiteral("vdc"), QStringLiteral("&Apri"));
    EXPECT_EQ(classValue(QStringLiteral("V.Doc\\shell\\open")), sz(QStringLiteral("&Apri")));
    EXPECT_EQ(classValue(QStringLiteral("V.Doc\\shell\\open\\command")), sz(QStringLiteral("\"/opt/v/velmora\" \"%1\"")));
    r.CreateEXEAssociation(QString(), QStringLiteral("V.Vuoto"), QString(), QStringLiteral("vvt"));
    EXPECT_EQ(classValue(QStringLiteral("V.Vuoto\\shell\\open\\command")), sz(QStringLiteral("\"\" \"%1\"")));

    // Additional verbs come in triples, for a class already registered.
    const QList<Variant> verbs = {Variant("importa"), Variant("&Importa"), Variant("/opt/v/velmora /i \"%1\""),
                                  Variant("verifica"), Variant("&Verifica"), Variant("/opt/v/check")};
    EXPECT_EQ(raised([&] { r.CreateAdditionalEXEAssociations(QStringLiteral("V.Doc"), verbs.first(4)); }),
              QString::number(static_cast<std::int32_t>(0x800469ACu))
                  + QStringLiteral("|test_common.comRegistry|Invalid parameter list passed to "
                                   "CreateAdditionalEXEAssociations - expected Name/Text/Command"));
    for (const QString &className : {QStringLiteral("V.Altro"), QString()}) {
        EXPECT_EQ(raised([&] { r.CreateAdditionalEXEAssociations(className, verbs.first(3)); }),
                  QString::number(static_cast<std::int32_t>(0x800469ADu))
                      + QStringLiteral("|test_common.comRegistry|Error - attempt to create additional associations "
                                       "before class defined."));
    }
    r.CreateAdditionalEXEAssociations(QStringLiteral("V.Doc"), verbs);
    EXPECT_EQ(classValue(QStringLiteral("V.Doc\\shell\\importa")), sz(QStringLiteral("&Importa")));
    EXPECT_EQ(classValue(QStringLiteral("V.Doc\\shell\\importa\\command")), sz(QStringLiteral("/opt/v/velmora /i \"%1\"")));
    EXPECT_EQ(classValue(QStringLiteral("V.Doc\\shell\\verifica\\command")), sz(QStringLiteral("/opt/v/check")));
}

TEST_F(ComRegistryTest, TwoProgramsWritingAtOnceKeepEachOthersValues)
{
    // Both copies use the program's standard store in their (shared,
    // temporary) configuration folder, and start together on a signal file.
    const QString config = testsupport::freshDir(QStringLiteral("twoproc"));
    const QString startFile = config + QStringLiteral("/start");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.insert(QStringLiteral("HOME"), config);
    const int count = 120;
    const QStringList paths = {QStringLiteral("Software\\Korvane\\Velmora\\Primo"),
                               QStringLiteral("Software\\Korvane\\Velmora\\Secondo")};
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/registry_writer");
    QProcess writers[2];
    for (int i = 0; i < 2; ++i) {
        writers[i].setProcessEnvironment(env);
        writers[i].start(program, {paths.at(i), QString::number(count), startFile});
        ASSERT_TRUE(writers[i].waitForStarted()) << program.toStdString();
    }
    QFile(startFile).open(QIODevice::WriteOnly);
    for (QProcess &writer : writers) {
        ASSERT_TRUE(writer.waitForFinished(300000));
        EXPECT_TRUE(writer.exitStatus() == QProcess::NormalExit && writer.exitCode() == 0)
            << writer.readAllStandardError().toStdString();
    }

    RegistryStore::setDefaultFileName(config + QStringLiteral("/Korvane/Velmora/registry.ini"));
    for (const QString &path : paths) {
        for (int i = 0; i < count; ++i) {
            const QString name = QStringLiteral("Valore%1").arg(i, 3, 10, QLatin1Char('0'));
            const Variant expected = i % 2 == 0 ? Variant(path + u'#' + QString::number(i)) : Variant(std::int32_t(i));
            EXPECT_EQ(read(name, path), expected) << path.toStdString() << " " << name.toStdString();
        }
    }
}
