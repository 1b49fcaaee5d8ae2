// comRegistry: reading and writing one value, the raised errors, the members
// that no caller uses, and two copies of the program writing at once.
#include "common/comRegistry.h"

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
const QString Source = QStringLiteral("test_common.comRegistry");
const QString Settings = QStringLiteral("Software\\Korvane\\Velmora\\Settings");

QByteArray text0(const QString &text)
{
    QByteArray out = text.toUtf8();
    out.append('\0');
    return out;
}

std::optional<RuntimeError> raised(const std::function<void()> &action)
{
    try {
        action();
    } catch (const RuntimeError &e) {
        return e;
    }
    return std::nullopt;
}

// The error's number, source and message as one text, for exact comparison.
QString errorText(const std::optional<RuntimeError> &e)
{
    if (!e)
        return QStringLiteral("<nothing raised>");
    return QString::number(e->number()) + u'|' + e->source() + u'|' + e->description();
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

// A store file whose folder can't be made, so that every write is refused.
QString unwritableStoreFile()
{
    const QString blocker = testsupport::freshDir(QStringLiteral("blocked")) + QStringLiteral("/file");
    QFile(blocker).open(QIODevice::WriteOnly);
    return blocker + QStringLiteral("/sub/registry.ini");
}

class ComRegistryTest : public ::testing::Test
{
protected:
    void SetUp() override { RegistryStore::setDefaultFileName(file); }
    void TearDown() override { RegistryStore::setDefaultFileName(QString()); }

    static void write(const QString &name, std::int32_t type, const Variant &value, const QString &section = Settings)
    {
        comRegistry r = make(section, name, type);
        r.setValue(value);
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

    QString file = testsupport::freshDir(QStringLiteral("comreg")) + QStringLiteral("/registry.ini");
};

} // namespace

// --- reading ---------------------------------------------------------------------------

TEST_F(ComRegistryTest, AReadThatFailsAnswersDefaultAndRaisesNothing)
{
    comRegistry r = make(QStringLiteral("Software\\Manca"), QStringLiteral("v"), comRegistry::REG_SZ);
    EXPECT_TRUE(r.Value().isEmpty());
    r.setDefault(Variant(std::int32_t(5)));
    EXPECT_EQ(r.Value(), Variant(std::int32_t(5)));
    ASSERT_TRUE(r.CreateKey());
    EXPECT_EQ(r.Value(), Variant(std::int32_t(5))); // the key is there, the value is not
    EXPECT_EQ(r.ValueType(), comRegistry::REG_SZ);   // untouched by a failed read
    comRegistry noRoot;
    noRoot.setDefault(Variant("d"));
    EXPECT_EQ(noRoot.Value(), Variant("d"));
}

TEST_F(ComRegistryTest, AReadAnswersByTheStoredTypeAndSetsValueType)
{
    const QByteArray bytes("\x00\xff\x10\x00", 4);
    const QList<std::tuple<std::int32_t, QByteArray, Variant>> cases = {
        {reg::REG_DWORD, QByteArray("\xd6\xff\xff\xff", 4), Variant(std::int32_t(-42))},
        // Written by another program: bytes reversed into normal order.
        {reg::REG_DWORD_BIG_ENDIAN, QByteArray("\0\0\1\2", 4), Variant(std::int32_t(0x0102))},
        {reg::REG_DWORD_BIG_ENDIAN, QByteArray("\1", 1), Variant(std::int32_t(0x01000000))},
        {reg::REG_SZ, text0(QStringLiteral("perché €")), Variant("perché €")},
        {reg::REG_SZ, QByteArray(), Variant(QString())}, // no data at all
        {reg::REG_SZ, QByteArray("abc"), Variant("abc")}, // no closing zero
        {reg::REG_MULTI_SZ, QByteArray("uno\0due\0\0", 9), Variant(QString::fromUtf8("uno\0due\0", 8))},
        {reg::REG_BINARY, bytes, Variant(bytes)}, // exactly the stored bytes
        {reg::REG_BINARY, QByteArray(), Variant(QByteArray())},
        {reg::REG_LINK, bytes, Variant(bytes)},
        {11, QByteArray("\1\0\0\0\0\0\0\0", 8), Variant(QByteArray("\1\0\0\0\0\0\0\0", 8))},
    };
    RegistryStore store(file);
    ASSERT_EQ(store.createKey(HKCU, Settings), reg::ERROR_SUCCESS);
    for (const auto &[type, data, expected] : cases) {
        ASSERT_EQ(store.setValue(HKCU, Settings, QStringLiteral("v"), type, data), reg::ERROR_SUCCESS);
        std::int32_t typeRead = 0;
        EXPECT_EQ(read(QStringLiteral("v"), Settings, &typeRead), expected) << expected.debugString().toStdString();
        EXPECT_EQ(typeRead, type);
    }
}

// --- writing ---------------------------------------------------------------------------

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
            EXPECT_EQ(stored(QStringLiteral("t")), (RegistryValue{expected, text0(QString::fromUtf8(text))}))
                << text << " asked " << asked;
        }
    }
    EXPECT_EQ(stored(QStringLiteral("t"))->data, QByteArray("Perch\xc3\xa9 \xe2\x82\xac\0", 12));
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
    const auto e = raised([&] { write(QStringLiteral("n"), comRegistry::REG_SZ, Variant::null(), deep); });
    EXPECT_EQ(e ? e->number() : 0, platform::err::InvalidUseOfNull);
    write(QStringLiteral("v"), comRegistry::REG_SZ, Variant("x"), deep);
    EXPECT_TRUE(RegistryStore(file).keyExists(HKCU, QStringLiteral("Software\\Korvane\\Nuova")));
    EXPECT_EQ(read(QStringLiteral("v"), deep), Variant("x"));
}

