// title_win32.h — which window shows the title; set by the main window once it exists.
#pragma once
#include <windows.h>

void ttlw_SetWindow(HWND window);
