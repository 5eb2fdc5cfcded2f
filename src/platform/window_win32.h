// window_win32.h — small helpers the program's windows share: registering a window
// class, centring over a window, and the idle translucency of the tool windows.
#pragma once
#include <windows.h>

// Registers a window class of the program's module; 1 when it worked.
int wnd_RegisterClass(HINSTANCE instance, const char* name, WNDPROC proc, UINT style, HCURSOR cursor,
                      HBRUSH background);
// Centres `w` over `over` (over the work area when `over` is null or gone).
void wnd_CentreOver(HWND w, HWND over);
// The installer's placement: centres `w` over `owner`, over the desktop when the
// owner is missing or minimised; a top-left corner that would come within 32 pixels
// of the desktop's right or bottom edge goes to (0, 0) instead.
void CenterOver(HWND w, HWND owner);
// 1 while the pointer is over `w` or one of its children.
int wnd_PointerOver(HWND w);
// With `translucent` the window becomes layered at `alpha` (255 opaque); without,
// the layered style is removed. The layered-window call is looked up at run time:
// a system without it keeps the window opaque.
void wnd_SetTranslucency(HWND w, int translucent, BYTE alpha);
