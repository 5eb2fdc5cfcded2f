// view_e2e_win32.cpp — the view shows the image as it is after every kind of change:
// a large image in the maximised window is changed by a direct effect, undo, redo,
// a dialog effect and a transform, and after each the whole view, scrolled over
// every part of the image, is compared with the image as saved.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/app_ids.h"
#include "app/view_win32.h"
#include "app/viewgeom.h"
#include "e2e/driver_win32.h"
#include "engine/engine.h"
#include "formats/kv5_file.h"
#include "panels/fx_ids.h"

namespace {

const int W = 1680, H = 1050;

// Pixels of the view's client that show image pixels and differ from the image; the
// first one is described in `first`.
long mismatches(HWND view, Surface* image, std::string* first) {
    std::vector<uint32_t> px;
    int cw, ch;
    if (!drv_GrabClient(view, &px, &cw, &ch)) return -1;
    LRESULT s = SendMessageA(view, WM_VIEW_GETSCROLL, 0, 0);
    int sx = (short)LOWORD(s), sy = (short)HIWORD(s);
    long bad = 0;
    if (!srf_Lock(image)) return -1;
    for (int cy = 16; cy < ch; cy++)
        for (int cx = 16; cx < cw; cx++) {
            int ix = cx - VG_MARGIN + sx, iy = cy - VG_MARGIN + sy;
            if (ix < 0 || iy < 0 || ix >= W || iy >= H) continue;
            uint32_t want = image->pixels[(size_t)iy * image->stride + ix] & 0x00FFFFFFu;
            if (px[(size_t)cy * cw + cx] == want) continue;
            if (!bad++)
                *first = "image (" + std::to_string(ix) + "," + std::to_string(iy) + ") shown as " +
                         std::to_string(px[(size_t)cy * cw + cx]) + ", is " + std::to_string(want);
        }
    srf_Unlock(image);
    return bad;
}

// Scrolls to the four corners (the maximised view holds more than half the image each
// way) and compares each; a repaint may still be on its way, so each is tried again.
void expect_view_shows(HWND view, Surface* image, const char* after) {
    const int corners[4][2] = {{SB_TOP, SB_TOP}, {SB_BOTTOM, SB_TOP}, {SB_BOTTOM, SB_BOTTOM}, {SB_TOP, SB_BOTTOM}};
    for (const auto& c : corners) {
        SendMessageA(view, WM_HSCROLL, MAKEWPARAM(c[0], 0), 0);
        SendMessageA(view, WM_VSCROLL, MAKEWPARAM(c[1], 0), 0);
        std::string first;
        long bad = -1;
        for (int t = 0; t < 40 && bad != 0; t++) {
            if (t) Sleep(50);
            bad = mismatches(view, image, &first);
        }
        EXPECT_EQ(bad, 0) << after << ", scrolled to " << c[0] << "/" << c[1] << ": " << first;
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
    SendMessageA(main, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Surface saved{};
    auto check = [&](const char* after) {
        ASSERT_TRUE(drv_SaveInPlace(main, file, 20000)) << after << ": " << drv_Status(main);
        if (saved.created) srf_Destroy(&saved);
        ImageFileInfo info{};
        ASSERT_TRUE(kv5_Load(&saved, file.c_str(), &info)) << after;
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
