// The buttons, Enter and Esc answers implied by a message-box style.
#include "platform/desktop/DesktopServices.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {
struct StyleCase
{
    int style;
    QList<int> answers;
    int enter[3];  // with vbDefaultButton1, 2, 3
    int escape;
};

const StyleCase styleCases[] = {
    {vbOKOnly, {vbOK}, {vbOK, vbOK, vbOK}, vbOK},
    {vbOKCancel, {vbOK, vbCancel}, {vbOK, vbCancel, vbOK}, vbCancel},
    {vbAbortRetryIgnore, {vbAbort, vbRetry, vbIgnore}, {vbAbort, vbRetry, vbIgnore}, 0},
    {vbYesNoCancel, {vbYes, vbNo, vbCancel}, {vbYes, vbNo, vbCancel}, vbCancel},
    {vbYesNo, {vbYes, vbNo}, {vbYes, vbNo, vbYes}, vbNo},
    {vbRetryCancel, {vbRetry, vbCancel}, {vbRetry, vbCancel, vbRetry}, vbCancel},
};
} // namespace

TEST(MessageBoxStyle, ButtonsEnterAndEscapeForEveryGroup)
{
    const int defaults[] = {vbDefaultButton1, vbDefaultButton2, vbDefaultButton3};
    for (const StyleCase &c : styleCases) {
        SCOPED_TRACE(c.style);
        EXPECT_EQ(messageBoxAnswers(c.style), c.answers);
        EXPECT_EQ(escapeAnswer(c.style), c.escape);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(defaultAnswer(c.style + defaults[i]), c.enter[i]) << "default button " << i + 1;
    }
}

TEST(MessageBoxStyle, IconBitsDoNotChangeTheAnswers)
{
    EXPECT_EQ(defaultAnswer(vbYesNo + vbQuestion + vbDefaultButton2), vbNo);
    EXPECT_EQ(defaultAnswer(vbOKCancel + vbCritical), vbOK);
    EXPECT_EQ(defaultAnswer(vbYesNoCancel + vbExclamation + vbDefaultButton3), vbCancel);
    EXPECT_EQ(escapeAnswer(vbYesNo + vbInformation), vbNo);
    EXPECT_EQ(messageBoxAnswers(vbRetryCancel + vbCritical), (QList<int>{vbRetry, vbCancel}));
}

TEST(MessageBoxStyle, UnknownButtonGroupIsAnOkBox)
{
    EXPECT_EQ(messageBoxAnswers(6), QList<int>{vbOK});
    EXPECT_EQ(defaultAnswer(7 + vbDefaultButton2), vbOK);
    // vbDefaultButton4 names a fourth button no box has.
    EXPECT_EQ(defaultAnswer(vbYesNoCancel + 768), vbYes);
}
