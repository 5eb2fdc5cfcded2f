// commands_win32.cpp — the command table: one row per menu and accelerator command
// with its status-line help, flags, enabling rule and the function that runs it.
// Document operations repaint through the document's own notification; the
// functions here only ask the user and call them.
#include "app/commands.h"

#include <windows.h>
#include <shellapi.h>
#include <cstdio>
#include <cstring>

#include "app/app_ids.h"
#include "app/dialogs_win32.h"
#include "app/files_win32.h"
#include "app/instances.h"
#include "app/options_win32.h"
#include "app/preview_win32.h"
#include "app/recovery_win32.h"
#include "app/shell_win32.h"
#include "app/uninstall_win32.h"
#include "app/view_win32.h"
#include "app/viewgeom.h"
#include "devices/clipboard_win32.h"
#include "devices/devices_win32.h"
#include "devices/plugins_win32.h"
#include "devices/print_win32.h"
#include "devices/scanner_win32.h"
#include "document/doc_dialogs_win32.h"
#include "document/document.h"
#include "document/tools.h"
#include "document/toolselect.h"
#include "document/undo.h"
#include "panels/colours.h"
#include "panels/fxdialog_win32.h"
#include "panels/sizedlg_win32.h"
#include "panels/sizerules.h"
#include "panels/textart_win32.h"
#include "panels/palette_win32.h"
#include "panels/toolsettings_win32.h"
#include "effects/catalogue.h"
#include "effects/fx_filter.h"
#include "effects/palette.h"
#include "effects/transform.h"
#include "pixcode/pixcode_window_win32.h"
#include "platform/helpviewer.h"
#include "platform/paths.h"
#include "platform/sysio.h"
#include "platform/ui.h"
#include "settings/settings.h"

static const char WEB_PROGRAM[] = "http://www.kelvara.example/";
static const char WEB_MAKER[] = "http://www.orviklab.example/";

// ---- help viewer and web pages ----

static void open_web(const char* address) {
    char s[300];
    std::snprintf(s, sizeof s, " Connecting to \"%s\" ...", address);
    ui_SetStatus(s);
    int ok = (INT_PTR)ShellExecuteA(g_shell.main, "open", address, nullptr, nullptr, SW_SHOWNORMAL) > 32;
    ui_SetStatus(ok ? " Browser connection completed." : " Browser connection failed.");
}

static void open_readme() {
    ui_SetStatus(" Connecting...");
    char path[KV_MAX_PATH];
    if (sio_SearchPath("ReadMe.txt", path, sizeof path) &&
        (INT_PTR)ShellExecuteA(g_shell.main, "open", path, nullptr, nullptr, SW_SHOWNORMAL) > 32) {
        ui_SetStatus(" Done.");
        return;
    }
    ui_SetStatus(" Failed.");
    ui_MessageBox("Kelvara could not load 'ReadMe.txt'", "File not found!!", UI_OK | UI_ICONERROR);
}

// ---- commands that need more than one call ----

static HWND main_window() { return g_shell.main; }

// Changes a target at once: the chosen one (or, without asking, the sprite when there
// is one), through the document. Returns the target changed, or -1 (cancelled or
// failed). `busyText` goes to the status line first.
template <class F>
static int change_now(int askTarget, const char* busyText, F&& change) {
    int target = askTarget ? SelectTarget(main_window())
                           : (g_doc.spritePresent ? DOC_TARGET_SPRITE : DOC_TARGET_MAIN);
    if (target < 0) return -1;
    if (busyText) ui_SetStatus(busyText);
    ui_WaitCursor(1);
    int ok = doc_ChangeTargetWith(target, change);
    ui_WaitCursor(0);
    return ok ? target : -1;
}

// An effect of the Effects menu, as its row in the effect table says it runs.
static void effect_command(uint32_t code) {
    const EffectInfo* fx = cat_Effect(code);
    if (!fx) return;
    if (fx->run == CAT_RUN_DIALOG) {
        RunEffect(main_window(), g_shell.view, code);
        return;
    }
    change_now(fx->run == CAT_RUN_DIRECT, nullptr, [code](Surface* s) {
        return cat_ApplyEffect(s, code, FX_DEFAULTS, g_settings.colour1, g_settings.colour2);
    });
}

