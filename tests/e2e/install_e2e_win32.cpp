// install_e2e_win32.cpp — kelsetup driven from outside in a Wine prefix made new for
// the journey (tests/e2e/fresh_prefix.sh): a first installation through its dialogs
// and the installed program's set-up run, then its files, attributes, shortcuts and
// registry entries; an upgrade over it (the settings kept, the old copy removed by its
// own /forceuninstall, "Samples" renamed to "Images", the program started from the
// finish dialog); an installation elsewhere (a folder named in four scripts) that
// finds the first through the program-path key and removes it, and a picture opened
// there through the file association; and the uninstallation through the command line
// of the uninstall shortcut. Screenshots of the installer go to the build folder.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/app_ids.h"
#include "e2e/driver_win32.h"
#include "installer/setup_dialogs_win32.h"
#include "installer/setup_ids.h"
#include "settings/codecreg_win32.h"
#include "support/win_driver_win32.h"

namespace {

const int WAIT_MS = 30000;
const char USER[] = "Jürgen Юля 用 🎨";  // a name in four scripts, 23 bytes

struct Installed {
    const char* path;
    bool readOnly;
};
const Installed kFiles[] = {
    {"Kelvara.exe", false},
    {"Kelvara.chm", true},
    {"ReadMe.txt", true},
    {"Plugins\\JPEG filter.dll", false},
    {"Plugins\\PNG filter.dll", false},
    {"Plugins\\Imaging filter.dll", false},
    {"kv5codec.dll", false},
    {"Images\\candle.kv5", false},
    {"Images\\o'er the waters.kv5", false},
    {"Images\\dark trees.kv5", false},
    {"Images\\sunset.kv5", false},
    {"Sprites\\star_sprite.kv5", false},
    {"Sprites\\flame_sprite.kv5", false},
    {"Sprites\\moon_sprite.kv5", false},
    {"Sprites\\jewel_sprite.kv5", false},
    {"Sprites\\F117A_sprite.kv5", false},
};

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Link {
    bool ok = false;
    std::string path, arguments, description, iconFile;
    int icon = -1, show = 0;
};

Link read_link(const std::string& file) {
    Link l;
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
    IShellLinkA* sl = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&sl)))
        return l;
    IPersistFile* pf = nullptr;
    if (SUCCEEDED(sl->QueryInterface(IID_IPersistFile, (void**)&pf)) && SUCCEEDED(pf->Load(wide, STGM_READ))) {
        char buf[MAX_PATH];
        l.ok = true;
        if (sl->GetPath(buf, sizeof buf, nullptr, SLGP_RAWPATH) == S_OK) l.path = buf;
        if (SUCCEEDED(sl->GetArguments(buf, sizeof buf))) l.arguments = buf;
        if (SUCCEEDED(sl->GetDescription(buf, sizeof buf))) l.description = buf;
        if (SUCCEEDED(sl->GetIconLocation(buf, sizeof buf, &l.icon))) l.iconFile = buf;
        // From the file's header: Wine's loader reports every show command as 1.
        const std::string bytes = read_file(file);
        if (bytes.size() >= 0x40) std::memcpy(&l.show, bytes.data() + 0x3C, 4);
    }
    if (pf) pf->Release();
    sl->Release();
    return l;
}

// A control's text in another process, however long.
std::string long_text(HWND w) {
    DWORD_PTR n = 0;
    SendMessageTimeoutA(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &n);
    std::string s(n + 1, '\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutA(w, WM_GETTEXT, n + 1, (LPARAM)&s[0], SMTO_ABORTIFHUNG, 5000, &got);
    s.resize(got);
    return s;
}

// Waits for a visible top-level window of this title in any process and makes `p`
// the process that shows it (the installer's children are started by the installer).
HWND attach(KvProcess* p, const char* title, int timeoutMs) {
    HWND found = FindWindowWait(title, nullptr, timeoutMs);
    DWORD pid = 0;
    if (!found || !GetWindowThreadProcessId(found, &pid) || !pid) return nullptr;
    if (p->pi.dwProcessId != pid) {
        drv_Kill(p);  // only closes the handles of a copy that has ended
        p->pi = PROCESS_INFORMATION{};
        p->pi.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, pid);
        p->pi.dwProcessId = pid;
    }
    return found;
}

BOOL CALLBACK list_title(HWND w, LPARAM lp) {
    char buf[256];
    if (IsWindowVisible(w) && GetWindowTextA(w, buf, sizeof buf)) *(std::string*)lp += std::string(buf) + "|";
    return TRUE;
}
std::string top_titles() {
    std::string s;
    EnumWindows(list_title, (LPARAM)&s);
    return s;
}

