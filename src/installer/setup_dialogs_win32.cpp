// setup_dialogs_win32.cpp — see setup_dialogs_win32.h. The dialogs keep no state
// beyond what travels through lParam; the progress window is the one record here.
#include "installer/setup_dialogs_win32.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "installer/setup_ids.h"
#include "installer/setup_rules.h"
#include "installer/setup_system_win32.h"
#include "platform/window_win32.h"

namespace {

const UINT_PTR COUNTDOWN_TIMER = 1;
const int COUNTDOWN_SECONDS = 5;

struct ProgressState {
    HWND window;
};
ProgressState g_progress;

HINSTANCE module() { return GetModuleHandleA(nullptr); }

// ---- welcome ----

INT_PTR CALLBACK WelcomeProc(HWND w, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: CenterOver(w, GetWindow(w, GW_OWNER)); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) EndDialog(w, LOWORD(wp) == IDOK);
        return TRUE;
    }
    return FALSE;
}

// ---- licence ----

struct LicenceRun {
    char* text;  // with Windows line ends, for the edit box
    int secondsLeft;
};

void OnLicenceInit(HWND w, LicenceRun* run) {
    SetWindowLongPtrA(w, GWLP_USERDATA, (LONG_PTR)run);
    CenterOver(w, GetWindow(w, GW_OWNER));
    SetDlgItemTextA(w, IDC_SETUP_LICENCE_TEXT, run->text);
    SetDlgItemTextA(w, IDOK, "Please Wait...");
    EnableWindow(GetDlgItem(w, IDOK), FALSE);
    run->secondsLeft = COUNTDOWN_SECONDS;
    SetTimer(w, COUNTDOWN_TIMER, 1000, nullptr);
    SetFocus(GetDlgItem(w, IDCANCEL));
}

void OnLicenceTick(HWND w, LicenceRun* run) {
    if (run->secondsLeft > 0) {
        char text[32];
        std::snprintf(text, sizeof text, " Wait %i sec.", run->secondsLeft--);
        SetDlgItemTextA(w, IDOK, text);
        return;
    }
    KillTimer(w, COUNTDOWN_TIMER);
    SetDlgItemTextA(w, IDOK, "YES, I Agree");
    EnableWindow(GetDlgItem(w, IDOK), TRUE);
}

INT_PTR CALLBACK LicenceProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    LicenceRun* run = (LicenceRun*)GetWindowLongPtrA(w, GWLP_USERDATA);
    switch (msg) {
    case WM_INITDIALOG: OnLicenceInit(w, (LicenceRun*)lp); return FALSE;
    case WM_TIMER: OnLicenceTick(w, run); return TRUE;
    case WM_COMMAND:
        // Enter on the disabled button must not agree before the wait is over.
        if (LOWORD(wp) == IDOK && !IsWindowEnabled(GetDlgItem(w, IDOK))) return TRUE;
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
            KillTimer(w, COUNTDOWN_TIMER);
            EndDialog(w, LOWORD(wp) == IDOK);
        }
        return TRUE;
    }
    return FALSE;
}

// A copy of `text` whose lone line feeds became CR LF pairs; null without memory.
char* with_windows_line_ends(const char* text, size_t length) {
    char* out = (char*)std::malloc(2 * length + 1);
    if (!out) return nullptr;
    size_t n = 0;
    for (size_t i = 0; i < length && text[i]; i++) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out[n++] = '\r';
        out[n++] = text[i];
    }
    out[n] = 0;
    return out;
}

// ---- folder ----

struct FolderRun {
    const char* suggested;
    char* typed;
    size_t cap;
};