TEST_F(ComRegistryTest, DwordsComeFromWholeAndSingleNumbersOnly)
{
    const QList<std::tuple<std::int32_t, Variant, std::optional<QByteArray>>> cases = {
        {comRegistry::REG_DWORD, Variant(std::int16_t(1)), QByteArray("\1\0\0\0", 4)},
        {comRegistry::REG_DWORD, Variant(std::int32_t(-2)), QByteArray("\xfe\xff\xff\xff", 4)},
        {comRegistry::REG_DWORD, Variant(2.5f), QByteArray("\2\0\0\0", 4)}, // halves to even
        {comRegistry::REG_DWORD, Variant(3.5f), QByteArray("\4\0\0\0", 4)},
        {comRegistry::REG_DWORD, Variant(-2.5f), QByteArray("\xfe\xff\xff\xff", 4)},
        // Stored as a little-endian REG_DWORD all the same.
        {comRegistry::REG_DWORD_BIG_ENDIAN, Variant(std::int32_t(0x01020304)), QByteArray("\4\3\2\1", 4)},
        // Any other kind: nothing written, nothing raised.
        {comRegistry::REG_DWORD, Variant("5"), std::nullopt},
        {comRegistry::REG_DWORD, Variant(2.0), std::nullopt},
        {comRegistry::REG_DWORD, Variant(true), std::nullopt},
        {comRegistry::REG_DWORD, Variant::null(), std::nullopt},
        {comRegistry::REG_DWORD_BIG_ENDIAN, Variant(QByteArray("\1\0\0\0", 4)), std::nullopt},
    };
    for (const auto &[type, value, bytes] : cases) {
        RegistryStore(file).deleteValue(HKCU, Settings, QStringLiteral("n"));
        EXPECT_FALSE(raised([&] { write(QStringLiteral("n"), type, value); })) << value.debugString().toStdString();
        const auto s = stored(QStringLiteral("n"));
        EXPECT_EQ(s, bytes ? std::optional(RegistryValue{reg::REG_DWORD, *bytes}) : std::nullopt)
            << value.debugString().toStdString();
    }
}

