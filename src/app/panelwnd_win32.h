// panelwnd_win32.h — the four panel windows beside the view: the tool bar, the
// colour bar, the quick palette and the link bar. One window procedure per panel;
// each draws its own picture and handles its own clicks.
#pragma once
#include <windows.h>

// Registers the four panel classes; 0 when one fails.
int panel_RegisterClasses(HINSTANCE instance);
