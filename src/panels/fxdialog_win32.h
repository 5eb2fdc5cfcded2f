// fxdialog_win32.h — the effect and transform dialogs with their live preview, and
// the convolution-matrix dialog.
//
// Owns: the effect and transform settings kept between dialogs, the dialogs' shared
// opacity and the user matrix (all program-wide, not saved). A dialog previews through
// the document's previewed edit of its target: OK keeps the last preview as one change
// (undo step and unsaved flag included), Cancel restores the target.
// A preview of the main image makes first the rectangle the view shows (when the
// effect allows it at its settings) and the rest of the image in slices between
// messages; a change of a setting drops that rest at once, and OK makes whatever is
// left by the whole-image path.
#pragma once
#include <windows.h>
#include <cstdint>

// Asks for the target, then runs the dialog of `code` on it; 1 when the change was kept.
int RunEffect(HWND owner, HWND view, uint32_t code);
int RunTransform(HWND owner, HWND view, uint32_t code);
// The shell tells the dialogs where the view shows the main image: the image pixels
// in sight (inclusive) for a main image of w x h, as the view stands or, with
// `centred`, as it will stand once it refits and centres an image of that size; 0
// when it cannot tell. Without it previews make the whole image.
typedef int (*FxShownRect)(int w, int h, int centred, int* x1, int* y1, int* x2, int* y2);
void fxdlg_SetShownRect(FxShownRect shown);
// "Define matrix": edits the user matrix; on OK fills the nine weights (summing to
// about 1,000,000) and returns 1. A matrix that sums to 0 or overflows is refused
// with a message and the dialog stays open; Cancel returns 0.
int RunMatrixDialog(HWND owner, int32_t weights[9]);
