// shell_e2e_win32.cpp — end-to-end checks of kelvara.exe: start-up, title and status
// line, the child layout, zoom through menu commands and keys, the recent-files
// order, Save of an untitled image, the close questions and /nogui.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "app/app_ids.h"
#include "e2e/driver_win32.h"
#include "engine/engine.h"
#include "engine/shape.h"
#include "engine/surface.h"
#include "formats/kv5_file.h"
#include "settings/settings.h"

namespace {

const int START_MS = 30000;

std::string settings_file(const SettingsRecord& r) {
    std::string bytes(SET_FILE_SIZE, '\0');
    set_Encode(&r, (uint8_t*)&bytes[0]);
    return bytes;
}

SettingsRecord quiet_settings() {
    SettingsRecord r;
    std::memset(&r, 0, sizeof r);
    r.undoMB = 8;
    r.tutorialCount = 3;  // the tutorial question has been seen
    r.previousTool = 4;
    return r;
}

struct Running {
    KvProcess p;
    ~Running() { drv_Kill(&p); }
};

void start(Running* r, const char* folderName, const SettingsRecord& s, const char* args = "") {
    std::string dir = drv_MakeFolder(folderName, settings_file(s));
    ASSERT_TRUE(drv_Start(&r->p, dir, args));
    ASSERT_NE(drv_WaitMain(&r->p, START_MS), nullptr);
    ASSERT_TRUE(drv_WaitStatus(r->p.main, " All systems go!!", START_MS)) << drv_Status(r->p.main);
}

int view_zoom(HWND main, int) {
    return (int)GetWindowLongPtrA(drv_Child(main, "kelvara_wnd_view"), GWLP_USERDATA);
}

int wait_zoom(HWND main, int want) {
    for (int t = 0; t < 100; t++) {
        if (view_zoom(main, 640) == want) return want;
        Sleep(50);
    }
    return view_zoom(main, 640);
}

void close_with_yes(Running* r) {
    PostMessageA(r->p.main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(drv_Answer(&r->p, "Confirm Exit", IDYES, 10000));
    EXPECT_EQ(drv_WaitExit(&r->p, 20000), 0u);
}

TEST(Shell, StartsWithTitleStatusAndStartImage) {
    Running r;
    start(&r, "startup", quiet_settings());
    EXPECT_EQ(drv_Text(r.p.main), "Kelvara 1.80");
    for (const char* cls : {"kelvara_wnd_view", "kelvara_wnd_toolbar", "kelvara_wnd_colorbar",
                            "kelvara_wnd_quickpal", "kelvara_wnd_linkbar"})
        EXPECT_NE(drv_Child(r.p.main, cls), nullptr) << cls;
    // The start image is 640 pixels wide at zoom 1.
    EXPECT_EQ(view_zoom(r.p.main, 640), 1);
    close_with_yes(&r);
}

TEST(Shell, LayoutOfAClientArea900By500) {
    Running r;
    start(&r, "layout", quiet_settings());
    RECT wr, cr;
    GetWindowRect(r.p.main, &wr);
    GetClientRect(r.p.main, &cr);
    int fw = (wr.right - wr.left) - cr.right, fh = (wr.bottom - wr.top) - cr.bottom;
    SetWindowPos(r.p.main, nullptr, 0, 0, 900 + fw, 500 + fh, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(r.p.main, &cr);
    ASSERT_EQ(cr.right, 900);
    ASSERT_EQ(cr.bottom, 500);
    HWND quick = drv_Child(r.p.main, "kelvara_wnd_quickpal");
    RECT q = drv_ChildRect(r.p.main, quick);
    EXPECT_EQ(q.left, 506);
    EXPECT_EQ(q.top, 434);
    EXPECT_EQ(q.right - q.left, 384);
    EXPECT_FALSE(IsWindowVisible(drv_Child(r.p.main, "kelvara_wnd_linkbar")));
    RECT v = drv_ChildRect(r.p.main, drv_Child(r.p.main, "kelvara_wnd_view"));
    EXPECT_EQ(v.left, 50);
    EXPECT_EQ(v.top, 10);
    EXPECT_EQ(v.right - v.left, 840);
    EXPECT_EQ(v.bottom - v.top, 420);
    RECT s = drv_ChildRect(r.p.main, GetDlgItem(r.p.main, 6));
    EXPECT_EQ(s.top, 478);
    EXPECT_EQ(s.right - s.left, 822);
    close_with_yes(&r);
}

TEST(Shell, ZoomThroughMenuCommandsAndKeys) {
    Running r;
    start(&r, "zoom", quiet_settings());
    drv_Command(r.p.main, CMD_ZOOM_IN);
    EXPECT_EQ(wait_zoom(r.p.main, 2), 2);
    drv_Command(r.p.main, CMD_ZOOM_IN);
    EXPECT_EQ(wait_zoom(r.p.main, 4), 4);
    drv_Command(r.p.main, CMD_ZOOM_OUT);
    EXPECT_EQ(wait_zoom(r.p.main, 2), 2);
    drv_Command(r.p.main, CMD_ZOOM_RESET);
    EXPECT_EQ(wait_zoom(r.p.main, 1), 1);
    drv_Command(r.p.main, CMD_ZOOM_OUT);  // stays at 1
    Sleep(300);
    EXPECT_EQ(view_zoom(r.p.main, 640), 1);
    for (int i = 0; i < 3; i++) drv_Key(r.p.main, VK_PRIOR);
    EXPECT_EQ(wait_zoom(r.p.main, 8), 8);
    Sleep(500);
    EXPECT_TRUE(drv_SaveScreen(r.p.folder + "\\zoom8.bmp"));
    for (int i = 0; i < 5; i++) drv_Key(r.p.main, VK_PRIOR);
    EXPECT_EQ(wait_zoom(r.p.main, 64), 64);  // stops at 64
    drv_Key(r.p.main, VK_NEXT);
    EXPECT_EQ(wait_zoom(r.p.main, 32), 32);
    drv_Key(r.p.main, VK_HOME);
    EXPECT_EQ(wait_zoom(r.p.main, 1), 1);
    close_with_yes(&r);
}

TEST(Shell, MenuHelpNotepadHistoryAndWheel) {
    Running r;
    start(&r, "help", quiet_settings());
    HMENU menu = GetMenu(r.p.main);
    SendMessageA(r.p.main, WM_MENUSELECT, MAKEWPARAM(CMD_OPEN, MF_HILITE), (LPARAM)menu);
    EXPECT_EQ(drv_Status(r.p.main), " Open an existing image");
    SendMessageA(r.p.main, WM_MENUSELECT, MAKEWPARAM(CMD_HEADING, MF_HILITE), (LPARAM)menu);
    EXPECT_EQ(drv_Status(r.p.main), "");
    SendMessageA(r.p.main, WM_MENUSELECT, MAKEWPARAM(CMD_OPEN, MF_HILITE), (LPARAM)menu);
    // F3 keeps the status text for the notepad.
    drv_Key(r.p.main, VK_F3);
    EXPECT_TRUE(drv_WaitStatus(r.p.main, " ::Sent To Notepad::", 5000));
    drv_Command(r.p.main, CMD_NOTEPAD);
    HWND pad = drv_FindOwned(&r.p, "Kelvara - Notepad", 10000);
    ASSERT_NE(pad, nullptr);
    EXPECT_EQ(drv_Text(GetDlgItem(pad, IDC_NOTEPAD_TEXT)), " Open an existing image\r\n");
    PostMessageA(pad, WM_COMMAND, IDCANCEL, 0);
    // The wheel zooms, but not with Ctrl held.
    PostMessageA(r.p.main, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-120), 0);
    EXPECT_EQ(wait_zoom(r.p.main, 2), 2);
    SendMessageA(r.p.main, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, (WORD)(short)120), 0);
    EXPECT_EQ(view_zoom(r.p.main, 640), 2);
    PostMessageA(r.p.main, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)120), 0);
    EXPECT_EQ(wait_zoom(r.p.main, 1), 1);
    close_with_yes(&r);
}

