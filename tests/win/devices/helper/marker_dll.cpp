// marker_dll.cpp — a stand-in DLL for the tests of which DLLs the program loads: when
// loaded it leaves "<its own file>.loaded" beside itself. Its DSM_Entry, a source
// manager's entry, answers failure to every call; the build without KV_NO_ENTRY is the
// one that has it.
#include <windows.h>
#include <stdint.h>

#ifndef KV_NO_ENTRY
extern "C" __declspec(dllexport) uint16_t WINAPI DSM_Entry(void*, void*, uint32_t, uint16_t, uint16_t, void*) {
    return 1;
}
#endif

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH + 8];
    const DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return TRUE;
    lstrcatA(path, ".loaded");
    HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    return TRUE;
}
