// setup_main_win32.cpp — kelsetup's entry: the wizard over the splash window, then
// the steps in their fixed order. Any "Exit", refusal or cancelled question ends the
// installer before anything is written. Reads no command line.
#include <windows.h>
#include <objbase.h>
#include "installer/setup_dialogs_win32.h"
#include "installer/setup_ids.h"
#include "installer/setup_rules.h"
#include "installer/setup_splash_win32.h"
#include "installer/setup_steps_win32.h"
#include "installer/setup_system_win32.h"
#include "platform/dllsearch.h"
#include "platform/ui_win32.h"

namespace {

// The questions before anything is written; 1 with the installation folder chosen.
int ask_user(HWND splash, char* folder, size_t cap) {
    if (!setup_RunWelcome(splash)) return 0;
    size_t size = 0;
    const char* licence = (const char*)setup_Resource(IDR_LICENCE, &size);
    if (!setup_RunLicence(splash, licence, size)) return 0;
    char windows[KV_MAX_PATH] = "", suggested[KV_MAX_PATH], typed[SETUP_FOLDER_BYTES];
    UINT n = GetWindowsDirectoryA(windows, sizeof windows);
    if (n == 0 || n >= sizeof windows) windows[0] = 0;
    setup_DefaultFolder(windows, suggested, sizeof suggested);
    if (!setup_RunFolder(splash, suggested, typed, sizeof typed)) return 0;
    return setup_InstallFolder(typed, folder, cap) && setup_CheckFreeSpace(folder);
}

int install(HWND splash) {
    char folder[KV_MAX_PATH];
    if (!ask_user(splash, folder, sizeof folder)) return SETUP_EXIT_ENDED;
    setup_CreateProgress(splash);
    setup_Progress("Loading...");
    static SetupRun run;
    if (!setup_BuildPaths(&run, folder)) return SETUP_EXIT_ERROR;  // cannot happen: 120 characters fit
    if (!setup_HandlePrevious(&run)) return SETUP_EXIT_ENDED;
    if (!setup_InstallFiles(&run)) return SETUP_EXIT_ERROR;
    setup_CreateShortcuts(&run);
    setup_RunSetUp(&run);
    const unsigned mask = setup_RunFinish(splash);
    setup_DestroyProgress();
    setup_DestroySplash();
    setup_OpenChosen(&run, mask);
    return SETUP_EXIT_DONE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    dll_LimitSearch();  // the installer is run from Downloads more than anything
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HWND splash = setup_CreateSplash(instance);
    uiw_SetOwner(splash);
    PumpMessages(0);
    const int code = install(splash);
    uiw_SetOwner(nullptr);
    setup_DestroyProgress();
    setup_DestroySplash();
    if (SUCCEEDED(com)) CoUninitialize();
    return code;
}
