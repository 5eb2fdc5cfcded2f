// dispatch_table.h — the loaders the load dispatcher knows, shared by its portable
// part (dispatch.cpp) and its platform part (dispatch_win32.cpp / dispatch_native.cpp).
//
// The loaders are numbered in probing order: a load whose table entry is missing or
// fails tries them from IMG_LD_KV5 to IMG_LD_TGA. Readers that need the system
// (bitmap conversion, image-file loader, icons, metafiles, the picture loader) come
// from the platform part; natively they are absent and their rows are skipped, so the
// portable readers of the chain answer instead.
#pragma once
#include "engine/surface.h"
#include "formats/imageinfo.h"

typedef int (*ImgLoader)(Surface* out, const char* path, ImageFileInfo* info);

enum ImgLoaderId {
    IMG_LD_KV5,
    IMG_LD_BMP_SYSTEM,
    IMG_LD_BMP_OWN,
    IMG_LD_SYSTEM_IMAGE,
    IMG_LD_PCX,
    IMG_LD_ICON,
    IMG_LD_EMF,
    IMG_LD_PPM,
    IMG_LD_KV5_TILED,
    IMG_LD_PICTURE,
    IMG_LD_PLUGIN,
    IMG_LD_TGA,
    IMG_LD_COUNT
};

// The loader the load table gives a file name (the extension after the last dot of
// the name part, compared without regard to case); -1 when the name has no extension.
// Unknown extensions go to the filter plug-in loader.
int img_LoadTableLookup(const char* path);

// Platform part: the system loader of that row, or null where the platform has none.
ImgLoader img_PlatformLoader(int id);
