// pixcode_test_util.h — compiling a text the way the run command does, for tests.
#pragma once
#include <string>
#include <vector>
#include "pixcode/pix_compile.h"
#include "support/ui_script.h"

struct Compiled {
    PixCell cells[PIX_CELLS];
    PixMachine m;
    PixCompileOut out;
    int ok;
};

inline void CompileText(const std::string& text, Compiled* c, Surface* target = nullptr) {
    c->ok = pix_Compile(text.c_str(), c->cells, &c->m, target, &c->out);
}

// The cells up to the last non-exit one, as {value, kind} pairs.
inline std::vector<std::pair<int, int>> UsedCells(const Compiled& c) {
    int n = PIX_CELLS;
    while (n > 0 && c.cells[n - 1].value == 0 && c.cells[n - 1].kind == 0) n--;
    std::vector<std::pair<int, int>> v;
    for (int i = 0; i < n; i++) v.push_back({c.cells[i].value, c.cells[i].kind});
    return v;
}

inline std::vector<std::string> BoxTexts(const char* title) {
    std::vector<std::string> v;
    for (const UiRecordedBox& b : uiscript_Boxes())
        if (b.title == title) v.push_back(b.text);
    return v;
}
