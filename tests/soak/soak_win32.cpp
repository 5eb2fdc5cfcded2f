// soak_win32.cpp — drives the real kelvara.exe with a seeded random stream of input for
// a while: tools and strokes on the view, colours, every command of the menus but
// those that leave the scratch folder (print, scan, wallpaper, uninstall, web, help,
// another copy), undo and redo bursts, zoom keys, corpus files dropped on the window,
// auto-save ticks; every window that comes up is answered at random, and the next
// input waits until the program rests again, as a person's would. After each step
// the main window must answer within 5 s, no exception may have been reported, and the
// program's GDI, USER and kernel handles and private bytes stay under their bounds. At
// the end the image is saved as KV5, reloaded and saved again: both files hold the
// same pixels. A failure prints the seed and the step; the same seed replays the same
// input (the answers are drawn per step, so a window's timing does not shift it).
// Arguments: [seconds] [seed] (KV_SOAK_SECONDS, default 600; KV_SOAK_SEED, default time).
#include <windows.h>
#include <psapi.h>
#include <dlgs.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/app_ids.h"
#include "e2e/driver_win32.h"
#include "engine/engine.h"
#include "formats/kv5_file.h"
#include "safety/runlog.h"
#include "support/test_surface.h"
#include "support/win_driver_win32.h"

namespace {

// Commands that would leave the scratch folder, start other programs, end the program
// or stop for input the stream cannot give (file dialogs are answered by cancelling).
const std::set<int> LEFT_OUT = {CMD_PRINT, CMD_SCAN, CMD_OPEN_ANOTHER, CMD_EXIT, CMD_WALLPAPER, CMD_IMPORT_PLUGIN,
                                CMD_EXPORT_PLUGIN, CMD_ASSOCIATIONS, CMD_REINSTALL, CMD_UNINSTALL, CMD_HELP_CONTENTS,
                                CMD_README, CMD_TUTORIAL, CMD_HELP_EFFECTS, CMD_HELP_SPRITES, CMD_HELP_TIPS,
                                CMD_HELP_PIXCODE, CMD_HELP_LEGAL, CMD_WEB_PROGRAM, CMD_WEB_MAKER, CMD_NOTEPAD,
                                CMD_PLUGIN_MANAGER, CMD_SYSINFO, CMD_RECENT1, CMD_RECENT2, CMD_RECENT3, CMD_RECENT4};
const int VIEW_COMMANDS[] = {CMD_ZOOM_IN, CMD_ZOOM_OUT, CMD_ZOOM_RESET, CMD_CENTER};
const int KEYS[] = {VK_ESCAPE, VK_DELETE, VK_LEFT, VK_F5, 'A'};
const int ANSWERS[] = {IDOK, IDCANCEL, IDYES, IDNO, 0};
const char* const EXCEPTION_TITLES[] = {"Fatal Error", "Non-Fatal Error"};
const SIZE_T MAX_PRIVATE_BYTES = (SIZE_T)1536 << 20;
const DWORD MAX_OBJECTS = 3000;  // each of GDI objects, USER objects and kernel handles

struct Soak {
    std::mt19937 rng;  // the input stream
    unsigned seed;
    // The answers to windows: drawn anew for each step, so that a window that comes up a
    // little later or earlier than in the first run does not shift the input stream.
    std::mt19937 answers = std::mt19937(0);
    KvProcess* p;
    HWND main, view, tools, colours;
    std::vector<int> commands;
    std::vector<std::string> files;
    long step = 0, answered = 0;
    std::string typing = {};  // the file name the end phase types into "Save Image"
    bool decided = false;  // at the end: no to saving first and to sprites, else yes (or OK)
    std::string failure = {}, sample = {};  // sample: the last resource figures

