// ui_win32.h — Win32 side of the user-interface seam: where message boxes are owned
// and which static control is the status line. Set by the main window once it exists;
// before that message boxes have no owner and status texts go nowhere.
#pragma once
#include <windows.h>

void uiw_SetWindows(HWND owner, HWND statusLine);
HWND uiw_Owner();
// The view registers what ui_ViewChanged calls.
typedef void (*UiwViewHandler)(unsigned what);
void uiw_SetViewHandler(UiwViewHandler handler);
