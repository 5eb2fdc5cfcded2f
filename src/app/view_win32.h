// view_win32.h — the image view ("kelvara_wnd_view"): showing the composite, zoom,
// scrolling, rulers, the drop shadow and the mouse strokes.
//
// Owns: the zoom factor, the scroll positions, the zoom buffer and the stroke state.
// The composite itself is the compose module's (compose.h). Everything runs on the
// user-interface thread.
#pragma once
#include <windows.h>

const char VIEW_CLASS[] = "kelvara_wnd_view";
// Answered with the zoom factor, for programs that drive or read the window from
// outside (accessibility tools, the end-to-end tests): 1..64, or below 1 its
// reciprocal negated (-2 for 1/2 ... -16 for 1/16), as viewgeom.h counts it.
const UINT WM_VIEW_GETZOOM = WM_APP + 22;
// Answered with the scroll positions, MAKELRESULT(sx, sy) as signed 16-bit values,
// so that such programs can find image pixels on the screen.
const UINT WM_VIEW_GETSCROLL = WM_APP + 23;

LRESULT CALLBACK ViewProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);

void ViewUpdateScrollBars(int centre);
// 1 in, 2 out, 0 reset to 1.
void ViewZoom(int direction);
// The largest zoom at which the whole image fits the view, the image centred.
void view_FitInWindow();
int view_ZoomFactor();
void view_SetZoomFactor(int zoom);
void view_ScrollBy(int bar, int code);  // SB_* codes, as from the keyboard
void view_ScrollToEnd(int end);        // 0 both bars to the start, 1 to the end
// Scrolls, where the image rectangle (inclusive, image pixels) is not wholly in
// sight, so that its top-left corner comes to the view's top-left margin.
void view_ShowImageRect(int x1, int y1, int x2, int y2);
// Frees the zoom buffer (shutdown).
void view_Shutdown();
// Repaint of the whole view: the composite is composed again where shown and every
// pixel drawn.
void view_FullRepaint();