    int Pick(int n) { return (int)(rng() % (unsigned)n); }
    int PickAnswer(int n) { return (int)(answers() % (unsigned)n); }
    LPARAM Inside(HWND w) {
        RECT r;
        GetClientRect(w, &r);
        return MAKELPARAM(Pick(r.right > 1 ? r.right : 1), Pick(r.bottom > 1 ? r.bottom : 1));
    }
    void Stroke() {
        const int right = Pick(4) == 0;
        const WPARAM key = right ? MK_RBUTTON : MK_LBUTTON;
        PostMessageA(view, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, key, Inside(view));
        for (int i = Pick(6); i > 0; i--) PostMessageA(view, WM_MOUSEMOVE, key, Inside(view));
        PostMessageA(view, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, Inside(view));
    }
    void Click(HWND w) {
        const LPARAM at = Inside(w);
        PostMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(w, WM_LBUTTONUP, 0, at);
    }
    void Command(int id) { PostMessageA(main, WM_COMMAND, id, 0); }
    // The last steps, printed with a failure.
    std::deque<std::string> trail = {};
    void Note(const std::string& what) {
        trail.push_back(std::to_string(step) + ": " + what);
        if (trail.size() > 16) trail.pop_front();
    }
    void Act() {
        answers.seed(seed * 2654435761u + (unsigned)step);
        const int kind = Pick(12), a = Pick(1 << 16);
        switch (kind) {
        case 0: Click(tools); break;
        case 1: case 2: case 3: Stroke(); break;
        case 4: Click(colours); break;
        case 5: case 6: Command(commands[a % commands.size()]); break;
        case 7: for (int i = 1 + a % 8; i > 0; i--) Command(a & 8 ? CMD_UNDO : CMD_REDO); break;
        case 8: Command(VIEW_COMMANDS[a % 4]); break;
        case 9: if (!files.empty()) drv_DropFiles(p, main, {files[a % files.size()]}); break;
        case 10: PostMessageA(main, WM_TIMER, 1 + a % 2, 0); break;  // settings and auto-save ticks
        default: PostMessageA(main, WM_KEYDOWN, KEYS[a % 5], 0); break;
        }
        const char* const kinds[] = {"tool", "stroke", "stroke", "stroke", "colour", "command", "command",
                                     "undo/redo", "view", "drop", "timer", "key"};
        Note(std::string(kinds[kind]) + (kind == 5 || kind == 6 ? " " + std::to_string(commands[a % commands.size()])
                                         : kind == 9 && !files.empty() ? " " + files[a % files.size()] : ""));
    }
    // The program's own windows that wait for an answer: visible, enabled top-level
    // windows other than the main window and its modeless panels.
    static BOOL CALLBACK Collect(HWND w, LPARAM lp) {
        auto* s = (std::pair<DWORD, std::vector<HWND>>*)lp;
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        char cls[64] = "";
        GetClassNameA(w, cls, sizeof cls);
        if (pid == s->first && IsWindowVisible(w) && IsWindowEnabled(w) && !std::strcmp(cls, "#32770"))
            s->second.push_back(w);
        return TRUE;
    }
    std::vector<HWND> Waiting() {
        std::pair<DWORD, std::vector<HWND>> s{p->pi.dwProcessId, {}};
        EnumWindows(Collect, (LPARAM)&s);
        return s.second;
    }
    // Answers what came up, at random, until the program rests: nothing waits for an
    // answer for `quietMs` and the main window takes input again (a person cannot reach
    // a window that a modal one has disabled, so no input goes to it meanwhile). A
    // program that does not come to rest within 20 s is a failure.
    void Answer(int quietMs = 90) {
        const DWORD t0 = GetTickCount();
        for (int quiet = 0; quiet < quietMs || !IsWindowEnabled(main);) {
            if (GetTickCount() - t0 > 20000) {
                if (failure.empty()) failure = "the program does not come to rest";
                return;
            }
            // Once the program waits for input again, what it opens is there to see.
            WaitForInputIdle(p->pi.hProcess, 2000);
            Sleep(30);
            std::vector<HWND> waiting = Waiting();
            quiet = waiting.empty() ? quiet + 30 : 0;
            for (HWND w : waiting) AnswerOne(w);
            if (waiting.empty() && IsIconic(main) && !IsWindowEnabled(main)) {  // a screen capture waits for its key
                Note("space for the capture");
                keybd_event(VK_SPACE, 0, 0, 0);
                keybd_event(VK_SPACE, 0, KEYEVENTF_KEYUP, 0);
            }
        }
    }
    void AnswerOne(HWND w) {
        answered++;
        const std::string title = drv_Text(w);
        for (const char* t : EXCEPTION_TITLES)
            if (title == t) failure = "exception reported: " + title;
        if (GetDlgItem(w, cmb1) || GetDlgItem(w, cmb13) || GetDlgItem(w, edt1) || GetDlgItem(w, lst1)) {
            if (!typing.empty() && title == "Save Image") {  // the end phase names its file
                Note("typing " + typing);
                TypeFileName(w, typing);
                Sleep(500);  // the dialog closes and the program writes the file
            } else {
                PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
            }
            return;
        }
        HWND bar = FindWindowExA(w, nullptr, "ScrollBar", nullptr);
        if (bar && PickAnswer(2)) SendMessageA(w, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, PickAnswer(1001)), (LPARAM)bar);
        const int answer = !decided ? ANSWERS[PickAnswer(5)]  // 0: closed
                           : title == "Confirm Save" || title == "Transparency Detected" ? IDNO
                           : GetDlgItem(w, IDYES)                                         ? IDYES
                                                                                          : IDOK;
        Note("answering \"" + title + "\" with " + std::to_string(answer));
        if (!answer) PostMessageA(w, WM_CLOSE, 0, 0);
        else if (HWND b = GetDlgItem(w, answer)) PostMessageA(b, BM_CLICK, 0, 0);
        else PostMessageA(w, WM_COMMAND, PickAnswer(2) ? IDOK : IDCANCEL, 0);
    }
    // An exception line in the program's runtime log.
    std::string LoggedException() {
        std::ifstream log(p->folder + "\\" + LOG_FILE_NAME);
        for (std::string line; std::getline(log, line);)
            if (line.find("An error occurred at") != std::string::npos) return "exception in the log: " + line;
        return "";
    }
    void Check() {
        DWORD_PTR ignored;
        if (!SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored))
            failure = WaitForSingleObject(p->pi.hProcess, 0) == WAIT_OBJECT_0 ? "the program ended" : "no answer in 5 s";
        if (failure.empty()) failure = LoggedException();
        if (step % 25) return;
        PROCESS_MEMORY_COUNTERS_EX mem{};
        mem.cb = sizeof mem;
        DWORD handles = 0;
        // Wine reports no GUI objects and no handle count (0), and the private bytes
        // only as the page-file use, which Windows gives the same value.
        GetProcessHandleCount(p->pi.hProcess, &handles);
        GetProcessMemoryInfo(p->pi.hProcess, (PROCESS_MEMORY_COUNTERS*)&mem, sizeof mem);
        const SIZE_T priv = mem.PrivateUsage > mem.PagefileUsage ? mem.PrivateUsage : mem.PagefileUsage;
        const DWORD gdi = GetGuiResources(p->pi.hProcess, GR_GDIOBJECTS), user = GetGuiResources(p->pi.hProcess, GR_USEROBJECTS);
        char figures[160];
        std::snprintf(figures, sizeof figures, "GDI %lu, USER %lu, handles %lu, private %lu MB", gdi, user, handles,
                      (unsigned long)(priv >> 20));
        sample = figures;
        if (gdi > MAX_OBJECTS || user > MAX_OBJECTS || handles > MAX_OBJECTS || priv > MAX_PRIVATE_BYTES)
            failure = "over a bound: " + sample;
    }
};

