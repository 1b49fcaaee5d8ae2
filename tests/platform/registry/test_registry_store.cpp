// The per-user registry store: values, names, keys and persistence (refused
// writes and the file's place are tested through comRegistry); the
// expansion of "%NAME%" in expandable strings.
#include "platform/registry/EnvironmentStrings.h"
#include "platform/registry/RegistryStore.h"

#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSet>

using platform::RegistryStore;
using platform::RegistryValue;
using platform::expandEnvironmentStrings;
using namespace platform::reg;

namespace {

constexpr std::int32_t HKCU = HKEY_CURRENT_USER;

QByteArray text0(const QString &text)
{
    QByteArray out = text.toUtf8();
    out.append('\0');
    return out;
}

QSet<QString> asSet(const QStringList &list)
{
    return QSet<QString>(list.begin(), list.end());
}

class RegistryStoreTest : public ::testing::Test
{
protected:
    // A store on a copy of the file, in a QSettings state that has never seen
    // it: what another process, or the next start, reads.
    RegistryStore reopened()
    {
        const QString copy = testsupport::freshDir(QStringLiteral("copy")) + QStringLiteral("/registry.ini");
        EXPECT_TRUE(QFile::copy(store.fileName(), copy));
        return RegistryStore(copy);
    }

    static RegistryValue query(const RegistryStore &s, const QString &path, const QString &name)
    {
        RegistryValue value;
        EXPECT_EQ(s.queryValue(HKCU, path, name, value), ERROR_SUCCESS) << name.toStdString();
        return value;
    }

    void put(const QString &path, const QString &name, const QString &text)
    {
        ASSERT_EQ(store.createKey(HKCU, path), ERROR_SUCCESS);
        ASSERT_EQ(store.setValue(HKCU, path, name, REG_SZ, text0(text)), ERROR_SUCCESS);
    }

    RegistryStore store{testsupport::freshDir(QStringLiteral("store")) + QStringLiteral("/registry.ini")};
};

} // namespace

// --- values and names ----------------------------------------------------------------

TEST_F(RegistryStoreTest, TypesAndBytesComeBackExactlyAfterReopening)
{
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(static_cast<char>(i));
    QList<RegistryValue> values = {
        {REG_SZ, QByteArray()}, // no data at all, apart from one zero byte
        {REG_SZ, text0(QString())},
        {REG_SZ, QByteArray("abc")},          // no closing zero
        {REG_SZ, QByteArray("a\0b\0", 4)},    // a zero inside
        {REG_SZ, QByteArray("\xc3\x28\0", 3)}, // not UTF-8
        {REG_EXPAND_SZ, text0(QStringLiteral("%HOME%/x"))},
        {REG_BINARY, all},
        {REG_BINARY, QByteArray()},
        {REG_DWORD, QByteArray("\xff\xff\xff\x7f", 4)},
        {REG_DWORD, QByteArray("\1\2\3", 3)},
        {REG_DWORD_BIG_ENDIAN, QByteArray("\0\0\1\2", 4)},
        {REG_MULTI_SZ, QByteArray("uno\0due\0\0", 9)},
        {REG_NONE, QByteArray()},
        {11, QByteArray("\1\0\0\0\0\0\0\0", 8)},
        {static_cast<std::int32_t>(0x80000000u), all},
    };
    // Texts that the INI format has to quote or escape.
    for (const char *text : {"  blanks  ", "a,b,c", "semi;colon", "eq=ual", "\"quoted\"", "back\\slash\\",
                             "line\nbreak\r\nend", "\x01" "a\x1f" "F\t", "@at start", "àèé €😀", "hex(3):01",
                             "[section]", "#hash"}) {
        values.append({REG_SZ, text0(QString::fromUtf8(text))});
    }
    ASSERT_EQ(store.createKey(HKCU, QStringLiteral("Software\\Prova")), ERROR_SUCCESS);
    for (qsizetype i = 0; i < values.size(); ++i)
        ASSERT_EQ(store.setValue(HKCU, QStringLiteral("Software\\Prova"), QString::number(i), values.at(i)), 0);

    const RegistryStore fresh = reopened();
    for (qsizetype i = 0; i < values.size(); ++i)
        EXPECT_EQ(query(fresh, QStringLiteral("Software\\Prova"), QString::number(i)), values.at(i)) << i;
}

