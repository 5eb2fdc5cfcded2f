// Generated programs over random images: the pre-decoded path, on each build of the
// lane loops, and the threaded path must agree with the plain cell-walking path on pixels, errors, stops and status
// texts; golden hashes pin what the plain path gives.
#include <gtest/gtest.h>
#include <climits>
#include <random>
#include <string>
#include <vector>
#include "engine/engine.h"
#include "pixcode/pix_lanes.h"
#include "pixcode/pix_program.h"
#include "pixcode/pix_run.h"
#include "pixcode/pix_vocab.h"
#include "pixcode_test_util.h"
#include "support/test_surface.h"

namespace {
const char* const kVars[16] = {"blue", "green", "red", "alpha", "_x", "_y", "_a", "_b",
                               "_c", "_d", "_e", "_f", "_g", "_h", "_i", "_j"};
enum { WORD, VAR, NUM };
enum { EXIT = 0, SUB = 2, MUL = 3, DIV = 4, MOD = 5, SHR = 7, AND = 10, XOR = 12, GOTO = 18, GOTOIF = 19, COPY = 20, LABEL = 21 };

struct Operand {
    int kind;
    int32_t value;
};
struct Instr {
    int cmd;
    std::vector<Operand> ops;
};
typedef std::vector<Instr> Program;

struct Gen {
    std::mt19937 rng;
    bool safe;   // no faults, no load_pixel, only forward jumps and one counted loop
    int R(int n) { return (int)(rng() % (uint32_t)n); }

