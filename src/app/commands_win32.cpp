// commands_win32.cpp — the command dispatcher of the main window, keyed by the
// menu and accelerator ids, with the menu states and the status-line help texts.
// A command whose subsystem is not part of the program yet stays disabled in the
// menus and does nothing when it arrives some other way.
#include <windows.h>
#include <shellapi.h>
#include <cstdio>
#include <cstring>

#include "app/app_ids.h"
#include "app/dialogs_win32.h"
#include "app/instances.h"
#include "app/mainwnd_win32.h"
#include "app/options_win32.h"
#include "app/paths.h"
#include "app/preview_win32.h"
#include "app/shell_win32.h"
#include "app/sysio.h"
#include "app/title.h"
#include "app/uninstall_win32.h"
#include "app/view_win32.h"
#include "app/viewgeom.h"
#include "document/doc_dialogs_win32.h"
#include "document/document.h"
#include "document/undo.h"
#include "effects/fx_alpha.h"
#include "effects/fx_colour.h"
#include "effects/fx_key.h"
#include "effects/palette.h"
#include "formats/dispatch.h"
#include "formats/filedlg_win32.h"
#include "pixcode/pixcode_window_win32.h"
#include "platform/ui.h"
#include "settings/settings.h"

static const char WEB_PROGRAM[] = "http://www.kelvara.example/";
static const char WEB_MAKER[] = "http://www.orviklab.example/";

struct HelpText {
    int id;
    const char* text;
};
static const HelpText kHelp[] = {
    {40008, " Create a new image"}, {40009, " Open an existing image"},
    {40010, " Save the image to the original file"}, {40011, " Save the image to a new file"},
    {40063, " Loads the automatically saved image"}, {40013, " End Kelvara"},
    {40036, " Undo the changes you have made"}, {40037, " Redo the changes you have made"},
    {40015, " Send to the clipboard"}, {40016, " Copy to the clipboard"},
    {40017, " Paste from clipboard as a sprite"}, {40059, " Paste from clipboard as a new image"},
    {40066, " Get rid of all pastable items"}, {40023, " Open the Tool-Options dialog"},
    {40024, " Open the Text-Art editor dialog"}, {40068, " Open the Pixcode program editor"},
    {40105, " Choose a color from the palette"}, {40089, " Open the internal information notepad"},
    {40061, " Open the image previwer dialog"}, {40058, " Add, remove and configure plugins"},
    {40086, " Set the file types to associate with"}, {40033, " Configure Kelvara"},
    {40088, " Repair Kelvara"}, {40065, " Remove Kelvara"},
    {40093, " Creates an icon from the image"}, {40074, " Take a photograph of the screen"},
    {40216, " Acquire images from your scanner/camera"}, {40227, " Print the image to paper"},
    {40100, " Set the current image as your wallpaper"}, {40097, " Loads an image from a device plugin"},
    {40098, " Sends the image to a device plugin"}, {40014, " About Kelvara"},
    {40160, " View the readme file"}, {40073, " Open the help documentation system"},
    {40034, " Help on the tool you are curently using"},
    {40179, " Benchmark your system to gauge performance"}, {40219, " Visit the website"},
    {40090, " Visit the website"},
};

const char* cmd_HelpText(int id) {
    for (const HelpText& h : kHelp)
        if (h.id == id) return h.text;
    return nullptr;
}

