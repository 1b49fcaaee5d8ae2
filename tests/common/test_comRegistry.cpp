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
using namespace Qt::StringLiterals;
namespace reg = platform::reg;

namespace {

constexpr std::int32_t HKCU = comRegistry::HKEY_CURRENT_USER;
constexpr std::int32_t HKCR = comRegistry::HKEY_CLASSES_ROOT;
const QString Settings = u"Software\\Korvane\\Velmora\\Settings"_s;

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
    return u"<nothing raised>"_s;
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
        EXPECT_EQ(stored(QString(), u"SOFTWARE\\Classes\\"_s + key, comRegistry::HKEY_LOCAL_MACHINE), value)
            << key.toStdString();
        return value;
    }

    QString file = testsupport::freshDir(u"comreg"_s) + u"/registry.ini"_s;
};

} // namespace

TEST_F(ComRegistryTest, AReadAnswersByTheStoredTypeAWriteByTheKindOfTheValue)
{
    comRegistry missing = make(u"Software\\Manca"_s, u"v"_s, comRegistry::REG_SZ);
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
        {reg::REG_SZ, sz(u"perché €"_s).data, Variant("perché €")},
        {reg::REG_SZ, QByteArray(), Variant(QString())}, // no data at all
        {reg::REG_SZ, QByteArray("abc"), Variant("abc")}, // no closing zero
        {reg::REG_MULTI_SZ, QByteArray("uno\0due\0\0", 9), Variant(QString::fromUtf8("uno\0due\0", 8))},
        {reg::REG_BINARY, bytes, Variant(bytes)}, // exactly the stored bytes
        {11, QByteArray("\1\0\0\0\0\0\0\0", 8), Variant(QByteArray("\1\0\0\0\0\0\0\0", 8))},
    };
    RegistryStore store(file);
    ASSERT_EQ(store.createKey(HKCU, Settings), reg::ERROR_SUCCESS);
    for (const auto &[type, data, expected] : cases) {
        ASSERT_EQ(store.setValue(HKCU, Settings, u"v"_s, type, data), reg::ERROR_SUCCESS);
        std::int32_t typeRead = 0;
        EXPECT_EQ(read(u"v"_s, Settings, &typeRead), expected);
        EXPECT_EQ(typeRead, type);
    }

    // Text is UTF-8 with one closing zero, plain or expandable.
    const QList<std::pair<const char *, std::int32_t>> texts = {
        {"%A%", reg::REG_EXPAND_SZ}, {"x%AB%y", reg::REG_EXPAND_SZ}, {"%%%", reg::REG_EXPAND_SZ},
        {"50%", reg::REG_SZ},        {"%%", reg::REG_SZ},           {"a%%b", reg::REG_SZ},
        {"", reg::REG_SZ},           {"Perché €", reg::REG_SZ},
    };
    for (std::int32_t asked : {comRegistry::REG_SZ, comRegistry::REG_EXPAND_SZ}) {
        for (const auto &[text, expected] : texts) {
            write(u"t"_s, asked, Variant(text));
            EXPECT_EQ(stored(u"t"_s), (RegistryValue{expected, sz(QString::fromUtf8(text)).data}))
                << text << " asked " << asked;
        }
    }
    // Read back expanded; an unknown name stays as written.
    qputenv("VELMORA_REG_DIR", "/dati");
    write(u"t"_s, comRegistry::REG_SZ, Variant("%VELMORA_REG_DIR%/db %VELMORA_REG_NOT_SET%"));
    std::int32_t type = 0;
    EXPECT_EQ(read(u"t"_s, Settings, &type), Variant("/dati/db %VELMORA_REG_NOT_SET%"));
    EXPECT_EQ(type, comRegistry::REG_EXPAND_SZ);
    qunsetenv("VELMORA_REG_DIR");

    // Other kinds as the run-time writes them as text (the Italian locale).
    write(u"double"_s, comRegistry::REG_SZ, Variant(2.5));
    EXPECT_EQ(read(u"double"_s), Variant("2,5"));
    // Null can't be text; a write under a missing path makes the whole path.
    const QString deep = u"Software\\Korvane\\Nuova\\Profonda"_s;
    EXPECT_TRUE(raised([&] { write(u"n"_s, comRegistry::REG_SZ, Variant::null(), deep); })
                    .startsWith(QString::number(platform::err::InvalidUseOfNull) + u'|'));
    write(u"v"_s, comRegistry::REG_SZ, Variant("x"), deep);
    EXPECT_EQ(read(u"v"_s, deep), Variant("x"));

    // Dwords come from whole and single numbers only, binary values from byte arrays.
    const QList<std::tuple<std::int32_t, Variant, std::optional<QByteArray>>> dwords = {
        {comRegistry::REG_DWORD, Variant(std::int16_t(1)), QByteArray("\1\0\0\0", 4)},
        {comRegistry::REG_DWORD, Variant(std::int32_t(-2)), QByteArray("\xfe\xff\xff\xff", 4)},
        {comRegistry::REG_DWORD, Variant(2.5f), QByteArray("\2\0\0\0", 4)}, // halves to even
        {comRegistry::REG_DWORD, Variant(3.5f), QByteArray("\4\0\0\0", 4)},
        // Stored as a little-endian REG_DWORD all the same.
        {comRegistry::REG_DWORD_BIG_ENDIAN, Variant(std::int32_t(0x01020304)), QByteArray("\4\3\2\1", 4)},
        // Any other kind: nothing written, nothing raised.
        {comRegistry::REG_DWORD, Variant("5"), std::nullopt}, {comRegistry::REG_DWORD, Variant(2.0), std::nullopt},
        {comRegistry::REG_DWORD, Variant::null(), std::nullopt},
        {comRegistry::REG_DWORD_BIG_ENDIAN, Variant(QByteArray("\1\0\0\0", 4)), std::nullopt},
    };
    for (const auto &[type, value, bytes] : dwords) {
        RegistryStore(file).deleteValue(HKCU, Settings, u"n"_s);
        EXPECT_EQ(raised([&] { write(u"n"_s, type, value); }), u"<nothing raised>"_s);
        EXPECT_EQ(stored(u"n"_s), bytes ? std::optional(RegistryValue{reg::REG_DWORD, *bytes}) : std::nullopt)
            << value.debugString().toStdString();
    }

    const QByteArray binary("\x00\x01\xfe\xff", 4);
    write(u"bin"_s, comRegistry::REG_BINARY, Variant(binary));
    EXPECT_EQ(stored(u"bin"_s), (RegistryValue{reg::REG_BINARY, binary}));
    // 26001 with neither a message nor a source of its own.
    EXPECT_EQ(raised([&] { write(u"text"_s, comRegistry::REG_BINARY, Variant("abc")); }), u"26001||"_s);
    EXPECT_FALSE(stored(u"text"_s));
}

