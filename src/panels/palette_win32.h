// palette_win32.h — the two-click colour palette and the manual RGB dialog (modal).
#pragma once
#include <windows.h>
#include <cstdint>

// The two-click palette, centred over `owner`, starting from `initial` (COLORREF).
// Returns the chosen COLORREF, or -1 when cancelled.
long ChooseColour(HWND owner, uint32_t initial);
// "Specify RGB Manually": three fields starting with the bytes of `initial`, each
// taken modulo 256. Returns the COLORREF, or -1 when cancelled.
long EnterRgb(HWND owner, uint32_t initial);
