// The compiler: comments, tokens, validation, numerals, translation, the jump-table
// pass and every compile-time message.
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

typedef std::vector<std::pair<int, int>> Cells;
const int C = PIX_KIND_COMMAND, V = PIX_KIND_VARIABLE, N = PIX_KIND_NUMERAL;

struct PixcodeCompile : ::testing::Test {
    Compiled c;
    void SetUp() override { uiscript_Reset(); }
};
}  // namespace

TEST_F(PixcodeCompile, InitialProgramIsSwapRedGreen) {
    pix_ResetProgramText();
    EXPECT_EQ(std::string(pix_ProgramText()), PIX_INITIAL_TEXT);
    CompileText(pix_ProgramText(), &c);
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(UsedCells(c), (Cells{{PIX_SWAP, C}, {PIX_RED, V}, {PIX_GREEN, V}}));
    EXPECT_TRUE(uiscript_Boxes().empty());
    EXPECT_EQ(uiscript_Statuses(), std::vector<std::string>{" Compiling macro program..."});
}

TEST_F(PixcodeCompile, LayoutCaseAndPunctuationDoNotMatter) {
    CompileText("add red,red,#10;", &c);
    Cells plain = UsedCells(c);
    EXPECT_EQ(plain, (Cells{{PIX_ADD, C}, {PIX_RED, V}, {PIX_RED, V}, {10, N}}));
    for (const char* t : {"add red red #10", "ADD Red,\tRED,\r\n#10", "( add red + red = #10 ) }",
                          "add red,red,#10 // comment; ;;"}) {
        CompileText(t, &c);
        EXPECT_TRUE(c.ok) << t;
        EXPECT_EQ(UsedCells(c), plain) << t;
    }
}

TEST_F(PixcodeCompile, CommentsRunToSemicolonOrLineEnd) {
    // The semicolon ends the comment: what follows is program text.
    CompileText("// note; copy red,#0", &c);
    EXPECT_EQ(UsedCells(c), (Cells{{PIX_COPY, C}, {PIX_RED, V}, {0, N}}));
    // Two slashes inside a word start a comment too.
    CompileText("copy red,#7//tail\ncopy green,#1", &c);
    EXPECT_EQ(UsedCells(c), (Cells{{PIX_COPY, C}, {PIX_RED, V}, {7, N}, {PIX_COPY, C}, {PIX_GREEN, V}, {1, N}}));
    char out[PIX_TEXT_SIZE];
    EXPECT_EQ(pix_StripComments("A/B//C\rD", out), 1);
    EXPECT_STREQ(out, "a/b\rd");
}

TEST_F(PixcodeCompile, EmptyAndCommentOnlyPrograms) {
    CompileText("", &c);
    EXPECT_FALSE(c.ok);
    CompileText("// only a comment\r\n\r\n//another\r\n", &c);
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(BoxTexts("Compiler Error"), (std::vector<std::string>{kCommentError, kWordError}));
    EXPECT_EQ(uiscript_Boxes()[0].flags, UI_OK | UI_TASKMODAL);
}

TEST_F(PixcodeCompile, UnknownWordIsTheBadToken) {
    CompileText("BLEND red", &c);
    EXPECT_FALSE(c.ok);
    EXPECT_STREQ(c.out.badToken, "blend");
    EXPECT_EQ(BoxTexts("Compiler Error"),
              std::vector<std::string>{"'blend' is not a recognized Pixcode command, symbol or numeral"});
    // Symbols inside a word belong to it; a leading symbol is a token of its own.
    CompileText("copy red,a+b", &c);
    EXPECT_STREQ(c.out.badToken, "a+b");
    CompileText("copy red,-5", &c);
    EXPECT_STREQ(c.out.badToken, "5");
    CompileText("copy red,#12a", &c);
    EXPECT_STREQ(c.out.badToken, "#12a");
    // Errors after validation name no token.
    CompileText("label red", &c);
    EXPECT_STREQ(c.out.badToken, "");
}

