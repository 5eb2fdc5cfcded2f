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

// Only the lower-case ending marks a shortcut; a broken link stays as it is.
TEST(ShortcutWin32, ALinkOpensItsTarget) {
    Scratch s("kvlink");
    s.Write("my pictures\\sea side.kv5");
    s.Write("junk.lnk", "not a shortcut at all");
    const std::string target = s.At("my pictures\\sea side.kv5");
    ASSERT_TRUE(MakeShortcut(s.At("sea.lnk"), target));
    ASSERT_TRUE(MakeShortcut(s.At("SEA2.LNK"), target));
    const struct {
        std::string link, opened;
    } cases[] = {{s.At("sea.lnk"), target}, {s.At("SEA2.LNK"), s.At("SEA2.LNK")}, {s.At("junk.lnk"), s.At("junk.lnk")}};
    for (const auto& c : cases) {
        char file[MAX_PATH], sw[CMD_SWITCH_CAP];
        ASSERT_EQ(SplitCommandLine(("\"" + c.link + "\" /print").c_str(), file, sizeof file, sw, sizeof sw), 1);
        EXPECT_EQ(std::string(file), c.opened);
        EXPECT_STREQ(sw, "/print");
    }
}
