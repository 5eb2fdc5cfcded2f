// dpi_e2e_win32.cpp — the program at 96, 144 and 192 DPI: one start at each, a
// screenshot of the main window with the tool window and the Options dialog, and
// the mouse checked against what the screen shows: the pencil pressed on a screen
// pixel paints exactly the image pixel shown there, at zoom 1 and zoom 4, and at
// zoom 1 neighbouring screen pixels show neighbouring image pixels.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/app_ids.h"
#include "app/view_win32.h"
#include "e2e/driver_win32.h"
#include "engine/engine.h"
#include "formats/kv5_file.h"

namespace {

const int W = 600, H = 400;
const char DESKTOP_KEY[] = "Control Panel\\Desktop";

// Each pixel tells where it is: x in the low 12 bits, y in the next 12.
uint32_t code_of(int x, int y) { return (uint32_t)x | (uint32_t)y << 12; }

// The DPI a program started now takes; put back to 96 by the destructor.
struct ScreenDpi {
    void Set(DWORD dpi) {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, DESKTOP_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return;
        RegSetValueExA(key, "LogPixels", 0, REG_DWORD, (const BYTE*)&dpi, sizeof dpi);
        RegCloseKey(key);
    }
    ~ScreenDpi() { Set(96); }
};

// The image pixel a client point of the view shows (-1, -1 when off the image).
POINT shown_at(HWND view, int cx, int cy) {
    std::vector<uint32_t> px;
    int cw, ch;
    if (!drv_GrabClient(view, &px, &cw, &ch) || cx >= cw || cy >= ch) return {-1, -1};
    uint32_t c = px[(size_t)cy * cw + cx];
    return {(LONG)(c & 0xFFF), (LONG)(c >> 12 & 0xFFF)};
}

// The pixels of the saved file that are no longer their own code.
std::vector<std::pair<int, int>> painted(const std::string& file) {
    std::vector<std::pair<int, int>> out;
    Surface s{};
    ImageFileInfo info{};
    if (!kv5_Load(&s, file.c_str(), &info) || !srf_Lock(&s)) return out;
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++)
            if ((s.pixels[(size_t)y * s.stride + x] & 0x00FFFFFFu) != code_of(x, y)) out.push_back({x, y});
    srf_Destroy(&s);
    return out;
}

}  // namespace

TEST(Journey, AtEachDpiTheLayoutScalesAndTheMouseHitsTheShownPixel) {
    eng_Init();
    ScreenDpi screen;
    for (int dpi : {96, 144, 192}) {
        SCOPED_TRACE(std::to_string(dpi) + " dpi");
        screen.Set(dpi);
        const std::string dir = drv_MakeFolder(("dpi" + std::to_string(dpi)).c_str(), drv_QuietSettingsFile());
        const std::string file = dir + "\\where.kv5";
        {
            Surface s{};
            ASSERT_TRUE(srf_CreateExact(W, H, &s));
            for (int y = 0; y < H; y++)
                for (int x = 0; x < W; x++) s.pixels[(size_t)y * s.stride + x] = code_of(x, y);
            srf_Unlock(&s);
            ASSERT_TRUE(kv5_Save(&s, file.c_str(), nullptr));
            srf_Destroy(&s);
        }
        drv_ParkPointer();
        KvRunning r;
        ASSERT_TRUE(drv_StartReady(&r.p, dir, ("\"" + file + "\"").c_str())) << drv_Status(r.p.main);
        HWND main = r.p.main, view = drv_Child(main, "kelvara_wnd_view");
        ASSERT_TRUE(view);
        RECT c;
        GetClientRect(main, &c);
        EXPECT_GE(c.right, 505 * dpi / 96) << "the window is sized for the DPI";
        Sleep(500);
        drv_SaveScreen(drv_BuildPath(("e2e_dpi_" + std::to_string(dpi) + ".bmp").c_str()));
        drv_Command(main, CMD_OPTIONS);
        EXPECT_TRUE(drv_FindOwned(&r.p, "Kelvara - Options", 10000));
        Sleep(300);
        drv_SaveScreen(drv_BuildPath(("e2e_dpi_" + std::to_string(dpi) + "_options.bmp").c_str()));
        EXPECT_TRUE(drv_Cancel(&r.p, "Kelvara - Options", 10000));

        RECT vc;
        GetClientRect(view, &vc);
        std::vector<std::pair<int, int>> want;
        // The pencil at zoom 1, then at zoom 4, on a point away from the first.
        for (int round = 0; round < 2; round++) {
            if (round) {
                drv_Key(main, VK_PRIOR);
                drv_Key(main, VK_PRIOR);
                for (int t = 0; t < 200 && SendMessageA(view, WM_VIEW_GETZOOM, 0, 0) != 4; t++) Sleep(25);
                Sleep(300);
            }
            const int cx = vc.right / 2 + 7 * round, cy = vc.bottom / 2 + 5 * round;
            POINT p = shown_at(view, cx, cy);
            ASSERT_TRUE(p.x >= 0 && p.x < W && p.y >= 0 && p.y < H) << "client " << cx << "," << cy;
            if (!round) {
                POINT right = shown_at(view, cx + 1, cy), below = shown_at(view, cx, cy + 1);
                EXPECT_EQ(right.x, p.x + 1) << "one image pixel per screen pixel at zoom 1";
                EXPECT_EQ(below.y, p.y + 1) << "one image pixel per screen pixel at zoom 1";
            }
            SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cx, cy));
            SendMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(cx, cy));
            want.push_back({(int)p.x, (int)p.y});
            ASSERT_TRUE(drv_SaveInPlace(main, file, 10000)) << drv_Status(main);
            EXPECT_EQ(painted(file), want) << "zoom " << (round ? 4 : 1) << ", client " << cx << "," << cy;
        }
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_TRUE(drv_Answer(&r.p, "Confirm Exit", IDYES, 10000));
        EXPECT_EQ(drv_WaitExit(&r.p, 20000), 0u);
    }
    eng_Shutdown();
}
