// kv5_password_win32.cpp — the password dialog (template IDD_KV5_PASSWORD) and its
// prompt handler. The in/out record travels through lParam and GWLP_USERDATA.
#include "formats/kv5_password_win32.h"
#include <windows.h>
#include <cstring>
#include "formats/formats_ids.h"
#include "platform/ui.h"

namespace {

struct DialogRun {
    int mode;
    Kv5PasswordFields* fields;
};

DialogRun* RunOf(HWND dlg) { return (DialogRun*)GetWindowLongPtrA(dlg, GWLP_USERDATA); }

BOOL OnInitDialog(HWND dlg, DialogRun* run) {
    SetWindowLongPtrA(dlg, GWLP_USERDATA, (LONG_PTR)run);
    SendDlgItemMessageA(dlg, IDC_KV5PW_HINT, EM_LIMITTEXT, KV5_HINT_MAX, 0);
    SendDlgItemMessageA(dlg, IDC_KV5PW_PASSWORD, EM_LIMITTEXT, KV5_PASSWORD_MAX, 0);
    SendDlgItemMessageA(dlg, IDC_KV5PW_CONFIRM, EM_LIMITTEXT, KV5_PASSWORD_MAX, 0);
    SendDlgItemMessageA(dlg, IDC_KV5PW_PASSWORD, EM_SETPASSWORDCHAR, '*', 0);
    SendDlgItemMessageA(dlg, IDC_KV5PW_CONFIRM, EM_SETPASSWORDCHAR, '*', 0);
    CheckDlgButton(dlg, IDC_KV5PW_MASK, BST_CHECKED);
    if (run->mode == 0) {
        char hint[KV5_HINT_MAX + 1];
        std::memcpy(hint, run->fields->hint, KV5_HINT_MAX);
        hint[KV5_HINT_MAX] = 0;
        SetDlgItemTextA(dlg, IDC_KV5PW_HINT, hint);
        SendDlgItemMessageA(dlg, IDC_KV5PW_HINT, EM_SETREADONLY, TRUE, 0);
        SendDlgItemMessageA(dlg, IDC_KV5PW_CONFIRM, EM_SETREADONLY, TRUE, 0);
    }
    SetFocus(GetDlgItem(dlg, IDC_KV5PW_PASSWORD));
    return FALSE;  // focus set here
}

void OnMask(HWND dlg) {
    WPARAM ch = IsDlgButtonChecked(dlg, IDC_KV5PW_MASK) == BST_CHECKED ? '*' : 0;
    const int fields[2] = {IDC_KV5PW_PASSWORD, IDC_KV5PW_CONFIRM};
    for (int id : fields) {
        SendDlgItemMessageA(dlg, id, EM_SETPASSWORDCHAR, ch, 0);
        InvalidateRect(GetDlgItem(dlg, id), nullptr, TRUE);
    }
}

void OnApply(HWND dlg, DialogRun* run) {
    Kv5PasswordFields* f = run->fields;
    GetDlgItemTextA(dlg, IDC_KV5PW_PASSWORD, f->password, sizeof f->password);
    if (run->mode == 0) {
        EndDialog(dlg, 1);
        return;
    }
    GetDlgItemTextA(dlg, IDC_KV5PW_CONFIRM, f->confirm, sizeof f->confirm);
    if (!f->password[0] && !f->confirm[0]) {
        EndDialog(dlg, 0);
        return;
    }
    if (std::strcmp(f->password, f->confirm) != 0) {
        MessageBoxA(dlg, "Passwords don't match!", "Password Mismatch", MB_OK);
        return;
    }
    GetDlgItemTextA(dlg, IDC_KV5PW_HINT, f->hint, sizeof f->hint);
    EndDialog(dlg, 1);
}

INT_PTR CALLBACK PasswordProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(dlg, (DialogRun*)lp);
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK: OnApply(dlg, RunOf(dlg)); return TRUE;
        case IDCANCEL: EndDialog(dlg, 0); return TRUE;
        case IDC_KV5PW_MASK: OnMask(dlg); return TRUE;
        }
        break;
    }
    return FALSE;
}

int PromptHandler(UiPrompt* prompt) {
    Kv5PasswordFields fields{};
    if (prompt->mode == 0 && prompt->inText) {
        std::strncpy(fields.hint, prompt->inText, KV5_HINT_MAX);
        fields.hint[KV5_HINT_MAX] = 0;
    }
    prompt->result = kv5_PasswordDialog(prompt->mode, &fields);
    std::memcpy(prompt->text1, fields.password, sizeof fields.password);
    std::memcpy(prompt->text2, fields.hint, sizeof fields.hint);
    return 1;
}

}  // namespace

int kv5_PasswordDialog(int mode, Kv5PasswordFields* fields) {
    if (!fields) return 0;
    DialogRun run{mode ? 1 : 0, fields};
    // Every dialog asks afresh: the password fields never start filled.
    std::memset(fields->password, 0, sizeof fields->password);
    std::memset(fields->confirm, 0, sizeof fields->confirm);
    if (run.mode == 1) std::memset(fields->hint, 0, sizeof fields->hint);
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_KV5_PASSWORD),
                                GetActiveWindow(), PasswordProc, (LPARAM)&run);
    return r == 1 ? 1 : 0;
}

void kv5_RegisterPasswordPrompt() { ui_RegisterPrompt(KV5_PASSWORD_PROMPT, PromptHandler); }
