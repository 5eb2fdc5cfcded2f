// textart_win32.cpp — the Text-Art editor window (dialog 191) and the symbol dialog
// (281): filling their lists, turning control changes into the Text-Art text and
// settings, rendering into the sprite, owner-drawn font and symbol entries, the
// logo, label colours and idle translucency.
#include "panels/textart_win32.h"
#include <algorithm>
#include <cstdio>
#include <cstring>
#include "document/document.h"
#include "document/toolkernel_win32.h"
#include "document/tools.h"
#include "engine/surface.h"
#include "panels/textart_ids.h"
#include "panels/textart_rules.h"
#include "platform/ui.h"
#include "platform/window_win32.h"
#include "settings/settings.h"

namespace {
const COLORREF BOX_TEXT = 0x7F007F;        // the style boxes' texts
const COLORREF LABEL_TEXT = 0xFF0000;      // every other label
const COLORREF FONT_SELECTED = 0xFFC0C0;   // background of the chosen face
const COLORREF LOGO_BACK = 0x7F0000, LOGO_TEXT = 0x00FFFF;
const int FONT_ITEM_HEIGHT = 36, FONT_ITEM_POINTS = 20;
const int SYMBOL_ITEM_HEIGHT = 64, SYMBOL_FIRST = 128, SYMBOL_LAST = 255;
const UINT_PTR OPACITY_TIMER = 1;
const UINT OPACITY_MS = 1000;
const BYTE OPACITY_IDLE = 128, OPACITY_ACTIVE = 255;
const char LOGO_WORD[] = "Orvik";
const char NO_SELECTION_TEXT[] = "To insert text, select an area with the text tool first";
const char NO_SELECTION_TITLE[] = "No Selection";

struct EditorState {
    HWND wnd;        // the open editor, if any
    int lastTyped;   // the size chosen last, which the settings byte may hold capped
    int quiet;       // set while the code itself fills the edit box
};
EditorState g_ta;

// In/out record of the symbol dialog, kept in GWLP_USERDATA.
struct SymbolArgs {
    const char* face;
    int chosen;
};

int EditorSize() { return ta_EditorSize(g_settings.textSize, g_ta.lastTyped); }

HFONT MakeFont(const char* face, int pixelHeight, int weight, BOOL italic) {
    return CreateFontA(-pixelHeight, 0, 0, 0, weight, italic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

int PointsToPixels(HDC dc, int points) { return MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72); }

// Fills a rectangle through the DC's own brush, so painting makes no GDI object.
void FillSolid(HDC dc, const RECT* r, COLORREF colour) {
    COLORREF was = SetDCBrushColor(dc, colour);
    FillRect(dc, r, (HBRUSH)GetStockObject(DC_BRUSH));
    SetDCBrushColor(dc, was);
}

// Symbol codes 128-255 are the characters of the Western code page 1252; the text
// holds them in the program's code page (UTF-8 under the manifest: two or three bytes).
void SymbolText(int code, char* out, int cap) {
    const char byte = (char)code;
    wchar_t wide = 0;
    int n = MultiByteToWideChar(1252, 0, &byte, 1, &wide, 1) == 1
                ? WideCharToMultiByte(CP_ACP, 0, &wide, 1, out, cap - 1, nullptr, nullptr)
                : 0;
    out[n > 0 ? n : 0] = 0;
}

// Draws `text` in a font made for the call; the font is put back and deleted.
void DrawInFont(HDC dc, HFONT font, const char* text, int length, RECT* r, UINT format, COLORREF colour) {
    HGDIOBJ was = font ? SelectObject(dc, font) : nullptr;
    int mode = SetBkMode(dc, TRANSPARENT);
    COLORREF ink = SetTextColor(dc, colour);
    DrawTextA(dc, text, length, r, format);
    SetTextColor(dc, ink);
    SetBkMode(dc, mode);
    if (was) SelectObject(dc, was);
    if (font) DeleteObject(font);
}

// ---- idle translucency ----

// The option may change while the editor is open, so every tick applies it afresh.
void UpdateOpacity(HWND w) {
    wnd_SetTranslucency(w, g_settings.idleTranslucent, wnd_PointerOver(w) ? OPACITY_ACTIVE : OPACITY_IDLE);
}

// ---- filling the controls ----

int CALLBACK AddFamily(const LOGFONTA* lf, const TEXTMETRICA*, DWORD, LPARAM list) {
    // Vertical variants ('@' faces) are not families of their own.
    if (lf->lfFaceName[0] && lf->lfFaceName[0] != '@' &&
        SendMessageA((HWND)list, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)lf->lfFaceName) == LB_ERR)
        SendMessageA((HWND)list, LB_ADDSTRING, 0, (LPARAM)lf->lfFaceName);
    return 1;
}

void FillFonts(HWND w) {
    ui_SetStatus(" Searching for fonts...");
    HWND list = GetDlgItem(w, IDC_TA_FONT);
    LOGFONTA want{};
    want.lfCharSet = DEFAULT_CHARSET;
    HDC dc = GetDC(w);
    EnumFontFamiliesExA(dc, &want, AddFamily, (LPARAM)list, 0);
    ReleaseDC(w, dc);
    LRESULT at = SendMessageA(list, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)g_settings.textFont);
    SendMessageA(list, LB_SETCURSEL, at == LB_ERR ? (WPARAM)-1 : (WPARAM)at, 0);
    char status[64];
    std::snprintf(status, sizeof status, " %i fonts found and loaded", (int)SendMessageA(list, LB_GETCOUNT, 0, 0));
    ui_SetStatus(status);
}

