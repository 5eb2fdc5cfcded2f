// Program folders from the executable's path.
#include <gtest/gtest.h>
#include <filesystem>
#include <string>
#include "platform/paths.h"
#include "support/scratch.h"

TEST(ProgramPaths, FoldersHangOffTheExecutablesFolder) {
    ASSERT_EQ(path_Build("C:\\Program Files\\Kelvara\\kelvara.exe"), 1);
    EXPECT_STREQ(path_ProgramFile(), "C:\\Program Files\\Kelvara\\kelvara.exe");
    EXPECT_STREQ(path_AppDir(), "C:\\Program Files\\Kelvara");
    EXPECT_STREQ(path_ImagesDir(), "C:\\Program Files\\Kelvara\\Images");
    EXPECT_STREQ(path_PluginsDir(), "C:\\Program Files\\Kelvara\\Plugins");
    EXPECT_STREQ(path_SpritesDir(), "C:\\Program Files\\Kelvara\\Sprites");
    EXPECT_STREQ(path_AutosaveDir(), "C:\\Program Files\\Kelvara\\Autosave");
    ASSERT_EQ(path_Build("C:\\kelvara.exe"), 1);
    EXPECT_STREQ(path_AppDir(), "C:");
    EXPECT_STREQ(path_AutosaveDir(), "C:\\Autosave");
}

TEST(ProgramPaths, UnusablePathsFillNothing) {
    EXPECT_EQ(path_Build("kelvara.exe"), 0);
    EXPECT_STREQ(path_AppDir(), "");
    EXPECT_EQ(path_Build(nullptr), 0);
    // Fits as a program path but not with "\Autosave" added: all or nothing.
    std::string deep = "C:\\" + std::string(KV_MAX_PATH - 10, 'd') + "\\k.exe";
    ASSERT_LT(deep.size(), (size_t)KV_MAX_PATH);
    EXPECT_EQ(path_Build(deep.c_str()), 0);
    EXPECT_STREQ(path_ProgramFile(), "");
    EXPECT_STREQ(path_ImagesDir(), "");
    EXPECT_EQ(path_Build(("C:\\" + std::string(KV_MAX_PATH + 40, 'd') + "\\k.exe").c_str()), 0);

    char out[8];
    EXPECT_EQ(path_Join(out, sizeof out, "C:", "abcd"), 1);
    EXPECT_STREQ(out, "C:\\abcd");
    EXPECT_EQ(path_Join(out, sizeof out, "C:", "abcde"), 0);
    EXPECT_STREQ(out, "");
}

TEST(ProgramPaths, FoldersAreCreatedWhenMissing) {
    Scratch s;
    std::filesystem::create_directories(s.At("Images"));
    EXPECT_EQ(path_CreateFolders(), 1);
    for (const char* d : {"Images", "Plugins", "Sprites", "Autosave"})
        EXPECT_TRUE(std::filesystem::is_directory(s.At(d))) << d;
    EXPECT_EQ(path_CreateFolders(), 1);  // all there already
}
