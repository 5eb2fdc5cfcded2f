// The plug-in manager and the device chooser on a program folder of their own:
// the texts of an empty folder, installing (said once, never over a file there, a
// DLL that is no plug-in refused) and uninstalling with the plug-in's own files.
#include <gtest/gtest.h>
#include <windows.h>
#include <fstream>
#include <string>
#include "devices/devices_ids.h"
#include "devices/plugins_win32.h"
#include "platform/paths.h"
#include "support/scratch.h"
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
