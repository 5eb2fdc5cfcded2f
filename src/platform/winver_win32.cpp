// winver_win32.cpp — reads the version facts from the system.
#include "platform/winver.h"
#include <windows.h>

namespace {
struct VerState {
    int isNT;
    int major;
};
VerState g_ver;
}  // namespace

int ver_Query() {
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = sizeof vi;
    if (!GetVersionExA(&vi)) return 0;
    g_ver.isNT = vi.dwPlatformId == VER_PLATFORM_WIN32_NT;
    g_ver.major = (int)vi.dwMajorVersion;
    return 1;
}

int ver_IsNT() { return g_ver.isNT; }
int ver_Major() { return g_ver.major; }
