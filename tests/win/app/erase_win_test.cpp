// What only Windows shows of the erase stage (a program still open cannot be
// deleted; the native tests cover the rest), and the program folders from the
// module path.
#include <gtest/gtest.h>
#include <windows.h>
#include <filesystem>
#include <string>
#include "app/erase.h"
#include "platform/paths.h"
#include "support/ui_script.h"
#include "support/scratch.h"

namespace fs = std::filesystem;

TEST(EraseWin32, AProgramStillInUseCannotBeErased) {
    Scratch s("kverase");
    s.Write("Kelvara\\kelvara.exe");
    std::string path = s.At("Kelvara\\kelvara.exe");
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    uiscript_Reset();
    EXPECT_EQ(EraseStage(("/erase_me \"" + path + "\"").c_str()), -99);
    CloseHandle(h);
    EXPECT_EQ(uiscript_BoxLines(), std::vector<std::string>{"Uninstall Error: The file '" + path + "' was not found."});
    EXPECT_TRUE(fs::exists(path));
}

TEST(ProgramPathsWin32, FoldersComeFromTheModulePath) {
    ASSERT_EQ(path_Init(), 1);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    EXPECT_STREQ(path_ProgramFile(), self);
    std::string app = path_AppDir();
    EXPECT_EQ(app + "\\win_app.exe", std::string(self));
    EXPECT_EQ(std::string(path_PluginsDir()), app + "\\Plugins");
}
