// main_win32.cpp — the program's entry: the start-up stages with their splash
// texts, the message loop with its idle-time work and broadcast service, and the
// shutdown that writes the settings back and releases every surface.
//
// Exit codes: the quit message's wParam after a normal run, -1 when start-up fails
// (after the fatal path), -99 from a failed erase stage, 0 after /nogui and the
// self-uninstall switches.
#include <windows.h>
#include <cstdio>
#include <cstring>

#include "app/app_ids.h"
#include "app/commands.h"
#include "app/broadcast_win32.h"
#include "app/cmdline.h"
#include "app/dialogs_win32.h"
#include "app/erase.h"
#include "app/files_win32.h"
#include "app/instances.h"
#include "app/mainwnd_win32.h"
#include "app/options_win32.h"
#include "app/recovery_win32.h"
#include "platform/dllsearch.h"
#include "platform/helpviewer.h"
#include "platform/paths.h"
#include "app/shell_win32.h"
#include "platform/sysio.h"
#include "app/title.h"
#include "app/uninstall_win32.h"
#include "app/view_win32.h"
#include "platform/winver.h"
#include "devices/print_win32.h"
#include "document/compose.h"
#include "document/document.h"
#include "document/tools.h"
#include "panels/colorbar_win32.h"
#include "panels/textart_win32.h"
#include "panels/toolsettings_win32.h"
#include "document/undo.h"
#include "engine/anim_win32.h"
#include "engine/engine.h"
#include "engine/surface_win32.h"
#include "formats/dispatch.h"
#include "formats/kv5_password_win32.h"
#include "formats/loaderror_win32.h"
#include "pixcode/pixcode_window_win32.h"
#include "platform/ui.h"
#include "platform/ui_win32.h"
#include "safety/exguard.h"
#include "safety/exreport.h"
#include "safety/runlog.h"
#include "settings/registry_win32.h"
#include "settings/settings.h"

static char g_fileName[KV_MAX_PATH];
static char g_switches[CMD_SWITCH_CAP];

static int has_switch(const char* name) { return cmd_HasSwitch(g_switches, name); }

// ---- fatal path ----

static int fatal(const char* stage) {
    LogEntry(stage, 0, 0, 1);
    eng_Shutdown();
    ui_Tone(2000, 1000);
    LogEntry("INITIALIZATION FAILED!", 0, 0, 1);
    dlg_DestroySplash();
    ui_MessageBox("Kelvara encountered an error while trying to load. Something must be very seriously wrong.",
                  "Serious System Error!!", UI_OK | UI_ICONERROR);
    UnregisterInstance();
    return -1;
}

// ---- start-up stages ----

static int load_start_image() {
    for (int attempt = 0; attempt < 12; attempt++) {
        HBITMAP b = (HBITMAP)LoadImageA(g_shell.instance, MAKEINTRESOURCEA(IDB_START), IMAGE_BITMAP, 0, 0,
                                        LR_CREATEDIBSECTION);
        if (!b) continue;
        Surface s;
        std::memset(&s, 0, sizeof s);
        Surface* made = srf_FromBitmap(b, &s);
        DeleteObject(b);
        if (!made) continue;
        if (uint32_t* p = srf_Lock(&s)) {
            for (uint32_t y = 0; y < s.height; y++)
                for (uint32_t x = 0; x < s.width; x++) p[y * s.stride + x] &= 0x00FFFFFF;
            srf_Unlock(&s);
        }
        doc_ReplaceMainImage(&s, nullptr, 1);
        return 1;
    }
    return 0;
}

static void test_write_access() {
    g_shell.writeAccess = uninst_CanWriteAppDir();
    if (!g_shell.writeAccess)
        ui_MessageBox("You don't have write priviledges on this\ndrive. You can't permanently change any\n"
                      "settings, install any plugins, or use the\nAutosave feature.",
                      "Drive Read-only!!", UI_OK | UI_ICONERROR);
}

static void check_mouse_and_display() {
    splash_Show("Testing mouse/pen...");
    if (!GetSystemMetrics(SM_MOUSEPRESENT)) {
        splash_StepAside(1);
        ui_MessageBox("To use Kelvara, you'll need\na pointing device (e.g. mouse or pen).\nPlease install one.",
                      "No Mouse", UI_OK | UI_ICONWARNING);
        splash_StepAside(0);
        LogEntry("No mouse/pointing device!", 0, 0, 1);
    }
    splash_Show("Testing display...");
    HDC dc = GetDC(nullptr);
    int depth = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(nullptr, dc);
    if (depth < 17) {
        splash_StepAside(1);
        ui_MessageBox("You should run Kelvara at\n24 or 32 bits per pixel (true color).",
                      "Low Color Depth (Resolution)", UI_OK | UI_ICONWARNING);
        splash_StepAside(0);
        LogEntry("Low color depth", depth, 0, 0);
    }
}