TEST_F(ComRegistryTest, BinaryNeedsAByteArray)
{
    for (const QByteArray &bytes : {QByteArray("\x00\x01\xfe\xff", 4), QByteArray()}) {
        write(QStringLiteral("bin"), comRegistry::REG_BINARY, Variant(bytes));
        EXPECT_EQ(stored(QStringLiteral("bin")), (RegistryValue{reg::REG_BINARY, bytes}));
    }
    // 26001 with neither a message nor a source of its own.
    EXPECT_EQ(errorText(raised([&] { write(QStringLiteral("text"), comRegistry::REG_BINARY, Variant("abc")); })),
              QStringLiteral("26001||"));
    EXPECT_FALSE(stored(QStringLiteral("text")));
}

TEST_F(ComRegistryTest, RefusedWritesRaiseWithTheValueAsText)
{
    auto attempt = [](std::int32_t root, const QString &section, std::int32_t type, const Variant &value) {
        comRegistry r = make(section, QStringLiteral("K"), type, root);
        return errorText(raised([&] { r.setValue(value); }));
    };
    const QString message = QStringLiteral("|test_common.comRegistry|Failed to set registry value Key: '%1',"
                                           "Section: '%2',Key: 'K' to value: '%3'");
    const QString object = QString::number(comRegistry::ErrSetValue);
    EXPECT_EQ(object, QString::number(static_cast<std::int32_t>(0x800469A9u)));
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

    // A store that refuses every write: 26001 for a key to create, the
    // object error for a value of a key that exists (the root key).
    RegistryStore::setDefaultFileName(unwritableStoreFile());
    EXPECT_EQ(attempt(HKCU, Settings, comRegistry::REG_SZ, Variant("x")),
              QStringLiteral("26001") + message.arg(QStringLiteral("-2147483647"), Settings, QStringLiteral("x")));
    EXPECT_EQ(attempt(HKCU, QString(), comRegistry::REG_DWORD, Variant(std::int16_t(3))),
              object + message.arg(QStringLiteral("-2147483647"), QString(), QStringLiteral("3")));
    EXPECT_TRUE(read(QStringLiteral("K"), QString()).isEmpty()); // nothing kept
}

// --- members that no caller uses ------------------------------------------------------------

TEST_F(ComRegistryTest, MachineNamesAndTheLocalStore)
{
    comRegistry r = make(Settings, QStringLiteral("v"), comRegistry::REG_SZ);
    for (const auto &[given, kept] : QList<std::pair<QString, QString>>{
             {QStringLiteral("ab"), QString()},
             {QStringLiteral("abc"), QStringLiteral("\\\\abc")},
             {QStringLiteral("\\\\server"), QStringLiteral("\\\\server")},
             {QStringLiteral("\\xy"), QStringLiteral("\\\\\\xy")}, // one backslash is not two
         }) {
        r.setMachine(given);
        EXPECT_EQ(r.Machine(), kept) << given.toStdString();
    }
    // A remote name still reads and writes this program's own store.
    r.setValue(Variant("locale"));
    EXPECT_EQ(r.Value(), Variant("locale"));
    EXPECT_EQ(read(QStringLiteral("v")), Variant("locale"));
}

