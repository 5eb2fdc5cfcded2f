// shell_e2e_win32.cpp — end-to-end checks of kelvara.exe: start-up, title and status
// line, the child layout, zoom through menu commands and keys, the recent-files
// order, Save of an untitled image, the close questions, /nogui, the rulers as
// drawn on the screen, dropped files, the transparency question of Save As, the
// direct effects with their undo, and opening and saving other formats.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_ids.h"
#include "app/viewgeom.h"
#include "e2e/driver_win32.h"
#include "engine/color.h"
#include "engine/engine.h"
#include "engine/shape.h"
#include "engine/surface.h"
#include "formats/bmp_file.h"
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
    HWND dialog = drv_FindOwned(&r.p, "Save Image", 20000);
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


// ---- the screen, dropped files, Save As of transparent images, direct effects ----

void resize_client(HWND main, int w, int h) {
    RECT wr, cr;
    GetWindowRect(main, &wr);
    GetClientRect(main, &cr);
    SetWindowPos(main, nullptr, 0, 0, w + (wr.right - wr.left) - cr.right, h + (wr.bottom - wr.top) - cr.bottom,
                 SWP_NOZORDER);
}

struct Grab {
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    uint32_t at(int x, int y) const { return px[(size_t)y * w + x]; }
};

// The view as the screen shows it, once two grabs a moment apart agree (a paint
// may be under way).
Grab grab_view(HWND main) {
    HWND view = drv_Child(main, "kelvara_wnd_view");
    Grab a, b;
    for (int t = 0; t < 40; t++) {
        Sleep(250);
        drv_GrabClient(view, &b.px, &b.w, &b.h);
        if (!b.px.empty() && b.px == a.px) break;
        a = b;
    }
    return b;
}

uint32_t rgb_of(uint32_t colorref) { return clr_SwapRB(colorref) & 0x00FFFFFF; }

TEST(Shell, TopRulerShowsTicksAndImageMarksWhereTheGeometrySaysSo) {
    Running r;
    start(&r, "ruler", quiet_settings());
    resize_client(r.p.main, 1200, 800);  // the 640-pixel start image fits with room on both sides
    // Off centre by 20 pixels, so that the image's centre mark and the view's do not meet.
    for (int i = 0; i < 20; i++) drv_Key(r.p.main, VK_RIGHT);
    Sleep(500);
    Grab g = grab_view(r.p.main);
    ASSERT_GT(g.w, 700);
    const uint32_t RED = rgb_of(0x0000FF), BLUE = rgb_of(0xFF0000), MAGENTA = rgb_of(0xFF00FF);
    // The image's first column carries the red mark on rows 0-14; find it on row 10.
    int L = -1;
    for (int x = 16; x < g.w && L < 0; x++)
        if (g.at(x, 10) == RED) L = x;
    ASSERT_GT(L, 16) << "no image mark on the top ruler";
    int R = L + 640;
    EXPECT_EQ(g.at(R - 1, 10), RED);
    EXPECT_EQ(g.at((L + R) / 2 - 1, 10), MAGENTA);
    EXPECT_EQ(g.at(L, 15), g.at(L + 1, 15));  // row 15 has no marks
    // The view-centre marker on rows 0-5: green, black either side of a yellow middle.
    int c = vg_RulerCentre(g.w);
    EXPECT_EQ(g.at(c, 3), rgb_of(0x00FFFF));
    EXPECT_EQ(g.at(c - 1, 3), 0u);
    EXPECT_EQ(g.at(c + 1, 3), 0u);
    EXPECT_EQ(g.at(c - 3, 3), rgb_of(0x007F00));
    EXPECT_NE(g.at(c, 6), rgb_of(0x00FFFF));
    int pos[256], isLong[256];
    int n = vg_RulerTicks(L, 1, g.w, pos, isLong, 256);
    ASSERT_GT(n, 40);
    int checked = 0;
    for (int k = 0; k < n && k < 256; k++) {
        int p = pos[k];
        if (p <= 16 || p >= g.w - 1 || p == L || p == R - 1 || p == (L + R) / 2 - 1) continue;
        if (p >= c - 4 && p < c + 5) continue;  // under the centre marker
        uint32_t inside = rgb_of(clr_Lerp(7, 16, 0xFFE0E0, 0xD09090));
        uint32_t outside = rgb_of(clr_Lerp(7, 16, 0xFDC0C0, 0xB07070));
        uint32_t band7 = (p >= L && p < R) ? inside : outside;
        EXPECT_EQ(g.at(p, 12), BLUE) << "tick at " << p;          // every tick reaches row 12
        EXPECT_EQ(g.at(p, 7), isLong[k] ? BLUE : band7) << "row 7 at " << p;  // long ones row 5 up
        EXPECT_EQ(g.at(p, 4), (p >= L && p < R) ? rgb_of(clr_Lerp(4, 16, 0xFFE0E0, 0xD09090))
                                                 : rgb_of(clr_Lerp(4, 16, 0xFDC0C0, 0xB07070)))
            << "row 4 at " << p;
        EXPECT_NE(g.at(p + 1, 12), BLUE) << "one pixel wide at zoom 1, at " << p;
        checked++;
    }
    EXPECT_GT(checked, 40);
    close_with_yes(&r);
}

