// erase.h — the erase stage: the last step of a self-uninstallation, run by a copy
// of the program started from the temporary folder with /erase_me "<installed exe>".
//
// It waits half a second for the installed program to end, deletes it, then removes
// its folder and the folders above it as long as each is empty and its path
// (lower-cased) contains "kelvara" or "orvik". Messages go through the user-interface
// seam as system-modal, top-most, foreground boxes titled "Uninstall Error".
// Returns the process exit code: 0 when the program file was deleted, -99 when the
// line holds no quoted path or the file could not be deleted.
#pragma once

const int ERASE_FAILED = -99;

int EraseStage(const char* commandLine);
