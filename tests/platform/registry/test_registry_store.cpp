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
using namespace Qt::StringLiterals;

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
        const QString copy = testsupport::freshDir(u"copy"_s) + u"/registry.ini"_s;
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

    RegistryStore store{testsupport::freshDir(u"store"_s) + u"/registry.ini"_s};
};

} // namespace

TEST_F(RegistryStoreTest, TypesAndBytesComeBackExactlyFromAReadableIniFileThatCanBeEditedByHand)
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
        {REG_EXPAND_SZ, text0(u"%HOME%/x"_s)}, {REG_BINARY, all}, {REG_BINARY, QByteArray()},
        {REG_DWORD, QByteArray("\xff\xff\xff\x7f", 4)}, {REG_DWORD, QByteArray("\1\2\3", 3)},
        {REG_DWORD_BIG_ENDIAN, QByteArray("\0\0\1\2", 4)}, {REG_MULTI_SZ, QByteArray("uno\0due\0\0", 9)},
        {REG_NONE, QByteArray()}, {11, QByteArray("\1\0\0\0\0\0\0\0", 8)}, {static_cast<std::int32_t>(0x80000000u), all},
    };
    // Texts that the INI format has to quote or escape.
    for (const char *text : {"  blanks  ", "a,b,c", "semi;colon", "eq=ual", "\"quoted\"", "back\\slash\\",
                             "line\nbreak\r\nend", "\x01" "a\x1f" "F\t", "@at start", "àèé €😀", "hex(3):01",
                             "[section]", "#hash"}) {
        values.append({REG_SZ, text0(QString::fromUtf8(text))});
    }
    ASSERT_EQ(store.createKey(HKCU, u"Software\\Prova"_s), ERROR_SUCCESS);
    for (qsizetype i = 0; i < values.size(); ++i)
        ASSERT_EQ(store.setValue(HKCU, u"Software\\Prova"_s, QString::number(i), values.at(i)), 0);

    const RegistryStore fresh = reopened();
    for (qsizetype i = 0; i < values.size(); ++i)
        EXPECT_EQ(query(fresh, u"Software\\Prova"_s, QString::number(i)), values.at(i)) << i;

    // The file is readable INI, and values edited by hand are read.
    const QString settings = u"Software\\Korvane\\Velmora\\Settings"_s;
    put(settings, u"dbName"_s, u"gest01.mdb"_s);
    ASSERT_EQ(store.setValue(HKCU, settings, u"n"_s, REG_DWORD, QByteArray("\1\0\0\0", 4)), 0);
    QFile file(store.fileName());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("[HKEY_CURRENT_USER.Software.Korvane.Velmora.Settings]\n_key=\ndbName=sz:gest01.mdb\n"
                              "n=dword:00000001\n"))
        << text.constData();

    file.write("\n[HKEY_CURRENT_USER.Software.Manuale]\nplain=hello world\nlist=a, b\nshort=dword:1f\n"
               "bad=dword:zzzz\nlong=dword:123456789\nbytes=hex(3):0g\n");
    file.close();
    const QString manual = u"Software\\Manuale"_s;
    EXPECT_EQ(query(store, manual, u"plain"_s), (RegistryValue{REG_SZ, text0(u"hello world"_s)}));
    EXPECT_EQ(query(store, manual, u"list"_s).type, REG_SZ);
    EXPECT_EQ(query(store, manual, u"short"_s), (RegistryValue{REG_DWORD, QByteArray("\x1f\0\0\0", 4)}));
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
    const QStringList segments = {u"a.b"_s, u"x/y"_s, u"k=v"_s, u" s "_s,
                                  u"_key"_s, u"General"_s, u"à€😀"_s, u"[s];#_20"_s};
    const QStringList valueNames = {QString(), u"_unnamed"_s, u"_key"_s, u"a/b\\c"_s, u"="_s, u" "_s,
                                    QString(QChar(0)) + u"x"_s};
    for (const QString &segment : segments) {
        for (qsizetype i = 0; i < valueNames.size(); ++i)
            put(u"Odd\\"_s + segment, valueNames.at(i), QString::number(i));
    }
    const RegistryStore fresh = reopened();
    QStringList names;
    ASSERT_EQ(fresh.enumSubKeyNames(HKCU, u"Odd"_s, names), ERROR_SUCCESS);
    EXPECT_EQ(asSet(names), asSet(segments));
    for (const QString &segment : segments) {
        const QString path = u"Odd\\"_s + segment;
        ASSERT_EQ(fresh.enumValueNames(HKCU, path, names), ERROR_SUCCESS);
        EXPECT_EQ(asSet(names), asSet(valueNames)) << segment.toStdString();
        for (qsizetype i = 0; i < valueNames.size(); ++i)
            EXPECT_EQ(query(fresh, path, valueNames.at(i)).data, text0(QString::number(i)));
        ASSERT_EQ(fresh.enumSubKeyNames(HKCU, path, names), ERROR_SUCCESS);
        EXPECT_TRUE(names.isEmpty()) << segment.toStdString();
    }
}