TEST(Shell, DroppingThreeFilesOpensOnlyTheFirst) {
    eng_Init();
    std::string dir = drv_MakeFolder("drop", settings_file(quiet_settings()));
    std::vector<std::string> files;
    for (const char* name : {"first.kv5", "second.kv5", "third.kv5"}) {
        files.push_back(dir + "\\" + name);
        write_image(files.back(), 0x00336699);
    }
    eng_Shutdown();
    Running r;
    ASSERT_TRUE(drv_Start(&r.p, dir, ""));
    ASSERT_NE(drv_WaitMain(&r.p, START_MS), nullptr);
    ASSERT_TRUE(drv_WaitStatus(r.p.main, " All systems go!!", START_MS));
    ASSERT_TRUE(drv_DropFiles(&r.p, r.p.main, files));
    std::string want = "Kelvara 1.80 - [ first.kv5 ]";
    for (int t = 0; t < 200 && drv_Text(r.p.main) != want; t++) Sleep(50);
    EXPECT_EQ(drv_Text(r.p.main), want);
    close_with_yes(&r);
    SettingsRecord after = read_settings(dir);
    EXPECT_EQ(std::string(after.recent[0]), files[0]);
    EXPECT_EQ(std::string(after.recent[1]), "");
}

TEST(Shell, SaveAsOfAnImageWithTransparencyOffersTheSpriteSave) {
    Running r;
    start(&r, "saveassprite", quiet_settings());
    drv_Command(r.p.main, CMD_FX_INVERT_ALPHA);  // every pixel fully transparent now
    Sleep(500);
    // No: the ordinary save dialog.
    drv_Command(r.p.main, CMD_SAVE_AS);
    ASSERT_TRUE(drv_Answer(&r.p, "Transparency Detected", IDNO, 10000));
    HWND dialog = drv_FindOwned(&r.p, "Save Image", 10000);
    ASSERT_NE(dialog, nullptr);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    for (int t = 0; t < 100 && IsWindow(dialog); t++) Sleep(50);
    // Yes: the image is offered as a sprite instead; the title stays as it was.
    drv_Command(r.p.main, CMD_SAVE_AS);
    ASSERT_TRUE(drv_Answer(&r.p, "Transparency Detected", IDYES, 10000));
    HWND sprite = drv_FindOwned(&r.p, "Save Sprite", 10000);
    ASSERT_NE(sprite, nullptr);
    PostMessageA(sprite, WM_COMMAND, IDCANCEL, 0);
    for (int t = 0; t < 100 && IsWindow(sprite); t++) Sleep(50);
    EXPECT_EQ(drv_Text(r.p.main), "Kelvara 1.80");
    PostMessageA(r.p.main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(drv_Answer(&r.p, "Confirm Save And Exit", IDNO, 10000));
    EXPECT_EQ(drv_WaitExit(&r.p, 20000), 0u);
}

TEST(Shell, WhiteBaseChangesTheImageAndUndoRestoresIt) {
    Running r;
    start(&r, "whitebase", quiet_settings());
    Grab before = grab_view(r.p.main);
    drv_Command(r.p.main, CMD_FX_WHITE_BASE);
    Grab after = grab_view(r.p.main);
    ASSERT_EQ(after.px.size(), before.px.size());
    EXPECT_NE(after.px, before.px);  // keyed pixels show the checkerboard
    drv_Command(r.p.main, CMD_UNDO);
    Grab undone = grab_view(r.p.main);
    EXPECT_EQ(undone.px, before.px);
    // Smart dithering reports itself and offers to save at once.
    drv_Command(r.p.main, CMD_FX_DITHER);
    ASSERT_TRUE(drv_Answer(&r.p, "Save In 256 Colors", IDNO, 20000));
    EXPECT_TRUE(drv_WaitStatus(r.p.main, "Smart-dither process complete", 5000));
    PostMessageA(r.p.main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(drv_Answer(&r.p, "Confirm Save And Exit", IDNO, 10000));
    EXPECT_EQ(drv_WaitExit(&r.p, 20000), 0u);
}

// An image named on the command line becomes the main image, transparent or not:
// the sprite question belongs to the Open command.
TEST(Shell, CommandLineImageWithTransparencyIsTheMainImage) {
    std::string dir = drv_MakeFolder("cmdlinealpha", settings_file(quiet_settings()));
    const std::string path = dir + "\\alpha.kv5";
    eng_Init();
    write_image(path, 0x80336699);
    eng_Shutdown();
    Running r;
    ASSERT_TRUE(drv_Start(&r.p, dir, ("\"" + path + "\"").c_str()));
    ASSERT_NE(drv_WaitMain(&r.p, START_MS), nullptr);
    ASSERT_TRUE(drv_WaitStatus(r.p.main, " All systems go!!", START_MS)) << drv_Status(r.p.main);
    EXPECT_EQ(drv_Text(r.p.main), "Kelvara 1.80 - [ alpha.kv5 ]");
    close_with_yes(&r);
}

// Opening goes through the load dispatcher: a bitmap opens and is saved back by its
// extension; a file nothing can read shows "Loader Error" and leaves the image alone.
TEST(Shell, OpensOtherFormatsAndReportsWhatItCannotLoad) {
    eng_Init();
    std::string dir = drv_MakeFolder("dispatch", settings_file(quiet_settings()));
    const std::string bmp = dir + "\\pic.bmp", junk = dir + "\\junk.kv5";
    write_image(dir + "\\pic.kv5", 0x00336699);
    Surface s{};
    ImageFileInfo info{};
    ASSERT_TRUE(kv5_Load(&s, (dir + "\\pic.kv5").c_str(), &info));
    ASSERT_TRUE(bmp_Save(&s, bmp.c_str()));
    srf_Destroy(&s);
    eng_Shutdown();
    FILE* f = std::fopen(junk.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("neither an image nor anything like one", f);
    std::fclose(f);

    Running r;
    ASSERT_TRUE(drv_Start(&r.p, dir, ("\"" + bmp + "\"").c_str()));
    ASSERT_NE(drv_WaitMain(&r.p, START_MS), nullptr);
    ASSERT_TRUE(drv_WaitStatus(r.p.main, " All systems go!!", START_MS));
    EXPECT_EQ(drv_Text(r.p.main), "Kelvara 1.80 - [ pic.bmp ]");
    ASSERT_TRUE(drv_DropFiles(&r.p, r.p.main, {junk}));
    ASSERT_TRUE(drv_Answer(&r.p, "Loader Error", IDCANCEL, 10000));
    EXPECT_TRUE(drv_WaitStatus(r.p.main, " Error :: Image Not Loaded!!", 5000)) << drv_Status(r.p.main);
    EXPECT_EQ(drv_Text(r.p.main), "Kelvara 1.80 - [ pic.bmp ]");
    std::remove(bmp.c_str());
    drv_Command(r.p.main, CMD_SAVE);
    const std::string saved = " Saved '" + bmp + "' ";
    EXPECT_TRUE(drv_WaitStatus(r.p.main, saved.c_str(), 10000)) << drv_Status(r.p.main);
    f = std::fopen(bmp.c_str(), "rb");
    EXPECT_NE(f, nullptr);  // written again by the BMP writer
    if (f) std::fclose(f);
    close_with_yes(&r);
}

}  // namespace