// Returns once a window of another process has painted itself and its controls.
void painted(HWND w) {
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    DWORD_PTR ignored;
    SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    Sleep(200);  // for the display server to show what was drawn
}

// A window of the set-up run comes up in front: it has the foreground and no window
// over it covers any of it (the installer's full-screen splash, the program's own).
void expect_in_front(HWND w) {
    for (int t = 0; t < 100 && GetForegroundWindow() != w; t++) Sleep(50);
    EXPECT_EQ(GetForegroundWindow(), w) << "in front: " << drv_Text(GetForegroundWindow());
    RECT mine, other, both;
    GetWindowRect(w, &mine);
    for (HWND x = GetWindow(w, GW_HWNDPREV); x; x = GetWindow(x, GW_HWNDPREV))
        if (IsWindowVisible(x) && GetWindowRect(x, &other) && IntersectRect(&both, &mine, &other))
            ADD_FAILURE() << "\"" << drv_Text(x) << "\" covers \"" << drv_Text(w) << "\"";
}

void set_check(HWND dialog, int id, bool on) {
    SendMessageA(GetDlgItem(dialog, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void start_setup(KvRunning* r) {
    r->p.pi = PROCESS_INFORMATION{};
    std::string exe = drv_BuildPath("kelsetup.exe"), line = "\"" + exe + "\"";
    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    ASSERT_TRUE(CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &r->p.pi));
}

// Welcome, licence (its button counts down before it agrees) and folder.
void run_wizard(KvProcess* p, const std::string& folderText, bool screenshots) {
    HWND welcome = drv_FindOwned(p, "Kelvara 1.80 Setup", WAIT_MS);
    ASSERT_NE(welcome, nullptr);
    ASSERT_NE(drv_FindOwned(p, "Kelvara 1.80 Installer", 1000), nullptr);  // the splash
    if (screenshots) {
        painted(welcome);
        EXPECT_TRUE(drv_SaveScreen(drv_BuildPath("kelsetup_welcome.bmp")));
    }
    PressButton(welcome, IDOK);

    HWND licence = drv_FindOwned(p, "License Agreement", WAIT_MS);
    ASSERT_NE(licence, nullptr);
    std::string text = read_file(drv_BuildPath("dist\\License.txt")), shown;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) shown += '\r';
        shown += text[i];
    }
    EXPECT_EQ(long_text(GetDlgItem(licence, IDC_SETUP_LICENCE_TEXT)), shown);
    const std::vector<std::string> countdown = {"Please Wait...", " Wait 5 sec.", " Wait 4 sec.", " Wait 3 sec.",
                                                " Wait 2 sec.", " Wait 1 sec.", "YES, I Agree"};
    HWND agree = GetDlgItem(licence, IDOK);
    size_t at = 0, seen = 0;
    for (int t = 0; t < 20000 && at + 1 < countdown.size(); t += 20) {
        const std::string now = drv_Text(agree);
        size_t k = at;
        while (k < countdown.size() && countdown[k] != now) k++;
        ASSERT_LT(k, countdown.size()) << "the agree button shows \"" << now << "\"";
        if (k != at || seen == 0) seen++;
        at = k;
        // Disabled while it counts, enabled when it agrees.
        EXPECT_EQ(IsWindowEnabled(agree) != 0, at + 1 == countdown.size()) << now;
        if (screenshots && now == " Wait 3 sec.") {
            painted(licence);
            EXPECT_TRUE(drv_SaveScreen(drv_BuildPath("kelsetup_licence.bmp")));
            screenshots = false;
        }
        Sleep(20);
    }
    ASSERT_EQ(at + 1, countdown.size());
    EXPECT_GE(seen, 5u);  // the count went by, not only its end
    PressButton(licence, IDOK);

    HWND folder = drv_FindOwned(p, "Set Installation Path", WAIT_MS);
    ASSERT_NE(folder, nullptr);
    HWND edit = GetDlgItem(folder, IDC_SETUP_FOLDER_EDIT);
    EXPECT_EQ(drv_Text(edit), "C:\\Program Files");
    SendMessageA(edit, WM_SETTEXT, 0, (LPARAM)folderText.c_str());
    PressButton(folder, IDOK);
}

// The progress window's caption line; "" when the window is not shown.
std::string progress_caption(KvProcess* setup) {
    HWND w = drv_FindOwned(setup, "Installing Kelvara 1.80", 0);
    return w ? drv_Text(GetDlgItem(w, IDC_SETUP_CAPTION)) : std::string();
}

