// overlay.cpp — the view's overlay record (see overlay.h).
#include "document/overlay.h"

static struct {
    ViewOverlay record;
    void* view;
} g_ovl;

ViewOverlay* ovl_Record() { return &g_ovl.record; }
void ovl_SetView(void* window) { g_ovl.view = window; }
void* ovl_View() { return g_ovl.view; }
