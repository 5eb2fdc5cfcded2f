// uninstall_win32.h — self-uninstallation, first half: asks (unless forced), ends
// every other running copy, removes the registry entries, the shortcuts and the
// program's own files, offers to empty the Images, Sprites and Plugins folders, and
// starts a copy of the program from the temporary folder with /erase_me, which
// deletes the program file and its folders once this process has ended.
//
// Promises: only the listed items are deleted — inside the program's own folders,
// plus the "Orvik Lab\Kelvara" Start-menu folder and the desktop's "Kelvara.lnk".
// A folder path that is empty (unknown) is never used as a base. Links inside the
// folders that are deleted whole are removed, never followed.
#pragma once

const int UNINST_CANCELLED = 0;  // nothing (or not everything) was done; the caller goes on
const int UNINST_DONE = 1;       // the erase copy runs: the caller must end at once

// forced: no confirmations and no lock check (the installer's /forceuninstall).
// The folder questions are asked either way. Progress texts go to the splash.
int SelfUninstall(int forced);

// 1 when a file can be created (and deleted again) in the application folder.
int uninst_CanWriteAppDir();