    Operand Number() {
        static const int32_t pool[] = {0, 1, -1, 2, 7, 31, 32, 33, 36, 255, 256, 300, 999, 1000,
                                       1001, -5, -1000, 65536, INT_MAX, INT_MIN, 0x00FF00FF};
        if (R(4) == 0) return {NUM, R(600) - 300};
        return {NUM, pool[R(sizeof pool / sizeof pool[0])]};
    }
    Operand Dest() {
        if (!safe && R(40) == 0) return Number();   // a run-time fault
        return {VAR, safe ? R(15) : R(16)};          // safe programs keep _j for their loop
    }
    Operand Source() {
        int k = R(20);
        if (k == 0) return {WORD, R(22)};   // a command word as an operand is its number
        return k < 9 ? Number() : Operand{VAR, R(16)};
    }
    Instr Make(int cmd) {
        Instr in{cmd, {}};
        for (const char* r = pix_OperandRoles(cmd); *r; r++) {
            if (*r == 'D') in.ops.push_back(Dest());
            else if (*r == 'S') in.ops.push_back(Source());
            else if (cmd != LABEL && !safe && R(40) == 0) in.ops.push_back({VAR, R(16)});   // a run-time fault
            else in.ops.push_back({NUM, R(6)});
        }
        return in;
    }
    Program Looping() {
        Program p;
        for (int i = 0, n = 1 + R(14); i < n; i++) p.push_back(Make(R(40) == 0 ? EXIT : 1 + R(21)));
        if (R(3)) Digest(p);
        return p;
    }
    // Straight code with forward jumps, wrapped in a loop counted down in _j.
    Program Bounded() {
        Program p{{COPY, {{VAR, 15}, {NUM, 1 + R(6)}}}, {LABEL, {{NUM, 200}}}};
        int nextLabel = 10;
        for (int i = 0, n = 1 + R(12); i < n; i++) {
            int cmd;
            do cmd = 1 + R(20); while (cmd == 9 || cmd == GOTO || cmd == GOTOIF);
            if (R(6) == 0) {   // jump over the next instruction
                p.push_back(R(2) ? Instr{GOTO, {{NUM, nextLabel}}} : Instr{GOTOIF, {Source(), {NUM, nextLabel}}});
                p.push_back(Make(cmd == DIV || cmd == MOD ? 1 : cmd));
                p.push_back({LABEL, {{NUM, nextLabel++}}});
                continue;
            }
            Instr in = Make(cmd);
            if (cmd == DIV || cmd == MOD) in.ops[2] = {NUM, 2 + R(50)};
            p.push_back(in);
        }
        p.push_back({SUB, {{VAR, 15}, {VAR, 15}, {NUM, 1}}});
        p.push_back({GOTOIF, {{VAR, 15}, {NUM, 200}}});
        if (R(2)) Digest(p);
        return p;
    }
    // Folds every variable into the four colour bytes, so that a wrong value anywhere
    // shows in the pixel instead of vanishing in the clamp to 0..255.
    void Digest(Program& p) {
        bool written[16] = {true, true, true, true};
        for (const Instr& in : p)
            for (size_t i = 0; i < in.ops.size(); i++)
                if (pix_OperandRoles(in.cmd)[i] == 'D' && in.ops[i].kind == VAR) written[in.ops[i].value] = true;
        for (int v = 0; v < 15; v++) {
            if (!written[v]) continue;
            p.push_back({MUL, {{VAR, 15}, {VAR, 15}, {NUM, 31}}});
            p.push_back({XOR, {{VAR, 15}, {VAR, 15}, {VAR, v}}});
        }
        for (int c = 0; c < 4; c++) {
            p.push_back({SHR, {{VAR, c}, {VAR, 15}, {NUM, 8 * c}}});
            p.push_back({AND, {{VAR, c}, {VAR, c}, {NUM, 255}}});
        }
    }
    std::string Text(const Program& p) {
        std::string t;
        for (const Instr& in : p) {
            t += pix_CommandWord(in.cmd);
            for (const Operand& o : in.ops)
                t += (o.kind == NUM ? " #" + std::to_string(o.value) : std::string(" ") + (o.kind == VAR ? kVars[o.value] : pix_CommandWord(o.value)));
            t += "\n";
        }
        return t;
    }
    // A program whose text fits the program buffer.
    std::string Next(bool looping) {
        std::string text;
        do text = Text(looping ? Looping() : Bounded());
        while (text.size() > PIX_TEXT_MAX);
        return text;
    }
};

struct PathResult {
    int ok, stop;
    std::vector<std::string> boxes, statuses;
    std::vector<uint32_t> pixels;
    bool operator==(const PathResult& o) const {
        return ok == o.ok && stop == o.stop && boxes == o.boxes && statuses == o.statuses && pixels == o.pixels;
    }
};

// `loops` pins the lane loops of the fast path ("base" or "avx2"), null the best ones.
PathResult RunPath(const Compiled& c, Surface* img, uint32_t budget, int reference, int threads,
                   const char* loops = nullptr) {
    uiscript_Reset();
    eng_ForceReference(reference);
    pix_SetThreads(threads);
    pix_LanesPin(loops);
    Surface t{};
    srf_Duplicate(&t, img);
    PixMachine m = c.m;
    m.jumpBudget = budget;
    PathResult r{pix_RunPixels(&t, c.cells, &m), m.stop, BoxTexts("Macro Error"), uiscript_Statuses(), WordsOf(&t)};
    srf_Destroy(&t);
    eng_ForceReference(0);
    pix_SetThreads(0);
    pix_LanesPin(nullptr);
    return r;
}

// Pixels, result, stop, error boxes and the status texts (progress row by row, in order).
void ExpectPathsAgree(const std::string& text, Surface* img, uint32_t budget) {
    Compiled c;
    uiscript_Reset();
    CompileText(text, &c);
    ASSERT_TRUE(c.ok) << c.out.error << "\n" << text;
    const PathResult want = RunPath(c, img, budget, 1, 1);
    for (const char* loops : {"base", "avx2"})
        for (int threads : {1, 2})
            if (pix_LanesPin(loops)) {
                ASSERT_TRUE(RunPath(c, img, budget, 0, threads, loops) == want)
                    << loops << " loops, " << threads << " threads on " << img->width << "x" << img->height
                    << ":\n" << text;
            }
}
}  // namespace

TEST(PixcodePaths, LoopingProgramsWithFaultsAgree) {
    Gen g{std::mt19937(20240611), false};
    const int sizes[][2] = {{1, 1}, {1, 9}, {9, 1}, {5, 4}, {13, 7}};
    for (int i = 0; i < 1500 && !HasFatalFailure(); i++) {
        TestSurface img(sizes[i % 5][0], sizes[i % 5][1]);
        FillRandom(img.get(), g.rng);
        ExpectPathsAgree(g.Next(true), img.get(), 30);
    }
}

TEST(PixcodePaths, BoundedProgramsAgreeOnEveryPath) {
    // Large enough for the rows to be shared between threads.
    Gen g{std::mt19937(77), true};
    for (int i = 0; i < 16 && !HasFatalFailure(); i++) {
        TestSurface img(i % 2 ? 131 : 160, i % 2 ? 127 : 103);
        FillRandom(img.get(), g.rng);
        ExpectPathsAgree(g.Next(false), img.get(), 0);
    }
}

