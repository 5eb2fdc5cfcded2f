// ui_win32.h — Win32 side of the user-interface seam: which window owns message boxes,
// dialogs and plug-in windows, and which static control is the status line.
//
// The owner is the one place the main window's handle is kept for every module below
// app/: the shell sets it when the main window is created and clears it when the
// window is destroyed; before and after (and in kvbatch and the tests) it is null.
// Nothing below app/ looks for the main window any other way. uiw_SetOwner and
// uiw_Owner are part of the core (ui_owner_win32.cpp); the status line and the view
// handler belong to the program's seam (ui_win32.cpp).
#pragma once
#include <windows.h>

void uiw_SetOwner(HWND main);
// The main window, or null when there is none (or it is already gone).
HWND uiw_Owner();
// The status line ui_SetStatus writes to (null: status texts go nowhere).
void uiw_SetStatusLine(HWND statusLine);
// The view registers what ui_ViewChanged calls.
typedef void (*UiwViewHandler)(unsigned what);
void uiw_SetViewHandler(UiwViewHandler handler);