void ShowSize(HWND w) {
    HWND combo = GetDlgItem(w, IDC_TA_SIZE);
    char text[32];
    ta_SizeText(EditorSize(), text, sizeof text);
    LRESULT at = SendMessageA(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text);
    SendMessageA(combo, CB_SETCURSEL, at == CB_ERR ? (WPARAM)-1 : (WPARAM)at, 0);
    SetWindowTextA(combo, text);
}

void SelectNumbered(HWND combo, int number) {
    char prefix[16];
    ta_EntryPrefix(number, prefix, sizeof prefix);
    LRESULT at = SendMessageA(combo, CB_FINDSTRING, (WPARAM)-1, (LPARAM)prefix);
    SendMessageA(combo, CB_SETCURSEL, at == CB_ERR ? (WPARAM)-1 : (WPARAM)at, 0);
}

void FillLists(HWND w) {
    HWND size = GetDlgItem(w, IDC_TA_SIZE), style = GetDlgItem(w, IDC_TA_STYLE), border = GetDlgItem(w, IDC_TA_BORDER);
    char text[40];
    for (int i = 0; i < ta_SizeEntryCount(); i++) {
        ta_SizeText(ta_SizeEntry(i), text, sizeof text);
        SendMessageA(size, CB_ADDSTRING, 0, (LPARAM)text);
    }
    ShowSize(w);
    for (int i = 0; i <= TA_STYLE_MAX; i++) {
        ta_StyleName(i, text, sizeof text);
        SendMessageA(style, CB_ADDSTRING, 0, (LPARAM)text);
    }
    for (int i = 0; i <= TA_BORDER_MAX; i++) SendMessageA(border, CB_ADDSTRING, 0, (LPARAM)ta_BorderName(i));
    SelectNumbered(style, g_settings.textStyle);
    SelectNumbered(border, g_settings.textBorder);
}

void SetBar(HWND w, int id, int min, int max, int pos) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = min;
    si.nMax = max;
    si.nPage = 1;
    si.nPos = pos;
    SetScrollInfo(GetDlgItem(w, id), SB_CTL, &si, TRUE);
}

// Puts the buffer into the edit box without taking it back as a user's edit.
void ShowText(HWND w) {
    g_ta.quiet = 1;
    SetDlgItemTextA(w, IDC_TA_TEXT, tool_TextArtText());
    g_ta.quiet = 0;
    HWND edit = GetDlgItem(w, IDC_TA_TEXT);
    int end = GetWindowTextLengthA(edit);
    SendMessageA(edit, EM_SETSEL, (WPARAM)end, (LPARAM)end);
}

// ---- changes ----

void Append(HWND w, const char* add) {
    if (!ta_Append(tool_TextArtText(), TOOL_TEXT_MAX, add)) {
        ui_Beep(0);
        return;
    }
    ShowText(w);
    textart_Render();
}