// Commands whose subsystem is not in the program yet.
static const int kNotBuilt[] = {
    CMD_NEW, CMD_PRINT, CMD_SCAN, CMD_RELOAD_AUTOSAVE, CMD_CUT, CMD_COPY, CMD_PASTE_SPRITE,
    CMD_PASTE_NEW, CMD_TOOL_OPTIONS, CMD_COLOR_PALETTE, CMD_TEXTART, CMD_RESIZE_IMAGE,
    CMD_SPRITE_RESIZE, CMD_TR_FLIP, CMD_TR_PERSPECTIVE,
    CMD_TR_SKEW, CMD_TR_STRETCH, CMD_TR_ROTATE, CMD_TR_ROTATE90, CMD_TR_TILE, CMD_FX_COLOR_SHIFT,
    CMD_FX_GAMMA, CMD_FX_CHROMA, CMD_FX_CONTRAST, CMD_FX_BRIGHTNESS, CMD_FX_BLUR, CMD_FX_SHARPEN,
    CMD_FX_EDGE, CMD_FX_POSTERIZE, CMD_FX_EMBOSS, CMD_FX_PIXILATE, CMD_FX_SMOOTHING,
    CMD_FX_DROP_SHADOW, CMD_FX_MASK_FILTER, CMD_FX_AA_SPRITE, CMD_FX_AA_IMAGE, CMD_FX_BILEVEL,
    CMD_FX_REPLACE, CMD_FX_BLUE_NORMAL, CMD_FX_BLUE_EXACT, CMD_FX_ALPHA_CONTRAST, CMD_FX_SET_ALPHA,
    CMD_FX_MATRIX, CMD_ICON_CREATOR,
    CMD_SCREEN_CAPTURE, CMD_WALLPAPER, CMD_IMPORT_PLUGIN, CMD_EXPORT_PLUGIN, CMD_PLUGIN_MANAGER,
    CMD_HEADING,
};

// Commands that need a sprite.
static const int kNeedSprite[] = {CMD_SPRITE_ADD, CMD_SPRITE_ADD_COPY, CMD_SPRITE_DISCARD,
                                  CMD_SPRITE_TO_FILE, CMD_SPRITE_TO_MAIN, CMD_SPRITE_RESIZE,
                                  CMD_SPRITE_FIT, CMD_SPRITE_REDUNDANT, CMD_SPRITE_REBASE};

static int in_list(const int* list, size_t n, int id) {
    for (size_t i = 0; i < n; i++)
        if (list[i] == id) return 1;
    return 0;
}

int cmd_Enabled(int id) {
    if (in_list(kNotBuilt, sizeof kNotBuilt / sizeof *kNotBuilt, id)) return 0;
    if (in_list(kNeedSprite, sizeof kNeedSprite / sizeof *kNeedSprite, id)) return g_doc.spritePresent;
    switch (id) {
    case CMD_UNDO: return undo_UndoCount() > 0;
    case CMD_REDO: return undo_RedoCount() > 0;
    case CMD_ZOOM_OUT: return view_Zoom() > 1;
    case CMD_ZOOM_IN: return view_Zoom() <= 4;
    case CMD_MASK_BEGIN: return !doc_MaskActive();
    case CMD_MASK_END: return doc_MaskActive();
    case CMD_RELOAD: return !ttl_IsUntitled();
    }
    return 1;
}

static const int kRecent[4] = {CMD_RECENT1, CMD_RECENT2, CMD_RECENT3, CMD_RECENT4};

void cmd_InitMenu(HMENU menu) {
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; i++) {
        UINT id = GetMenuItemID(menu, i);
        if (id == (UINT)-1 || id == 0) continue;
        int enabled = cmd_Enabled(id);
        if (id == CMD_UNDO || id == CMD_REDO) {
            char text[64];
            vg_UndoMenuText(id == CMD_REDO, id == CMD_REDO ? undo_RedoCount() : undo_UndoCount(), text, sizeof text);
            ModifyMenuA(menu, i, MF_BYPOSITION | MF_STRING, id, text);
        }
        for (int k = 0; k < 4; k++)
            if ((int)id == kRecent[k]) {
                char text[300];
                enabled = vg_RecentMenuText(g_settings.recent[k], k, text, sizeof text);
                ModifyMenuA(menu, i, MF_BYPOSITION | MF_STRING, id, text);
            }
        EnableMenuItem(menu, i, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    }
}

// ---- help viewer and web pages ----

