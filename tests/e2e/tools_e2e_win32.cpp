// tools_e2e_win32.cpp — the drawing tools driven with the mouse in a running
// kelvara.exe: strokes sent to the view, tools chosen on the tool bar, pixels read
// back by saving the image as .kv5 and compared with the kernels called here; then
// every tool once, and a screenshot of the result in the build folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/app_ids.h"
#include "app/view_win32.h"
#include "app/viewgeom.h"
#include "document/toolkernel_win32.h"
#include "e2e/driver_win32.h"
#include "engine/engine.h"
#include "engine/shape.h"
#include "engine/surface.h"
#include "formats/kv5_file.h"
#include "settings/settings.h"
#include "support/test_surface.h"

namespace {

const int W = 400, H = 300;
const uint32_t RED = 0x0000FF, BLUE = 0xFF0000;  // COLORREFs of colour #1 and #2

struct Session {
    KvProcess* p;
    HWND main, view, bar;
    std::string file;

    // Client point of image pixel (x, y) at the view's present zoom and scroll.
    LPARAM At(int x, int y) {
        int zoom = (int)SendMessageA(view, WM_VIEW_GETZOOM, 0, 0), cx, cy;
        LRESULT s = SendMessageA(view, WM_VIEW_GETSCROLL, 0, 0);
        vg_ImageToClient(zoom, (short)LOWORD(s), (short)HIWORD(s), x, y, &cx, &cy);
        return MAKELPARAM(cx + zoom / 2, cy + zoom / 2);
    }
    void Tool(int t) { SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(t % 2 * 20 + 10, 12 + t / 2 * 20)); }
    void Send(UINT msg, WPARAM keys, int x, int y) { SendMessageA(view, msg, keys, At(x, y)); }
    // Posted, for a release or press that opens a dialog.
    void Post(UINT msg, WPARAM keys, int x, int y) { PostMessageA(view, msg, keys, At(x, y)); }
    // Keys are posted: a stroke waits until the zoom they ask for has happened.
    void WaitZoom(int zoom) {
        for (int t = 0; t < 200 && SendMessageA(view, WM_VIEW_GETZOOM, 0, 0) != zoom; t++) Sleep(25);
        Sleep(100);  // the scroll positions settle with it
    }
    // A left drag from (x1, y1) through the middle to (x2, y2).
    void Drag(int x1, int y1, int x2, int y2, int right = 0) {
        UINT down = right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, up = right ? WM_RBUTTONUP : WM_LBUTTONUP;
        WPARAM key = right ? MK_RBUTTON : MK_LBUTTON;
        Send(down, key, x1, y1);
        Send(WM_MOUSEMOVE, key, (x1 + x2) / 2, (y1 + y2) / 2);
        Send(WM_MOUSEMOVE, key, x2, y2);
        Send(up, 0, x2, y2);
    }
    // Sent, not posted: it runs before the strokes sent after it.
    void Command(int id) { SendMessageA(main, WM_COMMAND, id, 0); }
    void Click(int x, int y, int right = 0) { Drag(x, y, x, y, right); }
    // Points set with left clicks, ended with a right press and release.
    void Points(const std::vector<POINT>& pts, const POINT& end) {
        for (const POINT& q : pts) Click(q.x, q.y);
        Click(end.x, end.y, 1);
    }
    // A stroke whose release asks for the border: the dialog is closed (border 4).
    void DragAskingBorder(int x1, int y1, int x2, int y2) {
        Send(WM_LBUTTONDOWN, MK_LBUTTON, x1, y1);
        Send(WM_MOUSEMOVE, MK_LBUTTON, x2, y1);
        Send(WM_MOUSEMOVE, MK_LBUTTON, x2, y2);
        Post(WM_LBUTTONUP, 0, x2, y2);
        EXPECT_TRUE(drv_Cancel(p, "Specify Border Size", 10000));
    }
    // The image as saved now.
    void Saved(Surface* s) { ASSERT_TRUE(drv_SaveAndLoad(main, file, s)) << drv_Status(main); }
    void ExpectSaved(Surface* expect, const char* what) {
        Surface got{};
        Saved(&got);
        EXPECT_TRUE(SameSurface(&got, expect)) << what;
        srf_Destroy(&got);
    }
};

std::string tool_settings() {
    SettingsRecord r = drv_QuietSettings();
    r.toolWidth = 5;
    r.toolLevel = 60;
    r.colour1 = RED;
    r.colour2 = BLUE;
    r.alpha2 = 200;
    return drv_SettingsFile(r);
}

}  // namespace