void write_image(const std::string& path, uint32_t colour) {
    Surface s;
    std::memset(&s, 0, sizeof s);
    srf_Create(32, 24, &s);
    if (srf_Lock(&s)) {
        drw_FillRect(&s, 0, 0, 31, 23, colour);
        srf_Unlock(&s);
    }
    ASSERT_TRUE(kv5_Save(&s, path.c_str()));
    srf_Destroy(&s);
}

SettingsRecord read_settings(const std::string& folder) {
    SettingsRecord r;
    std::memset(&r, 0, sizeof r);
    FILE* f = std::fopen((folder + "\\Kelvara.kvr").c_str(), "rb");
    uint8_t bytes[SET_FILE_SIZE];
    size_t n = f ? std::fread(bytes, 1, sizeof bytes, f) : 0;
    if (f) std::fclose(f);
    EXPECT_EQ(n, SET_FILE_SIZE);
    EXPECT_TRUE(set_Decode(bytes, n, &r));
    return r;
}

TEST(Shell, OpeningARecentFileMovesItToTheTop) {
    eng_Init();
    SettingsRecord s = quiet_settings();
    std::string dir = drv_MakeFolder("recent", "");
    std::string names[4];
    const char* letters[4] = {"A", "B", "C", "D"};
    for (int i = 0; i < 4; i++) {
        names[i] = dir + "\\" + letters[i] + ".kv5";
        write_image(names[i], 0x00102030u * (i + 1));
        std::strcpy(s.recent[i], names[i].c_str());
    }
    std::string bytes = settings_file(s);
    FILE* f = std::fopen((dir + "\\Kelvara.kvr").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);

    Running r;
    ASSERT_TRUE(drv_Start(&r.p, dir, ""));
    ASSERT_NE(drv_WaitMain(&r.p, START_MS), nullptr);
    ASSERT_TRUE(drv_WaitStatus(r.p.main, " All systems go!!", START_MS));
    drv_Command(r.p.main, CMD_RECENT3);
    std::string want = "Kelvara 1.80 - [ C.kv5 ]";
    for (int t = 0; t < 100 && drv_Text(r.p.main) != want; t++) Sleep(50);
    EXPECT_EQ(drv_Text(r.p.main), want);
    close_with_yes(&r);
    SettingsRecord after = read_settings(dir);
    EXPECT_EQ(std::string(after.recent[0]), names[2]);
    EXPECT_EQ(std::string(after.recent[1]), names[0]);
    EXPECT_EQ(std::string(after.recent[2]), names[1]);
    EXPECT_EQ(std::string(after.recent[3]), names[3]);
    eng_Shutdown();
}

