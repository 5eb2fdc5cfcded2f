// setup_steps_win32.h — the installer's steps after the questions of its dialogs:
// the free-space check, the previous installation (version questions, its settings
// kept for import, its removal with /forceuninstall), writing the payload, the
// shortcuts, the set-up run of the new program (/install) and what the finish dialog
// chose. Each step shows its caption in the progress window.
//
// A step returns 1 to go on, 0 when the installer must end (the user chose so, or an
// error was reported). Nothing of the new installation is written before
// setup_InstallFiles.
#pragma once
#include "platform/sysio.h"

struct SetupRun {
    char folder[KV_MAX_PATH];    // the installation folder, ending in "\"
    char program[KV_MAX_PATH];   // <folder>Kelvara.exe
    char settings[KV_MAX_PATH];  // <folder>Kelvara.kvr
    char help[KV_MAX_PATH];
    char readme[KV_MAX_PATH];
    char images[KV_MAX_PATH];
    char settingsCopy[KV_MAX_PATH];  // the previous settings in the temporary folder
    int haveSettingsCopy;
};

// Exit codes of the installer.
const int SETUP_EXIT_DONE = 0;
const int SETUP_EXIT_ENDED = 1;  // the user ended it, or there was no room
const int SETUP_EXIT_ERROR = 2;  // a payload file could not be written

// Fills the run's paths for an installation folder; 0 when one would not fit.
int setup_BuildPaths(SetupRun* run, const char* folder);
int setup_CheckFreeSpace(const char* folder);
int setup_HandlePrevious(SetupRun* run);
// Writes the payload, then registers the .kv5 decoder it brought.
int setup_InstallFiles(SetupRun* run);
void setup_CreateShortcuts(const SetupRun* run);
void setup_RunSetUp(const SetupRun* run);
// Opens the Images folder, then each chosen item, with the pauses between them.
void setup_OpenChosen(const SetupRun* run, unsigned mask);
