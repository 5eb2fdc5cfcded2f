// jobs.h — kvbatch's workers: the files shared out over threads, failures named on
// standard error as they happen, and the progress line.
//
// Owns: the interruption flag (set from a signal handler, read by the workers and, as
// the Escape key, by Pixcode runs) and, during a run, the counters and the console
// lines, behind one lock. Files run in parallel, each wholly on one thread; the
// kernels get the cores the files leave over (results never depend on that).
// The progress line ("done of total, Mpix/s, failures") is redrawn in place on a
// terminal and written once at the end otherwise; --quiet leaves it out. Failure
// lines are written in any case.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "batch/pipeline.h"

struct BatchTotals {
    int files;
    int written;
    int failed;
    int notStarted;   // left when the run was interrupted
    uint64_t pixels;
    double seconds;
};

void bjob_Run(const BatchOptions& o, const std::vector<BatchFile>& files, BatchTotals* totals);
// Safe inside a signal handler.
void bjob_Interrupt();
int bjob_Interrupted();
// "kvbatch: 3 of 7 files, 41.5 Mpix/s, 1 failed"
std::string bjob_ProgressText(int done, int total, double mpixPerSecond, int failed);
