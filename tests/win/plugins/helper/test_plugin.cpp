// test_plugin.cpp — misbehaving filter plug-ins for the loader's tests, never shipped.
// Built twice:
//   "Accept all.dll" claims every extension, ".***" included, yet writes nothing;
//     it answers every load with a brush instead of a bitmap;
//   "Crash.dll" (KV_CRASH) faults in every call.
#include <windows.h>
#include "formats/plugin_api_win32.h"

#ifdef KV_CRASH
static int Fault() {
    volatile int* nowhere = nullptr;
    return *nowhere;
}
PLUGIN_EXPORT HBITMAP flt_LoadPicture(const char*, HWND) { return (HBITMAP)(INT_PTR)Fault(); }
PLUGIN_EXPORT int flt_Save_IsExtensionOk(const char*) { return Fault(); }
PLUGIN_EXPORT int flt_SavePicture(HBITMAP, const char*, HWND) { return Fault(); }
#else
PLUGIN_EXPORT HBITMAP flt_LoadPicture(const char*, HWND) { return (HBITMAP)CreateSolidBrush(RGB(1, 2, 3)); }
PLUGIN_EXPORT int flt_Save_IsExtensionOk(const char*) { return 1; }
PLUGIN_EXPORT int flt_SavePicture(HBITMAP, const char*, HWND) { return 0; }
#endif
