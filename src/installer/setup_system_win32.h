// setup_system_win32.h — the system calls the installer's steps share: keeping the
// windows responsive during long waits, the version resource of a program file, the
// payload resources, and child programs started and watched by polling.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

// Processes every pending message; with `pause` it then sleeps 100 ms and processes
// again until the queue is empty. A quit request met here is posted again and 0
// returned, else 1.
int PumpMessages(int pause);
// Waits `ms` milliseconds in slices of 100 ms, pumping messages between them.
void setup_Wait(unsigned ms);

// Major, minor, build and revision from the fixed information of a file's version
// resource; 0 when the file has none or cannot be read.
int ReadFileVersion(const char* path, unsigned* major, unsigned* minor, unsigned* build, unsigned* revision);

// A "FILEDATA" resource of this program; null when it is missing.
const uint8_t* setup_Resource(int id, size_t* size);

// Starts `program` with `arguments` appended to its quoted path. 1 when it runs;
// the caller closes the handles with setup_EndWatch.
int setup_StartProgram(const char* program, const char* arguments, PROCESS_INFORMATION* pi);
// 1 while the program has not exited (exit code 259).
int setup_StillRunning(const PROCESS_INFORMATION* pi);
// Ends the program; 1 when the system took the request.
int setup_Terminate(const PROCESS_INFORMATION* pi);
void setup_EndWatch(PROCESS_INFORMATION* pi);
