// plugin_filter_native.cpp — the native build loads no DLLs: PNG and JPEG, the
// formats of the shipped filter plug-ins, are read and written by the system's
// libraries instead (photo_native.h), with the plug-ins' rules: any file whose bytes
// are a PNG or JPEG is read whatever its name; PNG is written for ".png" and JPEG
// for the JPEG names at the plug-in's default quality. Nothing else is handled, which
// the dispatchers report as an unknown file type.
#include <cstdlib>
#include <cstring>
#include "formats/fileio.h"
#include "formats/photo_native.h"
#include "formats/plugin_filter.h"
#include "platform/refusal.h"

namespace {

const char* const PNG_NAMES[] = {".png", nullptr};
const char* const JPEG_NAMES[] = {".jpg", ".jpe", ".jff", ".jpeg", ".jfif", nullptr};

int Listed(const char* ext, const char* const* list) {
    for (; *list; list++)
        if (std::strcmp(ext, *list) == 0) return 1;
    return 0;
}

int SavePng(Surface* s, uint8_t** data, size_t* size) { return photo_SavePngBytes(s, data, size); }
int SaveJpeg(Surface* s, uint8_t** data, size_t* size) {
    return photo_SaveJpegBytes(s, PHOTO_JPEG_QUALITY, data, size);
}

}  // namespace

int plugin_FilterLoad(Surface* out, const char* path, ImageFileInfo* info) {
    // The probing chain asks about every file no other reader took: look before reading it whole.
    uint8_t* head;
    size_t got;
    if (!fio_ReadPrefix(path, 8, &head, &got)) return 0;
    const int known = photo_IsPng(head, got) || photo_IsJpeg(head, got);
    std::free(head);
    if (!known) return refuse_With("neither png nor jpeg");
    return fio_LoadFile(path, PHOTO_MAX_FILE, photo_LoadBytes, out, info);
}

int plugin_FilterWrites(const char* ext) { return Listed(ext, PNG_NAMES) || Listed(ext, JPEG_NAMES); }

int plugin_FilterKnows(const char* ext) { return plugin_FilterWrites(ext); }

int plugin_FilterSave(Surface* s, const char* path) {
    char ext[PFLT_EXT_CHARS + 1];
    if (!pflt_Extension(path, ext, sizeof ext)) return refuse_With("no filter plug-in wrote the file");
    for (char* c = ext; *c; c++)
        if (*c >= 'A' && *c <= 'Z') *c = (char)(*c - 'A' + 'a');
    if (Listed(ext, PNG_NAMES)) return fio_SaveFile(s, path, SavePng);
    if (Listed(ext, JPEG_NAMES)) return fio_SaveFile(s, path, SaveJpeg);
    return refuse_With("no filter plug-in wrote the file");
}
