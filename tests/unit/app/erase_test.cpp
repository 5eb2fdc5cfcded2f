// The erase stage: its messages, exit codes and which folders it removes.
#include <gtest/gtest.h>
#include <filesystem>
#include "app/erase.h"
#include "support/ui_script.h"
#include "support/scratch.h"

namespace fs = std::filesystem;

namespace {
const unsigned ERASE_FLAGS = 0x1000 | 0x40000 | 0x10000;  // system-modal, top-most, foreground
}

TEST(EraseStage, RemovesTheProgramAndItsOwnEmptyFolders) {
    Scratch s;
    s.Write("Orvik Lab/Kelvara/kelvara.exe", {1});
    uiscript_Reset();
    std::string line = "/erase_me \"" + s.dir + "\\Orvik Lab\\Kelvara\\kelvara.exe\"";
    EXPECT_EQ(EraseStage(line.c_str()), 0);
    EXPECT_FALSE(fs::exists(s.At("Orvik Lab")));
    EXPECT_TRUE(fs::exists(s.host));  // its name has neither word: the loop stops there
    EXPECT_TRUE(uiscript_Boxes().empty());
    EXPECT_EQ(uiscript_SleptMs(), 500u);  // the program that started us gets time to end
}

TEST(EraseStage, StopsAtAFolderThatIsNotEmptyOrNotOurs) {
    Scratch s;
    s.Write("Orvik Lab/Kelvara/kelvara.exe", {1});
    s.Write("Orvik Lab/other.txt", {1});
    std::string line = "/erase_me \"" + s.dir + "\\Orvik Lab\\Kelvara\\kelvara.exe\"";
    EXPECT_EQ(EraseStage(line.c_str()), 0);
    EXPECT_FALSE(fs::exists(s.At("Orvik Lab/Kelvara")));
    EXPECT_TRUE(fs::exists(s.At("Orvik Lab/other.txt")));

    s.Write("Tools/Empty/kelvara.exe", {1});  // folders without either word stay
    line = "/erase_me \"" + s.dir + "\\Tools\\Empty\\kelvara.exe\"";
    EXPECT_EQ(EraseStage(line.c_str()), 0);
    EXPECT_FALSE(fs::exists(s.At("Tools/Empty/kelvara.exe")));
    EXPECT_TRUE(fs::exists(s.At("Tools/Empty")));

    s.Write("KELVARA/kelvara.exe", {1});  // the test is on the lower-cased path
    line = "/erase_me \"" + s.dir + "\\KELVARA\\kelvara.exe\"";
    EXPECT_EQ(EraseStage(line.c_str()), 0);
    EXPECT_FALSE(fs::exists(s.At("KELVARA")));
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
