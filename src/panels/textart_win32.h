// textart_win32.h — the Text-Art editor: the modeless window (dialog 191) in which the
// text of the Text-Art tool is typed and its font, size, style, border, level and
// edge softening are chosen, and the symbol dialog (281) it opens.
//
// Owns: the one editor window (at most one exists) and the font size typed in it this
// session. Every change goes straight into the Text-Art text and, through its
// setters, the settings record and is rendered into the sprite at once; the view is told to repaint. The window
// renders again on the command IDC_TA_RERENDER (65535), which is sent to it when the
// drawing colours change. The fonts it makes for drawing are released on every path.
// The message loop should hand it its keyboard messages while textart_Window() is
// non-null; closing destroys it.
#pragma once
#include <windows.h>

// Opens the editor over `mainWindow` (may be null), or brings the open one forward and
// renders again. Tells the user when there is no selection to write into, then
// renders. Returns the window, or null when it could not be made.
HWND textart_Open(HWND mainWindow);
// The open editor, or null.
HWND textart_Window();
// Renders the text into the sprite Surface with the editor's font and settings and
// asks the view to repaint; 1 when the kernel drew.
int textart_Render();
// The symbol dialog over `owner`, its entries drawn in `face`: the chosen character
// (128..255), or 0 when cancelled.
int textart_ChooseSymbol(HWND owner, const char* face);
