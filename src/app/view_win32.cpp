// view_win32.cpp — the image view. The window procedure only dispatches; painting
// draws the rulers, the background and the drop shadow with GDI and copies the
// (zoomed) composite to the screen, after asking the compose module to bring the
// shown rectangle up to date.
#include "app/view_win32.h"

#include <cstdio>
#include <cstring>

#include "app/preview_win32.h"
#include "app/shell_win32.h"
#include "app/title.h"
#include "app/viewgeom.h"
#include "document/compose.h"
#include "document/document.h"
#include "document/overlay.h"
#include "document/tools.h"
#include "document/toolselect.h"
#include "panels/fxdialog_win32.h"
#include "panels/textart_ids.h"
#include "panels/textart_win32.h"
#include "engine/blit.h"
#include "engine/color.h"
#include "engine/engine.h"
#include "engine/surface_win32.h"
#include "platform/dpi.h"
#include "platform/ui.h"
#include "platform/ui_win32.h"
#include "settings/settings.h"

struct ViewState {
    int zoom;
    int sx, sy;
    VgScroll h, v;
    Surface zoomBuf;
    int buttons;
    int inTool;        // a tool call is running: it reports what to recompose
    int barsUndrawn;   // the bars hold their range but wait for TIMER_DRAW_BARS to show it
};
static ViewState g_view = {1, 0, 0, {}, {}, {}, 0, 0, 0};

int view_ZoomFactor() { return g_view.zoom; }

void view_SetZoomFactor(int zoom) {
    if (zoom > -2 && zoom < 1) zoom = 1;  // 0 and -1 are no zoom
    g_view.zoom = zoom < VG_ZOOM_MIN ? VG_ZOOM_MIN : zoom > VG_ZOOM_MAX ? VG_ZOOM_MAX : zoom;
}

static void client_size(int* cw, int* ch) {
    RECT r;
    GetClientRect(g_shell.view, &r);
    *cw = r.right;
    *ch = r.bottom;
}

static int image_ready(Surface* s) { return s->created && srf_Refresh(s) && s->width && s->height; }

// The image pixels a client rectangle shows, with a margin for rounding at zoom.
static ToolRect image_rect_of(const RECT& client) {
    ToolRect r;
    vg_ClientToImage(g_view.zoom, g_view.sx, g_view.sy, client.left - 2, client.top - 2, &r.x1, &r.y1);
    vg_ClientToImage(g_view.zoom, g_view.sx, g_view.sy, client.right + 2, client.bottom + 2, &r.x2, &r.y2);
    return r;
}

// The image pixels in sight for a w x h main image (fxdialog_win32.h): at the present
// scroll positions, or at those the view takes when it refits and centres an image of
// that size (the scroll bar holds a position inside its range; a few more pixels
// around cover a bar that settles otherwise).
static int shown_image_rect(int w, int h, int centred, int* x1, int* y1, int* x2, int* y2) {
    if (!g_shell.view || w < 1 || h < 1) return 0;
    int cw, ch;
    client_size(&cw, &ch);
    int sx = g_view.sx, sy = g_view.sy, slack = 2;
    if (centred) {
        auto held = [](const VgScroll& r, int pos) {
            int top = r.max - (r.page > 0 ? r.page - 1 : 0);
            top = top < r.min ? r.min : top;
            return pos < r.min ? r.min : pos > top ? top : pos;
        };
        VgScroll hr = vg_ScrollRange(g_view.zoom, w, cw), vr = vg_ScrollRange(g_view.zoom, h, ch);
        vg_Centre(g_view.zoom, &hr, &sx);
        vg_Centre(g_view.zoom, &vr, &sy);
        sx = held(hr, sx);
        sy = held(vr, sy);
        slack = 16;
    }
    vg_ClientToImage(g_view.zoom, sx, sy, -slack, -slack, x1, y1);
    vg_ClientToImage(g_view.zoom, sx, sy, cw + slack, ch + slack, x2, y2);
    *x2 += vg_Shrink(g_view.zoom);
    *y2 += vg_Shrink(g_view.zoom);
    return 1;
}

