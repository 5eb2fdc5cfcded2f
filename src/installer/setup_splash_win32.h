// setup_splash_win32.h — the installer's full-screen splash window (class "MainWnd",
// titled "Kelvara 1.80 Installer"): the splash picture stretched over the screen
// with a version banner at the bottom. It owns every dialog of the installer and
// lives until the finish dialog closes.
#pragma once
#include <windows.h>

// Creates and shows the window; null when it cannot be made. A splash picture that
// cannot be read leaves the window without one.
HWND setup_CreateSplash(HINSTANCE instance);
// Hides the window (0) or shows it again (1): while a started program runs, its
// windows must not open behind a full-screen window of ours.
void setup_ShowSplash(int show);
// Destroys the window and frees the picture.
void setup_DestroySplash();
