// panels_e2e_win32.cpp — the tool-settings window, the colour bar, the quick
// palette and the colour dialogs of a running kelvara.exe, driven as a user would;
// the settings they stored are read back from the settings file after the exit.
// Each window is photographed into the build folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/app_ids.h"
#include "e2e/driver_win32.h"
#include "panels/colours.h"
#include "panels/panels_ids.h"
#include "settings/settings.h"

namespace {

void photo(const char* name) {
    Sleep(300);
    EXPECT_TRUE(drv_SaveScreen(drv_BuildPath(name)));
}

// Scrolls bar `i` of the tool-settings window `times` times with `code`.
void scroll(HWND tools, int i, int code, int times) {
    for (int t = 0; t < times; t++)
        SendMessageA(tools, WM_HSCROLL, MAKEWPARAM(code, 0), (LPARAM)GetDlgItem(tools, IDC_TSET_BAR0 + i));
}

}  // namespace

TEST(Journey, ColourPanelsAndToolSettings) {
    SettingsRecord s = drv_QuietSettings();
    s.toolWidth = 5;
    s.toolLevel = 50;
    s.colour1 = 0x0000FF;
    s.colour2 = 0x00FF00;
    std::string dir = drv_MakeFolder("panels", drv_SettingsFile(s));
    KvRunning r;
    ASSERT_TRUE(drv_StartReady(&r.p, dir, "")) << drv_Status(r.p.main);
    HWND main = r.p.main;
    SetWindowPos(main, nullptr, 0, 0, 1000, 700, SWP_NOZORDER);
    SetCursorPos(1270, 1010);  // the real pointer off the window: its moves write no status

    // The tool-settings window opened at start; opened again it replaces itself in
    // the view's corner. Its bars store what they show.
    HWND tools = drv_FindOwned(&r.p, "Tool Settings", 10000);
    ASSERT_TRUE(tools);
    SendMessageA(main, WM_COMMAND, CMD_TOOL_OPTIONS, 0);
    EXPECT_FALSE(IsWindow(tools));
    tools = drv_FindOwned(&r.p, "Tool Settings", 10000);
    ASSERT_TRUE(tools);
    EXPECT_EQ(drv_Text(GetDlgItem(tools, IDC_TSET_LABEL0)), "Width: 5 pixels");
    scroll(tools, 0, SB_PAGERIGHT, 20);
    scroll(tools, 1, SB_LINELEFT, 3);
    scroll(tools, 2, SB_RIGHT, 1);
    scroll(tools, 3, SB_PAGERIGHT, 2);
    EXPECT_EQ(drv_Text(GetDlgItem(tools, IDC_TSET_LABEL0)), "Width: 128 pixels");
    EXPECT_EQ(drv_Text(GetDlgItem(tools, IDC_TSET_LABEL0 + 1)), "fx Level: 47%");
    EXPECT_EQ(drv_Text(GetDlgItem(tools, IDC_TSET_LABEL0 + 2)), "Alpha1: 255/255");
    photo("kelvara_e2e_toolsettings.bmp");

    // The colour bar: a fixed colour cannot be edited; a right double-click on custom
    // colour #05, confirmed in the palette, sets #05 and colour #2.
    HWND bar = drv_Child(main, "kelvara_wnd_colorbar");
    PostMessageA(bar, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(80, 8));
    EXPECT_TRUE(drv_Answer(&r.p, "Error Editing Color Button", IDOK, 10000));
    SendMessageA(bar, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(140, 30));
    PostMessageA(bar, WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(140, 30));
    HWND pal = drv_FindOwned(&r.p, "Color Palette", 10000);
    ASSERT_TRUE(pal);
    SendMessageA(pal, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8 + 8 * 11, 8 + 8 * 6));
    SendMessageA(pal, WM_LBUTTONUP, 0, MAKELPARAM(8 + 8 * 11, 8 + 8 * 6));
    photo("kelvara_e2e_palette.bmp");
    PostMessageA(pal, WM_COMMAND, IDOK, 0);
    const uint32_t picked = cpal_Colour(6 * 255 / 31, 11 * 255 / 47, 255);
    char want[160];
    std::snprintf(want, sizeof want, " Custom Color #05 - Double-Click To Customize :: RGB{ r%i, g%i, b%i }",
                  (int)(picked & 255), (int)(picked >> 8 & 255), (int)(picked >> 16 & 255));
    // The hover text names the cell's colour once the palette has handed it back.
    for (int t = 0; t < 100 && drv_Status(main) != want; t++) {
        Sleep(50);
        SendMessageA(bar, WM_MOUSEMOVE, 0, MAKELPARAM(140, 30));
    }
    EXPECT_EQ(drv_Status(main), want);

    // The palette command: "Manual RGB " takes 300 as 44; OK makes it colour #1.
    drv_Command(main, CMD_COLOR_PALETTE);
    pal = drv_FindOwned(&r.p, "Color Palette", 10000);
    ASSERT_TRUE(pal);
    PostMessageA(pal, WM_COMMAND, IDC_PAL_MANUAL, 0);
    HWND rgb = drv_FindOwned(&r.p, "Specify RGB Manually", 10000);
    ASSERT_TRUE(rgb);
    SetDlgItemTextA(rgb, IDC_RGB_RED, "300");
    SetDlgItemTextA(rgb, IDC_RGB_GREEN, "20");
    SetDlgItemTextA(rgb, IDC_RGB_BLUE, "30");
    photo("kelvara_e2e_manualrgb.bmp");
    PostMessageA(rgb, WM_COMMAND, IDOK, 0);
    for (int t = 0; t < 100 && IsWindow(rgb); t++) Sleep(50);
    PostMessageA(pal, WM_COMMAND, IDOK, 0);
    for (int t = 0; t < 100 && IsWindow(pal); t++) Sleep(50);

    // The quick palette: a left drag sets colour #1 and says so; the swap box swaps.
    HWND quick = drv_Child(main, "kelvara_wnd_quickpal");
    SendMessageA(quick, WM_MOUSEMOVE, 0, MAKELPARAM(3, 1));
    EXPECT_EQ(drv_Status(main).rfind(" Quick Palette - Left-click to set Color#1, Right-click to set Color#2 ::", 0),
              0u)
        << drv_Status(main);
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    EXPECT_EQ(drv_Status(main), " Color#1 and Color#2 swapped");
    photo("kelvara_e2e_colorbar.bmp");

    EXPECT_TRUE(drv_CloseWithYes(&r.p));
    ASSERT_TRUE(drv_ReadSettings(dir, &s));
    EXPECT_EQ(s.toolWidth, 128);
    EXPECT_EQ(s.toolLevel, 47);
    EXPECT_EQ(s.alpha1, 255);
    EXPECT_EQ(s.alpha2, 20);
    EXPECT_EQ(s.userColours[4], picked);
    // Swapped at the end: colour #2 holds the manual RGB, colour #1 the picked one.
    EXPECT_EQ(s.colour2, 0x1E142Cu);
    EXPECT_EQ(s.colour1, picked);
}
