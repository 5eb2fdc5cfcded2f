// pipeline.h — one input file's way through kvbatch: planning where each result goes,
// then load, the operations in order, and the write; and the answers the batch gives
// when the program's code asks the user something.
//
// Owns: the KV5 options of the run, password included (set once before any file,
// read-only after; each save gets them as its argument) and,
// per thread, the first message box shown since the file began — it becomes the
// file's reason when the file fails (a Pixcode error, a writer's complaint).
// Promises: an input is written over only with --in-place; the save dispatcher replaces
// files safely (own writers and plug-ins alike: formats/dispatch.h). A failing file changes no file.
// bpl_RunFile may run on several threads at once.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "batch/options.h"

struct BatchFile {
    std::string input;    // as named on the command line (a folder's members: folder + name)
    std::string source;   // absolute
    std::string target;   // absolute path of the result
    std::string type;     // the result's type: extension in lower case, no dot
    std::string refusal;  // why the file is refused before any work; "" when it is not
};

// The KV5 options for the run: compression --level, else BPL_DEFAULT_LEVEL;
// protection with `password` ("" for none), no hint; no author tag (a batch result
// should not depend on who ran it or when). The settings record is not used.
const int BPL_DEFAULT_LEVEL = 2;
void bpl_Setup(const BatchOptions& o, const std::string& password);

// Expands input folders (their image files, sorted by name), fixes every path and
// names each result. Refusals of single files (the result would overwrite an input,
// two results would share a name) go into their records; 0 with *error is a usage
// error (nothing to work on, an unusable -o).
int bpl_Plan(const BatchOptions& o, std::vector<BatchFile>* files, std::string* error);

// 1 when the result was written. 0 with a one-line *reason naming the stage (load, the
// operation, the write) and why. *pixels is the loaded image's pixel count.
int bpl_RunFile(const BatchOptions& o, const BatchFile& f, uint64_t* pixels, std::string* reason);

// The seam's answers during a batch (the command line's ui module hands message boxes
// here): a plain message is kept as the file's reason and answered OK; binary PPM is
// chosen; every other question is declined. Prompts are never answered: the KV5
// writer gets the run's password with its options and does not ask.
int bpl_AnswerBox(const char* text, const char* title, unsigned flags);