// The benchmark's programs and the cases where lanes part ways: rows of two whole
// lane segments and a short one, every row a different mix of pixels.
TEST(PixcodePaths, LanesAgreeOnTheBenchmarkAndTheEdgeCases) {
    const struct {
        const char* text;
        uint32_t budget;
    } cases[] = {
        {"swap red,green", 0},
        {"multiply _a,red,#77 multiply _b,green,#150 add _a,_a,_b multiply _b,blue,#29 add _a,_a,_b "
         "shift_right _a,_a,#8 copy _c,#700 mix _c,_a,red copy red,_c copy _c,#700 mix _c,_a,green "
         "copy green,_c copy _c,#700 mix _c,_a,blue copy blue,_c", 0},
        {"copy _j,#20 copy _a,#0 label #1 add _a,_a,red shift_right _a,_a,#1 subtract _j,_j,#1 "
         "gotoif _j,#1 copy red,_a", 0},
        // Loops of a different length in every lane; some lanes leave early.
        {"copy _a,red label #1 subtract _a,_a,#17 compare_more _b,_a,#0 gotoif _b,#1 copy green,_a", 0},
        {"and _a,blue,#1 gotoif _a,#2 copy red,#300 exit label #2 copy red,#-5 swap green,alpha", 0},
        // A weight of its own in every lane, beyond both ends.
        {"multiply _c,blue,#5 subtract _c,_c,#100 mix _c,red,green copy red,_c", 0},
        // The same after reading another pixel, which only the pre-decoded path does.
        {"subtract _a,_x,#1 load_pixel _a,_y multiply _c,blue,#5 subtract _c,_c,#100 mix _c,red,green copy red,_c", 0},
        // Wrap, shifts by counts past 31, out-of-range colours.
        {"multiply red,red,#16843009 shift_left green,green,_x shift_right blue,#-1000,_y add alpha,#2147483647,alpha", 0},
        // Faults in some lanes only: the first one in visiting order stops the run.
        {"and _a,red,#3 divide red,#100,_a", 0},
        {"compare_equal _a,_x,#70 multiply _a,_a,#-1 add _a,_a,#-2147483648 modulus red,_a,#-1", 0},
        {"compare_more _a,_x,#100 gotoif _a,#1 exit label #1 add #1,red,red", 0},
        // The jump budget runs out in one lane of a segment.
        {"copy _a,red label #1 subtract _a,_a,#40 gotoif _a,#1", 5},
        {"label #1 compare_less _a,_x,#90 gotoif _a,#1", 100},
    };
    std::mt19937 rng(31);
    TestSurface img(2 * PIX_LANES + 37, 4);
    FillRandom(img.get(), rng);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ExpectPathsAgree(c.text, img.get(), c.budget);
    }
}

// The plain path over the pattern (37 x 23): the pixels' hash, with the result, the
// stop and the error text folded in.
TEST(PixcodePaths, PlainPathGivesTheRecordedResults) {
    auto program = [](bool looping, uint32_t seed) {
        return [=]() {
            Gen g{std::mt19937(seed), !looping};
            const std::string text = g.Next(looping);
            Compiled c;
            uiscript_Reset();
            CompileText(text, &c);
            TestSurface img(37, 23);
            FillPattern(img.get());
            const PathResult r = RunPath(c, img.get(), looping ? 30 : 0, 1, 1);
            uint32_t h = 2166136261u;
            for (uint32_t v : r.pixels)
                for (int i = 0; i < 32; i += 8) h = (h ^ ((v >> i) & 255)) * 16777619u;
            for (const std::string& b : r.boxes)
                for (char ch : b) h = (h ^ (uint8_t)ch) * 16777619u;
            return c.ok ? h ^ (uint32_t)(r.ok * 7 + r.stop * 131) : 0u;
        };
    };
    const uint32_t hashes[13] = {0xED72F129u, 0x6780AC35u, 0xE4CD7288u, 0x7D99E008u, 0xC8F0BB5Fu, 0xF3D8EEB8u, 0x29902E52u,
                                 0x9AFFF936u, 0x29F11C39u, 0x17FA424Eu, 0x308DD32Fu, 0x17FA424Eu, 0x48FA4BD1u};
    std::vector<GoldenCase> cases;   // seeds 1-10 bounded, 11-13 looping
    for (int i = 0; i < 13; i++) cases.push_back({i < 10 ? "bounded" : "looping", hashes[i], program(i >= 10, i + 1)});
    EXPECT_EQ(CheckGolden(cases), "");
}