// The client rectangle showing image pixels r (inclusive), for invalidation.
static RECT client_rect_of(const ToolRect& r) {
    int z = g_view.zoom, cell = vg_Cell(z);
    RECT c;
    vg_ImageToClient(z, g_view.sx, g_view.sy, r.x1, r.y1, (int*)&c.left, (int*)&c.top);
    vg_ImageToClient(z, g_view.sx, g_view.sy, r.x2, r.y2, (int*)&c.right, (int*)&c.bottom);
    c.right += cell;
    c.bottom += cell;
    return c;
}

// ---- scroll bars ----

static void apply_bar(int bar, const VgScroll& r, int pos, int redraw) {
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, r.min, r.max, (UINT)r.page, pos, 0};
    SetScrollInfo(g_shell.view, bar, &si, redraw);
}

static int read_pos(int bar) {
    SCROLLINFO si = {sizeof si, SIF_POS, 0, 0, 0, 0, 0};
    GetScrollInfo(g_shell.view, bar, &si);
    return si.nPos;
}

// Drawing a bar costs milliseconds; while a preview's steps change the image's size,
// or a resize repaints the frame anyway, the bars take their range at once (and keep
// it through the repaints after) and are drawn when the changes pause.
const UINT BARS_DRAW_DELAY_MS = 150;

static void set_bar(int bar, const VgScroll& r, int pos, int draw) {
    apply_bar(bar, r, pos, draw);
    if (draw) return;
    g_view.barsUndrawn = 1;
    SetTimer(g_shell.view, TIMER_DRAW_BARS, BARS_DRAW_DELAY_MS, nullptr);
}

static void draw_bars() {
    KillTimer(g_shell.view, TIMER_DRAW_BARS);
    g_view.barsUndrawn = 0;
    apply_bar(SB_HORZ, g_view.h, g_view.sx, TRUE);
    apply_bar(SB_VERT, g_view.v, g_view.sy, TRUE);
}

static void update_bars(int centre, int draw) {
    if (!g_shell.view || !image_ready(&g_doc.mainImage)) return;
    draw = draw && !g_view.barsUndrawn;
    int cw, ch;
    client_size(&cw, &ch);
    VgScroll h = vg_ScrollRange(g_view.zoom, g_doc.mainImage.width, cw);
    VgScroll v = vg_ScrollRange(g_view.zoom, g_doc.mainImage.height, ch);
    if (centre) {
        int px, py;
        vg_Centre(g_view.zoom, &h, &px);
        vg_Centre(g_view.zoom, &v, &py);
        set_bar(SB_HORZ, h, px, draw);
        set_bar(SB_VERT, v, py, draw);
    } else {
        if (std::memcmp(&h, &g_view.h, sizeof h) || read_pos(SB_HORZ) != g_view.sx)
            set_bar(SB_HORZ, h, g_view.sx, draw);
        if (std::memcmp(&v, &g_view.v, sizeof v) || read_pos(SB_VERT) != g_view.sy)
            set_bar(SB_VERT, v, g_view.sy, draw);
    }
    g_view.h = h;
    g_view.v = v;
    g_view.sx = read_pos(SB_HORZ);
    g_view.sy = read_pos(SB_VERT);
}

void ViewUpdateScrollBars(int centre) { update_bars(centre, TRUE); }

// What the view shows moves by d client pixels along one bar: the area right of and
// below the rulers is shifted on the screen (the background pattern is anchored to
// the image, so it moves along) and only the uncovered strip is painted again, with
// the rulers, whose ticks move.
static void scroll_shown(int bar, int d) {
    if (!d) return;
    int cw, ch;
    client_size(&cw, &ch);
    const int ruler = vg_RulerSize();
    RECT area = {ruler, ruler, cw, ch}, top = {0, 0, cw, ruler}, left = {0, 0, ruler, ch};
    ScrollWindowEx(g_shell.view, bar == SB_HORZ ? d : 0, bar == SB_HORZ ? 0 : d, &area, &area, nullptr, nullptr,
                   SW_INVALIDATE);
    InvalidateRect(g_shell.view, &top, FALSE);
    InvalidateRect(g_shell.view, &left, FALSE);
}

