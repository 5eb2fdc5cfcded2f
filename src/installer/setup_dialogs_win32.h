// setup_dialogs_win32.h — the installer's dialogs, each a template of
// resources/installer.rc plus one Run function, centred over the splash: welcome,
// licence (the accept button waits five seconds), installation folder and finish;
// and the modeless, top-most progress window whose caption line names each step.
#pragma once
#include <windows.h>
#include <cstddef>

// 1 for "Next >>", 0 for "Exit".
int setup_RunWelcome(HWND owner);
// Shows `licence` (any line ends); 1 for "YES, I Agree", 0 for "NO, I Don't Agree".
int setup_RunLicence(HWND owner, const char* licence, size_t length);
// "Set Installation Path", pre-filled with `suggested`; 1 with the edited text (at
// most 120 characters) in `typed` for "Continue", 0 for "Exit".
int setup_RunFolder(HWND owner, const char* suggested, char* typed, size_t cap);
// Finish-dialog choices, all ticked at first.
const unsigned SETUP_VIEW_README = 1;
const unsigned SETUP_RUN_PROGRAM = 2;
const unsigned SETUP_VIEW_HELP = 4;
// The choices ticked when "Finish" is pressed.
unsigned setup_RunFinish(HWND owner);

// The progress window: created hidden; a caption shows it (and the caption).
int setup_CreateProgress(HWND owner);
void setup_Progress(const char* caption);
void setup_HideProgress();
void setup_DestroyProgress();