TEST_F(PixcodeCompile, NumeralsReadLikeCDecimals) {
    CompileText("copy red,#-12 copy red,# copy red,#- copy red,#--5 copy red,#5-3 "
                "copy red,#99999999999 copy red,#-99999999999 copy red,#-2147483648", &c);
    ASSERT_TRUE(c.ok);
    std::vector<int> values;
    for (auto& cell : UsedCells(c))
        if (cell.second == N) values.push_back(cell.first);
    EXPECT_EQ(values, (std::vector<int>{-12, 0, 0, 0, 5, INT32_MAX, INT32_MIN, INT32_MIN}));
}

TEST_F(PixcodeCompile, WordAndTokenLimits) {
    std::string word31 = "#" + std::string(30, '1');
    CompileText("copy red," + word31, &c);
    EXPECT_TRUE(c.ok);
    CompileText("copy red,#" + std::string(31, '1'), &c);   // 32 characters
    EXPECT_FALSE(c.ok);
    std::string tokens509 = "copy red,#1" + std::string(509, ';');   // 512 tokens
    CompileText(tokens509, &c);
    EXPECT_TRUE(c.ok);
    CompileText(tokens509 + ";", &c);
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(BoxTexts("Compiler Error"), (std::vector<std::string>{kWordError, kWordError}));
    // A lone "}" is a word that validation accepts as a symbol.
    CompileText("}copy red,#1", &c);
    EXPECT_STREQ(c.out.badToken, "}copy");
}

TEST_F(PixcodeCompile, LabelOperandMustBeANumeralInRange) {
    CompileText("label red", &c);
    EXPECT_FALSE(c.ok);
    ASSERT_EQ(uiscript_Boxes().size(), 2u);
    EXPECT_EQ(uiscript_Boxes()[0].title, "Macro Error");
    EXPECT_EQ(uiscript_Boxes()[0].text, "Invalid Label/Numeral In Macro\nInstruction: begin");
    EXPECT_EQ(uiscript_Boxes()[1].title, "Compiler Error");
    EXPECT_EQ(uiscript_Boxes()[1].text, kLabelError);
    uiscript_Reset();
    CompileText("label #256", &c);
    CompileText("label #-1", &c);
    CompileText("goto #300", &c);
    CompileText("gotoif red,#-7", &c);
    EXPECT_EQ(BoxTexts("Macro Error"),
              (std::vector<std::string>{"Invalid Label/Numeral In Macro\nInstruction: begin",
                                        "Invalid Label/Numeral In Macro\nInstruction: begin",
                                        "Invalid Label/Numeral In Macro\nInstruction: goto",
                                        "Invalid Label/Numeral In Macro\nInstruction: gotoif"}));
    EXPECT_EQ(BoxTexts("Compiler Error").size(), 4u);
}

TEST_F(PixcodeCompile, UnimplementedWordsAreRefused) {
    for (const char* w : {"function", "end_func", "call", "reserved_5"}) {
        uiscript_Reset();
        CompileText(std::string("copy red,#1 ") + w, &c);
        EXPECT_FALSE(c.ok);
        ASSERT_EQ(uiscript_Boxes().size(), 2u);
        EXPECT_EQ(uiscript_Boxes()[0].text, "Unknown Instruction Macro");
        EXPECT_EQ(uiscript_Boxes()[1].text, kLabelError);
    }
    // As an operand the same word is only a number.
    CompileText("copy red,function", &c);
    EXPECT_TRUE(c.ok);
}

TEST_F(PixcodeCompile, JumpTableKeepsTheLastDefinition) {
    CompileText("label #3 copy red,#1 label #3 label #255 goto #9", &c);
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.m.jump[3], 5);
    EXPECT_EQ(c.m.jump[255], 7);
    EXPECT_EQ(c.m.jump[9], 0);
    EXPECT_TRUE(c.m.ready);
    // A second pass over a ready table leaves it as it was.
    PixCell moved[PIX_CELLS] = {{PIX_LABEL, C}, {3, N}};
    EXPECT_EQ(pix_BuildJumpTable(moved, PIX_CELLS, &c.m), 1);
    EXPECT_EQ(c.m.jump[3], 5);
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
