// The size dialogs driven like a user: typing and picking with the aspect kept,
// OK refused with corrected fields, a preset, resizing in both modes, placement
// and label colours.
#include <gtest/gtest.h>
#include <cstdlib>
#include <set>
#include <string>
#include "engine/surface.h"
#include "panels/size_ids.h"
#include "panels/sizedlg_win32.h"
#include "support/test_surface.h"
#include "support/ui_script.h"
#include "support/win_driver_win32.h"

namespace {

std::string Fields(HWND dlg) {
    char w[32] = "", h[32] = "";
    GetWindowTextA(GetDlgItem(dlg, IDC_SIZE_WIDTH), w, sizeof w);
    GetWindowTextA(GetDlgItem(dlg, IDC_SIZE_HEIGHT), h, sizeof h);
    return std::string(w) + "x" + h;
}

// Keystrokes into a combo box's edit part, replacing what it held.
void Type(HWND dlg, int id, const char* text) {
    HWND edit = GetWindow(GetDlgItem(dlg, id), GW_CHILD);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    for (const char* c = text; *c; c++) SendMessageA(edit, WM_CHAR, (WPARAM)*c, 0);
}

// Sends a command and returns once the dialog has handled it.
void Command(HWND dlg, int id, int code) {
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, code), (LPARAM)GetDlgItem(dlg, id));
}

struct SizeDialogs : ::testing::Test {
    void SetUp() override { uiscript_Reset(); }
};

}  // namespace

TEST_F(SizeDialogs, PictureSizeKeepsTheAspectAndRefusesBadSizes) {
    uiscript_QueueBox("Performance Warning", UI_IDNO);
    std::vector<std::string> seen;
    std::thread user = DriveWindowLater("Select Desired Picture Size", [&](HWND dlg) {
        seen.push_back(Fields(dlg) + " " + std::to_string(SendDlgItemMessageA(dlg, IDC_SIZE_WIDTH, CB_GETCOUNT, 0, 0)));
        Type(dlg, IDC_SIZE_WIDTH, "1000");  // each keystroke moves the height only
        seen.push_back(Fields(dlg));
        SendDlgItemMessageA(dlg, IDC_SIZE_HEIGHT, CB_SETCURSEL, 25, 0);  // the list's 1200
        Command(dlg, IDC_SIZE_HEIGHT, CBN_SELCHANGE);
        seen.push_back(Fields(dlg));
        CheckDlgButton(dlg, IDC_SIZE_ASPECT, BST_UNCHECKED);
        const char* sizes[][2] = {{"5000", "4000"}, {"2049", "2048"}, {"3", "100"}, {"2048", "2048"}};
        for (int i = 0; i < 4; i++) {
            SetDlgItemTextA(dlg, IDC_SIZE_WIDTH, sizes[i][0]);
            SetDlgItemTextA(dlg, IDC_SIZE_HEIGHT, sizes[i][1]);
            Command(dlg, IDOK, BN_CLICKED);
            if (i < 3) seen.push_back(Fields(dlg));  // refused: still open
        }
    });
    EXPECT_EQ(AskPictureSize(nullptr, 640u | 480u << 16), 2048u | 2048u << 16);
    user.join();
    const std::vector<std::string> want = {"640x480 41", "1000x750", "1600x1200", "4096x4096", "2049x2048", "4x100"};
    EXPECT_EQ(seen, want);
    std::string titles;
    for (const UiRecordedBox& b : uiscript_Boxes()) titles += b.title + ";";
    EXPECT_EQ(titles, "Dimensions Too Large;Performance Warning;Dimensions Too Small;");
}

