// bench_shell_win32.cpp — timings of the running program, measured from outside:
// start-up to " All systems go!!", shutdown after the exit question, and full
// repaints of the view over a 4096 x 4096 image at zoom 1 and 8, with "Smoothen on
// Zoom" off and on, and the work of one mouse-move segment of a stroke per tool
// family with the widest brush; below zoom 1, repaints, scroll steps and strokes; the
// preview step of every effect and transform at 2048 x 2048 and 4096 x 4096, zoom 1
// and 8. Prints milliseconds; asserts nothing.
// Usage (inside a Wine session): e2e_bench.exe [autosave | startup | view | preview]
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/app_ids.h"
#include "app/view_win32.h"
#include "e2e/driver_win32.h"
#include "engine/engine.h"
#include "engine/shape.h"
#include "engine/surface.h"
#include "formats/kv5_file.h"
#include "platform/paths.h"
#include "safety/autosave_win32.h"
#include "settings/settings.h"

static double now_ms() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return 1000.0 * t.QuadPart / f.QuadPart;
}

static std::string settings_bytes(int smooth) {
    SettingsRecord r;
    std::memset(&r, 0, sizeof r);
    r.undoMB = 64;
    r.tutorialCount = 3;
    r.smoothZoom = (uint8_t)smooth;
    r.toolWidth = 255;  // the widest brush the settings hold
    r.toolLevel = 100;
    r.alpha1 = 128;
    r.colour1 = 0x2040C0;
    r.colour2 = 0xC08020;
    std::string b(SET_FILE_SIZE, '\0');
    set_Encode(&r, (uint8_t*)&b[0]);
    return b;
}

// From the answer to the exit question until the process has ended; `windowGone`
// gets the time until the main window was destroyed (the rest is the shutdown
// after the message loop and the process's own end).
static double stop_timed(KvProcess* p, double* windowGone = nullptr) {
    PostMessageA(p->main, WM_CLOSE, 0, 0);
    HWND box = drv_FindOwned(p, "Confirm Exit", 10000);
    if (!box) box = drv_FindOwned(p, "Confirm Save And Exit", 1000);
    double t0 = now_ms();
    if (box) PostMessageA(GetDlgItem(box, drv_Text(box) == "Confirm Exit" ? IDYES : IDNO), BM_CLICK, 0, 0);
    while (IsWindow(p->main) && now_ms() - t0 < 30000) Sleep(1);
    if (windowGone) *windowGone = now_ms() - t0;
    drv_WaitExit(p, 30000);
    return now_ms() - t0;
}

struct StartWindows {
    DWORD pid;
    HWND splash, main;
};

static BOOL CALLBACK find_start_windows(HWND w, LPARAM lp) {
    StartWindows* f = (StartWindows*)lp;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != f->pid) return TRUE;
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (!std::strcmp(cls, "kelvara_wnd_main")) f->main = w;
    else if (!f->splash && GetDlgItem(w, IDC_SPLASH_TEXT)) f->splash = w;
    return TRUE;
}

// Started, and timed until the status line reads " All systems go!!": the windows
// are looked for and the status line read every millisecond with GetWindowText,
// which asks no message of the program while it starts.
static int start_timed(KvProcess* p, const std::string& dir, const char* args, double* ms) {
    double t0 = now_ms();
    if (!drv_Start(p, dir, args)) return 0;
    StartWindows f = {p->pi.dwProcessId, nullptr, nullptr};
    char text[256] = "";
    while (std::strcmp(text, " All systems go!!")) {
        if (now_ms() - t0 > 60000) return 0;
        Sleep(1);
        if (!f.main) EnumWindows(find_start_windows, (LPARAM)&f);
        if (f.main) GetWindowTextA(GetDlgItem(f.main, 6), text, sizeof text);
    }
    *ms = now_ms() - t0;
    p->main = f.main;
    return 1;
}

