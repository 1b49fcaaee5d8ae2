// Expansion of "%NAME%" references in expandable registry strings.
#include "platform/registry/EnvironmentStrings.h"

#include <gtest/gtest.h>

#include <QList>

using platform::expandEnvironmentStrings;

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
