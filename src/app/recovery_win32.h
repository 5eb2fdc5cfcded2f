// recovery_win32.h — the shell's side of auto-save: the message loop's auto-save bit,
// recovery at start-up, the Reload Autosaved Image command and the final snapshot at
// the end of the session. The document keeps its image; these functions hand it to
// the auto-save module and take a restored image back through doc_ReplaceMainImage.
#pragma once

// After a dispatched message while the auto-save bit stands: polls or starts the
// snapshot, reports on the status line and clears the bit once it is answered.
void rec_ServeAutosaveBit();
// Start-up: draws the run's ID; in the first instance offers the points left behind.
void rec_StartUp(int firstInstance);
// The restore dialog; a restored point becomes the untitled, saved main image with a
// fresh undo history. 1 when it did.
int rec_RestoreIntoDocument();
// Reload Autosaved Image: the unsaved-changes question, then the restore.
void rec_ReloadCommand();
// A clean exit: this run's point goes, and no new one is started after that.
void rec_CleanExit();
// End of the session or suspend: a final snapshot of the main image, waited for.
void rec_FinalSnapshot();
