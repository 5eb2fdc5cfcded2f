// dialogs_win32.h — the shell's own dialogs: splash, about, notepad (modeless, the
// F3 history), image properties and system information with the blit benchmark.
// Each is a template in kelvara.rc and one Run/Open function.
#pragma once
#include <windows.h>

HWND dlg_CreateSplash(HINSTANCE instance);
void dlg_DestroySplash();
void dlg_About(HWND owner);
void dlg_OpenNotepad(HWND owner);
void dlg_Properties(HWND owner);
void dlg_SystemInfo(HWND owner);
// The four transfer figures in megapixels per second (copy, blend, smooth copy,
// smooth blend) over a side x side surface.
void dlg_MeasureBlits(int side, double out[4]);