TEST(Shell, SavingAnUntitledImageAsksWhereToSave) {
    Running r;
    start(&r, "save", quiet_settings());
    drv_Command(r.p.main, CMD_SAVE);
    HWND dialog = drv_FindOwned(&r.p, "Save As", 20000);
    ASSERT_NE(dialog, nullptr);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    Sleep(300);
    EXPECT_EQ(drv_Text(r.p.main), "Kelvara 1.80");
    close_with_yes(&r);
}

TEST(Shell, CloseQuestionsWithAndWithoutChanges) {
    Running r;
    start(&r, "close", quiet_settings());
    // No changes: "No" keeps the window open.
    PostMessageA(r.p.main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(drv_Answer(&r.p, "Confirm Exit", IDNO, 10000));
    EXPECT_EQ(drv_WaitExit(&r.p, 1000), (DWORD)STILL_ACTIVE);
    // A change (the negative of the image), then Cancel keeps it open and No ends it.
    drv_Command(r.p.main, CMD_FX_NEGATIVE);
    Sleep(500);
    PostMessageA(r.p.main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(drv_Answer(&r.p, "Confirm Save And Exit", IDCANCEL, 10000));
    EXPECT_EQ(drv_WaitExit(&r.p, 1000), (DWORD)STILL_ACTIVE);
    PostMessageA(r.p.main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(drv_Answer(&r.p, "Confirm Save And Exit", IDNO, 10000));
    EXPECT_EQ(drv_WaitExit(&r.p, 20000), 0u);
}

TEST(Shell, OptionsOkInOneCopyReloadsTheSettingsOfAnother) {
    Running a, b;
    std::string dir = drv_MakeFolder("broadcast", settings_file(quiet_settings()));
    ASSERT_TRUE(drv_Start(&a.p, dir, ""));
    ASSERT_NE(drv_WaitMain(&a.p, START_MS), nullptr);
    ASSERT_TRUE(drv_WaitStatus(a.p.main, " All systems go!!", START_MS));
    ASSERT_TRUE(drv_Start(&b.p, dir, ""));
    ASSERT_NE(drv_WaitMain(&b.p, START_MS), nullptr);
    ASSERT_TRUE(drv_WaitStatus(b.p.main, " All systems go!!", START_MS));

    drv_Command(a.p.main, CMD_OPTIONS);
    HWND options = drv_FindOwned(&a.p, "Kelvara - Options", 10000);
    ASSERT_NE(options, nullptr);
    SendMessageA(GetDlgItem(options, IDC_OPT_UNDO), WM_SETTEXT, 0, (LPARAM) "100");  // clamped to 64
    PostMessageA(GetDlgItem(options, IDOK), BM_CLICK, 0, 0);
    for (int t = 0; t < 200 && IsWindow(options); t++) Sleep(50);
    EXPECT_EQ(read_settings(dir).undoMB, 64);

    // The other copy took the new record: what it writes when it ends keeps 64.
    Sleep(1000);
    close_with_yes(&b);
    EXPECT_EQ(read_settings(dir).undoMB, 64);
    close_with_yes(&a);
}

TEST(Shell, NoGuiRunsAndEndsWithExitCodeZero) {
    Running r;
    std::string dir = drv_MakeFolder("nogui", settings_file(quiet_settings()));
    ASSERT_TRUE(drv_Start(&r.p, dir, "/nogui"));
    EXPECT_EQ(drv_WaitExit(&r.p, START_MS), 0u);
    // Shutdown wrote the settings back.
    SettingsRecord after = read_settings(dir);
    EXPECT_EQ(after.undoMB, 8);
}

}  // namespace
