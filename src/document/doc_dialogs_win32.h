// doc_dialogs_win32.h — the document's Win32 command layer: the dialogs that decide
// what a document operation gets (target, border) and the commands that ask first.
#pragma once
#include <windows.h>

// When a sprite is present asks which image to modify ("Select Target Image");
// otherwise the main image. Returns DOC_TARGET_SPRITE / DOC_TARGET_MAIN, or -1 when
// the dialog was closed without a choice. Reports the choice on the status line.
int SelectTarget(HWND owner);
// "Specify Border Size": the chosen border for "Apply Border", 0 for "Discard
// Border", -1 when closed.
int doc_AskBorder(HWND owner);
// Fit Bounding Rectangle of the sprite and of the image, with their questions.
int doccmd_FitSprite(HWND owner);
int doccmd_FitImage(HWND owner);
