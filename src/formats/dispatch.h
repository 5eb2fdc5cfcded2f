// dispatch.h — turning a path into a Surface and a Surface into a file.
//
// Loading picks a loader by extension (case-insensitive) and, when that fails or
// the extension is unknown, probes every loader in a fixed order; then it inspects
// the alpha channel and may invert an image that uses the opacity convention. A
// loader that faults counts as one that refused the file.
// Saving picks a writer by the lower-cased extension only; a KV5 file is written
// with the caller's options. Every save replaces the file safely (platform/safewrite.h):
// a plug-in writes a temporary name that keeps the extension, moved over the target
// only after it succeeded.
// The program's own choices (which KV5 options its save uses, whether a load inverts
// an alpha channel, the options an old KV5 file is converted with when the user
// agrees while loading) come from the settings record.
#pragma once
#include "engine/surface.h"
#include "formats/imageinfo.h"
#include "formats/kv5_file.h"

struct SettingsRecord;

// `path` must have room for KV_MAX_PATH bytes: a ".lnk" path is replaced there by the
// shortcut's target.
int img_LoadFile(Surface* out, char* path, ImageFileInfo* info);
// Loads (not quiet) into a temporary Surface and moves it into `target` on success;
// on failure shows the "Loader Error" dialog and leaves `target` as it was. The
// dialog comes through the seam's prompt of this name, the message as its inText.
const char IMG_LOADER_ERROR_PROMPT[] = "Loader Error";
int img_LoadReporting(Surface* target, const char* path);
int img_SaveFile(Surface* s, const char* path, const Kv5SaveOptions* kv5);
// Tells the user that a writer of the program's own failed on `path`: "The destination
// is READ-ONLY." when no file can be made in its folder, else "Unknown rendering error."
// (titled "Save Error"). The writer's refusal reason stays.
void img_ReportWriteFailure(const char* path);
// The options the program saves KV5 files with: level, author tag with the user name,
// asking for a password. The author points into `record`, which must outlive them.
Kv5SaveOptions img_Kv5OptionsFromSettings(const SettingsRecord* record);
void img_DetectAlphaConvention(Surface* s, ImageFileInfo* info);
int img_HasAlpha(Surface* s);