TEST_F(RegistryStoreTest, NamesIgnoreCaseAndKeepTheirFirstSpellingRootKeysAreSeparateAndPathsChecked)
{
    for (const auto &[path, isNew] :
         {std::pair{"Software\\Korvane", true}, {"SOFTWARE\\korvane", false}, {"software\\KORVANE\\Velmora", true}}) {
        bool created = !isNew;
        ASSERT_EQ(store.createKey(HKCU, QString::fromLatin1(path), &created), ERROR_SUCCESS);
        EXPECT_EQ(created, isNew) << path;
    }
    QStringList names;
    ASSERT_EQ(store.enumSubKeyNames(HKCU, QString(), names), ERROR_SUCCESS);
    EXPECT_EQ(names, QStringList{u"Software"_s});
    ASSERT_EQ(store.enumSubKeyNames(HKCU, u"software"_s, names), ERROR_SUCCESS);
    EXPECT_EQ(names, QStringList{u"Korvane"_s});

    put(u"Software\\Korvane"_s, u"dbPath"_s, u"uno"_s);
    put(u"SOFTWARE\\KORVANE"_s, u"DBPATH"_s, u"due"_s);
    ASSERT_EQ(store.enumValueNames(HKCU, u"Software\\Korvane"_s, names), ERROR_SUCCESS);
    EXPECT_EQ(names, QStringList{u"dbPath"_s});
    EXPECT_EQ(query(reopened(), u"software\\korvane"_s, u"DbPath"_s).data, text0(u"due"_s));

    // Root keys are separate and paths are checked.
    ASSERT_EQ(store.createKey(HKEY_LOCAL_MACHINE, u"Software\\X"_s), ERROR_SUCCESS);
    EXPECT_FALSE(store.keyExists(HKCU, u"Software\\X"_s));
    EXPECT_TRUE(store.keyExists(HKEY_LOCAL_MACHINE, u"software\\x\\"_s)); // one trailing "\"
    EXPECT_EQ(store.openKey(0, u"Software"_s), ERROR_INVALID_HANDLE);
    EXPECT_EQ(store.createKey(static_cast<std::int32_t>(0x80000005u), u"A"_s), ERROR_INVALID_HANDLE);
    for (const char *bad : {"\\Software", "A\\\\B", "\\"})
        EXPECT_EQ(store.createKey(HKCU, QString::fromUtf8(bad)), ERROR_BAD_PATHNAME) << bad;
    EXPECT_FALSE(store.keyExists(HKCU, u"A"_s));

    // A root key always exists and holds values of its own.
    put(QString(), u"top"_s, u"t"_s);
    EXPECT_EQ(query(reopened(), QString(), u"top"_s).data, text0(u"t"_s));
}

