// window_win32.cpp — shared window helpers (window_win32.h).
#include "platform/window_win32.h"

int wnd_RegisterClass(HINSTANCE instance, const char* name, WNDPROC proc, UINT style, HCURSOR cursor,
                      HBRUSH background) {
    WNDCLASSEXA c;
    ZeroMemory(&c, sizeof c);
    c.cbSize = sizeof c;
    c.hInstance = instance;
    c.lpfnWndProc = proc;
    c.style = style;
    c.lpszClassName = name;
    c.hCursor = cursor;
    c.hbrBackground = background;
    return RegisterClassExA(&c) != 0;
}

// Top-left corner that centres `w` in `area`.
static POINT centred_in(HWND w, const RECT& area) {
    RECT me;
    GetWindowRect(w, &me);
    int width = me.right - me.left, height = me.bottom - me.top;
    return {area.left + ((area.right - area.left) - width) / 2, area.top + ((area.bottom - area.top) - height) / 2};
}

static void move_to(HWND w, POINT at) {
    SetWindowPos(w, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void wnd_CentreOver(HWND w, HWND over) {
    RECT area;
    if (!over || !IsWindow(over) || !GetWindowRect(over, &area)) SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    move_to(w, centred_in(w, area));
}

void CenterOver(HWND w, HWND owner) {
    RECT desktop, area;
    GetWindowRect(GetDesktopWindow(), &desktop);
    if (!owner || !IsWindow(owner) || IsIconic(owner) || !GetWindowRect(owner, &area)) area = desktop;
    POINT at = centred_in(w, area);
    if (at.x > desktop.right - 32 || at.y > desktop.bottom - 32) at = {0, 0};
    move_to(w, at);
}

int wnd_PointerOver(HWND w) {
    POINT at;
    if (!GetCursorPos(&at)) return 0;
    HWND hit = WindowFromPoint(at);
    return hit && (hit == w || IsChild(w, hit));
}

void wnd_SetTranslucency(HWND w, int translucent, BYTE alpha) {
    typedef BOOL(WINAPI * SetLayeredFn)(HWND, COLORREF, BYTE, DWORD);
    static SetLayeredFn fn =
        (SetLayeredFn)(void*)GetProcAddress(GetModuleHandleA("user32.dll"), "SetLayeredWindowAttributes");
    LONG ex = GetWindowLongA(w, GWL_EXSTYLE);
    if (!translucent) {
        if (ex & WS_EX_LAYERED) SetWindowLongA(w, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
        return;
    }
    if (!fn) return;
    if (!(ex & WS_EX_LAYERED)) SetWindowLongA(w, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    fn(w, 0, alpha, LWA_ALPHA);
}
