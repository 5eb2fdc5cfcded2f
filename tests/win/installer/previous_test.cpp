// A previous installation whose program has no readable version: the override deletes
// it when asked (asking again while the file is in use, until Cancel), its settings
// are kept for the import either way, and its "Samples" folder becomes "Images".
#include <gtest/gtest.h>
#include <windows.h>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include "installer/setup_steps_win32.h"
#include "support/scratch.h"
#include "support/ui_script.h"

namespace {

std::vector<std::string> titles() {
    std::vector<std::string> t;
    for (const UiRecordedBox& b : uiscript_Boxes()) t.push_back(b.title);
    return t;
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TEST(SetupPrevious, AnUnreadableVersionOffersTheOverride) {
    Scratch s("kvsetup");
    SetupRun run;
    ASSERT_EQ(setup_BuildPaths(&run, (s.dir + "\\").c_str()), 1);
    s.Write("Kelvara.exe", "no version resource in here");
    s.Write("Kelvara.kvr", "the old settings");
    s.Write("Samples\\mine.kv5", "mine");

    // In use, the program cannot be deleted: the warning comes until Cancel.
    HANDLE busy = CreateFileA(run.program, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    uiscript_Reset();
    uiscript_QueueBox("Bug Correction", UI_IDYES);
    uiscript_QueueBox("Important!!", UI_IDOK);
    uiscript_QueueBox("Important!!", UI_IDCANCEL);
    EXPECT_EQ(setup_HandlePrevious(&run), 1);
    CloseHandle(busy);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Bug Correction", "Important!!", "Important!!"}));
    EXPECT_TRUE(exists(run.program));
    ASSERT_EQ(run.haveSettingsCopy, 1);
    std::ifstream copy(run.settingsCopy, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copy), {}), "the old settings");
    copy.close();
    EXPECT_EQ(s.Text("Images\\mine.kv5"), "mine");
    EXPECT_FALSE(exists(s.At("Samples")));

    // Free again: one "Yes" and it is gone.
    uiscript_Reset();
    uiscript_QueueBox("Bug Correction", UI_IDYES);
    EXPECT_EQ(setup_HandlePrevious(&run), 1);
    EXPECT_EQ(titles(), std::vector<std::string>{"Bug Correction"});
    EXPECT_FALSE(exists(run.program));
    DeleteFileA(run.settingsCopy);
}
