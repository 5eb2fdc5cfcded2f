// The installer's rules: the folder made from the typed text, the version of an
// installed copy against this release, and the free-space rule.
#include <gtest/gtest.h>
#include <string>
#include "installer/setup_rules.h"

TEST(SetupRules, TheFolderIsTheTypedTextWithTheVendorFolder) {
    const std::string a119(119, 'a');
    struct Row {
        std::string typed, folder;
    } rows[] = {
        {"C:\\Program Files", "C:\\Program Files\\Orvik Lab\\Kelvara\\"},
        {"D:\\Apps\\\\", "D:\\Apps\\Orvik Lab\\Kelvara\\"},  // trailing backslashes go
        {"D:\\", "D:\\Orvik Lab\\Kelvara\\"},
        {"\\\\server\\share\\", "\\\\server\\share\\Orvik Lab\\Kelvara\\"},
        {"", "\\Orvik Lab\\Kelvara\\"},
        // Only the first 120 characters count, and the backslash that ends them goes too.
        {a119 + "\\\\\\bcd", a119 + "\\Orvik Lab\\Kelvara\\"},
        {a119 + "bcd", a119 + "b\\Orvik Lab\\Kelvara\\"},
        {a119 + "\xE5\x86\x99\xE7\x9C\x9F", a119 + "\xE5\x86\x99\\Orvik Lab\\Kelvara\\"},  // whole characters
    };
    for (const Row& r : rows) {
        char out[260];
        ASSERT_EQ(setup_InstallFolder(r.typed.c_str(), out, sizeof out), 1) << r.typed;
        EXPECT_EQ(out, r.folder) << r.typed;
    }
    char small[20];  // one short of "D:\Orvik Lab\Kelvara\"
    EXPECT_EQ(setup_InstallFolder("D:", small, sizeof small), 0);
    EXPECT_STREQ(small, "");
}

TEST(SetupRules, TheSuggestedFolderIsOnTheWindowsDrive) {
    struct Row {
        const char* windows;
        const char* folder;
    } rows[] = {
        {"C:\\windows", "C:\\Program Files"}, {"e:\\WINNT", "e:\\Program Files"},
        {"D:windows", "C:\\Program Files"},   {"\\\\server\\windows", "C:\\Program Files"},
        {"", "C:\\Program Files"},            {nullptr, "C:\\Program Files"},
    };
    for (const Row& r : rows) {
        char out[64];
        ASSERT_EQ(setup_DefaultFolder(r.windows, out, sizeof out), 1);
        EXPECT_STREQ(out, r.folder) << (r.windows ? r.windows : "(none)");
    }
}

TEST(SetupRules, MinorNumbersAreScaledToAFraction) {
    struct Row {
        unsigned major, minor;
        double number;
    } rows[] = {{1, 8, 1.8},  {1, 80, 1.8},  {1, 800, 1.8}, {1, 1, 1.1}, {1, 10, 1.1},
                {1, 100, 1.1}, {1, 0, 1.0},  {1, 45, 1.45}, {2, 5, 2.5}, {0, 65535, 0.65535}};
    for (const Row& r : rows) EXPECT_NEAR(setup_VersionNumber(r.major, r.minor), r.number, 1e-9) << r.minor;
}

TEST(SetupRules, AnInstalledCopyIsOldReplacedOrNewer) {
    struct Row {
        int readable;
        unsigned major, minor;
        SetupPrevious what;
    } rows[] = {
        {0, 1, 80, SETUP_PREV_OLD},     {1, 1, 40, SETUP_PREV_OLD},     {1, 1, 4, SETUP_PREV_OLD},
        {1, 1, 0, SETUP_PREV_OLD},      {1, 0, 99, SETUP_PREV_OLD},     {1, 1, 41, SETUP_PREV_REPLACE},
        {1, 1, 5, SETUP_PREV_REPLACE},  {1, 1, 8, SETUP_PREV_REPLACE},  {1, 1, 80, SETUP_PREV_REPLACE},
        {1, 1, 81, SETUP_PREV_NEWER},   {1, 1, 9, SETUP_PREV_NEWER},    {1, 2, 0, SETUP_PREV_NEWER},
    };
    for (const Row& r : rows)
        EXPECT_EQ(setup_ClassifyPrevious(r.readable, r.major, r.minor), r.what)
            << r.readable << " " << r.major << "." << r.minor;
}

TEST(SetupRules, LessThan2048000BytesFreeIsTooLittle) {
    EXPECT_FALSE(setup_EnoughSpace(0));
    EXPECT_FALSE(setup_EnoughSpace(2047999));
    EXPECT_TRUE(setup_EnoughSpace(2048000));
    EXPECT_TRUE(setup_EnoughSpace(UINT64_C(1) << 40));
    // Only a folder on a drive can be measured.
    for (const char* f : {"C:\\Apps", "c:\\"}) EXPECT_TRUE(setup_HasDrive(f)) << f;
    for (const char* f : {"C:", "C:Apps", "1:\\", "\\\\server\\share", ""}) EXPECT_FALSE(setup_HasDrive(f)) << f;
}
