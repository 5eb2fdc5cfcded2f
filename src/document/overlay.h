// overlay.h — the view's overlay record: what the last tool preview left on the view.
//
// Owns: one process-wide record of three words, kept here for the image view, and
// the view window that tool kernels repaint after clearing it (null while there is
// no view). The view fills the words and registers its window; tk_ClearOverlay
// empties the record and repaints the whole view. User-interface thread only.
#pragma once
#include <cstdint>

struct ViewOverlay {
    uint32_t words[3];
};

ViewOverlay* ovl_Record();
// The view's window handle (an HWND), or null when the view is gone.
void ovl_SetView(void* window);
void* ovl_View();
