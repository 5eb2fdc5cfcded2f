// setup_rules.h — the installer's rules that need no system: the installation folder
// made from what the user typed, the version of an installed program compared with
// this release (1.80), the free-space rule, and the files the installer carries.
//
// Promises: a folder result either fits the caller's buffer whole or the call
// returns 0 with out "". Version numbers come from a file's version resource, so any
// 16-bit major and minor number is handled.
#pragma once
#include <cstddef>
#include <cstdint>

// Characters the folder box takes, and the bytes they may need in UTF-8 (at most 3
// for each UTF-16 unit the box counts), NUL included.
const int SETUP_FOLDER_CHARS = 120;
const int SETUP_FOLDER_BYTES = 3 * SETUP_FOLDER_CHARS + 1;

// The suggested folder: the Windows folder's drive ("C:" when it does not start with
// a drive letter and ":\") followed by "\Program Files".
int setup_DefaultFolder(const char* windowsDir, char* out, size_t cap);
// The installation folder: the typed text (its first 120 characters, whole) without its
// trailing backslashes, followed by "\Orvik Lab\Kelvara\".
int setup_InstallFolder(const char* typed, char* out, size_t cap);

// major + minor as a number, the minor number scaled to a fraction: it is multiplied
// by 0.1 while it is 1 or more (8 and 80 both give 0.8, so 1.8 equals 1.80).
double setup_VersionNumber(unsigned major, unsigned minor);

// What to do about an installed program of a given version.
enum SetupPrevious {
    SETUP_PREV_OLD,      // unreadable or at most 1.4: offer the override that deletes it
    SETUP_PREV_REPLACE,  // up to this release: removed and replaced without a question
    SETUP_PREV_NEWER,    // above 1.8: ask whether to keep it
};
SetupPrevious setup_ClassifyPrevious(int readable, unsigned major, unsigned minor);

// Below this many free bytes on the installation drive nothing is installed.
const uint64_t SETUP_MIN_FREE_BYTES = 2048000;
// 1 when the folder starts with a drive: a letter, ":" and "\".
int setup_HasDrive(const char* folder);
int setup_EnoughSpace(uint64_t freeBytes);

// One file the installer writes, in the order it writes them.
struct SetupPayloadRow {
    int id;               // its "FILEDATA" resource
    const char* target;   // its path under the installation folder
    const char* caption;  // what the progress window shows meanwhile
    int readOnly;         // made read-only once written
};
extern const SetupPayloadRow kSetupPayload[];
extern const int SETUP_PAYLOAD_ROWS;  // the program is row 0
