// Random programs over random images: a plain interpreter written here from the
// command table is the judge; the plain path, the pre-decoded path and the threaded
// path of the program must all agree with it on pixels, errors and stops.
#include <gtest/gtest.h>
#include <climits>
#include <random>
#include <string>
#include <vector>
#include "pixcode/pix_program.h"
#include "pixcode/pix_run.h"
#include "pixcode_test_util.h"
#include "support/test_surface.h"

namespace {
const char* const kWords[22] = {
    "exit", "add", "subtract", "multiply", "divide", "modulus", "shift_left",
    "shift_right", "swap", "load_pixel", "and", "or", "xor", "not", "mix",
    "compare_equal", "compare_less", "compare_more", "goto", "gotoif", "copy", "label"};
const char* const kRoles[22] = {"", "DSS", "DSS", "DSS", "DSS", "DSS", "DSS", "DSS", "DD",
                                "SS", "DSS", "DSS", "DSS", "DS", "DSS", "DSS", "DSS", "DSS",
                                "N", "SN", "DS", "N"};
const char* const kVars[16] = {"blue", "green", "red", "alpha", "_x", "_y", "_a", "_b",
                               "_c", "_d", "_e", "_f", "_g", "_h", "_i", "_j"};
enum { WORD, VAR, NUM };

struct Operand {
    int kind;
    int32_t value;
};
struct Instr {
    int cmd;
    std::vector<Operand> ops;
    bool plain = false;   // written out without noise, to save room
};
typedef std::vector<Instr> Program;

// ---- the judge ------------------------------------------------------------------

struct Outcome {
    int ok;
    std::string box;   // the Macro Error text, if any
    std::vector<uint32_t> pixels;
};

int Byte(int32_t v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

Outcome Judge(const Program& prog, std::vector<uint32_t> px, int w, int h, uint32_t budget) {
    Outcome o{1, "", {}};
    for (int y = 0; y < h && o.ok; y++)
        for (int x = 0; x < w && o.ok; x++) {
            int32_t v[16] = {0};
            uint32_t p = px[y * w + x];
            v[0] = p & 255; v[1] = (p >> 8) & 255; v[2] = (p >> 16) & 255; v[3] = p >> 24;
            v[4] = x; v[5] = y;
            uint32_t jumps = 0;
            for (size_t pc = 0; pc < prog.size();) {
                const Instr& in = prog[pc];
                const char* roles = kRoles[in.cmd];
                std::string word = kWords[in.cmd];
                for (int i = 0; roles[i] && o.ok; i++)
                    if (roles[i] == 'D' && in.ops[i].kind != VAR)
                        o = {0, "Invalid Destination In Macro\nInstruction: " + word, {}};
                for (int i = 0; roles[i] && o.ok; i++)
                    if (roles[i] == 'N' && in.ops[i].kind != NUM)
                        o = {0, "Invalid Label/Numeral In Macro\nInstruction: " + word, {}};
                if (!o.ok) break;
                auto S = [&](int i) { return in.ops[i].kind == VAR ? v[in.ops[i].value] : in.ops[i].value; };
                auto D = [&]() -> int32_t& { return v[in.ops[0].value]; };
                auto Jump = [&](int32_t label) {
                    size_t to = 0;
                    for (size_t k = 0; k < prog.size(); k++)
                        if (prog[k].cmd == 21 && prog[k].ops[0].value == label) to = k;
                    pc = to;
                    if (budget && ++jumps > budget) o = {0, "", {}};
                };
                pc++;
                int64_t a = 0, b = 0;
                if (in.cmd == 0) break;
                switch (in.cmd) {
                case 1: D() = (int32_t)(uint32_t)((int64_t)S(1) + S(2)); break;
                case 2: D() = (int32_t)(uint32_t)((int64_t)S(1) - S(2)); break;
                case 3: D() = (int32_t)(uint32_t)((int64_t)S(1) * S(2)); break;
                case 4: case 5:
                    a = S(1); b = S(2);
                    if (b == 0) o = {0, "Division By Zero In Macro\nInstruction: " + word, {}};
                    else if (a == INT_MIN && b == -1) o = {0, "Division Overflow In Macro\nInstruction: " + word, {}};
                    else D() = (int32_t)(in.cmd == 4 ? a / b : a % b);
                    break;
                case 6: D() = (int32_t)(uint32_t)((uint64_t)(uint32_t)S(1) << (S(2) & 31)); break;
                case 7: D() = S(1) >> (S(2) & 31); break;
                case 8: std::swap(v[in.ops[0].value], v[in.ops[1].value]); break;
                case 9: {
                    int32_t cx = std::min(std::max(S(0), 0), w - 1), cy = std::min(std::max(S(1), 0), h - 1);
                    uint32_t q = px[cy * w + cx];
                    v[0] = q & 255; v[1] = (q >> 8) & 255; v[2] = (q >> 16) & 255; v[3] = q >> 24;
                    break;
                }
                case 10: D() = S(1) & S(2); break;
                case 11: D() = S(1) | S(2); break;
                case 12: D() = S(1) ^ S(2); break;
                case 13: D() = S(1) == 0; break;
                case 14: {
                    int64_t wgt = std::min(std::max((int64_t)D(), (int64_t)0), (int64_t)1000);
                    uint64_t t = (uint64_t)(wgt << 16) / 1000;
                    uint32_t c1 = (uint32_t)S(1), c2 = (uint32_t)S(2), r = 0;
                    for (int sh = 0; sh < 32; sh += 8)
                        r |= (uint32_t)((((c2 >> sh) & 255) * (65536 - t) + ((c1 >> sh) & 255) * t) >> 16) << sh;
                    D() = (int32_t)r;
                    break;
                }
                case 15: D() = S(1) == S(2); break;
                case 16: D() = S(1) < S(2); break;
                case 17: D() = S(1) > S(2); break;
                case 18: Jump(in.ops[0].value); break;
                case 19: if (S(0) != 0) Jump(in.ops[1].value); break;
                case 20: D() = S(1); break;
                default: break;
                }
                if (!o.ok) break;
            }
            if (o.ok)
                px[y * w + x] = (uint32_t)Byte(v[3]) << 24 | (uint32_t)Byte(v[2]) << 16 |
                                (uint32_t)Byte(v[1]) << 8 | (uint32_t)Byte(v[0]);
        }
    o.pixels = px;
    return o;
}

// ---- generated programs -----------------------------------------------------------

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
        if (!safe && R(40) == 0) return Number();
        return {VAR, safe ? R(15) : R(16)};   // safe programs keep _j for their loop
    }
    Operand Source() {
        int k = R(20);
        if (k == 0) return {WORD, R(22)};   // a command word as an operand is its number
        if (k < 9) return Number();
        return {VAR, R(16)};
    }
    Instr Make(int cmd) {
        Instr in{cmd, {}};
        for (const char* r = kRoles[cmd]; *r; r++) {
            if (*r == 'D') in.ops.push_back(Dest());
            else if (*r == 'S') in.ops.push_back(Source());
            else if (cmd != 21 && !safe && R(40) == 0) in.ops.push_back({VAR, R(16)});   // a run-time fault
            else in.ops.push_back({NUM, R(6)});
        }
        return in;
    }
    Program Looping() {
        Program p;
        int n = 1 + R(14);
        for (int i = 0; i < n; i++) p.push_back(Make(R(40) == 0 ? 0 : 1 + R(21)));
        if (R(3)) Digest(p);
        return p;
    }
    // Straight code with forward jumps, wrapped in a loop counted down in _j.
    Program Bounded() {
        Program p;
        int n = 1 + R(12);
        p.push_back({20, {{VAR, 15}, {NUM, 1 + R(6)}}});
        p.push_back({21, {{NUM, 200}}});
        int nextLabel = 10;
        for (int i = 0; i < n; i++) {
            int cmd;
            do cmd = 1 + R(20); while (cmd == 9 || cmd == 18 || cmd == 19);
            if (R(6) == 0) {   // jump over the next instruction
                p.push_back(R(2) ? Instr{18, {{NUM, nextLabel}}} : Instr{19, {Source(), {NUM, nextLabel}}});
                p.push_back(Make(cmd == 4 || cmd == 5 ? 1 : cmd));
                p.push_back({21, {{NUM, nextLabel++}}});
                continue;
            }
            Instr in = Make(cmd);
            if (cmd == 4 || cmd == 5) in.ops[2] = {NUM, 2 + R(50)};
            p.push_back(in);
        }
        p.push_back({2, {{VAR, 15}, {VAR, 15}, {NUM, 1}}});
        p.push_back({19, {{VAR, 15}, {NUM, 200}}});
        if (R(2)) Digest(p);
        return p;
    }