TEST_F(ComRegistryTest, KeysAndValuesAreCreatedTestedAndDeleted)
{
    comRegistry child = make(QStringLiteral("Software\\Prova\\Figlia"), QStringLiteral("v"), comRegistry::REG_SZ);
    comRegistry parent = make(QStringLiteral("Software\\Prova"), QStringLiteral("v"), comRegistry::REG_SZ);
    EXPECT_FALSE(child.KeyExists());
    EXPECT_TRUE(child.CreateKey());
    EXPECT_TRUE(child.KeyExists());
    EXPECT_TRUE(child.CreateKey()); // already there
    child.setValue(Variant("x"));
    child.setValueKey(QStringLiteral("V"));
    EXPECT_TRUE(child.DeleteValue());
    EXPECT_FALSE(stored(QStringLiteral("v"), QStringLiteral("Software\\Prova\\Figlia")));

    const QString prefix = QStringLiteral("26001|test_common.comRegistry|");
    EXPECT_EQ(errorText(raised([&] { child.DeleteValue(); })),
              prefix + QStringLiteral("Failed to delete registry Key: '-2147483647',Section: 'Software\\Prova\\Figlia',Key: 'V"));
    EXPECT_EQ(errorText(raised([&] { parent.DeleteKey(); })), // it has a subkey
              prefix + QStringLiteral("Failed to delete registry Key: '-2147483647',Section: 'Software\\Prova"));
    EXPECT_TRUE(child.DeleteKey());
    EXPECT_FALSE(child.KeyExists());
    EXPECT_TRUE(parent.KeyExists());
    EXPECT_EQ(errorText(raised([&] { child.DeleteValue(); })),
              prefix + QStringLiteral("Failed to open key '-2147483647',Section: 'Software\\Prova\\Figlia' for delete access"));
    comRegistry noRoot = make(QStringLiteral("Software\\X"), QString(), comRegistry::REG_SZ, 0);
    EXPECT_FALSE(noRoot.KeyExists());
    EXPECT_EQ(errorText(raised([&] { noRoot.CreateKey(); })),
              prefix + QStringLiteral("Failed to create registry Key: 'Software\\X"));
}

TEST_F(ComRegistryTest, EnumerationGivesNamesAndTheirNumber)
{
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
    EXPECT_TRUE(r.EnumerateValues(names, count) && count == 0 && names.isEmpty());
    names = QStringList{QStringLiteral("vecchio")};
    EXPECT_TRUE(r.EnumerateSections(names, count) && count == 0 && names.isEmpty());
}

TEST_F(ComRegistryTest, ValueExWritesDefaultForEmptyText)
{
    comRegistry r;
    r.setValueEx(HKCU, Settings, QStringLiteral("a"), comRegistry::REG_SZ, Variant("predefinito"), Variant(QString()));
    r.setValueEx(HKCU, Settings, QStringLiteral("b"), comRegistry::REG_SZ, Variant("predefinito"), Variant::null());
    r.setValueEx(HKCU, Settings, QStringLiteral("c"), comRegistry::REG_EXPAND_SZ, Variant("predefinito"), Variant(""));
    r.setValueEx(HKCU, Settings, QStringLiteral("d"), comRegistry::REG_SZ, Variant("predefinito"), Variant("dato"));

    comRegistry reader;
    EXPECT_EQ(reader.ValueEx(HKCU, Settings, QStringLiteral("a"), comRegistry::REG_DWORD, Variant()), Variant("predefinito"));
    EXPECT_EQ(reader.ValueType(), comRegistry::REG_SZ);
    EXPECT_EQ(reader.ValueEx(HKCU, Settings, QStringLiteral("b"), comRegistry::REG_SZ, Variant()), Variant("predefinito"));
    EXPECT_EQ(reader.ValueEx(HKCU, Settings, QStringLiteral("c"), comRegistry::REG_SZ, Variant()), Variant(QString()));
    EXPECT_EQ(reader.ValueEx(HKCU, Settings, QStringLiteral("d"), comRegistry::REG_SZ, Variant()), Variant("dato"));
    EXPECT_EQ(reader.ValueEx(HKCU, Settings, QStringLiteral("manca"), comRegistry::REG_SZ, Variant("x")), Variant("x"));
}

