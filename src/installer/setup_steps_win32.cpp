// setup_steps_win32.cpp — see setup_steps_win32.h.
#include "installer/setup_steps_win32.h"
#include <windows.h>
#include <shellapi.h>
#include <cstdio>
#include <cstring>
#include "installer/setup_dialogs_win32.h"
#include "installer/setup_rules.h"
#include "installer/setup_splash_win32.h"
#include "installer/setup_system_win32.h"
#include "platform/paths.h"
#include "platform/shortcut.h"
#include "platform/ui.h"
#include "settings/codecreg_win32.h"
#include "settings/registry_win32.h"
#include "settings/settings.h"

namespace {

// Questions stay above the top-most progress window.
const unsigned ASK = UI_YESNO | UI_ICONQUESTION | UI_TOPMOST;
const char PROGRAM_NAME[] = "Kelvara.exe";
const char PROGRAM_DESCRIPTION[] = "Orvik's Kelvara 1.80 - Create photo-quality drawings";
// Polls of half a second: the previous program's removal, the new program's set-up.
const int REMOVAL_POLLS = 20;
const int SETUP_POLLS = 240;

int join(char* out, const char* folder, const char* name) {
    const int n = std::snprintf(out, KV_MAX_PATH, "%s%s", folder, name);
    if (n < 0 || n >= KV_MAX_PATH) {
        out[0] = 0;
        return 0;
    }
    return 1;
}

// Waits for a started program, polling every 500 ms; after `polls` polls it is
// terminated (and once more after 2.5 s when that failed). 1 when it ended by itself.
int watch(PROCESS_INFORMATION* pi, int polls) {
    for (int n = 0; setup_StillRunning(pi); n++) {
        if (n >= polls) {
            if (!setup_Terminate(pi)) {
                setup_Wait(2500);
                setup_Terminate(pi);
            }
            return 0;
        }
        setup_Wait(500);
    }
    return 1;
}

// Starts a program and watches it as above, with the splash out of its way; 1 when
// it was started (*ended as watch says).
int run_child(const char* program, const char* arguments, int polls, int* ended) {
    PROCESS_INFORMATION pi;
    if (!setup_StartProgram(program, arguments, &pi)) return 0;
    setup_ShowSplash(0);
    *ended = watch(&pi, polls);
    setup_ShowSplash(1);
    setup_EndWatch(&pi);
    return 1;
}

// An installation elsewhere, as its program recorded itself: `out` is that program
// when the key names an existing file called Kelvara.exe.
int find_elsewhere(char* out, size_t cap) {
    if (!ReadProgramPathKey(out, cap)) return 0;
    if (_stricmp(path_NamePart(out), PROGRAM_NAME) == 0 && sio_FileReadable(out)) return 1;
    out[0] = 0;
    return 0;
}

// The settings file beside a program: its folder and the settings file's name.
int settings_beside(const char* program, char* out, size_t cap) {
    const char* name = path_NamePart(program);
    if (name == program) return 0;
    const int n = std::snprintf(out, cap, "%.*s%s", (int)(name - program), program, SET_FILE_NAME);
    return n > 0 && (size_t)n < cap;
}

// Asks about an old or newer version; 0 when the user keeps the newer one.
int ask_about_version(const char* previous) {
    unsigned major = 0, minor = 0, build = 0, revision = 0;
    const int readable = ReadFileVersion(previous, &major, &minor, &build, &revision);
    switch (setup_ClassifyPrevious(readable, major, minor)) {
    case SETUP_PREV_OLD:
        setup_HideProgress();
        if (ui_MessageBox("  Some older versions of Kelvara,\nnotably version 1.40, may fail to uninstall \nor upgrade "
                          "properly on some systems.\nThis problem can be corrected by an override\nbuilt into this "
                          "installer.\nWould you like to launch the override?",
                          "Bug Correction", ASK) != UI_IDYES)
            break;
        while (!DeleteFileA(previous)) {
            if (ui_MessageBox("Make sure the previous installation of\nKelvara is NOT running, and\nthat you have "
                              "administrator priviledges\nif you are running Windows XP, 2000,\n2003 Server or NT, "
                              "then click OK.",
                              "Important!!", UI_OKCANCEL | UI_ICONWARNING | UI_TOPMOST) != UI_IDOK)
                break;
        }
        break;
    case SETUP_PREV_NEWER:
        if (ui_MessageBox("You seem to have a newer version of\nKelvara installed.\n\nDo you want to keep it instead?",
                          "YOU HAVE A NEWER VERSION!!", ASK) == UI_IDYES)
            return 0;
        break;
    case SETUP_PREV_REPLACE: break;
    }
    return 1;
}

// Keeps the previous settings in the temporary folder for the import.
void keep_settings(SetupRun* run, const char* previous) {
    char temp[KV_MAX_PATH], from[KV_MAX_PATH];
    DWORD n = GetTempPathA(sizeof temp, temp);
    if (n == 0 || n >= sizeof temp) return;
    while (n > 0 && temp[n - 1] == '\\') temp[--n] = 0;
    run->haveSettingsCopy = settings_beside(previous, from, sizeof from) &&
                            path_Join(run->settingsCopy, sizeof run->settingsCopy, temp, "_temp_kvr.kvr") &&
                            CopyFileA(from, run->settingsCopy, FALSE);
}

void remove_previous(const SetupRun* run, const char* previous) {
    setup_Progress("Removing the previous installation...");
    int ended;
    if (run_child(previous, " /forceuninstall /nogui ", REMOVAL_POLLS, &ended)) {
        setup_Progress("Waiting for old EXE to be cleaned up...");
        setup_Wait(3000);
        for (int n = 0; n < 10 && sio_FileReadable(previous); n++) setup_Wait(1000);
    }
    setup_Progress("Moving files to \"Images\" directory...");
    char samples[KV_MAX_PATH];
    if (join(samples, run->folder, "Samples")) MoveFileA(samples, run->images);
}

int write_payload(const SetupPayloadRow& row, const char* path) {
    size_t size = 0;
    const uint8_t* data = setup_Resource(row.id, &size);
    if (!data) return 0;
    CreateFolders(path);
    if (row.readOnly) SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    size_t done = 0;
    while (done < size) {
        const DWORD chunk = size - done > (1u << 20) ? (1u << 20) : (DWORD)(size - done);
        DWORD wrote = 0;
        if (!WriteFile(h, data + done, chunk, &wrote, nullptr) || wrote == 0) break;
        done += wrote;
    }
    const int ok = CloseHandle(h) && done == size;
    if (ok && row.readOnly) SetFileAttributesA(path, FILE_ATTRIBUTE_READONLY);
    return ok;
}

void import_settings(SetupRun* run) {
    setup_Progress("Validating 'Kelvara.kvr'...");
    CreateFolders(run->settings);
    if (!run->haveSettingsCopy) return;
    setup_Progress("Importing Previous Settings...");
    CopyFileA(run->settingsCopy, run->settings, FALSE);
    DeleteFileA(run->settingsCopy);
    run->haveSettingsCopy = 0;
}

void open_item(const char* path, int show) {
    ShellExecuteA(nullptr, "open", path, nullptr, nullptr, show);
}

// A text file opens with what the system associates with it, else with the system's
// own editor (a system without a .txt association would show nothing).
void open_text(const char* path, int show) {
    char program[MAX_PATH], quoted[KV_MAX_PATH + 2];
    if ((INT_PTR)FindExecutableA(path, nullptr, program) > 32) {
        open_item(path, show);
        return;
    }
    std::snprintf(quoted, sizeof quoted, "\"%s\"", path);
    ShellExecuteA(nullptr, "open", "notepad.exe", quoted, nullptr, show);
}

}  // namespace

