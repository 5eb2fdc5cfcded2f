// loaderror_win32.h — the "Loader Error" dialog that tells the user a file could not
// be loaded: a red "IMAGE NOT LOADED" heading, the reason, a Close button and a blue
// link that opens the plug-in download page in the browser (reading "Connecting..."
// while the shell starts it).
#pragma once
#include <windows.h>

// The page behind the link.
extern const char IMG_PLUGIN_PAGE[];

// Modal over `owner`; returns when the user closes it.
void lerr_ShowDialog(HWND owner, const char* text);
// Makes the dialog answer the seam's IMG_LOADER_ERROR_PROMPT; called once at start-up.
void lerr_RegisterPrompt();