TEST_F(ComRegistryTest, AFileTypeIsRegisteredUnderBothClassRoots)
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
    for (const auto &[key, text] : expected) {
        EXPECT_EQ(stored(QString(), key, HKCR), (RegistryValue{reg::REG_SZ, text0(text)})) << key.toStdString();
        EXPECT_EQ(stored(QString(), QStringLiteral("SOFTWARE\\Classes\\") + key, comRegistry::HKEY_LOCAL_MACHINE),
                  (RegistryValue{reg::REG_SZ, text0(text)}))
            << key.toStdString();
    }

    // Own menu texts and a quoted path; an empty path still gets both quotes.
    r.CreateEXEAssociation(QStringLiteral("\"/opt/v/velmora\""), QStringLiteral("V.Doc"), QStringLiteral("Doc"),
                           QStringLiteral("vdc"), QStringLiteral("&Apri"));
    EXPECT_EQ(stored(QString(), QStringLiteral("V.Doc\\shell\\open"), HKCR)->data, text0(QStringLiteral("&Apri")));
    EXPECT_EQ(stored(QString(), QStringLiteral("V.Doc\\shell\\open\\command"), HKCR)->data,
              text0(QStringLiteral("\"/opt/v/velmora\" \"%1\"")));
    r.CreateEXEAssociation(QString(), QStringLiteral("V.Vuoto"), QString(), QStringLiteral("vvt"));
    EXPECT_EQ(stored(QString(), QStringLiteral("V.Vuoto\\shell\\open\\command"), HKCR)->data,
              text0(QStringLiteral("\"\" \"%1\"")));
}

TEST_F(ComRegistryTest, AdditionalVerbsNeedTriplesAndARegisteredClass)
{
    comRegistry r;
    const QList<Variant> four = {Variant("a"), Variant("b"), Variant("c"), Variant("d")};
    EXPECT_EQ(errorText(raised([&] { r.CreateAdditionalEXEAssociations(QStringLiteral("V.Doc"), four); })),
              QString::number(static_cast<std::int32_t>(0x800469ACu)) + u'|' + Source
                  + QStringLiteral("|Invalid parameter list passed to CreateAdditionalEXEAssociations - "
                                   "expected Name/Text/Command"));
    for (const QString &className : {QStringLiteral("V.Doc"), QString()}) {
        EXPECT_EQ(errorText(raised([&] { r.CreateAdditionalEXEAssociations(className, four.first(3)); })),
                  QString::number(static_cast<std::int32_t>(0x800469ADu)) + u'|' + Source
                      + QStringLiteral("|Error - attempt to create additional associations before class defined."));
    }
    r.CreateEXEAssociation(QStringLiteral("/opt/v/velmora"), QStringLiteral("V.Doc"), QStringLiteral("Doc"),
                           QStringLiteral("vdc"));
    r.CreateAdditionalEXEAssociations(QStringLiteral("V.Doc"), {Variant("importa"), Variant("&Importa"),
                                                                Variant("/opt/v/velmora /i \"%1\""), Variant("verifica"),
                                                                Variant("&Verifica"), Variant("/opt/v/check")});
    for (const QString &prefix : {QString(), QStringLiteral("SOFTWARE\\Classes\\")}) {
        const std::int32_t root = prefix.isEmpty() ? HKCR : comRegistry::HKEY_LOCAL_MACHINE;
        EXPECT_EQ(stored(QString(), prefix + QStringLiteral("V.Doc\\shell\\importa"), root)->data,
                  text0(QStringLiteral("&Importa")));
        EXPECT_EQ(stored(QString(), prefix + QStringLiteral("V.Doc\\shell\\importa\\command"), root)->data,
                  text0(QStringLiteral("/opt/v/velmora /i \"%1\"")));
        EXPECT_EQ(stored(QString(), prefix + QStringLiteral("V.Doc\\shell\\verifica\\command"), root)->data,
                  text0(QStringLiteral("/opt/v/check")));
    }
}

// --- two copies of the program at once ------------------------------------------------------

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
        EXPECT_EQ(writer.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().toStdString();
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
