// fxdialog_win32.h — the effect and transform dialogs with their live preview, and
// the convolution-matrix dialog.
//
// Owns: the effect and transform settings kept between dialogs, the dialogs' shared
// opacity and the user matrix (all program-wide, not saved). While a dialog is open
// it holds a working copy of its target; Cancel restores the target from it, OK
// keeps the last preview. Undo bookkeeping is the caller's (doc_ShouldRecordUndo).
#pragma once
#include <windows.h>
#include <cstdint>

// Results: 0 cancelled or refused, 1 applied to the main image, 128 cancelled with
// the sprite as target, 129 applied to the sprite.
int RunEffect(HWND owner, HWND view, uint32_t code);
int RunTransform(HWND owner, HWND view, uint32_t code);
// "Define matrix": edits the user matrix; on OK fills the nine weights (summing to
// about 1,000,000) and returns 1. A matrix that sums to 0 or overflows is refused
// with a message and the dialog stays open; Cancel returns 0.
int RunMatrixDialog(HWND owner, int32_t weights[9]);