// A 256-colour result is only kept by saving it before anything adds colours again.
static void smart_dither() {
    int target = change_now(1, "Smart-dithering to 256 colors...", pal_SmartDither);
    if (target < 0) return;
    ui_SetStatus("Smart-dither process complete");
    if (ui_MessageBox("  To make sure you don't lose the\nbenefit of smart-dithering due to\nthe number of colors "
                      "going beyond\n256, you should save immediately.\n\nSave Now?",
                      "Save In 256 Colors", UI_YESNO | UI_ICONINFORMATION) == UI_IDYES) {
        if (target == DOC_TARGET_MAIN) files_SaveAs();
        else files_SpriteToFile();
    }
}

// ---- clipboard ----

static Surface* clipboard_source() { return g_doc.spritePresent ? &g_doc.sprite : &g_doc.mainImage; }

static void cut_to_clipboard() {
    ClipboardCopy(clipboard_source(), main_window());
    if (g_doc.spritePresent) doc_Discard();
}

// 1 pasted into `made`; 0 nothing to paste; a picture that cannot be read is said so.
static int paste_into(Surface* made) {
    int r = ClipboardPaste(made, main_window());
    if (r < 0)
        ui_MessageBox("The picture on the clipboard cannot be read.", "Paste", UI_OK | UI_ICONWARNING);
    return r == 1;
}

static void paste_as_sprite() {
    Surface made{};
    if (paste_into(&made) && doc_AdoptSprite(&made))
        view_ShowImageRect(g_doc.spriteX1, g_doc.spriteY1, g_doc.spriteX2, g_doc.spriteY2);
}

static void paste_as_image() {
    if (!files_ConfirmReplace()) return;
    Surface made{};
    if (paste_into(&made)) doc_ReplaceMainImage(&made, nullptr, 0);
}

// ---- built-in devices ----

static void icon_creator() {
    int target = SelectTarget(main_window());
    if (target >= 0) CreateIconFile(doc_TargetSurface(target), main_window());
}

// Device plug-ins: an image into the sprite, or the sprite (else the image) out.
static void import_from_device() {
    Surface got{};
    if (plugin_ImportFromDevice(&got, main_window()) && doc_AdoptSprite(&got))
        view_ShowImageRect(g_doc.spriteX1, g_doc.spriteY1, g_doc.spriteX2, g_doc.spriteY2);
}

static void export_to_device() { plugin_ExportToDevice(clipboard_source(), main_window()); }

static void scan_image() {
    if (!files_ConfirmReplace()) return;
    Surface scanned{};
    if (AcquireFromScanner(main_window(), &scanned)) doc_ReplaceMainImage(&scanned, nullptr, 0);
}

static void screen_capture() {
    if (!files_ConfirmReplace()) return;
    Surface shot{};
    if (CaptureScreen(&shot, main_window())) doc_ReplaceMainImage(&shot, nullptr, 0);
}

static uint32_t packed_size(Surface* s) { return srf_Refresh(s) ? sizer_Pack(s->width, s->height) : 0; }

static void new_image() {
    if (!files_ConfirmReplace()) return;
    int w, h;
    sizer_Unpack(AskPictureSize(main_window(), packed_size(&g_doc.mainImage)), &w, &h);
    if (w && h) doc_NewImage(w, h);
}

static void resize_target(int target) {
    doc_ChangeTargetWith(target, [](Surface* s) { return AskResize(main_window(), s); });
}

static void tile_target() {
    int target = SelectTarget(main_window());
    if (target < 0) return;
    if (target == DOC_TARGET_MAIN &&
        ui_MessageBox("This action cannot be undone.\nWould you like to continue anyway?", "Continue Without Undo?",
                      UI_YESNO | UI_ICONQUESTION) != UI_IDYES)
        return;
    int w, h;
    sizer_Unpack(AskPictureSize(main_window(), packed_size(doc_TargetSurface(target))), &w, &h);
    if (!w || !h) return;
    ui_WaitCursor(1);
    doc_ChangeTargetWith(target, [w, h](Surface* s) { return tf_Tile(s, w, h); });
    ui_WaitCursor(0);
}

static void matrix_effect() {
    int32_t weights[9];
    if (!RunMatrixDialog(main_window(), weights)) return;
    change_now(1, nullptr, [&weights](Surface* s) { return fx_Convolve(s, weights, 3, 0xF) == 1; });
}

static void run_pixcode() {
    int target = SelectTarget(main_window());
    if (target >= 0) doc_ChangeTargetWith(target, pix_RunCommand);
}

static void undo_redo(int redo) {
    ui_WaitCursor(1);
    redo ? doc_Redo() : doc_Undo();
    ui_WaitCursor(0);
}

