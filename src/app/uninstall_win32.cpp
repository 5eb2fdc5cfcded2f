// uninstall_win32.cpp — see uninstall_win32.h.
#include "app/uninstall_win32.h"

#include <windows.h>
#include <shlobj.h>
#include <cstdio>
#include <cstring>

#include "app/broadcast_win32.h"
#include "app/instances.h"
#include "platform/paths.h"
#include "platform/shortcut.h"
#include "app/shell_win32.h"
#include "platform/ui.h"
#include "safety/runlog.h"
#include "settings/codecreg_win32.h"
#include "settings/registry_win32.h"
#include "settings/settings.h"

namespace {

// The wait that lets every other copy see the end command at its next message.
const DWORD CLOSE_WAIT_MS = 5000;
// Questions stay above the top-most splash.
const unsigned ASK = UI_YESNO | UI_ICONQUESTION | UI_TOPMOST;

const char* const kExtensions[] = {".kv5", ".bmp", ".dib", ".rle", ".tga",
                                   ".pcx", ".ppm", ".pgm", ".pbm", ".icl"};

// A base folder we are willing to delete below: absolute and longer than a drive root.
int usable_base(const char* dir) {
    return dir && std::strlen(dir) > 3 && dir[1] == ':' && dir[2] == '\\';
}

void delete_file(const char* path) {
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path);
}

// Deletes the files of `dir` (and, with `deep`, its subfolders with everything in
// them), then the folder itself when it is empty. Links are removed, not followed.
void delete_folder(const char* dir, int deep, int depth = 0) {
    if (!usable_base(dir) || depth > 32) return;
    char pattern[KV_MAX_PATH];
    if (!path_Join(pattern, sizeof pattern, dir, "*")) return;
    WIN32_FIND_DATAA f;
    HANDLE h = FindFirstFileA(pattern, &f);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!std::strcmp(f.cFileName, ".") || !std::strcmp(f.cFileName, "..")) continue;
            char path[KV_MAX_PATH];
            if (!path_Join(path, sizeof path, dir, f.cFileName)) continue;
            int folder = (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            int link = (f.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if (!folder) delete_file(path);
            else if (link) RemoveDirectoryA(path);
            else if (deep) delete_folder(path, 1, depth + 1);
        } while (FindNextFileA(h, &f));
        FindClose(h);
    }
    SetFileAttributesA(dir, FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(dir);
}

// A shell folder's path joined with `tail`; 0 when the folder is unknown.
int shell_path(int csidl, const char* tail, char* out, size_t cap) {
    char base[KV_MAX_PATH];
    if (SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, base) != S_OK || !usable_base(base)) return 0;
    int n = std::snprintf(out, cap, "%s%s", base, tail);
    return n > 0 && (size_t)n < cap;
}

// The program's path with its extension replaced.
int program_with(const char* ext, char* out, size_t cap) {
    const char* program = path_ProgramFile();
    const char* dot = std::strrchr(program, '.');
    const char* slash = std::strrchr(program, '\\');
    if (!usable_base(program) || !dot || (slash && dot < slash)) return 0;
    int n = std::snprintf(out, cap, "%.*s%s", (int)(dot - program), program, ext);
    return n > 0 && (size_t)n < cap;
}

// Each step shows on the splash and goes to the runtime log.
void step(const char* text) {
    splash_Show(text);
    LogEntry(text, 0, 0, 0);
}

void close_other_copies() {
    step("Closing all instances...");
    inst_SetBroadcast(BROADCAST_END, INST_ALL);
    Sleep(CLOSE_WAIT_MS);
    uint32_t ids[INST_SLOTS];
    int n = inst_CopyIds(ids, INST_SLOTS);
    for (int i = 0; i < n; i++) {
        if (ids[i] == GetCurrentProcessId()) continue;
        HANDLE p = OpenProcess(PROCESS_ALL_ACCESS, FALSE, ids[i]);
        if (!p) continue;
        TerminateProcess(p, 0);
        CloseHandle(p);
    }
    // Every listed copy has ended; a command left standing would end this copy (if
    // it goes on after a failure) and any copy started later at its first message.
    if (inst_BroadcastCommand() == BROADCAST_END) inst_SetBroadcast(0, INST_ALL);
}

void remove_registry_entries() {
    step("Removing registry entries...");
    for (const char* ext : kExtensions) UnassociateExtension(ext);
    UnregisterSettingsFileType();
    DeleteProgramPathKey();
    creg_UnregisterKv5Codec();
}

void remove_shortcuts_from(const char* programs, const char* desktop) {
    char path[KV_MAX_PATH];
    if (usable_base(programs) && path_Join(path, sizeof path, programs, "Orvik Lab\\Kelvara")) delete_folder(path, 1);
    if (usable_base(programs) && path_Join(path, sizeof path, programs, "Orvik Lab")) RemoveDirectoryA(path);
    if (usable_base(desktop) && path_Join(path, sizeof path, desktop, "Kelvara.lnk")) delete_file(path);
}

