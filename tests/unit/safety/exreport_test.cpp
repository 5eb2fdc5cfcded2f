// The exception report: log lines, descriptions with their values, and the boxes.
#include <gtest/gtest.h>
#include <string>
#include "safety/exreport.h"
#include "safety/runlog.h"
#include "support/ui_script.h"
#include "support/scratch.h"

namespace {


CaughtException Make(uint32_t code, uint64_t info0, uint32_t flags = 0) {
    CaughtException e{};
    e.code = code;
    e.flags = flags;
    e.address = 0x140001a2b;
    e.parameterCount = 2;
    e.information[0] = info0;
    e.information[1] = 0xDEAD;
    return e;
}

}  // namespace

// Where it happened and what, with its value, in the log; a box announcing it and one
// describing it; three tones. Information words count only for access violations.
TEST(ExceptionReport, EveryCodeIsLoggedAndShownWithItsDescription) {
    Scratch s;
    log_NewRun();
    struct Row {
        uint32_t code;
        const char* text;
        uint64_t info0 = 1;
        const char* value = "00000000";
    };
    const Row rows[] = {
        {0xC0000005u, "Access Violation - Writing", 1, "0x00dead"},
        {0xC0000005u, "Access Violation - Reading", 0, "0x00dead"},
        {0xE0434F4Du, "Unknown Exception/Error", 1, "0xe0434f4d"},
        {0x80000002u, "Datatype Misaligned"},   {0x80000003u, "Breakpoint"},
        {0x80000004u, "Trace Single Step"},     {0xC0000006u, "In-page Error"},
        {0xC000001Du, "Illegal Instruction"},   {0xC0000025u, "Noncontinuable Exception"},
        {0xC0000026u, "Invalid Disposition"},   {0xC000008Cu, "Array Bounds Exceeded"},
        {0xC000008Du, "Denormal Float Operand"}, {0xC000008Eu, "Float Divide By Zero"},
        {0xC000008Fu, "Float Inexact Result"},  {0xC0000090u, "Float Invalid Operation"},
        {0xC0000091u, "Float Overflow"},        {0xC0000092u, "Float Stack O/U-flow"},
        {0xC0000093u, "Float Underflow"},       {0xC0000094u, "Integer Divide By Zero"},
        {0xC0000095u, "Integer Overflow"},      {0xC0000096u, "Priviledged Instruction"},
        {0xC00000FDu, "Stack Overflow"},
    };
    for (const Row& r : rows) {
        uiscript_Reset();
        exr_SetCaught(Make(r.code, r.info0));
        EXPECT_EQ(ReportException(), 1);
        const std::string what = std::string(" **") + r.text + "**";
        EXPECT_EQ(s.LogTail(), (std::vector<std::string>{"An error occurred at : 0x140001a2b, 00000000",
                                                         what + " : " + r.value + ", 00000000"}));
        EXPECT_EQ(uiscript_BoxLines(), (std::vector<std::string>{"Non-Fatal Error: Error, trying to continue execution...\n"
                                                                 "See Kelvara.log for details.",
                                                                 "Error Description: " + what}));
        for (const auto& b : uiscript_Boxes()) EXPECT_EQ(b.flags, 0x30u | 0x2000 | 0x10000 | 0x40000) << r.text;
        EXPECT_EQ(uiscript_BeepCount(), 3);
    }
}

// A non-continuable exception is announced as fatal, even with nowhere to log.
TEST(ExceptionReport, NonContinuableIsFatalAndAReadOnlyFolderStillAnnounces) {
    Scratch s;
    log_NewRun();
    uiscript_Reset();
    path_Build(nullptr);
    exr_SetCaught(Make(0xC0000094u, 0, EXR_NONCONTINUABLE));
    EXPECT_EQ(ReportException(), 1);
    ASSERT_EQ(uiscript_BoxLines().size(), 2u);
    EXPECT_EQ(uiscript_BoxLines()[0], "Fatal Error: Fatal Error, cannot continue...\nSee Kelvara.log for details.");
}
