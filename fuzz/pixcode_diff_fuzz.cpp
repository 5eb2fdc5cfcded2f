// The fast paths judged by the plain one. The input is read as a program written in
// the language's own words (every command, variables, numerals at the ends of int and
// around the colour range, labels jumped to forward and back, now and then a fault)
// and an image, narrow or with rows of a whole lane segment and a part of one. Both
// paths run it, the fast one on either build of the lane loops; the result, the stop,
// the error boxes and every pixel must agree. With the jump budget off, jumps only go
// forward (or Escape, held down, ends the loops): a cancelled run must have done a
// prefix of the other's pixels and left the rest as they were.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "engine/engine.h"
#include "fuzz_input.h"
#include "pixcode/pix_compile.h"
#include "pixcode/pix_lanes.h"
#include "pixcode/pix_program.h"
#include "pixcode/pix_run.h"
#include "support/ui_script.h"

namespace {
const int LABELS = 8;
const int END_LABEL = LABELS - 1;   // forward-only programs jump to it alone

struct Outcome {
    int ok, stop;
    std::vector<UiRecordedBox> boxes;
    std::vector<uint32_t> pixels;
};

std::string Numeral(FuzzInput& in) {
    static const int32_t pool[] = {0, 1, -1, 2, 31, 32, 33, 255, 256, -256, 999, 1000, 1001,
                                   65536, INT_MAX, INT_MIN, INT_MIN + 1};
    uint8_t b = in.Byte();
    int32_t v = b < 200 ? pool[b % (sizeof pool / sizeof pool[0])] : (int32_t)in.Word();
    return "#" + std::to_string(v);
}

std::string Operand(FuzzInput& in, char role, bool forwardOnly) {
    uint8_t b = in.Byte();
    if (role == 'N') {
        if (b == 255) return pix_VariableWord(0);   // a label that is not a numeral
        if (b == 254) return "#300";                 // beyond the label table
        return "#" + std::to_string(forwardOnly ? END_LABEL : b % LABELS);
    }
    if (role == 'D' && b == 255) return Numeral(in);   // a destination that is not a variable
    if (role == 'S' && b % 3 == 0) return Numeral(in);
    // Sources lean to the pixel's own variables, so that lanes part ways.
    return pix_VariableWord(role == 'S' && b % 3 == 1 ? b % (PIX_Y + 1) : b % PIX_VARIABLES);
}

std::string Program(FuzzInput& in, bool forwardOnly) {
    std::string text;
    for (int i = 0, n = in.Byte() % 40; i < n; i++) {
        uint8_t b = in.Byte();
        // Mostly the commands that mean something; now and then one that does not.
        int cmd = b < 240 ? b % PIX_FUNCTION : b % PIX_COMMANDS;
        if (forwardOnly && cmd == PIX_LABEL) continue;
        std::string line = pix_CommandWord(cmd);
        const char* roles = pix_OperandRoles(cmd);
        for (int k = 0; roles && roles[k]; k++)
            line += (k ? "," : " ") + Operand(in, roles[k], forwardOnly);
        if (cmd == PIX_LABEL) line = "label #" + std::to_string(in.Byte() % LABELS);
        if (text.size() + line.size() + 16 > PIX_TEXT_MAX) break;
        text += line + "\n";
    }
    if (forwardOnly) text += "label #" + std::to_string(END_LABEL) + "\n";
    return text;
}

Outcome Run(const PixCell* cells, const PixMachine* compiled, const std::vector<uint32_t>& image,
            uint32_t w, uint32_t h, uint32_t budget, int reference, int threads, int escape,
            const char* loops) {
    Surface s{};
    srf_Create(w, h, &s);
    uint32_t* p = srf_Lock(&s);
    std::memcpy(p, image.data(), image.size() * 4);
    PixMachine m = *compiled;
    m.jumpBudget = budget;
    uiscript_Reset();
    uiscript_SetEscape(escape);
    eng_ForceReference(reference);
    pix_SetThreads(threads);
    pix_LanesPin(loops);
    Outcome o{pix_RunPixels(&s, cells, &m), m.stop, uiscript_Boxes(), std::vector<uint32_t>(p, p + w * h)};
    uiscript_SetEscape(0);
    eng_ForceReference(0);
    pix_SetThreads(0);
    pix_LanesPin(nullptr);
    srf_Unlock(&s);
    srf_Destroy(&s);
    return o;
}

// From the first pixel where the two differ, one of them is still the image it began as.
bool PrefixOfTheOther(const Outcome& a, const Outcome& b, const std::vector<uint32_t>& image) {
    size_t i = 0;
    while (i < image.size() && a.pixels[i] == b.pixels[i]) i++;
    return std::equal(a.pixels.begin() + i, a.pixels.end(), image.begin() + i) ||
           std::equal(b.pixels.begin() + i, b.pixels.end(), image.begin() + i);
}

bool SameBoxes(const Outcome& a, const Outcome& b) {
    if (a.boxes.size() != b.boxes.size()) return false;
    for (size_t i = 0; i < a.boxes.size(); i++)
        if (a.boxes[i].title != b.boxes[i].title || a.boxes[i].text != b.boxes[i].text) return false;
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    const uint8_t mode = in.Byte();
    // Rare: a cancelled loop runs a whole segment's jumps on every lane first.
    const bool escape = (mode & 15) == 15 && (mode & 128);
    const bool forwardOnly = !escape && (mode & 1);
    const uint32_t budget = escape || forwardOnly ? 0 : 1 + in.Byte() % 16;
    const int threads = mode & 16 ? 2 : 1;
    const char* loops = mode & 32 ? "base" : nullptr;   // else the best this machine runs
    // Wide: a whole lane segment and a part of one, in one or two rows.
    const bool wide = mode & 64;
    const uint32_t w = wide ? PIX_LANES + 1 + in.Byte() % 64 : 1 + in.Byte() % 140;
    const uint32_t h = 1 + in.Byte() % (wide ? 2 : 4);
    uint32_t seed = in.Word();
    std::vector<uint32_t> image(w * h);
    for (uint32_t& px : image) {
        seed = seed * 1103515245u + 12345u;
        px = (seed >> 7) % 11 == 0 ? 0xFFFFFFFFu * (seed >> 20 & 1) : seed ^ seed << 13;
    }
    const std::string text = Program(in, forwardOnly);

    static PixCell cells[PIX_CELLS];
    PixMachine m;
    PixCompileOut out;
    uiscript_Reset();
    if (!pix_Compile(text.c_str(), cells, &m, nullptr, &out)) return 0;
    const Outcome plain = Run(cells, &m, image, w, h, budget, 1, 1, escape, nullptr);
    const Outcome fast = Run(cells, &m, image, w, h, budget, 0, threads, escape, loops);
    if (plain.stop == PIX_STOP_ESCAPE || fast.stop == PIX_STOP_ESCAPE) {
        const Outcome& cancelled = plain.stop == PIX_STOP_ESCAPE ? plain : fast;
        if (!escape || cancelled.ok || !cancelled.boxes.empty() || !PrefixOfTheOther(plain, fast, image))
            std::abort();
    } else if (plain.ok != fast.ok || plain.stop != fast.stop || !SameBoxes(plain, fast) ||
               plain.pixels != fast.pixels) {
        std::abort();
    }
    uiscript_Reset();
    return 0;
}
