// title_win32.cpp — puts the title on the main window's caption.
#include "app/title.h"
#include "app/title_win32.h"

namespace {
HWND g_titleWindow;
}

void ttlw_SetWindow(HWND window) { g_titleWindow = window; }

void ttl_Show(const char* text) {
    if (g_titleWindow && IsWindow(g_titleWindow)) SetWindowTextA(g_titleWindow, text);
}
