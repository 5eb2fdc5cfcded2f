// registry_win32.h — the program's registry entries, all string values under the
// classes root:
//   <ext>                        default = "Kelvara<ext>"; a previous owner's class
//                                name is kept in "_old" until unassociated
//   Kelvara<ext>                 default = description
//   Kelvara<ext>\shell\open\command   "<program>" "%1"
//   Kelvara<ext>\shell\print\command  "<program>" "%1" /print /nogui
//   Kelvara<ext>\DefaultIcon     "<program> ,-<icon>"
//   .kvr                         default = "Kelvara.kvr", NoOpen = " ", PerceivedType = "system"
//   Kelvara.kvr                  default = "Data File"; \DefaultIcon "<program> ,-<icon>"
//   Kelvara.AppPath              default = the program's full path (read by the installer)
// <program> is the running executable (path_ProgramFile). A key that cannot be
// opened is skipped; the association calls still do every other entry.
#pragma once
#include <windows.h>

// Creates or opens `key` and writes `text` to `valueName` (null or "" = the default
// value) only when the current value differs. 1 when it wrote; 0 when the value was
// already equal or the key could not be opened or written.
int SetRegistryString(HKEY root, const char* key, const char* valueName, const char* text);
// Deletes `key` with all its subkeys, depth first. 1 when the key is gone afterwards.
int DeleteRegistryTree(HKEY root, const char* key);

// `ext` with its dot, any case (stored lower-cased). 1 when every entry was written.
int AssociateExtension(const char* ext, const char* description, int iconNumber);
// Removes the class key and gives the extension back to its previous owner ("_old").
int UnassociateExtension(const char* ext);
int RegisterSettingsFileType(int iconNumber);
int UnregisterSettingsFileType();
int SetProgramPathKey(const char* path);
int DeleteProgramPathKey();
// The program path an installation recorded (out "" and 0 when there is none).
int ReadProgramPathKey(char* out, size_t cap);
