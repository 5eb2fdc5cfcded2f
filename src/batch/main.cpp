// main.cpp — kvbatch's entry: reads the command line and the password, plans the
// files, runs them and turns the outcome into the exit status (0 every file written,
// 1 some failed or the run was interrupted, 2 usage error).
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include "batch/jobs.h"
#include "batch/options.h"
#include "batch/pipeline.h"
#include "engine/engine.h"
#include "formats/kv5_protect.h"
#include "platform/dllsearch.h"
#include "platform/paths.h"

namespace {

int UsageError(const std::string& what) {
    std::fprintf(stderr, "kvbatch: %s\n%s\n", what.c_str(), BOPT_USAGE_LINE);
    return 2;
}

// The first line of standard input, without its line end.
int ReadPassword(std::string* password, std::string* error) {
    char line[256];
    if (!std::fgets(line, sizeof line, stdin)) line[0] = 0;
    line[std::strcspn(line, "\r\n")] = 0;
    *password = line;
    if (password->empty()) {
        *error = "--password: no password on the first line of standard input";
        return 0;
    }
    if ((int)password->size() > KV5_PASSWORD_MAX) {
        *error = "--password: a password has at most " + std::to_string(KV5_PASSWORD_MAX) + " characters";
        return 0;
    }
    return 1;
}

void OnInterrupt(int) { bjob_Interrupt(); }

}  // namespace

int main(int argc, char** argv) {
    dll_LimitSearch();
    path_Init();   // the plug-in folder lies beside the program
    eng_Init();
    BatchOptions o;
    std::string error, password;
    if (!bopt_Parse(argc, argv, &o, &error)) return UsageError(error);
    if (o.help) {
        std::fputs(bopt_HelpText().c_str(), stdout);
        return 0;
    }
    if (o.password && !ReadPassword(&password, &error)) return UsageError(error);
    bpl_Setup(o, password);
    std::vector<BatchFile> files;
    if (!bpl_Plan(o, &files, &error)) return UsageError(error);

    std::signal(SIGINT, OnInterrupt);
    BatchTotals totals;
    bjob_Run(o, files, &totals);
    return totals.failed || totals.notStarted ? 1 : 0;
}