    // Folds every variable into the four colour bytes, so that a wrong value anywhere
    // shows in the pixel instead of vanishing in the clamp to 0..255.
    void Digest(Program& p) {
        bool written[16] = {true, true, true, true};
        for (const Instr& in : p)
            for (size_t i = 0; i < in.ops.size(); i++)
                if (kRoles[in.cmd][i] == 'D' && in.ops[i].kind == VAR) written[in.ops[i].value] = true;
        for (int v = 0; v < 15; v++) {
            if (!written[v]) continue;
            p.push_back({3, {{VAR, 15}, {VAR, 15}, {NUM, 31}}, true});
            p.push_back({12, {{VAR, 15}, {VAR, 15}, {VAR, v}}, true});
        }
        for (int c = 0; c < 4; c++) {
            p.push_back({7, {{VAR, c}, {VAR, 15}, {NUM, 8 * c}}, true});
            p.push_back({10, {{VAR, c}, {VAR, c}, {NUM, 255}}, true});
        }
    }

    std::string Sep() {
        static const char* const seps[] = {" ", ",", ", ", "\r\n", "\t", " ; ", " + ", " ( "};
        return seps[R(8)];
    }
    std::string Cased(std::string s) {
        for (char& c : s)
            if (R(4) == 0 && c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
        return s;
    }
    std::string Text(const Program& p) {
        std::string t;
        for (const Instr& in : p) {
            t += in.plain ? kWords[in.cmd] : Cased(kWords[in.cmd]);
            for (const Operand& o : in.ops) {
                t += in.plain ? " " : Sep();
                if (o.kind == NUM) t += "#" + std::to_string(o.value);
                else t += Cased(o.kind == VAR ? kVars[o.value] : kWords[o.value]);
            }
            t += in.plain ? "\n" : (R(5) == 0 ? "; // note\r\n" : "\r\n");
        }
        return t;
    }
};

struct PathResult {
    int ok, stop;
    std::vector<std::string> boxes, statuses;
    std::vector<uint32_t> pixels;
};

PathResult RunPath(const Compiled& c, const std::vector<uint32_t>& px, int w, int h,
                   uint32_t budget, int reference, int threads) {
    uiscript_Reset();
    pix_ForceReference(reference);
    pix_SetThreads(threads);
    TestSurface t(w, h);
    std::copy(px.begin(), px.end(), t->pixels);
    PixMachine m = c.m;
    m.jumpBudget = budget;
    PathResult r;
    r.ok = pix_RunPixels(t.get(), c.cells, &m);
    r.stop = m.stop;
    r.boxes = BoxTexts("Macro Error");
    r.statuses = uiscript_Statuses();
    r.pixels.assign(t->pixels, t->pixels + (size_t)w * h);
    pix_ForceReference(0);
    pix_SetThreads(0);
    return r;
}

void CheckProgram(Gen& g, bool looping, int w, int h, uint32_t budget) {
    Program prog;
    std::string text;
    do {   // the program text has room for PIX_TEXT_MAX characters
        prog = looping ? g.Looping() : g.Bounded();
        text = g.Text(prog);
    } while (text.size() > PIX_TEXT_MAX);
    TestSurface img(w, h);
    FillRandom(img.get(), g.rng);
    std::vector<uint32_t> px(img->pixels, img->pixels + (size_t)w * h);
    Compiled c;
    uiscript_Reset();
    CompileText(text, &c);
    ASSERT_TRUE(c.ok) << c.out.error << "\n" << text;
    Outcome want = Judge(prog, px, w, h, budget);
    std::vector<std::string> plainStatuses;
    for (int path = 0; path < 3; path++) {
        PathResult got = RunPath(c, px, w, h, budget, path == 0, path == 2 ? 2 : 1);
        if (path == 0) plainStatuses = got.statuses;
        EXPECT_EQ(got.statuses, plainStatuses);   // progress row by row, in order
        SCOPED_TRACE(::testing::Message() << "path " << path << " on " << w << "x" << h << ":\n" << text);
        EXPECT_EQ(got.ok, want.ok);
        EXPECT_EQ(got.boxes, want.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{want.box});
        if (!want.ok) {
            EXPECT_EQ(got.stop, want.box.empty() ? PIX_STOP_BUDGET : PIX_STOP_ERROR);
        }
        ASSERT_TRUE(got.pixels == want.pixels);
    }
}
}  // namespace

TEST(PixcodeRandom, LoopingProgramsWithFaultsAgree) {
    Gen g{std::mt19937(20240611), false};
    const int sizes[][2] = {{1, 1}, {1, 9}, {9, 1}, {5, 4}, {13, 7}};
    for (int i = 0; i < 1500; i++) {
        const int* s = sizes[i % 5];
        CheckProgram(g, true, s[0], s[1], 30);
        if (HasFatalFailure()) return;
    }
}

TEST(PixcodeRandom, BoundedProgramsAgreeOnEveryPath) {
    // Large enough for the rows to be shared between threads.
    Gen g{std::mt19937(77), true};
    for (int i = 0; i < 16; i++) {
        CheckProgram(g, false, i % 2 ? 131 : 160, i % 2 ? 127 : 103, 0);
        if (HasFatalFailure()) return;
    }
}
