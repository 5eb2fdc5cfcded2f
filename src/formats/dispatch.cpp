// dispatch.cpp — the load and save dispatchers: extension tables, the probing chain,
// the alpha-convention check, and the user-facing reports of both directions.
//
// One load table and one probing chain serve every platform; rows whose reader needs
// the system are filled in by the platform part (dispatch_table.h). All messages,
// status texts and the wait cursor go through the ui seam.
#include "formats/dispatch.h"

#include <cstdio>
#include <cstring>

#include "platform/sysio.h"
#include "formats/bmp_file.h"
#include "formats/dispatch_table.h"
#include "formats/kv5_file.h"
#include "formats/kv5_tiled.h"
#include "formats/pcx_file.h"
#include "formats/plugin_filter.h"
#include "formats/ppm_file.h"
#include "platform/paths.h"
#include "platform/shortcut.h"
#include "formats/tga_file.h"
#include "platform/refusal.h"
#include "platform/safewrite.h"
#include "platform/ui.h"
#include "safety/exguard.h"
#include "settings/settings.h"

namespace {

struct LoadRow {
    const char* ext;
    int loader;
};

const LoadRow LOAD_TABLE[] = {
    {".kv5", IMG_LD_KV5},
    {".dib", IMG_LD_BMP_SYSTEM},    {".bmp", IMG_LD_BMP_SYSTEM},    {".rle", IMG_LD_BMP_SYSTEM},
    {".016", IMG_LD_SYSTEM_IMAGE},  {".256", IMG_LD_SYSTEM_IMAGE},
    {".pcx", IMG_LD_PCX},
    {".ico", IMG_LD_ICON},  {".cur", IMG_LD_ICON},  {".icl", IMG_LD_ICON},  {".ani", IMG_LD_ICON},
    {".exe", IMG_LD_ICON},  {".dll", IMG_LD_ICON},  {".scr", IMG_LD_ICON},
    {".emf", IMG_LD_EMF},
    {".ppm", IMG_LD_PPM},   {".pnm", IMG_LD_PPM},   {".pbm", IMG_LD_PPM},   {".pgm", IMG_LD_PPM},
    {".tga", IMG_LD_TGA},   {".vda", IMG_LD_TGA},   {".icb", IMG_LD_TGA},   {".vst", IMG_LD_TGA},
    {".jpg", IMG_LD_PICTURE},  {".jpeg", IMG_LD_PICTURE}, {".jpe", IMG_LD_PICTURE},
    {".jfif", IMG_LD_PICTURE}, {".jff", IMG_LD_PICTURE},  {".gif", IMG_LD_PICTURE},
    {".wmf", IMG_LD_PICTURE},
};

typedef int (*ImgWriter)(Surface* s, const char* path);

// A null writer marks the icon types, which only the Icon Creator writes, and KV5,
// whose writer takes the caller's options.
struct SaveRow {
    const char* ext;
    ImgWriter writer;
    int kv5;
};

const SaveRow SAVE_TABLE[] = {
    {".ico", nullptr, 0},   {".cur", nullptr, 0},   {".exe", nullptr, 0},   {".dll", nullptr, 0},
    {".scr", nullptr, 0},   {".icl", nullptr, 0},
    {".kv5", nullptr, 1},
    {".bmp", bmp_Save, 0},  {".dib", bmp_Save, 0},
    {".tga", tga_Save, 0},
    {".pcx", pcx_Save, 0},
    {".ppm", ppm_Save, 0},  {".pbm", ppm_Save, 0},
};

const unsigned SAVE_BOX = UI_OK | UI_ICONWARNING | UI_TASKMODAL;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c; }

int SameNoCase(const char* a, const char* b) {
    for (; *a && *b; a++, b++)
        if (LowerAscii(*a) != LowerAscii(*b)) return 0;
    return *a == *b;
}

ImgLoader LoaderOf(int id) {
    switch (id) {
    case IMG_LD_KV5: return kv5_Load;
    case IMG_LD_BMP_OWN: return bmp_Load;
    case IMG_LD_PCX: return pcx_Load;
    case IMG_LD_PPM: return ppm_Load;
    case IMG_LD_KV5_TILED: return kv5_LoadTiled;
    case IMG_LD_PLUGIN: return plugin_FilterLoad;
    case IMG_LD_TGA: return tga_Load;
    default: return img_PlatformLoader(id);
    }
}

