// view_e2e_win32.cpp — the view shows the image as it is after every kind of change:
// a large image in the maximised window is changed by a direct effect, undo, redo,
// a dialog effect and a transform, and after each the whole view, scrolled over
// every part of the image, is compared with the image as saved. A photo larger than
// the window is fitted into it below zoom 1, drawn on and the drawing undone, the
// view compared each time with the block average of the image.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/app_ids.h"
#include "app/view_win32.h"
#include "app/viewgeom.h"
#include "e2e/driver_win32.h"
#include "engine/engine.h"
#include "engine/reduce.h"
#include "formats/kv5_file.h"
#include "formats/plugin_filter.h"
#include "panels/fx_ids.h"
#include "platform/paths.h"
#include "support/test_surface.h"
#include "support/win_driver_win32.h"

namespace {

const int W = 1680, H = 1050;

// Pixels of the view's client that show image pixels and differ from the image, at
// zoom 1, or below 1 from its block average; the first one is described in `first`.
long mismatches(HWND view, Surface* image, std::string* first) {
    const int s = vg_Shrink((int)SendMessageA(view, WM_VIEW_GETZOOM, 0, 0));
    LRESULT sc = SendMessageA(view, WM_VIEW_GETSCROLL, 0, 0);
    const int sx = (short)LOWORD(sc), sy = (short)HIWORD(sc);
    const int rw = red_Size((int)image->width, s), rh = red_Size((int)image->height, s);
    Surface want{};
    std::vector<uint32_t> px;
    int cw, ch;
    if (!srf_CreateExact(rw, rh, &want)) return -1;
    red_Average(&want, image, s, 0, 0, rw - 1, rh - 1);
    long bad = drv_GrabClient(view, &px, &cw, &ch) ? 0 : -1;
    for (int cy = 16; bad >= 0 && cy < ch; cy++)
        for (int cx = 16; cx < cw; cx++) {
            const int rx = cx - VG_MARGIN + sx, ry = cy - VG_MARGIN + sy;
            if (rx < 0 || ry < 0 || rx >= rw || ry >= rh) continue;
            const uint32_t w = want.pixels[(size_t)ry * want.stride + rx] & 0x00FFFFFFu;
            if (px[(size_t)cy * cw + cx] != w && !bad++)
                *first = "image (" + std::to_string(rx * s) + "," + std::to_string(ry * s) + ") shown as " +
                         std::to_string(px[(size_t)cy * cw + cx]) + ", is " + std::to_string(w);
        }
    srf_Destroy(&want);
    return bad;
}

// A repaint may still be on its way, so the view is compared again for a while.
void expect_shown(HWND view, Surface* image, const std::string& after) {
    std::string first;
    long bad = -1;
    for (int t = 0; t < 40 && bad != 0; t++) {
        if (t) Sleep(50);
        bad = mismatches(view, image, &first);
    }
    EXPECT_EQ(bad, 0) << after << ": " << first;
}

// Scrolls to the four corners (the maximised view holds more than half the image each
// way) and compares each.
void expect_view_shows(HWND view, Surface* image, const char* after) {
    const int corners[4][2] = {{SB_TOP, SB_TOP}, {SB_BOTTOM, SB_TOP}, {SB_BOTTOM, SB_BOTTOM}, {SB_TOP, SB_BOTTOM}};
    for (const auto& c : corners) {
        SendMessageA(view, WM_HSCROLL, MAKEWPARAM(c[0], 0), 0);
        SendMessageA(view, WM_VSCROLL, MAKEWPARAM(c[1], 0), 0);
        expect_shown(view, image,
                     std::string(after) + ", scrolled to " + std::to_string(c[0]) + "/" + std::to_string(c[1]));
    }
}

}  // namespace

