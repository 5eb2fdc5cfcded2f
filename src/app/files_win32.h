// files_win32.h — the open/save workflow of the main image: the replace and close
// questions, the file dialogs, the transparency questions, reload, and the
// recent-files list.
//
// The document owns the file name and the unsaved flag; this module asks the user
// and calls the document and the load/save dispatch. Every function reports its own
// failures (the dispatch shows the loader's messages).
#pragma once

// "Do you wish to save the changes you've made?" when there are unsaved changes;
// 1 to go on replacing the image, 0 when the user cancelled.
int files_ConfirmReplace();
// Open: the replace question, the open dialog, then files_OpenPath.
void files_OpenAsk();
// A recent-list slot, a dropped file: the replace question, then files_OpenPath.
void files_OpenGiven(const char* path);
// Loads a file (a shortcut opens its target) into the main image, or into the
// sprite when it has transparency and the user says so; 1 on success.
int files_OpenPath(const char* path);
// F5: the current file into the main image again (no sprite question).
void files_Reload();
int files_Save();
int files_SaveAs();
// The sprite from a file and to a file.
void files_SpriteFromFile();
void files_SpriteToFile();
// Adds an existing file to the top of the recent list.
void files_AddRecent(const char* path);
// The image loaded at start-up from the command line: always the main image.
void files_OpenAtStart(const char* path);
