// palette_win32.cpp — the two-click palette and manual RGB dialogs (palette_win32.h).
#include "panels/palette_win32.h"

#include <cstdio>

#include "engine/color.h"
#include "engine/shape.h"
#include "engine/surface.h"
#include "panels/colours.h"
#include "panels/panels_ids.h"
#include "platform/dpi.h"
#include "platform/dpi_win32.h"
#include "platform/ui.h"
#include "platform/window_win32.h"

namespace {

// Picture geometry in client pixels at 96 DPI; drawn and hit at the windows' DPI.
const int SQ_X = 8, SQ_Y = 8, SQ_COLS = 48, SQ_ROWS = 32, CELL = 8;
const int TONE_X = 400, TONE_W = 24;

struct Palette {
    uint32_t edited, selected;
    int h, l, s;
    Surface square, tone;
};

void TakeColour(Palette* p, uint32_t colour) {
    p->selected = colour & 0x00FFFFFFu;
    uint32_t hls = clr_ToHSL(p->selected);
    p->h = hls & 255;
    p->l = hls >> 8 & 255;
    p->s = hls >> 16 & 255;
}

// The square never changes; the tone bar follows H and L.
void DrawSquare(Palette* p) {
    if (!srf_CreateExact(SQ_COLS * CELL, SQ_ROWS * CELL, &p->square)) return;
    for (int r = 0; r < SQ_ROWS; r++)
        for (int c = 0; c < SQ_COLS; c++)
            drw_FillRect(&p->square, c * CELL, r * CELL, c * CELL + CELL - 1, r * CELL + CELL - 1,
                         clr_SwapRB(cpal_Colour(r * 255 / 31, c * 255 / 47, 255)));
    srf_Unlock(&p->square);
}

void DrawTone(Palette* p) {
    if (!p->tone.created && !srf_CreateExact(TONE_W, SQ_ROWS * CELL, &p->tone)) return;
    if (!p->tone.pixels && !srf_Lock(&p->tone)) return;
    for (int r = 0; r < SQ_ROWS; r++)
        drw_FillRect(&p->tone, 0, r * CELL, TONE_W - 1, r * CELL + CELL - 1,
                     clr_SwapRB(cpal_Colour(p->h, p->l, r * 255 / 31)));
    srf_Unlock(&p->tone);
}

// A 96-DPI rectangle (inclusive) on the screen.
RECT Scaled(int x1, int y1, int x2, int y2) {
    return {dpi_Scale(x1), dpi_Scale(y1), dpi_Scale(x2 + 1), dpi_Scale(y2 + 1)};
}

void Box(HDC dc, int x1, int y1, int x2, int y2, COLORREF fill) {
    HBRUSH b = CreateSolidBrush(fill);
    RECT r = Scaled(x1, y1, x2, y2);
    FillRect(dc, &r, b);
    FrameRect(dc, &r, (HBRUSH)GetStockObject(BLACK_BRUSH));
    DeleteObject(b);
}

void OnPaint(HWND dlg, Palette* p) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dlg, &ps);
    if (srf_Refresh(&p->square))
        dpiw_DrawPicture(dc, dpi_Scale(SQ_X), dpi_Scale(SQ_Y), (HDC)p->square.dc, SQ_COLS * CELL, SQ_ROWS * CELL);
    if (srf_Refresh(&p->tone))
        dpiw_DrawPicture(dc, dpi_Scale(TONE_X), dpi_Scale(SQ_Y), (HDC)p->tone.dc, TONE_W, SQ_ROWS * CELL);
    HBRUSH black = (HBRUSH)GetStockObject(BLACK_BRUSH);
    RECT sq = Scaled(SQ_X, SQ_Y, SQ_X + SQ_COLS * CELL - 1, SQ_Y + SQ_ROWS * CELL - 1);
    RECT tb = Scaled(TONE_X, SQ_Y, TONE_X + TONE_W - 1, SQ_Y + SQ_ROWS * CELL - 1);
    InflateRect(&sq, 1, 1);
    InflateRect(&tb, 1, 1);
    FrameRect(dc, &sq, black);
    FrameRect(dc, &tb, black);
    Box(dc, 16, 288, 421, 309, p->edited);
    Box(dc, 11, 283, 416, 304, p->selected);
    char text[64];
    int n = std::snprintf(text, sizeof text, " RGB{ r%i, g%i, b%i } ", (int)(p->selected & 255),
                          (int)(p->selected >> 8 & 255), (int)(p->selected >> 16 & 255));
    HGDIOBJ oldFont = SelectObject(dc, (HFONT)SendMessageA(dlg, WM_GETFONT, 0, 0));
    SetTextColor(dc, 0x000000);
    SetBkColor(dc, 0xFFFFFF);
    SetBkMode(dc, OPAQUE);
    RECT t = Scaled(11, 283, 416, 304);
    DrawTextA(dc, text, n, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
    EndPaint(dlg, &ps);
}