static void open_recent(int slot) {
    if (std::strlen(g_settings.recent[slot]) < 3) return;
    char path[sizeof g_settings.recent[slot]];
    std::memcpy(path, g_settings.recent[slot], sizeof path);
    files_OpenGiven(path);
}

static void clear_clipboard() {
    if (OpenClipboard(main_window())) {
        EmptyClipboard();
        CloseClipboard();
    }
}

static void reinstall() {
    if (ui_MessageBox("Do you want to install/re-install this copy\nof Kelvara 1.80?\n", "Install/Reinstall Kelvara 1.80",
                      UI_YESNO | UI_ICONQUESTION) != UI_IDYES)
        return;
    dlg_CreateSplash(g_shell.instance);
    splash_Show("Installing...");
    int ok = InstallSetup(main_window());
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

static void send_sprite_to_bottom() { doc_SendToBottomAsMainImage(files_Save); }

// Colour #1 from the two-click palette.
static void choose_colour() {
    long c = ChooseColour(g_shell.main, g_settings.colour1);
    if (c < 0) return;
    set_Colour(1, (uint32_t)c);
}

static void tool_help() {
    const ToolInfo* info = tool_Info(tool_Current());
    if (info && info->helpPage) help_OpenPage(info->helpPage);
}

// ---- enabling rules ----

static int clipboard_has_bitmap() { return IsClipboardFormatAvailable(CF_DIB) ? 1 : 0; }
static int can_undo() { return undo_UndoCount() > 0; }
static int can_redo() { return undo_RedoCount() > 0; }
static int can_zoom_out() { return vg_NextZoom(view_ZoomFactor(), 2) != view_ZoomFactor(); }
static int can_zoom_in() { return view_ZoomFactor() <= 4; }
static int mask_inactive() { return !doc_MaskActive(); }
static int has_file() { return !doc_IsUntitled() && doc_FileName()[0]; }

// ---- the table ----

#define RUN(...) [] { __VA_ARGS__; }
static const unsigned SP = CMDF_NEEDS_SPRITE, FX = CMDF_EFFECT, TF = CMDF_TRANSFORM;

static const CommandRow kCommands[] = {
    // File
    {CMD_NEW, " Create a new image", 0, new_image, nullptr},
    {CMD_OPEN, " Open an existing image", 0, files_OpenAsk, nullptr},
    {CMD_SAVE, " Save the image to the original file", 0, RUN(files_Save()), nullptr},
    {CMD_SAVE_AS, " Save the image to a new file", 0, RUN(files_SaveAs()), nullptr},
    {CMD_PRINT, " Print the image to paper", 0, RUN(ShowPrintDialog(&g_doc.mainImage, main_window())), nullptr},
    {CMD_SCAN, " Acquire images from your scanner/camera", 0, scan_image, nullptr},
    {CMD_OPEN_ANOTHER, nullptr, 0,
     RUN(ShellExecuteA(nullptr, "open", path_ProgramFile(), nullptr, nullptr, SW_SHOWNORMAL)), nullptr},
    {CMD_RECENT1, nullptr, 0, RUN(open_recent(0)), nullptr},
    {CMD_RECENT2, nullptr, 0, RUN(open_recent(1)), nullptr},
    {CMD_RECENT3, nullptr, 0, RUN(open_recent(2)), nullptr},
    {CMD_RECENT4, nullptr, 0, RUN(open_recent(3)), nullptr},
    {CMD_RELOAD, nullptr, 0, files_Reload, has_file},
    {CMD_RELOAD_AUTOSAVE, " Loads the automatically saved image", 0, rec_ReloadCommand, nullptr},
    {CMD_EXIT, " End Kelvara", 0, RUN(SendMessageA(g_shell.main, WM_CLOSE, 0, 0)), nullptr},
    // Edit
    {CMD_UNDO, " Undo the changes you have made", 0, RUN(undo_redo(0)), can_undo},
    {CMD_REDO, " Redo the changes you have made", 0, RUN(undo_redo(1)), can_redo},
    {CMD_CUT, " Send to the clipboard", 0, cut_to_clipboard, nullptr},
    {CMD_COPY, " Copy to the clipboard", 0, RUN(ClipboardCopy(clipboard_source(), main_window())), nullptr},
    {CMD_PASTE_SPRITE, " Paste from clipboard as a sprite", 0, paste_as_sprite, clipboard_has_bitmap},
    {CMD_PASTE_NEW, " Paste from clipboard as a new image", 0, paste_as_image, clipboard_has_bitmap},
    {CMD_CLEAR_CLIPBOARD, " Get rid of all pastable items", 0, clear_clipboard, nullptr},
    // View
    {CMD_ZOOM_IN, nullptr, CMDF_KEYS_RUN, RUN(ViewZoom(1)), can_zoom_in},
    {CMD_ZOOM_OUT, nullptr, CMDF_KEYS_RUN, RUN(ViewZoom(2)), can_zoom_out},
    {CMD_ZOOM_RESET, nullptr, 0, RUN(ViewZoom(0)), nullptr},
    {CMD_ZOOM_FIT, " Show the whole image in the window", 0, view_FitInWindow, nullptr},
    {CMD_CENTER, nullptr, 0, RUN(ViewUpdateScrollBars(1); view_FullRepaint()), nullptr},
    {CMD_TOOL_OPTIONS, " Open the Tool-Options dialog", 0, RUN(toolsettings_Open(g_shell.main, g_shell.view)), nullptr},
    {CMD_COLOR_PALETTE, " Choose a color from the palette", 0, choose_colour, nullptr},
    {CMD_CODE_EDITOR, " Open the Pixcode program editor", 0, RUN(pix_EditProgram(g_shell.main, nullptr)), nullptr},
    {CMD_TEXTART, " Open the Text-Art editor dialog", 0, RUN(textart_Open(g_shell.main)), nullptr},
    {CMD_NOTEPAD, " Open the internal information notepad", 0, RUN(dlg_OpenNotepad(g_shell.main)), nullptr},
    {CMD_PREVIEW, " Open the image previwer dialog", 0, RUN(OpenPreview(g_shell.main)), nullptr},
    // Image
    {CMD_RESIZE_IMAGE, nullptr, 0, RUN(resize_target(DOC_TARGET_MAIN)), nullptr},
    {CMD_TO_SPRITE, nullptr, 0, RUN(doc_BringToTopAsSprite()), nullptr},
    {CMD_REMOVE_TRANSPARENCY, nullptr, 0, RUN(doc_RemoveTransparency()), nullptr},
    {CMD_IMAGE_FIT, nullptr, 0, RUN(doccmd_FitImage(g_shell.main)), nullptr},
    {CMD_IMAGE_REDUNDANT, nullptr, 0, RUN(doc_RemoveRedundantInfo(DOC_TARGET_MAIN)), nullptr},
    {CMD_IMAGE_REBASE, nullptr, 0, RUN(doc_RebaseTransparentPoint(DOC_TARGET_MAIN)), nullptr},
    {CMD_PROPERTIES, nullptr, 0, RUN(dlg_Properties(g_shell.main)), nullptr},
    // Sprite
    {CMD_SPRITE_FROM_FILE, nullptr, 0, files_SpriteFromFile, nullptr},
    {CMD_MASK_BEGIN, nullptr, 0, RUN(doc_MaskBegin()), mask_inactive},
    {CMD_MASK_END, nullptr, 0, RUN(doc_MaskEndAndFloat()), doc_MaskActive},
    {CMD_MASK_HELP, nullptr, 0, doc_MaskQuickHelp, nullptr},
    {CMD_SPRITE_TO_FILE, nullptr, SP, files_SpriteToFile, nullptr},
    {CMD_SPRITE_TO_MAIN, nullptr, SP, send_sprite_to_bottom, nullptr},
    {CMD_SPRITE_ADD, nullptr, SP, RUN(doc_AddToImage()), nullptr},
    {CMD_SPRITE_ADD_COPY, nullptr, SP, RUN(doc_AddCopyToImage()), nullptr},
    {CMD_SPRITE_DISCARD, nullptr, SP, RUN(doc_Discard()), nullptr},
    {CMD_SPRITE_RESIZE, nullptr, SP, RUN(resize_target(DOC_TARGET_SPRITE)), nullptr},
    {CMD_SPRITE_FIT, nullptr, SP, RUN(doccmd_FitSprite(g_shell.main)), nullptr},
    {CMD_SPRITE_REDUNDANT, nullptr, SP, RUN(doc_RemoveRedundantInfo(DOC_TARGET_SPRITE)), nullptr},
    {CMD_SPRITE_REBASE, nullptr, SP, RUN(doc_RebaseTransparentPoint(DOC_TARGET_SPRITE)), nullptr},
    // Transforms
    {CMD_TR_FLIP, nullptr, TF, nullptr, nullptr, TFC_FLIP},
    {CMD_TR_PERSPECTIVE, nullptr, TF, nullptr, nullptr, TFC_PERSPECTIVE},
    {CMD_TR_SKEW, nullptr, TF, nullptr, nullptr, TFC_SKEW},
    {CMD_TR_STRETCH, nullptr, TF, nullptr, nullptr, TFC_STRETCH},
    {CMD_TR_ROTATE, nullptr, TF, nullptr, nullptr, TFC_ROTATE},
    {CMD_TR_ROTATE90, nullptr, TF, nullptr, nullptr, TFC_ROTATE90},
    {CMD_TR_TILE, nullptr, 0, tile_target, nullptr},
    // Effects: the effect table says how each runs
    {CMD_FX_COLOR_SHIFT, nullptr, FX, nullptr, nullptr, FXC_COLOR_SHIFT},
    {CMD_FX_GAMMA, nullptr, FX, nullptr, nullptr, FXC_GAMMA},
    {CMD_FX_CHROMA, nullptr, FX, nullptr, nullptr, FXC_CHROMA},
    {CMD_FX_CONTRAST, nullptr, FX, nullptr, nullptr, FXC_CONTRAST},
    {CMD_FX_BRIGHTNESS, nullptr, FX, nullptr, nullptr, FXC_BRIGHTNESS},
    {CMD_FX_BLUR, nullptr, FX, nullptr, nullptr, FXC_BLUR},
    {CMD_FX_SHARPEN, nullptr, FX, nullptr, nullptr, FXC_SHARPEN},
    {CMD_FX_EDGE, nullptr, FX, nullptr, nullptr, FXC_EDGE},
    {CMD_FX_POSTERIZE, nullptr, FX, nullptr, nullptr, FXC_POSTERIZE},
    {CMD_FX_EMBOSS, nullptr, FX, nullptr, nullptr, FXC_EMBOSS},
    {CMD_FX_PIXILATE, nullptr, FX, nullptr, nullptr, FXC_PIXELATE},
    {CMD_FX_SMOOTHING, nullptr, FX, nullptr, nullptr, FXC_SMOOTHING},
    {CMD_FX_DROP_SHADOW, nullptr, FX, nullptr, nullptr, FXC_DROP_SHADOW},
    {CMD_FX_MASK_FILTER, nullptr, FX, nullptr, nullptr, FXC_COLOR_FILTER},
    {CMD_FX_AA_SPRITE, nullptr, FX, nullptr, nullptr, FXC_AA_EDGES},
    {CMD_FX_AA_IMAGE, nullptr, FX, nullptr, nullptr, FXC_AA_IMAGE},
    {CMD_FX_BILEVEL, nullptr, FX, nullptr, nullptr, FXC_BILEVEL},
    {CMD_FX_REPLACE, nullptr, FX, nullptr, nullptr, FXC_REPLACE},
    {CMD_FX_BLUE_NORMAL, nullptr, FX, nullptr, nullptr, FXC_KEY_NORMAL},
    {CMD_FX_BLUE_EXACT, nullptr, FX, nullptr, nullptr, FXC_KEY_EXACT},
    {CMD_FX_ALPHA_CONTRAST, nullptr, FX, nullptr, nullptr, FXC_ALPHA_CONTRAST},
    {CMD_FX_SET_ALPHA, nullptr, FX, nullptr, nullptr, FXC_SET_ALPHA},
    {CMD_FX_REMOVE_COLOR, nullptr, FX, nullptr, nullptr, FXC_GREYSCALE},
    {CMD_FX_NEGATIVE, nullptr, FX, nullptr, nullptr, FXC_NEGATIVE},
    {CMD_FX_INVERT_ALPHA, nullptr, FX, nullptr, nullptr, FXC_INVERT_ALPHA},
    {CMD_FX_WHITE_BASE, nullptr, FX, nullptr, nullptr, FXC_WHITE_BASE},
    {CMD_FX_BLACK_BASE, nullptr, FX, nullptr, nullptr, FXC_BLACK_BASE},
    {CMD_FX_ENHANCE, nullptr, FX, nullptr, nullptr, FXC_ENHANCE},
    {CMD_FX_DITHER, nullptr, 0, smart_dither, nullptr},
    {CMD_FX_PIXCODE, nullptr, 0, run_pixcode, nullptr},
    {CMD_FX_MATRIX, nullptr, 0, matrix_effect, nullptr},
    // Devices
    {CMD_ICON_CREATOR, " Creates an icon from the image", 0, icon_creator, nullptr},
    {CMD_SCREEN_CAPTURE, " Take a photograph of the screen", 0, screen_capture, nullptr},
    {CMD_WALLPAPER, " Set the current image as your wallpaper", 0, RUN(SetAsWallpaper(&g_doc.mainImage)), nullptr},
    {CMD_IMPORT_PLUGIN, " Loads an image from a device plugin", 0, import_from_device, nullptr},
    {CMD_EXPORT_PLUGIN, " Sends the image to a device plugin", 0, export_to_device, nullptr},
    // Settings
    {CMD_OPTIONS, " Configure Kelvara", 0, RUN(if (RunOptionsDialog(g_shell.main)) view_FullRepaint()), nullptr},
    {CMD_PLUGIN_MANAGER, " Add, remove and configure plugins", 0, RUN(plugin_ManagerDialog(main_window())), nullptr},
    {CMD_ASSOCIATIONS, " Set the file types to associate with", 0, RUN(RunAssociationsDialog(g_shell.main)), nullptr},
    {CMD_REINSTALL, " Repair Kelvara", 0, reinstall, nullptr},
    {CMD_UNINSTALL, " Remove Kelvara", 0, uninstall_now, nullptr},
    // Help
    {CMD_ABOUT, " About Kelvara", 0, RUN(dlg_About(g_shell.main)), nullptr},
    {CMD_HELP_CONTENTS, " Open the help documentation system", 0, RUN(help_OpenPage("index.htm")), nullptr},
    {CMD_README, " View the readme file", 0, open_readme, nullptr},
    {CMD_SYSINFO, " Benchmark your system to gauge performance", 0, RUN(dlg_SystemInfo(g_shell.main)), nullptr},
    {CMD_TUTORIAL, nullptr, 0, RUN(help_OpenPage("tutorial.htm")), nullptr},
    {CMD_TOOL_HELP, " Help on the tool you are curently using", 0, tool_help, nullptr},
    {CMD_HELP_EFFECTS, nullptr, 0, RUN(help_OpenPage("effects.htm")), nullptr},
    {CMD_HELP_SPRITES, nullptr, 0, RUN(help_OpenPage("translucency.htm")), nullptr},
    {CMD_HELP_TIPS, nullptr, 0, RUN(help_OpenPage("tipstricks.htm")), nullptr},
    {CMD_HELP_PIXCODE, nullptr, 0, RUN(help_OpenPage("programming.htm")), nullptr},
    {CMD_HELP_LEGAL, nullptr, 0, RUN(help_OpenPage("legal.htm")), nullptr},
    {CMD_WEB_PROGRAM, " Visit the website", 0, RUN(open_web(WEB_PROGRAM)), nullptr},
    {CMD_WEB_MAKER, " Visit the website", 0, RUN(open_web(WEB_MAKER)), nullptr},
    {CMD_HEADING, nullptr, CMDF_HEADING, nullptr, nullptr},
};

#undef RUN

const CommandRow* cmd_Rows(int* count) {
    *count = (int)(sizeof kCommands / sizeof kCommands[0]);
    return kCommands;
}

static int runs_something(const CommandRow& row) {
    return row.run || (row.flags & (CMDF_EFFECT | CMDF_TRANSFORM));
}

const CommandRow* cmd_Find(int id) {
    for (const CommandRow& row : kCommands)
        if (row.id == id) return &row;
    return nullptr;
}

int cmd_Enabled(int id) {
    const CommandRow* row = cmd_Find(id);
    if (!row || !runs_something(*row) || (row->flags & (CMDF_NOT_BUILT | CMDF_HEADING))) return 0;
    if ((row->flags & CMDF_NEEDS_SPRITE) && !g_doc.spritePresent) return 0;
    return row->enabled ? row->enabled() : 1;
}

int cmd_Run(int id) {
    const CommandRow* row = cmd_Find(id);
    if (!row || !runs_something(*row)) return 0;
    if (!cmd_Enabled(id) && !(row->flags & CMDF_KEYS_RUN)) return 0;
    if (row->flags & CMDF_EFFECT) effect_command(row->code);
    else if (row->flags & CMDF_TRANSFORM) RunTransform(main_window(), g_shell.view, row->code);
    else row->run();
    return 1;
}

const char* cmd_HelpText(int id) {
    const CommandRow* row = cmd_Find(id);
    return row ? row->help : nullptr;
}