void cmd_OpenHelp(const char* page) {
    ui_SetStatus(" Connecting to HTML Help...");
    char hh[MAX_PATH], chm[MAX_PATH];
    if (!sio_SearchPath("hh.exe", hh, sizeof hh)) {
        ui_MessageBox("Kelvara could not find \"hh.exe\" - ( HTML Help )", "File not found!!", UI_OK | UI_ICONERROR);
        return;
    }
    if (!sio_SearchPath("Kelvara.chm", chm, sizeof chm)) {
        ui_MessageBox("Kelvara could not find \"Kelvara.chm\"", "File not found!!", UI_OK | UI_ICONERROR);
        return;
    }
    char args[2 * MAX_PATH + 64];
    std::snprintf(args, sizeof args, "\"%s::/%s\"", chm, page);
    if ((INT_PTR)ShellExecuteA(g_shell.main, "open", hh, args, nullptr, SW_SHOWNORMAL) <= 32) {
        ui_SetStatus(" Error :: Can't run \"hh.exe\"");
        ui_MessageBox("Kelvara could not run the HTML Help executable.", "HTML Help Error!!", UI_OK | UI_ICONERROR);
    }
}

static void open_web(const char* address) {
    char s[300];
    std::snprintf(s, sizeof s, " Connecting to \"%s\" ...", address);
    ui_SetStatus(s);
    int ok = (INT_PTR)ShellExecuteA(g_shell.main, "open", address, nullptr, nullptr, SW_SHOWNORMAL) > 32;
    ui_SetStatus(ok ? " Browser connection completed." : " Browser connection failed.");
}

static void open_readme() {
    ui_SetStatus(" Connecting...");
    char path[MAX_PATH];
    if (sio_SearchPath("ReadMe.txt", path, sizeof path) &&
        (INT_PTR)ShellExecuteA(g_shell.main, "open", path, nullptr, nullptr, SW_SHOWNORMAL) > 32) {
        ui_SetStatus(" Done.");
        return;
    }
    ui_SetStatus(" Failed.");
    ui_MessageBox("Kelvara could not load 'ReadMe.txt'", "File not found!!", UI_OK | UI_ICONERROR);
}

static const char* const kToolPages[36] = {
    "tool_pencil.htm", "tool_calig.htm", "tool_line.htm", "tool_curve.htm", "tool_brush.htm",
    "tool_shad.htm", "tool_spray.htm", "tool_rough.htm", "tool_fill.htm", "tool_fill2.htm",
    "tool_smooth.htm", "tool_dirsmth.htm", "tool_ruler.htm", "tool_lens.htm", "tool_selrect.htm",
    "tool_selcirc.htm", "tool_selirre.htm", "tool_selcurv.htm", nullptr, "tool_text.htm",
    "tool_rect.htm", "tool_circ.htm", "tool_gradrect.htm", "tool_gradcirc.htm", "tool_gradangl.htm",
    "tool_gradfree.htm", "tool_tintrect.htm", "tool_tintcirc.htm", "tool_tintangl.htm",
    "tool_tintfree.htm", "tool_sparkle.htm", "tool_pick.htm", "tool_trifan.htm", "tool_tristrp.htm",
    "tool_eraser.htm", "tool_opaquer.htm"};

// ---- document commands ----

static void image_changed_whole() {
    undo_Record(&g_doc.mainImage, 0, 0, 0, 0, 1);
}

static void repaint_after(int changedMain) {
    ViewRefresh(1);
    ViewUpdateScrollBars(0);
    view_FullRepaint();
    (void)changedMain;
}