void Pick(HWND dlg, Palette* p, int x, int y) {
    if (!cpal_Pick(x, y, &p->h, &p->l, &p->s)) return;
    p->selected = cpal_Colour(p->h, p->l, p->s);
    DrawTone(p);
    InvalidateRect(dlg, nullptr, FALSE);
}

int OverPicture(int x, int y) {
    int h, l, s;
    return cpal_Pick(x, y, &h, &l, &s);
}

INT_PTR CALLBACK PaletteProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    Palette* p = (Palette*)GetWindowLongPtrA(dlg, GWLP_USERDATA);
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dlg, GWLP_USERDATA, lp);
        p = (Palette*)lp;
        DrawSquare(p);
        DrawTone(p);
        wnd_CentreOver(dlg, GetWindow(dlg, GW_OWNER));
        return TRUE;
    case WM_PAINT: OnPaint(dlg, p); return TRUE;
    case WM_LBUTTONDOWN:
        SetCapture(dlg);
        Pick(dlg, p, dpi_Unscale((short)LOWORD(lp)), dpi_Unscale((short)HIWORD(lp)));
        return TRUE;
    case WM_MOUSEMOVE:
        if (wp & MK_LBUTTON) Pick(dlg, p, dpi_Unscale((short)LOWORD(lp)), dpi_Unscale((short)HIWORD(lp)));
        return TRUE;
    case WM_LBUTTONUP: ReleaseCapture(); return TRUE;
    case WM_SETCURSOR: {
        POINT at;
        GetCursorPos(&at);
        ScreenToClient(dlg, &at);
        if (LOWORD(lp) != HTCLIENT || !OverPicture(dpi_Unscale(at.x), dpi_Unscale(at.y))) break;
        // The colour-picking cursor: the picker tool's.
        SetCursor(LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(117)));
        SetWindowLongPtrA(dlg, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
            colours_Changed();
            EndDialog(dlg, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(dlg, IDCANCEL); return TRUE;
        case IDC_PAL_MANUAL: {
            long c = EnterRgb(dlg, p->selected);
            if (c >= 0) {
                TakeColour(p, (uint32_t)c);
                DrawTone(p);
                InvalidateRect(dlg, nullptr, FALSE);
            }
            return TRUE;
        }
        case IDC_PAL_HELP:
            MessageBoxA(dlg,
                        "Step 1. \tClick the big square to select\n        \tthe basic color\n\nStep 2. \tClick the "
                        "vertical bar for a\n        \tspecific tone\n\nClick OK when done, Manual RGB to specify\nthe "
                        "RGB components of a color, or Cancel\nto discard changes.",
                        "Using the 2-Click Color Palette", MB_OK | MB_ICONINFORMATION);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK RgbProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        uint32_t c = (uint32_t)lp;
        SetDlgItemInt(dlg, IDC_RGB_RED, c & 255, FALSE);
        SetDlgItemInt(dlg, IDC_RGB_GREEN, c >> 8 & 255, FALSE);
        SetDlgItemInt(dlg, IDC_RGB_BLUE, c >> 16 & 255, FALSE);
        wnd_CentreOver(dlg, GetWindow(dlg, GW_OWNER));
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            // Read as unsigned numbers; an empty field counts 0.
            UINT r = GetDlgItemInt(dlg, IDC_RGB_RED, nullptr, FALSE);
            UINT g = GetDlgItemInt(dlg, IDC_RGB_GREEN, nullptr, FALSE);
            UINT b = GetDlgItemInt(dlg, IDC_RGB_BLUE, nullptr, FALSE);
            EndDialog(dlg, (INT_PTR)rgb_FromFields(r, g, b));
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            EndDialog(dlg, -1);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

long ChooseColour(HWND owner, uint32_t initial) {
    Palette p{};
    p.edited = initial & 0x00FFFFFFu;
    TakeColour(&p, initial);
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PALETTE), owner, PaletteProc,
                                (LPARAM)&p);
    if (p.square.created) srf_Destroy(&p.square);
    if (p.tone.created) srf_Destroy(&p.tone);
    return r == IDOK ? (long)p.selected : -1;
}

long EnterRgb(HWND owner, uint32_t initial) {
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MANUAL_RGB), owner, RgbProc,
                                (LPARAM)initial);
    return r < 0 ? -1 : (long)r;
}
