// The plug-in manager and the device chooser on a program folder of their own:
// the texts of an empty folder, installing (said once, never over a file there, a
// DLL that is no plug-in refused) and uninstalling with the plug-in's own files;
// importing from and exporting to a device plug-in, and one that faults; the Devices
// menu's words when nothing is chosen, when a device fails and when an export is done.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include "devices/devices_ids.h"
#include "devices/plugins_win32.h"
#include "platform/paths.h"
#include "settings/settings.h"
#include "support/test_surface.h"
#include "support/scratch.h"
#include "support/settings_support.h"
#include "support/ui_script.h"
#include "support/win_driver_win32.h"

namespace {

// The shipped PNG plug-in, in the build's Plugins folder beside the tests' folder.
std::string ShippedDll() {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string dir(exe);
    dir = dir.substr(0, dir.find_last_of('\\'));
    return dir.substr(0, dir.find_last_of('\\')) + "\\Plugins\\PNG filter.dll";
}

// The first entry of the dialog's list, read once the dialog is up, then Cancel.
std::thread ReadFirstEntry(const char* title, int combo, std::string* out) {
    return DriveWindowLater(title, [=](HWND dlg) {
        char text[128] = "";
        SendDlgItemMessageA(dlg, IDC_PLG_LIST, combo ? CB_GETLBTEXT : LB_GETTEXT, 0, (LPARAM)text);
        *out = text;
        PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    });
}

}  // namespace