// Answers the installer's desktop question (the progress window is hidden meanwhile).
void answer_desktop(KvProcess* setup, int answer) {
    ASSERT_NE(drv_FindOwned(setup, "Desktop Shortcut", 60000), nullptr);
    EXPECT_EQ(progress_caption(setup), "");
    ASSERT_TRUE(drv_Answer(setup, "Desktop Shortcut", answer, 1000));
}

// The installed program's set-up run: every association applied, the user name shown
// in the options (empty when new) becomes USER, and the uninstall lock is taken off.
void answer_setup_run(const std::string& userShown) {
    KvRunning child;
    HWND assoc = attach(&child.p, "File-type Associations", 60000);
    ASSERT_NE(assoc, nullptr);
    expect_in_front(assoc);
    for (int i = 0; i < 6; i++) EXPECT_EQ(IsDlgButtonChecked(assoc, IDC_ASSOC_FIRST + i), (UINT)BST_CHECKED) << i;
    PressButton(assoc, IDC_ASSOC_APPLY);
    HWND options = drv_FindOwned(&child.p, "Kelvara - Options", WAIT_MS);
    ASSERT_NE(options, nullptr);
    expect_in_front(options);
    if (!userShown.empty()) {
        EXPECT_EQ(drv_Text(GetDlgItem(options, IDC_OPT_USER)), userShown);
    }
    SendMessageA(GetDlgItem(options, IDC_OPT_USER), WM_SETTEXT, 0, (LPARAM)USER);
    set_check(options, IDC_OPT_LOCK, false);
    PressButton(options, IDOK);
    EXPECT_EQ(drv_WaitExit(&child.p, WAIT_MS), 0u);
}

// All three choices are ticked at first; `keep` of them stay.
void finish(KvProcess* setup, unsigned keep) {
    HWND f = drv_FindOwned(setup, "Installation Complete", WAIT_MS);
    ASSERT_NE(f, nullptr);
    const int boxes[3] = {IDC_SETUP_VIEW_README, IDC_SETUP_RUN_PROGRAM, IDC_SETUP_VIEW_HELP};
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(IsDlgButtonChecked(f, boxes[i]), (UINT)BST_CHECKED);
        set_check(f, boxes[i], (keep >> i) & 1);
    }
    PressButton(f, IDOK);
    EXPECT_EQ(drv_WaitExit(setup, WAIT_MS), 0u);
}

// The old copy's own removal: the folder questions come while the installer says so.
void answer_removal(KvProcess* setup, int images, int sprites, int plugins) {
    KvRunning old;
    ASSERT_NE(attach(&old.p, "Delete Images?", 60000), nullptr);
    EXPECT_EQ(progress_caption(setup), "Removing the previous installation...");
    ASSERT_TRUE(drv_Answer(&old.p, "Delete Images?", images, 1000));
    ASSERT_TRUE(drv_Answer(&old.p, "Delete Sprites", sprites, 10000));
    ASSERT_TRUE(drv_Answer(&old.p, "Delete Installed Plugins", plugins, 10000));
    EXPECT_EQ(drv_WaitExit(&old.p, WAIT_MS), 0u);
}

std::string user_name_in(const std::string& settingsFile) {
    const std::string bytes = read_file(settingsFile);
    return bytes.size() > 144 + 45 ? std::string(bytes.c_str() + 144 + 13) : std::string("<no settings>");
}