// Effects that run at once on the chosen target. Returns the target the effect
// changed, or -1 (cancelled or failed). `busyText` goes to the status line first.
static int direct_effect(HWND w, int (*effect)(Surface*), int askTarget, const char* busyText = nullptr) {
    int target = askTarget ? SelectTarget(w) : (g_doc.spritePresent ? DOC_TARGET_SPRITE : DOC_TARGET_MAIN);
    if (target < 0) return -1;
    Surface* s = doc_TargetSurface(target);
    if (!s) return -1;
    if (busyText) ui_SetStatus(busyText);
    ui_WaitCursor(1);
    int ok = effect(s);
    ui_WaitCursor(0);
    if (ok && target == DOC_TARGET_MAIN) image_changed_whole();
    repaint_after(target == DOC_TARGET_MAIN);
    return ok ? target : -1;
}

static int white_base(Surface* s) { return fx_KeyBasal(s, 1); }
static int black_base(Surface* s) { return fx_KeyBasal(s, 0); }

// A 256-colour result is only kept by saving it before anything adds colours again.
static void smart_dither(HWND w) {
    int target = direct_effect(w, pal_SmartDither, 1, "Smart-dithering to 256 colors...");
    if (target < 0) return;
    ui_SetStatus("Smart-dither process complete");
    if (ui_MessageBox("  To make sure you don't lose the\nbenefit of smart-dithering due to\nthe number of colors "
                      "going beyond\n256, you should save immediately.\n\nSave Now?",
                      "Save In 256 Colors", UI_YESNO | UI_ICONINFORMATION) == UI_IDYES)
        SendMessageA(w, WM_COMMAND, target == DOC_TARGET_MAIN ? CMD_SAVE_AS : CMD_SPRITE_TO_FILE, 0);
}

static void run_pixcode(HWND w) {
    int target = SelectTarget(w);
    if (target < 0) return;
    Surface* s = doc_TargetSurface(target);
    if (s && pix_RunCommand(s) && target == DOC_TARGET_MAIN) image_changed_whole();
    repaint_after(target == DOC_TARGET_MAIN);
}

static int save_main_for_document() { return mw_Save(); }

static void reload_current() {
    if (ttl_IsUntitled()) return;
    if (!g_doc.noUnsavedChanges &&
        ui_MessageBox("Are you sure you want to discard all changes and\nreload the image from file?",
                      "Confirm Discard & Reload", UI_YESNO | UI_ICONQUESTION) != UI_IDYES)
        return;
    int unsavedBefore = g_doc.noUnsavedChanges;
    g_doc.noUnsavedChanges = 1;  // the question was asked already
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%s", ttl_FileName());
    if (!mw_OpenPath(path)) g_doc.noUnsavedChanges = (uint8_t)unsavedBefore;
}

static void undo_redo(int redo) {
    ui_WaitCursor(1);
    int done = redo ? undo_Redo(&g_doc.mainImage) : undo_Undo(&g_doc.mainImage);
    if (done) repaint_after(1);
    ui_WaitCursor(0);
}

static void open_recent(HWND w, int slot) {
    if (std::strlen(g_settings.recent[slot]) < 3) return;
    char path[256];
    std::memcpy(path, g_settings.recent[slot], sizeof path);
    SendMessageA(w, WM_OPEN_IMAGE, 0, (LPARAM)path);
}

static void open_another() {
    ShellExecuteA(nullptr, "open", path_ProgramFile(), nullptr, nullptr, SW_SHOWNORMAL);
}

