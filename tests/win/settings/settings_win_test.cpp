// The settings file and defaults through Win32: the user name, the search path for
// the sample images and the round trip in a real folder.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include "settings/settings.h"
#include "support/scratch.h"

// The system's search path reaches the sample images through the current directory.
TEST(SettingsWin32, FullResetTakesTheSystemsUserNameAndFindsTheSampleImages) {
    Scratch s;
    s.Write("Images\\dark trees.kv5");
    char name[257], old[MAX_PATH];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetUserNameA(name, &size));
    GetCurrentDirectoryA(sizeof old, old);
    ASSERT_TRUE(SetCurrentDirectoryA(s.dir.c_str()));
    ResetSettings(0);
    SetCurrentDirectoryA(old);
    EXPECT_EQ(std::string(g_settings.userName), std::string(name).substr(0, 31));
    EXPECT_STREQ(g_settings.recent[0], "");
    EXPECT_STREQ(g_settings.recent[1], "");
    EXPECT_EQ(std::string(g_settings.recent[2]), s.At("Images\\dark trees.kv5"));
    EXPECT_STREQ(g_settings.recent[3], "");
}

TEST(SettingsWin32, SaveAndLoadInTheProgramFolder) {
    Scratch s;
    ResetSettings(0);
    g_settings.undoMB = 33;
    std::strcpy(g_settings.recent[0], "C:\\some where\\pic.kv5");
    ASSERT_EQ(SaveSettings(), 1);
    EXPECT_EQ(s.Read("Kelvara.kvr").size(), 1356u);
    SettingsRecord saved = g_settings;
    std::memset(&g_settings, 0, sizeof g_settings);
    ASSERT_EQ(LoadOrResetSettings(), 1);
    EXPECT_EQ(std::memcmp(&g_settings, &saved, sizeof saved), 0);
}