TEST_F(RegistryStoreTest, FileIsReadableIniAndValuesEditedByHandAreRead)
{
    const QString settings = QStringLiteral("Software\\Korvane\\Velmora\\Settings");
    put(settings, QStringLiteral("dbName"), QStringLiteral("gest01.mdb"));
    ASSERT_EQ(store.setValue(HKCU, settings, QStringLiteral("n"), REG_DWORD, QByteArray("\1\0\0\0", 4)), 0);
    QFile file(store.fileName());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("[HKEY_CURRENT_USER.Software.Korvane.Velmora.Settings]\n_key=\ndbName=sz:gest01.mdb\n"
                              "n=dword:00000001\n"))
        << text.constData();

    file.write("\n[HKEY_CURRENT_USER.Software.Manuale]\nplain=hello world\nlist=a, b\nshort=dword:1f\n"
               "bad=dword:zzzz\nlong=dword:123456789\nbytes=hex(3):0g\n");
    file.close();
    const QString manual = QStringLiteral("Software\\Manuale");
    EXPECT_EQ(query(store, manual, QStringLiteral("plain")), (RegistryValue{REG_SZ, text0(QStringLiteral("hello world"))}));
    EXPECT_EQ(query(store, manual, QStringLiteral("list")).type, REG_SZ);
    EXPECT_EQ(query(store, manual, QStringLiteral("short")), (RegistryValue{REG_DWORD, QByteArray("\x1f\0\0\0", 4)}));
    // A number that is not one reads as missing, so the reader's default applies.
    for (const char *damaged : {"bad", "long", "bytes"}) {
        RegistryValue value;
        bool keyFound = false;
        EXPECT_EQ(store.queryValue(HKCU, manual, QString::fromLatin1(damaged), value, &keyFound), ERROR_FILE_NOT_FOUND)
            << damaged;
        EXPECT_TRUE(keyFound);
    }
}

TEST_F(RegistryStoreTest, OddKeyAndValueNamesComeBackAsWritten)
{
    // Among them the reserved entries of a key's section, the character that
    // joins path segments in the file, and INI specials.
    const QStringList segments = {QStringLiteral("a.b"), QStringLiteral("x/y"), QStringLiteral("k=v"),
                                  QStringLiteral(" s "), QStringLiteral("_key"), QStringLiteral("General"),
                                  QStringLiteral("à€😀"), QStringLiteral("[s];#_20")};
    const QStringList valueNames = {QString(), QStringLiteral("_unnamed"), QStringLiteral("_key"),
                                    QStringLiteral("a/b\\c"), QStringLiteral("="), QStringLiteral(" "),
                                    QString(QChar(0)) + QStringLiteral("x")};
    for (const QString &segment : segments) {
        for (qsizetype i = 0; i < valueNames.size(); ++i)
            put(QStringLiteral("Odd\\") + segment, valueNames.at(i), QString::number(i));
    }
    const RegistryStore fresh = reopened();
    QStringList names;
    ASSERT_EQ(fresh.enumSubKeyNames(HKCU, QStringLiteral("Odd"), names), ERROR_SUCCESS);
    EXPECT_EQ(asSet(names), asSet(segments));
    for (const QString &segment : segments) {
        const QString path = QStringLiteral("Odd\\") + segment;
        ASSERT_EQ(fresh.enumValueNames(HKCU, path, names), ERROR_SUCCESS);
        EXPECT_EQ(asSet(names), asSet(valueNames)) << segment.toStdString();
        for (qsizetype i = 0; i < valueNames.size(); ++i)
            EXPECT_EQ(query(fresh, path, valueNames.at(i)).data, text0(QString::number(i)));
        ASSERT_EQ(fresh.enumSubKeyNames(HKCU, path, names), ERROR_SUCCESS);
        EXPECT_TRUE(names.isEmpty()) << segment.toStdString();
    }
}

TEST_F(RegistryStoreTest, NamesIgnoreCaseAndKeepTheirFirstSpelling)
{
    bool created = false;
    ASSERT_EQ(store.createKey(HKCU, QStringLiteral("Software\\Korvane"), &created), ERROR_SUCCESS);
    EXPECT_TRUE(created);
    ASSERT_EQ(store.createKey(HKCU, QStringLiteral("SOFTWARE\\korvane"), &created), ERROR_SUCCESS);
    EXPECT_FALSE(created);
    ASSERT_EQ(store.createKey(HKCU, QStringLiteral("software\\KORVANE\\Velmora"), &created), ERROR_SUCCESS);
    EXPECT_TRUE(created);
    QStringList names;
    ASSERT_EQ(store.enumSubKeyNames(HKCU, QString(), names), ERROR_SUCCESS);
    EXPECT_EQ(names, QStringList{QStringLiteral("Software")});
    ASSERT_EQ(store.enumSubKeyNames(HKCU, QStringLiteral("software"), names), ERROR_SUCCESS);
    EXPECT_EQ(names, QStringList{QStringLiteral("Korvane")});

    put(QStringLiteral("Software\\Korvane"), QStringLiteral("dbPath"), QStringLiteral("uno"));
    put(QStringLiteral("SOFTWARE\\KORVANE"), QStringLiteral("DBPATH"), QStringLiteral("due"));
    ASSERT_EQ(store.enumValueNames(HKCU, QStringLiteral("Software\\Korvane"), names), ERROR_SUCCESS);
    EXPECT_EQ(names, QStringList{QStringLiteral("dbPath")});
    EXPECT_EQ(query(reopened(), QStringLiteral("software\\korvane"), QStringLiteral("DbPath")).data,
              text0(QStringLiteral("due")));
}

