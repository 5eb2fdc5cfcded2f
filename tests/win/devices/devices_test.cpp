// The built-in devices driven through their real dialogs: the icon creator saves
// a 32 x 32 icon under the chosen name with ".ico" appended, Discard saves nothing;
// a screen capture taken on SPACE is the screen's size, wholly opaque and free of the
// program's own windows, and the program stays answering while it waits for the key.
#include <gtest/gtest.h>
#include <windows.h>
#include <dlgs.h>
#include <cstring>
#include <string>
#include "devices/devices_ids.h"
#include "devices/devices_win32.h"
#include "devices/scanner_win32.h"
#include "engine/engine.h"
#include "platform/dllsearch.h"
#include "platform/paths.h"
#include "support/scratch.h"
#include "support/test_surface.h"
#include "support/ui_script.h"
#include "support/win_driver_win32.h"

TEST(Devices, IconCreatorAndScreenCapture) {
    eng_Init();
    path_Init();
    Scratch d("kvdevices");
    Surface image{};
    srf_Create(40, 30, &image);
    FillPattern(&image);
    std::thread save = AnswerWindowLater("My Icon Creator (Internal Device)", IDC_ICON_SAVE);
    std::thread name = DriveWindowLater("Save Icon As", [&](HWND dlg) { TypeFileName(dlg, d.host + "\\mine"); });
    EXPECT_EQ(CreateIconFile(&image, nullptr), 1);
    save.join();
    name.join();
    // The program's 32 x 32 icon file.
    WIN32_FILE_ATTRIBUTE_DATA fa{};
    ASSERT_TRUE(GetFileAttributesExA((d.host + "\\mine.ico").c_str(), GetFileExInfoStandard, &fa));
    EXPECT_EQ(fa.nFileSizeLow, 2238u);
    std::thread discard = AnswerWindowLater("My Icon Creator (Internal Device)", IDC_ICON_DISCARD);
    EXPECT_EQ(CreateIconFile(&image, nullptr), 0);
    discard.join();

    // The capture waits for SPACE after its dialog; the program's other windows (here a
    // magenta tool window of the owner's) are not in the photograph, not even as a ghost.
    HWND owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    WNDCLASSA magenta{};
    magenta.lpfnWndProc = DefWindowProcA;
    magenta.lpszClassName = "kvtest_magenta";
    magenta.hbrBackground = CreateSolidBrush(RGB(255, 0, 255));
    RegisterClassA(&magenta);
    HWND tool = CreateWindowExA(WS_EX_TOOLWINDOW, "kvtest_magenta", "tool", WS_POPUP | WS_VISIBLE, 300, 200, 120, 90,
                                owner, nullptr, nullptr, nullptr);
    UpdateWindow(tool);
    std::thread go = AnswerWindowLater("My Screen Capture (Internal Device)", IDOK);
    // While it waits for the key the program answers, and its window takes no input.
    DWORD_PTR ignored;
    int answered = 0, enabled = 1;
    std::thread key([&] {
        Sleep(1500);
        answered = SendMessageTimeoutA(owner, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored) != 0;
        enabled = IsWindowEnabled(owner);
        keybd_event(VK_SPACE, 0, 0, 0);
        keybd_event(VK_SPACE, 0, KEYEVENTF_KEYUP, 0);
    });
    Surface shot{};
    EXPECT_EQ(CaptureScreen(&shot, owner), 1);
    go.join();
    key.join();
    EXPECT_TRUE(answered && !enabled) << "waiting for the key: answers " << answered << ", takes input " << enabled;
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ((int)shot.width, GetSystemMetrics(SM_CXSCREEN));
    uint32_t alphas = 0, ghost = 0;
    for (uint32_t w : WordsOf(&shot)) alphas |= w >> 24, ghost += w == 0x00FF00FFu;
    EXPECT_EQ(alphas, 0u);
    EXPECT_EQ(ghost, 0u) << "magenta pixels of the hidden tool window";
    EXPECT_TRUE(IsWindowVisible(tool)) << "shown again after the capture";
    DestroyWindow(tool);
    DestroyWindow(owner);
    DeleteObject(magenta.hbrBackground);
    srf_Destroy(&shot);
    srf_Destroy(&image);
    eng_Shutdown();
}

