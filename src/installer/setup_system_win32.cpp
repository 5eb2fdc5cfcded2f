// setup_system_win32.cpp — see setup_system_win32.h.
#include "installer/setup_system_win32.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "installer/setup_ids.h"
#include "platform/sysio.h"

// Dispatches what is queued; 0 when a quit request was met (and posted again).
static int dispatch_pending() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage((int)msg.wParam);
            return 0;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 1;
}

int PumpMessages(int pause) {
    if (!dispatch_pending()) return 0;
    if (!pause) return 1;
    Sleep(100);
    return dispatch_pending();
}

void setup_Wait(unsigned ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        PumpMessages(0);
        const ULONGLONG left = end - now;
        Sleep(left < 100 ? (DWORD)left : 100);
    }
    PumpMessages(0);
}

int ReadFileVersion(const char* path, unsigned* major, unsigned* minor, unsigned* build, unsigned* revision) {
    DWORD ignored = 0;
    const DWORD size = path ? GetFileVersionInfoSizeA(path, &ignored) : 0;
    if (size == 0) return 0;
    void* block = std::malloc(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    int ok = block && GetFileVersionInfoA(path, 0, size, block) &&
             VerQueryValueA(block, "\\", (void**)&fixed, &fixedSize) && fixed &&
             fixedSize >= sizeof(VS_FIXEDFILEINFO) && fixed->dwSignature == 0xFEEF04BD;
    if (ok) {
        *major = HIWORD(fixed->dwFileVersionMS);
        *minor = LOWORD(fixed->dwFileVersionMS);
        *build = HIWORD(fixed->dwFileVersionLS);
        *revision = LOWORD(fixed->dwFileVersionLS);
    }
    std::free(block);
    return ok;
}

const uint8_t* setup_Resource(int id, size_t* size) {
    *size = 0;
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), SETUP_RES_TYPE);
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const uint8_t* data = loaded ? (const uint8_t*)LockResource(loaded) : nullptr;
    if (data) *size = SizeofResource(nullptr, found);
    return data;
}

int setup_StartProgram(const char* program, const char* arguments, PROCESS_INFORMATION* pi) {
    std::memset(pi, 0, sizeof *pi);
    char line[2 * KV_MAX_PATH];
    const int n = std::snprintf(line, sizeof line, "\"%s\"%s", program, arguments ? arguments : "");
    if (n < 0 || n >= (int)sizeof line) return 0;
    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    // Its windows come up in front of ours, which hold the foreground now.
    AllowSetForegroundWindow(ASFW_ANY);
    return CreateProcessA(program, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, pi) ? 1 : 0;
}

int setup_StillRunning(const PROCESS_INFORMATION* pi) {
    DWORD code = 0;
    return pi->hProcess && GetExitCodeProcess(pi->hProcess, &code) && code == STILL_ACTIVE;
}

int setup_Terminate(const PROCESS_INFORMATION* pi) {
    return pi->hProcess && TerminateProcess(pi->hProcess, 1) ? 1 : 0;
}

void setup_EndWatch(PROCESS_INFORMATION* pi) {
    if (pi->hThread) CloseHandle(pi->hThread);
    if (pi->hProcess) CloseHandle(pi->hProcess);
    std::memset(pi, 0, sizeof *pi);
}
