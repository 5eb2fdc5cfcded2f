// setup_splash_win32.cpp — see setup_splash_win32.h. The picture is decoded once by
// the system picture loader into a Surface; painting stretches it (halftone) and
// draws the banner over it.
#include "installer/setup_splash_win32.h"
#include <cstdio>
#include <cstring>
#include "engine/surface_win32.h"
#include "formats/sysload_win32.h"
#include "installer/setup_ids.h"
#include "installer/setup_system_win32.h"
#include "platform/window_win32.h"

namespace {

const char SPLASH_CLASS[] = "MainWnd";
const char SPLASH_TITLE[] = "Kelvara 1.80 Installer";
const char BANNER[] = "Orvik's Kelvara 1.80  -  built " __DATE__;

struct SplashState {
    HWND window;
    Surface picture;
    int hasPicture;
};
SplashState g_splash;

void PaintBanner(HDC dc, const RECT& client) {
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    HFONT font = CreateFontA(-(screenHeight / 25), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Comic Sans MS");
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, OPAQUE);
    SetTextAlign(dc, TA_CENTER | TA_BOTTOM);
    TextOutA(dc, (client.left + client.right) / 2, client.bottom, BANNER, (int)std::strlen(BANNER));
    SelectObject(dc, old);
    DeleteObject(font);
}

void OnPaint(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT client;
    GetClientRect(w, &client);
    HDC source = nullptr;
    if (g_splash.hasPicture && srf_GetDC(&source, nullptr, &g_splash.picture)) {
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, (int)g_splash.picture.width,
                   (int)g_splash.picture.height, SRCCOPY);
        srf_ReleaseDC(&source, &g_splash.picture);
    } else {
        FillRect(dc, &client, (HBRUSH)GetStockObject(BLACK_BRUSH));
    }
    PaintBanner(dc, client);
    EndPaint(w, &ps);
}

LRESULT CALLBACK SplashProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: OnPaint(w); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_CLOSE: return 0;  // the installer's steps decide when it goes
    }
    return DefWindowProcA(w, msg, wp, lp);
}

void LoadPicture() {
    size_t size = 0;
    const uint8_t* data = setup_Resource(IDR_SPLASH, &size);
    ImageFileInfo info;
    std::memset(&info, 0, sizeof info);
    info.quiet = 1;
    g_splash.hasPicture = data && pic_LoadSystemBytes(&g_splash.picture, data, size, &info);
}

}  // namespace

HWND setup_CreateSplash(HINSTANCE instance) {
    LoadPicture();
    wnd_RegisterClass(instance, SPLASH_CLASS, SplashProc, CS_HREDRAW | CS_VREDRAW, LoadCursor(nullptr, IDC_ARROW),
                      nullptr);
    g_splash.window = CreateWindowExA(0, SPLASH_CLASS, SPLASH_TITLE, WS_POPUP | WS_MAXIMIZE, 0, 0,
                                      GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                      instance, nullptr);
    if (!g_splash.window) return nullptr;
    ShowWindow(g_splash.window, SW_SHOWMAXIMIZED);
    UpdateWindow(g_splash.window);
    return g_splash.window;
}

void setup_ShowSplash(int show) {
    if (g_splash.window) ShowWindow(g_splash.window, show ? SW_SHOWMAXIMIZED : SW_HIDE);
}

void setup_DestroySplash() {
    if (g_splash.window) DestroyWindow(g_splash.window);
    if (g_splash.hasPicture) srf_Destroy(&g_splash.picture);
    std::memset(&g_splash, 0, sizeof g_splash);
}