TEST_F(ComRegistryTest, RefusedWritesRaiseWithTheValueAsText)
{
    auto attempt = [](std::int32_t root, const QString &section, std::int32_t type, const Variant &value) {
        comRegistry r = make(section, u"K"_s, type, root);
        return raised([&] { r.setValue(value); });
    };
    const QString message = u"|test_common.comRegistry|Failed to set registry value Key: '%1',"
                            "Section: '%2',Key: 'K' to value: '%3'"_s;
    const QString object = QString::number(static_cast<std::int32_t>(0x800469A9u));
    // A value type it doesn't write; the message shows the value as text.
    const QList<std::tuple<std::int32_t, Variant, QString>> unwritten = {
        {comRegistry::REG_MULTI_SZ, Variant("gest01.mdb"), u"gest01.mdb"_s},
        {comRegistry::REG_NONE, Variant(2.5f), u"2,5"_s}, {99, Variant::null(), QString()},
        {comRegistry::REG_LINK, Variant(QByteArray("\x01\xff", 2)), u"01 ff"_s},
    };
    for (const auto &[type, value, text] : unwritten)
        EXPECT_EQ(attempt(HKCU, u"S"_s, type, value), object + message.arg(u"-2147483647"_s, u"S"_s, text));
    EXPECT_FALSE(stored(u"K"_s, u"S"_s));
    // A key that can't be created: 26001 with the same message.
    EXPECT_EQ(attempt(0, u"S"_s, comRegistry::REG_SZ, Variant("x")), u"26001"_s + message.arg(u"0"_s, u"S"_s, u"x"_s));

    // A store whose folder can't be made refuses every write: 26001 for a
    // key to create, the object error for a value of the root key.
    const QString blocker = testsupport::freshDir(u"blocked"_s) + u"/file"_s;
    QFile(blocker).open(QIODevice::WriteOnly);
    RegistryStore::setDefaultFileName(blocker + u"/sub/registry.ini"_s);
    EXPECT_EQ(attempt(HKCU, Settings, comRegistry::REG_SZ, Variant("x")),
              u"26001"_s + message.arg(u"-2147483647"_s, Settings, u"x"_s));
    EXPECT_EQ(attempt(HKCU, QString(), comRegistry::REG_DWORD, Variant(std::int16_t(3))),
              object + message.arg(u"-2147483647"_s, QString(), u"3"_s));
    EXPECT_TRUE(read(u"K"_s, QString()).isEmpty()); // nothing kept
}

