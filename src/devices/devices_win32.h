// devices_win32.h — the built-in devices: screen capture, the icon creator and the
// desktop wallpaper. Each reports on the status line; failures leave the image alone.
#pragma once
#include <windows.h>
#include "engine/surface.h"

// Asks, hides `main` and the program's other windows, waits for SPACE or
// PRINT-SCREEN (serving messages, `main` disabled), lets the screen repaint and photographs the primary screen (the
// pointer too when asked) into `target`, every alpha 0; the windows come back after. 1 when `target`
// holds the new picture, 0 when cancelled or failed (`target` untouched).
int CaptureScreen(Surface* target, HWND main);
// Makes a 32 x 32 icon of `image`, shows it and, on "Save", writes it where the user
// says (".ico" appended when missing) with WriteIconFile. 1 when an icon file was saved.
int CreateIconFile(Surface* image, HWND owner);
// The Icon Creator's file: `image` scaled to 32 x 32 and written with the icon writer,
// which replaces `path` safely; a failure is told to the user as a save's is
// (img_ReportWriteFailure). 1 when written.
int WriteIconFile(Surface* image, const char* path);
// Writes `image` as desktop.bmp in the program folder and makes it the wallpaper.
// 1 when the system took it.
int SetAsWallpaper(Surface* image);