TEST_F(RegistryStoreTest, KeysWithoutValuesPersistDeletingTouchesOnlyWhatItNamesMissingOnesAreToldApart)
{
    ASSERT_EQ(store.createKey(HKCU, u"Vuota\\Mezzo\\Foglia"_s), ERROR_SUCCESS);
    put(u"Vuota"_s, u"v"_s, QString());
    ASSERT_EQ(store.deleteValue(HKCU, u"Vuota"_s, u"v"_s), ERROR_SUCCESS);
    EXPECT_EQ(store.deleteKey(HKCU, u"Vuota\\Mezzo"_s), ERROR_ACCESS_DENIED); // has a subkey
    EXPECT_EQ(store.deleteKey(HKCU, QString()), ERROR_ACCESS_DENIED);                       // a root key
    ASSERT_EQ(store.deleteKey(HKCU, u"vuota\\mezzo\\foglia"_s), ERROR_SUCCESS);
    EXPECT_EQ(store.deleteKey(HKCU, u"Vuota\\Mezzo\\Foglia"_s), ERROR_FILE_NOT_FOUND);

    const RegistryStore fresh = reopened();
    EXPECT_TRUE(fresh.keyExists(HKCU, u"Vuota"_s));           // without its last value
    EXPECT_TRUE(fresh.keyExists(HKCU, u"Vuota\\Mezzo"_s));    // without its subkey
    EXPECT_FALSE(fresh.keyExists(HKCU, u"Vuota\\Mezzo\\Foglia"_s));
    QStringList names{u"stale"_s};
    EXPECT_EQ(fresh.enumValueNames(HKCU, u"Vuota"_s, names), ERROR_SUCCESS);
    EXPECT_TRUE(names.isEmpty());

    // Made again, a key has none of its old values.
    put(u"A"_s, u"v"_s, u"x"_s);
    ASSERT_EQ(store.deleteKey(HKCU, u"A"_s), ERROR_SUCCESS);
    ASSERT_EQ(store.createKey(HKCU, u"A"_s), ERROR_SUCCESS);
    RegistryValue value;
    EXPECT_EQ(store.queryValue(HKCU, u"A"_s, u"v"_s, value), ERROR_FILE_NOT_FOUND);

    // A value and a subkey of the same name; siblings that share its start.
    put(u"P"_s, u"x"_s, u"valore"_s);
    put(u"P\\x"_s, u"x"_s, u"s"_s);
    ASSERT_EQ(store.createKey(HKCU, u"P\\x.y"_s), ERROR_SUCCESS);
    ASSERT_EQ(store.createKey(HKCU, u"P\\xy"_s), ERROR_SUCCESS);

    EXPECT_EQ(store.deleteKey(HKCU, u"P\\x"_s), ERROR_SUCCESS);
    const RegistryStore later = reopened();
    EXPECT_EQ(query(later, u"P"_s, u"x"_s).data, text0(u"valore"_s));
    EXPECT_TRUE(later.keyExists(HKCU, u"P\\x.y"_s));
    EXPECT_TRUE(later.keyExists(HKCU, u"P\\xy"_s));

    ASSERT_EQ(store.createKey(HKCU, u"P\\x"_s), ERROR_SUCCESS);
    EXPECT_EQ(store.deleteValue(HKCU, u"P"_s, u"X"_s), ERROR_SUCCESS);
    EXPECT_TRUE(store.keyExists(HKCU, u"P\\x"_s));
    EXPECT_EQ(store.deleteValue(HKCU, u"P"_s, u"x"_s), ERROR_FILE_NOT_FOUND);

    // Missing keys and missing values are told apart.
    bool keyFound = true;
    EXPECT_EQ(store.queryValue(HKCU, u"K"_s, u"v"_s, value, &keyFound), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(keyFound);
    EXPECT_EQ(store.setValue(HKCU, u"K"_s, u"v"_s, REG_SZ, text0(QString())), ERROR_FILE_NOT_FOUND); // needs the key
    EXPECT_FALSE(store.keyExists(HKCU, u"K"_s));
    names = {u"stale"_s};
    EXPECT_EQ(store.enumSubKeyNames(HKCU, u"K"_s, names), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(names.isEmpty());

    put(u"K\\Sotto"_s, QString(), u"d"_s); // the default value
    EXPECT_EQ(store.queryValue(HKCU, u"K\\Sotto"_s, u"v"_s, value, &keyFound), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(keyFound);
    EXPECT_EQ(store.queryValue(HKCU, u"K\\Sotto"_s, u"_unnamed"_s, value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(query(store, u"K\\Sotto"_s, QString()).data, text0(u"d"_s));
    EXPECT_EQ(store.deleteValue(HKCU, u"K"_s, u"v"_s), ERROR_FILE_NOT_FOUND);
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
