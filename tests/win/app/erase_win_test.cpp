// The erase stage on real files and folders, and the program folders from the
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

TEST(EraseWin32, DeletesTheProgramAndItsFolders) {
    Scratch s("kverase");
    s.Write("Orvik Lab\\Kelvara\\kelvara.exe");
    uiscript_Reset();
    std::string line = " /erase_me \"" + s.At("Orvik Lab\\Kelvara\\kelvara.exe") + "\"";
    EXPECT_EQ(EraseStage(line.c_str()), 0);
    EXPECT_FALSE(fs::exists(s.At("Orvik Lab")));
    EXPECT_TRUE(fs::exists(s.dir));
    EXPECT_TRUE(uiscript_Boxes().empty());
}

TEST(EraseWin32, AProgramStillInUseCannotBeErased) {
    Scratch s("kverase");
    s.Write("Kelvara\\kelvara.exe");
    std::string path = s.At("Kelvara\\kelvara.exe");
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    uiscript_Reset();
    EXPECT_EQ(EraseStage(("/erase_me \"" + path + "\"").c_str()), -99);
    CloseHandle(h);
    ASSERT_EQ(uiscript_Boxes().size(), 1u);
    EXPECT_EQ(uiscript_Boxes()[0].text, "The file '" + path + "' was not found.");
    EXPECT_TRUE(fs::exists(path));
}

TEST(EraseWin32, WithoutAQuotedPathTheLineIsInvalid) {
    uiscript_Reset();
    EXPECT_EQ(EraseStage("/erase_me"), -99);
    ASSERT_EQ(uiscript_Boxes().size(), 1u);
    EXPECT_EQ(uiscript_Boxes()[0].text, "Invalid command line format");
    EXPECT_EQ(uiscript_Boxes()[0].title, "Uninstall Error");
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