static void clear_clipboard(HWND w) {
    if (OpenClipboard(w)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

static void reinstall(HWND w) {
    if (ui_MessageBox("Do you want to install/re-install this copy\nof Kelvara 1.80?\n", "Install/Reinstall Kelvara 1.80",
                      UI_YESNO | UI_ICONQUESTION) != UI_IDYES)
        return;
    dlg_CreateSplash(g_shell.instance);
    splash_Show("Installing...");
    int ok = InstallSetup(w);
    dlg_DestroySplash();
    if (!ok)
        ui_MessageBox("Reinstallation failed. Close all running copies\nof Kelvara then retry.", "Setup Error!!",
                      UI_OK | UI_ICONERROR);
    view_FullRepaint();
}

static void uninstall_now() {
    dlg_CreateSplash(g_shell.instance);
    splash_Show("Uninstalling...");
    int done = SelfUninstall(0);
    dlg_DestroySplash();
    if (done == UNINST_DONE) {
        // The erase copy waits for this process to end; the settings file it just
        // removed must not be written back by the usual shutdown.
        UnregisterInstance();
        ExitProcess(0);
    }
    ui_MessageBox("Uninstallation was cancelled.", "Uninstaller", UI_OK | UI_ICONINFORMATION);
    view_FullRepaint();
}

// A file opened as the sprite. The loader reports its own failure, and the sprite
// there was before stays when loading fails.
static void sprite_from_file() {
    char path[512];
    if (!img_OpenSpriteDialog(path)) return;
    Surface loaded;
    std::memset(&loaded, 0, sizeof loaded);
    if (!img_LoadReporting(&loaded, path)) return;
    const uint8_t toolBefore = g_settings.currentTool;
    if (!doc_AdoptSprite(&loaded)) {  // it selects the rectangle tool
        if (srf_IsValid(&loaded)) srf_Destroy(&loaded);
        return;
    }
    if (toolBefore != g_settings.currentTool) g_settings.previousTool = toolBefore;
    if (g_settings.spritesInRecent) mw_AddRecent(path);
    repaint_after(0);
}

// The sprite saved through the sprite save dialog; the save dispatcher reports failures.
static void sprite_to_file() {
    char path[512];
    if (!g_doc.spritePresent || !img_SaveSpriteDialog(path)) return;
    img_SaveFile(&g_doc.sprite, path);
}

static void sprite_command(int (*op)()) {
    if (g_doc.spritePresent && op()) repaint_after(0);
}

void cmd_Dispatch(HWND w, int id) {
    if (!cmd_Enabled(id) && id != CMD_ZOOM_IN && id != CMD_ZOOM_OUT) return;
    switch (id) {
    case CMD_OPEN: SendMessageA(w, WM_OPEN_IMAGE, 1, 0); break;
    case CMD_SAVE: mw_Save(); break;
    case CMD_SAVE_AS: mw_SaveAs(); break;
    case CMD_OPEN_ANOTHER: open_another(); break;
    case CMD_RECENT1: open_recent(w, 0); break;
    case CMD_RECENT2: open_recent(w, 1); break;
    case CMD_RECENT3: open_recent(w, 2); break;
    case CMD_RECENT4: open_recent(w, 3); break;
    case CMD_RELOAD: reload_current(); break;
    case CMD_EXIT: SendMessageA(w, WM_CLOSE, 0, 0); break;
    case CMD_UNDO: undo_redo(0); break;  // the step reports itself on the status line
    case CMD_REDO: undo_redo(1); break;
    case CMD_CLEAR_CLIPBOARD: clear_clipboard(w); break;
    case CMD_ZOOM_IN: ViewZoom(1); break;
    case CMD_ZOOM_OUT: ViewZoom(2); break;
    case CMD_ZOOM_RESET: ViewZoom(0); break;
    case CMD_CENTER: ViewUpdateScrollBars(1); view_FullRepaint(); break;
    case CMD_CODE_EDITOR: pix_EditProgram(w, nullptr); break;
    case CMD_NOTEPAD: dlg_OpenNotepad(w); break;
    case CMD_PREVIEW: OpenPreview(w); break;
    case CMD_TO_SPRITE: if (doc_BringToTopAsSprite()) repaint_after(1); break;
    case CMD_REMOVE_TRANSPARENCY: if (doc_RemoveTransparency()) repaint_after(1); break;
    case CMD_IMAGE_FIT: if (doccmd_FitImage(w)) repaint_after(1); break;
    case CMD_IMAGE_REDUNDANT: if (doc_RemoveRedundantInfo(DOC_TARGET_MAIN)) repaint_after(1); break;
    case CMD_IMAGE_REBASE: if (doc_RebaseTransparentPoint(DOC_TARGET_MAIN)) repaint_after(1); break;
    case CMD_PROPERTIES: dlg_Properties(w); break;
    case CMD_MASK_BEGIN: if (doc_MaskBegin()) repaint_after(0); break;
    case CMD_MASK_END: if (doc_MaskEndAndFloat()) repaint_after(0); break;
    case CMD_MASK_HELP: doc_MaskQuickHelp(); break;
    case CMD_SPRITE_TO_MAIN:
        if (g_doc.spritePresent && doc_SendToBottomAsMainImage(save_main_for_document)) {
            undo_Reset(&g_doc.mainImage);
            repaint_after(1);
            ViewUpdateScrollBars(1);
        }
        break;
    case CMD_SPRITE_FROM_FILE: sprite_from_file(); break;
    case CMD_SPRITE_TO_FILE: sprite_to_file(); break;
    case CMD_SPRITE_ADD: sprite_command(doc_AddToImage); break;
    case CMD_SPRITE_ADD_COPY: sprite_command(doc_AddCopyToImage); break;
    case CMD_SPRITE_DISCARD: sprite_command(doc_Discard); break;
    case CMD_SPRITE_FIT: if (doccmd_FitSprite(w)) repaint_after(0); break;
    case CMD_SPRITE_REDUNDANT: if (doc_RemoveRedundantInfo(DOC_TARGET_SPRITE)) repaint_after(0); break;
    case CMD_SPRITE_REBASE: if (doc_RebaseTransparentPoint(DOC_TARGET_SPRITE)) repaint_after(0); break;
    case CMD_FX_REMOVE_COLOR: direct_effect(w, fx_Greyscale, 1); break;
    case CMD_FX_NEGATIVE: direct_effect(w, fx_Negative, 1); break;
    case CMD_FX_INVERT_ALPHA: direct_effect(w, fx_InvertAlpha, 1); break;
    case CMD_FX_ENHANCE: direct_effect(w, fx_SyntheticEnhance, 0); break;
    case CMD_FX_WHITE_BASE: direct_effect(w, white_base, 1); break;
    case CMD_FX_BLACK_BASE: direct_effect(w, black_base, 1); break;
    case CMD_FX_DITHER: smart_dither(w); break;
    case CMD_FX_PIXCODE: run_pixcode(w); break;
    case CMD_OPTIONS: if (RunOptionsDialog(w)) view_FullRepaint(); break;
    case CMD_ASSOCIATIONS: RunAssociationsDialog(w); break;
    case CMD_REINSTALL: reinstall(w); break;
    case CMD_UNINSTALL: uninstall_now(); break;
    case CMD_ABOUT: dlg_About(w); break;
    case CMD_SYSINFO: dlg_SystemInfo(w); break;
    case CMD_HELP_CONTENTS: cmd_OpenHelp("index.htm"); break;
    case CMD_TUTORIAL: cmd_OpenHelp("tutorial.htm"); break;
    case CMD_TOOL_HELP:
        if (g_settings.currentTool < 36 && kToolPages[g_settings.currentTool])
            cmd_OpenHelp(kToolPages[g_settings.currentTool]);
        break;
    case CMD_HELP_EFFECTS: cmd_OpenHelp("effects.htm"); break;
    case CMD_HELP_SPRITES: cmd_OpenHelp("translucency.htm"); break;
    case CMD_HELP_TIPS: cmd_OpenHelp("tipstricks.htm"); break;
    case CMD_HELP_PIXCODE: cmd_OpenHelp("programming.htm"); break;
    case CMD_HELP_LEGAL: cmd_OpenHelp("legal.htm"); break;
    case CMD_README: open_readme(); break;
    case CMD_WEB_PROGRAM: open_web(WEB_PROGRAM); break;
    case CMD_WEB_MAKER: open_web(WEB_MAKER); break;
    }
}
