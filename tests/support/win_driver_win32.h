// win_driver_win32.h — drives real windows from a Windows-side test: waits for a
// top-level window by title on another thread and answers it like a user would.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <thread>

// A path of the host (Linux) file system as the program sees it under Wine: Z: and
// backslashes.
std::string WinPath(std::string hostPath);

// The folder of the running test program, without a trailing backslash.
std::string TestProgramFolder();

// Polls for a visible top-level window whose title is `title` (and, when given,
// whose class is `cls`), up to `timeoutMs`. Returns it or null.
HWND FindWindowWait(const char* title, const char* cls, int timeoutMs);

// Starts a thread that waits for the window titled `title` and presses the button
// (or sends the command) `id` in it. Join the thread after the modal call returns.
std::thread AnswerWindowLater(const std::string& title, int id, int timeoutMs = 10000);

// Starts a thread that waits for the window titled `title` and hands it to `action`
// (which may set fields and press buttons). Join it after the modal call returns.
std::thread DriveWindowLater(const std::string& title, std::function<void(HWND)> action,
                             int timeoutMs = 10000);
// Presses a button of a dialog from another thread.
void PressButton(HWND dialog, int id);
// Types `name` into a file dialog's name field once its fields exist, and confirms.
void TypeFileName(HWND dialog, const std::string& name);