// Start-up by stage, watched from outside: the splash's text (then the status line's)
// is read every millisecond with GetWindowText, which asks no message of the busy
// program, and each text is timed from its first sight to the next one's (a stage
// shorter than a poll adds to the one before). The splash shows from stage 5 on;
// before it stand the process's start and stages 1-4.
static void startup_stages(const std::string& dir) {
    // The anchor: a console program of the system that does next to nothing, from
    // the start of its process to its end (Wine's share of any start).
    char sys[MAX_PATH];
    GetSystemDirectoryA(sys, sizeof sys);
    std::string cmd = std::string(sys) + "\\hostname.exe";
    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    double a0 = now_ms();
    if (CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, 30000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        std::printf("anchor: hostname.exe from its start to its end %.1f ms\n", now_ms() - a0);
    }
    KvProcess p;
    double t0 = now_ms(), since = t0;
    if (!drv_Start(&p, dir, "")) return;
    StartWindows f = {p.pi.dwProcessId, nullptr, nullptr};
    std::string last = "process start, entry, instance table, folders";
    std::printf("start-up by stage (warm):\n");
    while (now_ms() - t0 < 60000) {
        if (!f.splash || !f.main) EnumWindows(find_start_windows, (LPARAM)&f);
        char text[256] = "";
        if (f.splash && IsWindow(f.splash)) {
            GetWindowTextA(GetDlgItem(f.splash, IDC_SPLASH_TEXT), text, sizeof text);
        } else if (f.splash && f.main) {
            GetWindowTextA(GetDlgItem(f.main, 6), text, sizeof text);
            if (std::strcmp(text, " All systems go!!")) std::strcpy(text, "splash closed, view repainted");
        }
        if (text[0] && last != text) {
            std::printf("  %-48s %6.1f ms\n", last.c_str(), now_ms() - since);
            since = now_ms();
            last = text;
            if (last == " All systems go!!") break;
        }
        Sleep(1);
    }
    std::printf("  %-48s %6.1f ms in all\n", "to \" All systems go!!\"", now_ms() - t0);
    p.main = f.main;
    double gone = 0, ended = stop_timed(&p, &gone);
    std::printf("exit after the question: main window destroyed after %.1f ms, process ended after %.1f ms\n", gone,
                ended);
    drv_Kill(&p);
}

// Invalidate with erase (the composite is rebuilt) and paint synchronously: the
// sent WM_PAINT returns only when the program has painted.
static double repaint_ms(HWND main, int rounds) {
    HWND view = FindWindowExA(main, nullptr, "kelvara_wnd_view", nullptr);
    double total = 0;
    for (int i = 0; i <= rounds; i++) {
        InvalidateRect(view, nullptr, TRUE);
        double t0 = now_ms();
        SendMessageA(view, WM_PAINT, 0, 0);
        if (i) total += now_ms() - t0;  // the first round warms the zoom buffer
    }
    return total / rounds;
}

static void set_zoom(HWND main, int zoom) {
    HWND view = FindWindowExA(main, nullptr, "kelvara_wnd_view", nullptr);
    drv_Command(main, CMD_ZOOM_RESET);
    for (int z = 1; z < zoom; z *= 2) drv_Key(main, VK_PRIOR);
    for (int t = 0; t < 200 && SendMessageA(view, WM_VIEW_GETZOOM, 0, 0) != zoom; t++) Sleep(20);
}

