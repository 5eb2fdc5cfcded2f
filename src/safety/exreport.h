// exreport.h — turns a caught processor exception into two log lines, an alarm and
// two message boxes, after which the program carries on.
//
// Owns: the caught-exception record, a copy of the system's record made by the
// exception guard (exguard.h) when it catches something; ReportException reads it.
// Log: "An error occurred at" with the exception address, then the description with
// its value (the inaccessible address for access violations, the code itself for an
// unknown exception, else 0), both hexadecimal.
// Boxes (exclamation, task-modal, foreground, top-most): "Fatal Error" when the
// exception is marked non-continuable (flag bit 0), else "Non-Fatal Error"; then the
// description under "Error Description".
#pragma once
#include <cstdint>

struct CaughtException {
    uint32_t code;
    uint32_t flags;            // bit 0: non-continuable
    uint64_t address;          // where it happened
    uint32_t parameterCount;   // information words in use
    uint64_t information[15];  // for access violations: [0] 0 read / non-0 write, [1] address
};

const uint32_t EXR_NONCONTINUABLE = 1;

void exr_SetCaught(const CaughtException& e);
const CaughtException& exr_Caught();
// The description text and the value logged with it.
const char* exr_Describe(const CaughtException& e, uint64_t* value);
// Logs, sounds and shows the caught exception. Returns 1.
int ReportException();
