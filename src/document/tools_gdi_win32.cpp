// tools_gdi_win32.cpp — the tools' device-context work and their questions (tools_gdi.h).
#include "document/tools_gdi.h"

#include <vector>

#include "document/doc_dialogs_win32.h"
#include "document/document.h"
#include "document/document_ids.h"
#include "document/toolkernel_win32.h"
#include "engine/surface_win32.h"
#include "platform/ui.h"
#include "platform/ui_win32.h"
#include "settings/settings.h"

namespace {

ToolRect FromRect(const RECT& r) { return {(int)r.left, (int)r.top, (int)r.right, (int)r.bottom}; }

// The region of a selection, in image pixels; null when it encloses nothing.
HRGN MakeRegion(int kind, const TkPoint* points, int count) {
    HRGN rgn = nullptr;
    if (kind == TGDI_ELLIPSE && count >= 2) {
        rgn = CreateEllipticRgn(points[0].x, points[0].y, points[1].x + 1, points[1].y + 1);
    } else if (kind == TGDI_POLYGON && count >= 3) {
        std::vector<POINT> p(count);
        for (int i = 0; i < count; i++) p[i] = {points[i].x, points[i].y};
        rgn = CreatePolygonRgn(p.data(), count, ALTERNATE);
    } else if (kind == TGDI_CURVE && count >= 2) {
        // Closed: the curve runs back to its first point.
        std::vector<TkPoint> closed(points, points + count);
        closed.push_back(points[0]);
        tk_SmoothCurve(&g_doc.mainImage, closed.data(), count + 1, g_settings.colour1, 1, nullptr, &rgn, 0);
    }
    RECT box;
    if (rgn && GetRgnBox(rgn, &box) == NULLREGION) {
        DeleteObject(rgn);
        rgn = nullptr;
    }
    return rgn;
}

}  // namespace

int tgdi_FloodFill(Surface* s, int x, int y, uint32_t colorref, int64_t border) {
    HDC dc;
    if (!srf_Lock(s)) return 0;
    if (!srf_GetDC(&dc, nullptr, s)) {
        srf_Unlock(s);
        return 0;
    }
    HBRUSH brush = CreateSolidBrush(colorref & 0x00FFFFFFu);
    HGDIOBJ old = SelectObject(dc, brush);
    BOOL ok = border < 0 ? ExtFloodFill(dc, x, y, GetPixel(dc, x, y), FLOODFILLSURFACE)
                         : ExtFloodFill(dc, x, y, (COLORREF)border & 0x00FFFFFFu, FLOODFILLBORDER);
    SelectObject(dc, old);
    DeleteObject(brush);
    srf_ReleaseDC(&dc, s);
    srf_Unlock(s);
    return ok ? 1 : 0;
}

int tgdi_PaintCurve(Surface* s, const TkPoint* points, int count, uint32_t colorref, int width, ToolRect* box) {
    RECT bounds;
    *box = TOOL_RECT_EMPTY;
    if (!tk_SmoothCurve(s, points, count, colorref, width, &bounds, nullptr, 1)) return 0;
    *box = FromRect(bounds);
    return 1;
}

int tgdi_SelectRegion(int kind, const TkPoint* points, int count, ToolRect* spriteArea) {
    *spriteArea = TOOL_RECT_EMPTY;
    HRGN rgn = MakeRegion(kind, points, count);
    if (!rgn) return 0;
    RECT box;
    GetRgnBox(rgn, &box);
    int border = tgdi_AskBorder();
    if (border < 0) border = 4;
    ToolRect r = {(int)box.left - border, (int)box.top - border, (int)box.right - 1 + border,
                  (int)box.bottom - 1 + border};
    HRGN image = CreateRectRgn(0, 0, (int)g_doc.mainImage.width, (int)g_doc.mainImage.height);
    CombineRgn(rgn, rgn, image, RGN_AND);
    DeleteObject(image);
    int made = doc_SpriteFromArea(r.x1, r.y1, r.x2, r.y2, 0);
    if (made) {
        OffsetRgn(rgn, -r.x1, -r.y1);
        srf_MaskFromRegion(&g_doc.sprite, rgn);
        *spriteArea = r;
    }
    DeleteObject(rgn);
    return made;
}

int tgdi_AskBorder() {
    // A right press asks while the view holds the mouse: the dialog needs it.
    ReleaseCapture();
    return doc_AskBorder(uiw_Owner());
}

int tgdi_RenderTextArt(Surface* sprite) {
    return tk_RenderTextArt(sprite, tool_TextArtText(), g_settings.textFont, g_settings.textSize,
                            g_settings.textFlags, g_settings.textStyle, g_settings.textLevel, g_settings.colour1,
                            g_settings.colour2, g_settings.textBorder, g_settings.textAntialias);
}

void tgdi_SpriteMenu() {
    HWND main = uiw_Owner();
    HMENU bar = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_SPRITE_MENU));
    if (!main || !bar) {
        if (bar) DestroyMenu(bar);
        return;
    }
    POINT at;
    GetCursorPos(&at);
    UINT id = (UINT)TrackPopupMenu(GetSubMenu(bar, 0), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, main,
                                   nullptr);
    DestroyMenu(bar);
    if (id) ui_PostCommand((int)id);
}

int tgdi_PreviewEllipse(Surface* composite, const ToolRect& box) {
    return tk_EllipseMarquee(composite, box.x1, box.y1, box.x2, box.y2);
}

int tgdi_PreviewCurve(Surface* composite, const TkPoint* points, int count, ToolRect* box, int draw) {
    RECT bounds;
    *box = TOOL_RECT_EMPTY;
    if (!tk_SmoothCurve(composite, points, count, TK_CURVE_PREVIEW, 1, &bounds, nullptr, draw)) return 0;
    *box = FromRect(bounds);
    return 1;
}