std::string Setting(const char* name, const char* fallback) {
    const char* v = std::getenv(name);
    return v && *v ? v : fallback;
}

// Copies a sample of the shared corpus (readable and hostile files) into the scratch folder.
std::vector<std::string> CorpusCopies(const std::string& dir, std::mt19937& rng) {
    std::vector<std::string> all, copies;
    std::error_code ec;
    for (const auto& e : std::filesystem::recursive_directory_iterator(WinPath(KV_CORPUS_DIR), ec))
        if (e.is_regular_file(ec) && e.file_size(ec) < (4u << 20) && e.path().extension() != ".md") all.push_back(e.path().string());
    std::sort(all.begin(), all.end());  // the same sample for the same seed
    for (int i = 0; i < 80 && !all.empty(); i++) {
        const std::string& from = all[rng() % all.size()];
        const std::string to = dir + "\\c" + std::to_string(i) + std::filesystem::path(from).extension().string();
        // Writable, so that the next run can empty the folder.
        if (CopyFileA(from.c_str(), to.c_str(), FALSE) && SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL))
            copies.push_back(to);
    }
    return copies;
}

// Every command of the menu bar and its submenus, but those left out.
void MenuCommands(HMENU menu, std::vector<int>* out) {
    for (int i = 0, n = GetMenuItemCount(menu); i < n; i++) {
        if (HMENU sub = GetSubMenu(menu, i)) MenuCommands(sub, out);
        else if (const int id = (int)GetMenuItemID(menu, i); id > 0 && !LEFT_OUT.count(id)) out->push_back(id);
    }
}

