// dpi_e2e_win32.cpp — the program at 96, 144 and 192 DPI: one start at each, a
// screenshot of the main window with the tool window and of the Options dialog, and
// the mouse checked against what the screen shows: the pencil pressed on a screen
// pixel paints exactly the image pixel shown there, at zoom 1 and zoom 4, and at
// zoom 1 neighbouring screen pixels show neighbouring image pixels. A window moved
// to a screen of another DPI is laid out again.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/app_ids.h"
#include "app/view_win32.h"
#include "e2e/driver_win32.h"
#include "engine/engine.h"
#include "formats/kv5_file.h"

namespace {

const int W = 600, H = 400;

// Each pixel tells where it is: x in the low 12 bits, y in the next 12.
uint32_t code_of(int x, int y) { return (uint32_t)x | (uint32_t)y << 12; }

// The DPI of the programs started from now on (Wine reads it at start-up).
void set_screen_dpi(DWORD dpi) {
    RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", REG_DWORD, &dpi, sizeof dpi);
}
struct ScreenDpiBack {
    ~ScreenDpiBack() { set_screen_dpi(96); }
};

// The image pixel a client point of the view shows.
POINT shown_at(HWND view, int cx, int cy) {
    std::vector<uint32_t> px;
    int cw, ch;
    if (!drv_GrabClient(view, &px, &cw, &ch) || cx >= cw || cy >= ch) return {-1, -1};
    uint32_t c = px[(size_t)cy * cw + cx];
    return {(LONG)(c & 0xFFF), (LONG)(c >> 12 & 0xFFF)};
}

// The pixels of the saved file that are no longer their own code.
std::set<std::pair<int, int>> painted(const std::string& file) {
    std::set<std::pair<int, int>> out;
    Surface s{};
    ImageFileInfo info{};
    if (!kv5_Load(&s, file.c_str(), &info) || !srf_Lock(&s)) return {{-1, -1}};
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++)
            if ((s.pixels[(size_t)y * s.stride + x] & 0x00FFFFFFu) != code_of(x, y)) out.insert({x, y});
    srf_Destroy(&s);
    return out;
}

}  // namespace

TEST(Journey, AtEachDpiTheLayoutScalesAndTheMouseHitsTheShownPixel) {
    eng_Init();
    ScreenDpiBack back;
    for (int dpi : {96, 144, 192}) {
        const std::string at = std::to_string(dpi) + " dpi";
        set_screen_dpi(dpi);
        const std::string dir = drv_MakeFolder(("dpi" + std::to_string(dpi)).c_str(), drv_QuietSettingsFile());
        const std::string file = dir + "\\where.kv5";
        Surface s{};
        ASSERT_TRUE(srf_CreateExact(W, H, &s));
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++) s.pixels[(size_t)y * s.stride + x] = code_of(x, y);
        srf_Unlock(&s);
        ASSERT_TRUE(kv5_Save(&s, file.c_str(), nullptr));
        srf_Destroy(&s);
        KvRunning r;
        ASSERT_TRUE(drv_StartReady(&r.p, dir, ("\"" + file + "\"").c_str())) << drv_Status(r.p.main);
        HWND main = r.p.main, view = drv_Child(main, "kelvara_wnd_view");
        RECT c;
        GetClientRect(main, &c);
        EXPECT_GE(c.right, 505 * dpi / 96) << at << ": the window is sized for the DPI";
        Sleep(500);
        drv_SaveScreen(drv_BuildPath(("e2e_dpi_" + std::to_string(dpi) + ".bmp").c_str()));
        drv_Command(main, CMD_OPTIONS);
        EXPECT_TRUE(drv_FindOwned(&r.p, "Kelvara - Options", 10000)) << at;
        Sleep(300);
        drv_SaveScreen(drv_BuildPath(("e2e_dpi_" + std::to_string(dpi) + "_options.bmp").c_str()));
        EXPECT_TRUE(drv_Cancel(&r.p, "Kelvara - Options", 10000)) << at;
        // The tool window stays over the main window's corner: closed, the shown pixels are the view's.
        EXPECT_TRUE(drv_Cancel(&r.p, "Tool Settings", 10000)) << at;

        RECT vc;
        GetClientRect(view, &vc);
        std::set<std::pair<int, int>> want;
        for (int zoom : {1, 4}) {
            for (int t = 0; t < 2 && zoom == 4; t++) drv_Key(main, VK_PRIOR);
            for (int t = 0; t < 200 && SendMessageA(view, WM_VIEW_GETZOOM, 0, 0) != zoom; t++) Sleep(25);
            Sleep(300);
            const int cx = vc.right / 2 + zoom, cy = vc.bottom / 2 + zoom;  // a point away from the last
            const POINT p = shown_at(view, cx, cy), right = shown_at(view, cx + 1, cy);
            ASSERT_TRUE(p.x >= 0 && p.x < W && p.y >= 0 && p.y < H) << at << ", client " << cx << "," << cy;
            if (zoom == 1) {
                EXPECT_EQ(right.x, p.x + 1) << at << ": one image pixel per screen pixel at zoom 1";
            }
            SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cx, cy));
            SendMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(cx, cy));
            want.insert({(int)p.x, (int)p.y});
            ASSERT_TRUE(drv_SaveInPlace(main, file, 10000)) << drv_Status(main);
            EXPECT_EQ(painted(file), want) << at << ", zoom " << zoom << ", client " << cx << "," << cy;
        }
        if (dpi == 96) {  // moved to a screen of 192 DPI: laid out again for it
            const RECT to = {0, 0, 1100, 1000};
            void* remote = VirtualAllocEx(r.p.pi.hProcess, nullptr, sizeof to, MEM_COMMIT, PAGE_READWRITE);
            ASSERT_TRUE(remote && WriteProcessMemory(r.p.pi.hProcess, remote, &to, sizeof to, nullptr));
            SendMessageA(main, WM_DPICHANGED, MAKEWPARAM(192, 192), (LPARAM)remote);
            const RECT bar = drv_ChildRect(main, drv_Child(main, "kelvara_wnd_toolbar"));
            EXPECT_EQ(bar.right - bar.left, 80);
            EXPECT_EQ(bar.bottom - bar.top, 728);
            Sleep(300);
            drv_SaveScreen(drv_BuildPath("e2e_dpi_96_moved_to_192.bmp"));
        }
        EXPECT_TRUE(drv_CloseWithYes(&r.p));
    }
    eng_Shutdown();
}
