// imaging_filter.cpp — "Imaging filter.dll": every other picture format the system's
// imaging component decodes (TIFF, GIF, WebP, HEIF... as installed on the machine),
// read through it with transparency kept; saves TIFF. PNG and JPEG are left to their
// own plug-ins, BMP and icons to the program, which refuses a cut or lying one where
// the component's decoders make up the missing rows or read past the file (a fault
// that leaves the file open). Which extensions it reads is asked from the component
// at each call, so a codec installed later is picked up without a new plug-in.
#include <windows.h>
#include <cstdio>
#include <cstring>
#include "formats/plugin_api_win32.h"
#include "wic_filter.h"


namespace {

const GUID* const LEFT_TO_OTHERS[] = {&GUID_ContainerFormatPng, &GUID_ContainerFormatJpeg, &GUID_ContainerFormatBmp,
                                      &GUID_ContainerFormatIco, nullptr};
const char* const SAVED[] = {".tif", ".tiff", nullptr};
const char NAME[] = "Imaging Component Filter";
const size_t LIST_CAP = 2048;

// The file name's extension when the component has a decoder for it.
int ReadableName(const char* path) {
    if (!path) return 0;
    const char* name = path;
    for (const char* p = path; *p; p++)
        if (*p == '\\' || *p == '/') name = p + 1;
    char list[LIST_CAP];
    wic_DecoderExtensions(list, sizeof list, LEFT_TO_OTHERS);
    return wic_ExtensionInList(std::strrchr(name, '.'), list);
}

}  // namespace

PLUGIN_EXPORT int plg_GetNameAndType(char* name) {
    if (name) lstrcpynA(name, NAME, PLG_NAME_BUFFER);
    return PLG_TYPE_FILTER;
}

PLUGIN_EXPORT int plg_About(HWND owner) {
    char list[LIST_CAP], text[LIST_CAP + 256];
    if (!wic_DecoderExtensions(list, sizeof list, LEFT_TO_OTHERS)) std::strcpy(list, "(none on this system)");
    std::snprintf(text, sizeof text,
                  "Imaging Component Filter\n\nReads the picture formats this system's imaging component "
                  "decodes, transparency included, and saves TIFF.\n\nReadable here: %s",
                  list);
    MessageBoxA(owner, text, "About Imaging Component Filter", MB_OK | MB_ICONINFORMATION);
    return 1;
}

PLUGIN_EXPORT int plg_Configure(HWND owner) {
    MessageBoxA(owner, "TIFF images are stored without loss; there is nothing to set.", NAME,
                MB_OK | MB_ICONINFORMATION);
    return 1;
}

PLUGIN_EXPORT HBITMAP flt_LoadPicture(const char* path, HWND) {
    return ReadableName(path) ? wic_LoadAnyBut(path, LEFT_TO_OTHERS) : nullptr;
}

PLUGIN_EXPORT int flt_Save_IsExtensionOk(const char* ext) { return wic_ExtensionListed(ext, SAVED); }

PLUGIN_EXPORT int flt_SavePicture(HBITMAP bitmap, const char* path, HWND) {
    if (!wic_PathListed(path, SAVED)) return 0;
    return wic_Save(bitmap, path, WicSave{GUID_ContainerFormatTiff, 1, -1.0f});
}
