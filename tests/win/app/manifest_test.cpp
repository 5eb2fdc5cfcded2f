// manifest_test.cpp — the manifest is inside each program as built, read from the file
// as the system reads it, with every setting the programs rely on; and this test
// program, which carries it too, runs with UTF-8 as its code page.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "support/win_driver_win32.h"

TEST(Manifest, InsideEveryProgram) {
    std::string root = TestProgramFolder();
    root = root.substr(0, root.rfind('\\'));  // the programs lie one above the tests
    const char* settings[] = {
        ">UTF-8</activeCodePage>",
        ">true</longPathAware>",
        ">PerMonitorV2, System</dpiAwareness>",
        ">true</dpiAware>",
        "level=\"asInvoker\"",
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
    };
    for (const char* program : {"kelvara.exe", "kvbatch.exe", "kelsetup.exe"}) {
        const std::string path = root + "\\" + program;
        HMODULE m = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(m, nullptr) << path;
        HRSRC r = FindResourceA(m, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // the process manifest
        std::string text;
        if (r) text.assign((const char*)LockResource(LoadResource(m, r)), SizeofResource(m, r));
        for (const char* s : settings) EXPECT_NE(text.find(s), std::string::npos) << program << " lacks " << s;
        FreeLibrary(m);
    }
    EXPECT_EQ(GetACP(), 65001u);
}
