// autosave.cpp — the auto-save point's layout, the run's ID and the writer's state
// machine (contract in autosave.h).
#include "safety/autosave.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/paths.h"
#include "platform/sysio.h"

struct AsState {
    std::atomic<int> state{AS_IDLE};
    std::atomic<int> hurry{0};
    std::atomic<unsigned long> threadId{0};
    std::atomic<int> lastChunks{0};
    int runId = 0;
};
static AsState g_as;

static const int TIME_OFFSET = 8;

static void put16(uint8_t* p, uint16_t v) {
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}

static uint16_t get16(const uint8_t* p) { return (uint16_t)(p[0] | p[1] << 8); }

void as_PutHeader(uint8_t* header, const AsHeader& h) {
    put16(header, h.width);
    put16(header + 2, h.height);
    std::memset(header + 4, 0, 4);
    const uint16_t t[8] = {h.time.year, h.time.month, h.time.dayOfWeek, h.time.day,
                           h.time.hour, h.time.minute, h.time.second, h.time.milliseconds};
    for (int i = 0; i < 8; i++) put16(header + TIME_OFFSET + 2 * i, t[i]);
}

int as_GetHeader(const uint8_t* bytes, size_t size, AsHeader* h) {
    if (!bytes || size < AS_HEADER_SIZE) return 0;
    h->width = get16(bytes);
    h->height = get16(bytes + 2);
    uint16_t* t[8] = {&h->time.year, &h->time.month, &h->time.dayOfWeek, &h->time.day,
                      &h->time.hour, &h->time.minute, &h->time.second, &h->time.milliseconds};
    for (int i = 0; i < 8; i++) *t[i] = get16(bytes + TIME_OFFSET + 2 * i);
    return h->width >= 1 && h->width <= AS_MAX_SIDE && h->height >= 1 && h->height <= AS_MAX_SIDE;
}

size_t as_PixelBytes(int width, int height) {
    // Both sides are capped at 4096, so the product fits easily.
    if (width < 1 || height < 1 || width > AS_MAX_SIDE || height > AS_MAX_SIDE) return 0;
    return (size_t)width * (size_t)height * 4;
}

// ---- the run's ID ----

int as_NextRandom(uint32_t* state) {
    *state = *state * 214013u + 2531011u;
    return (int)((*state >> 16) & 0x7FFF);
}

int as_PointPath(int id, const char* ext, char* out, size_t cap) {
    char name[32];
    std::snprintf(name, sizeof name, "%d%s", id, ext);
    return path_Join(out, cap, path_AutosaveDir(), name);
}

int as_DrawRunId(uint32_t seed) {
    uint32_t state = seed;
    int id = 0;
    // The generator visits every value within 2^17 draws; past that all IDs are taken.
    for (int draw = 0; draw < (1 << 17); draw++) {
        id = as_NextRandom(&state);
        char path[KV_MAX_PATH];
        if (!as_PointPath(id, ".kvr", path, sizeof path) || !sio_FileReadable(path)) break;
    }
    g_as.runId = id;
    return id;
}

int as_RunId() { return g_as.runId; }

int as_IdText(const char* name, char* out, size_t cap) {
    size_t n = 0;
    while (name && name[n] >= '0' && name[n] <= '9' && n < 9 && n + 1 < cap) n++;
    if (out && cap) {
        if (n) std::memcpy(out, name, n);
        out[n] = 0;
    }
    return n > 0;
}

int as_ItemText(const char* idText, const AsHeader& h, char* out, size_t cap) {
    static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int hour = h.time.hour % 24;
    int hour12 = hour % 12 ? hour % 12 : 12;
    const char* month = kMonths[std::abs((int)h.time.month - 1) % 12];
    int n = std::snprintf(out, cap, "ID: %s\nSize: %i x %i\nTime: %i:%02i %s\nDate: %hu %s, %hu", idText,
                          (int)h.width, (int)h.height, hour12, (int)h.time.minute, hour >= 12 ? "PM" : "AM",
                          h.time.day, month, h.time.year);
    return n > 0 && (size_t)n < cap;
}

// ---- the state machine ----

void as_Reset() {
    g_as.state = AS_IDLE;
    g_as.hurry = 0;
    g_as.threadId = 0;
}

int as_State() { return g_as.state; }

int as_Start(AsLaunch launch, void* arg) {
    switch (g_as.state.load()) {
    case AS_FAILED: return -1;
    case AS_RUNNING: return 0;
    case AS_DONE:
        g_as.state = AS_IDLE;
        g_as.threadId = 0;
        return 1;
    }
    // Cleared here, before the worker exists, so a hurry set by a waiting UI thread
    // is never lost to the worker's start.
    g_as.hurry = 0;
    g_as.state = AS_RUNNING;
    unsigned long id = 0;
    if (!launch || !launch(arg, &id)) {
        g_as.state = AS_FAILED;
        return -1;
    }
    g_as.threadId = id;
    return 0;
}

void as_Finish(int ok) { g_as.state = ok ? AS_DONE : AS_FAILED; }

void as_Abandon() { g_as.state = AS_IDLE; }

void as_SetHurry(int on) { g_as.hurry = on ? 1 : 0; }

int as_Hurry() { return g_as.hurry; }

void as_WaitWorker(void (*yield)()) {
    if (g_as.state != AS_RUNNING) return;
    g_as.hurry = 1;
    while (g_as.state == AS_RUNNING)
        if (yield) yield();
}

int as_WriteChunks(const uint8_t* data, size_t bytes, AsWrite write, void* ctx, void (*yield)()) {
    int chunks = 0;
    for (size_t at = 0; at < bytes; chunks++) {
        uint32_t n = bytes - at < AS_CHUNK ? (uint32_t)(bytes - at) : AS_CHUNK;
        if (write(ctx, data + at, n) != n) {
            g_as.lastChunks = -1;
            return -1;
        }
        at += n;
        if (n == AS_CHUNK && !g_as.hurry && yield) yield();
    }
    g_as.lastChunks = chunks;
    return chunks;
}

int as_LastChunks() { return g_as.lastChunks; }
