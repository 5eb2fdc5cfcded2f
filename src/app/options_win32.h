// options_win32.h — the Options dialog ("Kelvara - Options"), the File-type
// Associations dialog and the installation set-up that shows both.
//
// The dialogs edit a copy of the settings; OK and Defaults write the settings file and tell
// every running copy to reload it. Associations change only the registry.
#pragma once
#include <windows.h>

// 1 when closed with OK or Defaults (settings written and broadcast), 0 on Cancel.
int RunOptionsDialog(HWND owner);
// 1 when applied, 0 on Cancel.
int RunAssociationsDialog(HWND owner);
// Loads (or defaults) and writes the settings, records the program path and the
// settings-file type, then shows both dialogs. 0 when the settings could not be written.
int InstallSetup(HWND owner);
// The number an undo-size text starts with, clamped to 1..64 ("100" -> 64, "0" -> 1).
int opt_UndoSizeFromText(const char* text);