// The size and pixels of a KV5 file, or nothing.
std::vector<uint32_t> Pixels(const std::string& path) {
    Surface s{};
    ImageFileInfo info{};
    info.quiet = 1;
    if (!kv5_Load(&s, path.c_str(), &info)) return {};
    std::vector<uint32_t> px = WordsOf(&s);
    px.insert(px.end(), {s.width, s.height});
    srf_Destroy(&s);
    return px;
}

}  // namespace

int main(int argc, char** argv) {
    const long seconds = std::atol(argc > 1 ? argv[1] : Setting("KV_SOAK_SECONDS", "600").c_str());
    const unsigned seed = (unsigned)std::strtoul(argc > 2 ? argv[2] : Setting("KV_SOAK_SEED", std::to_string(GetTickCount()).c_str()).c_str(), nullptr, 10);
    std::printf("soak: %ld s, seed %u\n", seconds, seed);
    eng_Init();
    const std::string dir = drv_MakeFolder("soak", drv_QuietSettingsFile(1));
    DeleteFileA((dir + "\\" + LOG_FILE_NAME).c_str());  // a run before may have held the folder
    const std::string canvas = dir + "\\canvas.kv5", final = dir + "\\final.kv5";
    drv_WritePicture(canvas, 640, 480);
    KvRunning r;
    if (!drv_StartReady(&r.p, dir, ("\"" + canvas + "\"").c_str())) {
        std::printf("FAIL seed %u: the program did not start\n", seed);
        return 1;
    }
    Soak s{std::mt19937(seed), seed, std::mt19937(0), &r.p, r.p.main, drv_Child(r.p.main, "kelvara_wnd_view"),
           drv_Child(r.p.main, "kelvara_wnd_toolbar"), drv_Child(r.p.main, "kelvara_wnd_colorbar"), {}, {}};
    // The menu bar as the program's resources hold it (another process's menu handle
    // cannot be read under Wine).
    HMODULE exe = LoadLibraryExA((dir + "\\kelvara.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HMENU bar = exe ? LoadMenuA(exe, MAKEINTRESOURCEA(IDR_MAIN_MENU)) : nullptr;
    MenuCommands(bar, &s.commands);
    if (s.commands.empty()) {
        std::printf("FAIL: no menu commands found in kelvara.exe\n");
        return 1;
    }
    s.files = CorpusCopies(dir, s.rng);
    const DWORD start = GetTickCount();
    while (s.failure.empty() && (long)(GetTickCount() - start) < seconds * 1000) {
        s.step++;
        s.Act();
        s.Answer();
        s.Check();
    }
    // The image as it is now, saved as KV5 under a new name, reloaded and saved again;
    // each command goes to the program at rest, every question answered.
    s.decided = true;
    s.typing = final;
    std::vector<uint32_t> saved;
    for (int command : {0, CMD_SAVE_AS, CMD_RELOAD, CMD_SAVE}) {
        if (!s.failure.empty()) break;
        if (command == CMD_RELOAD) saved = Pixels(final);
        if (command == CMD_SAVE) DeleteFileA(final.c_str());
        if (command) s.Note("final: command " + std::to_string(command));
        if (command) s.Command(command);
        s.Answer(1500);
    }
    if (s.failure.empty())
        s.failure = saved.empty()           ? "the image was not saved as KV5"
                    : !drv_Exists(final)    ? "the reloaded image was not saved"
                    : Pixels(final) != saved ? "the reloaded image differs from the one saved"
                                             : "";
    if (s.failure.empty()) s.failure = s.LoggedException();
    if (!s.failure.empty()) {
        std::printf("FAIL seed %u at step %ld: %s\n", seed, s.step, s.failure.c_str());
        for (const std::string& t : s.trail) std::printf("  %s\n", t.c_str());
        EnumWindows([](HWND w, LPARAM pid) -> BOOL {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            char cls[64] = "";
            GetClassNameA(w, cls, sizeof cls);
            if (owner == (DWORD)pid && IsWindowVisible(w))
                std::printf("  window \"%s\" (%s)%s\n", drv_Text(w).c_str(), cls, IsWindowEnabled(w) ? "" : ", disabled");
            return TRUE;
        }, (LPARAM)r.p.pi.dwProcessId);
        drv_SaveScreen(drv_BuildPath("soak_failure.bmp"));
        return 1;
    }
    std::printf("soak clean: seed %u, %ld steps, %ld windows answered, %zu menu commands; last sample: %s\n", seed,
                s.step, s.answered, s.commands.size(), s.sample.c_str());
    return 0;
}
