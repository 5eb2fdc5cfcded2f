// preview_win32.h — the modeless image previewer: the whole main image (with the
// sprite when "Show Sprite In Image Preview" is on) scaled to fit its window, with
// a menu to maximise it, restore it, refresh it and close it.
#pragma once
#include <windows.h>

void OpenPreview(HWND owner);
// Repaints the previewer when it is open (after the image changed).
void preview_Refresh();
