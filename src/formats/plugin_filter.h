// plugin_filter.h — the file layer's door to filter plug-ins: the loader of last
// resort for extensions no own reader knows, and the writer for those no own writer
// knows.
//
// Both follow the file conventions (loader: surface_out, path, info → 1 / 0, leaving
// surface_out as it was on failure; writer: surface, path → the plug-in's result or
// 0). On Windows they ask the DLLs of the program's "Plugins" folder, each loaded by
// its absolute path around one call and freed right after; natively there are no
// plug-ins and the system's PNG and JPEG libraries answer for the two shipped filters.
//
// Owns: two caches, one per direction, that remember which DLL last handled an
// extension so the folder need not be scanned again. Four slots each, slot 0 the
// most recent; a slot holds an extension with its dot (at most 7 characters) and a
// DLL file name without folder (at most 31). They live as long as the program.
// Only extensions of at most 4 characters (".png", ".jpg") are looked up; longer
// ones are recorded all the same but always cost a scan.
#pragma once
#include <cstddef>
#include "engine/surface.h"
#include "formats/imageinfo.h"

int plugin_FilterLoad(Surface* out, const char* path, ImageFileInfo* info);
int plugin_FilterSave(Surface* s, const char* path);
// 1 when a file named with `ext` (dot included, lower case) may be written through
// plugin_FilterSave: on Windows any, for the plug-ins decide when asked; natively
// PNG and the JPEG names.
int plugin_FilterWrites(const char* ext);
// 1 when a plug-in says it writes files named with `ext` (dot included, lower case):
// asked after a failed export, to tell a write that failed (full disk) from a type
// no plug-in knows. On Windows every DLL of the folder is asked (flt_Save_IsExtensionOk;
// one that claims the made-up ".***" is defective and does not count); natively the
// answer is plugin_FilterWrites'.
int plugin_FilterKnows(const char* ext);

// ---- the caches (portable, shared by both platforms) ----

const int PFLT_SLOTS = 4;
const size_t PFLT_EXT_CHARS = 7;
const size_t PFLT_NAME_CHARS = 31;
const size_t PFLT_LOOKUP_CHARS = 4;

struct PluginCacheSlot {
    char ext[PFLT_EXT_CHARS + 1];    // "" = unused
    char name[PFLT_NAME_CHARS + 1];  // the DLL's file name
};
struct PluginCache {
    PluginCacheSlot slot[PFLT_SLOTS];
};

const int PFLT_LOAD = 0;
const int PFLT_SAVE = 1;
PluginCache* pflt_Cache(int direction);
// Empties both caches (a fresh program).
void pflt_ResetCaches();

// The extension of the path's file name, from its last dot, dot included; 0 (ext "")
// when the name has no dot or the extension does not fit cap.
int pflt_Extension(const char* path, char* ext, size_t cap);
// The first slot whose extension equals ext (ignoring case) and whose DLL is a file in
// the plug-in folder: the DLL's absolute path into dllPath, 1. 0 when ext is empty or
// longer than PFLT_LOOKUP_CHARS, no slot matches, or that slot's DLL is gone.
int pflt_CacheFind(const PluginCache* c, const char* ext, char* dllPath, size_t cap);
// After a scan found `dllPath` for ext: every slot of that extension gets the DLL's
// file name; when none had it, slots 0..2 move down one (slot 3 drops out) and slot 0
// gets ext in lower case and the name. 0 (cache unchanged) when ext is empty or
// either text does not fit its slot.
int pflt_CacheRecord(PluginCache* c, const char* ext, const char* dllPath);