void TakeSize(const char* text) {
    int size = ta_SizeFromText(text, EditorSize());
    g_ta.lastTyped = size;
    set_TextValue(SET_TEXT_SIZE, ta_StoredSize(size));
}

void OnSizeChange(HWND w, int code) {
    HWND combo = GetDlgItem(w, IDC_TA_SIZE);
    char text[64] = "";
    int before = EditorSize();
    LRESULT at = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    // While the list is open the edit field still shows the old entry.
    if (code == CBN_SELCHANGE && at != CB_ERR && SendMessageA(combo, CB_GETLBTEXTLEN, (WPARAM)at, 0) < (LRESULT)sizeof text)
        SendMessageA(combo, CB_GETLBTEXT, (WPARAM)at, (LPARAM)text);
    else
        GetWindowTextA(combo, text, sizeof text);
    TakeSize(text);
    if (code != CBN_CLOSEUP || EditorSize() != before) textart_Render();
}

void OnNumberedChange(HWND w, int id) {
    HWND combo = GetDlgItem(w, id);
    LRESULT at = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    char text[64];
    if (at == CB_ERR || SendMessageA(combo, CB_GETLBTEXTLEN, (WPARAM)at, 0) >= (LRESULT)sizeof text) return;
    SendMessageA(combo, CB_GETLBTEXT, (WPARAM)at, (LPARAM)text);
    if (id == IDC_TA_STYLE) set_TextValue(SET_TEXT_STYLE, ta_StyleFromText(text, g_settings.textStyle));
    else set_TextValue(SET_TEXT_BORDER, ta_BorderFromText(text, g_settings.textBorder));
    textart_Render();
}

void OnFontChange(HWND w) {
    HWND list = GetDlgItem(w, IDC_TA_FONT);
    LRESULT at = SendMessageA(list, LB_GETCURSEL, 0, 0);
    char face[LF_FACESIZE * 2];
    if (at == LB_ERR || SendMessageA(list, LB_GETTEXTLEN, (WPARAM)at, 0) >= (LRESULT)sizeof g_settings.textFont) return;
    SendMessageA(list, LB_GETTEXT, (WPARAM)at, (LPARAM)face);
    set_TextFont(face);
    textart_Render();
}

void OnBoxes(HWND w) {
    int checked[TA_BOXES];
    for (int i = 0; i < TA_BOXES; i++) checked[i] = IsDlgButtonChecked(w, IDC_TA_BOLD + i) == BST_CHECKED;
    set_TextValue(SET_TEXT_FLAGS, ta_FlagsFromBoxes(checked));
    textart_Render();
}

void OnTextEdited(HWND w) {
    if (g_ta.quiet) return;
    GetDlgItemTextA(w, IDC_TA_TEXT, tool_TextArtText(), TOOL_TEXT_MAX);
    textart_Render();
}

void OnInsertSymbol(HWND w) {
    int c = textart_ChooseSymbol(w, g_settings.textFont);
    if (!c) return;
    char add[8];
    SymbolText(c, add, sizeof add);
    if (add[0]) Append(w, add);
}

// The sprite's rectangle is fitted to the text; a one-row probe of the sprite's width
// measures it so that only the document changes the sprite.
void OnFit() {
    if (!g_doc.spritePresent || !srf_IsValid(&g_doc.sprite) || !srf_Refresh(&g_doc.sprite)) {
        ui_Beep(0);
        return;
    }
    Surface probe{};
    srf_Create(g_doc.sprite.width, 1, &probe);
    RECT bounds = {g_doc.spriteX1, g_doc.spriteY1, g_doc.spriteX2, g_doc.spriteY2};
    int ok = srf_IsValid(&probe) && tk_FitTextSurface(&probe, tool_TextArtText(), g_settings.textFont, EditorSize(),
                                                      g_settings.textFlags, &bounds);
    srf_Destroy(&probe);
    if (!ok || !doc_ResizeSprite(bounds.right - bounds.left + 1, bounds.bottom - bounds.top + 1, 2)) {
        ui_Beep(0);
        return;
    }
    textart_Render();
}

// ---- the editor's messages ----

