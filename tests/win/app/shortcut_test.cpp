// A ".lnk" on the command line opens the shortcut's target.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <string>
#include "app/cmdline.h"
#include "support/scratch.h"

namespace {

bool MakeShortcut(const std::string& link, const std::string& target) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool ok = false;
    IShellLinkA* sl = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   (void**)&sl))) {
        IPersistFile* pf = nullptr;
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
        ok = SUCCEEDED(sl->SetPath(target.c_str())) &&
             SUCCEEDED(sl->QueryInterface(IID_IPersistFile, (void**)&pf)) && SUCCEEDED(pf->Save(wide, TRUE));
        if (pf) pf->Release();
        sl->Release();
    }
    CoUninitialize();
    return ok;
}

}  // namespace

TEST(ShortcutWin32, ALinkOpensItsTarget) {
    Scratch s("kvlink");
    s.Write("my pictures\\sea side.kv5");
    std::string target = s.At("my pictures\\sea side.kv5");
    ASSERT_TRUE(MakeShortcut(s.At("sea.lnk"), target));

    char file[MAX_PATH], sw[CMD_SWITCH_CAP];
    std::string line = "\"" + s.At("sea.lnk") + "\" /print";
    ASSERT_EQ(SplitCommandLine(line.c_str(), file, sizeof file, sw, sizeof sw), 1);
    EXPECT_STREQ(file, target.c_str());
    EXPECT_STREQ(sw, "/print");

    // Only the lower-case ending marks a shortcut.
    ASSERT_TRUE(MakeShortcut(s.At("SEA2.LNK"), target));
    line = "\"" + s.At("SEA2.LNK") + "\"";
    ASSERT_EQ(SplitCommandLine(line.c_str(), file, sizeof file, sw, sizeof sw), 1);
    EXPECT_EQ(std::string(file), s.At("SEA2.LNK"));
}

TEST(ShortcutWin32, ABrokenLinkStaysAsItIs) {
    Scratch s("kvlink");
    s.Write("junk.lnk", "not a shortcut at all");
    std::string path = s.At("junk.lnk");
    char file[MAX_PATH], sw[CMD_SWITCH_CAP];
    std::string line = "\"" + path + "\"";
    ASSERT_EQ(SplitCommandLine(line.c_str(), file, sizeof file, sw, sizeof sw), 1);
    EXPECT_EQ(std::string(file), path);
}
