// plugin_api_win32.h — the functions a filter plug-in DLL exports, as both sides see
// them: the program looks them up by these names, the plug-ins define them. All use
// the C calling convention and ANSI strings; nothing else crosses the boundary.
//
//   plg_GetNameAndType(name64)  display name into a 64-byte buffer; type 1 filter,
//                               2 device, anything else unknown
//   plg_About(owner)            the plug-in's about box
//   plg_Configure(owner)        the plug-in's settings dialog
//   flt_LoadPicture(path, owner)        a new GDI bitmap the caller owns, 0 = not read
//   flt_Save_IsExtensionOk(".ext")      non-zero = written by this plug-in; 0 for ".***"
//   flt_SavePicture(bitmap, path, owner) non-zero = written; 0 for foreign extensions
//
// A bitmap handed to a plug-in is a 32-bit top-down DIB section, bytes blue, green,
// red and translucency (0 opaque, 255 transparent); the plug-in only reads it. A
// bitmap a plug-in returns may be of any kind; 32-bit ones carry translucency too.
#pragma once
#include <windows.h>

// How a plug-in declares the entry points it exports.
#define PLUGIN_EXPORT extern "C" __declspec(dllexport)

const int PLG_TYPE_FILTER = 1;
const int PLG_TYPE_DEVICE = 2;
const int PLG_NAME_BUFFER = 64;

extern "C" {
typedef int (*PlgGetNameAndType)(char* name);
typedef int (*PlgAbout)(HWND owner);
typedef int (*PlgConfigure)(HWND owner);
typedef HBITMAP (*FltLoadPicture)(const char* path, HWND owner);
typedef int (*FltSaveIsExtensionOk)(const char* ext);
typedef int (*FltSavePicture)(HBITMAP bitmap, const char* path, HWND owner);
}
