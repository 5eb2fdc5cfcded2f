// panelwnd_win32.h — the panel windows beside the view: the tool bar and the link
// bar here, the colour bar and the quick palette from the panels layer. One window
// procedure per panel; each draws its own picture and handles its own clicks.
#pragma once
#include <windows.h>

// Registers the four panel classes; 0 when one fails.
int panel_RegisterClasses(HINSTANCE instance);
