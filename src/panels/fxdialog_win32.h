// fxdialog_win32.h — the effect and transform dialogs with their live preview, and
// the convolution-matrix dialog.
//
// Owns: the effect and transform settings kept between dialogs, the dialogs' shared
// opacity and the user matrix (all program-wide, not saved). A dialog previews through
// the document's previewed edit of its target: OK keeps the last preview as one change
// (undo step and unsaved flag included), Cancel restores the target.
#pragma once
#include <windows.h>
#include <cstdint>

// Asks for the target, then runs the dialog of `code` on it; 1 when the change was kept.
int RunEffect(HWND owner, HWND view, uint32_t code);
int RunTransform(HWND owner, HWND view, uint32_t code);
// "Define matrix": edits the user matrix; on OK fills the nine weights (summing to
// about 1,000,000) and returns 1. A matrix that sums to 0 or overflows is refused
// with a message and the dialog stays open; Cancel returns 0.
int RunMatrixDialog(HWND owner, int32_t weights[9]);