BOOL OnEditorInit(HWND w) {
    g_ta.wnd = w;
    g_ta.quiet = 0;
    FillFonts(w);
    FillLists(w);
    ShowText(w);
    SendDlgItemMessageA(w, IDC_TA_TEXT, EM_LIMITTEXT, TOOL_TEXT_MAX - 1, 0);
    for (int i = 0; i < TA_BOXES; i++)
        CheckDlgButton(w, IDC_TA_BOLD + i, (g_settings.textFlags >> i) & 1 ? BST_CHECKED : BST_UNCHECKED);
    SetBar(w, IDC_TA_LEVEL, TA_LEVEL_MIN, TA_LEVEL_MAX, g_settings.textLevel);
    SetBar(w, IDC_TA_ANTIALIAS, 0, TA_ANTIALIAS_MAX, g_settings.textAntialias);
    UpdateOpacity(w);
    SetTimer(w, OPACITY_TIMER, OPACITY_MS, nullptr);
    // Typing goes on at the end of the text rather than replacing it.
    SetFocus(GetDlgItem(w, IDC_TA_TEXT));
    return FALSE;
}

void OnEditorCommand(HWND w, int id, int code) {
    if (id == IDC_TA_RERENDER) {
        textart_Render();
        return;
    }
    switch (id) {
    case IDC_TA_TEXT:
        if (code == EN_CHANGE) OnTextEdited(w);
        break;
    case IDC_TA_FONT:
        if (code == LBN_SELCHANGE) OnFontChange(w);
        break;
    case IDC_TA_SIZE:
        if (code == CBN_SELCHANGE || code == CBN_EDITCHANGE || code == CBN_CLOSEUP) OnSizeChange(w, code);
        break;
    case IDC_TA_STYLE:
    case IDC_TA_BORDER:
        if (code == CBN_SELCHANGE) OnNumberedChange(w, id);
        break;
    case IDC_TA_LOGO:
        if (code == STN_CLICKED) Append(w, LOGO_WORD);
        break;
    case IDC_TA_INSERT_SYMBOL:
        if (code == BN_CLICKED) OnInsertSymbol(w);
        break;
    case IDC_TA_FIT:
        if (code == BN_CLICKED) OnFit();
        break;
    case IDCANCEL:
        DestroyWindow(w);
        break;
    default:
        if (id >= IDC_TA_BOLD && id < IDC_TA_BOLD + TA_BOXES && code == BN_CLICKED) OnBoxes(w);
        break;
    }
}

void OnEditorScroll(HWND bar, int code, int track) {
    const int id = GetDlgCtrlID(bar);
    if (id != IDC_TA_LEVEL && id != IDC_TA_ANTIALIAS) return;
    const SetTextValue which = id == IDC_TA_LEVEL ? SET_TEXT_LEVEL : SET_TEXT_ANTIALIAS;
    const uint8_t* field = id == IDC_TA_LEVEL ? &g_settings.textLevel : &g_settings.textAntialias;
    const int min = id == IDC_TA_LEVEL ? TA_LEVEL_MIN : 0, max = id == IDC_TA_LEVEL ? TA_LEVEL_MAX : TA_ANTIALIAS_MAX;
    const int value = ta_Scroll(*field, code, track, min, max);
    SetScrollPos(bar, SB_CTL, value, TRUE);
    if (value == *field) return;
    set_TextValue(which, value);
    textart_Render();
}

void DrawFontEntry(const DRAWITEMSTRUCT* d) {
    if (d->itemID == (UINT)-1) {
        if (d->itemState & ODS_FOCUS) DrawFocusRect(d->hDC, &d->rcItem);
        return;
    }
    char face[LF_FACESIZE * 2] = "";
    if (SendMessageA(d->hwndItem, LB_GETTEXTLEN, d->itemID, 0) < (LRESULT)sizeof face)
        SendMessageA(d->hwndItem, LB_GETTEXT, d->itemID, (LPARAM)face);
    const bool selected = (d->itemState & ODS_SELECTED) != 0;
    FillSolid(d->hDC, &d->rcItem, selected ? FONT_SELECTED : GetSysColor(COLOR_WINDOW));
    RECT r = d->rcItem;
    r.left += 4;
    HFONT font = MakeFont(face, PointsToPixels(d->hDC, FONT_ITEM_POINTS), FW_NORMAL, FALSE);
    DrawInFont(d->hDC, font, face, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS,
               selected ? 0x000000 : GetSysColor(COLOR_WINDOWTEXT));
    if (d->itemState & ODS_FOCUS) DrawFocusRect(d->hDC, &d->rcItem);
}

