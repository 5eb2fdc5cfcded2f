// filedlg_win32.h — the four file dialogs (open/save × image/sprite) with the shared
// preview panel. Paths and filter indices are remembered while the program runs.
#pragma once

// path_out holds at least 512 bytes; 1 when a file was chosen, 0 when cancelled.
int img_OpenImageDialog(char* path_out);
int img_OpenSpriteDialog(char* path_out);
int img_SaveImageDialog(char* path_out);
int img_SaveSpriteDialog(char* path_out);