struct LoaderCall {
    ImgLoader load;
    Surface* out;
    const char* path;
    ImageFileInfo* info;
    int result;
};

void RunLoader(void* arg) {
    LoaderCall* c = (LoaderCall*)arg;
    c->result = c->load(c->out, c->path, c->info);
}

// A loader that faults (the system's decoders meet hostile files too) counts as one
// that refused the file, and the chain goes on.
int CallLoader(ImgLoader load, Surface* out, const char* path, ImageFileInfo* info, uint8_t quiet) {
    std::memset(info, 0, sizeof *info);
    info->quiet = quiet;
    LoaderCall call{load, out, path, info, 0};
    return exg_Call(RunLoader, &call) && call.result;
}

// The chain proper; the row the table already tried (skip) is not asked again — it
// would only fail again, or put its questions to the user a second time.
int ProbeChain(Surface* out, char* path, ImageFileInfo* info, uint8_t quiet, int skip, int* native) {
    for (int id = 0; id < IMG_LD_COUNT; id++) {
        ImgLoader load = LoaderOf(id);
        if (!load || id == skip || !CallLoader(load, out, path, info, quiet)) continue;
        *native = id == IMG_LD_KV5 || id == IMG_LD_KV5_TILED;
        if (id == IMG_LD_KV5_TILED && !quiet &&
            ui_MessageBox("This KV5 file is in the old format.\nYou should convert it to the new format.\n\n"
                          "Do you want to convert it now?",
                          "Update KV5 File", UI_YESNO | UI_ICONQUESTION) == UI_IDYES) {
            const Kv5SaveOptions options = img_Kv5OptionsFromSettings(&g_settings);
            kv5_Save(out, path, &options);
        }
        return 1;
    }
    return 0;
}

void InvertAlpha(Surface* s) {
    uint32_t* p = srf_Lock(s);
    if (!p) return;
    for (uint32_t y = 0; y < s->height; y++) {
        uint32_t* row = p + (size_t)y * s->stride;
        for (uint32_t x = 0; x < s->width; x++) row[x] ^= 0xFF000000u;
    }
    srf_Unlock(s);
}

// 1 when a file can be made (and removed again) in the folder of `path`. A test file
// already there is only opened for appending, never emptied or removed.
int FolderWritable(const char* path) {
    char probe[KV_MAX_PATH + 16];
    size_t folder = (size_t)(path_NamePart(path) - path);
    if (folder == 0) std::snprintf(probe, sizeof probe, "test.tmp");
    else if (folder - 1 + sizeof "\\test.tmp" > sizeof probe) return 0;
    else std::snprintf(probe, sizeof probe, "%.*s\\test.tmp", (int)(folder - 1), path);
    if (sio_FileReadable(probe)) {
        std::FILE* f = sio_Open(probe, "ab", SIO_SHARE_READ);
        if (f) std::fclose(f);
        return f != nullptr;
    }
    std::FILE* f = sio_Open(probe, "wb", SIO_SHARE_NONE);
    if (!f) return 0;
    std::fclose(f);
    sio_DeleteFile(probe);
    return 1;
}

// A plug-in writes where it is told, and not every plug-in writes safely: it gets a
// temporary name that keeps the type it goes by, moved over the target only after it
// succeeded, so a failed or interrupted export never costs the previous file.
// `written` tells a plug-in's success that could not take the target's place.
int SaveThroughPlugin(Surface* s, const char* path, int* written) {
    char temp[KV_MAX_PATH + 2];
    *written = 0;
    swr_TypedTempName(path, temp, sizeof temp);
    if (!temp[0]) return refuse_With("path too long");
    int result = plugin_FilterSave(s, temp);
    *written = result != 0;
    if (result && !swr_Replace(temp, path)) result = refuse_With("cannot replace file");
    if (!result) sio_DeleteFile(temp);
    return result;
}

}  // namespace

int img_LoadTableLookup(const char* path) {
    const char* dot = std::strrchr(path_NamePart(path), '.');
    if (!dot) return -1;
    for (const LoadRow& r : LOAD_TABLE)
        if (SameNoCase(dot, r.ext)) return r.loader;
    return IMG_LD_PLUGIN;
}

