// The erase stage: its messages, exit codes and which folders it removes.
#include <gtest/gtest.h>
#include <filesystem>
#include <string>
#include <vector>
#include "app/erase.h"
#include "support/ui_script.h"
#include "support/scratch.h"

namespace fs = std::filesystem;

namespace {
const unsigned ERASE_FLAGS = 0x1000 | 0x40000 | 0x10000;  // system-modal, top-most, foreground
}

// The program goes, then each empty folder above it whose lower-cased name holds
// "orvik" or "kelvara"; the first that is not empty, or not ours, stops the climb.
TEST(EraseStage, RemovesTheProgramAndItsOwnEmptyFolders) {
    const struct {
        std::vector<std::string> files;  // the program first
        const char *gone, *kept;
    } cases[] = {
        {{"Orvik Lab/Kelvara/kelvara.exe"}, "Orvik Lab", ""},
        {{"Orvik Lab/Kelvara/kelvara.exe", "Orvik Lab/other.txt"}, "Orvik Lab/Kelvara", "Orvik Lab/other.txt"},
        {{"Tools/Empty/kelvara.exe"}, "Tools/Empty/kelvara.exe", "Tools/Empty"},
        {{"KELVARA/kelvara.exe"}, "KELVARA", ""},
    };
    for (const auto& c : cases) {
        Scratch s;
        for (const std::string& f : c.files) s.Write(f, {1});
        std::string program = s.dir + "\\" + c.files[0];
        for (char& ch : program)
            if (ch == '/') ch = '\\';
        uiscript_Reset();
        EXPECT_EQ(EraseStage(("/erase_me \"" + program + "\"").c_str()), 0) << program;
        EXPECT_FALSE(fs::exists(s.At(c.gone))) << program;
        EXPECT_TRUE(fs::exists(s.At(c.kept))) << program;
        EXPECT_TRUE(uiscript_Boxes().empty());
        EXPECT_EQ(uiscript_SleptMs(), 500u);  // the program that started us gets time to end
    }
}

TEST(EraseStage, NoQuotedPathIsAnInvalidLine) {
    for (const char* line : {"/erase_me", "/erase_me \"C:\\x.exe", "", "\""}) {
        uiscript_Reset();
        EXPECT_EQ(EraseStage(line), -99) << line;
        ASSERT_EQ(uiscript_BoxLines(), std::vector<std::string>{"Uninstall Error: Invalid command line format"});
        EXPECT_EQ(uiscript_Boxes()[0].flags, ERASE_FLAGS);
        EXPECT_EQ(uiscript_SleptMs(), 0u);
    }
    EXPECT_EQ(EraseStage(nullptr), -99);
}

TEST(EraseStage, AMissingFileIsReportedByName) {
    Scratch s;
    uiscript_Reset();
    std::string path = s.dir + "\\Kelvara\\gone.exe";
    EXPECT_EQ(EraseStage(("/erase_me \"" + path + "\"").c_str()), -99);
    EXPECT_EQ(uiscript_BoxLines(), std::vector<std::string>{"Uninstall Error: The file '" + path + "' was not found."});
}
