// The compiler: comments, tokens, validation, numerals, translation and every
// compile-time message (the jump table is judged by running programs).
#include <gtest/gtest.h>
#include "pixcode/pix_program.h"
#include "pixcode_test_util.h"

namespace {
const char* kCommentError =
    "Error: Comment syntax violation.\nPlease check your comments and ensure all statements end with a semi-colon.";
const char* kWordError =
    "Error: Word separation failed.\nPlease check if your code contains any unusual symbols.";
const char* kLabelError =
    "Error: Label Initialization failed.\nPlease check if your code contains more than 256 labels.";
const char* kBadLabel = "Invalid Label/Numeral In Macro\nInstruction: ";

typedef std::vector<std::pair<int, int>> Cells;
typedef std::vector<std::string> Texts;
const int C = PIX_KIND_COMMAND, V = PIX_KIND_VARIABLE, N = PIX_KIND_NUMERAL;

struct PixcodeCompile : ::testing::Test {
    Compiled c;
    void SetUp() override { uiscript_Reset(); }
};
}  // namespace

TEST_F(PixcodeCompile, TextsTranslateToCells) {
    const Cells addRed = {{PIX_ADD, C}, {PIX_RED, V}, {PIX_RED, V}, {10, N}};
    const struct {
        const char* text;
        Cells cells;
    } cases[] = {
        // Layout, case and punctuation do not matter.
        {"add red,red,#10;", addRed}, {"add red red #10", addRed}, {"ADD Red,\tRED,\r\n#10", addRed},
        {"( add red + red = #10 ) }", addRed}, {"add red,red,#10 // comment; ;;", addRed},
        // A comment runs to a semicolon or the line end; two slashes inside a word start one too.
        {"// note; copy red,#0", {{PIX_COPY, C}, {PIX_RED, V}, {0, N}}},
        {"copy red,#7//tail\ncopy green,#1", {{PIX_COPY, C}, {PIX_RED, V}, {7, N}, {PIX_COPY, C}, {PIX_GREEN, V}, {1, N}}},
        // Numerals read like C decimals, saturating.
        {"copy red,#-12 copy red,# copy red,#- copy red,#--5",
         {{PIX_COPY, C}, {PIX_RED, V}, {-12, N}, {PIX_COPY, C}, {PIX_RED, V}, {0, N}, {PIX_COPY, C}, {PIX_RED, V}, {0, N},
          {PIX_COPY, C}, {PIX_RED, V}, {0, N}}},
        {"copy red,#5-3 copy red,#99999999999 copy red,#-99999999999 copy red,#-2147483648",
         {{PIX_COPY, C}, {PIX_RED, V}, {5, N}, {PIX_COPY, C}, {PIX_RED, V}, {INT32_MAX, N}, {PIX_COPY, C}, {PIX_RED, V},
          {INT32_MIN, N}, {PIX_COPY, C}, {PIX_RED, V}, {INT32_MIN, N}}},
        // As an operand an unimplemented word is only a number.
        {"copy red,function", {{PIX_COPY, C}, {PIX_RED, V}, {PIX_FUNCTION, C}}},
    };
    for (const auto& k : cases) {
        CompileText(k.text, &c);
        EXPECT_TRUE(c.ok) << k.text;
        EXPECT_EQ(UsedCells(c), k.cells) << k.text;
    }
    char out[PIX_TEXT_SIZE];
    EXPECT_EQ(pix_StripComments("A/B//C\rD", out), 1);
    EXPECT_STREQ(out, "a/b\rd");
}

TEST_F(PixcodeCompile, RefusedTextsAndTheirMessages) {
    const std::string word31 = "#" + std::string(30, '1'), tokens512 = "copy red,#1" + std::string(509, ';');
    const struct {
        std::string text;
        const char* badToken;
        Texts boxes;   // title then text, for each box
    } cases[] = {
        {"", "", {"Compiler Error", kCommentError}},
        {"// only a comment\r\n\r\n//another\r\n", "", {"Compiler Error", kWordError}},
        {"BLEND red", "blend", {"Compiler Error", "'blend' is not a recognized Pixcode command, symbol or numeral"}},
        // Symbols inside a word belong to it; a leading symbol is a token of its own.
        {"copy red,a+b", "a+b", {"Compiler Error", "'a+b' is not a recognized Pixcode command, symbol or numeral"}},
        {"copy red,-5", "5", {"Compiler Error", "'5' is not a recognized Pixcode command, symbol or numeral"}},
        {"copy red,#12a", "#12a", {"Compiler Error", "'#12a' is not a recognized Pixcode command, symbol or numeral"}},
        {"}copy red,#1", "}copy", {"Compiler Error", "'}copy' is not a recognized Pixcode command, symbol or numeral"}},
        // 32 characters make a word too long; 513 tokens too many.
        {"copy red,#" + std::string(31, '1'), "", {"Compiler Error", kWordError}},
        {tokens512 + ";", "", {"Compiler Error", kWordError}},
        // Label operands must be numerals 0..255; errors after validation name no token.
        {"label red", "", {"Macro Error", std::string(kBadLabel) + "begin", "Compiler Error", kLabelError}},
        {"label #256", "", {"Macro Error", std::string(kBadLabel) + "begin", "Compiler Error", kLabelError}},
        {"label #-1", "", {"Macro Error", std::string(kBadLabel) + "begin", "Compiler Error", kLabelError}},
        {"goto #300", "", {"Macro Error", std::string(kBadLabel) + "goto", "Compiler Error", kLabelError}},
        {"gotoif red,#-7", "", {"Macro Error", std::string(kBadLabel) + "gotoif", "Compiler Error", kLabelError}},
        {"copy red,#1 function", "", {"Macro Error", "Unknown Instruction Macro", "Compiler Error", kLabelError}},
        {"copy red,#1 end_func", "", {"Macro Error", "Unknown Instruction Macro", "Compiler Error", kLabelError}},
        {"copy red,#1 call", "", {"Macro Error", "Unknown Instruction Macro", "Compiler Error", kLabelError}},
        {"copy red,#1 reserved_5", "", {"Macro Error", "Unknown Instruction Macro", "Compiler Error", kLabelError}},
    };
    for (const auto& k : cases) {
        uiscript_Reset();
        CompileText(k.text, &c);
        EXPECT_FALSE(c.ok) << k.text;
        EXPECT_STREQ(c.out.badToken, k.badToken) << k.text;
        Texts boxes;
        for (const UiRecordedBox& b : uiscript_Boxes()) {
            boxes.push_back(b.title);
            boxes.push_back(b.text);
            EXPECT_EQ(b.flags, UI_OK | UI_TASKMODAL) << k.text;
        }
        EXPECT_EQ(boxes, k.boxes) << k.text;
    }
    // The limits themselves are accepted.
    for (const std::string& t : {"copy red," + word31, tokens512}) {
        CompileText(t, &c);
        EXPECT_TRUE(c.ok) << t;
    }
}

TEST_F(PixcodeCompile, ProgramTextIsCutToItsBuffer) {
    std::string longText(2000, ' ');
    longText.replace(1020, 3, "exit");
    pix_SetProgramText(longText.c_str());
    EXPECT_EQ(std::string(pix_ProgramText()).size(), PIX_TEXT_MAX);
    CompileText(longText, &c);   // the word is cut to "exi"
    EXPECT_STREQ(c.out.badToken, "exi");
    pix_ResetProgramText();
}
