// Twips conversions and the run-time error's texts.
#include "platform/base/RuntimeError.h"
#include "platform/base/Twips.h"

#include <gtest/gtest.h>

#include <string>

using platform::RuntimeError;
using platform::Twips;

TEST(Twips, FifteenTwipsPerPixelRoundedToTheNearest)
{
    EXPECT_EQ(Twips(15).toPixels(), 1);
    EXPECT_EQ(Twips(1440).toPixels(), 96);
    EXPECT_EQ(Twips::fromPixels(10).value(), 150.0);
    EXPECT_EQ(platform::twipsToPixels(4800), 320);
    EXPECT_EQ(platform::twipsToPixels(-150), -10);
    EXPECT_EQ(Twips(22).toPixels(), 1);
    EXPECT_EQ(Twips(23).toPixels(), 2);
    EXPECT_DOUBLE_EQ(Twips(100).toPixelsF(), 100.0 / 15.0);
}

TEST(RuntimeError, KeepsNumberSourceAndDescription)
{
    const RuntimeError e(platform::vbObjectError + 27049, QStringLiteral("Scrittura rifiutata"),
                         QStringLiteral("velmora.comRegistry"));
    EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x80040000u + 27049));
    EXPECT_EQ(e.description(), "Scrittura rifiutata");
    EXPECT_EQ(e.source(), "velmora.comRegistry");
    const std::string what = e.what();
    EXPECT_NE(what.find("Scrittura rifiutata"), std::string::npos);
    EXPECT_NE(what.find("velmora.comRegistry"), std::string::npos);
    EXPECT_EQ(std::string(RuntimeError(13).what()), "Type mismatch (13)");
}
