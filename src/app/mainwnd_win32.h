// mainwnd_win32.h — the main window ("kelvara_wnd_main") and its children: the six
// window classes, the layout table, timers, the close and replace questions,
// opening and saving, the recent-files list, menu states and status-line help.
#pragma once
#include <windows.h>

const UINT WM_OPEN_IMAGE = WM_APP + 21;  // wParam != 0: ask for a file; else open lParam

// Registers the six window classes; 0 when one fails.
int mw_RegisterClasses(HINSTANCE instance);
// Creates the main window and its children; 0 on failure.
int mw_Create(int showCommand);
void mw_StartTimers();
void mw_KillTimers();
// Asks "Do you wish to save the changes you've made?" when there are unsaved
// changes; 1 to go on replacing the image, 0 when the user cancelled.
int mw_ConfirmReplace();
int mw_Save();
int mw_SaveAs();
// Opens a file into the main image (or the sprite when the user says so); 1 on success.
int mw_OpenPath(const char* path);
// Adds an existing file to the top of the recent list.
void mw_AddRecent(const char* path);
// Command dispatcher and menu states (commands_win32.cpp).
void cmd_Dispatch(HWND w, int id);
int cmd_Enabled(int id);
void cmd_InitMenu(HMENU menu);
const char* cmd_HelpText(int id);
// Help pages through the help viewer; web pages through the shell.
void cmd_OpenHelp(const char* page);
