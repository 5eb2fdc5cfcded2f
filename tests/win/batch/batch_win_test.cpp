// batch_win_test.cpp — kvbatch.exe on Windows, started once from outside: a picture
// with every kind of alpha written as PNG through the filter plug-in beside the
// program, then read back through the same plug-in, is the picture it was.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <string>
#include "formats/bmp_file.h"
#include "formats/kv5_file.h"
#include "platform/paths.h"
#include "settings/settings.h"
#include "support/format_support.h"
#include "support/scratch.h"
#include "support/settings_support.h"
#include "support/test_surface.h"
#include "support/win_driver_win32.h"

namespace {

// The build folder: kvbatch.exe and its Plugins folder lie one above the tests.
std::string BuildRoot() { return TestProgramFolder().substr(0, TestProgramFolder().rfind('\\')); }

// Runs kvbatch.exe with `args` in `folder`; its exit status, standard error in *err.
DWORD RunBatch(const std::string& folder, const std::string& args, std::string* err) {
    const std::string exe = BuildRoot() + "\\kvbatch.exe", errPath = folder + "\\stderr.txt";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE errFile = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    std::string cmd = "\"" + exe + "\" " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdError = errFile;
    PROCESS_INFORMATION pi{};
    DWORD code = 99;
    if (CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &si, &pi)) {
        WaitForSingleObject(pi.hProcess, 120000);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(errFile);
    FILE* f = std::fopen(errPath.c_str(), "rb");
    char buf[4096];
    size_t n = f ? std::fread(buf, 1, sizeof buf, f) : 0;
    if (f) std::fclose(f);
    err->assign(buf, n);
    return code;
}

}  // namespace

TEST(BatchWinJourney, PngThroughThePluginKeepsAlpha) {
    Scratch d("kvbatchw");
    TestSurface pic(41, 29);
    FillPattern(pic.get());
    FillWith(pic.get(), 0, 0, 9, 3, 0xFF336699);    // clear
    FillWith(pic.get(), 0, 4, 9, 7, 0x80FF0000);    // half
    FillWith(pic.get(), 0, 8, 9, 11, 0x01000000);   // nearly opaque black
    ASSERT_TRUE(kv5_Save(pic.get(), (d.dir + "\\in.kv5").c_str(), nullptr));

    std::string err;
    EXPECT_EQ(RunBatch(d.dir, "in.kv5 --format png --quiet -o out", &err), 0u) << err;
    EXPECT_EQ(err, "");

    path_Build((BuildRoot() + "\\kvbatch.exe").c_str());   // its Plugins folder reads the result
    const KeptSettings kept;
    EditSettings([](SettingsRecord& r) { r.autoDetectAlpha = 0; });  // the pixels exactly as written
    const ftest::Loaded back = ftest::LoadFile(d.dir + "\\out\\in.png");
    ASSERT_TRUE(back.ok);
    EXPECT_TRUE(back.info.hasAlpha);
    EXPECT_EQ(back.px, WordsOf(pic.get()));
}

// Names in four scripts and a symbol, in the command line (a folder) and on disk: the
// program's own manifest makes UTF-8 its code page, nothing beside it is needed.
TEST(BatchWinJourney, AnyFileNameThroughTheCommandLine) {
    Scratch d("kvbatchw");
    TestSurface pic(23, 17);
    FillPattern(pic.get());
    const std::string folder = "\xC3\x9C \xD0\x9F\xD0\xB0 \xE5\x86\x99 \xF0\x9F\x8E\xA8";  // Ü Па 写 🎨
    ASSERT_TRUE(CreateDirectoryA((d.dir + "\\" + folder).c_str(), nullptr));
    const char* const names[] = {
        "Stra\xC3\x9F" "e \xE2\x9C\x93 \xE5\x86\x99\xE7\x9C\x9F.bmp",  // Straße ✓ 写真.bmp
        "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.bmp",          // Привет.bmp
        "\xF0\x9F\x8E\xA8\xF0\x9F\x93\xB7.bmp",                            // 🎨📷.bmp
    };
    for (const char* name : names) ASSERT_TRUE(bmp_Save(pic.get(), (d.dir + "\\" + folder + "\\" + name).c_str()));
    std::string err;
    EXPECT_EQ(RunBatch(d.dir, "--effect blur:300 \"" + folder + "\" -o out", &err), 0u) << err;
    for (const char* name : names) {
        const ftest::Loaded back = ftest::LoadFile(d.dir + "\\out\\" + name);
        ASSERT_TRUE(back.ok) << name << ": " << err;
        EXPECT_EQ(back.w, pic.get()->width) << name;
    }
}
