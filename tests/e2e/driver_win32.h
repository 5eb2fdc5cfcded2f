// driver_win32.h — drives a running kelvara.exe from outside, as a user would:
// starts it in a private program folder, finds its windows by class and title,
// sends menu commands and keys, answers message boxes by title and reads the
// status line. Every wait polls with a deadline; nothing here sleeps blindly.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "engine/surface.h"
#include "settings/settings.h"

struct KvProcess {
    PROCESS_INFORMATION pi;
    HWND main;
    std::string folder;  // the private program folder (holds kelvara.exe)
};
// A started copy that is ended, if still running, when it goes out of scope.
struct KvRunning {
    KvProcess p{};
    ~KvRunning();
};
const int DRV_START_MS = 30000;

// The kelvara.exe beside the test folder of the build.
std::string drv_ProgramPath();
// A file of that name in the build folder (screenshots go there).
std::string drv_BuildPath(const char* name);
// A fresh folder under the test's own folder with a copy of kelvara.exe and the shipped
// filter plug-ins in its Plugins folder; a settings file with `settings` (1356 bytes)
// is written there when it is not empty.
std::string drv_MakeFolder(const char* name, const std::string& settingsFile);
// Starts the copy in `folder` with arguments; 0 when it could not be started.
int drv_Start(KvProcess* p, const std::string& folder, const char* args);
// Starts it and waits for its main window to read " All systems go!!"; 1 when it did.
int drv_StartReady(KvProcess* p, const std::string& folder, const char* args);
// The settings of a user past the tutorial question (undo 8 MB, the brush as the
// previous tool), with `lockUninstall` as given; a `tutorialCount` below 3 brings
// the question back. The record, and the file of it (or of any record).
SettingsRecord drv_QuietSettings(int lockUninstall = 0, int currentTool = 0, int tutorialCount = 3);
std::string drv_SettingsFile(const SettingsRecord& r);
std::string drv_QuietSettingsFile(int lockUninstall = 0, int currentTool = 0, int tutorialCount = 3);
// The settings file in `folder`, decoded; 1 when it was there and sound.
int drv_ReadSettings(const std::string& folder, SettingsRecord* r);
// Writes a w x h opaque picture of gradients as .kv5 (the journeys' test image).
int drv_WritePicture(const std::string& path, int w, int h);
// Waits for the process's main window; null on timeout.
HWND drv_WaitMain(KvProcess* p, int timeoutMs);
// Exit code after waiting up to timeoutMs; STILL_ACTIVE when it is still running.
DWORD drv_WaitExit(KvProcess* p, int timeoutMs);
void drv_Kill(KvProcess* p);
std::string drv_Text(HWND w);
std::string drv_Status(HWND main);
// Waits until the status line reads `text`; 1 when it did.
int drv_WaitStatus(HWND main, const char* text, int timeoutMs);
// Saves the image under its own name (CMD_SAVE) and waits until `path` exists again
// (the program writes it whole and renames it into place); 1 when it did.
int drv_SaveInPlace(HWND main, const std::string& path, int timeoutMs);
// Saves in place as above and loads what was written into `s` (destroying what it
// held); 1 when both went.
int drv_SaveAndLoad(HWND main, const std::string& path, Surface* s, int timeoutMs = 10000);
// Closes the main window and answers "Confirm Exit" with Yes; 1 when the program
// then ended with exit code 0.
int drv_CloseWithYes(KvProcess* p);
// Sends a command (as from the menu) without waiting for it to finish.
void drv_Command(HWND main, int id);
void drv_Key(HWND main, int vk);
// Waits for a top-level window with this title belonging to the process and
// presses the button `id` in it; 1 when it did.
int drv_Answer(KvProcess* p, const char* title, int id, int timeoutMs);
HWND drv_FindOwned(KvProcess* p, const char* title, int timeoutMs);
// Waits for the window titled so, cancels it and waits until it is gone; 1 when it came.
int drv_Cancel(KvProcess* p, const char* title, int timeoutMs);
// The child of `main` with this class (the n-th), or null.
HWND drv_Child(HWND main, const char* cls);
// Client rectangle of a child in the main window's client coordinates.
RECT drv_ChildRect(HWND main, HWND child);
// Saves the whole screen as a 32-bit BMP; 1 when written.
int drv_SaveScreen(const std::string& path);
// The client area of a window as it is on the screen, 0x00RRGGBB per pixel, rows
// top-down; 0 when it could not be read. The window must not be covered.
int drv_GrabClient(HWND w, std::vector<uint32_t>* pixels, int* width, int* height);
// Drops files on a window as the shell does: a DROPFILES block in the target
// process's memory, its address as the WM_DROPFILES handle. The program's
// DragQueryFile reads it there; its DragFinish cannot free a block that no heap
// owns, so the page stays (one per drop, for the test's lifetime). 1 when posted.
int drv_DropFiles(KvProcess* p, HWND target, const std::vector<std::string>& files);

// Puts the real pointer in the screen's corner, off every window the journeys drive:
// under Wine its moves reach a window that appears under it and write the status line.
void drv_ParkPointer();

// Files, registry and shell folders as the journeys check them.
bool drv_Exists(const std::string& path);
// The whole file; empty when it cannot be read.
std::string drv_ReadFile(const std::string& path);
// The default value of a key under HKEY_CLASSES_ROOT, or "<none>".
std::string drv_ClassesDefault(const std::string& key);
// The path of a shell folder (a CSIDL_ value), or "".
std::string drv_ShellFolder(int csidl);