int img_HasAlpha(Surface* s) {
    uint32_t* p = srf_Lock(s);
    if (!p) return 1;
    int found = 0;
    for (uint32_t y = 0; y < s->height && !found; y++) {
        const uint32_t* row = p + (size_t)y * s->stride;
        for (uint32_t x = 0; x < s->width; x++)
            if (row[x] >> 24) {
                found = 1;
                break;
            }
    }
    srf_Unlock(s);
    return found;
}

void img_DetectAlphaConvention(Surface* s, ImageFileInfo* info) {
    info->hasAlpha = 0;
    info->looksLikeOpacity = 0;
    uint32_t* p = srf_Lock(s);
    if (!p) return;
    // Index 0 the low group (alpha up to 192), 1 the high group.
    uint64_t sum[2] = {0, 0}, count[2] = {0, 0};
    uint32_t prev[2] = {0, 0};
    for (uint32_t y = 0; y < s->height; y++) {
        const uint32_t* row = p + (size_t)y * s->stride;
        for (uint32_t x = 0; x < s->width; x++) {
            uint32_t v = row[x], a = v >> 24;
            if (a) info->hasAlpha = 1;
            int g = a > 192;
            uint32_t q = count[g] ? prev[g] : v;
            for (int shift = 0; shift < 24; shift += 8) {
                int d = (int)((v >> shift) & 255) - (int)((q >> shift) & 255);
                sum[g] += (uint64_t)(d < 0 ? -d : d);
            }
            count[g]++;
            prev[g] = v;
        }
    }
    srf_Unlock(s);
    int result;
    if (!count[1]) result = 0;
    else if (!count[0]) result = 1;
    else result = (double)sum[0] / (double)count[0] < (double)sum[1] / (double)count[1];
    info->looksLikeOpacity = info->hasAlpha ? (uint8_t)result : 0;
}

int img_LoadFile(Surface* out, char* path, ImageFileInfo* info) {
    refuse_Clear();
    ui_WaitCursor(1);
    const uint8_t quiet = info->quiet;
    if (!sio_FileReadable(path)) {
        ui_WaitCursor(0);
        return refuse_With("cannot open file");
    }
    lnk_ResolveIfShortcut(path, KV_MAX_PATH);

    char status[KV_MAX_PATH + 32];
    std::snprintf(status, sizeof status, " Loading File :: %s", path_NamePart(path));
    ui_SetStatus(status);

    int native = 0, loaded = 0;
    const int row = img_LoadTableLookup(path);
    ImgLoader tableLoader = row >= 0 ? LoaderOf(row) : nullptr;
    if (tableLoader && CallLoader(tableLoader, out, path, info, quiet)) {
        loaded = 1;
        native = row == IMG_LD_KV5;
    } else {
        loaded = ProbeChain(out, path, info, quiet, tableLoader ? row : -1, &native);
    }
    if (!loaded) {
        ui_SetStatus(" No Image Data Found.");
        ui_WaitCursor(0);
        return refuse_With("no loader accepted the file");
    }
    refuse_Clear();  // refusals of the readers tried before are no longer news

    img_DetectAlphaConvention(out, info);
    if (native) info->looksLikeOpacity = 0;
    if (info->hasAlpha && g_settings.autoDetectAlpha && info->looksLikeOpacity == 1) InvertAlpha(out);
    ui_SetStatus(" Image Data Loaded.");
    ui_WaitCursor(0);
    return 1;
}

int img_LoadReporting(Surface* target, const char* path) {
    char work[KV_MAX_PATH];
    const int fits = std::strlen(path) < sizeof work;
    std::snprintf(work, sizeof work, "%s", fits ? path : "");
    const int exists = fits && sio_FileReadable(work);

    Surface loaded;
    std::memset(&loaded, 0, sizeof loaded);
    ImageFileInfo info;
    std::memset(&info, 0, sizeof info);
    const int ok = exists && img_LoadFile(&loaded, work, &info);
    if (ok && srf_IsValid(&loaded)) {
        srf_Install(target, &loaded);
        char status[KV_MAX_PATH + 32];
        std::snprintf(status, sizeof status, " Loaded '%s' ", path);
        ui_SetStatus(status);
        return 1;
    }

    ui_SetStatus(" Error :: Image Not Loaded!!");
    char text[512];
    std::snprintf(text, sizeof text, "    The file you specified could not be loaded. %s",
                  !exists ? "IT DOES NOT EXIST."
                  : ok    ? "An internal graphics error occurred. Try restarting Kelvara or closing any "
                            "programs that you are not using."
                          : "It may be damaged or unavailable, you may have cancelled the operation, or "
                            "you need an external plugin to open it.");
    UiPrompt prompt;
    std::memset(&prompt, 0, sizeof prompt);
    prompt.name = IMG_LOADER_ERROR_PROMPT;
    prompt.inText = text;
    ui_Prompt(&prompt);
    if (loaded.created) srf_Destroy(&loaded);
    return 0;
}

