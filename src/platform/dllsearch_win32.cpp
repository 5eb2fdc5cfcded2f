// dllsearch_win32.cpp — the limited DLL search (dllsearch.h).
#include "platform/dllsearch.h"

#include <windows.h>

int dll_LimitSearch() {
    // The current folder also leaves the older search order, which a caller that
    // passes LOAD_WITH_ALTERED_SEARCH_PATH still gets.
    SetDllDirectoryA("");
    // Looked up, not linked: a Windows 7 without its loader update lacks it, and the
    // program must still start there.
    typedef BOOL(WINAPI * SetDefaultFn)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultFn setDefault = kernel ? (SetDefaultFn)(void*)GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
    return setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_APPLICATION_DIR) ? 1 : 0;
}
