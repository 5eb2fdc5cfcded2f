// options.h — the command line of kvbatch: what it asks for, read and checked before
// any file is touched, and the help text.
//
// Parsing is pure apart from the files operations name (oplist.h). Every refusal is a
// usage error: one line saying what is wrong, for the caller to print with the usage
// line and exit status 2. The password is never taken from the command line;
// `password` only says that one is to be read from standard input.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "batch/oplist.h"

extern const char BOPT_USAGE_LINE[];

// Output formats the in-house writers make, lower case without the dot.
const char* const* bopt_OwnFormats();
// 1 when ext (without dot, any case) is one of them.
int bopt_IsOwnFormat(const std::string& ext);
// 1 when this build writes ext (without dot, any case): its own formats, and those of
// the filter plug-ins (natively PNG and JPEG through the system's libraries).
int bopt_Writes(const std::string& ext);

struct BatchOptions {
    std::vector<BatchOp> ops;
    std::vector<std::string> inputs;
    std::string output;      // -o; "" when absent
    std::string format;      // --format, lower case; "" = each input's own type
    int level = -1;          // --level 0..3, -1 when absent
    int password = 0;        // --password given
    int jobs = 0;            // --jobs, 0 = the number of cores
    int quiet = 0;
    int inPlace = 0;
    int alphaAsStored = 0;   // --alpha-as-stored: no guess at the inputs' alpha convention
    int help = 0;            // --help: nothing else is checked
    uint32_t colour1 = 0xFFFFFF;   // COLORREFs, the program's default drawing colours
    uint32_t colour2 = 0xFF0000;
};

// argv[0] is the program; 1 when the line is sound, 0 with *error.
int bopt_Parse(int argc, const char* const* argv, BatchOptions* out, std::string* error);
std::string bopt_HelpText();
