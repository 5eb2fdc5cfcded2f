// The programming window under Wine, driven from a second thread like a user: typing
// and Done, Cancel, a second window, a compile error that brings the window back with
// the bad word selected, and Escape stopping an endless program.
#include <gtest/gtest.h>
#include <atomic>
#include <string>
#include <thread>
#include "unit/pixcode/pixcode_test_util.h"
#include "pixcode/pix_program.h"
#include "pixcode/pix_run.h"
#include "pixcode/pixcode_ids.h"
#include "pixcode/pixcode_window_win32.h"
#include "support/test_surface.h"
#include "support/win_driver_win32.h"

namespace {
const char* kTitle = "Kelvara - Programming Window";

struct Seen {
    DWORD selStart = 0, selEnd = 0;
    std::string text;
    bool found = false;
};

DWORD g_testThread;

// Waits for the window, notes its selection and text, then presses `button`. When it
// never shows, whatever the test thread has open is cancelled, so the test fails
// instead of waiting for ever.
void Answer(int button, Seen* seen, const char* type = nullptr) {
    HWND w = FindWindowWait(kTitle, nullptr, 10000);
    if (!w) {
        EnumThreadWindows(g_testThread, [](HWND open, LPARAM) -> BOOL {
            PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
            return TRUE;
        }, 0);
        return;
    }
    HWND edit = GetDlgItem(w, IDC_PIX_EDIT);
    char buf[PIX_TEXT_SIZE] = "";
    GetWindowTextA(edit, buf, sizeof buf);
    seen->text = buf;
    SendMessageA(edit, EM_GETSEL, (WPARAM)&seen->selStart, (LPARAM)&seen->selEnd);
    seen->found = true;
    if (type) SetWindowTextA(edit, type);
    PostMessageA(GetDlgItem(w, button), BM_CLICK, 0, 0);
    // Wait until it is gone, so that a later search finds the next window.
    for (int i = 0; i < 500 && IsWindow(w) && IsWindowVisible(w); i++) Sleep(10);
}

struct PixcodeWindow : ::testing::Test {
    void SetUp() override { g_testThread = GetCurrentThreadId(); }
    void TearDown() override { pix_ResetProgramText(); }
};
}  // namespace

// A second window closes the first as if cancelled; Cancel keeps the program,
// whatever was typed.
TEST_F(PixcodeWindow, OpeningASecondWindowClosesTheFirst) {
    pix_SetProgramText("copy red,#1");
    int second = -1;
    HWND first = nullptr;
    std::thread other([&]() {
        first = FindWindowWait(kTitle, nullptr, 10000);
        if (!first) return;
        std::thread user([&]() {
            for (int i = 0; i < 500; i++) {
                HWND w = FindWindowA(nullptr, kTitle);
                if (w && w != first && IsWindowVisible(w)) {
                    SetDlgItemTextA(w, IDC_PIX_EDIT, "copy green,#2");
                    PostMessageA(GetDlgItem(w, IDCANCEL), BM_CLICK, 0, 0);
                    return;
                }
                Sleep(20);
            }
        });
        second = pix_EditProgram(nullptr, nullptr);
        user.join();
    });
    int r = pix_EditProgram(nullptr, nullptr);
    other.join();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(second, 0);
    EXPECT_STREQ(pix_ProgramText(), "copy red,#1");
}

// Help goes through the help viewer's look-up: without a help file beside the
// program it says so, and the window stays open.
TEST_F(PixcodeWindow, HelpLooksUpTheHelpFile) {
    bool said = false;
    std::thread user([&]() {
        HWND w = FindWindowWait(kTitle, nullptr, 10000);
        if (w) PostMessageA(GetDlgItem(w, IDC_PIX_HELP), BM_CLICK, 0, 0);
        HWND box = FindWindowWait("File not found!!", nullptr, 10000);
        said = box && FindWindowExA(box, nullptr, "Static", "Kelvara could not find \"Kelvara.chm\"");
        if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
        Seen seen;
        Answer(IDCANCEL, &seen);
    });
    EXPECT_EQ(pix_EditProgram(nullptr, nullptr), 0);
    user.join();
    EXPECT_TRUE(said);
}

// The run command: the window opens with the whole text selected; a compile error
// brings it back with the bad word selected whatever its case; Done takes the typed
// program and runs it.
TEST_F(PixcodeWindow, CompileErrorReopensWithTheBadWordSelected) {
    pix_SetProgramText("// first\r\nBlend red");
    TestSurface t(4, 4);
    t.at(1, 1) = 0x00ABCDEFu;
    Seen first, second;
    std::thread user([&]() {
        Answer(IDC_PIX_DONE, &first);
        HWND box = FindWindowWait("Compiler Error", nullptr, 10000);   // its text is pinned natively
        if (box) PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        Answer(IDC_PIX_DONE, &second, "swap red,green");
    });
    int r = pix_RunCommand(t.get());
    user.join();
    EXPECT_EQ(r, 1);
    EXPECT_EQ(first.selEnd - first.selStart, (DWORD)first.text.size());
    ASSERT_TRUE(second.found);
    EXPECT_EQ(second.selStart, 10u);
    EXPECT_EQ(second.selEnd, 15u);
    EXPECT_EQ(t.at(1, 1), 0x00CDABEFu);
}

TEST_F(PixcodeWindow, EscapeStopsAnEndlessProgram) {
    TestSurface t(4, 4);
    Compiled c;
    CompileText("label #1 goto #1", &c, t.get());
    ASSERT_TRUE(c.ok);
    c.m.jumpBudget = 4000000000u;   // a backstop: a broken Escape ends the test instead of hanging it
    std::atomic<bool> done(false);
    std::thread user([&]() {
        Sleep(50);
        while (!done) {
            keybd_event(VK_ESCAPE, 0, 0, 0);
            Sleep(20);
            keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
            Sleep(20);
        }
    });
    int r = pix_RunPixels(t.get(), c.cells, &c.m);
    done = true;
    user.join();
    EXPECT_EQ(r, 0);
    EXPECT_EQ(c.m.stop, PIX_STOP_ESCAPE);
}
