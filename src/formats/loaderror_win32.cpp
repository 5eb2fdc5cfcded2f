// loaderror_win32.cpp — the "Loader Error" dialog (template IDD_LOADER_ERROR).
#include "formats/loaderror_win32.h"

#include <shellapi.h>
#include "formats/dispatch.h"
#include "formats/formats_ids.h"
#include "platform/ui.h"

const char IMG_PLUGIN_PAGE[] = "https://www.kelvara.example/plugins";

namespace {

const char LINK_TEXT[] = "<< click here to download plugins >>";

struct LoaderErrorRun {
    const char* text;
    HFONT heading;  // bold copy of the dialog font, deleted when the dialog ends
};

void OnInit(HWND w, LoaderErrorRun* run) {
    SetWindowLongPtrA(w, GWLP_USERDATA, (LONG_PTR)run);
    SetDlgItemTextA(w, IDC_LDERR_TEXT, run->text ? run->text : "");
    LOGFONTA lf;
    HFONT base = (HFONT)SendMessageA(w, WM_GETFONT, 0, 0);
    if (base && GetObjectA(base, sizeof lf, &lf)) {
        lf.lfWeight = FW_BOLD;
        run->heading = CreateFontIndirectA(&lf);
        if (run->heading) SendDlgItemMessageA(w, IDC_LDERR_HEADING, WM_SETFONT, (WPARAM)run->heading, FALSE);
    }
}

void OnLinkClicked(HWND w) {
    HWND link = GetDlgItem(w, IDC_LDERR_LINK);
    SetWindowTextA(link, "Connecting...");
    UpdateWindow(link);
    ui_WaitCursor(1);
    ShellExecuteA(w, "open", IMG_PLUGIN_PAGE, nullptr, nullptr, SW_SHOWNORMAL);
    ui_WaitCursor(0);
    SetWindowTextA(link, LINK_TEXT);
}

INT_PTR CALLBACK LoaderErrorProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    LoaderErrorRun* run = (LoaderErrorRun*)GetWindowLongPtrA(w, GWLP_USERDATA);
    switch (msg) {
    case WM_INITDIALOG: OnInit(w, (LoaderErrorRun*)lp); return TRUE;
    case WM_CTLCOLORSTATIC: {
        int id = GetDlgCtrlID((HWND)lp);
        if (id != IDC_LDERR_HEADING && id != IDC_LDERR_LINK) break;
        HDC dc = (HDC)wp;
        SetTextColor(dc, id == IDC_LDERR_HEADING ? RGB(255, 0, 0) : RGB(0, 0, 255));
        SetBkMode(dc, TRANSPARENT);
        return (INT_PTR)GetSysColorBrush(COLOR_BTNFACE);
    }
    case WM_SETCURSOR:
        if ((HWND)wp == GetDlgItem(w, IDC_LDERR_LINK)) {
            SetCursor(LoadCursor(nullptr, IDC_HAND));
            SetWindowLongPtrA(w, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        break;
    case WM_COMMAND:
        if (LOWORD(wp) == IDC_LDERR_LINK && HIWORD(wp) == STN_CLICKED) OnLinkClicked(w);
        else if (LOWORD(wp) == IDCANCEL || LOWORD(wp) == IDOK) EndDialog(w, 0);
        return TRUE;
    case WM_DESTROY:
        if (run && run->heading) DeleteObject(run->heading);
        return FALSE;
    }
    return FALSE;
}

int PromptHandler(UiPrompt* prompt) {
    lerr_ShowDialog(GetActiveWindow(), prompt->inText);
    prompt->result = 0;
    return 1;
}

}  // namespace

void lerr_ShowDialog(HWND owner, const char* text) {
    LoaderErrorRun run{text, nullptr};
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LOADER_ERROR), owner, LoaderErrorProc,
                    (LPARAM)&run);
}

void lerr_RegisterPrompt() { ui_RegisterPrompt(IMG_LOADER_ERROR_PROMPT, PromptHandler); }