void expect_installed(const std::string& folder) {
    for (const Installed& f : kFiles) {
        const std::string path = folder + f.path;
        const DWORD attributes = GetFileAttributesA(path.c_str());
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << path;
        EXPECT_EQ((attributes & FILE_ATTRIBUTE_READONLY) != 0, f.readOnly) << path;
        EXPECT_TRUE(read_file(path) == read_file(drv_BuildPath((std::string("dist\\") + f.path).c_str()))) << path;
    }
    const std::string program = folder + "Kelvara.exe";
    // What the set-up run of the installed program (/install) leaves.
    EXPECT_EQ(user_name_in(folder + "Kelvara.kvr"), USER);
    EXPECT_EQ(drv_ClassesDefault("Kelvara.AppPath"), program);
    EXPECT_EQ(drv_ClassesDefault(".kvr"), "Kelvara.kvr");
    EXPECT_EQ(drv_ClassesDefault(".kv5"), "Kelvara.kv5");
    EXPECT_EQ(drv_ClassesDefault("Kelvara.kv5\\shell\\open\\command"), "\"" + program + "\" \"%1\"");

    const std::string links = drv_ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Orvik Lab\\Kelvara\\";
    const Link main = read_link(links + "Kelvara.lnk"), uninstall = read_link(links + "Uninstall.lnk"),
               help = read_link(links + "Help.lnk"), readme = read_link(links + "Readme.lnk");
    ASSERT_TRUE(main.ok && uninstall.ok && help.ok && readme.ok) << links;
    EXPECT_EQ(main.path, program);
    EXPECT_EQ(main.arguments, "");
    EXPECT_EQ(main.description, "Orvik's Kelvara 1.80 - Create photo-quality drawings");
    EXPECT_EQ(main.show, SW_SHOWNORMAL);
    EXPECT_EQ(uninstall.path, program);
    EXPECT_EQ(uninstall.arguments, " /nogui /uninstall");
    EXPECT_EQ(uninstall.description, "Uninstall Orvik's Kelvara 1.80");
    EXPECT_EQ(uninstall.iconFile, program);
    EXPECT_EQ(uninstall.icon, 5);
    EXPECT_EQ(help.path, folder + "Kelvara.chm");
    EXPECT_EQ(help.description, "Help for Kelvara");
    EXPECT_EQ(help.show, SW_SHOWMAXIMIZED);
    EXPECT_EQ(readme.path, folder + "ReadMe.txt");
    EXPECT_EQ(readme.description, "");
    EXPECT_EQ(readme.show, SW_SHOWNORMAL);
}