Kv5SaveOptions img_Kv5OptionsFromSettings(const SettingsRecord* record) {
    Kv5SaveOptions o{};
    o.level = record->kv5Compression;
    o.author = record->authorTag ? record->userName : nullptr;
    o.askPassword = record->kv5Password ? 1 : 0;
    return o;
}

void img_ReportWriteFailure(const char* path) {
    // The writer's own reason stays; probing the folder must not replace it.
    const char* why = *refuse_Reason() ? refuse_Reason() : "writer failed";
    ui_MessageBox(FolderWritable(path) ? "Unknown rendering error." : "The destination is READ-ONLY.", "Save Error",
                  SAVE_BOX);
    refuse_With(why);
}

int img_SaveFile(Surface* s, const char* path, const Kv5SaveOptions* kv5) {
    refuse_Clear();
    if (std::strcmp(path, "- untitled -") == 0) return refuse_With("untitled");
    ui_WaitCursor(1);
    int result = 0;
    const char* dot = std::strrchr(path, '.');
    char status[KV_MAX_PATH + 32];
    if (!dot) {
        ui_MessageBox("No filename extension. All files should be named\nas something-dot-something, e.g "
                      "'test.bmp'.",
                      "Save Error - No filename extension", SAVE_BOX);
        refuse_With("no extension");
        goto done;
    }
    std::snprintf(status, sizeof status, " Saving '%s' ", path);
    ui_SetStatus(status);
    // A separator after the last dot: the dot belongs to a folder name.
    if (std::strpbrk(dot, "\\/")) {
        ui_MessageBox("Invalid Filename Extension", "Save Error - Bad filename extension", SAVE_BOX);
        refuse_With("bad extension");
        goto done;
    }
    {
        char ext[KV_MAX_PATH];
        size_t n = 0;
        for (; dot[n] && n + 1 < sizeof ext; n++) ext[n] = LowerAscii(dot[n]);
        ext[n] = 0;

        const SaveRow* row = nullptr;
        for (const SaveRow& r : SAVE_TABLE)
            if (std::strcmp(ext, r.ext) == 0) row = &r;
        if (row && !row->writer && !row->kv5) {
            ui_MessageBox("You are trying to save an icon image type.\nPlease use the in-built Icon Creator "
                          "device\ninstead.",
                          "Use Icon Creator", UI_OK | UI_ICONINFORMATION | UI_TASKMODAL);
            refuse_With("icon type");
            goto done;
        }
        int pluginWrote = 0;
        result = !row ? SaveThroughPlugin(s, path, &pluginWrote) : row->kv5 ? kv5_Save(s, path, kv5) : row->writer(s, path);
        if (result) {
            std::snprintf(status, sizeof status, " Saved '%s' ", path);
            ui_SetStatus(status);
        } else if (!row && !pluginWrote && FolderWritable(path) && !plugin_FilterKnows(ext)) {
            // A plug-in that knows the type but could not write (a read-only folder, a
            // full disk) is a failed write, told below.
            char text[KV_MAX_PATH + 320];
            std::snprintf(text, sizeof text,
                          "No internal or installed external image export filter plugin recognizes files of\n"
                          "type \"%s\". Please save the file using another format, e.g. the internal types:\n"
                          ".kv5, .bmp, .dib, .tga, .pcx or .ppm , or .jpg if you have the optional plugin.",
                          ext);
            ui_MessageBox(text, "Save Error - Bad filename extension", SAVE_BOX);
            refuse_With("no writer for extension");
        } else {
            img_ReportWriteFailure(path);
        }
    }
done:
    ui_WaitCursor(0);
    return result;
}
