// toolsettings_win32.h — the modeless tool-settings window: width, level and the two
// alpha values of the tools, on four scroll bars.
//
// Owns: the one window (at most one exists). Every change goes straight into the
// settings record through set_ToolValue. The message loop hands it its keyboard messages while it is open.
#pragma once
#include <windows.h>

// Opens the window (closing any other instance) with its bottom-right corner 1 pixel
// inside the view's, or centred over `main` without a view. Returns it, or null.
HWND toolsettings_Open(HWND main, HWND view);
// The open window, or null.
HWND toolsettings_Window();
