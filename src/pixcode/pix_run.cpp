// pix_run.cpp — the run command and the pixel pass on its three paths.
#include "pixcode/pix_run.h"
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>
#include "engine/engine.h"
#include "pixcode/pix_compile.h"
#include "pixcode/pix_fast.h"
#include "pixcode/pix_lanes.h"
#include "pixcode/pix_program.h"
#include "platform/ui.h"

const char* const PIX_EDITOR_PROMPT = "pixcode_editor";

namespace {
struct RunState {
    int threads;
};
RunState g_run;

// Below this many pixels a second thread costs more than it saves.
const uint64_t PARALLEL_MIN_PIXELS = 16384;
const uint32_t CHUNK_PIXELS = 8192;

void Progress(uint32_t y, uint32_t height) {
    char text[64];
    std::snprintf(text, sizeof text, "Executing Macro - %i%%", (int)((uint64_t)y * 100 / height));
    ui_SetStatus(text);
}

int ReferenceRows(Surface* s, const PixCell* cells, PixMachine* m) {
    for (uint32_t y = 0; y < s->height; y++) {
        Progress(y, s->height);
        uint32_t* row = s->pixels + (size_t)y * s->stride;
        for (uint32_t x = 0; x < s->width; x++) {
            pix_StartPixel(m->vars, row[x], (int32_t)x, (int32_t)y);
            if (!pix_Execute(cells, PIX_CELLS, m)) return 0;
            row[x] = pix_PackChannels(m->vars);
        }
    }
    return 1;
}

int FinishFailedRow(PixFastCtl* ctl, PixMachine* m) {
    m->stop = ctl->reason;
    if (ctl->reason == PIX_STOP_ERROR) pix_ReportError(ctl->error, ctl->command);
    return 0;
}

// One row on the lanes when the program allows them, else pixel by pixel.
int Row(const PixFast* f, PixLanes* lanes, int32_t* regs, Surface* s, uint32_t y, PixFastCtl* ctl) {
    return lanes ? pix_LanesRow(lanes, regs, s, (int)y, 0, (int)s->width, ctl)
                 : pix_FastRow(f, regs, s, (int)y, 0, (int)s->width, ctl);
}

int FastRows(Surface* s, const PixFast* f, PixMachine* m) {
    std::atomic<int> stop(0);
    PixFastCtl ctl{};
    ctl.m = m;
    ctl.stop = &stop;
    ctl.jumpBudget = m->jumpBudget;
    ctl.countdown = PIX_ESCAPE_EVERY;
    int32_t regs[PIX_REGISTERS];
    std::memcpy(regs, f->regs, sizeof regs);
    PixLanes* lanes = pix_LanesCreate(f);
    int ok = 1;
    for (uint32_t y = 0; ok && y < s->height; y++) {
        Progress(y, s->height);
        if (!Row(f, lanes, regs, s, y, &ctl)) ok = FinishFailedRow(&ctl, m);
    }
    pix_LanesDestroy(lanes);
    return ok;
}

// Rows in chunks handed out in order; every thread runs whole chunks.
struct Parallel {
    const PixFast* f;
    Surface* s;
    uint32_t chunkRows, chunks;
    std::atomic<uint32_t> nextChunk;
    std::atomic<int> stop;
    std::atomic<int> workersLeft;
    std::atomic<uint8_t>* done;
    uint32_t reported;   // chunks whose progress the main thread has shown
};

// Progress of the rows finished so far, in order, from the main thread only.
void ReportDone(Parallel* p) {
    for (; p->reported < p->chunks && p->done[p->reported].load(std::memory_order_acquire); p->reported++)
        for (uint32_t y = p->reported * p->chunkRows; y < (p->reported + 1) * p->chunkRows && y < p->s->height; y++)
            Progress(y, p->s->height);
}

void RunChunks(Parallel* p, PixMachine* m) {
    PixFastCtl ctl{};
    ctl.m = m;
    ctl.stop = &p->stop;
    ctl.countdown = PIX_ESCAPE_EVERY;
    int32_t regs[PIX_REGISTERS];
    std::memcpy(regs, p->f->regs, sizeof regs);
    PixLanes* lanes = pix_LanesCreate(p->f);
    for (;;) {
        uint32_t c = p->nextChunk.fetch_add(1);
        if (c >= p->chunks || p->stop.load()) break;
        uint32_t y1 = (c + 1) * p->chunkRows;
        if (y1 > p->s->height) y1 = p->s->height;
        uint32_t y = c * p->chunkRows;
        while (y < y1 && Row(p->f, lanes, regs, p->s, y, &ctl)) y++;
        if (y < y1) break;
        p->done[c].store(1, std::memory_order_release);
        if (m) ReportDone(p);
    }
    pix_LanesDestroy(lanes);
}

void Worker(Parallel* p) {
    RunChunks(p, nullptr);
    p->workersLeft.fetch_sub(1);
}

int ParallelRows(Surface* s, const PixFast* f, PixMachine* m, int threads) {
    Parallel p;
    p.f = f;
    p.s = s;
    p.chunkRows = (CHUNK_PIXELS + s->width - 1) / s->width;
    p.chunks = (s->height + p.chunkRows - 1) / p.chunkRows;
    p.nextChunk = 0;
    p.stop = 0;
    p.workersLeft = 0;
    p.reported = 0;
    p.done = new (std::nothrow) std::atomic<uint8_t>[p.chunks];
    if (!p.done) return FastRows(s, f, m);
    for (uint32_t c = 0; c < p.chunks; c++) p.done[c] = 0;
    std::thread pool[3];
    int started = 0;
    for (int i = 0; i < threads - 1 && i < 3; i++) {
        p.workersLeft.fetch_add(1);
        try {
            pool[i] = std::thread(Worker, &p);
            started++;
        } catch (...) {   // no thread to spare: fewer hands do the same rows
            p.workersLeft.fetch_sub(1);
            break;
        }
    }
    RunChunks(&p, m);
    // The others may still be inside a long pixel; keep watching Escape for them.
    while (p.workersLeft.load() > 0) {
        if (!p.stop.load() && pix_PollEscape(m)) p.stop.store(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (int i = 0; i < started; i++) pool[i].join();
    ReportDone(&p);
    int ok = p.reported == p.chunks;   // a late Escape after the last row changes nothing
    if (!ok) m->stop = PIX_STOP_ESCAPE;
    delete[] p.done;
    return ok;
}

int ThreadCount() {
    if (g_run.threads > 0) return g_run.threads;
    unsigned hw = std::thread::hardware_concurrency();
    return hw == 0 ? 1 : (hw > 4 ? 4 : (int)hw);
}

int RunRows(Surface* s, const PixCell* cells, PixMachine* m) {
    PixFast* f = nullptr;
    if (!eng_ReferenceForced()) {
        f = (PixFast*)std::malloc(sizeof(PixFast));
        if (f && !pix_Decode(cells, PIX_CELLS, m, f)) {
            std::free(f);
            f = nullptr;
        }
    }
    int ok;
    if (!f) {
        ok = ReferenceRows(s, cells, m);
    } else {
        int threads = ThreadCount();
        if (threads > 1 && !f->readsPixels && !f->canFail && !m->jumpBudget &&
            (uint64_t)s->width * s->height >= PARALLEL_MIN_PIXELS)
            ok = ParallelRows(s, f, m, threads);
        else
            ok = FastRows(s, f, m);
        std::free(f);
    }
    return ok;
}
}  // namespace

void pix_SetThreads(int threads) { g_run.threads = threads < 0 ? 0 : threads; }

int pix_RunPixels(Surface* target, const PixCell* cells, PixMachine* m) {
    ui_SetStatus(" Running macro program - Press Escape to cancel");
    ui_WaitCursor(1);
    int ok = 0;
    m->stop = PIX_STOP_NONE;
    if (target && srf_Lock(target)) {
        m->target = target;
        pix_ArmEscape(m);
        ok = RunRows(target, cells, m);
        srf_Unlock(target);
    }
    ui_WaitCursor(0);
    ui_SetStatus(ok ? " Macro program execution complete" : " Macro program execution failed!!");
    return ok;
}

int pix_Run(Surface* target) {
    PixCell cells[PIX_CELLS];
    PixMachine m;
    char bad[PIX_WORD_MAX + 1] = "";
    const char* select = nullptr;
    for (;;) {
        UiPrompt editor{};
        editor.name = PIX_EDITOR_PROMPT;
        editor.inText = select;
        if (!ui_Prompt(&editor) || editor.result != 1) return 0;
        PixCompileOut out;
        if (pix_Compile(pix_ProgramText(), cells, &m, target, &out)) break;
        // The last word refused during this run stays the one to show.
        if (out.badToken[0]) std::memcpy(bad, out.badToken, sizeof bad);
        select = bad[0] ? bad : nullptr;
    }
    return pix_RunPixels(target, cells, &m);
}
