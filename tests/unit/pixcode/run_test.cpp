// Running programs over images: the documented examples, run-time errors, Escape,
// the run command's editor loop and its status texts.
#include <gtest/gtest.h>
#include <random>
#include "engine/engine.h"
#include "pixcode/pix_program.h"
#include "pixcode/pix_run.h"
#include "pixcode_test_util.h"
#include "support/test_surface.h"

namespace {
struct PixcodeRun : ::testing::Test {
    void SetUp() override { uiscript_Reset(); }
    void TearDown() override {
        eng_ForceReference(0);
        pix_SetThreads(0);
        pix_ResetProgramText();
    }
};

// Compiles and runs `text` over `s`; returns the run's result (-1 when it did not compile).
int RunText(const std::string& text, Surface* s, Compiled* c = nullptr) {
    Compiled own;
    if (!c) c = &own;
    CompileText(text, c, s);
    return c->ok ? pix_RunPixels(s, c->cells, &c->m) : -1;
}

void Fill(TestSurface& t, uint32_t seed) {
    std::mt19937 rng(seed);
    FillRandom(t.get(), rng);
}
}  // namespace

TEST_F(PixcodeRun, WriteBackHoldsChannelsToBytes) {
    TestSurface t(3, 2);
    Fill(t, 2);
    EXPECT_EQ(RunText("copy alpha,#300 copy red,#-5 add green,#1,#2 copy blue,#255", t.get()), 1);
    for (int i = 0; i < 6; i++) EXPECT_EQ(t->pixels[i], 0xFF0003FFu);
    // Position variables, and a program that only sets a free register.
    EXPECT_EQ(RunText("copy red,_x copy green,_y", t.get()), 1);
    EXPECT_EQ(t.at(2, 1), 0xFF0201FFu);
    std::vector<uint32_t> before(t->pixels, t->pixels + 6);
    EXPECT_EQ(RunText("copy _a,#123456", t.get()), 1);
    EXPECT_EQ(std::vector<uint32_t>(t->pixels, t->pixels + 6), before);
}

TEST_F(PixcodeRun, LoadPixelClampsAndSeesProcessedPixels) {
    TestSurface t(5, 4);
    Fill(t, 4);
    uint32_t corner = t.at(0, 3);
    EXPECT_EQ(RunText("load_pixel #-10,#99999", t.get()), 1);
    for (int i = 0; i < 20; i++) EXPECT_EQ(t->pixels[i], corner);
    // Each pixel copies its left neighbour, which was already rewritten: a row
    // becomes its first pixel.
    Fill(t, 5);
    uint32_t first = t.at(0, 2);
    EXPECT_EQ(RunText("subtract _a,_x,#1 load_pixel _a,_y", t.get()), 1);
    for (int x = 0; x < 5; x++) EXPECT_EQ(t.at(x, 2), first);
}

TEST_F(PixcodeRun, ArithmeticCorners) {
    TestSurface t(1, 1);
    struct Case { const char* program; uint32_t pixel; } cases[] = {
        // Quarter red, three quarters green, byte by byte; weights clamp to 0..1000.
        {"copy red,#200 copy green,#40 copy _a,#250 mix _a,red,green copy red,_a", 0x00502800u},
        {"copy _a,#5000 mix _a,#255,#0 copy red,_a", 0x00FF0000u},
        {"copy _a,#-3 mix _a,#255,#77 copy red,_a", 0x004D0000u},
        {"copy _a,#999 mix _a,#255,#0 copy red,_a", 0x00FE0000u},   // 254.7, truncated
        // Shift counts use their low five bits; right shifts fill with the sign.
        {"shift_left red,#1,#33", 0x00020000u},
        {"shift_right _a,#-256,#36 add red,_a,#100", 0x00540000u},
        {"shift_left _a,#-1,#31 compare_less red,_a,#0", 0x00010000u},
        // Wrap-around, truncating division, remainder with the dividend's sign.
        {"add _a,#2147483647,#1 compare_equal red,_a,#-2147483648", 0x00010000u},
        {"multiply _a,#65536,#65536 compare_equal red,_a,#0", 0x00010000u},
        {"divide red,#-7,#2 add red,red,#10 modulus green,#-7,#2 add green,green,#10", 0x00070900u},
        {"not red,#0 not green,#5 xor blue,#12,#10 or alpha,#1,#2", 0x03010006u},
        {"compare_more red,#-1,#-2 and green,#12,#10", 0x00010800u},
        {"copy _a,#7 copy _b,#9 swap _a,_b subtract red,_a,_b", 0x00020000u},
        // A jump to an undefined label goes to the start (registers keep their values);
        // a jump to a label lands on it and goes on after it.
        {"add _a,_a,#1 compare_less _b,_a,#5 gotoif _b,#7 copy red,_a", 0x00050000u},
        {"goto #2 copy red,#9 label #2 copy green,#4", 0x00000400u},
        // A label defined twice: jumps go to the last definition.
        {"goto #3 label #3 copy red,#1 label #3 add green,green,#2", 0x00000200u},
    };
    for (const Case& k : cases) {
        t.at(0, 0) = 0;
        EXPECT_EQ(RunText(k.program, t.get()), 1) << k.program;
        EXPECT_EQ(t.at(0, 0), k.pixel) << k.program;
    }
}

