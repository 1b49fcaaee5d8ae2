// comRegistry: reading and writing one value, the raised errors, and two
// copies of the program writing at once.
#include "common/comRegistry.h"

#include "DataFixture.h"
#include "platform/registry/RegistryStore.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

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

    // Values another program or a hand edit may have left.
    const QByteArray bytes("\x00\xff\x10\x00", 4);
    const QList<std::tuple<std::int32_t, QByteArray, Variant>> cases = {
        {reg::REG_DWORD, QByteArray("\xd6\xff\xff\xff", 4), Variant(std::int32_t(-42))},
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

    // Text is UTF-8 with one closing zero; only a %NAME% makes it expandable,
    // so that a path holding a lone "%" reads back as written.
    const QList<std::pair<const char *, std::int32_t>> texts = {
        {"%A%", reg::REG_EXPAND_SZ}, {"x%AB%y", reg::REG_EXPAND_SZ}, {"50%", reg::REG_SZ},
        {"%%", reg::REG_SZ},         {"", reg::REG_SZ},               {"Perché €", reg::REG_SZ},
    };
    for (const auto &[text, expected] : texts) {
        write(u"t"_s, comRegistry::REG_SZ, Variant(text));
        EXPECT_EQ(stored(u"t"_s), (RegistryValue{expected, sz(QString::fromUtf8(text)).data})) << text;
    }
    // Read back expanded; an unknown name stays as written.
    qputenv("VELMORA_REG_DIR", "/dati");
    write(u"t"_s, comRegistry::REG_SZ, Variant("%VELMORA_REG_DIR%/db %VELMORA_REG_NOT_SET%"));
    EXPECT_EQ(read(u"t"_s), Variant("/dati/db %VELMORA_REG_NOT_SET%"));
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

    // Dwords come from whole and single numbers only.
    const QList<std::tuple<Variant, std::optional<QByteArray>>> dwords = {
        {Variant(std::int16_t(1)), QByteArray("\1\0\0\0", 4)},
        {Variant(std::int32_t(-2)), QByteArray("\xfe\xff\xff\xff", 4)},
        {Variant(2.5f), QByteArray("\2\0\0\0", 4)}, // halves to even
        {Variant(3.5f), QByteArray("\4\0\0\0", 4)},
        // Any other kind: nothing written, nothing raised.
        {Variant("5"), std::nullopt}, {Variant(2.0), std::nullopt}, {Variant::null(), std::nullopt},
    };
    for (const auto &[value, bytes] : dwords) {
        RegistryStore(file).deleteValue(HKCU, Settings, u"n"_s);
        EXPECT_EQ(raised([&] { write(u"n"_s, comRegistry::REG_DWORD, value); }), u"<nothing raised>"_s);
        EXPECT_EQ(stored(u"n"_s), bytes ? std::optional(RegistryValue{reg::REG_DWORD, *bytes}) : std::nullopt)
            << value.debugString().toStdString();
    }
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
    EXPECT_EQ(attempt(HKCU, u"S"_s, comRegistry::REG_NONE, Variant(2.5f)),
              object + message.arg(u"-2147483647"_s, u"S"_s, u"2,5"_s));
    EXPECT_FALSE(stored(u"K"_s, u"S"_s));
    // 26001 with neither a message nor a source of its own: text as binary.
    EXPECT_EQ(raised([&] { write(u"text"_s, comRegistry::REG_BINARY, Variant("abc")); }), u"26001||"_s);
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

TEST_F(ComRegistryTest, ValueExWritesTheDefaultForEmptyText)
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