static void scroll_to(int bar, int pos) {
    VgScroll& r = bar == SB_HORZ ? g_view.h : g_view.v;
    int floor = vg_ScrollFloor(r);
    if (pos < floor) pos = floor;
    apply_bar(bar, r, pos, TRUE);
    int& held = bar == SB_HORZ ? g_view.sx : g_view.sy;
    const int before = held;
    held = read_pos(bar);
    scroll_shown(bar, before - held);
}

void view_ScrollBy(int bar, int code) {
    SCROLLINFO si = {sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(g_shell.view, bar, &si);
    int pos = si.nPos;
    switch (code) {
    case SB_LINEUP: pos -= 1; break;
    case SB_LINEDOWN: pos += 1; break;
    case SB_PAGEUP: pos -= 16; break;
    case SB_PAGEDOWN: pos += 16; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    case SB_TOP: pos = si.nMin; break;
    case SB_BOTTOM: pos = si.nMax; break;
    default: return;
    }
    scroll_to(bar, pos);
}

void view_ScrollToEnd(int end) {
    view_ScrollBy(SB_HORZ, end ? SB_BOTTOM : SB_TOP);
    view_ScrollBy(SB_VERT, end ? SB_BOTTOM : SB_TOP);
}

// The scroll position held in g_view goes to the bars, and comes back as they took it.
static void apply_scroll() {
    apply_bar(SB_HORZ, g_view.h, g_view.sx, TRUE);
    apply_bar(SB_VERT, g_view.v, g_view.sy, TRUE);
    g_view.sx = read_pos(SB_HORZ);
    g_view.sy = read_pos(SB_VERT);
}

void view_ShowImageRect(int x1, int y1, int x2, int y2) {
    RECT c;
    GetClientRect(g_shell.view, &c);
    const RECT shown = client_rect_of({x1, y1, x2, y2});
    const int seenX = shown.left >= 0 && shown.right <= c.right, seenY = shown.top >= 0 && shown.bottom <= c.bottom;
    if (seenX && seenY) return;
    // The scroll position that puts the corner at the margin: its client point at scroll 0, less the margin.
    int px, py;
    vg_ImageToClient(g_view.zoom, 0, 0, x1, y1, &px, &py);
    if (!seenX) g_view.sx = px - vg_Margin();
    if (!seenY) g_view.sy = py - vg_Margin();
    ViewUpdateScrollBars(0);
    apply_scroll();
    InvalidateRect(g_shell.view, nullptr, TRUE);
}

// ---- zoom ----

static void pointer_image_point(int* ix, int* iy) {
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(g_shell.view, &p);
    vg_ClientToImage(g_view.zoom, g_view.sx, g_view.sy, p.x, p.y, ix, iy);
}

void ViewZoom(int direction) {
    HCURSOR old = SetCursor(g_shell.cursors[CURSOR_ZOOM]);
    int z = vg_NextZoom(g_view.zoom, direction);
    int rx, ry;
    pointer_image_point(&rx, &ry);
    char before[256] = "";  // the status line's text, back once the zoom is done
    if (g_shell.status) GetWindowTextA(g_shell.status, before, sizeof before);
    const int changed = z != g_view.zoom;
    if (changed) {
        ui_SetStatus(z > g_view.zoom ? " Zooming In... Please Wait" : " Zooming Out... Please Wait");
        g_view.zoom = z;
        ViewUpdateScrollBars(0);
        // Below zoom 1 a client pixel is a block of image pixels: closer cannot be told.
        const int within = 2 * vg_Shrink(z);
        for (int round = 0; round < 11; round++) {
            int nx, ny;
            pointer_image_point(&nx, &ny);
            int dx = rx - nx, dy = ry - ny;
            if (dx > -within && dx < within && dy > -within && dy < within) break;
            int cx, cy;  // the difference in client pixels
            vg_ImageToClient(z, vg_Margin(), vg_Margin(), dx, dy, &cx, &cy);
            g_view.sx += cx / 2;
            g_view.sy += cy / 2;
            ViewUpdateScrollBars(0);
        }
        apply_scroll();
    }
    InvalidateRect(g_shell.view, nullptr, TRUE);
    UpdateWindow(g_shell.view);
    if (changed) ui_SetStatus(before);
    SetCursor(old);
}

void view_FitInWindow() {
    if (!g_shell.view || !image_ready(&g_doc.mainImage)) return;
    int cw, ch;
    client_size(&cw, &ch);
    g_view.zoom = vg_FitZoom((int)g_doc.mainImage.width, (int)g_doc.mainImage.height, cw, ch);
    ViewUpdateScrollBars(1);
    view_FullRepaint();
}

void view_FullRepaint() {
    cmp_Changed(CMP_ALL);
    InvalidateRect(g_shell.view, nullptr, TRUE);
    UpdateWindow(g_shell.view);
}

void view_Shutdown() {
    if (g_view.zoomBuf.created) srf_Destroy(&g_view.zoomBuf);
}

// ---- painting ----

// A 1-pixel line from (x1, y1) up to, not including, (x2, y2).
static void line(HDC dc, int x1, int y1, int x2, int y2, COLORREF c) {
    if (x2 < x1 || y2 < y1 || (x1 == x2 && y1 == y2)) return;
    HPEN pen = CreatePen(PS_SOLID, 1, c), old = (HPEN)SelectObject(dc, pen);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    DeleteObject(SelectObject(dc, old));
}

static COLORREF band(int i, COLORREF a, COLORREF b) {
    if (i < 2) return a;
    if (i >= 14) return b;
    return clr_Lerp(i, 16, a, b);
}

static int max2(int a, int b) { return a > b ? a : b; }

// One ruler line (row i of the top ruler when horizontal, column i of the left one),
// drawn on screen line `at`: above 96 DPI each of the 16 lines covers several.
static void ruler_line(HDC dc, int i, int at, int horizontal, int L, int R, int extent, const int* ticks,
                       const int* longs, int nticks) {
    // Along the ruler: position a..b on line `at`; `dot` sets one pixel at a.
    auto seg = [&](int a, int b, COLORREF c) {
        if (b <= a) return;
        if (horizontal) line(dc, a, at, b, at, c);
        else line(dc, at, a, at, b, c);
    };
    auto dot = [&](int a, COLORREF c) { horizontal ? SetPixel(dc, a, at, c) : SetPixel(dc, at, a, c); };
    COLORREF out = band(i, 0xFDC0C0, 0xB07070), in = band(i, 0xFFE0E0, 0xD09090);
    if (L >= at) seg(at, L, out);
    if (R >= at) seg(max2(L, at), R, in);
    seg(max2(R, at), extent, out);
    dot(extent - 1, 0xB07070);
    int z = vg_Cell(g_view.zoom);
    for (int k = 0; k < nticks; k++) {
        int top = longs[k] ? 5 : 11;
        if (i >= top && i <= 14 && ticks[k] > at) seg(ticks[k], ticks[k] + z, 0xFF0000);
    }
    if (i < 6) {
        int c = vg_RulerCentre(extent);
        seg(c - 4, c + 5, 0x007F00);
        dot(c - 1, 0);
        dot(c + 1, 0);
        dot(c, 0x00FFFF);
    }
    if (i < 15) {
        int M = (L + R) / 2;
        seg(L, L + z, 0x0000FF);
        seg(R - z, R, 0x0000FF);
        seg(M - z, M, 0xFF00FF);
    }
}

static void paint_rulers(HDC dc, int cw, int ch, const RECT& img) {
    static int tx[2048], lx[2048], ty[2048], ly[2048];
    int nx = vg_RulerTicks(img.left, g_view.zoom, cw, tx, lx, 2048);
    int ny = vg_RulerTicks(img.top, g_view.zoom, ch, ty, ly, 2048);
    if (nx > 2048) nx = 2048;
    if (ny > 2048) ny = 2048;
    for (int i = 0; i < VG_RULER; i++)
        for (int at = dpi_Scale(i); at < dpi_Scale(i + 1); at++) {
            ruler_line(dc, i, at, 1, img.left, img.right, cw, tx, lx, nx);
            ruler_line(dc, i, at, 0, img.top, img.bottom, ch, ty, ly, ny);
        }
}

static void paint_background(HDC dc, int cw, int ch, const RECT& img) {
    int off = 2 * vg_Cell(g_view.zoom) + 6;
    RECT shadow = {img.left + off, img.top + off, img.right + off, img.bottom + off};
    HRGN area = CreateRectRgn(vg_RulerSize(), vg_RulerSize(), cw, ch);
    HRGN imgR = CreateRectRgnIndirect(&img);
    HRGN shR = CreateRectRgnIndirect(&shadow);
    HRGN back = CreateRectRgn(0, 0, 0, 0);
    // The pattern stays put on the image while it scrolls (shifted pixels then match).
    SetBrushOrgEx(dc, (vg_Margin() - g_view.sx) & 7, (vg_Margin() - g_view.sy) & 7, nullptr);
    CombineRgn(back, area, imgR, RGN_DIFF);
    CombineRgn(back, back, shR, RGN_DIFF);
    FillRgn(dc, back, g_shell.pattern);
    CombineRgn(back, shR, imgR, RGN_DIFF);
    CombineRgn(back, back, area, RGN_AND);
    FillRgn(dc, back, g_shell.shadow);
    DeleteObject(area);
    DeleteObject(imgR);
    DeleteObject(shR);
    DeleteObject(back);
}

// Below zoom 1: one client pixel per block, from the composite's reduced copy.
static void paint_reduced(HDC dc, const RECT& inv, const RECT& img, int cw, int ch) {
    Surface* red = cmp_Reduced(image_rect_of(inv), vg_Shrink(g_view.zoom), g_view.buttons, g_view.zoom);
    RECT area = {vg_RulerSize(), vg_RulerSize(), cw, ch}, r;
    if (!IntersectRect(&r, &inv, &img) || !IntersectRect(&r, &r, &area)) return;
    if (!red || !image_ready(red)) return;
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, (HDC)red->dc,
           r.left - vg_Margin() + g_view.sx, r.top - vg_Margin() + g_view.sy, SRCCOPY);
}

