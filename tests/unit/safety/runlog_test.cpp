// The runtime log: both line formats, the header, and one file per run.
#include <gtest/gtest.h>
#include <filesystem>
#include <regex>
#include <string>
#include "safety/runlog.h"
#include "support/scratch.h"

namespace {
SioTime At(int h, int m, int s, int ms) {
    SioTime t{2024, 3, 5, h, m, s, ms};
    return t;
}
}  // namespace

TEST(RunLogFormat, DecimalAndHexadecimalLines) {
    const struct {
        std::string got;
        const char* want;
    } cases[] = {
        {log_FormatLine(At(9, 5, 7, 42), "Low color depth", 16, 0, 0), "09:05:07 hrs, 042 ms : Low color depth : 16, 0\r\n"},
        {log_FormatLine(At(23, 59, 59, 999), "m", -1, 2147483647, 0), "23:59:59 hrs, 999 ms : m : -1, 2147483647\r\n"},
        // "%#08x": no prefix for zero, else "0x" and at least six digits.
        {log_FormatLine(At(0, 0, 0, 0), "Failed : Loading StartImage", 0x1234, 0, 1),
         "00:00:00 hrs, 000 ms : Failed : Loading StartImage : 0x001234, 00000000\r\n"},
        {log_FormatLine(At(1, 2, 3, 4), "x", 0xC0000005u, -1, 1), "01:02:03 hrs, 004 ms : x : 0xc0000005, 0xffffffff\r\n"},
        // 32-bit words print as the caller's int would, even above 2^31; wider values are not cut.
        {log_FormatLine(At(1, 2, 3, 4), "x", 0xFFFFFFFFu, 0, 0), "01:02:03 hrs, 004 ms : x : -1, 0\r\n"},
        {log_FormatLine(At(1, 2, 3, 4), "x", 0x140001234LL, 0, 1), "01:02:03 hrs, 004 ms : x : 0x140001234, 00000000\r\n"},
        {log_FormatAddressLine(At(1, 2, 3, 4), "a", 0xFFFFFFFFFFFFFFF0ull, 0x10),
         "01:02:03 hrs, 004 ms : a : 0xfffffffffffffff0, 0x000010\r\n"},
        {log_FormatHeader(At(1, 1, 1, 1)), "Orvik's Kelvara 1.80\r\nRuntime Error Log\r\nCreated on: 5 Mar, 2024\r\n\r\n"},
        // Months out of range: |month - 1| mod 12 picks an entry instead of reading past.
        {log_FormatHeader({1999, 12, 31, 0, 0, 0, 0}).substr(41), "Created on: 31 Dec, 1999\r\n\r\n"},
        {log_FormatHeader({1999, 0, 31, 0, 0, 0, 0}).substr(41), "Created on: 31 Feb, 1999\r\n\r\n"},
        {log_FormatHeader({1999, 40, 31, 0, 0, 0, 0}).substr(41), "Created on: 31 Apr, 1999\r\n\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(RunLogFile, EachRunStartsTheFileAfresh) {
    Scratch s;
    log_NewRun();
    ASSERT_EQ(LogEntry("first", 1, 2, 0), 1);
    ASSERT_EQ(LogEntry("second", 3, 4, 1), 1);
    EXPECT_EQ(log_EntryCount(), 2);
    std::regex twoLines(
        "Orvik's Kelvara 1\\.80\r\nRuntime Error Log\r\nCreated on: \\d+ [A-Z][a-z]{2}, \\d{4}\r\n\r\n"
        "\\d\\d:\\d\\d:\\d\\d hrs, \\d\\d\\d ms : first : 1, 2\r\n"
        "\\d\\d:\\d\\d:\\d\\d hrs, \\d\\d\\d ms : second : 0x000003, 0x000004\r\n");
    EXPECT_TRUE(std::regex_match(s.Text("Kelvara.log"), twoLines)) << s.Text("Kelvara.log");
    log_NewRun();
    ASSERT_EQ(LogEntry("third", 0, 0, 0), 1);
    const std::string t = s.Text("Kelvara.log");
    EXPECT_EQ(t.find("first"), std::string::npos);
    EXPECT_EQ(t.find("Runtime Error Log"), t.rfind("Runtime Error Log"));
    EXPECT_NE(t.find(" : third : 0, 0\r\n"), std::string::npos);
}

TEST(RunLogFile, AnUnwritableLogDropsTheEntryAndKeepsTheHeaderForLater) {
    Scratch s;
    log_NewRun();
    std::filesystem::create_directory(s.At("Kelvara.log"));  // a folder in the way
    EXPECT_EQ(LogEntry("dropped", 0, 0, 0), 0);
    EXPECT_EQ(log_EntryCount(), 0);
    std::filesystem::remove(s.At("Kelvara.log"));
    ASSERT_EQ(LogEntry("kept", 0, 0, 0), 1);
    const std::string t = s.Text("Kelvara.log");
    EXPECT_EQ(t.rfind("Orvik's Kelvara 1.80\r\n", 0), 0u);
    EXPECT_EQ(t.find("dropped"), std::string::npos);
    path_Build(nullptr);  // no program folder: nowhere to log
    EXPECT_EQ(LogEntry("nowhere", 0, 0, 0), 0);
}
