// sizedlg_win32.h — the picture-size, resize and size-preset dialogs.
//
// Each is one modal dialog from panels_size.rc, centred over its owner, whose
// in/out record lives on the caller's stack and travels through lParam. The size
// dialogs offer the present size and the common sizes in both combo boxes, keep
// the aspect while it is ticked, take presets, and accept OK only for a size the
// image size rule allows (its messages and corrections included). A packed size
// is width | height << 16; 0 always means cancelled.
#pragma once
#include <windows.h>
#include <cstdint>
#include "engine/surface.h"

// "Select Desired Picture Size", opened at `presentPacked`: the chosen size
// packed, or 0 when cancelled.
uint32_t AskPictureSize(HWND owner, uint32_t presentPacked);
// "Resize Image / Sprite" for `surface`: on OK the surface itself is resampled to
// the chosen size (bilinear with "Resample..." ticked, nearest neighbour without)
// and 1 comes back; 0 when cancelled or the surface is unusable, the surface then
// untouched. Undo, the view and the document's records are the caller's.
int AskResize(HWND owner, Surface* surface);
// "Image Size Presets": the chosen preset packed, or 0 when cancelled.
uint32_t AskPreset(HWND owner);
