// The buttons, Enter and Esc answers implied by a message-box style.
#include "platform/desktop/DesktopServices.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(MessageBoxStyle, ButtonsEnterAndEscapeForEveryGroupWhateverTheIcon)
{
    const struct {
        int style;
        QList<int> answers;
        int enter[3]; // with vbDefaultButton1, 2, 3
        int escape;
    } cases[] = {
        {vbOKOnly, {vbOK}, {vbOK, vbOK, vbOK}, vbOK},
        {vbOKCancel + vbCritical, {vbOK, vbCancel}, {vbOK, vbCancel, vbOK}, vbCancel},
        {vbAbortRetryIgnore, {vbAbort, vbRetry, vbIgnore}, {vbAbort, vbRetry, vbIgnore}, 0},
        {vbYesNoCancel + vbExclamation, {vbYes, vbNo, vbCancel}, {vbYes, vbNo, vbCancel}, vbCancel},
        {vbYesNo + vbQuestion, {vbYes, vbNo}, {vbYes, vbNo, vbYes}, vbNo},
        {vbRetryCancel + vbInformation, {vbRetry, vbCancel}, {vbRetry, vbCancel, vbRetry}, vbCancel},
        // An unknown button group is an OK box.
        {6, {vbOK}, {vbOK, vbOK, vbOK}, vbOK},
    };
    const int defaults[] = {vbDefaultButton1, vbDefaultButton2, vbDefaultButton3};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.style);
        EXPECT_EQ(messageBoxAnswers(c.style), c.answers);
        EXPECT_EQ(escapeAnswer(c.style), c.escape);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(defaultAnswer(c.style + defaults[i]), c.enter[i]) << "default button " << i + 1;
    }
    // vbDefaultButton4 names a fourth button no box has.
    EXPECT_EQ(defaultAnswer(vbYesNoCancel + 768), vbYes);
}
