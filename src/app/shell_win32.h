// shell_win32.h — the application shell's process-wide state: the windows, the
// interface resources loaded at start-up, the pending-work bits and the modeless
// windows the message loop feeds. One record, g_shell, filled by the start-up
// stages and the main window, read by the view and the command layer.
#pragma once
#include <windows.h>
#include "document/toolselect.h"
#include "engine/surface.h"

const unsigned PENDING_SETTINGS = 1;  // write the settings file at the next idle moment
const unsigned PENDING_AUTOSAVE = 2;  // auto-save at the next idle moment

// Cursor slots: five shell cursors, then one per tool.
const int CURSOR_ARROW = 0, CURSOR_WAIT = 1, CURSOR_MOVE = 2, CURSOR_BAR = 3, CURSOR_ZOOM = 4;
const int CURSOR_TOOL0 = 5;
const int CURSOR_SLOTS = CURSOR_TOOL0 + TOOL_COUNT;
const int CURSOR_PICKER = CURSOR_TOOL0 + TOOL_PICKER;          // over the quick palette too
const int CURSOR_UNKNOWN_TOOL = CURSOR_TOOL0 + TOOL_RESERVED;  // for a tool number the settings should not hold

const COLORREF SHELL_BACKGROUND = 0xEFD7D7;
const COLORREF SHELL_STATUS_TEXT = 0x400000;

// Main-window timers; the view runs its own timers under the last two ids.
const UINT_PTR TIMER_SETTINGS = 1, TIMER_AUTOSAVE = 2, TIMER_LOGO = 4369, TIMER_RAISE_TOOLS = 4370,
                 TIMER_REDRAW = 4372, TIMER_DRAW_BARS = 4373;

enum ShellPanel { PANEL_TOOLBAR, PANEL_COLORBAR, PANEL_LINKBAR, PANEL_COUNT };

struct ShellState {
    HINSTANCE instance;
    // `main` is the shell's own copy; the layers below know it only as uiw_Owner(),
    // which the main window sets to the same handle when it is created.
    HWND main, view, toolbar, colorbar, quickpal, linkbar, status, logo;
    HWND splash;
    HWND notepad;  // the notepad window (0 while closed)
    HACCEL accel;
    HACCEL standardKeys;  // IDR_ACCEL_STANDARD
    HBRUSH background, pattern, shadow;
    HFONT arial8, comic12;
    HBITMAP logos[3];
    int logoIndex;
    HCURSOR cursors[CURSOR_SLOTS];
    Surface panels[PANEL_COUNT];
    volatile unsigned pending;
    int writeAccess;
    int firstInstance;
    char statusHistory[4][256];  // F3 history for the notepad, newest first
};
extern ShellState g_shell;

// Splash window texts (0 when there is no splash).
void splash_Show(const char* text);
// The splash stays over every other window: it steps aside (1) while the user
// answers a dialog or question of the start-up, and comes back (0) afterwards.
void splash_StepAside(int aside);

// Interface resources (shellres_win32.cpp). res_LoadCursors returns 1 once the
// pencil's cursor loaded; res_Load (which takes the system's DPI for the windows) 0
// when a bitmap, brush or font failed.
int res_LoadCursors();
int res_Load();
// The logos and fonts again for the current DPI (platform/dpi.h); 0 when one failed.
int res_ApplyDpi();
void res_Free();