TEST_F(SizeDialogs, PresetSetsFieldsAndAspectOverACentredColouredDialog) {
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, 60, 40, 800, 600, nullptr, nullptr,
                               nullptr, nullptr);
    std::string preset, typed;
    int off = 99;
    COLORREF colours[3] = {};
    std::thread user = DriveWindowLater("Select Desired Picture Size", [&](HWND dlg) {
        RECT o, d;
        GetWindowRect(owner, &o), GetWindowRect(dlg, &d);
        off = std::abs(d.left + d.right - o.left - o.right) / 2 + std::abs(d.top + d.bottom - o.top - o.bottom) / 2;
        HDC dc = CreateCompatibleDC(nullptr);
        SendMessageA(dlg, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)GetDlgItem(dlg, IDC_SIZE_LABEL2));
        colours[0] = GetTextColor(dc), colours[1] = GetBkColor(dc);
        SendMessageA(dlg, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)FindWindowExA(dlg, nullptr, "Static", "pixels"));
        colours[2] = GetTextColor(dc);
        DeleteDC(dc);
        PressButton(dlg, IDC_SIZE_PRESETS);  // posted: the preset dialog is modal in turn
        HWND presets = FindWindowWait("Image Size Presets", nullptr, 10000);
        if (presets) PressButton(presets, IDC_PRESET_FIRST + 5);
        for (int i = 0; i < 500 && IsWindow(presets); i++) Sleep(20);
        preset = Fields(dlg);
        Type(dlg, IDC_SIZE_WIDTH, "1024");
        typed = Fields(dlg);
        PressButton(dlg, IDCANCEL);
    });
    EXPECT_EQ(AskPictureSize(owner, 100u | 100u << 16), 0u);
    user.join();
    DestroyWindow(owner);
    EXPECT_EQ(preset, "2048x1448");
    EXPECT_EQ(typed, "1024x724");
    EXPECT_LE(off, 1);
    EXPECT_EQ(colours[0], 0xFF0000u);  // "X" in blue on the dialog's colour, other texts purple
    EXPECT_EQ(colours[1], 0xEFD7D7u);
    EXPECT_EQ(colours[2], 0x7F007Fu);
}

TEST_F(SizeDialogs, ResizeResamplesOnlyWhenAsked) {
    // blended: colours between black and white appear.
    const struct { UINT resample; int button, result; unsigned side; bool blended; } cases[] = {{BST_CHECKED, IDOK, 1, 8, true}, {BST_UNCHECKED, IDOK, 1, 8, false}, {BST_CHECKED, IDCANCEL, 0, 4, false}};
    for (const auto& c : cases) {
        Surface s{};
        srf_Create(4, 4, &s);
        uint32_t* px = srf_Lock(&s);
        ASSERT_NE(px, nullptr);
        for (unsigned i = 0; i < 16; i++) px[i / 4 * s.stride + i % 4] = (i / 4 + i % 4) % 2 ? 0x00FFFFFFu : 0;
        srf_Unlock(&s);
        std::string opened;
        std::thread user = DriveWindowLater("Resize Image / Sprite", [&](HWND dlg) {
            opened = Fields(dlg) + (IsDlgButtonChecked(dlg, IDC_SIZE_RESAMPLE) ? " resample" : "");
            CheckDlgButton(dlg, IDC_SIZE_RESAMPLE, c.resample);
            Type(dlg, IDC_SIZE_WIDTH, "8");
            Command(dlg, c.button, BN_CLICKED);
        });
        EXPECT_EQ(AskResize(nullptr, &s), c.result) << c.button;
        user.join();
        EXPECT_EQ(opened, "4x4 resample");
        EXPECT_EQ((Dims{s.width, s.height}), (Dims{c.side, c.side})) << c.button;
        std::set<uint32_t> colours;
        px = srf_Lock(&s);
        for (unsigned y = 0; y < s.height; y++) colours.insert(px + y * s.stride, px + y * s.stride + s.width);
        srf_Unlock(&s);
        EXPECT_EQ(colours.size() > 2, c.blended) << c.resample << " " << c.button;
        EXPECT_EQ(uiscript_WaitDepth(), 0);
        srf_Destroy(&s);
    }
}