void DrawLogo(const DRAWITEMSTRUCT* d) {
    RECT r = d->rcItem;
    FillSolid(d->hDC, &r, LOGO_BACK);
    FrameRect(d->hDC, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
    // The word is about three times as wide as its font is high.
    const int height = std::min((r.bottom - r.top) / 2, (r.right - r.left) * 3 / 10);
    HFONT font = MakeFont("Times New Roman", height, FW_BOLD, TRUE);
    DrawInFont(d->hDC, font, LOGO_WORD, -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX, LOGO_TEXT);
}

INT_PTR OnEditorDrawItem(const DRAWITEMSTRUCT* d) {
    if (d->CtlID == IDC_TA_FONT) DrawFontEntry(d);
    else if (d->CtlID == IDC_TA_LOGO) DrawLogo(d);
    else return FALSE;
    return TRUE;
}

INT_PTR OnEditorLabelColour(HDC dc, HWND control) {
    int id = GetDlgCtrlID(control);
    SetTextColor(dc, id >= IDC_TA_BOLD && id < IDC_TA_BOLD + TA_BOXES ? BOX_TEXT : LABEL_TEXT);
    SetBkMode(dc, TRANSPARENT);
    return (INT_PTR)GetSysColorBrush(COLOR_BTNFACE);
}

// Measured before the dialog's initialisation: the heights are constants.
INT_PTR OnMeasureItem(int id, int list, int height, MEASUREITEMSTRUCT* m) {
    if (id != list) return FALSE;
    m->itemHeight = (UINT)height;
    return TRUE;
}

void OnEditorTimer(HWND w, WPARAM id) {
    if (id == OPACITY_TIMER) UpdateOpacity(w);
}

void OnEditorMouseMove(HWND w) {
    if (g_settings.idleTranslucent) wnd_SetTranslucency(w, 1, OPACITY_ACTIVE);
}

void OnEditorDestroy(HWND w) {
    KillTimer(w, OPACITY_TIMER);
    if (g_ta.wnd == w) g_ta.wnd = nullptr;
}

INT_PTR CALLBACK EditorProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: return OnEditorInit(w);
    case WM_COMMAND: OnEditorCommand(w, LOWORD(wp), HIWORD(wp)); return TRUE;
    case WM_HSCROLL: OnEditorScroll((HWND)lp, LOWORD(wp), (short)HIWORD(wp)); return TRUE;
    case WM_MEASUREITEM: return OnMeasureItem((int)wp, IDC_TA_FONT, FONT_ITEM_HEIGHT, (MEASUREITEMSTRUCT*)lp);
    case WM_DRAWITEM: return OnEditorDrawItem((const DRAWITEMSTRUCT*)lp);
    case WM_CTLCOLORSTATIC: return OnEditorLabelColour((HDC)wp, (HWND)lp);
    case WM_TIMER: OnEditorTimer(w, wp); return TRUE;
    case WM_MOUSEMOVE: OnEditorMouseMove(w); return TRUE;
    case WM_CLOSE: DestroyWindow(w); return TRUE;
    case WM_DESTROY: OnEditorDestroy(w); return TRUE;
    default: return FALSE;
    }
}

// ---- the symbol dialog ----

BOOL OnSymbolInit(HWND w, SymbolArgs* args) {
    SetWindowLongPtrA(w, GWLP_USERDATA, (LONG_PTR)args);
    HWND list = GetDlgItem(w, IDC_SYM_LIST);
    for (int c = SYMBOL_FIRST; c <= SYMBOL_LAST; c++) SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)c);
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    SetFocus(list);
    return FALSE;   // the focus is set
}