// Ends a started copy of the program the way a user does; its title is kept in *title.
void close_program(KvProcess* p, std::string* title = nullptr) {
    ASSERT_TRUE(drv_Answer(p, "READ THE BRIEF TUTORIAL?", IDNO, WAIT_MS));
    ASSERT_NE(drv_WaitMain(p, WAIT_MS), nullptr);
    ASSERT_TRUE(drv_WaitStatus(p->main, " All systems go!!", WAIT_MS)) << drv_Status(p->main);
    if (title) *title = drv_Text(p->main);
    PostMessageA(p->main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(drv_Answer(p, "Confirm Exit", IDYES, 10000));
    EXPECT_EQ(drv_WaitExit(p, WAIT_MS), 0u);
}

TEST(Installer, InstallUpgradeInstallElsewhereAndUninstall) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // The second folder, the user name and a picture opened through the association
    // have names in four scripts.
    const std::string otherRoot = "C:\\Öther Другое 其他 🎨";
    const std::string apps = "C:\\Apps\\Orvik Lab\\Kelvara\\", other = otherRoot + "\\Orvik Lab\\Kelvara\\";
    const std::string desktopLink = drv_ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Kelvara.lnk";
    ASSERT_FALSE(drv_Exists("C:\\Apps")) << "not a fresh prefix";
    drv_ParkPointer();  // the program the finish dialog starts opens under the screen's centre
    // No program for .txt (a new Wine prefix has none): the readme must open all the same.
    RegDeleteKeyA(HKEY_CLASSES_ROOT, ".txt");

    // 1. A first installation; the folder typed with trailing backslashes.
    {
        KvRunning setup;
        start_setup(&setup);
        run_wizard(&setup.p, "C:\\Apps\\\\", true);
        answer_desktop(&setup.p, IDYES);
        answer_setup_run("");
        finish(&setup.p, SETUP_VIEW_README);
    }
    expect_installed(apps);
    const Link desktop = read_link(desktopLink);
    EXPECT_TRUE(desktop.ok && desktop.path == apps + "Kelvara.exe") << desktopLink;
    KvRunning notepad;  // the readme, chosen in the finish dialog
    HWND readme = attach(&notepad.p, "ReadMe.txt - Notepad", WAIT_MS);
    ASSERT_NE(readme, nullptr) << top_titles();
    PostMessageA(readme, WM_CLOSE, 0, 0);

    // 2. The same again over it: the old copy removes itself, the settings stay.
    const std::string marked = read_file(apps + "Kelvara.exe") + "an older build";
    std::ofstream(apps + "Kelvara.exe", std::ios::binary) << marked;
    CreateDirectoryA((apps + "Samples").c_str(), nullptr);
    std::ofstream(apps + "Samples\\mine.kv5") << "a picture of mine";
    {
        KvRunning setup, program;
        start_setup(&setup);
        run_wizard(&setup.p, "C:\\Apps", false);
        answer_removal(&setup.p, IDYES, IDNO, IDNO);
        answer_desktop(&setup.p, IDNO);
        answer_setup_run(USER);
        finish(&setup.p, SETUP_RUN_PROGRAM);
        ASSERT_NE(attach(&program.p, "READ THE BRIEF TUTORIAL?", WAIT_MS), nullptr);
        close_program(&program.p);
    }
    expect_installed(apps);
    EXPECT_EQ(read_file(apps + "Images\\mine.kv5"), "a picture of mine");
    EXPECT_FALSE(drv_Exists(apps + "Samples"));
    EXPECT_FALSE(drv_Exists(desktopLink));  // removed with the old copy, not made again
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    EXPECT_FALSE(drv_Exists(std::string(temp) + "_temp_kvr.kvr"));

    // 3. Another folder: the copy in the first is found through the program-path key.
    {
        KvRunning setup;
        start_setup(&setup);
        run_wizard(&setup.p, otherRoot, false);
        answer_removal(&setup.p, IDYES, IDYES, IDYES);
        answer_desktop(&setup.p, IDYES);
        answer_setup_run(USER);
        finish(&setup.p, 0);
    }
    expect_installed(other);
    // The .kv5 decoder and thumbnail are the new installation's, registered where other
    // programs and the shell look.
    const std::string decoder = CREG_DECODER_KEY, thumbnail = CREG_THUMBNAIL_KEY;
    EXPECT_EQ(drv_ClassesDefault(decoder + "\\InprocServer32"), other + "kv5codec.dll");
    EXPECT_EQ(drv_ClassesDefault(thumbnail + "\\InprocServer32"), other + "kv5codec.dll");
    EXPECT_EQ(drv_ClassesDefault(std::string(CREG_INSTANCE_KEY)), "");
    EXPECT_EQ(drv_ClassesDefault(std::string(CREG_SHELLEX_KEY)), "{786B2873-12BA-4AD9-BBC0-33B162FA2226}");
    EXPECT_FALSE(drv_Exists("C:\\Apps\\Orvik Lab"));
    EXPECT_TRUE(drv_Exists("C:\\Apps"));
    // "Open With" through the association: the program starts on the picture.
    const std::string pictures = "C:\\Bilder Фото 写真 🎨", picture = pictures + "\\Ü Я 写 🎨.kv5";
    CreateDirectoryA(pictures.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((other + "Images\\candle.kv5").c_str(), picture.c_str(), FALSE));
    {
        KvRunning opened;
        ASSERT_GT((INT_PTR)ShellExecuteA(nullptr, "open", picture.c_str(), nullptr, nullptr, SW_SHOWNORMAL), 32);
        ASSERT_NE(attach(&opened.p, "READ THE BRIEF TUTORIAL?", WAIT_MS), nullptr);
        std::string title;
        close_program(&opened.p, &title);
        EXPECT_EQ(title, "Kelvara 1.80 - [ Ü Я 写 🎨.kv5 ]");
    }

    // 4. The uninstall shortcut, as the Start menu runs it.
    const Link u = read_link(drv_ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Orvik Lab\\Kelvara\\Uninstall.lnk");
    KvRunning uninstall;
    std::string line = "\"" + u.path + "\"" + u.arguments;
    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                               &uninstall.p.pi));
    ASSERT_TRUE(drv_Answer(&uninstall.p, "Uninstall Kelvara", IDYES, WAIT_MS));
    ASSERT_TRUE(drv_Answer(&uninstall.p, "!! CONFIRM UNINSTALL !!", IDYES, WAIT_MS));
    ASSERT_TRUE(drv_Answer(&uninstall.p, "Delete Images?", IDYES, WAIT_MS));
    ASSERT_TRUE(drv_Answer(&uninstall.p, "Delete Sprites", IDYES, WAIT_MS));
    ASSERT_TRUE(drv_Answer(&uninstall.p, "Delete Installed Plugins", IDYES, WAIT_MS));
    EXPECT_EQ(drv_WaitExit(&uninstall.p, WAIT_MS), 0u);
    for (int t = 0; t < 200 && drv_Exists(otherRoot + "\\Orvik Lab"); t++) Sleep(100);
    EXPECT_FALSE(drv_Exists(otherRoot + "\\Orvik Lab"));
    EXPECT_FALSE(drv_Exists(drv_ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Orvik Lab"));
    EXPECT_FALSE(drv_Exists(desktopLink));
    EXPECT_EQ(drv_ClassesDefault("Kelvara.AppPath"), "<none>");
    EXPECT_EQ(drv_ClassesDefault(".kvr"), "<none>");
    for (const char* key : {CREG_DECODER_KEY, CREG_INSTANCE_KEY, CREG_THUMBNAIL_KEY, CREG_SHELLEX_KEY})
        EXPECT_EQ(drv_ClassesDefault(key), "<none>") << key;
    CoUninitialize();
}

}  // namespace