// Paints the image pixels of client rectangle `inv` from the composite, brought up
// to date there first; `img` is the client rectangle of the whole image.
static void paint_content(HDC dc, const RECT& inv, const RECT& img, int cw, int ch) {
    if (vg_Shrink(g_view.zoom) > 1) return paint_reduced(dc, inv, img, cw, ch);
    cmp_Update(image_rect_of(inv), g_view.buttons, g_view.zoom);
    Surface* c = cmp_Composite();
    RECT area = {vg_RulerSize(), vg_RulerSize(), cw, ch}, r;
    if (!IntersectRect(&r, &inv, &img) || !IntersectRect(&r, &r, &area)) return;
    if (!c || !image_ready(c)) return;
    if (g_view.zoom == 1) {
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, (HDC)c->dc,
               r.left - vg_Margin() + g_view.sx, r.top - vg_Margin() + g_view.sy, SRCCOPY);
        return;
    }
    Surface* zb = &g_view.zoomBuf;
    if (!zb->created || !vg_ZoomBufferFits(zb->width, zb->height, cw, ch)) {
        if (zb->created) srf_Destroy(zb);
        int w, h;
        vg_ZoomBufferSize(cw, ch, &w, &h);
        srf_Create(w, h, zb);
        if (!srf_IsValid(zb)) return;
    }
    int z = g_view.zoom, ox = vg_Margin() - g_view.sx, oy = vg_Margin() - g_view.sy;
    eng_SetClip(r.left - 1, r.top - 1, r.right, r.bottom);
    int x2 = ox + z * (int)c->width - 1, y2 = oy + z * (int)c->height - 1;
    if (g_settings.smoothZoom)
        blt_CopySmooth(zb, ox, oy, x2, y2, c, 0, 0, c->width - 1, c->height - 1, BLT_CLIP);
    else
        blt_Copy(zb, ox, oy, x2, y2, c, 0, 0, c->width - 1, c->height - 1, BLT_CLIP);
    eng_SetClip(0, 0, 0x7FFFFFFF, 0x7FFFFFFF);
    srf_Refresh(zb);
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, (HDC)zb->dc, r.left, r.top, SRCCOPY);
}

