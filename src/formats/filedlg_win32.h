// filedlg_win32.h — the four file dialogs (open/save × image/sprite) with the shared
// preview panel. Paths and filter indices are remembered while the program runs.
// The caller names the owner window and the document's current file; the image
// dialogs start on that file when it exists.
#pragma once
#include <windows.h>

// path_out holds at least KV_MAX_PATH bytes; 1 when a file was chosen, 0 when cancelled.
int img_OpenImageDialog(HWND owner, const char* currentFile, char* path_out);
int img_OpenSpriteDialog(HWND owner, char* path_out);
int img_SaveImageDialog(HWND owner, const char* currentFile, char* path_out);
int img_SaveSpriteDialog(HWND owner, char* path_out);
