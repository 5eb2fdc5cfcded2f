// Auto-save under Windows: a 4096 x 4096 snapshot in 64 full chunks taken before the
// image changes, stray .tmp files removed at start-up, restoring through the dialog
// (the point becomes this run's, a clean exit removes it), Delete and Delete All, and
// points that are short or hostile.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>
#include "engine/engine.h"
#include "safety/autosave_win32.h"
#include "safety/safety_ids.h"
#include "support/scratch.h"
#include "support/test_surface.h"
#include "support/ui_script.h"
#include "support/win_driver_win32.h"

namespace {

struct Autosave : ::testing::Test {
    Scratch s{"kvas"};
    void SetUp() override {
        eng_Init();
        uiscript_Reset();
        as_Reset();
    }
    int Save(Surface* image) {  // a finished point under this run's ID
        int r;
        while ((r = StartAutosave(image)) == 0) Sleep(1);
        return r;
    }
    std::vector<std::string> Files() {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(s.At("Autosave")))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // RestoreAutosave with `user` driving its dialog.
    int Restore(Surface* into, std::function<void(HWND)> user) {
        std::thread t = DriveWindowLater("Select Autosaved Image To Restore", user);
        int r = RestoreAutosave(nullptr, into);
        t.join();
        return r;
    }
};

int Count(HWND d) { return (int)SendDlgItemMessageA(d, IDC_AS_LIST, LB_GETCOUNT, 0, 0); }

std::string Item(HWND d, int i) {
    char text[32] = "";
    SendDlgItemMessageA(d, IDC_AS_LIST, LB_GETTEXT, i, (LPARAM)text);
    return text;
}

void SelectId(HWND d, const std::string& id) {
    for (int i = 0; i < Count(d); i++)
        if (Item(d, i) == id) SendDlgItemMessageA(d, IDC_AS_LIST, LB_SETCURSEL, i, 0);
}

}  // namespace

TEST_F(Autosave, LargeImageInFullChunksNeverTorn) {
    as_DrawRunId(1);
    TestSurface image(4096, 4096);
    // Painting goes on between the polls: the point holds one whole state of the image.
    int r = 0;
    for (uint32_t k = 1; r == 0; k++) {
        FillAll(image.get(), 0x01010101u * k);
        r = StartAutosave(image.get());
    }
    EXPECT_EQ(r, 1);
    EXPECT_EQ(as_State(), AS_IDLE);
    EXPECT_EQ(as_LastChunks(), 64);
    EXPECT_EQ(Files(), std::vector<std::string>{"41.kvr"});
    std::vector<uint8_t> file = s.Read("Autosave\\41.kvr");
    AsHeader h;
    ASSERT_EQ(file.size(), AS_HEADER_SIZE + 67108864u);
    ASSERT_TRUE(as_GetHeader(file.data(), file.size(), &h));
    EXPECT_EQ((Dims{h.width, h.height}), (Dims{4096, 4096}));
    const uint8_t* px = file.data() + AS_HEADER_SIZE;
    EXPECT_NE(px[0], 0);
    EXPECT_EQ(std::count(px, px + 67108864u, px[0]), 67108864);
}

TEST_F(Autosave, StartUpFindsPointsAndRemovesHalfWrittenOnes) {
    const struct {
        std::vector<std::string> present;
        int any;
        std::vector<std::string> after;
    } cases[] = {{{}, 0, {}}, {{"5.tmp"}, 0, {}}, {{"7.kvr", "8.tmp", "9.tmp"}, 1, {"7.kvr"}}};
    for (const auto& c : cases) {
        std::filesystem::remove_all(s.At("Autosave"));
        std::filesystem::create_directories(s.At("Autosave"));
        for (const std::string& n : c.present) s.Write("Autosave\\" + n);
        EXPECT_EQ(AnyAutosavePoints(), c.any);
        EXPECT_EQ(Files(), c.after);
    }
}

TEST_F(Autosave, RestoreDialogAndRefusedPoints) {
    TestSurface image(37, 21);
    std::mt19937 rng(3);
    FillRandom(image.get(), rng);
    as_DrawRunId(1);
    ASSERT_EQ(Save(image.get()), 1);  // 41.kvr, a crashed run's good point
    std::vector<uint8_t> good = s.Read("Autosave\\41.kvr");
    s.Write("Autosave\\12.kvr", std::vector<uint8_t>(good.begin(), good.end() - 1));  // one byte short
    s.Write("Autosave\\13.kvr", std::vector<uint8_t>(100, 0xFF));                     // no whole header
    as_Reset();
    ASSERT_EQ(as_DrawRunId(1), 18467);  // this run skips 41
    TestSurface into(3, 3);
    FillAll(into.get(), 0x01020304);
    // Only points with a readable header are listed; the short one is refused and
    // leaves the image as it was.
    std::vector<std::string> listed;
    auto pick = [&](const char* id) {
        return [&listed, id](HWND d) {
            listed.clear();
            for (int i = 0; i < Count(d); i++) listed.push_back(Item(d, i));
            SelectId(d, id);
            PressButton(d, IDOK);
        };
    };
    // Help opens the viewer (no help file beside the tests: it says so).
    EXPECT_EQ(Restore(into.get(), [](HWND d) {
                  PressButton(d, IDHELP);
                  PressButton(d, IDCANCEL);
              }),
              0);
    ASSERT_FALSE(uiscript_Statuses().empty());
    EXPECT_EQ(uiscript_Statuses().back(), " Connecting to HTML Help...");
    uiscript_Reset();
    EXPECT_EQ(Restore(into.get(), pick("12")), 0);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"12", "41"}));
    EXPECT_EQ(into->width, 3u);
    EXPECT_EQ(WordAt(into.get(), 2, 2), 0x01020304u);
    // A restored point becomes this run's; a clean exit removes it.
    EXPECT_EQ(Restore(into.get(), pick("41")), 1);
    EXPECT_TRUE(SameSurface(into.get(), image.get()));
    EXPECT_EQ(Files(), (std::vector<std::string>{"12.kvr", "13.kvr", "18467.kvr"}));
    DeleteRunAutosave();
    EXPECT_EQ(Files(), (std::vector<std::string>{"12.kvr", "13.kvr"}));
    // Delete asks about the ID and refills; Delete All leaves an empty folder.
    uiscript_QueueBox("Delete Auto-save Point?", UI_IDYES);
    uiscript_QueueBox("Purge All Auto-save Info?", UI_IDYES);
    int afterDelete = -1;
    EXPECT_EQ(Restore(into.get(), [&](HWND d) {
                  SelectId(d, "12");
                  SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_AS_DELETE, BN_CLICKED), 0);  // handled on return
                  afterDelete = Count(d);
                  PressButton(d, IDC_AS_DELETE_ALL);
              }),
              0);
    EXPECT_EQ(afterDelete, 0);
    ASSERT_EQ(uiscript_Boxes().size(), 2u);
    EXPECT_EQ(uiscript_Boxes()[0].text, "Are you sure you want to delete 12?");
    EXPECT_EQ(uiscript_Boxes()[1].text, "All auto-save info will be lost!!\nAre you sure you want to do this?");
    EXPECT_TRUE(std::filesystem::is_directory(s.At("Autosave")));
    EXPECT_TRUE(Files().empty());
}