static void OnPaint(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    Surface* m = &g_doc.mainImage;
    if (image_ready(m)) {
        cmp_Fit();  // painting never counts as a change
        ViewUpdateScrollBars(0);
        int cw, ch;
        client_size(&cw, &ch);
        RECT img;
        vg_ImageToClient(g_view.zoom, g_view.sx, g_view.sy, 0, 0, (int*)&img.left, (int*)&img.top);
        img.right = img.left + vg_Extent(g_view.zoom, (int)m->width);
        img.bottom = img.top + vg_Extent(g_view.zoom, (int)m->height);
        paint_rulers(dc, cw, ch, img);
        paint_background(dc, cw, ch, img);
        paint_content(dc, ps.rcPaint, img, cw, ch);
    }
    EndPaint(w, &ps);
}

// ---- mouse ----

// One tool call: the tool runs, then the composite is brought up to date where the
// tool changed pixels and where it shows, the preview moves and that area is
// repainted.
static void run_tool(int phase, int buttons, LPARAM lp) {
    if (!image_ready(&g_doc.mainImage)) return;
    cmp_Fit();
    int ix, iy, z = g_view.zoom;
    vg_ClientToImage(z, g_view.sx, g_view.sy, (short)LOWORD(lp), (short)HIWORD(lp), &ix, &iy);
    g_view.inTool = 1;
    ToolRect changed;
    if (ToolApply(&g_doc.mainImage, ix, iy, z, &changed, phase, buttons))
        doc_StrokeChanged(changed.x1, changed.y1, changed.x2, changed.y2);
    cmp_Changed(changed);
    RECT client;
    GetClientRect(g_shell.view, &client);
    ToolRect shown = tool_RectUnion(changed, image_rect_of(client));
    ToolRect area = tool_RectUnion(changed, cmp_Preview(shown, phase, buttons, z, 1));
    g_view.inTool = 0;
    if (tool_RectEmpty(area)) return;
    RECT inv = client_rect_of(area);
    InvalidateRect(g_shell.view, &inv, FALSE);
    UpdateWindow(g_shell.view);
}

