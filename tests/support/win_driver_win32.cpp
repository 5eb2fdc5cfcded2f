// win_driver_win32.cpp — finds windows by title and presses their buttons.
#include "support/win_driver_win32.h"

#include <dlgs.h>

std::string WinPath(std::string hostPath) {
    for (char& c : hostPath)
        if (c == '/') c = '\\';
    return "Z:" + hostPath;
}

std::string TestProgramFolder() {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    return std::string(self).substr(0, std::string(self).rfind('\\'));
}

HWND FindWindowWait(const char* title, const char* cls, int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 20) {
        HWND w = FindWindowA(cls, title);
        if (w && IsWindowVisible(w)) return w;
        Sleep(20);
    }
    return nullptr;
}

void PressButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button) PostMessageA(button, BM_CLICK, 0, 0);
    else PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

void TypeFileName(HWND dialog, const std::string& name) {
    for (int i = 0; i < 100 && !GetDlgItem(dialog, cmb1); i++) Sleep(20);
    Sleep(200);  // the dialog fills its fields
    HWND field = GetDlgItem(dialog, cmb13);
    if (!field || !IsWindowVisible(field)) field = GetDlgItem(dialog, edt1);
    SendMessageA(field, WM_SETTEXT, 0, (LPARAM)name.c_str());  // also into another process
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

std::thread DriveWindowLater(const std::string& title, std::function<void(HWND)> action, int timeoutMs) {
    return std::thread([title, action, timeoutMs]() {
        HWND w = FindWindowWait(title.c_str(), nullptr, timeoutMs);
        if (w) action(w);
    });
}

std::thread AnswerWindowLater(const std::string& title, int id, int timeoutMs) {
    return DriveWindowLater(title, [id](HWND w) { PressButton(w, id); }, timeoutMs);
}
