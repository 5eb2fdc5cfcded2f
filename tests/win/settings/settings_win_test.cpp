// The settings defaults through Win32.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include "settings/settings.h"
#include "support/scratch.h"

// The user name comes from the system (the sample-image search is the native tests';
// the file written in the program folder, the end-to-end tests').
TEST(SettingsWin32, FullResetTakesTheSystemsUserName) {
    Scratch s;
    char name[257];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetUserNameA(name, &size));
    ResetSettings(0);
    EXPECT_EQ(std::string(g_settings.userName), std::string(name).substr(0, 31));
}