static void add_plugin() {
    splash_Show("Adding Plugin...");
    const char* name = path_NamePart(g_fileName);
    char target[KV_MAX_PATH];
    if (*name && path_Join(target, sizeof target, path_PluginsDir(), name)) CopyFileA(g_fileName, target, TRUE);
    g_fileName[0] = 0;
}

// Always the main image: the sprite question belongs to the Open command.
static void open_command_line_image() {
    if (g_fileName[0] && sio_FileReadable(g_fileName)) splash_Show("Loading Image File...");
    files_OpenAtStart(g_fileName);
}

static void make_working_surfaces() {
    splash_Show("Initing KVDRAW2 Surfs...");
    srf_Refresh(&g_doc.mainImage);
    cmp_Fit();
    if (!g_doc.sprite.created) srf_Create(128, 128, &g_doc.sprite);
    tool_Init();
}

static void start_undo() {
    splash_Show("Loading Undo Engine...");
    undo_Init(g_settings.undoMB * 1048576u);
}

static void offer_tutorial() {
    if (g_settings.tutorialCount >= 3) {
        set_TutorialCount(g_settings.tutorialCount + 1);  // stays at 255
        return;
    }
    if (ui_MessageBox("With OVER 70 tools and effects, Kelvara\nis quite complicated - which is why you need to read\n"
                      "and understand the Brief Tutorial.\n\nDo you want to load the tutorial?\n\n"
                      "NB: This dialog will appear until you use the\ntutorial a total of 3 times.",
                      "READ THE BRIEF TUTORIAL?", UI_YESNO | UI_ICONQUESTION) == UI_IDYES) {
        help_OpenPage("tutorial.htm");
        set_TutorialCount(g_settings.tutorialCount + 1);
    }
}

// ---- message loop ----

struct DispatchArg {
    MSG* msg;
};

// A text field keeps Ctrl+Z and Ctrl+V for its own undo and paste.
static int is_text_field(HWND w) {
    char cls[16];
    return w && GetClassNameA(w, cls, sizeof cls) && lstrcmpiA(cls, "Edit") == 0;
}

static void dispatch_one(void* arg) {
    MSG* m = ((DispatchArg*)arg)->msg;
    if (HWND t = toolsettings_Window(); t && IsDialogMessageA(t, m)) return;
    if (HWND t = textart_Window(); t && IsDialogMessageA(t, m)) return;
    if (g_shell.accel && g_shell.main && TranslateAcceleratorA(g_shell.main, g_shell.accel, m)) {
        if (m->message == WM_SYSKEYDOWN) mw_NoteAltAccelerator();
        return;
    }
    if (g_shell.standardKeys && g_shell.main && !is_text_field(m->hwnd) &&
        TranslateAcceleratorA(g_shell.main, g_shell.standardKeys, m))
        return;
    TranslateMessage(m);
    DispatchMessageA(m);
}

static void serve_pending() {
    if (!g_shell.pending) return;
    if (!g_shell.writeAccess) ui_SetStatus(" DESTINATION IS READ-ONLY!!...");
    if ((g_shell.pending & PENDING_SETTINGS) && SaveSettings()) g_shell.pending &= ~PENDING_SETTINGS;
    rec_ServeAutosaveBit();
}

static WPARAM message_loop() {
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        ServeBroadcast();
        DispatchArg a = {&m};
        if (!exg_Call(dispatch_one, &a)) ReportException();
        serve_pending();
    }
    return m.wParam;
}

// ---- shutdown ----

