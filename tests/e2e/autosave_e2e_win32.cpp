// autosave_e2e_win32.cpp — crash journeys: an auto-saved drawing survives a killed
// process and comes back bit for bit through the restore dialog at the next start;
// a kill in the middle of writing a large image leaves that point whole.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/app_ids.h"
#include "e2e/driver_win32.h"
#include "engine/engine.h"
#include "engine/shape.h"
#include "engine/surface.h"
#include "formats/kv5_file.h"
#include "safety/autosave.h"
#include "safety/safety_ids.h"
#include "settings/settings.h"
#include "support/win_driver_win32.h"

namespace {

const char RESTORE_TITLE[] = "Select Autosaved Image To Restore";

std::string autosave_settings() {
    SettingsRecord r = drv_QuietSettings();
    r.autosave = 1;
    return drv_SettingsFile(r);
}

// The files of the auto-save folder with this extension.
std::vector<std::string> points(const std::string& dir, const char* ext) {
    std::vector<std::string> found;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir + "\\Autosave", ec))
        if (e.path().extension() == ext) found.push_back(e.path().filename().string());
    return found;
}

// Timer 2's tick, then the messages the program serves the worker with, until the
// point is in place (the .tmp is moved over it whole, so a .kvr is a finished point).
int autosave_now(HWND main, const std::string& dir) {
    PostMessageA(main, WM_TIMER, 2, 0);
    for (int t = 0; t < 30000; t += 20) {
        if (!points(dir, ".kvr").empty() && points(dir, ".tmp").empty()) return 1;
        PostMessageA(main, WM_NULL, 0, 0);
        Sleep(20);
    }
    return 0;
}

// The image's pixels, rows packed.
std::vector<uint32_t> pixels_of(const std::string& kv5) {
    Surface s{};
    ImageFileInfo info{};
    std::vector<uint32_t> px;
    if (!kv5_Load(&s, kv5.c_str(), &info)) return px;
    srf_Lock(&s);
    for (uint32_t y = 0; y < s.height; y++) px.insert(px.end(), s.pixels + y * s.stride, s.pixels + y * s.stride + s.width);
    srf_Unlock(&s);
    srf_Destroy(&s);
    return px;
}

// Save As through the file dialog to `path`; 1 once the file is there.
int save_as(KvProcess* p, const std::string& path) {
    drv_Command(p->main, CMD_SAVE_AS);
    HWND dlg = drv_FindOwned(p, "Save Image", 20000);
    if (!dlg) return 0;
    TypeFileName(dlg, path);
    for (int t = 0; t < 20000; t += 50, Sleep(50))
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return 1;
    return 0;
}

}  // namespace

TEST(Journey, AutosaveSurvivesCrashes) {
    eng_Init();
    std::string dir = drv_MakeFolder("autosave", autosave_settings());
    std::string canvas = dir + "\\canvas.kv5", big = dir + "\\big.kv5";
    for (int side : {400, 4096}) {
        Surface s{};
        ASSERT_TRUE(srf_CreateExact(side, side, &s));
        drw_GradientRect(&s, 0, 0, side - 1, side - 1, 0x00FFFFFF, 0x00FF8040, 0x004080FF, 0x0040FF80);
        srf_Unlock(&s);
        ASSERT_TRUE(kv5_Save(&s, (side == 400 ? canvas : big).c_str(), nullptr));
        srf_Destroy(&s);
    }

    // First run: a stroke, an auto-save, the drawing saved as the reference.
    std::string pointName;
    std::string pointBytes;
    std::vector<uint32_t> drawn;
    {
        KvRunning r;
        ASSERT_TRUE(drv_StartReady(&r.p, dir, ("\"" + canvas + "\"").c_str())) << drv_Status(r.p.main);
        SetCursorPos(1270, 1010);
        HWND main = r.p.main, view = drv_Child(main, "kelvara_wnd_view");
        SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 60));
        SendMessageA(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 100));
        SendMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(150, 100));
        ASSERT_TRUE(autosave_now(main, dir)) << drv_Status(main);
        std::vector<std::string> kvr = points(dir, ".kvr");
        ASSERT_EQ(kvr.size(), 1u);
        pointName = kvr[0];
        pointBytes = drv_ReadFile(dir + "\\Autosave\\" + pointName);
        ASSERT_TRUE(drv_SaveInPlace(main, canvas, 10000));
        drawn = pixels_of(canvas);
        ASSERT_EQ(pointBytes.size(), AS_HEADER_SIZE + drawn.size() * 4);

        // The large image, then a kill while its point is being written.
        ASSERT_TRUE(drv_DropFiles(&r.p, main, {big}));
        for (int t = 0; t < 30000 && drv_Text(main) != "Kelvara 1.80 - [ big.kv5 ]"; t += 50) Sleep(50);
        ASSERT_EQ(drv_Text(main), "Kelvara 1.80 - [ big.kv5 ]");
        std::string tmp = dir + "\\Autosave\\" + pointName.substr(0, pointName.size() - 4) + ".tmp";
        PostMessageA(main, WM_TIMER, 2, 0);
        DWORD t0 = GetTickCount();
        while (GetFileAttributesA(tmp.c_str()) == INVALID_FILE_ATTRIBUTES && GetTickCount() - t0 < 20000) {
        }
        TerminateProcess(r.p.pi.hProcess, 1);
        WaitForSingleObject(r.p.pi.hProcess, 5000);
        ASSERT_NE(GetFileAttributesA(tmp.c_str()), INVALID_FILE_ATTRIBUTES) << "the kill came too late";
        EXPECT_EQ(drv_ReadFile(dir + "\\Autosave\\" + pointName), pointBytes);  // the last good point is whole
    }

    // Second run: the dialog offers the point; restored, it is the drawing bit for bit.
    KvRunning r;
    ASSERT_TRUE(drv_Start(&r.p, dir, ""));
    HWND dlg = drv_FindOwned(&r.p, RESTORE_TITLE, DRV_START_MS);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_AS_LIST, LB_GETCOUNT, 0, 0), 1);
    EXPECT_TRUE(points(dir, ".tmp").empty());  // the half-written one went at start-up
    SendDlgItemMessageA(dlg, IDC_AS_LIST, LB_SETCURSEL, 0, 0);
    Sleep(300);
    drv_SaveScreen(drv_BuildPath("autosave_restore.bmp"));
    PostMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
    HWND main = drv_WaitMain(&r.p, DRV_START_MS);
    ASSERT_TRUE(main && drv_WaitStatus(main, " All systems go!!", DRV_START_MS));
    EXPECT_EQ(drv_Text(main), "Kelvara 1.80");  // untitled (the point, now this run's: the Windows auto-save test)
    std::string restored = dir + "\\restored.kv5";
    ASSERT_TRUE(save_as(&r.p, restored));
    EXPECT_EQ(pixels_of(restored), drawn);

    // A clean exit removes this run's point.
    EXPECT_TRUE(drv_CloseWithYes(&r.p));
    EXPECT_TRUE(points(dir, ".kvr").empty());
}