int setup_BuildPaths(SetupRun* run, const char* folder) {
    std::memset(run, 0, sizeof *run);
    const size_t n = std::strlen(folder);
    if (n >= sizeof run->folder) return 0;
    std::memcpy(run->folder, folder, n + 1);
    return join(run->program, folder, PROGRAM_NAME) && join(run->settings, folder, SET_FILE_NAME) &&
           join(run->help, folder, "Kelvara.chm") && join(run->readme, folder, "ReadMe.txt") &&
           join(run->images, folder, "Images");
}

int setup_CheckFreeSpace(const char* folder) {
    ULARGE_INTEGER available;
    const char root[4] = {folder[0], ':', '\\', 0};
    // A drive the system cannot measure is left to the writes to find out.
    if (!setup_HasDrive(folder) || !GetDiskFreeSpaceExA(root, &available, nullptr, nullptr)) {
        ui_MessageBox("Installer could not verify free space.\nThe test will be skipped.", "Skipping Test",
                      UI_OK | UI_ICONINFORMATION | UI_TOPMOST);
        return 1;
    }
    if (setup_EnoughSpace(available.QuadPart)) return 1;
    ui_MessageBox("You need atleast 2MB of free space on your installation drive.", "Disk Is Full!!",
                  UI_OK | UI_ICONERROR | UI_TOPMOST);
    return 0;
}

