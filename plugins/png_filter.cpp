// png_filter.cpp — "PNG filter.dll": PNG files read and written through the Windows
// Imaging Component, translucency kept exactly. Loads any file that is a PNG,
// whatever its name; writes only files named ".png".
#include <windows.h>
#include <cstring>
#include "formats/plugin_api_win32.h"
#include "wic_filter.h"


namespace {

const char* const EXTENSIONS[] = {".png", nullptr};
const uint8_t SIGNATURE[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
const char NAME[] = "PNG Image Filter";

}  // namespace

PLUGIN_EXPORT int plg_GetNameAndType(char* name) {
    if (name) lstrcpynA(name, NAME, PLG_NAME_BUFFER);
    return PLG_TYPE_FILTER;
}

PLUGIN_EXPORT int plg_About(HWND owner) {
    MessageBoxA(owner,
                "PNG Image Filter\n\nReads and writes PNG images, transparency included, through the "
                "Windows Imaging Component.",
                "About PNG Image Filter", MB_OK | MB_ICONINFORMATION);
    return 1;
}

PLUGIN_EXPORT int plg_Configure(HWND owner) {
    MessageBoxA(owner, "PNG images are stored without loss; there is nothing to set.", "PNG Image Filter",
                MB_OK | MB_ICONINFORMATION);
    return 1;
}

PLUGIN_EXPORT HBITMAP flt_LoadPicture(const char* path, HWND) {
    return wic_Load(path, GUID_ContainerFormatPng, SIGNATURE, sizeof SIGNATURE);
}

PLUGIN_EXPORT int flt_Save_IsExtensionOk(const char* ext) { return wic_ExtensionListed(ext, EXTENSIONS); }

PLUGIN_EXPORT int flt_SavePicture(HBITMAP bitmap, const char* path, HWND) {
    if (!wic_PathListed(path, EXTENSIONS)) return 0;
    return wic_Save(bitmap, path, WicSave{GUID_ContainerFormatPng, 1, -1.0f});
}
