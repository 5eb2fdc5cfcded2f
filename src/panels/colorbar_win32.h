// colorbar_win32.h — the colour bar (two drawing colours, 16 fixed and 16 custom
// colours, four quick buttons) and the quick palette (a hue/lightness strip): two
// child windows of the main window that set colour #1 and #2.
//
// Owns: the quick palette's picture surface. The colour bar's background picture
// belongs to the caller and must outlive the windows.
#pragma once
#include <windows.h>
#include "engine/surface.h"

// Registers "kelvara_wnd_colorbar" and "kelvara_wnd_quickpal"; 0 when one fails.
int colorbar_RegisterClasses(HINSTANCE instance, Surface* background, HBRUSH brush, HCURSOR pickCursor);
// Frees the quick palette's picture (shutdown).
void colorbar_Shutdown();