int setup_HandlePrevious(SetupRun* run) {
    setup_Progress("Checking for previous installation...");
    char previous[KV_MAX_PATH];
    if (sio_FileReadable(run->program)) std::strcpy(previous, run->program);
    else if (!find_elsewhere(previous, sizeof previous)) return 1;
    if (!ask_about_version(previous)) return 0;
    keep_settings(run, previous);
    remove_previous(run, previous);
    return 1;
}

int setup_InstallFiles(SetupRun* run) {
    for (int i = 0; i < SETUP_PAYLOAD_ROWS; i++) {
        const SetupPayloadRow& row = kSetupPayload[i];
        char path[KV_MAX_PATH];
        setup_Progress(row.caption);
        if (!join(path, run->folder, row.target) || !write_payload(row, path)) {
            ui_MessageBox("Error installing Kelvara 1.80", "Error", UI_OK | UI_ICONERROR | UI_SYSTEMMODAL);
            return 0;
        }
        if (i == 0) import_settings(run);
    }
    // Other programs read .kv5 through the system's imaging component from now on.
    char codec[KV_MAX_PATH];
    if (join(codec, run->folder, CREG_DLL_NAME)) creg_RegisterKv5Codec(codec);
    return 1;
}

void setup_CreateShortcuts(const SetupRun* run) {
    setup_Progress("Creating Shortcuts...");
    char folder[KV_MAX_PATH], link[KV_MAX_PATH];
    if (ShellFolder("Programs", folder, sizeof folder)) {
        struct Link {
            const char* name;
            const char* target;
            const char* arguments;
            int icon;
            const char* description;
            int show;
        } links[] = {
            {"Kelvara.lnk", run->program, nullptr, -1, PROGRAM_DESCRIPTION, 1},
            {"Uninstall.lnk", run->program, " /nogui /uninstall", 5, "Uninstall Orvik's Kelvara 1.80", 1},
            {"Help.lnk", run->help, nullptr, -1, "Help for Kelvara", 3},
            {"Readme.lnk", run->readme, nullptr, -1, nullptr, 1},
        };
        for (const Link& l : links) {
            const int n = std::snprintf(link, sizeof link, "%s\\Orvik Lab\\Kelvara\\%s", folder, l.name);
            if (n > 0 && n < (int)sizeof link) CreateShortcut(link, l.target, l.arguments, l.icon, l.description, l.show);
        }
    }
    setup_HideProgress();
    if (ui_MessageBox("Would you like to have a shortcut to Kelvara placed on your desktop?", "Desktop Shortcut",
                      ASK) != UI_IDYES)
        return;
    if (ShellFolder("Desktop", folder, sizeof folder) && path_Join(link, sizeof link, folder, "Kelvara.lnk"))
        CreateShortcut(link, run->program, nullptr, -1, PROGRAM_DESCRIPTION, 1);
}

void setup_RunSetUp(const SetupRun* run) {
    setup_Progress("Waiting for the new EXE to be ready...");
    setup_Wait(1000);
    setup_HideProgress();
    int ended;
    if (!run_child(run->program, " /install /nogui ", SETUP_POLLS, &ended) || ended) return;
    setup_Progress("The operation timed out...");
    setup_Wait(500);
    setup_HideProgress();
}

void setup_OpenChosen(const SetupRun* run, unsigned mask) {
    open_item(run->images, SW_SHOWNORMAL);
    setup_Wait(1000);
    if (mask & SETUP_VIEW_README) open_text(run->readme, SW_SHOWNORMAL);
    setup_Wait(1000);
    if (mask & SETUP_RUN_PROGRAM) open_item(run->program, SW_SHOWNORMAL);
    setup_Wait(3000);
    if (mask & SETUP_VIEW_HELP) open_item(run->help, SW_SHOWMAXIMIZED);
    setup_Wait(1000);
}
