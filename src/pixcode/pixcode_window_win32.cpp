// pixcode_window_win32.cpp — the programming window (dialog 211): a cyan-on-blue
// editor of the program text under its heading, with Done, Cancel and Help.
#include "pixcode/pixcode_window_win32.h"
#include <cstdio>
#include <cstring>
#include "platform/helpviewer.h"
#include "pixcode/pix_program.h"
#include "pixcode/pix_run.h"
#include "pixcode/pixcode_ids.h"
#include "platform/ui.h"
#include "platform/ui_win32.h"

namespace {
const COLORREF EDIT_TEXT = 0xFFFF00;      // cyan
const COLORREF EDIT_BACK = 0xFF0000;      // blue
const COLORREF HEADING_TEXT = 0x808080;
const COLORREF MODEL_TEXT = 0x804040;

// In/out record of one window, kept in GWLP_USERDATA.
struct EditArgs {
    const char* token;
    HFONT heading;
    HFONT editor;
    HBRUSH back;
};

struct WindowState {
    HWND open;   // the programming window now showing, if any
};
WindowState g_pixw;

HFONT MakeFont(HWND hwnd, const char* face, int points, int weight) {
    HDC dc = GetDC(hwnd);
    int height = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(hwnd, dc);
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

// Over the main window, else over the parent, else over the screen.
void Centre(HWND hwnd) {
    HWND over = uiw_Owner();
    if (!over || !IsWindow(over)) over = GetParent(hwnd);
    RECT area, me;
    if (over && IsWindow(over)) GetWindowRect(over, &area);
    else SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(hwnd, &me);
    int w = me.right - me.left, h = me.bottom - me.top;
    SetWindowPos(hwnd, nullptr, area.left + ((area.right - area.left) - w) / 2,
                 area.top + ((area.bottom - area.top) - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// First case-insensitive occurrence of `token` in `text`, or -1.
int FindToken(const char* text, const char* token) {
    size_t n = std::strlen(token);
    if (n == 0) return -1;
    for (size_t i = 0; text[i]; i++) {
        size_t k = 0;
        while (k < n && text[i + k]) {
            char a = text[i + k], b = token[k];
            if (a >= 'A' && a <= 'Z') a = (char)(a - 'A' + 'a');
            if (b >= 'A' && b <= 'Z') b = (char)(b - 'A' + 'a');
            if (a != b) break;
            k++;
        }
        if (k == n) return (int)i;
    }
    return -1;
}

BOOL OnInitDialog(HWND hwnd, EditArgs* args) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)args);
    if (g_pixw.open && IsWindow(g_pixw.open)) {
        ShowWindow(g_pixw.open, SW_HIDE);
        EndDialog(g_pixw.open, 0);
    }
    g_pixw.open = hwnd;
    args->heading = MakeFont(hwnd, "Arial", 12, FW_BOLD);
    args->editor = MakeFont(hwnd, "Courier New", 10, FW_NORMAL);
    args->back = CreateSolidBrush(EDIT_BACK);
    SendDlgItemMessageA(hwnd, IDC_PIX_HEADING, WM_SETFONT, (WPARAM)args->heading, FALSE);
    HWND edit = GetDlgItem(hwnd, IDC_PIX_EDIT);
    SendMessageA(edit, WM_SETFONT, (WPARAM)args->editor, FALSE);
    SendMessageA(edit, EM_LIMITTEXT, PIX_TEXT_MAX, 0);
    const char* text = pix_ProgramText();
    SetWindowTextA(edit, text);
    Centre(hwnd);
    SetFocus(edit);
    int at = args->token ? FindToken(text, args->token) : -1;
    if (at >= 0) {
        SendMessageA(edit, EM_SETSEL, at, at + (int)std::strlen(args->token));
        SendMessageA(edit, EM_SCROLLCARET, 0, 0);
    } else {
        SendMessageA(edit, EM_SETSEL, 0, -1);
    }
    return FALSE;   // the focus is set
}

INT_PTR OnColorStatic(HDC dc, HWND control) {
    int id = GetDlgCtrlID(control);
    SetTextColor(dc, id == IDC_PIX_HEADING ? HEADING_TEXT : (id == IDC_PIX_MODEL ? MODEL_TEXT : 0));
    SetBkMode(dc, TRANSPARENT);
    return (INT_PTR)GetSysColorBrush(COLOR_BTNFACE);
}

INT_PTR OnColorEdit(HDC dc, EditArgs* args) {
    SetTextColor(dc, EDIT_TEXT);
    SetBkColor(dc, EDIT_BACK);
    return (INT_PTR)args->back;
}

void OnCommand(HWND hwnd, int id) {
    switch (id) {
    case IDC_PIX_DONE: {
        char text[PIX_TEXT_SIZE];
        GetDlgItemTextA(hwnd, IDC_PIX_EDIT, text, sizeof text);
        pix_SetProgramText(text);
        EndDialog(hwnd, 1);
        break;
    }
    case IDCANCEL: EndDialog(hwnd, 0); break;
    case IDC_PIX_HELP: help_OpenPage("programming.htm"); break;
    default: break;
    }
}

void OnDestroy(HWND hwnd, EditArgs* args) {
    if (g_pixw.open == hwnd) g_pixw.open = nullptr;
    if (!args) return;
    if (args->heading) DeleteObject(args->heading);
    if (args->editor) DeleteObject(args->editor);
    if (args->back) DeleteObject(args->back);
    args->heading = args->editor = nullptr;
    args->back = nullptr;
}

INT_PTR CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    EditArgs* args = (EditArgs*)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    switch (msg) {
    case WM_INITDIALOG: return OnInitDialog(hwnd, (EditArgs*)lp);
    case WM_CTLCOLORSTATIC: return OnColorStatic((HDC)wp, (HWND)lp);
    case WM_CTLCOLOREDIT:
        if (args && GetDlgCtrlID((HWND)lp) == IDC_PIX_EDIT) return OnColorEdit((HDC)wp, args);
        return FALSE;
    case WM_COMMAND: OnCommand(hwnd, LOWORD(wp)); return TRUE;
    case WM_DESTROY: OnDestroy(hwnd, args); return FALSE;
    default: return FALSE;
    }
}

int EditorPrompt(UiPrompt* prompt) {
    prompt->result = pix_EditProgram(uiw_Owner(), prompt->inText);
    return 1;
}
}  // namespace

int pix_EditProgram(HWND owner, const char* token) {
    EditArgs args{token, nullptr, nullptr, nullptr};
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PIXCODE), owner,
                                EditProc, (LPARAM)&args);
    return r == 1 ? 1 : 0;
}

void pix_RegisterEditor() { ui_RegisterPrompt(PIX_EDITOR_PROMPT, EditorPrompt); }

int pix_RunCommand(Surface* target) {
    pix_RegisterEditor();
    return pix_Run(target);
}
