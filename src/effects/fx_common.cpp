// fx_common.cpp — thread count, slicing and channel means.
#include "effects/fx_common.h"
#include <cstddef>
#include <cstring>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

struct FxState {
    int threads;   // 0 until first asked: then the processor count
};
FxState g_fx = {0};

const int FX_MAX_THREADS = 8;

}  // namespace

void fx_SetThreads(int n) { g_fx.threads = fx_Clamp(n, 1, FX_MAX_THREADS); }

int fx_Threads() {
    if (g_fx.threads == 0) {
        unsigned hw = std::thread::hardware_concurrency();
        g_fx.threads = fx_Clamp(hw ? (int)hw : 1, 1, FX_MAX_THREADS);
    }
    return g_fx.threads;
}

namespace {

// Slices on threads made for one call: for a caller that finds the pool taken.
void SplitOnNewThreads(int count, int parts, FxSliceFn fn, void* ctx) {
    std::thread workers[FX_MAX_THREADS];
    for (int i = 1; i < parts; i++) {
        int from = (int)((int64_t)count * i / parts), to = (int)((int64_t)count * (i + 1) / parts);
        // A thread the system refuses costs only speed: that slice runs here instead.
        try {
            workers[i] = std::thread(fn, ctx, from, to);
        } catch (...) {
            fn(ctx, from, to);
        }
    }
    fn(ctx, 0, (int)((int64_t)count / parts));
    for (int i = 1; i < parts; i++)
        if (workers[i].joinable()) workers[i].join();
}

// Workers kept waiting between calls: starting a thread costs more than a preview's
// slice under some systems (about 1.5 ms each under Wine). Worker i runs slice i of
// each job whose parts reach it. One caller at a time; others use new threads. The
// workers are never joined: they wait until the process ends.
struct Pool {
    std::mutex use;            // held by the caller whose job the workers run
    std::mutex m;
    std::condition_variable start, finished;
    int workers = 0;
    uint64_t job = 0;          // counts jobs; a worker runs each new one once
    FxSliceFn fn = nullptr;
    void* ctx = nullptr;
    int count = 0, parts = 0, pending = 0;
};
Pool* g_pool = new Pool;   // reachable to the end, never destroyed (its threads outlive main)

void Work(int index) {
    Pool& p = *g_pool;
    uint64_t seen = 0;
    for (;;) {
        std::unique_lock<std::mutex> lock(p.m);
        p.start.wait(lock, [&] { return p.job != seen; });
        seen = p.job;
        if (index >= p.parts) continue;
        const int from = (int)((int64_t)p.count * index / p.parts), to = (int)((int64_t)p.count * (index + 1) / p.parts);
        FxSliceFn fn = p.fn;
        void* ctx = p.ctx;
        lock.unlock();
        fn(ctx, from, to);
        lock.lock();
        if (--p.pending == 0) p.finished.notify_one();
    }
}

// Grows the pool to `n` workers; false when the system refuses a thread.
bool HaveWorkers(Pool& p, int n) {
    while (p.workers < n) {
        try {
            std::thread(Work, p.workers + 1).detach();
        } catch (...) {
            return false;
        }
        p.workers++;
    }
    return true;
}

}  // namespace

void fx_SplitRaw(int count, int minPerThread, FxSliceFn fn, void* ctx) {
    if (count <= 0) return;
    int parts = fx_Threads();
    if (minPerThread < 1) minPerThread = 1;
    if (parts > count / minPerThread) parts = count / minPerThread;
    if (parts <= 1) {
        fn(ctx, 0, count);
        return;
    }
    Pool& p = *g_pool;
    std::unique_lock<std::mutex> mine(p.use, std::try_to_lock);
    if (!mine || !HaveWorkers(p, parts - 1)) return SplitOnNewThreads(count, parts, fn, ctx);
    {
        std::lock_guard<std::mutex> lock(p.m);
        p.fn = fn;
        p.ctx = ctx;
        p.count = count;
        p.parts = parts;
        p.pending = parts - 1;
        p.job++;
    }
    p.start.notify_all();
    fn(ctx, 0, (int)((int64_t)count / parts));
    std::unique_lock<std::mutex> lock(p.m);
    p.finished.wait(lock, [&] { return p.pending == 0; });
}

void fx_ChannelSums(const Surface* s, uint64_t sums[4]) {
    sums[0] = sums[1] = sums[2] = sums[3] = 0;
    for (uint32_t y = 0; y < s->height; y++) {
        const uint32_t* row = s->pixels + (size_t)y * s->stride;
        // Row sums in 32 bits (the widest row the size guard lets through is
        // 16,777,216 pixels; times 255 it still fits), added into 64-bit totals.
        uint32_t rb = 0, rg = 0, rr = 0, ra = 0;
        for (uint32_t x = 0; x < s->width; x++) {
            uint32_t p = row[x];
            rb += p & 0xFF;
            rg += (p >> 8) & 0xFF;
            rr += (p >> 16) & 0xFF;
            ra += p >> 24;
        }
        sums[0] += rb;
        sums[1] += rg;
        sums[2] += rr;
        sums[3] += ra;
    }
}

int fx_ChannelMean(const Surface* s, const uint64_t sums[4], int byteIndex) {
    uint64_t count = (uint64_t)s->width * s->height;
    if (!count) return 0;
    uint64_t m = sums[byteIndex & 3] / count;
    return m < 1 ? 1 : (m > 254 ? 254 : (int)m);
}

const uint32_t* fx_SourceRow(const FxRows& r, int y) {
    if (y >= r.from && y < r.to) return r.s->pixels + (size_t)y * r.s->stride;
    const size_t w = r.s->width;
    const int first = r.from - r.reach < 0 ? 0 : r.from - r.reach;
    if (y < r.from) return &r.saved[(size_t)(y - first) * w];
    return &r.saved[(size_t)(r.from - first + (y - r.to)) * w];
}

void fx_SplitInPlaceRaw(Surface* s, int reach, void (*fn)(void* ctx, const FxRows& rows), void* ctx) {
    const int h = (int)s->height;
    if (h <= 0) return;
    int parts = fx_Threads();
    const int rowsPer = fx_RowsPerThread(s);
    if (parts > h / rowsPer) parts = h / rowsPer;
    if (parts < 1) parts = 1;
    std::vector<FxRows> slices((size_t)parts);
    const size_t w = s->width;
    // Every slice's borrowed rows are saved before any slice writes.
    for (int i = 0; i < parts; i++) {
        FxRows& r = slices[i];
        r.s = s;
        r.from = (int)((int64_t)h * i / parts);
        r.to = (int)((int64_t)h * (i + 1) / parts);
        r.reach = reach;
        const int first = r.from - reach < 0 ? 0 : r.from - reach;
        const int last = r.to + reach > h ? h : r.to + reach;
        r.saved.resize((size_t)((r.from - first) + (last - r.to)) * w);
        for (int y = first; y < r.from; y++)
            std::memcpy(&r.saved[(size_t)(y - first) * w], s->pixels + (size_t)y * s->stride, w * 4);
        for (int y = r.to; y < last; y++)
            std::memcpy(&r.saved[(size_t)(r.from - first + (y - r.to)) * w], s->pixels + (size_t)y * s->stride, w * 4);
    }
    struct Ctx {
        std::vector<FxRows>* slices;
        void (*fn)(void*, const FxRows&);
        void* ctx;
    } c = {&slices, fn, ctx};
    fx_Split(parts, 1, [&c](int a, int b) {
        for (int i = a; i < b; i++) c.fn(c.ctx, (*c.slices)[i]);
    });
}