// Pixels before the failing one are written; it and those after it are not.
TEST_F(PixcodeRun, DivisionByZeroStopsAtTheFailingPixel) {
    TestSurface t(3, 3);
    for (int i = 0; i < 9; i++) t->pixels[i] = 0x00050000u + i;
    t.at(1, 2) = 0x12000034u;   // red 0: the first pixel that divides by zero
    EXPECT_EQ(RunText("divide green,#100,red", t.get()), 0);
    EXPECT_EQ(BoxTexts("Macro Error"), std::vector<std::string>{"Division By Zero In Macro\nInstruction: divide"});
    EXPECT_EQ(WordsOf(t.get()), (std::vector<uint32_t>{0x00051400u, 0x00051401u, 0x00051402u, 0x00051403u, 0x00051404u,
                                                       0x00051405u, 0x00051406u, 0x12000034u, 0x00050008u}));
}

// Each fault is reported once and stops the run before the pixel is written.
TEST_F(PixcodeRun, RunTimeErrorsStopBeforeThePixel) {
    const struct {
        const char* program;
        const char* text;
    } cases[] = {
        {"add #1,red,red", "Invalid Destination In Macro\nInstruction: add"},
        {"gotoif #1,_a", "Invalid Label/Numeral In Macro\nInstruction: gotoif"},
        {"modulus red,#-2147483648,#-1", "Division Overflow In Macro\nInstruction: modulus"},
        {"modulus red,#5,#0", "Division By Zero In Macro\nInstruction: modulus"},
    };
    TestSurface t(4, 4);
    Fill(t, 3);
    const std::vector<uint32_t> before = WordsOf(t.get());
    for (const auto& k : cases) {
        uiscript_Reset();
        Compiled c;
        EXPECT_EQ(RunText(k.program, t.get(), &c), 0) << k.program;
        EXPECT_EQ(c.m.stop, PIX_STOP_ERROR) << k.program;
        EXPECT_EQ(BoxTexts("Macro Error"), std::vector<std::string>{k.text}) << k.program;
        EXPECT_EQ(uiscript_Boxes()[0].flags, UI_OK | UI_TASKMODAL);
        EXPECT_EQ(uiscript_Statuses().back(), " Macro program execution failed!!");
        EXPECT_EQ(WordsOf(t.get()), before) << k.program;
    }
    // An unreachable fault is harmless.
    uiscript_Reset();
    EXPECT_EQ(RunText("exit add #1,red,red", t.get()), 1);
    EXPECT_TRUE(uiscript_Boxes().empty());
}

TEST_F(PixcodeRun, EscapeStopsAnEndlessLoop) {
    for (int reference = 0; reference < 2; reference++) {
        uiscript_Reset();
        eng_ForceReference(reference);
        uiscript_SetEscape(1);
        TestSurface t(3, 3);
        Compiled c;
        EXPECT_EQ(RunText("label #1 goto #1", t.get(), &c), 0);
        EXPECT_EQ(c.m.stop, PIX_STOP_ESCAPE);
        EXPECT_TRUE(uiscript_Boxes().empty());
        EXPECT_EQ(uiscript_Statuses().back(), " Macro program execution failed!!");
        uiscript_SetEscape(0);
    }
}

TEST_F(PixcodeRun, StatusTextsOfARun) {
    TestSurface t(2, 3);
    EXPECT_EQ(RunText("copy red,#1", t.get()), 1);
    EXPECT_EQ(uiscript_Statuses(),
              (std::vector<std::string>{" Compiling macro program...",
                                        " Running macro program - Press Escape to cancel",
                                        "Executing Macro - 0%", "Executing Macro - 33%",
                                        "Executing Macro - 66%", " Macro program execution complete"}));
}

TEST_F(PixcodeRun, RunCommandLoopsThroughTheEditor) {
    TestSurface t(2, 2);
    t.at(0, 0) = 0x00112233u;
    // Cancel at once: nothing compiled, nothing changed.
    uiscript_QueuePrompt(PIX_EDITOR_PROMPT, {0, "", ""});
    EXPECT_EQ(pix_Run(t.get()), 0);
    EXPECT_TRUE(uiscript_Statuses().empty());
    // No editor at all counts as Cancel.
    EXPECT_EQ(pix_Run(t.get()), 0);
    // Done with a bad program: the error, the editor again (Done, same error), Cancel.
    uiscript_Reset();
    pix_SetProgramText("blend red");
    uiscript_QueuePrompt(PIX_EDITOR_PROMPT, {1, "", ""});
    uiscript_QueuePrompt(PIX_EDITOR_PROMPT, {1, "", ""});
    uiscript_QueuePrompt(PIX_EDITOR_PROMPT, {0, "", ""});
    EXPECT_EQ(pix_Run(t.get()), 0);
    EXPECT_EQ(uiscript_PromptsAsked().size(), 3u);
    EXPECT_EQ(BoxTexts("Compiler Error").size(), 2u);
    EXPECT_EQ(t.at(0, 0), 0x00112233u);
    // Done with the sample program runs it.
    uiscript_Reset();
    pix_ResetProgramText();
    uiscript_QueuePrompt(PIX_EDITOR_PROMPT, {1, "", ""});
    EXPECT_EQ(pix_Run(t.get()), 1);
    EXPECT_EQ(t.at(0, 0), 0x00221133u);
    EXPECT_EQ(uiscript_Statuses().back(), " Macro program execution complete");
}
