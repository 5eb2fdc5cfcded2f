// The Win32 user-interface seam: a real message box answered by pressing its button.
// (Prompts reach their registered dialogs end to end: the Loader Error journey.)
#include <gtest/gtest.h>
#include "platform/ui.h"
#include "support/win_driver_win32.h"

TEST(UiWin32, MessageBoxReturnsTheButtonPressed) {
    std::thread answer = AnswerWindowLater("Seam Check", IDNO);
    int got = ui_MessageBox("Press No", "Seam Check", UI_YESNO | UI_ICONQUESTION);
    answer.join();
    EXPECT_EQ(got, UI_IDNO);
}