// From the user's own folders and from those the installer puts its shortcuts in
// (the machine-wide ones on NT).
void remove_shortcuts() {
    step("Removing shortcuts...");
    char programs[KV_MAX_PATH] = "", desktop[KV_MAX_PATH] = "";
    shell_path(CSIDL_PROGRAMS, "", programs, sizeof programs);
    shell_path(CSIDL_DESKTOPDIRECTORY, "", desktop, sizeof desktop);
    remove_shortcuts_from(programs, desktop);
    ShellFolder("Programs", programs, sizeof programs);
    ShellFolder("Desktop", desktop, sizeof desktop);
    remove_shortcuts_from(programs, desktop);
}

void delete_associated_files() {
    step("Deleting associated files...");
    LogEntry("NB: Error Logging Ends Here!", 0, 0, 0);
    delete_folder(path_AutosaveDir(), 1);
    char path[KV_MAX_PATH];
    for (const char* ext : {".kvr", ".chm", ".log"})
        if (program_with(ext, path, sizeof path)) delete_file(path);
    // The files the program itself writes, by their own names (a renamed program
    // file would otherwise leave them, and its folder, behind).
    for (const char* name : {SET_FILE_NAME, LOG_FILE_NAME, "ReadMe.txt", "desktop.bmp", CREG_DLL_NAME})
        if (path_Join(path, sizeof path, path_AppDir(), name)) delete_file(path);
}

void offer_folders() {
    struct Offer {
        const char* dir;
        const char* text;
        const char* title;
    } offers[3] = {
        {path_ImagesDir(), "Would you like to delete all the files in\nyour 'Images' directory as well?",
         "Delete Images?"},
        {path_SpritesDir(), "Would you like to delete all the files in\nyour 'Sprites' directory as well?",
         "Delete Sprites"},
        {path_PluginsDir(), "Would you like to delete all the files in\nyour 'Plugins' directory as well?",
         "Delete Installed Plugins"},
    };
    // The emptied folder goes too, so that the erase stage can remove the program's folder.
    for (const Offer& o : offers)
        if (ui_MessageBox(o.text, o.title, ASK) == UI_IDYES) delete_folder(o.dir, 0);
}

int start_erase_copy() {
    char temp[KV_MAX_PATH], copy[KV_MAX_PATH];
    DWORD n = GetTempPathA(sizeof temp, temp);
    if (n == 0 || n >= sizeof temp) temp[0] = 0;
    while (n > 0 && temp[n - 1] == '\\') temp[--n] = 0;
    if (!temp[0] || !path_Join(copy, sizeof copy, temp, "erase_me.exe") ||
        !CopyFileA(path_ProgramFile(), copy, FALSE)) {
        ui_MessageBox("Could not copy program to temp folder.", "Uninstallation Error", UI_OK | UI_ICONERROR);
        return UNINST_CANCELLED;
    }
    char line[2 * KV_MAX_PATH + 32];
    std::snprintf(line, sizeof line, "\"%s\" /erase_me \"%s\"", copy, path_ProgramFile());
    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    // Started in the temporary folder so that the program's folder is not in use.
    if (!CreateProcessA(copy, line, nullptr, nullptr, FALSE, 0, nullptr, temp, &si, &pi)) {
        LogEntry("Could not start the erase copy", (int64_t)GetLastError(), 0, 0);
        DeleteFileA(copy);
        return UNINST_CANCELLED;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return UNINST_DONE;
}

}  // namespace

int uninst_CanWriteAppDir() {
    char path[KV_MAX_PATH];
    if (!path_Join(path, sizeof path, path_AppDir(), "test.tmp")) return 0;
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    CloseHandle(h);
    return 1;
}

int SelfUninstall(int forced) {
    LogEntry("SELF-UNINSTALL invoked...", 0, 0, 0);
    g_shell.writeAccess = uninst_CanWriteAppDir();
    if (!g_shell.writeAccess) {
        ui_MessageBox("You don't have write priviledges on this\ndrive. Please switch to a user account that\n"
                      "has write priviledges.",
                      "Drive Read-only!!", UI_OK | UI_ICONERROR | UI_TOPMOST);
        LogEntry("Limited user account, aborting...", 0, 0, 0);
        return UNINST_CANCELLED;
    }
    if (!forced) {
        if (ui_MessageBox("Are you sure you want to remove Kelvara 1.80\nand all its components permanently "
                          "from your computer?",
                          "Uninstall Kelvara", ASK) != UI_IDYES)
            return UNINST_CANCELLED;
        if (ui_MessageBox("This will PERMANENTLY remove this copy of \nKelvara 1.80 from your computer.\n"
                          "Uninstallation CANNOT BE UNDONE later!!\nAre you sure you want to uninstall?\n",
                          "!! CONFIRM UNINSTALL !!", ASK) != UI_IDYES)
            return UNINST_CANCELLED;
        if (g_settings.lockUninstall) {
            ui_MessageBox("Self-uninstall option locked, go to 'Options' to change this setting", "Access Denied",
                          UI_OK | UI_ICONERROR | UI_TOPMOST);
            return UNINST_CANCELLED;
        }
    }
    close_other_copies();
    remove_registry_entries();
    remove_shortcuts();
    delete_associated_files();
    offer_folders();
    return start_erase_copy();
}