TEST(Journey, EveryToolWithTheMouse) {
    eng_Init();
    std::string dir = drv_MakeFolder("tools", tool_settings());
    Surface expect{};
    ASSERT_TRUE(srf_CreateExact(W, H, &expect));
    drw_FillRect(&expect, 0, 0, W - 1, H - 1, 0x00FFFFFF);
    srf_Unlock(&expect);
    std::string file = dir + "\\canvas.kv5";
    ASSERT_TRUE(kv5_Save(&expect, file.c_str(), nullptr));
    KvRunning r;
    ASSERT_TRUE(drv_StartReady(&r.p, dir, ("\"" + file + "\"").c_str())) << drv_Status(r.p.main);
    Session s{&r.p, r.p.main, drv_Child(r.p.main, "kelvara_wnd_view"), drv_Child(r.p.main, "kelvara_wnd_toolbar"),
              file};
    SetWindowPos(s.main, nullptr, 0, 0, 1000, 760, SWP_NOZORDER);
    // The real pointer away from the window, so that no move of it reaches the view
    // while a sent stroke holds the capture; the moves the window's own move and the
    // pointer's cause are over before the first stroke. (Letting go of the mouse may
    // still report the real pointer, so the release's status line is not checked.)
    SetCursorPos(1270, 1010);
    Sleep(500);

    // Pencil: what it paints and what it says. (A stroke's undo step: the native
    // document test; Undo and Redo from the menu: the view journey.)
    s.Send(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
    s.Send(WM_MOUSEMOVE, MK_LBUTTON, 20, 15);
    EXPECT_EQ(drv_Status(s.main), " Drawing at (20,15) with pencil");
    s.Send(WM_LBUTTONUP, 0, 20, 15);
    srf_Lock(&expect);
    drw_Line(&expect, 10, 10, 20, 15, 0x00FF0000);
    srf_Unlock(&expect);
    s.ExpectSaved(&expect, "pencil");

    // IntelliCurve: left clicks set points, the right click paints and resets.
    s.Tool(3);
    EXPECT_EQ(drv_Status(s.main), " IntelliCurve - Draws curves that join points");
    s.Points({{40, 40}, {80, 20}, {120, 60}}, {150, 50});
    const TkPoint curve[3] = {{40, 40}, {80, 20}, {120, 60}};
    tk_SmoothCurve(&expect, curve, 3, RED, 5, nullptr, nullptr, 1);
    s.ExpectSaved(&expect, "curve");

    // Rectangle selection of one pixel at zoom 4 (5 / 4 = 1): a sprite with border 8.
    drv_Key(s.main, VK_PRIOR);
    drv_Key(s.main, VK_PRIOR);
    s.WaitZoom(4);
    s.Tool(14);
    s.Click(100, 100);
    EXPECT_NE(drv_Status(s.main).find(" :: [ZOOM 4x] :: [SPRITE] :: Rectangle Selection"), std::string::npos)
        << drv_Status(s.main);
    // The brush pressed on the sprite moves it as tool 14; the middle button swaps back.
    s.Tool(4);
    s.Drag(100, 100, 104, 103);
    EXPECT_NE(drv_Status(s.main).find("Rectangle Selection, 5 pixels"), std::string::npos) << drv_Status(s.main);
    s.Send(WM_MBUTTONDOWN, MK_MBUTTON, 5, 5);
    s.Send(WM_MOUSEMOVE, 0, 6, 5);
    EXPECT_NE(drv_Status(s.main).find(":: Brush, 5 pixels"), std::string::npos) << drv_Status(s.main);
    s.ExpectSaved(&expect, "moving the sprite changes no pixel of the image");
    s.Command(CMD_SPRITE_DISCARD);
    s.Command(CMD_ZOOM_RESET);
    s.WaitZoom(1);

    // Every tool once on a fresh, noisy image (so that smoothing shows), each in its
    // own cell; the selections last, each added back to the image.
    std::string noisy = dir + "\\noisy.kv5";
    Surface canvas{};
    ASSERT_TRUE(srf_CreateExact(W, H, &canvas));
    uint32_t seed = 12345;
    for (uint32_t y = 0; y < H; y++)
        for (uint32_t x = 0; x < W; x++) {
            seed = seed * 1103515245u + 12345u;
            canvas.pixels[y * canvas.stride + x] = 0x00C0C0C0 | (seed >> 8 & 0x3F3F3F);
        }
    srf_Unlock(&canvas);
    ASSERT_TRUE(kv5_Save(&canvas, noisy.c_str(), nullptr));
    ASSERT_TRUE(drv_DropFiles(s.p, s.main, {noisy}));
    for (int t = 0; t < 100 && drv_Text(s.main) != "Kelvara 1.80 - [ noisy.kv5 ]"; t++) Sleep(50);
    s.file = noisy;
    auto cell = [](int t, int* x, int* y) {
        *x = 8 + t % 9 * 43;
        *y = 60 + t / 9 * 58;
    };
    const int order[] = {20, 8, 21, 9, 0, 1, 2, 4, 5, 6, 7, 10, 11, 12, 13, 22, 23, 24, 25, 26, 27,
                         28, 29, 30, 34, 35, 3, 32, 33, 31, 18, 15, 16, 17, 14, 19};
    for (int t : order) {
        int x, y;
        cell(t, &x, &y);
        s.Tool(t);
        switch (t) {
        case 8: cell(20, &x, &y); s.Click(x + 15, y + 20, 1); break;   // the filled rectangle turns blue
        case 9: cell(21, &x, &y); s.Click(x + 15, y + 25, 1); break;   // inside the red ellipse
        case 20: s.Drag(x, y, x + 34, y + 48, 1); break;
        case 34: s.Drag(x, y, x + 34 + 43, y + 48); break;  // on into the opaquer's cell
        case 31: cell(20, &x, &y); s.Drag(x + 10, y + 10, x + 20, y + 20); break;  // colour #1 from the blue
        case 21: case 23: case 27: case 30: s.Drag(x + 17, y + 25, x + 32, y + 45); break;
        case 25: case 29: s.Drag(x + 17, y + 25, x + 27, y + 35); break;  // discs around the press
        case 3: case 32: case 33: s.Points({{x, y}, {x + 30, y + 5}, {x + 10, y + 45}}, {x + 35, y + 40}); break;
        case 15: case 14: s.DragAskingBorder(x + 2, y + 2, x + 34, y + 46); s.Command(CMD_SPRITE_ADD); break;
        case 16:
            s.Send(WM_LBUTTONDOWN, MK_LBUTTON, x, y);
            s.Send(WM_MOUSEMOVE, MK_LBUTTON, x + 34, y + 10);
            s.Send(WM_MOUSEMOVE, MK_LBUTTON, x + 20, y + 48);
            s.Post(WM_LBUTTONUP, 0, x + 2, y + 40);
            EXPECT_TRUE(drv_Cancel(s.p, "Specify Border Size", 10000));
            s.Command(CMD_SPRITE_ADD);
            break;
        case 17:
            for (POINT q : {POINT{x, y}, POINT{x + 34, y + 8}, POINT{x + 18, y + 48}}) s.Click(q.x, q.y);
            s.Post(WM_RBUTTONDOWN, MK_RBUTTON, x + 2, y + 30);
            EXPECT_TRUE(drv_Cancel(s.p, "Specify Border Size", 10000));
            s.Send(WM_RBUTTONUP, 0, x + 2, y + 30);
            s.Command(CMD_SPRITE_ADD);
            break;
        case 19: s.Drag(x - 40, y + 60, x + 120, y + 120); break;
        default: s.Drag(x, y, x + 34, y + 48); break;
        }
    }
    // The text selection opens the Text-Art editor.
    HWND editor = drv_FindOwned(s.p, "Kelvara - Text-Art Editor", 10000);
    EXPECT_TRUE(editor);
    Sleep(300);
    EXPECT_TRUE(drv_SaveScreen(drv_BuildPath("kelvara_e2e_textart.bmp")));
    if (editor) PostMessageA(editor, WM_CLOSE, 0, 0);
    Surface all{};
    s.Saved(&all);
    ASSERT_TRUE(srf_Lock(&all));
    // Every painting tool left a mark in its cell; the ruler, the lens, the picker and
    // the selections (added back where they were taken, the text still floating) none.
    ASSERT_TRUE(srf_Lock(&canvas));
    for (int t = 0; t < 36; t++) {
        int x, y, marked = 0;
        cell(t, &x, &y);
        for (int yy = y; yy < y + 49 && yy < H; yy++)
            for (int xx = x; xx < x + 35; xx++)
                marked |= all.pixels[yy * all.stride + xx] != canvas.pixels[yy * canvas.stride + xx];
        EXPECT_EQ(marked, (t < 12 && t != 8 && t != 9) || (t > 19 && t != 31)) << "tool " << t;
    }
    // The fills' marks: the filled rectangle and the inside of the ellipse turned blue.
    int x, y;
    cell(20, &x, &y);
    EXPECT_EQ(all.pixels[(y + 20) * all.stride + x + 15], 0x000000FFu);
    cell(21, &x, &y);
    EXPECT_EQ(all.pixels[(y + 25) * all.stride + x + 15], 0x000000FFu);
    srf_Unlock(&all);
    srf_Unlock(&canvas);
    srf_Destroy(&canvas);
    Sleep(300);
    EXPECT_TRUE(drv_SaveScreen(drv_BuildPath("kelvara_e2e_tools.bmp")));
    srf_Destroy(&all);
    srf_Destroy(&expect);
    eng_Shutdown();
}
