// zorder_e2e_win32.cpp — which window is on top: the tutorial question at the first
// start comes up over the tool-settings window with the keyboard focus, and the tool
// window opens above the main window once it is answered, takes no input while a
// modal dialog is up and stays above after it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/app_ids.h"
#include "e2e/driver_win32.h"

namespace {

// 1 when `a` lies above `b` in the z-order.
int above(HWND a, HWND b) {
    for (HWND w = GetWindow(b, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV))
        if (w == a) return 1;
    return 0;
}

// The window of the thread that has the keyboard focus (0 when none).
HWND focus_of(HWND w) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &info) || !info.hwndFocus) return nullptr;
    return GetAncestor(info.hwndFocus, GA_ROOT);
}

}  // namespace

TEST(Journey, QuestionsComeUpOverTheToolWindow) {
    drv_ParkPointer();
    std::string dir = drv_MakeFolder("zorder", drv_QuietSettingsFile(0, 0, 0));
    KvRunning r;
    ASSERT_TRUE(drv_Start(&r.p, dir, ""));
    HWND question = drv_FindOwned(&r.p, "READ THE BRIEF TUTORIAL?", DRV_START_MS);
    ASSERT_TRUE(question);
    Sleep(500);  // whatever else start-up shows has had its chance to cover it
    HWND tools = drv_FindOwned(&r.p, "Tool Settings", 100);
    if (tools) {
        EXPECT_FALSE(above(tools, question)) << "the tool window covers the question";
    }
    EXPECT_EQ(focus_of(question), question) << "the question has no keyboard focus";
    ASSERT_TRUE(drv_Answer(&r.p, "READ THE BRIEF TUTORIAL?", IDNO, 5000));
    HWND main = drv_WaitMain(&r.p, 10000);
    ASSERT_TRUE(main);
    ASSERT_TRUE(drv_WaitStatus(main, " All systems go!!", 10000)) << drv_Status(main);
    tools = drv_FindOwned(&r.p, "Tool Settings", 5000);
    ASSERT_TRUE(tools);
    EXPECT_TRUE(above(tools, main)) << "after start-up";
    for (int cancelled = 0; cancelled < 2; cancelled++) {
        drv_Command(main, CMD_OPTIONS);
        ASSERT_TRUE(drv_FindOwned(&r.p, "Kelvara - Options", 10000));
        EXPECT_FALSE(IsWindowEnabled(tools)) << "the tool window takes input under a modal dialog";
        ASSERT_TRUE(drv_Cancel(&r.p, "Kelvara - Options", 10000));
        EXPECT_TRUE(IsWindowEnabled(tools));
        for (int t = 0; t < 40 && !above(tools, main); t++) Sleep(50);
        EXPECT_TRUE(above(tools, main)) << "after the Options dialog, time " << cancelled + 1;
    }
}
