// test_plugin.cpp — plug-ins for the loader's and the device commands' tests, never
// shipped. Built three times:
//   "Accept all.dll" claims every extension, ".***" included, yet writes nothing;
//     it answers every load with a brush instead of a bitmap;
//   "Crash.dll" (KV_CRASH) faults in every call, the device calls included;
//   "Test device.dll" (KV_DEVICE) is a device: it delivers a 5 x 3 picture whose
//     pixel (x, y) is 0xAA000000 | y << 16 | x << 8 | (x + y), the last one fully
//     transparent, and writes what it is sent, as raw top-down words after the width
//     and height, to "Test device.out" beside itself.
#include <windows.h>
#include <cstdint>
#include <cstring>
#include "formats/plugin_api_win32.h"

#if defined(KV_CRASH)
static int Fault() {
    volatile int* nowhere = nullptr;
    return *nowhere;
}
PLUGIN_EXPORT HBITMAP flt_LoadPicture(const char*, HWND) { return (HBITMAP)(INT_PTR)Fault(); }
PLUGIN_EXPORT int flt_Save_IsExtensionOk(const char*) { return Fault(); }
PLUGIN_EXPORT int flt_SavePicture(HBITMAP, const char*, HWND) { return Fault(); }
PLUGIN_EXPORT HBITMAP dev_LoadPicture(HWND) { return (HBITMAP)(INT_PTR)Fault(); }
PLUGIN_EXPORT int dev_SavePicture(HBITMAP, HWND) { return Fault(); }
#elif defined(KV_DEVICE)
static HINSTANCE g_module;

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = module;
    return TRUE;
}

static BITMAPINFO TopDown32(LONG w, LONG h) {
    BITMAPINFO bmi;
    std::memset(&bmi, 0, sizeof bmi);
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    return bmi;
}

PLUGIN_EXPORT int plg_GetNameAndType(char* name) {
    lstrcpynA(name, "Test Device", PLG_NAME_BUFFER);
    return PLG_TYPE_DEVICE;
}

PLUGIN_EXPORT HBITMAP dev_LoadPicture(HWND) {
    BITMAPINFO bmi = TopDown32(5, 3);
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp) return nullptr;
    uint32_t* px = (uint32_t*)bits;
    for (uint32_t y = 0; y < 3; y++)
        for (uint32_t x = 0; x < 5; x++) px[y * 5 + x] = 0xAA000000u | y << 16 | x << 8 | (x + y);
    px[14] |= 0xFF000000u;
    return bmp;
}

PLUGIN_EXPORT int dev_SavePicture(HBITMAP bitmap, HWND) {
    BITMAP bm;
    if (!GetObjectA(bitmap, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmWidth > 4096) return 0;
    const LONG w = bm.bmWidth, h = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
    if (h <= 0 || h > 4096) return 0;
    BITMAPINFO bmi = TopDown32(w, h);
    const DWORD size = (DWORD)(w * h * 4);
    uint32_t* px = (uint32_t*)HeapAlloc(GetProcessHeap(), 0, size);
    HDC screen = GetDC(nullptr);
    const int rows = px ? GetDIBits(screen, bitmap, 0, (UINT)h, px, &bmi, DIB_RGB_COLORS) : 0;
    ReleaseDC(nullptr, screen);
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(g_module, path, MAX_PATH - 4);
    int ok = 0;
    if (rows == h && n > 4) {
        lstrcpyA(path + n - 4, ".out");
        HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            const uint32_t head[2] = {(uint32_t)w, (uint32_t)h};
            DWORD put = 0, put2 = 0;
            ok = WriteFile(f, head, sizeof head, &put, nullptr) && WriteFile(f, px, size, &put2, nullptr) &&
                 put2 == size;
            CloseHandle(f);
        }
    }
    if (px) HeapFree(GetProcessHeap(), 0, px);
    return ok;
}
#else
PLUGIN_EXPORT HBITMAP flt_LoadPicture(const char*, HWND) { return (HBITMAP)CreateSolidBrush(RGB(1, 2, 3)); }
PLUGIN_EXPORT int flt_Save_IsExtensionOk(const char*) { return 1; }
PLUGIN_EXPORT int flt_SavePicture(HBITMAP, const char*, HWND) { return 0; }
#endif