TEST(Journey, TheViewShowsTheImageAfterEveryChange) {
    eng_Init();
    std::string dir = drv_MakeFolder("view", drv_QuietSettingsFile());
    std::string file = dir + "\\photo.kv5";
    ASSERT_TRUE(drv_WritePicture(file, W, H));
    drv_ParkPointer();
    KvRunning r;
    ASSERT_TRUE(drv_StartReady(&r.p, dir, ("\"" + file + "\"").c_str())) << drv_Status(r.p.main);
    HWND main = r.p.main, view = drv_Child(main, "kelvara_wnd_view");
    ASSERT_TRUE(view);
    // The tool window stays over the main window's corner: closed, the whole view is seen.
    ASSERT_TRUE(drv_Cancel(&r.p, "Tool Settings", 10000));
    SendMessageA(main, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Surface saved{};
    auto check = [&](const char* after) {
        ASSERT_TRUE(drv_SaveAndLoad(main, file, &saved, 20000)) << after << ": " << drv_Status(main);
        ASSERT_EQ((int)saved.width, W) << after;
        expect_view_shows(view, &saved, after);
    };
    check("opening");
    // A status text with a path that fits nowhere, not even in part, is cut, never
    // the end of the program.
    SendMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    SendMessageA(GetDlgItem(main, 6), WM_SETTEXT, 0, (LPARAM)" Saved C:\\Pictures\\holiday.kv5");
    RedrawWindow(GetDlgItem(main, 6), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ASSERT_EQ(WaitForSingleObject(r.p.pi.hProcess, 500), (DWORD)WAIT_TIMEOUT) << "ended on a status text";
    SendMessageA(main, WM_SYSCOMMAND, SC_MAXIMIZE, 0);

    drv_Command(main, CMD_FX_NEGATIVE);
    check("Make Negative");
    drv_Command(main, CMD_UNDO);
    check("Undo");
    drv_Command(main, CMD_REDO);
    check("Redo");

    drv_Command(main, CMD_FX_BRIGHTNESS);
    HWND dlg = drv_FindOwned(&r.p, "Effect - Adjust Brightness", 10000);
    ASSERT_TRUE(dlg);
    SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(SB_PAGERIGHT, 0), (LPARAM)GetDlgItem(dlg, IDC_FX_BAR0));
    PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    for (int t = 0; t < 200 && IsWindow(dlg); t++) Sleep(25);
    check("a dialog effect");

    drv_Command(main, CMD_TR_FLIP);
    ASSERT_TRUE(drv_Answer(&r.p, "Continue Without Undo?", IDYES, 10000));
    dlg = drv_FindOwned(&r.p, "Transform - Flipping", 10000);
    ASSERT_TRUE(dlg);
    PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    for (int t = 0; t < 200 && IsWindow(dlg); t++) Sleep(25);
    check("a transform");
    if (saved.created) srf_Destroy(&saved);
}

TEST(Journey, APhotoFitsTheWindowAndTakesStrokesBelowZoomOne) {
    eng_Init();
    const int PW = 2560, PH = 1600;
    std::string dir = drv_MakeFolder("zoomout", drv_QuietSettingsFile());  // the pencil, colour #1 black
    std::string file = dir + "\\photo.kv5";
    // The photo through the shipped PNG plug-in of the program's folder, as a .kv5 to open.
    Surface photo{};
    ImageFileInfo info{};
    ASSERT_TRUE(path_Build((dir + "\\kelvara.exe").c_str()));
    char here[MAX_PATH];
    GetCurrentDirectoryA(sizeof here, here);  // the plug-in scan leaves the program folder current
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int loaded = plugin_FilterLoad(&photo, WinPath(KV_CORPUS_DIR "/bench-photos/photo_twowings.png").c_str(), &info);
    CoUninitialize();
    SetCurrentDirectoryA(here);
    path_Build(nullptr);
    ASSERT_TRUE(loaded);
    ASSERT_EQ((int)photo.width, PW);
    ASSERT_TRUE(kv5_Save(&photo, file.c_str(), nullptr));
    drv_ParkPointer();
    KvRunning r;
    ASSERT_TRUE(drv_StartReady(&r.p, dir, ("\"" + file + "\"").c_str())) << drv_Status(r.p.main);
    HWND main = r.p.main, view = drv_Child(main, "kelvara_wnd_view");
    ASSERT_TRUE(view);
    auto zoom = [&] { return (int)SendMessageA(view, WM_VIEW_GETZOOM, 0, 0); };
    if (HWND settings = drv_FindOwned(&r.p, "Tool Settings", 1000)) ShowWindow(settings, SW_HIDE);  // off the view

    // Fit In Window in the default window: the whole photo in sight, block-averaged.
    drv_Command(main, CMD_ZOOM_FIT);
    for (int t = 0; t < 200 && zoom() == 1; t++) Sleep(25);
    ASSERT_EQ(zoom(), -8) << "1/8 fits the default window";
    RECT c;
    GetClientRect(view, &c);
    int z, sx, sy;
    auto settle = [&] {
        z = zoom();
        LRESULT sc = SendMessageA(view, WM_VIEW_GETSCROLL, 0, 0);
        sx = (short)LOWORD(sc);
        sy = (short)HIWORD(sc);
    };
    settle();
    int left, top, right, bottom;
    vg_ImageToClient(z, sx, sy, 0, 0, &left, &top);
    vg_ImageToClient(z, sx, sy, PW - 1, PH - 1, &right, &bottom);
    EXPECT_TRUE(left >= 16 && top >= 16 && right < c.right && bottom < c.bottom)
        << left << "," << top << " - " << right << "," << bottom << " in " << c.right << "x" << c.bottom;
    expect_shown(view, &photo, "fitted");

    // At 1/4 a pencil stroke along the image row under the view's middle lands on that
    // row and nowhere else; the status line tells the zoom as a percentage.
    drv_Command(main, CMD_ZOOM_IN);
    for (int t = 0; t < 200 && zoom() != -4; t++) Sleep(25);
    SendMessageA(main, WM_COMMAND, CMD_CENTER, 0);  // the image's middle in the view's
    settle();
    ASSERT_EQ(z, -4);
    int xa, xb, row, unused;
    vg_ClientToImage(z, sx, sy, 40, c.bottom / 2, &xa, &row);
    vg_ClientToImage(z, sx, sy, c.right - 40, 0, &xb, &unused);
    ASSERT_TRUE(xa >= 0 && xb < PW && row > 0 && row < PH - 1) << xa << "-" << xb << " row " << row;
    auto at = [&](int x, int y) {
        int cx, cy;
        vg_ImageToClient(z, sx, sy, x, y, &cx, &cy);
        return MAKELPARAM(cx, cy);
    };
    SendMessageA(view, WM_MOUSEMOVE, 0, at(xa, row - 40));
    EXPECT_NE(drv_Status(main).find("[ZOOM 25%]"), std::string::npos) << drv_Status(main);
    SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, at(xa, row));
    SendMessageA(view, WM_MOUSEMOVE, MK_LBUTTON, at((xa + xb) / 2, row));
    SendMessageA(view, WM_MOUSEMOVE, MK_LBUTTON, at(xb, row));
    SendMessageA(view, WM_LBUTTONUP, 0, at(xb, row));
    Surface drawn{};
    ASSERT_TRUE(drv_SaveAndLoad(main, file, &drawn, 20000)) << drv_Status(main);
    int onRow = 0, offRow = 0;
    for (int x = xa; x <= xb; x++) {
        onRow += (WordAt(&drawn, x, row) & 0x00FFFFFFu) == 0;
        for (int y : {row - 1, row + 1}) offRow += WordAt(&drawn, x, y) != WordAt(&photo, x, y);
    }
    EXPECT_EQ(onRow, xb - xa + 1) << "pixels of row " << row << " drawn black";
    EXPECT_EQ(offRow, 0) << "pixels beside row " << row << " changed";
    expect_shown(view, &drawn, "after the stroke");

    drv_Command(main, CMD_UNDO);
    expect_shown(view, &photo, "after undo");
    srf_Destroy(&drawn);
    srf_Destroy(&photo);
}
