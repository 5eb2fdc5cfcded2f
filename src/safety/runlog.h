// runlog.h — the runtime log Kelvara.log in the program folder.
//
// Text with CR LF line ends. The first entry written in a run replaces the file with
// a fresh header
//   Orvik's Kelvara 1.80 / Runtime Error Log / Created on: <day> <Mon>, <year> / blank
// so the file always holds the latest run that logged anything. Each entry is one line
//   "HH:MM:SS hrs, mmm ms : <message> : <value1>, <value2>"
// with the values in decimal ("%i") or hexadecimal ("%#08x").
// LogEntry takes the 32-bit values of the callers (signed or unsigned); a wider value
// prints in full instead of being cut. log_EntryAddress logs 64-bit addresses in
// hexadecimal: those below 2^32 exactly like LogEntry, the others in full.
// Only the user-interface thread logs. A log that cannot be opened drops the entry.
#pragma once
#include <cstdint>
#include <string>
#include "platform/sysio.h"

const char LOG_FILE_NAME[] = "Kelvara.log";

// Appends one line; 1 when written, 0 when the file could not be opened or written.
int LogEntry(const char* message, int64_t value1, int64_t value2, int hexadecimal);
int log_EntryAddress(const char* message, uint64_t value1, uint64_t value2);
// Entries written in this run.
int log_EntryCount();
// Starts a new run: the next entry rewrites the file (tests use this between runs).
void log_NewRun();

// The formatting, apart from the file.
std::string log_FormatHeader(const SioTime& t);
std::string log_FormatLine(const SioTime& t, const char* message, int64_t value1, int64_t value2,
                           int hexadecimal);
std::string log_FormatAddressLine(const SioTime& t, const char* message, uint64_t value1,
                                  uint64_t value2);