TEST_F(ComRegistryTest, ValueExWritesDefaultForEmptyTextAndAMachineNameKeepsTheLocalStore)
{
    comRegistry r;
    r.setValueEx(HKCU, Settings, u"a"_s, comRegistry::REG_SZ, Variant("predefinito"), Variant(QString()));
    r.setValueEx(HKCU, Settings, u"b"_s, comRegistry::REG_SZ, Variant("predefinito"), Variant::null());
    r.setValueEx(HKCU, Settings, u"c"_s, comRegistry::REG_EXPAND_SZ, Variant("predefinito"), Variant(""));
    EXPECT_EQ(r.ValueEx(HKCU, Settings, u"a"_s, comRegistry::REG_DWORD, Variant()), Variant("predefinito"));
    EXPECT_EQ(r.ValueType(), comRegistry::REG_SZ);
    EXPECT_EQ(r.ValueEx(HKCU, Settings, u"b"_s, comRegistry::REG_SZ, Variant()), Variant("predefinito"));
    EXPECT_EQ(r.ValueEx(HKCU, Settings, u"c"_s, comRegistry::REG_SZ, Variant()), Variant(QString()));
    EXPECT_EQ(r.ValueEx(HKCU, Settings, u"manca"_s, comRegistry::REG_SZ, Variant("x")), Variant("x"));

    const std::pair<QString, QString> machines[] = {
        {u"ab"_s, QString()}, {u"abc"_s, u"\\\\abc"_s}, {u"\\\\server"_s, u"\\\\server"_s},
        {u"\\xy"_s, u"\\\\\\xy"_s}, // one backslash is not two
    };
    for (const auto &[given, kept] : machines) {
        r.setMachine(given);
        EXPECT_EQ(r.Machine(), kept) << given.toStdString();
    }
    r.setValue(Variant("locale"));
    EXPECT_EQ(read(u"manca"_s), Variant("locale"));
}