INT_PTR CALLBACK FolderProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    FolderRun* run = (FolderRun*)GetWindowLongPtrA(w, GWLP_USERDATA);
    switch (msg) {
    case WM_INITDIALOG:
        run = (FolderRun*)lp;
        SetWindowLongPtrA(w, GWLP_USERDATA, (LONG_PTR)run);
        CenterOver(w, GetWindow(w, GW_OWNER));
        SendDlgItemMessageA(w, IDC_SETUP_FOLDER_EDIT, EM_LIMITTEXT, SETUP_FOLDER_CHARS, 0);
        SetDlgItemTextA(w, IDC_SETUP_FOLDER_EDIT, run->suggested);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            GetDlgItemTextA(w, IDC_SETUP_FOLDER_EDIT, run->typed, (int)run->cap);
            EndDialog(w, 1);
        } else if (LOWORD(wp) == IDCANCEL) {
            EndDialog(w, 0);
        }
        return TRUE;
    }
    return FALSE;
}

// ---- finish ----

struct FinishBox {
    int id;
    unsigned bit;
};
const FinishBox kFinishBoxes[] = {
    {IDC_SETUP_VIEW_README, SETUP_VIEW_README},
    {IDC_SETUP_RUN_PROGRAM, SETUP_RUN_PROGRAM},
    {IDC_SETUP_VIEW_HELP, SETUP_VIEW_HELP},
};

INT_PTR CALLBACK FinishProc(HWND w, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        CenterOver(w, GetWindow(w, GW_OWNER));
        for (const FinishBox& b : kFinishBoxes) CheckDlgButton(w, b.id, BST_CHECKED);
        return TRUE;
    case WM_COMMAND:
        // Closing the window counts as "Finish": the installation is complete either way.
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
            unsigned mask = 0;
            for (const FinishBox& b : kFinishBoxes)
                if (IsDlgButtonChecked(w, b.id) == BST_CHECKED) mask |= b.bit;
            EndDialog(w, (INT_PTR)mask);
        }
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK ProgressProc(HWND w, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG) {
        CenterOver(w, GetWindow(w, GW_OWNER));
        return FALSE;
    }
    return FALSE;
}

}  // namespace

int setup_RunWelcome(HWND owner) {
    return DialogBoxParamA(module(), MAKEINTRESOURCEA(IDD_SETUP_WELCOME), owner, WelcomeProc, 0) == 1;
}

int setup_RunLicence(HWND owner, const char* licence, size_t length) {
    LicenceRun run = {with_windows_line_ends(licence ? licence : "", licence ? length : 0), 0};
    if (!run.text) return 0;
    const INT_PTR r = DialogBoxParamA(module(), MAKEINTRESOURCEA(IDD_SETUP_LICENCE), owner, LicenceProc, (LPARAM)&run);
    std::free(run.text);
    return r == 1;
}

int setup_RunFolder(HWND owner, const char* suggested, char* typed, size_t cap) {
    if (!typed || cap == 0) return 0;
    typed[0] = 0;
    FolderRun run = {suggested, typed, cap};
    return DialogBoxParamA(module(), MAKEINTRESOURCEA(IDD_SETUP_FOLDER), owner, FolderProc, (LPARAM)&run) == 1;
}

unsigned setup_RunFinish(HWND owner) {
    const INT_PTR r = DialogBoxParamA(module(), MAKEINTRESOURCEA(IDD_SETUP_FINISH), owner, FinishProc, 0);
    return r > 0 ? (unsigned)r : 0;
}

int setup_CreateProgress(HWND owner) {
    g_progress.window = CreateDialogParamA(module(), MAKEINTRESOURCEA(IDD_SETUP_PROGRESS), owner, ProgressProc, 0);
    if (!g_progress.window) return 0;
    SetWindowPos(g_progress.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return 1;
}

void setup_Progress(const char* caption) {
    if (!g_progress.window) return;
    SetDlgItemTextA(g_progress.window, IDC_SETUP_CAPTION, caption);
    ShowWindow(g_progress.window, SW_SHOWNA);
    UpdateWindow(g_progress.window);
    PumpMessages(0);
}

void setup_HideProgress() {
    if (g_progress.window) ShowWindow(g_progress.window, SW_HIDE);
    PumpMessages(0);
}

void setup_DestroyProgress() {
    if (g_progress.window) DestroyWindow(g_progress.window);
    g_progress.window = nullptr;
}
