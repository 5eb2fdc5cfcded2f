// autosave.h — the auto-save point: its file layout, the run's ID, the writer's state
// machine and the chunked write of a snapshot. The Win32 side (autosave_win32.h) takes
// the snapshot, runs the worker thread and the restore dialog on top of this.
//
// Owns: g_as, the writer state shared by the UI thread and the worker: the state word,
// the hurry byte, the worker's thread id, the run's ID and the chunk count of the last
// write. State and hurry are atomics: one side writes, the other polls.
// Promises: the header reader refuses short input and sizes outside 1..4096 (the file
// is outside data); the ID drawing never loops forever; a failed writer stays failed
// for the rest of the run.
//
// A point is <autosave folder>\<ID>.kvr, written as <ID>.tmp first. Little-endian, no
// magic, no gaps:
//
//   offset  size         field
//   0       2            image width in pixels
//   2       2            image height in pixels
//   4       4            reserved: written 0, ignored on reading
//   8       16           local time of the snapshot, eight u16: year, month, day of
//                        week, day, hour, minute, second, milliseconds
//   24      65536        thumbnail, 128 x 128 pixels, rows top-down, bytes B G R A
//   65560   w * h * 4    the image, rows top-down, w * 4 bytes each, bytes B G R A
#pragma once
#include <cstddef>
#include <cstdint>

const size_t AS_HEADER_SIZE = 65560;
const size_t AS_THUMB_OFFSET = 24;
const int AS_THUMB_SIDE = 128;
const uint32_t AS_CHUNK = 1048576;   // bytes written between two yields
const int AS_MAX_SIDE = 4096;        // the largest image the program edits
const int AS_LIST_MAX = 256;         // points the restore list shows

// Writer states.
const int AS_IDLE = 0, AS_RUNNING = 1, AS_DONE = 2, AS_FAILED = 9;

struct AsTime {
    uint16_t year, month, dayOfWeek, day, hour, minute, second, milliseconds;
};

struct AsHeader {
    uint16_t width, height;
    AsTime time;
};

// Width, height and time into header bytes 0..23 (the thumbnail is left alone).
void as_PutHeader(uint8_t* header, const AsHeader& h);
// Reads bytes 0..23 of `size` bytes; 0 when fewer than AS_HEADER_SIZE bytes are given or
// a side is 0 or above AS_MAX_SIDE.
int as_GetHeader(const uint8_t* bytes, size_t size, AsHeader* h);
// Bytes of the pixel block of a w x h point.
size_t as_PixelBytes(int width, int height);

// The generator of the run's ID: state = state * 214013 + 2531011 (mod 2^32), yielding
// (state >> 16) & 0x7FFF.
int as_NextRandom(uint32_t* state);
// Draws IDs from `seed` until one has no <ID>.kvr in the auto-save folder and keeps it
// as the run's ID, which it returns. Should every ID be taken, the last one drawn is kept.
int as_DrawRunId(uint32_t seed);
int as_RunId();
// <autosave folder>\<id><ext> (ext ".kvr" or ".tmp"); 0 when it does not fit.
int as_PointPath(int id, const char* ext, char* out, size_t cap);
// The leading decimal digits of a file name (at most 9) into `out`; 0 when there are none.
int as_IdText(const char* name, char* out, size_t cap);
// The text of one restore-list item: ID, size, 12-hour time, date.
int as_ItemText(const char* idText, const AsHeader& h, char* out, size_t cap);

// ---- the writer's state machine ----

// Takes the snapshot and starts the worker; stores the worker's thread id. 0 when the
// snapshot or the thread could not be made (nothing left running).
typedef int (*AsLaunch)(void* arg, unsigned long* threadId);

// Back to idle with no worker (start of a run).
void as_Reset();
int as_State();
// The poll/start step: failed -> -1; running -> 0; done -> idle, 1; idle -> running and
// `launch`, 0 (-1 and failed when launch fails).
int as_Start(AsLaunch launch, void* arg);
// The worker's last word: done when ok, else failed.
void as_Finish(int ok);
// A worker that ended before taking its snapshot: back to idle, as if never started.
void as_Abandon();
void as_SetHurry(int on);
int as_Hurry();
// The UI thread's wait for a running worker: hurry set, `yield` between polls.
void as_WaitWorker(void (*yield)());

// Writes `bytes` from `data` in chunks of at most AS_CHUNK through `write` (which
// returns the bytes it wrote); after each full chunk `yield` runs unless hurry is set.
// Returns the chunks written, or -1 after a short write.
typedef uint32_t (*AsWrite)(void* ctx, const void* data, uint32_t bytes);
int as_WriteChunks(const uint8_t* data, size_t bytes, AsWrite write, void* ctx, void (*yield)());
// Chunks the last as_WriteChunks wrote (-1 after a short write).
int as_LastChunks();
