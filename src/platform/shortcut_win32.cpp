// shortcut_win32.cpp — shortcut resolution through the shell's link object.
#include "platform/shortcut.h"
#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <cstring>

int lnk_ResolveShortcut(char* path, size_t cap) {
    if (!path || !*path || cap == 0) return 0;
    wchar_t wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH)) return 0;

    // COM may already be up on this thread (S_FALSE); each success is balanced.
    HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int ok = 0;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   (void**)&link))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file))) {
            char target[MAX_PATH] = {0};
            if (SUCCEEDED(file->Load(wide, STGM_READ)) &&
                link->GetPath(target, MAX_PATH, nullptr, 0) == S_OK) {
                target[MAX_PATH - 1] = 0;
                size_t len = std::strlen(target);
                if (len > 0 && len < cap) {
                    std::memcpy(path, target, len + 1);
                    ok = 1;
                }
            }
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return ok;
}