// One stroke of `tool` (chosen on the tool bar) across the view: a press, 40 moves of
// (9, 6) client pixels and the release, each sent (so each returns when the view
// has run the tool, recomposed and repainted). Average and worst move, and the
// release (which records the undo step).
static void stroke_ms(KvProcess* p, int tool, const char* family) {
    HWND main = p->main;
    HWND view = FindWindowExA(main, nullptr, "kelvara_wnd_view", nullptr);
    HWND bar = FindWindowExA(main, nullptr, "kelvara_wnd_toolbar", nullptr);
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((tool % 2) * 20 + 10, 2 + (tool / 2) * 20 + 10));
    int x = 120, y = 120;
    SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    double total = 0, worst = 0;
    const int moves = 40;
    for (int i = 0; i < moves; i++) {
        x += 9;
        y += 6;
        double t0 = now_ms();
        SendMessageA(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
        double t = now_ms() - t0;
        total += t;
        if (t > worst) worst = t;
    }
    double t0 = now_ms();
    if (tool == 14 || tool == 16) {
        // A selection asks for its border: cancelled (border 4), then the sprite goes.
        PostMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        drv_Cancel(p, "Specify Border Size", 10000);
        t0 = now_ms();
        SendMessageA(main, WM_COMMAND, CMD_SPRITE_DISCARD, 0);
    } else {
        SendMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    std::printf("stroke segment, 4096 x 4096, width 255, tool %2i (%s): %.2f ms average, %.2f ms worst; "
                "release %.1f ms\n", tool, family, total / moves, worst, now_ms() - t0);
}

// Below zoom 1 on the 4096 x 4096 image: a full repaint (the composite composed and
// reduced where shown), a horizontal and a vertical scroll step of a page (16 client
// pixels; only the uncovered blocks are reduced) with its paint, and brush and pencil
// stroke segments.
static void reduced_view_ms(KvProcess* p) {
    HWND main = p->main, view = FindWindowExA(main, nullptr, "kelvara_wnd_view", nullptr);
    for (int zoom : {-4, -16}) {
        drv_Command(main, CMD_ZOOM_RESET);
        for (int z = 1; z != zoom; z = z == 1 ? -2 : z * 2) drv_Key(main, VK_NEXT);
        for (int t = 0; t < 200 && SendMessageA(view, WM_VIEW_GETZOOM, 0, 0) != zoom; t++) Sleep(20);
        std::printf("zoom 1/%i: full repaint of the view %.1f ms\n", -zoom, repaint_ms(main, 5));
        SendMessageA(view, WM_HSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
        SendMessageA(view, WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
        SendMessageA(view, WM_PAINT, 0, 0);
        double total = 0, worst = 0;
        const int steps = 20;
        for (int i = 0; i < steps; i++) {
            double t0 = now_ms();
            SendMessageA(view, i % 2 ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
            SendMessageA(view, WM_PAINT, 0, 0);
            double t = now_ms() - t0;
            total += t;
            if (t > worst) worst = t;
        }
        std::printf("zoom 1/%i: scroll step of a page with its paint %.2f ms average, %.2f ms worst\n", -zoom,
                    total / steps, worst);
        stroke_ms(p, 4, "brush");
        stroke_ms(p, 0, "pencil");
    }
}

// Live preview of every effect and transform on a side x side image at a zoom: from
// a scroll-bar step (sent once the last preview is a timer period old, so it previews
// at once, and what it left for later is done) until the program has recomputed what
// the view shows and repainted the view.
static void preview_latencies(KvProcess* p, int side, int zoom) {
    const unsigned period = (unsigned)((uint64_t)side * side / 16000 + 60);   // the longest preview period
    const struct {
        int command;
        const char* caption;
    } dialogs[] = {
        {CMD_FX_COLOR_SHIFT, "Effect - Color Shift"}, {CMD_FX_GAMMA, "Effect - Gamma Shift"},
        {CMD_FX_CHROMA, "Effect - Chroma Shift"}, {CMD_FX_CONTRAST, "Effect - Dynamic Contrast"},
        {CMD_FX_BRIGHTNESS, "Effect - Adjust Brightness"}, {CMD_FX_BLUR, "Effect - Blur / Smear"},
        {CMD_FX_SHARPEN, "Effect - Sharpen"}, {CMD_FX_EDGE, "Effect - Edge Detection"},
        {CMD_FX_POSTERIZE, "Effect - Posterize"}, {CMD_FX_EMBOSS, "Effect - Emboss"},
        {CMD_FX_PIXILATE, "Effect - Pixelate"}, {CMD_FX_SMOOTHING, "Effect - Advanced Smoothing"},
        {CMD_FX_DROP_SHADOW, "Effect - Drop Shadow"}, {CMD_FX_MASK_FILTER, "Effect - Color Filter"},
        {CMD_FX_AA_SPRITE, "Effect - Antialias Edges"}, {CMD_FX_AA_IMAGE, "Effect - Antialias Image"},
        {CMD_FX_BILEVEL, "Effect - Bi-Levelize"}, {CMD_FX_REPLACE, "Effect - Replace Colors"},
        {CMD_FX_BLUE_NORMAL, "Effect - Blue-Screening; Normal"}, {CMD_FX_BLUE_EXACT, "Effect - Blue-Screening; Exact"},
        {CMD_FX_ALPHA_CONTRAST, "Effect - Alpha Contrast"}, {CMD_FX_SET_ALPHA, "Effect - Set Alpha"},
        {CMD_TR_ROTATE, "Transform - Free Rotate"}, {CMD_TR_FLIP, "Transform - Flipping"},
        {CMD_TR_PERSPECTIVE, "Transform - Perspective"}, {CMD_TR_SKEW, "Transform - Skewing"},
        {CMD_TR_STRETCH, "Transform - Stretching"}, {CMD_TR_ROTATE90, "Transform - Right-Angle Rotate"},
    };
    const char* only = std::getenv("KV_BENCH_ONLY");  // a part of the captions to time, when looking into one
    for (const auto& d : dialogs) {
        if (only && !std::strstr(d.caption, only)) continue;
        drv_Command(p->main, d.command);
        if ((uint64_t)side * side > 4194304) drv_Answer(p, "Performance Warning", IDYES, 20000);
        HWND dlg = drv_FindOwned(p, d.caption, 20000);
        if (!dlg) {
            std::printf("preview, %d x %d, zoom %d: %s did not open\n", side, side, zoom, d.caption);
            continue;
        }
        HWND bar = GetDlgItem(dlg, 1040);
        double worst = 0, total = 0;
        const int rounds = 3;
        for (int i = 0; i < rounds; i++) {
            Sleep(period + 80);
            double t0 = now_ms();
            SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(i == 1 ? SB_PAGELEFT : SB_PAGERIGHT, 0), (LPARAM)bar);
            double t = now_ms() - t0;
            total += t;
            if (t > worst) worst = t;
        }
        std::printf("preview, %d x %d, zoom %d, %-34s %6.1f ms average, %6.1f ms worst\n", side, side, zoom, d.caption,
                    total / rounds, worst);
        PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
        for (int t = 0; t < 400 && IsWindow(dlg); t++) Sleep(25);
    }
}

// One auto-save of a 4096 x 4096 image in this process: the UI thread's share (the
// snapshot and thumbnail StartAutosave takes before the worker starts) and the whole
// write until the point is in place, beside a 64 MiB memcpy as the anchor.
static void autosave_timings(const std::string& dir) {
    path_Build((dir + "\\kelvara.exe").c_str());
    as_Reset();
    as_DrawRunId(GetTickCount());
    Surface s{};
    if (!srf_CreateExact(4096, 4096, &s)) return;
    drw_GradientRect(&s, 0, 0, 4095, 4095, 0x00FF8040, 0x804080FF, 0x0040FF80, 0x00FFFFFF);
    srf_Unlock(&s);
    std::string src(64u << 20, 'a'), dst(64u << 20, 'b');
    double t0 = now_ms();
    std::memcpy(&dst[0], src.data(), src.size());
    double anchor = now_ms() - t0;
    // The UI thread's share is every poll's time together (one of them takes the copy).
    double ui = 1e9, stall = 1e9, total = 1e9;
    for (int round = 0; round < 4; round++) {  // the best of four
        double start = now_ms(), inside = 0, longest = 0;
        int r = 0;
        do {
            if (inside > 0) Sleep(1);
            t0 = now_ms();
            r = StartAutosave(&s);
            double d = now_ms() - t0;
            inside += d;
            if (d > longest) longest = d;
        } while (r == 0);
        if (r < 0) {
            std::printf("auto-save, 4096 x 4096: failed\n");
            break;
        }
        ui = inside < ui ? inside : ui;
        stall = longest < stall ? longest : stall;
        total = now_ms() - start < total ? now_ms() - start : total;
    }
    std::printf("auto-save, 4096 x 4096: UI thread %.1f ms in all (longest poll %.1f ms), worker until the point "
                "is in place %.1f ms; memcpy of 64 MiB %.1f ms (UI share %.1fx memcpy)\n",
                ui, stall, total, anchor, ui / anchor);
    DeleteRunAutosave();
    srf_Destroy(&s);
    path_Build(nullptr);
}

int main(int argc, char** argv) {
    eng_Init();
    std::string dir = drv_MakeFolder("bench", settings_bytes(0));
    const bool previewsOnly = argc > 1 && !std::strcmp(argv[1], "preview");
    if (!previewsOnly) autosave_timings(dir);
    if (argc > 1 && !std::strcmp(argv[1], "autosave")) return 0;  // this figure alone
    std::string big = dir + "\\big.kv5";
    if (!previewsOnly) {
        Surface s;
        std::memset(&s, 0, sizeof s);
        srf_Create(4096, 4096, &s);
        if (srf_Lock(&s)) {
            drw_GradientRect(&s, 0, 0, 4095, 4095, 0x00FF8040, 0x004080FF, 0x0040FF80, 0x00FFFFFF);
            drw_FillEllipse(&s, 1000, 1000, 3000, 3000, 0x00203040);
            srf_Unlock(&s);
        }
        kv5_Save(&s, big.c_str(), nullptr);
        srf_Destroy(&s);
    }
    if (!previewsOnly) {   // start-up and the view
        double startup = 0, shutdown = 0;
        for (int round = 0; round < 3; round++) {  // the first warms Wine up
            KvProcess p;
            if (!start_timed(&p, dir, "", &startup)) return 1;
            shutdown = stop_timed(&p);
            drv_Kill(&p);
        }
        std::printf("start-up to \" All systems go!!\": %.0f ms (warm)\nshutdown after the exit question: %.0f ms\n",
                    startup, shutdown);
        startup_stages(dir);
        if (argc > 1 && !std::strcmp(argv[1], "startup")) return 0;
        for (int smooth = 0; smooth < 2; smooth++) {
            drv_MakeFolder("bench_view", settings_bytes(smooth));
            std::string vdir = dir + "\\..\\bench_view";
            CopyFileA(big.c_str(), (vdir + "\\big.kv5").c_str(), FALSE);
            KvProcess p;
            double ms;
            std::string arg = "\"" + vdir + "\\big.kv5\"";
            if (!start_timed(&p, vdir, arg.c_str(), &ms)) return 1;
            SetWindowPos(p.main, nullptr, 0, 0, 1024, 768, SWP_NOMOVE | SWP_NOZORDER);
            for (int zoom : {1, 8}) {
                set_zoom(p.main, zoom);
                std::printf("full repaint of the view, 4096 x 4096 image, zoom %i, smoothing %s: %.1f ms\n", zoom,
                            smooth ? "on" : "off", repaint_ms(p.main, 10));
            }
            if (smooth) {
                const struct {
                    int tool;
                    const char* family;
                } strokes[] = {{0, "pencil"}, {1, "calligraphy"}, {4, "brush"}, {5, "shadowing brush"},
                               {6, "spray"}, {7, "texturizer"}, {10, "smoother"}, {11, "directional smooth"},
                               {34, "eraser"}, {35, "opaquer"}, {2, "drag: line preview"},
                               {21, "drag: ellipse preview"}, {12, "ruler"}, {13, "lens"}, {14, "rectangle selection"},
                               {16, "free-form selection"}};
                for (int zoom : {1, 8}) {
                    set_zoom(p.main, zoom);
                    std::printf("zoom %i:\n", zoom);
                    for (const auto& k : strokes) stroke_ms(&p, k.tool, k.family);
                }
                reduced_view_ms(&p);
                double gone = 0, ended = stop_timed(&p, &gone);
                std::printf("exit after the question (not saving), 4096 x 4096 image after the strokes: main window "
                            "destroyed after %.1f ms, process ended after %.1f ms\n", gone, ended);
            }
            drv_Kill(&p);
        }
    }
    if (argc > 1 && !std::strcmp(argv[1], "view")) return 0;  // start-up and the view alone
    for (int side : {2048, 4096}) {
        // The preview image: some transparent pixels, so that every effect opens.
        std::string pdir = dir + "\\..\\bench_preview";
        drv_MakeFolder("bench_preview", settings_bytes(0));
        std::string pic = pdir + "\\preview.kv5";
        Surface s;
        std::memset(&s, 0, sizeof s);
        srf_Create((uint32_t)side, (uint32_t)side, &s);
        if (srf_Lock(&s)) {
            drw_GradientRect(&s, 0, 0, side - 1, side - 1, 0x00FF8040, 0x804080FF, 0x0040FF80, 0xFF202020);
            srf_Unlock(&s);
        }
        kv5_Save(&s, pic.c_str(), nullptr);
        srf_Destroy(&s);
        KvProcess p;
        double ms;
        std::string arg = "\"" + pic + "\"";
        if (!start_timed(&p, pdir, arg.c_str(), &ms)) return 1;
        SetWindowPos(p.main, nullptr, 0, 0, 1024, 768, SWP_NOMOVE | SWP_NOZORDER);
        for (int zoom : {1, 8}) {
            set_zoom(p.main, zoom);
            preview_latencies(&p, side, zoom);
        }
        drv_Kill(&p);
    }
    eng_Shutdown();
    return 0;
}
