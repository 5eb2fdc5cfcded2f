// The exception report: log lines, descriptions with their values, and the boxes.
#include <gtest/gtest.h>
#include <string>
#include "safety/exreport.h"
#include "safety/runlog.h"
#include "support/ui_script.h"
#include "support/scratch.h"

namespace {

const unsigned REPORT_FLAGS = 0x30 | 0x2000 | 0x10000 | 0x40000;

// The last `n` lines of the log, without their time stamps.
std::vector<std::string> LastLines(const Scratch& s, size_t n) {
    std::vector<uint8_t> b = s.Read("Kelvara.log");
    std::string t(b.begin(), b.end());
    std::vector<std::string> lines;
    size_t at = 0, end;
    while ((end = t.find("\r\n", at)) != std::string::npos) {
        lines.push_back(t.substr(at, end - at));
        at = end + 2;
    }
    std::vector<std::string> out;
    for (size_t i = lines.size() - n; i < lines.size(); i++) {
        size_t cut = lines[i].find(" ms : ");
        out.push_back(cut == std::string::npos ? lines[i] : lines[i].substr(cut + 6));
    }
    return out;
}

CaughtException Make(uint32_t code, uint64_t address, uint64_t info0 = 0, uint64_t info1 = 0) {
    CaughtException e{};
    e.code = code;
    e.address = address;
    e.parameterCount = 2;
    e.information[0] = info0;
    e.information[1] = info1;
    return e;
}

}  // namespace

TEST(ExceptionReport, AccessViolationsNameTheAddress) {
    Scratch s;
    log_NewRun();
    uiscript_Reset();
    exr_SetCaught(Make(0xC0000005u, 0x140001a2b, 1, 0x5678));
    EXPECT_EQ(ReportException(), 1);
    auto lines = LastLines(s, 2);
    EXPECT_EQ(lines[0], "An error occurred at : 0x140001a2b, 00000000");
    EXPECT_EQ(lines[1], " **Access Violation - Writing** : 0x005678, 00000000");

    exr_SetCaught(Make(0xC0000005u, 0x401000, 0, 0));
    ReportException();
    lines = LastLines(s, 2);
    EXPECT_EQ(lines[0], "An error occurred at : 0x401000, 00000000");
    EXPECT_EQ(lines[1], " **Access Violation - Reading** : 00000000, 00000000");

    const auto& boxes = uiscript_Boxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].title, "Non-Fatal Error");
    EXPECT_EQ(boxes[0].text, "Error, trying to continue execution...\nSee Kelvara.log for details.");
    EXPECT_EQ(boxes[1].title, "Error Description");
    EXPECT_EQ(boxes[1].text, " **Access Violation - Writing**");
    EXPECT_EQ(boxes[3].text, " **Access Violation - Reading**");
    for (const auto& b : boxes) EXPECT_EQ(b.flags, REPORT_FLAGS);
    EXPECT_EQ(uiscript_BeepCount(), 6);  // three tones per report
}

TEST(ExceptionReport, EveryCodeOfTheTable) {
    Scratch s;
    log_NewRun();
    struct Row {
        uint32_t code;
        const char* text;
    } rows[] = {
        {0x80000002u, " **Datatype Misaligned**"},   {0x80000003u, " **Breakpoint**"},
        {0x80000004u, " **Trace Single Step**"},     {0xC0000006u, " **In-page Error**"},
        {0xC000001Du, " **Illegal Instruction**"},   {0xC0000025u, " **Noncontinuable Exception**"},
        {0xC0000026u, " **Invalid Disposition**"},   {0xC000008Cu, " **Array Bounds Exceeded**"},
        {0xC000008Du, " **Denormal Float Operand**"}, {0xC000008Eu, " **Float Divide By Zero**"},
        {0xC000008Fu, " **Float Inexact Result**"},  {0xC0000090u, " **Float Invalid Operation**"},
        {0xC0000091u, " **Float Overflow**"},        {0xC0000092u, " **Float Stack O/U-flow**"},
        {0xC0000093u, " **Float Underflow**"},       {0xC0000094u, " **Integer Divide By Zero**"},
        {0xC0000095u, " **Integer Overflow**"},      {0xC0000096u, " **Priviledged Instruction**"},
        {0xC00000FDu, " **Stack Overflow**"},
    };
    for (const Row& r : rows) {
        uiscript_Reset();
        // Information words of other codes carry no meaning for the report.
        exr_SetCaught(Make(r.code, 0x1000, 1, 0xDEAD));
        ReportException();
        EXPECT_EQ(LastLines(s, 1)[0], std::string(r.text) + " : 00000000, 00000000") << std::hex << r.code;
        ASSERT_EQ(uiscript_Boxes().size(), 2u);
        EXPECT_EQ(uiscript_Boxes()[1].text, r.text);
    }
}

TEST(ExceptionReport, UnknownCodesLogTheCodeAndNonContinuableOnesAreFatal) {
    Scratch s;
    log_NewRun();
    uiscript_Reset();
    CaughtException e = Make(0xE0434F4Du, 0x2000);
    e.flags = EXR_NONCONTINUABLE;
    exr_SetCaught(e);
    ReportException();
    EXPECT_EQ(LastLines(s, 1)[0], " **Unknown Exception/Error** : 0xe0434f4d, 00000000");
    const auto& boxes = uiscript_Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].title, "Fatal Error");
    EXPECT_EQ(boxes[0].text, "Fatal Error, cannot continue...\nSee Kelvara.log for details.");
    EXPECT_EQ(boxes[1].title, "Error Description");
    EXPECT_EQ(boxes[1].text, " **Unknown Exception/Error**");
}

TEST(ExceptionReport, AReadOnlyFolderStillAnnounces) {
    Scratch s;
    log_NewRun();
    uiscript_Reset();
    path_Build(nullptr);
    exr_SetCaught(Make(0xC0000094u, 0x3000));
    EXPECT_EQ(ReportException(), 1);
    EXPECT_EQ(uiscript_Boxes().size(), 2u);
}
