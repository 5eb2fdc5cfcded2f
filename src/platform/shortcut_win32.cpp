// shortcut_win32.cpp — shortcuts read and written through the shell's link object,
// and the shell folders read from Explorer's registry key.
#include "platform/shortcut.h"
#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <cstdio>
#include <cstring>
#include "platform/paths.h"
#include "platform/winver.h"

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
            char target[KV_MAX_PATH] = {0};
            if (SUCCEEDED(file->Load(wide, STGM_READ)) &&
                link->GetPath(target, sizeof target, nullptr, 0) == S_OK) {
                target[sizeof target - 1] = 0;
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

int CreateShortcut(const char* linkPath, const char* target, const char* arguments, int iconIndex,
                   const char* description, int showCommand) {
    if (!linkPath || !*linkPath || !target || !*target) return 0;
    char link[KV_MAX_PATH];
    const size_t n = std::strlen(linkPath);
    const bool named = n >= 4 && _stricmp(linkPath + n - 4, ".lnk") == 0;
    if (std::snprintf(link, sizeof link, "%s%s", linkPath, named ? "" : ".lnk") >= (int)sizeof link) return 0;
    wchar_t wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, link, -1, wide, MAX_PATH)) return 0;
    if (showCommand != 2 && showCommand != 3) showCommand = 1;
    CreateFolders(link);

    HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int ok = 0;
    IShellLinkA* shell = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   (void**)&shell))) {
        bool set = SUCCEEDED(shell->SetPath(target)) && SUCCEEDED(shell->SetShowCmd(showCommand));
        if (set && arguments && *arguments) set = SUCCEEDED(shell->SetArguments(arguments));
        if (set && description && *description) set = SUCCEEDED(shell->SetDescription(description));
        if (set && iconIndex >= 0) set = SUCCEEDED(shell->SetIconLocation(target, iconIndex));
        IPersistFile* file = nullptr;
        if (set && SUCCEEDED(shell->QueryInterface(IID_IPersistFile, (void**)&file))) {
            ok = SUCCEEDED(file->Save(wide, TRUE));
            file->Release();
        }
        shell->Release();
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return ok;
}

namespace {

// A string value of Explorer's "Shell Folders" key under root; 0 when unreadable.
int read_shell_folder(HKEY root, const char* value, char* out, size_t cap) {
    HKEY key;
    if (RegOpenKeyExA(root, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    char buf[KV_MAX_PATH + 1];
    DWORD type = 0, size = KV_MAX_PATH;
    LONG r = RegQueryValueExA(key, value, nullptr, &type, (BYTE*)buf, &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0) return 0;
    buf[size < KV_MAX_PATH ? size : KV_MAX_PATH] = 0;  // a stored value need not end in NUL
    char expanded[KV_MAX_PATH];
    const char* path = buf;
    if (type == REG_EXPAND_SZ) {
        DWORD m = ExpandEnvironmentStringsA(buf, expanded, sizeof expanded);
        if (m == 0 || m > sizeof expanded) return 0;
        path = expanded;
    }
    const size_t len = std::strlen(path);
    if (len == 0 || len >= cap) return 0;
    std::memcpy(out, path, len + 1);
    return 1;
}

}  // namespace

int ShellFolder(const char* name, char* out, size_t cap) {
    if (!out || cap == 0) return 0;
    out[0] = 0;
    if (!name || !*name) return 0;
    ver_Query();
    char common[64];
    if (ver_IsNT() && std::snprintf(common, sizeof common, "Common %s", name) < (int)sizeof common &&
        read_shell_folder(HKEY_LOCAL_MACHINE, common, out, cap))
        return 1;
    return read_shell_folder(HKEY_CURRENT_USER, name, out, cap);
}
