// viewgeom.h — the arithmetic of the main window and the image view, apart from
// any window: point conversion at a zoom factor, zoom steps, scroll ranges and the
// centring rule, ruler ticks, the child-window layout table, the zoom buffer reuse
// rule and the recent-files list.
//
// Zoom is one of 1, 2, 4, ... 64, or below 1 its reciprocal negated: -2, -4, -8, -16
// stand for 1/2 ... 1/16 (one client pixel then shows a block of 2 x 2 ... 16 x 16
// image pixels, the average of the block). Never 0 and never -1.
// Image pixel (x, y) shows at client (zoom*x - sx + m, zoom*y - sy + m), below 1 at
// (floor(x/s) - sx + m, ...) for the block size s; the view keeps a margin m for its
// rulers, 20 pixels at 96 DPI. Window sizes are written for 96 DPI and scaled to the
// current DPI (platform/dpi.h); image pixels are not: at zoom 1 one image pixel is
// one screen pixel. Nothing here fails; every function is pure but the recent list,
// which edits the array it is given.
#pragma once
#include <cstddef>

const int VG_MARGIN = 20;  // at 96 DPI
const int VG_RULER = 16;   // the rulers' thickness at 96 DPI
// The margin and the rulers' thickness at the current DPI.
int vg_Margin();
int vg_RulerSize();
const int VG_ZOOM_MIN = -16;
const int VG_ZOOM_MAX = 64;

// Client point -> image pixel (integer division truncating toward zero, as the
// view has always done; below 1 the first pixel of the block) and back.
void vg_ClientToImage(int zoom, int sx, int sy, int cx, int cy, int* ix, int* iy);
void vg_ImageToClient(int zoom, int sx, int sy, int ix, int iy, int* cx, int* cy);
// Image pixels per client pixel in each direction: 1 at zoom 1 and above, else the block size.
int vg_Shrink(int zoom);
// Client pixels per image pixel, at least 1: the width of a shown pixel, a tick or a mark.
int vg_Cell(int zoom);
// The client extent that n image pixels take (a partial block at the end counts whole).
int vg_Extent(int zoom, int n);

// Zoom step: direction 1 in, 2 out, 0 reset. Stays put at the ends.
int vg_NextZoom(int zoom, int direction);
// The largest zoom at which a w x h image fits a cw x ch view with the margin on each side.
int vg_FitZoom(int w, int h, int cw, int ch);

// One direction of a scroll bar for a client extent and an image extent.
struct VgScroll {
    int min, max, page, half;
};
// The range covers the zoomed image (vg_Extent).
VgScroll vg_ScrollRange(int zoom, int imageSize, int clientSize);
// The centring rule: the minimum becomes 31 - half and the position is set so that
// the image sits in the middle of the view (below zoom 1 as at 1).
void vg_Centre(int zoom, VgScroll* r, int* pos);
// The lowest a scroll position may go (31 - half).
int vg_ScrollFloor(const VgScroll& r);

// Ruler ticks along one edge: the client position of the image's first pixel
// (L = margin - sx), the zoom and the client extent. Writes up to cap tick positions
// and their kind (1 long, every 100 image pixels; 0 short, every 10; below zoom 1
// every 100 and 10 blocks, so that they stand as far apart as at 1) and returns
// how many there are in all.
int vg_RulerTicks(int first, int zoom, int extent, int* pos, int* longTick, int cap);
// The centre marker's middle for a client extent.
int vg_RulerCentre(int extent);

// The child windows of the main window, in creation order.
enum VgChild { VG_VIEW, VG_TOOLBAR, VG_COLORBAR, VG_QUICKPAL, VG_LINKBAR, VG_STATUS, VG_LOGO, VG_CHILDREN };
struct VgPlace {
    int x, y, w, h;
    int shown;
};
void vg_Layout(int clientW, int clientH, VgPlace out[VG_CHILDREN]);
// The smallest client area the main window is sized to (505 x 444 at 96 DPI).
void vg_MinimumClient(int* w, int* h);

// Zoom buffer: 5/4 of the client area; kept while it is at least the client size
// and at most 6/4 of it in each direction.
int vg_ZoomBufferFits(int bufferW, int bufferH, int clientW, int clientH);
void vg_ZoomBufferSize(int clientW, int clientH, int* w, int* h);

// The recent-files list (4 slots of 256 bytes, slot 0 the newest). The caller
// checks that the file exists first. Returns 1 when the list changed.
int vg_RecentAdd(char recent[4][256], const char* path);
// The menu text of entry `index` (0..3): "&n - name\tCtrl+n" with a file-name part of
// more than 24 bytes shown as its first and last 10 around "..." (never cut inside a
// character), or "< empty >" for a slot shorter than 3 characters (then 0 is returned:
// the entry is disabled).
int vg_RecentMenuText(const char* path, int index, char* out, size_t cap);
// The Edit menu's undo (redo = 0) or redo caption for a step count.
void vg_UndoMenuText(int redo, int count, char* out, size_t cap);
