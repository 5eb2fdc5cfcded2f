// ui.h — the one door from portable code to the user.
//
// Portable modules never include <windows.h>; when they must tell the user something
// or ask in the middle of their work they come through here. ui_win32.cpp implements
// it for the program; the tests link a scripted implementation that answers prompts
// from a queue and records every message and status text. The command handler
// (ui_command.cpp) is the one part every implementation shares.
// Flag and answer values are the Win32 MessageBox ones, so callers pass the familiar
// combinations and both implementations agree on them.
#pragma once
#include <cstdint>

// MessageBox flags (same values as MB_*).
const unsigned UI_OK = 0x0;
const unsigned UI_OKCANCEL = 0x1;
const unsigned UI_YESNOCANCEL = 0x3;
const unsigned UI_YESNO = 0x4;
const unsigned UI_RETRYCANCEL = 0x5;
const unsigned UI_ICONERROR = 0x10;
const unsigned UI_ICONQUESTION = 0x20;
const unsigned UI_ICONWARNING = 0x30;
const unsigned UI_ICONINFORMATION = 0x40;
const unsigned UI_DEFBUTTON2 = 0x100;
const unsigned UI_SYSTEMMODAL = 0x1000;
const unsigned UI_TASKMODAL = 0x2000;
const unsigned UI_TOPMOST = 0x40000;

// Answers (same values as ID*).
const int UI_IDOK = 1;
const int UI_IDCANCEL = 2;
const int UI_IDRETRY = 4;
const int UI_IDYES = 6;
const int UI_IDNO = 7;

// Shows a message box; returns the button pressed.
int ui_MessageBox(const char* text, const char* title, unsigned flags);
// Puts a text on the main window's status line (ignored when there is none).
void ui_SetStatus(const char* text);
// Plays a system sound: 0 plain beep, else a MessageBeep type (MB_ICON* value).
void ui_Beep(unsigned type);
// Sounds a tone of `hertz` for `ms` milliseconds (the speaker beep of hard errors).
void ui_Tone(unsigned hertz, unsigned ms);
// Sleeps the calling thread (retry loops wait through here so tests need not).
void ui_Sleep(unsigned ms);
// Tells the view the document changed: repaint it, refit it to a new image size
// (scroll bars, layout) and/or retitle the main window. Ignored before the view exists.
const unsigned UI_VIEW_REPAINT = 1;
const unsigned UI_VIEW_RESIZED = 2;
const unsigned UI_VIEW_TITLE = 4;
// The sprite's rectangle moved (a stroke recomposes what its tool reports; the
// previewer follows when it shows the sprite).
const unsigned UI_VIEW_SPRITE_MOVED = 8;
// Colour #1 or #2 changed: the colour panels repaint.
const unsigned UI_VIEW_COLOURS = 16;
void ui_ViewChanged(unsigned what);
// Shows (1) or removes (0) the wait cursor; calls nest.
void ui_WaitCursor(int on);
// Non-zero while Escape is held or was pressed since the last call. Cheap enough to
// call per pixel row or per macro instruction: the key state is sampled at most
// every few milliseconds.
int ui_EscapePressed();

// Commands for the shell. A tool or panel that wants a menu command run (the Text-Art
// editor after a Text-Art drag, the preview from the colour bar) asks here instead of
// finding the main window. The shell's handler posts the command to its own queue, so
// it runs after the asker's current message is finished, in the order the asks came.
// The handler returns 1 when it took the command.
typedef int (*UiCommandHandler)(int id);
// The shell registers its handler once the main window exists and clears it (null)
// when the window goes away.
void ui_SetCommandHandler(UiCommandHandler handler);
// Asks for command `id`; 1 when the shell took it, 0 when no shell is listening
// (kvbatch, most tests, or before the main window exists).
int ui_PostCommand(int id);

// A prompt an algorithm needs mid-way (a password, a yes/no with a custom dialog).
// `name` identifies the prompt; `in` texts are what the dialog shows; the answer
// comes back in `result` (a button or mode) and the out texts.
struct UiPrompt {
    const char* name;
    int mode;
    const char* inText;
    int result;
    char text1[256];
    char text2[256];
};
typedef int (*UiPromptHandler)(UiPrompt* prompt);
// The Win32 side registers each dialog under its name; the scripted side ignores it.
void ui_RegisterPrompt(const char* name, UiPromptHandler handler);
// Runs the prompt; returns 0 when no dialog is registered under that name.
int ui_Prompt(UiPrompt* prompt);
