// mainwnd_win32.h — the main window ("kelvara_wnd_main") and its children: the
// window classes, the layout table, timers, the close question, menu states and
// status-line help. Commands run through the command table (commands.h), the
// open/save workflow is files_win32's.
#pragma once
#include <windows.h>

// Registers the main window's, the view's and the panels' classes; 0 when one fails.
int mw_RegisterClasses(HINSTANCE instance);
// Creates the main window and its children; 0 on failure.
int mw_Create(int showCommand);
void mw_StartTimers();
void mw_KillTimers();
// The message loop tells the window an Alt accelerator just ran (see the Alt key's
// release in mainwnd_win32.cpp).
void mw_NoteAltAccelerator();
