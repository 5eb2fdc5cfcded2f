// files_win32.cpp — the open/save workflow of the main image (files_win32.h).
#include "app/files_win32.h"

#include <windows.h>
#include <cstdio>
#include <cstring>

#include "app/shell_win32.h"
#include "app/view_win32.h"
#include "app/viewgeom.h"
#include "devices/devices_win32.h"
#include "document/document.h"
#include "document/toolselect.h"
#include "formats/dispatch.h"
#include "formats/filedlg_win32.h"
#include "platform/refusal.h"
#include "platform/shortcut.h"
#include "platform/sysio.h"
#include "platform/ui.h"
#include "settings/settings.h"

void files_AddRecent(const char* path) {
    if (!sio_FileReadable(path)) return;
    char recent[SET_RECENT_COUNT][256];
    std::memcpy(recent, g_settings.recent, sizeof recent);
    if (vg_RecentAdd(recent, path)) set_Recent(recent);
}

int files_ConfirmReplace() {
    if (!doc_HasUnsavedChanges()) return 1;
    int a = ui_MessageBox("Do you wish to save the changes you've made?", "Confirm Save",
                          UI_YESNOCANCEL | UI_ICONQUESTION);
    if (a == UI_IDCANCEL) return 0;
    if (a == UI_IDYES) files_Save();
    return 1;
}

// Loads `path` (already resolved) with the loader's own failure messages.
static int load(const char* path, Surface* loaded) {
    std::memset(loaded, 0, sizeof *loaded);
    return img_LoadReporting(loaded, path);
}

static int adopt_as_sprite(Surface* loaded, const char* path) {
    if (!doc_AdoptSprite(loaded)) {  // selects the rectangle tool
        if (srf_IsValid(loaded)) srf_Destroy(loaded);
        return 0;
    }
    view_ShowImageRect(g_doc.spriteX1, g_doc.spriteY1, g_doc.spriteX2, g_doc.spriteY2);  // a new sprite is seen
    if (g_settings.spritesInRecent) files_AddRecent(path);
    return 1;
}

int files_OpenPath(const char* path) {
    // A shortcut opens its target, and the target is what the document is called.
    char name[KV_MAX_PATH];
    if (std::snprintf(name, sizeof name, "%s", path) >= (int)sizeof name) return 0;
    lnk_ResolveIfShortcut(name, sizeof name);
    Surface loaded;
    if (!load(name, &loaded)) return 0;
    if (img_HasAlpha(&loaded) &&
        ui_MessageBox("This image has some transparent regions. Would you like to load\nit as a sprite?",
                      "Transparency Detected", UI_YESNO | UI_ICONQUESTION) == UI_IDYES)
        return adopt_as_sprite(&loaded, name);
    doc_ReplaceMainImage(&loaded, name, 1);
    files_AddRecent(name);
    return 1;
}

void files_OpenAtStart(const char* path) {
    Surface loaded;
    if (!path[0] || !sio_FileReadable(path) || !load(path, &loaded)) {
        doc_SetFileName(DOC_UNTITLED);
        return;
    }
    doc_ReplaceMainImage(&loaded, path, 1);
    files_AddRecent(path);
}

// The image dialogs hand back up to KV_MAX_PATH - 1 bytes; a path the caller's buffer
// cannot hold is refused rather than cut.
static int ask_file(int save, char* path, size_t cap) {
    char chosen[KV_MAX_PATH] = "";
    const char* current = doc_IsUntitled() ? nullptr : doc_FileName();
    if (!(save ? img_SaveImageDialog(g_shell.main, current, chosen)
               : img_OpenImageDialog(g_shell.main, current, chosen)))
        return 0;
    size_t n = std::strlen(chosen);
    if (n >= cap) {
        ui_MessageBox("The path of the file you chose is too long.", "File Error", UI_OK | UI_ICONWARNING);
        return 0;
    }
    std::memcpy(path, chosen, n + 1);
    return 1;
}

void files_OpenAsk() {
    if (!files_ConfirmReplace()) return;
    char chosen[KV_MAX_PATH] = "";
    if (ask_file(0, chosen, sizeof chosen)) files_OpenPath(chosen);
}

void files_OpenGiven(const char* path) {
    if (files_ConfirmReplace()) files_OpenPath(path);
}

void files_Reload() {
    if (doc_IsUntitled() || !doc_FileName()[0]) return;
    if (doc_HasUnsavedChanges() &&
        ui_MessageBox("Are you sure you want to discard all changes and\nreload the image from file?",
                      "Confirm Discard & Reload", UI_YESNO | UI_ICONQUESTION) != UI_IDYES)
        return;
    char path[KV_MAX_PATH];
    std::snprintf(path, sizeof path, "%s", doc_FileName());
    ui_WaitCursor(1);
    Surface loaded;
    if (load(path, &loaded)) doc_ReplaceMainImage(&loaded, path, 1);
    ui_WaitCursor(0);
}

// The save dispatcher reports its own failures; icon types go on to the Icon Creator,
// for the image and the sprite alike.
static int save_to(Surface* image, const char* path) {
    refuse_Clear();
    const Kv5SaveOptions kv5 = img_Kv5OptionsFromSettings(&g_settings);
    if (img_SaveFile(image, path, &kv5)) return 1;
    return std::strcmp(refuse_Reason(), "icon type") == 0 && CreateIconFile(image, g_shell.main);
}

int files_Save() {
    if (doc_IsUntitled() || !save_to(&g_doc.mainImage, doc_FileName())) return files_SaveAs();
    doc_MarkSaved();
    files_AddRecent(doc_FileName());
    return 1;
}

int files_SaveAs() {
    if (img_HasAlpha(&g_doc.mainImage) &&
        ui_MessageBox("This image has some transparent regions. Would you like to save\nit as a sprite?",
                      "Transparency Detected", UI_YESNO | UI_ICONQUESTION) == UI_IDYES) {
        // Kept as a sprite file: the document keeps its name and its unsaved state.
        char sprite[KV_MAX_PATH] = "";
        return img_SaveSpriteDialog(g_shell.main, sprite) && save_to(&g_doc.mainImage, sprite);
    }
    char path[KV_MAX_PATH] = "";
    if (!ask_file(1, path, sizeof path) || !save_to(&g_doc.mainImage, path)) return 0;
    doc_SetFileName(path);
    doc_MarkSaved();
    files_AddRecent(path);
    return 1;
}

// The sprite there was before stays when loading fails.
void files_SpriteFromFile() {
    char path[KV_MAX_PATH];
    Surface loaded;
    if (img_OpenSpriteDialog(g_shell.main, path) && load(path, &loaded)) adopt_as_sprite(&loaded, path);
}

void files_SpriteToFile() {
    char path[KV_MAX_PATH];
    if (g_doc.spritePresent && img_SaveSpriteDialog(g_shell.main, path)) save_to(&g_doc.sprite, path);
}
