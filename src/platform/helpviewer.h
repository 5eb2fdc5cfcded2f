// helpviewer.h — opening a page of the program's help file in the system's HTML Help
// viewer, for every window that has a Help button or command.
//
// " Connecting to HTML Help..." goes to the status line; the viewer ("hh.exe") and the
// help file ("Kelvara.chm") are looked up along the search path, and each one that is
// missing or cannot be started is reported with its own message. Windows only.
#pragma once

void help_OpenPage(const char* page);