TEST_F(RegistryStoreTest, RootKeysAreSeparateAndPathsAreChecked)
{
    ASSERT_EQ(store.createKey(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\X")), ERROR_SUCCESS);
    EXPECT_FALSE(store.keyExists(HKCU, QStringLiteral("Software\\X")));
    EXPECT_TRUE(store.keyExists(HKEY_LOCAL_MACHINE, QStringLiteral("software\\x\\"))); // one trailing "\"
    EXPECT_EQ(store.openKey(0, QStringLiteral("Software")), ERROR_INVALID_HANDLE);
    EXPECT_EQ(store.createKey(static_cast<std::int32_t>(0x80000005u), QStringLiteral("A")), ERROR_INVALID_HANDLE);
    for (const char *bad : {"\\Software", "A\\\\B", "\\"})
        EXPECT_EQ(store.createKey(HKCU, QString::fromUtf8(bad)), ERROR_BAD_PATHNAME) << bad;
    EXPECT_FALSE(store.keyExists(HKCU, QStringLiteral("A")));

    // A root key always exists and holds values of its own.
    put(QString(), QStringLiteral("top"), QStringLiteral("t"));
    EXPECT_EQ(query(reopened(), QString(), QStringLiteral("top")).data, text0(QStringLiteral("t")));
}

// --- keys ---------------------------------------------------------------------------

TEST_F(RegistryStoreTest, KeysWithoutValuesPersistAndAreDeletedLikeThePlatform)
{
    ASSERT_EQ(store.createKey(HKCU, QStringLiteral("Vuota\\Mezzo\\Foglia")), ERROR_SUCCESS);
    put(QStringLiteral("Vuota"), QStringLiteral("v"), QString());
    ASSERT_EQ(store.deleteValue(HKCU, QStringLiteral("Vuota"), QStringLiteral("v")), ERROR_SUCCESS);
    EXPECT_EQ(store.deleteKey(HKCU, QStringLiteral("Vuota\\Mezzo")), ERROR_ACCESS_DENIED); // has a subkey
    EXPECT_EQ(store.deleteKey(HKCU, QString()), ERROR_ACCESS_DENIED);                       // a root key
    ASSERT_EQ(store.deleteKey(HKCU, QStringLiteral("vuota\\mezzo\\foglia")), ERROR_SUCCESS);
    EXPECT_EQ(store.deleteKey(HKCU, QStringLiteral("Vuota\\Mezzo\\Foglia")), ERROR_FILE_NOT_FOUND);

    const RegistryStore fresh = reopened();
    EXPECT_TRUE(fresh.keyExists(HKCU, QStringLiteral("Vuota")));           // without its last value
    EXPECT_TRUE(fresh.keyExists(HKCU, QStringLiteral("Vuota\\Mezzo")));    // without its subkey
    EXPECT_FALSE(fresh.keyExists(HKCU, QStringLiteral("Vuota\\Mezzo\\Foglia")));
    QStringList names{QStringLiteral("stale")};
    EXPECT_EQ(fresh.enumValueNames(HKCU, QStringLiteral("Vuota"), names), ERROR_SUCCESS);
    EXPECT_TRUE(names.isEmpty());

    // Made again, a key has none of its old values.
    put(QStringLiteral("A"), QStringLiteral("v"), QStringLiteral("x"));
    ASSERT_EQ(store.deleteKey(HKCU, QStringLiteral("A")), ERROR_SUCCESS);
    ASSERT_EQ(store.createKey(HKCU, QStringLiteral("A")), ERROR_SUCCESS);
    RegistryValue value;
    EXPECT_EQ(store.queryValue(HKCU, QStringLiteral("A"), QStringLiteral("v"), value), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryStoreTest, DeletingTouchesOnlyWhatItNames)
{
    // A value and a subkey of the same name; siblings that share its start.
    put(QStringLiteral("P"), QStringLiteral("x"), QStringLiteral("valore"));
    put(QStringLiteral("P\\x"), QStringLiteral("x"), QStringLiteral("s"));
    ASSERT_EQ(store.createKey(HKCU, QStringLiteral("P\\x.y")), ERROR_SUCCESS);
    ASSERT_EQ(store.createKey(HKCU, QStringLiteral("P\\xy")), ERROR_SUCCESS);

    EXPECT_EQ(store.deleteKey(HKCU, QStringLiteral("P\\x")), ERROR_SUCCESS);
    const RegistryStore fresh = reopened();
    EXPECT_EQ(query(fresh, QStringLiteral("P"), QStringLiteral("x")).data, text0(QStringLiteral("valore")));
    EXPECT_TRUE(fresh.keyExists(HKCU, QStringLiteral("P\\x.y")));
    EXPECT_TRUE(fresh.keyExists(HKCU, QStringLiteral("P\\xy")));

    ASSERT_EQ(store.createKey(HKCU, QStringLiteral("P\\x")), ERROR_SUCCESS);
    EXPECT_EQ(store.deleteValue(HKCU, QStringLiteral("P"), QStringLiteral("X")), ERROR_SUCCESS);
    EXPECT_TRUE(store.keyExists(HKCU, QStringLiteral("P\\x")));
    EXPECT_EQ(store.deleteValue(HKCU, QStringLiteral("P"), QStringLiteral("x")), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryStoreTest, MissingKeysAndValuesAreToldApart)
{
    RegistryValue value;
    bool keyFound = true;
    EXPECT_EQ(store.queryValue(HKCU, QStringLiteral("K"), QStringLiteral("v"), value, &keyFound), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(keyFound);
    EXPECT_EQ(store.setValue(HKCU, QStringLiteral("K"), QStringLiteral("v"), REG_SZ, text0(QString())),
              ERROR_FILE_NOT_FOUND); // writing needs the key
    EXPECT_FALSE(store.keyExists(HKCU, QStringLiteral("K")));
    QStringList names{QStringLiteral("stale")};
    EXPECT_EQ(store.enumSubKeyNames(HKCU, QStringLiteral("K"), names), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(names.isEmpty());

    put(QStringLiteral("K\\Sotto"), QString(), QStringLiteral("d")); // the default value
    EXPECT_EQ(store.queryValue(HKCU, QStringLiteral("K\\Sotto"), QStringLiteral("v"), value, &keyFound),
              ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(keyFound);
    EXPECT_EQ(store.queryValue(HKCU, QStringLiteral("K\\Sotto"), QStringLiteral("_unnamed"), value),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(query(store, QStringLiteral("K\\Sotto"), QString()).data, text0(QStringLiteral("d")));
    EXPECT_EQ(store.deleteValue(HKCU, QStringLiteral("K"), QStringLiteral("v")), ERROR_FILE_NOT_FOUND);
}

TEST(EnvironmentStrings, ReplacesKnownNamesAndKeepsEverythingElse)
{
    qputenv("VELMORA_ENV_DIR", "/dati/velmora");
    qputenv("VELMORA_ENV_EMPTY", "");
    qunsetenv("VELMORA_ENV_MISSING");
    const QList<std::pair<const char *, const char *>> cases = {
        {"%VELMORA_ENV_DIR%/gest01.mdb", "/dati/velmora/gest01.mdb"},
        {"a%VELMORA_ENV_DIR%b%VELMORA_ENV_EMPTY%c", "a/dati/velmorabc"},
        {"%velmora_env_dir%", "/dati/velmora"}, // names as the platform wrote them, in any case
        {"", ""}, {"100%", "100%"}, {"%%", "%%"}, {"%VELMORA_ENV_DIR", "%VELMORA_ENV_DIR"},
        {"%VELMORA_ENV_MISSING%", "%VELMORA_ENV_MISSING%"},
        // The closing "%" of an unknown name may open the next reference.
        {"%VELMORA_ENV_MISSING%VELMORA_ENV_DIR%", "%VELMORA_ENV_MISSING/dati/velmora"},
        {"%%VELMORA_ENV_DIR%", "%/dati/velmora"},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(expandEnvironmentStrings(QString::fromUtf8(text)), QString::fromUtf8(expected)) << text;
    qunsetenv("VELMORA_ENV_DIR");
    qunsetenv("VELMORA_ENV_EMPTY");
}