TEST(Devices, ScannerWithoutSourcesAndTheSizeRule) {
    const struct {
        int w, h, tw, th;
    } sizes[] = {{5100, 6600, 3165, 4096}, {4096, 4096, 4096, 4096}, {8000, 100, 4096, 51}, {300, 200, 300, 200}};
    for (const auto& s : sizes) {
        int w, h;
        scan_TargetSize(s.w, s.h, &w, &h);
        EXPECT_EQ((Dims{w, h}), (Dims{s.tw, s.th})) << s.w << "x" << s.h;
    }
    // The system's source manager opens, but no source is chosen: a clean refusal,
    // no image.
    uiscript_Reset();
    Surface made{};
    std::thread choose = AnswerWindowLater("Select Source", IDCANCEL);
    EXPECT_EQ(AcquireFromScanner(nullptr, &made), 0);
    choose.join();
    EXPECT_FALSE(made.created);
    ASSERT_FALSE(uiscript_Boxes().empty());
    EXPECT_EQ(uiscript_Boxes().back().title, "TWAIN Error");
    EXPECT_EQ(uiscript_Boxes().back().text, "An error occurred while linking to the device.");
    EXPECT_EQ(uiscript_Statuses().back(), " Scanning Error!!");
}

// The source managers are taken from the given folders only, TWAINDSM.DLL before
// TWAIN_32.DLL; the message names the DLL that was tried. (Wine puts its own
// TWAIN_32.DLL in place of any other, so stand-ins play only TWAINDSM.DLL.)
TEST(Devices, SourceManagerOrderAndMessages) {
    const std::string tests = TestProgramFolder();  // where the stand-in DLLs are built
    const struct {
        const char* dsm;    // the stand-in put there as TWAINDSM.DLL, or null
        int withTwain;      // whether TWAIN_32.DLL is there
        const char* used;   // the DLL in use afterwards, or null
        const char* message;
    } cases[] = {
        {"kv_marker_dll.dll", 1, "TWAINDSM.DLL", nullptr},
        {nullptr, 1, "TWAIN_32.DLL", nullptr},
        {"kv_marker_dll_noentry.dll", 1, nullptr, "TWAINDSM.DLL is either missing or inaccessible."},
        {nullptr, 0, nullptr, "An error occurred while loading TWAIN_32.DLL."},
    };
    for (const auto& c : cases) {
        Scratch d("kvtwain");
        if (c.dsm) CopyFileA((tests + "\\" + c.dsm).c_str(), (d.dir + "\\TWAINDSM.DLL").c_str(), FALSE);
        if (c.withTwain)
            CopyFileA((tests + "\\kv_marker_dll.dll").c_str(), (d.dir + "\\TWAIN_32.DLL").c_str(), FALSE);
        uiscript_Reset();
        const char* folders[] = {d.dir.c_str()};
        FARPROC entry = nullptr;
        HMODULE lib = scan_LoadManager(folders, 1, &entry);
        const std::string row = std::string(c.dsm ? c.dsm : "-") + (c.withTwain ? " + TWAIN_32" : "");
        char file[MAX_PATH] = "";
        if (lib) GetModuleFileNameA(lib, file, sizeof file);
        const char* base = std::strrchr(file, '\\') ? std::strrchr(file, '\\') + 1 : file;
        EXPECT_EQ(lstrcmpiA(base, c.used ? c.used : ""), 0) << row << ": " << file;
        EXPECT_EQ(entry != nullptr, c.used != nullptr) << row;
        // Nothing after the one in use is loaded.
        EXPECT_EQ(GetFileAttributesA((d.dir + "\\TWAIN_32.DLL.loaded").c_str()), INVALID_FILE_ATTRIBUTES) << row;
        if (c.message) {
            ASSERT_FALSE(uiscript_Boxes().empty()) << row;
            EXPECT_EQ(uiscript_Boxes().back().text, c.message) << row;
            EXPECT_EQ(uiscript_Boxes().back().title, "TWAIN Error") << row;
        } else {
            EXPECT_TRUE(uiscript_Boxes().empty()) << row;
        }
        if (lib) FreeLibrary(lib);
    }
}

// After the start-up limit, a DLL that only the current folder holds is not found by
// name; one loaded by full path still is.
TEST(Devices, LimitedDllSearchSkipsTheCurrentFolder) {
    Scratch d("kvplant");
    ASSERT_TRUE(CopyFileA((TestProgramFolder() + "\\kv_marker_dll.dll").c_str(), (d.dir + "\\kvplanted.dll").c_str(), FALSE));
    char before[MAX_PATH];
    GetCurrentDirectoryA(sizeof before, before);
    SetCurrentDirectoryA(d.dir.c_str());
    EXPECT_TRUE(dll_LimitSearch());
    HMODULE byName = LoadLibraryA("kvplanted.dll");
    EXPECT_EQ(byName, nullptr);
    if (byName) FreeLibrary(byName);
    HMODULE byPath = LoadLibraryA((d.dir + "\\kvplanted.dll").c_str());
    EXPECT_NE(byPath, nullptr);
    if (byPath) FreeLibrary(byPath);
    SetCurrentDirectoryA(before);
}
