// jobs.cpp — the workers, failure lines and progress line of kvbatch (jobs.h).
#include "batch/jobs.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include "batch/host.h"
#include "effects/fx_common.h"
#include "pixcode/pix_run.h"

namespace {

typedef std::chrono::steady_clock Clock;
std::atomic<int> g_interrupted(0);
static_assert(std::atomic<int>::is_always_lock_free, "the flag is set from a signal handler");

struct Run {
    const BatchOptions* o;
    const std::vector<BatchFile>* files;
    std::atomic<size_t> next;
    std::mutex lock;   // the counters below and the console
    BatchTotals totals;
    Clock::time_point start, lastDrawn;
    int live;          // the progress line is redrawn in place
    size_t shown;      // characters of the progress line on screen
};

double Elapsed(const Run& r) { return std::chrono::duration<double>(Clock::now() - r.start).count(); }

void ClearLine(Run* r) {
    if (!r->shown) return;
    std::fprintf(stderr, "\r%*s\r", (int)r->shown, "");
    r->shown = 0;
}

void DrawProgress(Run* r) {
    const double s = Elapsed(*r);
    const BatchTotals& t = r->totals;
    const std::string text =
        bjob_ProgressText(t.written + t.failed, t.files, s > 0 ? (double)t.pixels / 1e6 / s : 0.0, t.failed);
    std::fprintf(stderr, "%s%s", r->live ? "\r" : "", text.c_str());
    if (text.size() < r->shown) std::fprintf(stderr, "%*s", (int)(r->shown - text.size()), "");
    r->shown = text.size();
    std::fflush(stderr);
    r->lastDrawn = Clock::now();
}

void Finished(Run* r, const BatchFile& f, int ok, uint64_t pixels, const std::string& reason) {
    std::lock_guard<std::mutex> hold(r->lock);
    r->totals.pixels += pixels;
    if (ok) {
        r->totals.written++;
    } else {
        r->totals.failed++;
        ClearLine(r);
        std::fprintf(stderr, "kvbatch: %s: %s\n", f.input.c_str(), reason.c_str());
    }
    if (r->live && (!ok || Clock::now() - r->lastDrawn > std::chrono::milliseconds(100))) DrawProgress(r);
}

void Worker(Run* r) {
    bh_ThreadBegin();
    for (;;) {
        const size_t i = r->next.fetch_add(1);
        if (i >= r->files->size() || g_interrupted.load()) break;
        const BatchFile& f = (*r->files)[i];
        uint64_t pixels;
        std::string reason;
        const int ok = bpl_RunFile(*r->o, f, &pixels, &reason);
        // A file whose Pixcode run was stopped by the interruption did not fail by itself.
        Finished(r, f, ok, pixels, ok || !g_interrupted.load() ? reason : reason + " (interrupted)");
    }
    bh_ThreadEnd();
}

}  // namespace

void bjob_Interrupt() { g_interrupted.store(1); }
int bjob_Interrupted() { return g_interrupted.load(); }

std::string bjob_ProgressText(int done, int total, double mpixPerSecond, int failed) {
    char text[128];
    std::snprintf(text, sizeof text, "kvbatch: %d of %d files, %.1f Mpix/s, %d failed", done, total, mpixPerSecond,
                  failed);
    return text;
}

void bjob_Run(const BatchOptions& o, const std::vector<BatchFile>& files, BatchTotals* totals) {
    Run r;
    r.o = &o;
    r.files = &files;
    r.next = 0;
    r.totals = BatchTotals{(int)files.size(), 0, 0, 0, 0, 0.0};
    r.start = r.lastDrawn = Clock::now();
    r.live = !o.quiet && bh_StderrIsTerminal();
    r.shown = 0;

    const unsigned hw = std::thread::hardware_concurrency();
    const int cores = hw ? (int)hw : 1;
    int workers = o.jobs > 0 ? o.jobs : cores;
    if (workers > (int)files.size()) workers = (int)files.size();
    if (workers < 1) workers = 1;
    // Files in parallel first; the cores they leave go to each file's kernels.
    const int inner = cores / workers > 1 ? cores / workers : 1;
    fx_SetThreads(inner);
    pix_SetThreads(inner);

    if (r.live) DrawProgress(&r);
    std::vector<std::thread> pool;
    for (int i = 1; i < workers; i++) {
        try {
            pool.emplace_back(Worker, &r);
        } catch (...) {   // no thread to spare: fewer workers do the same files
            break;
        }
    }
    Worker(&r);
    for (std::thread& t : pool) t.join();

    r.totals.seconds = Elapsed(r);
    r.totals.notStarted = r.totals.files - r.totals.written - r.totals.failed;
    if (!o.quiet) {
        if (r.live) ClearLine(&r);
        DrawProgress(&r);
        if (r.totals.notStarted) std::fprintf(stderr, ", %d not started (interrupted)", r.totals.notStarted);
        std::fprintf(stderr, "\n");
    }
    *totals = r.totals;
}
