// docs_e2e_win32.cpp — the product's documents as Windows sees them: the help opens in
// the system's help viewer from the program (a screenshot is kept), every page of the
// help project reads back unchanged from the compiled Kelvara.chm through the system's
// CHM reader, and kelvara.exe carries the icons that its registrations name.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/app_ids.h"
#include "e2e/driver_win32.h"
#include "panels/panels_ids.h"
#include "support/help_project.h"
#include "support/win_driver_win32.h"

// The system's CHM reader (itss.dll), through which the help viewer reads the pages: it
// opens a .chm as a structured storage. Only the methods up to the one used are named.
// Declared outside the unnamed namespace: an abstract class that no code here derives
// from would let the compiler treat calls on it as unreachable.
struct IITStorage : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**) = 0;
};

namespace {

const char VIEWER_TITLE[] = "Kelvara 1.80 Help";

// A source file of the project, reached from this file's own path (Z: is Wine's root).
std::string SourcePath(const std::string& relative) {
    std::string here = __FILE__;
    std::string root = here.substr(0, here.rfind("tests"));
    std::string path = (root[0] == '/' ? "Z:" : "") + root + relative;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// Opens the second chapter of the viewer's contents (the drawing tools) for the picture.
void ExpandToolsChapter(HWND viewer) {
    HWND tree = nullptr;
    EnumChildWindows(viewer, [](HWND w, LPARAM out) -> BOOL {
        char cls[64];
        GetClassNameA(w, cls, sizeof cls);
        if (std::string(cls) != "SysTreeView32") return TRUE;
        *(HWND*)out = w;
        return FALSE;
    }, (LPARAM)&tree);
    if (!tree) return;
    LRESULT first = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    LRESULT tools = first ? SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, first) : 0;
    if (tools) SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, tools);
}

void CloseViewer(HWND viewer) {
    DWORD pid = 0;
    GetWindowThreadProcessId(viewer, &pid);
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    for (int t = 0; t < 10000 && IsWindow(viewer); t += 100) Sleep(100);
    HANDLE h = IsWindow(viewer) ? OpenProcess(PROCESS_TERMINATE, FALSE, pid) : nullptr;
    if (h) {
        TerminateProcess(h, 1);
        CloseHandle(h);
    }
}

const CLSID CLSID_ITSTORAGE = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
const IID IID_ITSTORAGE = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// The bytes of one file inside the storage; empty when it cannot be opened.
std::string StreamBytes(IStorage* chm, const std::string& name) {
    IStream* stream = nullptr;
    std::string bytes;
    if (FAILED(chm->OpenStream(Wide(name).c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream))) return bytes;
    char buf[4096];
    ULONG got = 0;
    while (SUCCEEDED(stream->Read(buf, sizeof buf, &got)) && got > 0) bytes.append(buf, got);
    stream->Release();
    return bytes;
}

std::vector<int> GroupIconIds(HMODULE m) {
    std::vector<int> ids;
    EnumResourceNamesA(m, RT_GROUP_ICON, [](HMODULE, LPCSTR, LPSTR name, LONG_PTR out) -> BOOL {
        if (IS_INTRESOURCE(name)) ((std::vector<int>*)out)->push_back((int)(ULONG_PTR)name);
        return TRUE;
    }, (LONG_PTR)&ids);
    return ids;
}

}  // namespace

// F1 on the Ruler: without the help file beside the program the user is told so; with
// it the viewer comes up on the tool's page.
TEST(Journey, ToolHelpOpensInTheHelpViewer) {
    std::string dir = drv_MakeFolder("help", drv_QuietSettingsFile(0, 12));
    KvRunning r;
    ASSERT_TRUE(drv_StartReady(&r.p, dir, "")) << drv_Status(r.p.main);

    drv_Command(r.p.main, CMD_TOOL_HELP);
    ASSERT_TRUE(drv_Answer(&r.p, "File not found!!", IDOK, 20000));

    ASSERT_TRUE(CopyFileA(drv_BuildPath("Kelvara.chm").c_str(), (dir + "\\Kelvara.chm").c_str(), FALSE));
    drv_Command(r.p.main, CMD_TOOL_HELP);
    HWND viewer = FindWindowWait(VIEWER_TITLE, nullptr, 30000);
    ASSERT_TRUE(viewer) << drv_Status(r.p.main);
    EXPECT_FALSE(drv_FindOwned(&r.p, "File not found!!", 500));
    EXPECT_FALSE(drv_FindOwned(&r.p, "HTML Help Error!!", 500));
    Sleep(1500);  // let the viewer fill its contents tree
    ExpandToolsChapter(viewer);
    Sleep(500);
    EXPECT_TRUE(drv_SaveScreen(drv_BuildPath("kelvara_e2e_help.bmp")));
    CloseViewer(viewer);

    drv_Command(r.p.main, CMD_EXIT);
    ASSERT_TRUE(drv_Answer(&r.p, "Confirm Exit", IDYES, 10000));
    EXPECT_EQ(drv_WaitExit(&r.p, 20000), 0u);
}

// Every page and the stylesheet come back byte for byte from the compiled file, read
// the way the viewer reads them (the native help test ties each page the code names,
// the tools' included, to the project).
TEST(Documents, CompiledHelpHoldsEveryPage) {
    std::string chm = drv_BuildPath("Kelvara.chm");
    std::vector<std::string> files = HelpProjectFiles(drv_ReadFile(SourcePath("resources/help/Kelvara.hhp")));
    ASSERT_GE(files.size(), 48u);
    CoInitialize(nullptr);
    IITStorage* itss = nullptr;
    IStorage* storage = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_ITSTORAGE, nullptr, CLSCTX_INPROC_SERVER, IID_ITSTORAGE, (void**)&itss), S_OK);
    ASSERT_EQ(itss->StgOpenStorage(Wide(chm).c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &storage),
              S_OK) << chm;
    for (const std::string& file : files) {
        std::string source = drv_ReadFile(SourcePath("resources/help/" + file));
        ASSERT_FALSE(source.empty()) << file;
        EXPECT_EQ(StreamBytes(storage, file), source) << file;
    }
    storage->Release();
    itss->Release();
    CoUninitialize();
}

// The associations name their icons by id ("%s ,-118"), the uninstall shortcut by
// position (5): both must find them in kelvara.exe.
TEST(Documents, ProgramCarriesTheRegisteredIcons) {
    std::string exe = drv_ProgramPath();
    HMODULE m = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(m);
    std::vector<int> ids = GroupIconIds(m);
    FreeLibrary(m);
    const std::vector<int> expected = {101, 102, 118, 162, 195, 200, 222, 223, 224, 245};
    EXPECT_EQ(ids, expected) << "index 5 is the uninstall icon (200)";
    for (int id : {118, 162, 195, 222, 223, 224, 245}) {
        HICON large = nullptr, small = nullptr;
        ExtractIconExA(exe.c_str(), -id, &large, &small, 1);
        EXPECT_TRUE(large && small) << id;
        if (large) DestroyIcon(large);
        if (small) DestroyIcon(small);
    }
}