TEST_F(ComRegistryTest, KeysAndValuesAreCreatedDeletedAndEnumerated)
{
    comRegistry child = make(u"Software\\Prova\\Figlia"_s, u"v"_s, comRegistry::REG_SZ);
    comRegistry parent = make(u"Software\\Prova"_s, u"v"_s, comRegistry::REG_SZ);
    EXPECT_FALSE(child.KeyExists());
    EXPECT_TRUE(child.CreateKey());
    EXPECT_TRUE(child.KeyExists());
    child.setValue(Variant("x"));
    child.setValueKey(u"V"_s);
    EXPECT_TRUE(child.DeleteValue());
    EXPECT_FALSE(stored(u"v"_s, u"Software\\Prova\\Figlia"_s));

    const QString prefix = u"26001|test_common.comRegistry|"_s;
    EXPECT_EQ(raised([&] { child.DeleteValue(); }),
              prefix + u"Failed to delete registry Key: '-2147483647',Section: 'Software\\Prova\\Figlia',Key: 'V"_s);
    EXPECT_EQ(raised([&] { parent.DeleteKey(); }), // it has a subkey
              prefix + u"Failed to delete registry Key: '-2147483647',Section: 'Software\\Prova"_s);
    EXPECT_TRUE(child.DeleteKey());
    EXPECT_FALSE(child.KeyExists());
    EXPECT_TRUE(parent.KeyExists());
    EXPECT_EQ(raised([&] { child.DeleteValue(); }),
              prefix + u"Failed to open key '-2147483647',Section: 'Software\\Prova\\Figlia' for delete access"_s);
    EXPECT_EQ(raised([&] { make(u"Software\\X"_s, QString(), comRegistry::REG_SZ, 0).CreateKey(); }),
              prefix + u"Failed to create registry Key: 'Software\\X"_s);

    write(u"dbPath"_s, comRegistry::REG_SZ, Variant("x"));
    write(QString(), comRegistry::REG_SZ, Variant("predefinito"));
    write(u"v"_s, comRegistry::REG_SZ, Variant("z"), Settings + u"\\Sotto1"_s);
    write(u"v"_s, comRegistry::REG_SZ, Variant("z"), Settings + u"\\Sotto2\\Più"_s);
    comRegistry r = make(Settings, QString(), comRegistry::REG_SZ);
    QStringList names{u"vecchio"_s};
    std::int32_t count = -1;
    EXPECT_TRUE(r.EnumerateValues(names, count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()), (QSet<QString>{u"dbPath"_s, QString()}));
    EXPECT_TRUE(r.EnumerateSections(names, count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()), (QSet<QString>{u"Sotto1"_s, u"Sotto2"_s}));
    // A missing key gives nothing, and clears what the list held.
    r.setSectionKey(u"Software\\Manca"_s);
    EXPECT_TRUE(r.EnumerateSections(names, count) && count == 0 && names.isEmpty());
}