static void shutdown() {
    mw_KillTimers();
    SaveSettings();
    res_Free();
    undo_Shutdown();
    anim_ScratchFree();
    view_Shutdown();
    cmp_Shutdown();
    doc_Shutdown();
    tool_Shutdown();
    colorbar_Shutdown();
    eng_Shutdown();
    UnregisterInstance();
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int show) {
    dll_LimitSearch();
    if (cmd_HasSwitch(cmdLine, "/erase_me")) return EraseStage(cmdLine);
    RegisterInstance();
    g_shell.instance = instance;
    g_shell.firstInstance = IsFirstInstance();
    doc_MarkSaved();
    view_SetZoomFactor(1);
    path_Init();
    path_CreateFolders();
    doc_SetFileName("");
    ver_Query();

    dlg_CreateSplash(instance);
    SplitCommandLine(cmdLine, g_fileName, sizeof g_fileName, g_switches, sizeof g_switches);

    splash_Show("Loading settings...");
    LoadOrResetSettings();
    g_shell.pending |= PENDING_SETTINGS;

    splash_Show("Loading KVDRAW2...");
    eng_Init();
    eng_SetChecker(0x00EBEBF5, 0x009391BF);
    anim_ScratchCreate();   // the 128 x 128 scratch of the panels and highlights

    splash_Show("Loading Resources...");
    while (!res_LoadCursors()) Sleep(500);
    if (!res_Load()) return fatal("Failed : Loading Resources");

    splash_Show("Starting KVDRAW2...");
    if (!load_start_image()) {
        LogEntry("Failed : Loading StartImage", 0, 0, 0);
        ui_MessageBox("The responsible engine could not load the startup\nimage due to an unknown error. Kelvara\n"
                      "will be shut down to prevent any further damage.",
                      "Loading Error!!", UI_OK | UI_ICONERROR);
        return fatal("Failed : Loading StartImage");
    }
    if (has_switch("/forceuninstall")) {
        splash_Show("Uninstalling...");
        dlg_DestroySplash();
        SelfUninstall(1);
        UnregisterInstance();
        return 0;
    }
    if (has_switch("/install")) {
        splash_Show("Installing...");
        InstallSetup(nullptr);
        splash_Show("Complete...");
    }
    if (has_switch("/uninstall")) {
        splash_Show("Uninstalling...");
        if (SelfUninstall(0) == UNINST_DONE) {
            // The erase copy waits for this process to end; nothing is written back.
            dlg_DestroySplash();
            UnregisterInstance();
            return 0;
        }
        ui_MessageBox("Uninstallation failed. Close all running copies\nof Kelvara then retry.", "Setup Error!!",
                      UI_OK | UI_ICONERROR);
    }
    if (has_switch("/addplugin")) add_plugin();
    // The dialogs a load may need, ready before the command line's image loads.
    kv5_RegisterPasswordPrompt();
    lerr_RegisterPrompt();
    open_command_line_image();
    if (has_switch("/deletesource")) {
        splash_Show("Deleting Source File...");
        if (g_fileName[0]) sio_DeleteFile(g_fileName);
        SetTitle(DOC_UNTITLED);
    }
    make_working_surfaces();
    start_undo();
    if (has_switch("/print")) {
        splash_Show("Printing Image...");
        splash_StepAside(1);
        ShowPrintDialog(&g_doc.mainImage, nullptr);
        splash_StepAside(0);
    }
    if (has_switch("/properties")) {
        splash_Show("Loading Properties...");
        splash_StepAside(1);
        dlg_Properties(nullptr);
        splash_StepAside(0);
    }
    if (has_switch("/nogui")) {
        dlg_DestroySplash();
        shutdown();
        return 0;
    }

    splash_Show("Loading GUI...");
    g_shell.accel = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCEL));
    g_shell.standardKeys = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCEL_STANDARD));
    if (!g_shell.accel || !g_shell.standardKeys || !mw_RegisterClasses(instance) || !mw_Create(show)) return fatal("Failed : Loading Interface");
    // Creating the view took the first undo base and set the scroll bars.
    SetTitle(nullptr);
    pix_RegisterEditor();

    splash_Show("Checking app's dir...");
    test_write_access();
    check_mouse_and_display();
    if (g_shell.firstInstance) offer_tutorial();
    rec_StartUp(g_shell.firstInstance);
    mw_StartTimers();
    SetProgramPathKey(path_ProgramFile());
    dlg_DestroySplash();
    // The tool window opens once the start-up questions are answered, never over them.
    if (cmd_Enabled(CMD_TOOL_OPTIONS)) PostMessageA(g_shell.main, WM_COMMAND, CMD_TOOL_OPTIONS, 0);
    view_FullRepaint();
    ui_SetStatus(" All systems go!!");
    WPARAM code = message_loop();
    shutdown();
    return (int)code;
}
