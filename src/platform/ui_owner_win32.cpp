// ui_owner_win32.cpp — the one main-window handle for everything below app/
// (ui_win32.h). It lives in the core, not in the program's seam, so kvbatch and the
// tests that link another seam see null: nothing is owned and no window is searched for.
#include "platform/ui_win32.h"

namespace {
HWND g_owner;
}  // namespace

void uiw_SetOwner(HWND main) { g_owner = main; }

HWND uiw_Owner() { return g_owner && IsWindow(g_owner) ? g_owner : nullptr; }
