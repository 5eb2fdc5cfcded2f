// anim_win32.h — highlight animations drawn straight onto a window DC (Windows only).
// They share one process-wide 128 x 128 scratch surface: start-up makes it with
// anim_ScratchCreate, exit frees it, and each animation makes it itself if missing.
// Every animation puts the saved screen pixels back when it ends.
#pragma once
#include <windows.h>

int anim_ScratchCreate();
int anim_ScratchFree();
// Flashes the rectangle `count` times, `delayMs` between frames. The rectangle must
// fit the scratch beside its saved copy (at most 63 pixels wide, 128 high).
int anim_FlashRect(HDC dc, int x1, int y1, int x2, int y2, int delayMs, int count);
// A ring that grows (or with `reverse` shrinks) around (x, y) over `count` frames.
int anim_Ripple(HDC dc, int x, int y, int delayMs, int count, int reverse);