static void OnButtonDown(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    int other = msg == WM_LBUTTONDOWN ? (wp & MK_RBUTTON) : (wp & MK_LBUTTON);
    g_view.buttons = other ? 3 : msg == WM_LBUTTONDOWN ? 1 : 2;
    doc_BeginStroke();
    SetCapture(w);
    SetFocus(GetParent(w));
    run_tool(TOOL_PRESS, g_view.buttons, lp);
}

static void OnButtonUp(UINT msg, LPARAM lp) {
    int released = msg == WM_LBUTTONUP ? 1 : 2;
    g_view.buttons &= ~released;
    ReleaseCapture();
    run_tool(TOOL_RELEASE, released, lp);
    if (doc_EndStroke()) preview_Refresh();  // the painted stroke shows there too
}

static void OnMiddleDown() { tool_SwapWithPrevious(); }

static void OnMouseMove(HWND w, WPARAM wp, LPARAM lp) {
    run_tool(TOOL_MOVE, (wp & MK_LBUTTON ? 1 : 0) | (wp & MK_RBUTTON ? 2 : 0), lp);
    if (!g_settings.autoScroll) return;
    if (!(GetAsyncKeyState(VK_LBUTTON) & 0x8000) && !(GetAsyncKeyState(VK_RBUTTON) & 0x8000)) return;
    POINT p = {(short)LOWORD(lp), (short)HIWORD(lp)};
    RECT r;
    GetClientRect(w, &r);
    if (PtInRect(&r, p)) return;
    if (p.x < 0) view_ScrollBy(SB_HORZ, SB_PAGEUP);
    else if (p.x >= r.right) view_ScrollBy(SB_HORZ, SB_PAGEDOWN);
    else if (p.y < 0) view_ScrollBy(SB_VERT, SB_PAGEUP);
    else view_ScrollBy(SB_VERT, SB_PAGEDOWN);
    PostMessageA(w, WM_MOUSEMOVE, wp, lp);
    UpdateWindow(w);
}