TEST_F(ComRegistryTest, AFileTypeAndItsVerbsAreRegisteredUnderBothClassRoots)
{
    comRegistry r;
    r.CreateEXEAssociation(u"  /opt/velmora/velmora "_s, u"Velmora.Doc"_s, u"Documento Velmora"_s, u"vlm"_s, QString(),
                           true, QString(), true, QString(), true, QString(), 2);
    const QString exe = u"\"/opt/velmora/velmora\""_s;
    const QList<std::pair<QString, QString>> expected = {
        {u".vlm"_s, u"Velmora.Doc"_s}, {u"Velmora.Doc"_s, u"Documento Velmora"_s},
        {u"Velmora.Doc\\shell\\open"_s, u"&Open"_s}, {u"Velmora.Doc\\shell\\open\\command"_s, exe + u" \"%1\""_s},
        {u"Velmora.Doc\\shell\\print"_s, u"&Print"_s}, {u"Velmora.Doc\\shell\\print\\command"_s, exe + u" /p \"%1\""_s},
        {u"Velmora.Doc\\shell\\add"_s, u"&Install vlm"_s}, {u"Velmora.Doc\\shell\\add\\command"_s, exe + u" /a \"%1\""_s},
        {u"Velmora.Doc\\shell\\new"_s, u"&New"_s}, {u"Velmora.Doc\\shell\\new\\command"_s, exe + u" /n \"%1\""_s},
        {u"Velmora.Doc\\DefaultIcon"_s, exe + u",2"_s},
    };
    for (const auto &[key, text] : expected)
        EXPECT_EQ(classValue(key), sz(text)) << key.toStdString();
    // Own menu texts and a quoted path; an empty path still gets both quotes.
    r.CreateEXEAssociation(u"\"/opt/v/velmora\""_s, u"V.Doc"_s, u"Doc"_s, u"vdc"_s, u"&Apri"_s);
    EXPECT_EQ(classValue(u"V.Doc\\shell\\open"_s), sz(u"&Apri"_s));
    EXPECT_EQ(classValue(u"V.Doc\\shell\\open\\command"_s), sz(u"\"/opt/v/velmora\" \"%1\""_s));
    r.CreateEXEAssociation(QString(), u"V.Vuoto"_s, QString(), u"vvt"_s);
    EXPECT_EQ(classValue(u"V.Vuoto\\shell\\open\\command"_s), sz(u"\"\" \"%1\""_s));

    // Additional verbs come in triples, for a class already registered.
    const QList<Variant> verbs = {Variant("importa"), Variant("&Importa"), Variant("/opt/v/velmora /i \"%1\""),
                                  Variant("verifica"), Variant("&Verifica"), Variant("/opt/v/check")};
    EXPECT_EQ(raised([&] { r.CreateAdditionalEXEAssociations(u"V.Doc"_s, verbs.first(4)); }),
              QString::number(static_cast<std::int32_t>(0x800469ACu))
                  + u"|test_common.comRegistry|Invalid parameter list passed to "
                    "CreateAdditionalEXEAssociations - expected Name/Text/Command"_s);
    for (const QString &className : {u"V.Altro"_s, QString()}) {
        EXPECT_EQ(raised([&] { r.CreateAdditionalEXEAssociations(className, verbs.first(3)); }),
                  QString::number(static_cast<std::int32_t>(0x800469ADu))
                      + u"|test_common.comRegistry|Error - attempt to create additional associations "
                        "before class defined."_s);
    }
    r.CreateAdditionalEXEAssociations(u"V.Doc"_s, verbs);
    EXPECT_EQ(classValue(u"V.Doc\\shell\\importa"_s), sz(u"&Importa"_s));
    EXPECT_EQ(classValue(u"V.Doc\\shell\\importa\\command"_s), sz(u"/opt/v/velmora /i \"%1\""_s));
    EXPECT_EQ(classValue(u"V.Doc\\shell\\verifica\\command"_s), sz(u"/opt/v/check"_s));
}

TEST_F(ComRegistryTest, TwoProgramsWritingAtOnceKeepEachOthersValues)
{
    // Both copies use the program's standard store in their (shared,
    // temporary) configuration folder, and start together on a signal file.
    const QString config = testsupport::freshDir(u"twoproc"_s);
    const QString startFile = config + u"/start"_s;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"XDG_CONFIG_HOME"_s, config);
    env.insert(u"HOME"_s, config);
    const int count = 120;
    const QStringList paths = {u"Software\\Korvane\\Velmora\\Primo"_s, u"Software\\Korvane\\Velmora\\Secondo"_s};
    const QString program = QCoreApplication::applicationDirPath() + u"/registry_writer"_s;
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

    RegistryStore::setDefaultFileName(config + u"/Korvane/Velmora/registry.ini"_s);
    for (const QString &path : paths) {
        for (int i = 0; i < count; ++i) {
            const QString name = u"Valore%1"_s.arg(i, 3, 10, QLatin1Char('0'));
            const Variant expected = i % 2 == 0 ? Variant(path + u'#' + QString::number(i)) : Variant(std::int32_t(i));
            EXPECT_EQ(read(name, path), expected) << path.toStdString() << " " << name.toStdString();
        }
    }
}
