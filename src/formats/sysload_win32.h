// sysload_win32.h — image loaders that let Windows do the decoding: bitmaps through
// the system's DIB conversion, image files through the system image loader, icons
// and icon resources (with the interactive picker), enhanced metafiles, and JPEG,
// GIF and WMF through the OLE picture loader. Each follows the loader convention
// (surface_out, path, info) → 1 / 0 and leaves surface_out as it was on failure.
#pragma once
#include <windows.h>
#include "engine/surface.h"
#include "formats/imageinfo.h"

int bmp_LoadSystem(Surface* out, const char* path, ImageFileInfo* info);
int img_LoadSystemImage(Surface* out, const char* path, ImageFileInfo* info);
int ico_Load(Surface* out, const char* path, ImageFileInfo* info);
int ico_ToSurface(Surface* out, HICON icon);
int emf_Load(Surface* out, const char* path, ImageFileInfo* info);
int pic_LoadSystem(Surface* out, const char* path, ImageFileInfo* info);
