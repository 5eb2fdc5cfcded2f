// viewgeom.cpp — see viewgeom.h.
#include "app/viewgeom.h"

#include <cstdio>
#include <cstring>

#include "app/title.h"
#include "platform/dpi.h"
#include "platform/utf8.h"

int vg_Margin() { return dpi_Scale(VG_MARGIN); }
int vg_RulerSize() { return dpi_Scale(VG_RULER); }

int vg_Shrink(int zoom) { return zoom < -1 ? -zoom : 1; }

int vg_Cell(int zoom) { return zoom > 1 ? zoom : 1; }

// Floor division by a block size (image rectangles may start left of the image).
static int floor_div(int n, int s) { return n >= 0 ? n / s : -((-n + s - 1) / s); }

int vg_Extent(int zoom, int n) {
    int s = vg_Shrink(zoom);
    return s > 1 ? (n + s - 1) / s : vg_Cell(zoom) * n;
}

void vg_ClientToImage(int zoom, int sx, int sy, int cx, int cy, int* ix, int* iy) {
    int s = vg_Shrink(zoom), z = vg_Cell(zoom);
    *ix = (sx - vg_Margin() + cx) * s / z;
    *iy = (sy - vg_Margin() + cy) * s / z;
}

void vg_ImageToClient(int zoom, int sx, int sy, int ix, int iy, int* cx, int* cy) {
    int s = vg_Shrink(zoom), z = vg_Cell(zoom);
    *cx = z * floor_div(ix, s) - sx + vg_Margin();
    *cy = z * floor_div(iy, s) - sy + vg_Margin();
}

// The zoom table from the smallest up: -16, -8, -4, -2, 1, 2, 4, ... 64.
static const int kZooms[] = {-16, -8, -4, -2, 1, 2, 4, 8, 16, 32, 64};
const int ZOOM_COUNT = sizeof kZooms / sizeof kZooms[0];

// Orders zooms by what they show: 1/s below 1 counts as less than any factor.
static double scale_of(int zoom) { return zoom < -1 ? 1.0 / -zoom : zoom < 1 ? 1.0 : zoom; }

int vg_NextZoom(int zoom, int direction) {
    if (direction == 0) return 1;
    double now = scale_of(zoom);
    if (direction == 1) {
        for (int z : kZooms)
            if (scale_of(z) > now) return z;
        return VG_ZOOM_MAX;
    }
    for (int i = ZOOM_COUNT - 1; i >= 0; i--)
        if (scale_of(kZooms[i]) < now) return kZooms[i];
    return VG_ZOOM_MIN;
}

int vg_FitZoom(int w, int h, int cw, int ch) {
    int best = VG_ZOOM_MIN;
    for (int z : kZooms)
        if (vg_Extent(z, w) <= cw - 2 * vg_Margin() && vg_Extent(z, h) <= ch - 2 * vg_Margin()) best = z;
    return best;
}

VgScroll vg_ScrollRange(int zoom, int imageSize, int clientSize) {
    VgScroll r;
    r.page = (clientSize + 1) & ~1;
    r.half = r.page / 2;
    r.min = -r.half;
    r.max = vg_Extent(zoom, imageSize) + r.half;
    return r;
}

void vg_Centre(int zoom, VgScroll* r, int* pos) {
    zoom = vg_Cell(zoom);
    r->min = 31 - r->half;
    int sum = zoom - r->min - r->page + r->max;
    // Small images at low zoom make the sum negative; an arithmetic shift of a
    // negative value still lands inside the range after the clamp below.
    int p = (sum >> 1) - zoom + r->min;
    if (p < r->min) p = r->min;
    if (p > r->max) p = r->max;
    *pos = p;
}

int vg_ScrollFloor(const VgScroll& r) { return 31 - r.half; }

int vg_RulerTicks(int first, int zoom, int extent, int* pos, int* longTick, int cap) {
    zoom = vg_Cell(zoom);
    int big = zoom * 100, step = zoom * 10;
    int p0 = first;
    if (p0 > 0) p0 -= ((p0 + big - 1) / big) * big;  // down to 0 or less by whole hundreds
    int n = 0;
    for (int p = p0; p <= extent; p += step, n++)
        if (n < cap) {
            pos[n] = p;
            longTick[n] = (p - p0) % big == 0;
        }
    return n;
}

int vg_RulerCentre(int extent) { return ((extent - 15) >> 1) + 12; }

void vg_Layout(int W, int H, VgPlace out[VG_CHILDREN]) {
    int (*S)(int) = dpi_Scale;
    out[VG_VIEW] = {S(50), S(10), W - S(60), H - S(80), 1};
    out[VG_TOOLBAR] = {S(5), S(10), S(40), S(364), 1};
    out[VG_COLORBAR] = {S(5), H - S(66), S(500), S(40), 1};
    out[VG_QUICKPAL] = {S(506), H - S(66), W - S(516), S(40), W - S(516) >= S(16)};
    out[VG_LINKBAR] = {S(5), (H - S(518)) / 2 + S(379), S(40), S(64), H - S(454) >= S(64)};
    out[VG_STATUS] = {0, H - S(22), W - S(78), S(22), 1};
    out[VG_LOGO] = {W - S(76), H - S(22), S(76), S(22), 1};
}

void vg_MinimumClient(int* w, int* h) {
    *w = dpi_Scale(505);
    *h = dpi_Scale(444);
}

int vg_ZoomBufferFits(int bw, int bh, int cw, int ch) {
    return bw >= cw && bh >= ch && bw * 4 <= cw * 6 && bh * 4 <= ch * 6;
}

void vg_ZoomBufferSize(int cw, int ch, int* w, int* h) {
    *w = cw * 5 / 4 + 1;
    *h = ch * 5 / 4 + 1;
}

int vg_RecentAdd(char recent[4][256], const char* path) {
    if (!path || !*path || std::strlen(path) > 255) return 0;
    if (std::strcmp(recent[0], path) == 0) return 0;
    int from = 3;  // a new path drops the oldest
    for (int i = 1; i < 4; i++)
        if (std::strcmp(recent[i], path) == 0) {
            from = i;
            break;
        }
    for (int i = from; i > 0; i--) std::memcpy(recent[i], recent[i - 1], 256);
    std::memset(recent[0], 0, 256);
    std::strcpy(recent[0], path);
    return 1;
}

int vg_RecentMenuText(const char* path, int index, char* out, size_t cap) {
    if (std::strlen(path) < 3) {
        std::snprintf(out, cap, "< empty >");
        return 0;
    }
    const char* name = path;
    for (const char* p = path; *p; p++)
        if (*p == '\\' || *p == '/') name = p + 1;
    char shown[64];
    size_t n = std::strlen(name);
    if (n <= (size_t)TTL_MAX_SHOWN) std::snprintf(shown, sizeof shown, "%s", name);
    else std::snprintf(shown, sizeof shown, "%.*s...%s", (int)u8_HeadLength(name, n, 10), name, name + u8_TailStart(name, n, 10));
    std::snprintf(out, cap, "&%i - %s\tCtrl+%i", index + 1, shown, index + 1);
    return 1;
}

void vg_UndoMenuText(int redo, int count, char* out, size_t cap) {
    // "Ctlr" is how these captions have always read; the standard key follows.
    const char* name = redo ? "&Redo Changes" : "&Undo Changes";
    const char* key = redo ? "Ctlr+R or Ctrl+Y" : "Ctlr+U or Ctrl+Z";
    if (count > 0) std::snprintf(out, cap, "%s (1 of %i)\t%s", name, count, key);
    else std::snprintf(out, cap, "%s\t%s", name, key);
}
