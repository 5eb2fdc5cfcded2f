// dllsafety_e2e_win32.cpp — a picture opened from a folder that holds planted DLLs, as
// a double-click in Downloads opens it (the program started there, on the picture):
// stand-ins named TWAINDSM.DLL and TWAIN_32.DLL, the source managers a scan loads,
// and windowscodecs.dll, which the PNG plug-in loads late, each leave a marker file
// when loaded. The program opens the PNG through the plug-in, opens it again through
// the Open dialog (which makes the picture's folder the current one) opens a bitmap
// beside it, and it scans; no
// marker may appear.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <string>

#include <dlgs.h>

#include "app/app_ids.h"
#include "e2e/driver_win32.h"
#include "support/win_driver_win32.h"

TEST(Journey, DllsBesideTheImageAreNeverLoaded) {
    const std::string program = drv_MakeFolder("dllsafety", drv_QuietSettingsFile());
    const std::string downloads = program + "\\Downloads", image = downloads + "\\suite.png",
                      bitmap = downloads + "\\suite.bmp";
    std::error_code ignored;
    std::filesystem::create_directories(downloads, ignored);
    ASSERT_TRUE(CopyFileA("Z:\\work\\shared\\corpus\\pngsuite\\basn2c08.png", image.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA("Z:\\work\\shared\\corpus\\bmpsuite\\g\\rgb24.bmp", bitmap.c_str(), FALSE));
    const char* planted[] = {"TWAINDSM.DLL", "TWAIN_32.DLL", "windowscodecs.dll"};
    for (const char* dll : planted)
        ASSERT_TRUE(CopyFileA(drv_BuildPath("tests\\kv_marker_dll.dll").c_str(), (downloads + "\\" + dll).c_str(), FALSE))
            << dll;

    KvRunning r;
    r.p.folder = program;
    std::string line = "\"" + program + "\\kelvara.exe\" \"" + image + "\"";
    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    drv_ParkPointer();
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, downloads.c_str(), &si, &r.p.pi));
    ASSERT_TRUE(drv_WaitMain(&r.p, DRV_START_MS));
    ASSERT_TRUE(drv_WaitStatus(r.p.main, " All systems go!!", DRV_START_MS));
    EXPECT_NE(drv_Text(r.p.main).find("suite.png"), std::string::npos) << drv_Text(r.p.main);

    // The Open dialog, a bitmap's full path typed in (its reader needs no plug-in,
    // whose loading would make the program's folder the current one again).
    drv_Command(r.p.main, CMD_OPEN);
    HWND dlg = drv_FindOwned(&r.p, "Open Image", 10000);
    ASSERT_TRUE(dlg);
    TypeFileName(dlg, bitmap);
    for (int i = 0; i < 250 && IsWindow(dlg); i++) Sleep(20);
    EXPECT_FALSE(IsWindow(dlg));
    for (int i = 0; i < 250 && drv_Text(r.p.main).find("suite.bmp") == std::string::npos; i++) Sleep(20);
    EXPECT_NE(drv_Text(r.p.main).find("suite.bmp"), std::string::npos) << drv_Text(r.p.main);

    // The scan goes as far as the system's source manager lets it: its choice of
    // source cancelled, a "TWAIN Error" box.
    drv_Command(r.p.main, CMD_SCAN);
    EXPECT_TRUE(drv_Cancel(&r.p, "Select Source", 20000));
    EXPECT_TRUE(drv_Answer(&r.p, "TWAIN Error", IDOK, 20000));
    EXPECT_TRUE(drv_WaitStatus(r.p.main, " Scanning Error!!", 10000)) << drv_Status(r.p.main);

    for (const char* dll : planted)
        EXPECT_FALSE(drv_Exists(downloads + "\\" + dll + ".loaded")) << dll << " was loaded from the image's folder";
    drv_SaveScreen(drv_BuildPath("e2e_dllsafety.bmp"));
    EXPECT_TRUE(drv_CloseWithYes(&r.p));
}
