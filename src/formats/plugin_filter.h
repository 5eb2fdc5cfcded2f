// plugin_filter.h — the file layer's door to filter plug-ins: the loader of last
// resort for extensions no own reader knows, and the writer for those no own writer
// knows.
//
// Both follow the file conventions (loader: surface_out, path, info → 1 / 0, leaving
// surface_out as it was on failure; writer: surface, path → the plug-in's result or
// 0). No plug-in is ever loaded yet, so no file is handled: both answer 0, which the
// dispatchers report as an unrecognised file type.
#pragma once
#include "engine/surface.h"
#include "formats/imageinfo.h"

int plugin_FilterLoad(Surface* out, const char* path, ImageFileInfo* info);
int plugin_FilterSave(Surface* s, const char* path);
