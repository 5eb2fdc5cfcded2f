// dialogs_win32.cpp — see dialogs_win32.h. Dialog procedures dispatch to handlers;
// the in/out record of a modal dialog travels through lParam and GWLP_USERDATA.
#include "app/dialogs_win32.h"

#include <cstdio>
#include <cstring>

#include "app/app_ids.h"
#include "app/shell_win32.h"
#include "app/title.h"
#include "document/document.h"
#include "document/undo.h"
#include "engine/blit.h"
#include "engine/surface.h"

// ---- splash ----

static INT_PTR CALLBACK SplashProc(HWND w, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG) {
        SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        return TRUE;
    }
    return FALSE;
}

HWND dlg_CreateSplash(HINSTANCE instance) {
    g_shell.splash = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_SPLASH), GetDesktopWindow(), SplashProc, 0);
    if (g_shell.splash) {
        ShowWindow(g_shell.splash, SW_SHOW);
        UpdateWindow(g_shell.splash);
    }
    return g_shell.splash;
}

void splash_Show(const char* text) {
    if (!g_shell.splash) return;
    SetDlgItemTextA(g_shell.splash, IDC_SPLASH_TEXT, text);
    UpdateWindow(g_shell.splash);
}

void splash_StepAside(int aside) {
    if (g_shell.splash) ShowWindow(g_shell.splash, aside ? SW_HIDE : SW_SHOW);
}

void dlg_DestroySplash() {
    if (g_shell.splash) DestroyWindow(g_shell.splash);
    g_shell.splash = nullptr;
}

// ---- a modal dialog that shows one text ----

struct TextDialog {
    int textId;
    char text[1024];
};

static INT_PTR CALLBACK TextProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        TextDialog* d = (TextDialog*)lp;
        SetWindowLongPtrA(w, GWLP_USERDATA, lp);
        SetDlgItemTextA(w, d->textId, d->text);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) EndDialog(w, LOWORD(wp));
        return TRUE;
    }
    return FALSE;
}

static void run_text(HWND owner, int templ, TextDialog* d) {
    DialogBoxParamA(g_shell.instance, MAKEINTRESOURCEA(templ), owner, TextProc, (LPARAM)d);
}

void dlg_About(HWND owner) {
    TextDialog d = {IDC_ABOUT_TEXT, ""};
    std::snprintf(d.text, sizeof d.text,
                  "A photo-quality paint program with its own graphics engine, "
                  "translucent sprites, effects and the Pixcode macro language.\n\n"
                  "Copyright (c) Orvik Lab.");
    run_text(owner, IDD_ABOUT, &d);
}

void dlg_Properties(HWND owner) {
    TextDialog d = {IDC_PROPERTIES_TEXT, ""};
    Surface* m = &g_doc.mainImage;
    srf_Refresh(m);
    std::snprintf(d.text, sizeof d.text,
                  "File: %s\nSize: %u x %u pixels\nMemory: %u KB\nSprite: %s\nUnsaved changes: %s\n"
                  "Undo steps: %i",
                  doc_FileName(), m->width, m->height, (unsigned)(m->byteSize / 1024),
                  g_doc.spritePresent ? "present" : "none", doc_HasUnsavedChanges() ? "yes" : "no",
                  undo_UndoCount());
    run_text(owner, IDD_PROPERTIES, &d);
}

// ---- system information ----

void dlg_MeasureBlits(int side, double out[4]) {
    Surface a, b;
    std::memset(&a, 0, sizeof a);
    std::memset(&b, 0, sizeof b);
    srf_Create(side, side, &a);
    srf_Create(side, side, &b);
    typedef int (*Blit)(Surface*, int, int, int, int, Surface*, int, int, int, int, unsigned);
    Blit ops[4] = {blt_Copy, blt_Blend, blt_CopySmooth, blt_BlendSmooth};
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    for (int i = 0; i < 4; i++) {
        int rounds = 0;
        QueryPerformanceCounter(&t0);
        do {
            // Stretch by a little so the scaling paths are the ones measured.
            ops[i](&b, 0, 0, side - 1, side - 1, &a, 0, 0, side - 2, side - 2, 0);
            rounds++;
            QueryPerformanceCounter(&t1);
        } while (t1.QuadPart - t0.QuadPart < f.QuadPart / 5);
        double seconds = (double)(t1.QuadPart - t0.QuadPart) / f.QuadPart;
        out[i] = rounds * (double)side * side / 1e6 / seconds;
    }
    srf_Destroy(&a);
    srf_Destroy(&b);
}

static void sysinfo_text(HWND w, int withBench) {
    char text[1024];
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    MEMORYSTATUSEX ms = {sizeof ms, 0, 0, 0, 0, 0, 0, 0, 0};
    GlobalMemoryStatusEx(&ms);
    HDC dc = GetDC(nullptr);
    int bpp = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(nullptr, dc);
    int n = std::snprintf(text, sizeof text,
                          "Processors: %lu\nPhysical memory: %llu MB (%lu%% in use)\n"
                          "Screen: %i x %i at %i bits per pixel\n",
                          si.dwNumberOfProcessors, (unsigned long long)(ms.ullTotalPhys >> 20),
                          ms.dwMemoryLoad, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), bpp);
    if (withBench) {
        double mp[4];
        dlg_MeasureBlits(512, mp);
        std::snprintf(text + n, sizeof text - n,
                      "\nKVDRAW2 transfers (megapixels per second):\n"
                      "Copy: %.1f   Blend: %.1f\nSmooth copy: %.1f   Smooth blend: %.1f",
                      mp[0], mp[1], mp[2], mp[3]);
    } else {
        std::snprintf(text + n, sizeof text - n, "\nPress \"Run Benchmark\" to measure the engine.");
    }
    SetDlgItemTextA(w, IDC_SYSINFO_TEXT, text);
}

static INT_PTR CALLBACK SysInfoProc(HWND w, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: sysinfo_text(w, 0); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDC_SYSINFO_RUN) {
            HCURSOR old = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
            sysinfo_text(w, 1);
            SetCursor(old);
        } else if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
            EndDialog(w, LOWORD(wp));
        }
        return TRUE;
    }
    return FALSE;
}

void dlg_SystemInfo(HWND owner) {
    DialogBoxParamA(g_shell.instance, MAKEINTRESOURCEA(IDD_SYSINFO), owner, SysInfoProc, 0);
}

// ---- notepad: the F3 history, newest first ----

static void notepad_fill(HWND w) {
    char text[4 * 260] = "";
    for (int i = 0; i < 4; i++)
        if (g_shell.statusHistory[i][0]) {
            std::strncat(text, g_shell.statusHistory[i], 256);
            std::strcat(text, "\r\n");
        }
    SetDlgItemTextA(w, IDC_NOTEPAD_TEXT, text);
}

static INT_PTR CALLBACK NotepadProc(HWND w, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: notepad_fill(w); return TRUE;
    case WM_APP: notepad_fill(w); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL || LOWORD(wp) == IDOK) DestroyWindow(w);
        return TRUE;
    case WM_DESTROY: g_shell.notepad = nullptr; return TRUE;
    }
    return FALSE;
}

void dlg_OpenNotepad(HWND owner) {
    if (g_shell.notepad) {
        SetForegroundWindow(g_shell.notepad);
        return;
    }
    g_shell.notepad = CreateDialogParamA(g_shell.instance, MAKEINTRESOURCEA(IDD_NOTEPAD), owner, NotepadProc, 0);
    if (g_shell.notepad) ShowWindow(g_shell.notepad, SW_SHOW);
}
