// The Win32 user-interface seam: a real message box answered by pressing its
// button, and the prompt registry.
#include <gtest/gtest.h>
#include <cstring>
#include "platform/ui.h"
#include "support/win_driver_win32.h"

TEST(UiWin32, MessageBoxReturnsTheButtonPressed) {
    std::thread answer = AnswerWindowLater("Seam Check", IDNO);
    int got = ui_MessageBox("Press No", "Seam Check", UI_YESNO | UI_ICONQUESTION);
    answer.join();
    EXPECT_EQ(got, UI_IDNO);
}

static int EchoPrompt(UiPrompt* p) {
    std::strcpy(p->text1, p->inText);
    p->result = p->mode + 1;
    return 1;
}

TEST(UiWin32, PromptsGoToTheirRegisteredDialog) {
    UiPrompt p{};
    p.name = "unregistered";
    EXPECT_EQ(ui_Prompt(&p), 0);
    ui_RegisterPrompt("echo", EchoPrompt);
    p.name = "echo";
    p.mode = 4;
    p.inText = "hint";
    ASSERT_EQ(ui_Prompt(&p), 1);
    EXPECT_EQ(p.result, 5);
    EXPECT_STREQ(p.text1, "hint");
}

