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

TEST(RuntimeError, KeepsItsPartsAndTheRunTimesOwnErrorsReadAsTheItalianRunTimeWroteThem)
{
    RuntimeError e(platform::vbObjectError + 27049, QStringLiteral("Scrittura rifiutata"),
                   QStringLiteral("velmora.comRegistry"));
    e.setDetail(QStringLiteral("SQLite 8: attempt to write a readonly database"));
    EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x80040000u + 27049));
    EXPECT_EQ(e.description(), "Scrittura rifiutata");
    EXPECT_EQ(e.source(), "velmora.comRegistry");
    EXPECT_EQ(std::string(e.what()), "Scrittura rifiutata (-2147194455) in velmora.comRegistry - "
                                     "SQLite 8: attempt to write a readonly database");

    namespace err = platform::err;
    EXPECT_EQ(RuntimeError(err::InvalidProcedureCall).description(), "Chiamata di routine o argomento non validi");
    EXPECT_EQ(RuntimeError(err::Overflow).description(), "Overflow");
    EXPECT_EQ(RuntimeError(err::DivisionByZero).description(), "Divisione per zero");
    EXPECT_EQ(RuntimeError(err::TypeMismatch).description(), "Tipo non corrispondente");
    EXPECT_EQ(RuntimeError(err::InvalidUseOfNull).description(), "Utilizzo non valido di Null");
    EXPECT_EQ(std::string(RuntimeError(err::TypeMismatch).what()), "Tipo non corrispondente (13)");
    EXPECT_EQ(RuntimeError(err::TypeMismatch, QStringLiteral("Testo proprio")).description(), "Testo proprio");
}