static int OnSetCursor(HWND w) {
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(w, &p);
    int ix, iy;
    vg_ClientToImage(g_view.zoom, g_view.sx, g_view.sy, p.x, p.y, &ix, &iy);
    Surface* m = &g_doc.mainImage;
    int inside = p.x >= vg_Margin() - g_view.sx && p.y >= vg_Margin() - g_view.sy && ix < (int)m->width &&
                 iy < (int)m->height && p.x >= vg_RulerSize() && p.y >= vg_RulerSize();
    int slot = CURSOR_ARROW;
    if (inside) {
        int tool = tool_Current();
        slot = tool >= 0 ? CURSOR_TOOL0 + tool : CURSOR_UNKNOWN_TOOL;
        if (g_doc.spritePresent && ix >= g_doc.spriteX1 && ix <= g_doc.spriteX2 && iy >= g_doc.spriteY1 &&
            iy <= g_doc.spriteY2)
            slot = CURSOR_MOVE;
    }
    SetCursor(g_shell.cursors[slot] ? g_shell.cursors[slot] : LoadCursorA(nullptr, IDC_ARROW));
    return 1;
}

// What the document asks of the view through the user-interface seam.
static void OnDocumentChanged(unsigned what) {
    if (what & UI_VIEW_COLOURS) {
        InvalidateRect(g_shell.colorbar, nullptr, FALSE);
        // Text art is drawn in the two colours.
        if (HWND t = textart_Window()) SendMessageA(t, WM_COMMAND, IDC_TA_RERENDER, 0);
    }
    if (what & UI_VIEW_SPRITE_MOVED) {
        if (g_settings.previewSprite) preview_Refresh();
        // During a stroke the tool reports the sprite's places; otherwise repaint all.
        if (!g_view.inTool) view_FullRepaint();
    }
    if (!(what & (UI_VIEW_TITLE | UI_VIEW_REPAINT | UI_VIEW_RESIZED))) return;
    if (what & UI_VIEW_TITLE) SetTitle(nullptr);
    if (what & UI_VIEW_REPAINT) preview_Refresh();
    cmp_Fit();
    if (what & UI_VIEW_RESIZED) update_bars(1, !doc_EditActive());
    if (what & (UI_VIEW_REPAINT | UI_VIEW_RESIZED)) view_FullRepaint();
}

static void OnCreate(HWND w) {
    g_shell.view = w;
    uiw_SetViewHandler(OnDocumentChanged);
    fxdlg_SetShownRect(shown_image_rect);
    ovl_SetView(w);
    SetTimer(w, TIMER_REDRAW, 1000, nullptr);
    ViewUpdateScrollBars(1);
    doc_StartHistory();
}

// Resizing repaints the frame with the bars' new range; they are drawn again once
// the resizing rests (several sizes may arrive at once, as at start-up).
static void OnSize() {
    update_bars(1, FALSE);
    InvalidateRect(g_shell.view, nullptr, TRUE);
}

LRESULT CALLBACK ViewProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: OnCreate(w); return 0;
    case WM_SIZE: OnSize(); return 0;
    case WM_PAINT: OnPaint(w); return 0;
    case WM_ERASEBKGND: cmp_Changed(CMP_ALL); return 1;
    case WM_HSCROLL: view_ScrollBy(SB_HORZ, LOWORD(wp)); return 0;
    case WM_VSCROLL: view_ScrollBy(SB_VERT, LOWORD(wp)); return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: OnButtonDown(w, msg, wp, lp); return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: OnButtonUp(msg, lp); return 0;
    case WM_MBUTTONDOWN: OnMiddleDown(); return 0;
    case WM_MOUSEMOVE: OnMouseMove(w, wp, lp); return 0;
    case WM_SETCURSOR: if (LOWORD(lp) == HTCLIENT) return OnSetCursor(w); break;
    case WM_KEYDOWN:
    case WM_KEYUP: return SendMessageA(GetParent(w), msg, wp, lp);
    case WM_TIMER:
        // A stroke is no pause: the bars wait for its end (the timer stays armed).
        if (wp == TIMER_DRAW_BARS) {
            if (GetCapture() != w) draw_bars();
        } else {
            UpdateWindow(w);
        }
        return 0;
    case WM_VIEW_GETZOOM: return g_view.zoom;
    case WM_VIEW_GETSCROLL: return MAKELRESULT((WORD)(short)g_view.sx, (WORD)(short)g_view.sy);
    case WM_DESTROY:
        KillTimer(w, TIMER_REDRAW);
        KillTimer(w, TIMER_DRAW_BARS);
        uiw_SetViewHandler(nullptr);
        ovl_SetView(nullptr);
        g_shell.view = nullptr;
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}