TEST(PluginManager, EmptyFolderInstallAndUninstall) {
    Scratch d("kvplgman");
    ASSERT_TRUE(path_CreateFolders());
    std::string first, device;
    std::thread look = ReadFirstEntry("Kelvara - Plugin Manager", 0, &first);
    plugin_ManagerDialog(nullptr);
    look.join();
    EXPECT_EQ(first, "<<no plugins found>>");
    char name[MAX_PATH];
    std::thread choose = ReadFirstEntry("Select an External Device Plugin", 1, &device);
    EXPECT_EQ(plugin_DeviceChooserDialog(nullptr, "dev_LoadPicture", name, sizeof name), 0);
    choose.join();
    EXPECT_EQ(device, "<<no device plugins found>>");

    std::thread said = AnswerWindowLater("Install Plugin", IDOK);
    EXPECT_EQ(plugin_Install(nullptr, ShippedDll().c_str()), 1);
    said.join();
    std::string installed = std::string(path_PluginsDir()) + "\\PNG filter.dll";
    EXPECT_NE(GetFileAttributesA(installed.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(plugin_Install(nullptr, ShippedDll().c_str()), 0);  // already there: unchanged, no word
    std::thread refused = AnswerWindowLater("Error - Invalid Plug-in!", IDOK);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    EXPECT_EQ(plugin_Install(nullptr, (std::string(system) + "\\version.dll").c_str()), 0);
    refused.join();

    std::string base = std::string(path_PluginsDir()) + "\\PNG filter";
    for (const char* ext : {".ini", ".cfg", ".kvr"}) std::ofstream(base + ext) << "own settings";
    std::thread yes1 = AnswerWindowLater("Plugin Uninstall", IDYES);
    std::thread yes2 = AnswerWindowLater("Confirm Uninstall", IDYES);
    std::thread done = AnswerWindowLater("File Deleted", IDOK);
    EXPECT_EQ(plugin_Uninstall(nullptr, "PNG filter.dll"), 1);
    yes1.join();
    yes2.join();
    done.join();
    for (const char* ext : {".dll", ".ini", ".cfg", ".kvr"})
        EXPECT_EQ(GetFileAttributesA((base + ext).c_str()), INVALID_FILE_ATTRIBUTES) << ext;
}

TEST(DevicePlugins, ImportExportAndAFaultingDevice) {
    Scratch d("kvplgdev");
    ASSERT_TRUE(path_CreateFolders());
    const std::string helpers = WinPath(KV_PLUGIN_HELPER_DIR);
    for (const char* dll : {"Test device.dll", "Crash.dll"})
        ASSERT_TRUE(CopyFileA((helpers + "\\" + dll).c_str(), (std::string(path_PluginsDir()) + "\\" + dll).c_str(),
                              FALSE)) << dll;

    // The chooser lists both (sorted), describes the chosen one and returns its name.
    std::string listed, nameLine, typeLine;
    std::thread user = DriveWindowLater("Select an External Device Plugin", [&](HWND dlg) {
        char text[128] = "";
        SendDlgItemMessageA(dlg, IDC_PLG_LIST, CB_GETLBTEXT, 0, (LPARAM)text);
        listed = text;
        SendDlgItemMessageA(dlg, IDC_PLG_LIST, CB_SETCURSEL, 1, 0);
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_PLG_LIST, CBN_SELCHANGE), 0);
        GetDlgItemTextA(dlg, IDC_PLG_NAME, text, sizeof text);
        nameLine = text;
        GetDlgItemTextA(dlg, IDC_PLG_INFO, text, sizeof text);
        typeLine = text;
        PressButton(dlg, IDOK);
    });
    char chosen[MAX_PATH] = "";
    EXPECT_EQ(plugin_DeviceChooserDialog(nullptr, "dev_LoadPicture", chosen, sizeof chosen), 1);
    user.join();
    EXPECT_EQ(listed, "Crash.dll");
    EXPECT_STREQ(chosen, "Test device.dll");
    EXPECT_EQ(nameLine, "Test Device");
    EXPECT_EQ(typeLine, "Type: Imaging Device Plug-in");

    // Import: the device's 32-bit picture, translucency as it gave it.
    const SettingsRecord saved = g_settings;
    EditSettings([](SettingsRecord& r) { r.autoDetectAlpha = 0; });
    Surface got{};
    ASSERT_EQ(plugin_DeviceLoad(&got, chosen, nullptr), 1);
    set_Record(&saved);
    ASSERT_EQ(got.width, 5u);
    ASSERT_EQ(got.height, 3u);
    const std::vector<uint32_t> words = WordsOf(&got);
    for (uint32_t y = 0; y < 3; y++)
        for (uint32_t x = 0; x < 5; x++)
            EXPECT_EQ(words[y * 5 + x], (x + y == 6 ? 0xFF000000u : 0xAA000000u) | y << 16 | x << 8 | (x + y))
                << x << "," << y;
    srf_Destroy(&got);

    // Export: the device receives the surface's own words.
    TestSurface sent(4, 2);
    std::mt19937 rng(5);
    FillRandom(sent.get(), rng);
    const std::vector<uint32_t> mine = WordsOf(sent.get());
    srf_Unlock(sent.get());
    ASSERT_EQ(plugin_DeviceSave(sent.get(), chosen, nullptr), 1);
    std::string out;
    {
        std::ifstream f(std::string(path_PluginsDir()) + "\\Test device.out", std::ios::binary);
        out.assign(std::istreambuf_iterator<char>(f), {});
    }
    ASSERT_EQ(out.size(), 8u + 4 * 8);
    std::vector<uint32_t> back(10);
    std::memcpy(back.data(), out.data(), out.size());
    EXPECT_EQ(std::vector<uint32_t>(back.begin(), back.begin() + 2), (std::vector<uint32_t>{4, 2}));
    EXPECT_EQ(std::vector<uint32_t>(back.begin() + 2, back.end()), mine);

    // The menu's commands: a cancelled chooser, a device that faults each way (it is
    // named, gives nothing, and the program goes on), a done export.
    struct Case {
        int import;
        int pick;  // entry chosen in the list (0 Crash.dll, 1 the test device), -1 Cancel
        const char* status;  // the last status text
        const char* text;    // the box shown, "" for none
        const char* title;
    };
    const Case cases[] = {
        {1, -1, "", "No device was selected.", "No Device"},
        {0, -1, "", "No device was selected.", "No Device"},
        {1, 0, " Cancelled", "Image import was cancelled or failed", "Image Import Failed"},
        {0, 0, " Cancelled", "Image export was cancelled or failed", "Image Export Failed"},
        {0, 1, " Complete...", "", ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.import ? "import" : "export") + " choosing " + std::to_string(k.pick));
        uiscript_Reset();
        std::thread user = DriveWindowLater("Select an External Device Plugin", [&](HWND dlg) {
            if (k.pick < 0) return PressButton(dlg, IDCANCEL);
            SendDlgItemMessageA(dlg, IDC_PLG_LIST, CB_SETCURSEL, k.pick, 0);
            PressButton(dlg, IDOK);
        });
        std::thread fault = k.pick == 0 ? AnswerWindowLater("Device Error!!", IDOK) : std::thread();
        Surface got{};
        const int ok = k.import ? plugin_ImportFromDevice(&got, nullptr) : plugin_ExportToDevice(sent.get(), nullptr);
        user.join();
        if (fault.joinable()) fault.join();
        EXPECT_EQ(ok, *k.text ? 0 : 1);
        EXPECT_FALSE(got.created);  // no import here succeeds
        EXPECT_EQ(uiscript_Statuses().empty() ? "" : uiscript_Statuses().back(), k.status);
        ASSERT_EQ(uiscript_Boxes().size(), *k.text ? 1u : 0u);
        if (*k.text) {
            EXPECT_EQ(uiscript_Boxes()[0].text + " / " + uiscript_Boxes()[0].title, std::string(k.text) + " / " + k.title);
        }
    }
}