void DrawSymbolEntry(HWND w, const DRAWITEMSTRUCT* d) {
    if (d->itemID == (UINT)-1) return;
    const SymbolArgs* args = (const SymbolArgs*)GetWindowLongPtrA(w, GWLP_USERDATA);
    const bool selected = (d->itemState & ODS_SELECTED) != 0;
    const COLORREF ink = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    FillSolid(d->hDC, &d->rcItem, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    char symbol[8];
    SymbolText(SYMBOL_FIRST + (int)d->itemID, symbol, sizeof symbol);
    RECT glyph = d->rcItem;
    glyph.right = glyph.left + SYMBOL_ITEM_HEIGHT;
    HFONT big = MakeFont(args && args->face ? args->face : "", SYMBOL_ITEM_HEIGHT * 3 / 4, FW_NORMAL, FALSE);
    DrawInFont(d->hDC, big, symbol, -1, &glyph, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX, ink);
    char code[16];
    std::snprintf(code, sizeof code, "#%i", SYMBOL_FIRST + (int)d->itemID);
    RECT label = d->rcItem;
    label.left = glyph.right + 8;
    HGDIOBJ was = SelectObject(d->hDC, (HGDIOBJ)SendMessageA(w, WM_GETFONT, 0, 0));
    DrawInFont(d->hDC, nullptr, code, -1, &label, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, ink);
    SelectObject(d->hDC, was);
    if (d->itemState & ODS_FOCUS) DrawFocusRect(d->hDC, &d->rcItem);
}

INT_PTR OnSymbolDrawItem(HWND w, const DRAWITEMSTRUCT* d) {
    if (d->CtlID != IDC_SYM_LIST) return FALSE;
    DrawSymbolEntry(w, d);
    return TRUE;
}

void EndSymbol(HWND w, int ok) {
    SymbolArgs* args = (SymbolArgs*)GetWindowLongPtrA(w, GWLP_USERDATA);
    LRESULT at = SendDlgItemMessageA(w, IDC_SYM_LIST, LB_GETCURSEL, 0, 0);
    if (ok && args && at != LB_ERR) args->chosen = SYMBOL_FIRST + (int)at;
    EndDialog(w, ok && args && args->chosen ? IDOK : IDCANCEL);
}

void OnSymbolCommand(HWND w, int id, int code) {
    if (id == IDOK || (id == IDC_SYM_LIST && code == LBN_DBLCLK)) EndSymbol(w, 1);
    else if (id == IDCANCEL) EndSymbol(w, 0);
}

INT_PTR CALLBACK SymbolProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: return OnSymbolInit(w, (SymbolArgs*)lp);
    case WM_COMMAND: OnSymbolCommand(w, LOWORD(wp), HIWORD(wp)); return TRUE;
    case WM_MEASUREITEM: return OnMeasureItem((int)wp, IDC_SYM_LIST, SYMBOL_ITEM_HEIGHT, (MEASUREITEMSTRUCT*)lp);
    case WM_DRAWITEM: return OnSymbolDrawItem(w, (const DRAWITEMSTRUCT*)lp);
    default: return FALSE;
    }
}
}  // namespace

HWND textart_Window() { return g_ta.wnd; }

int textart_Render() {
    int ok = tk_RenderTextArt(&g_doc.sprite, tool_TextArtText(), g_settings.textFont, EditorSize(),
                              g_settings.textFlags, g_settings.textStyle, g_settings.textLevel, g_settings.colour1,
                              g_settings.colour2, g_settings.textBorder, g_settings.textAntialias);
    ui_ViewChanged(UI_VIEW_REPAINT);
    return ok;
}

HWND textart_Open(HWND mainWindow) {
    if (g_ta.wnd) {
        if (IsIconic(g_ta.wnd)) ShowWindow(g_ta.wnd, SW_RESTORE);
        SetForegroundWindow(g_ta.wnd);
        textart_Render();
        return g_ta.wnd;
    }
    HWND w = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TEXTART), mainWindow, EditorProc, 0);
    if (!w) return nullptr;
    wnd_CentreOver(w, mainWindow);
    ShowWindow(w, SW_SHOW);
    if (!g_doc.spritePresent || !srf_IsValid(&g_doc.mainImage))
        ui_MessageBox(NO_SELECTION_TEXT, NO_SELECTION_TITLE, UI_OK | UI_ICONWARNING);
    textart_Render();
    return g_ta.wnd;   // null when the user closed it meanwhile
}

int textart_ChooseSymbol(HWND owner, const char* face) {
    SymbolArgs args = {face, 0};
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TA_SYMBOL), owner, SymbolProc,
                                (LPARAM)&args);
    return r == IDOK ? args.chosen : 0;
}
