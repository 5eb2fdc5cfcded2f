// autosave_win32.h — auto-save on Windows: the snapshot, the worker thread that writes
// it, the points in the auto-save folder and the restore dialog (IDD_AUTOSAVE_RESTORE).
//
// Owns: nothing beyond autosave.h's writer state; the worker owns its snapshot block
// and frees it. The image is copied (pixels and thumbnail) on the calling UI thread
// before the worker starts, so painting may go on at once and no change of the image
// can tear a snapshot. The worker writes <ID>.tmp, flushes it to disk and only then
// moves it over <ID>.kvr in one step: a crash at any moment leaves the last good
// point whole. The document is the caller's: the image comes and goes as arguments.
#pragma once
#include <windows.h>
#include <cstddef>
#include "engine/surface.h"
#include "safety/autosave.h"

// Draws the run's ID (seeded from the UTC clock). Returns 1.
int NewAutosaveId();
// 1 when the folder holds a point (*.kvr); either way every *.tmp there is deleted.
int AnyAutosavePoints();
// The poll/start step of the message loop (-1 failed, 0 running, 1 done); see
// as_Start. Starting copies the image; the image must be valid and at most 4096 a side.
int StartAutosave(Surface* image);
// A final snapshot, waited for (end of the session, suspend): starts one (a finished
// one not yet polled does not count) and waits with hurry for at most about five
// seconds. Returns StartAutosave's last answer.
int SaveAutosaveNow(Surface* image);
// Deletes this run's point (.kvr and .tmp) once a running worker has finished. Returns 1.
int DeleteRunAutosave();
// Deletes the auto-save folder with every file in it; 1 when it is gone.
int DeleteAutosaveFolder();

// One point of the restore list.
struct AsEntry {
    char name[64];     // the file's name in the folder
    char idText[16];   // its leading number
    AsHeader header;
    HBITMAP thumb;     // 128 x 128, owned by the entry (null when it could not be made)
};
// Reads a point's header into `entry` with a thumbnail bitmap; 0 (nothing held) when
// the file cannot be read or its header is refused.
int ReadAutosaveHeader(const char* path, AsEntry* entry);
void as_FreeEntry(AsEntry* entry);

// The restore dialog alone: 1 with the chosen point's file name, 0 when cancelled.
int as_RunRestoreDialog(HWND owner, char* chosenName, size_t cap);
// The dialog, then the chosen point into `image` (what it held is destroyed), which
// becomes this run's point. 0 when cancelled or the point cannot be read: then
// `image` is untouched.
int RestoreAutosave(HWND owner, Surface* image);
