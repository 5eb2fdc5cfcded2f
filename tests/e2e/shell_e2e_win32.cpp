// shell_e2e_win32.cpp — kelvara.exe driven from outside as a user would, in a few
// journeys that each start the program once: a first session on the start image
// (layout, help texts, zoom, rulers, effects and undo, the sprite, keys with Alt,
// the close questions), a session with files (command line, dropped files, recent
// list, reload, the transparency questions, other formats, a new sprite brought into
// sight, a sprite sent to an icon file; every name, and their folder, in four
// scripts), and two copies sharing one settings file
// (the options broadcast, /nogui).
#include <gtest/gtest.h>
#include <windows.h>
#include <dlgs.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/app_ids.h"
#include "app/view_win32.h"
#include "app/viewgeom.h"
#include "devices/devices_ids.h"
#include "e2e/driver_win32.h"
#include "support/win_driver_win32.h"
#include "engine/color.h"
#include "engine/engine.h"
#include "engine/shape.h"
#include "engine/surface.h"
#include "formats/bmp_file.h"
#include "formats/kv5_file.h"
#include "settings/settings.h"

namespace {

void start(KvRunning* r, const char* folderName, const std::string& settings, const char* args = "") {
    ASSERT_TRUE(drv_StartReady(&r->p, drv_MakeFolder(folderName, settings), args)) << drv_Status(r->p.main);
}

// The zoom factor, asked of the view as any other program may.
int view_zoom(HWND main) {
    return (int)SendMessageA(drv_Child(main, "kelvara_wnd_view"), WM_VIEW_GETZOOM, 0, 0);
}

int wait_zoom(HWND main, int want) {
    for (int t = 0; t < 100; t++) {
        if (view_zoom(main) == want) return want;
        Sleep(50);
    }
    return view_zoom(main);
}

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


void wait_title(HWND main, const std::string& want) {
    for (int t = 0; t < 200 && drv_Text(main) != want; t++) Sleep(50);
    EXPECT_EQ(drv_Text(main), want);
}

// The view repainted from scratch, as a zoom or an uncovering would.
Grab grab_view_redrawn(HWND main) {
    RedrawWindow(drv_Child(main, "kelvara_wnd_view"), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return grab_view(main);
}

// Presses keys as the keyboard does (the accelerator table sees Alt only this way).
void press_keys(HWND main, std::initializer_list<WORD> held, WORD key) {
    SetForegroundWindow(main);
    Sleep(200);
    std::vector<INPUT> in;
    auto add = [&](WORD vk, DWORD flags) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
        i.ki.dwFlags = flags;
        in.push_back(i);
    };
    for (WORD h : held) add(h, 0);
    add(key, 0);
    add(key, KEYEVENTF_KEYUP);
    for (WORD h : held) add(h, KEYEVENTF_KEYUP);
    SendInput((UINT)in.size(), in.data(), sizeof(INPUT));
}

// Screenshots for people to look at go beside the program in the build folder.
void first_session_layout_and_help(KvProcess* p) {
    HWND main = p->main;
    EXPECT_TRUE(drv_SaveScreen(drv_BuildPath("kelvara_e2e.bmp")));
    EXPECT_EQ(drv_Text(main), "Kelvara 1.80");
    for (const char* cls : {"kelvara_wnd_view", "kelvara_wnd_toolbar", "kelvara_wnd_colorbar",
                            "kelvara_wnd_quickpal", "kelvara_wnd_linkbar"})
        EXPECT_NE(drv_Child(main, cls), nullptr) << cls;
    EXPECT_EQ(view_zoom(main), 1);
    // (Where the children sit: ViewGeom.LayoutTable; that the window follows the table:
    // the DPI journey's move to another screen.)
    // Menu help from the command table; a heading has none.
    HMENU menu = GetMenu(main);
    const struct {
        int id;
        const char* help;
    } help[] = {{CMD_OPEN, " Open an existing image"}, {CMD_TOOL_HELP, " Help on the tool you are curently using"},
                {CMD_HEADING, ""}, {CMD_ZOOM_IN, ""}, {CMD_OPEN, " Open an existing image"}};
    for (const auto& h : help) {
        SendMessageA(main, WM_MENUSELECT, MAKEWPARAM(h.id, MF_HILITE), (LPARAM)menu);
        EXPECT_EQ(drv_Status(main), h.help) << h.id;
    }
    // F3 keeps the status text for the notepad.
    drv_Key(main, VK_F3);
    EXPECT_TRUE(drv_WaitStatus(main, " ::Sent To Notepad::", 5000));
    drv_Command(main, CMD_NOTEPAD);
    HWND pad = drv_FindOwned(p, "Kelvara - Notepad", 10000);
    ASSERT_NE(pad, nullptr);
    EXPECT_EQ(drv_Text(GetDlgItem(pad, IDC_NOTEPAD_TEXT)), " Open an existing image\r\n");
    PostMessageA(pad, WM_COMMAND, IDCANCEL, 0);
}

// 1 when the status line stops saying the zoom is under way within a second.
int zoom_said_done(HWND main) {
    for (int t = 0; t < 1000; t += 50, Sleep(50))
        if (drv_Status(main).find("Please Wait") == std::string::npos) return 1;
    return 0;
}

void first_session_zoom(KvProcess* p) {
    HWND main = p->main;
    // The wheel zooms, but not with Ctrl held.
    PostMessageA(main, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-120), 0);
    EXPECT_EQ(wait_zoom(main, 2), 2);
    SendMessageA(main, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, (WORD)(short)120), 0);
    EXPECT_EQ(view_zoom(main), 2);
    PostMessageA(main, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)120), 0);
    EXPECT_EQ(wait_zoom(main, 1), 1);
    // Menu commands, then keys: 1 -> 2 -> 4 -> 2 -> 1 -> 1/2, never above 64 (-2 is 1/2).
    const struct {
        int command, key, times, zoom;
    } steps[] = {{CMD_ZOOM_IN, 0, 1, 2},   {CMD_ZOOM_IN, 0, 1, 4}, {CMD_ZOOM_OUT, 0, 1, 2},
                 {CMD_ZOOM_RESET, 0, 1, 1}, {CMD_ZOOM_OUT, 0, 1, -2}, {0, VK_PRIOR, 4, 8},
                 {0, VK_PRIOR, 5, 64},      {0, VK_NEXT, 1, 32},   {0, VK_HOME, 1, 1}};
    for (const auto& s : steps) {
        for (int i = 0; i < s.times; i++) {
            if (s.command) drv_Command(main, s.command);
            else drv_Key(main, s.key);
        }
        EXPECT_EQ(wait_zoom(main, s.zoom), s.zoom) << s.command << " " << s.key;
        EXPECT_TRUE(zoom_said_done(main)) << drv_Status(main);
        if (s.zoom == 8) {
            Sleep(500);
            EXPECT_TRUE(drv_SaveScreen(drv_BuildPath("kelvara_e2e_zoom8.bmp")));
        }
    }
    // Save of an untitled image asks where; cancelling leaves the title alone.
    drv_Command(main, CMD_SAVE);
    EXPECT_TRUE(drv_Cancel(p, "Save Image", 20000));
    EXPECT_EQ(drv_Text(main), "Kelvara 1.80");
}

// Both rulers of a 1200 x 800 client area, the start image 20 pixels right of centre.
const uint32_t RULERS_HASH = 0xB2CB073Cu;

void first_session_ruler(HWND main) {
    resize_client(main, 1200, 800);  // the 640-pixel start image fits with room on both sides
    // Off centre by 20 pixels, so that the image's centre mark and the view's do not meet.
    for (int i = 0; i < 20; i++) drv_Key(main, VK_RIGHT);
    Sleep(500);
    Grab g = grab_view(main);
    ASSERT_GT(g.w, 700);
    const uint32_t RED = rgb_of(0x0000FF), MAGENTA = rgb_of(0xFF00FF);
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
    // The ticks and bands of both rulers, as recorded (KV_GOLDEN_PRINT=1 prints it).
    uint32_t hash = 2166136261u;
    for (int y = 0; y < g.h; y++)
        for (int x = 0; x < g.w; x++)
            if (y < 16 || x < 16) hash = (hash ^ g.at(x, y)) * 16777619u;
    if (std::getenv("KV_GOLDEN_PRINT")) std::printf("rulers: 0x%08Xu\n", hash);
    EXPECT_EQ(hash, RULERS_HASH);
}

void first_session_effects_and_sprite(KvProcess* p) {
    HWND main = p->main;
    Grab before = grab_view(main);
    drv_Command(main, CMD_FX_WHITE_BASE);
    Grab after = grab_view(main);
    ASSERT_EQ(after.px.size(), before.px.size());
    EXPECT_NE(after.px, before.px);  // keyed pixels show the checkerboard
    // The standard keys beside the program's own: undo, redo both ways, paste as sprite.
    const struct {
        std::initializer_list<WORD> held;
        WORD key;
        const Grab* shown;
    } keys[] = {{{VK_CONTROL}, 'Z', &before}, {{VK_CONTROL}, 'Y', &after},
                {{VK_CONTROL}, 'Z', &before}, {{VK_CONTROL, VK_SHIFT}, 'Z', &after},
                {{VK_CONTROL}, 'U', &before}};
    for (const auto& k : keys) {
        press_keys(main, k.held, k.key);
        EXPECT_EQ(grab_view(main).px, k.shown->px) << "Ctrl" << (k.held.size() > 1 ? "+Shift" : "") << "+" << (char)k.key;
    }
    press_keys(main, {VK_CONTROL}, VK_INSERT);  // the picture to the clipboard
    press_keys(main, {VK_CONTROL}, 'V');
    EXPECT_NE(grab_view(main).px, before.px) << "Ctrl+V pasted no sprite";
    drv_Command(main, CMD_SPRITE_DISCARD);
    EXPECT_EQ(grab_view(main).px, before.px);
    // The menus show the added keys (read from the program's own menu: another
    // process's menu texts cannot be read).
    HMODULE exe = LoadLibraryExA(drv_ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HMENU menu = exe ? LoadMenuA(exe, MAKEINTRESOURCEA(IDR_MAIN_MENU)) : nullptr;
    const struct {
        int id;
        const char* key;
    } shown[] = {{CMD_UNDO, "Ctrl+Z"}, {CMD_REDO, "Ctrl+Y"}, {CMD_PASTE_SPRITE, "Ctrl+V"}};
    for (const auto& m : shown) {
        char text[128] = "";
        GetMenuStringA(menu, m.id, text, sizeof text, MF_BYCOMMAND);
        EXPECT_NE(std::strstr(text, m.key), nullptr) << m.id << ": " << text;
    }
    if (menu) DestroyMenu(menu);
    if (exe) FreeLibrary(exe);
    // Smart dithering reports itself and offers to save at once.
    drv_Command(main, CMD_FX_DITHER);
    ASSERT_TRUE(drv_Answer(p, "Save In 256 Colors", IDNO, 20000));
    EXPECT_TRUE(drv_WaitStatus(main, "Smart-dither process complete", 5000));
    // The image as a sprite, stamped back with Alt+Ins: the view shows the result at
    // once (no sprite frame left behind), and the menu bar does not take the next key.
    drv_Command(main, CMD_TO_SPRITE);
    Grab withSprite = grab_view(main);
    press_keys(main, {VK_MENU}, VK_INSERT);
    Grab added = grab_view(main);
    EXPECT_NE(added.px, withSprite.px);
    EXPECT_EQ(added.px, grab_view_redrawn(main).px) << "the view was not repainted after Add To Image";
    press_keys(main, {}, VK_PRIOR);
    EXPECT_EQ(wait_zoom(main, 2), 2) << "the key went to the menu bar";
    drv_Key(main, VK_HOME);
    EXPECT_EQ(wait_zoom(main, 1), 1);
    // Everything transparent: Save As offers the sprite save, the title stays.
    drv_Command(main, CMD_FX_INVERT_ALPHA);
    Sleep(300);
    drv_Command(main, CMD_SAVE_AS);
    ASSERT_TRUE(drv_Answer(p, "Transparency Detected", IDNO, 10000));
    EXPECT_TRUE(drv_Cancel(p, "Save Image", 10000));
    drv_Command(main, CMD_SAVE_AS);
    ASSERT_TRUE(drv_Answer(p, "Transparency Detected", IDYES, 10000));
    EXPECT_TRUE(drv_Cancel(p, "Save Sprite", 10000));
    EXPECT_EQ(drv_Text(main), "Kelvara 1.80");
}

TEST(Journey, FirstSessionOnTheStartImage) {
    KvRunning r;
    start(&r, "first", drv_QuietSettingsFile());
    first_session_layout_and_help(&r.p);
    first_session_zoom(&r.p);
    first_session_ruler(r.p.main);
    first_session_effects_and_sprite(&r.p);
    // Unsaved changes: Cancel keeps the window open, No ends the program.
    PostMessageA(r.p.main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(drv_Answer(&r.p, "Confirm Save And Exit", IDCANCEL, 10000));
    EXPECT_EQ(drv_WaitExit(&r.p, 1000), (DWORD)STILL_ACTIVE);
    PostMessageA(r.p.main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(drv_Answer(&r.p, "Confirm Save And Exit", IDNO, 10000));
    EXPECT_EQ(drv_WaitExit(&r.p, 20000), 0u);
}

// A 32 x 24 image of one colour, saved as KV5 (the engine must be up).
void write_image(const std::string& path, uint32_t colour) {
    Surface s{};
    ASSERT_TRUE(srf_CreateExact(32, 24, &s));
    drw_FillRect(&s, 0, 0, 31, 23, colour);
    srf_Unlock(&s);
    EXPECT_TRUE(kv5_Save(&s, path.c_str(), nullptr));
    srf_Destroy(&s);
}

SettingsRecord read_settings(const std::string& folder) {
    SettingsRecord r{};
    EXPECT_TRUE(drv_ReadSettings(folder, &r));
    return r;
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Files: the command line, dropped files, the recent list, reload, the sprite
// question, other formats (PNG and JPEG through the plug-ins) and the loader's refusal.
TEST(Journey, SessionWithFiles) {
    eng_Init();
    // The rectangle tool current, with the brush before it.
    SettingsRecord s = drv_QuietSettings(0, 14);
    // Every name in four scripts (Latin-1, Cyrillic, CJK, emoji), in a folder named so too.
    std::string dir = drv_MakeFolder("files", "") + "\\Ünïcödé Папка 写真 🎨";
    // (A run before may have left it: the folder is not emptied by a name it cannot spell.)
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    const char* letters[4] = {"Grüße", "Привет", "写真", "🎨"};
    std::string names[4];
    for (int i = 0; i < 4; i++) {
        names[i] = dir + "\\" + letters[i] + ".kv5";
        write_image(names[i], 0x00102030u * (i + 1));
        std::strcpy(s.recent[i], names[i].c_str());
    }
    const std::string program = dir.substr(0, dir.find_last_of('\\'));
    write_file(program + "\\Kelvara.kvr", drv_SettingsFile(s));
    const std::string bmp = dir + "\\Straße ✓ 写真.bmp", junk = dir + "\\junk.kv5", alpha = dir + "\\альфа 🎨.kv5";
    std::vector<std::string> three;
    for (const char* name : {"première.kv5", "второй.kv5", "第三.kv5"}) {
        three.push_back(dir + "\\" + name);
        write_image(three.back(), 0x00336699);
    }
    write_image(alpha, 0x80336699);
    const std::string big = dir + "\\big.kv5";
    {
        Surface large{};
        ASSERT_TRUE(srf_CreateExact(3000, 2000, &large));
        srf_Unlock(&large);
        EXPECT_TRUE(kv5_Save(&large, big.c_str(), nullptr));
        srf_Destroy(&large);
    }
    Surface img{};
    ImageFileInfo info{};
    ASSERT_TRUE(kv5_Load(&img, names[0].c_str(), &info));
    ASSERT_TRUE(bmp_Save(&img, bmp.c_str()));
    // A JPEG written by the shipped plug-in, and a PngSuite file.
    const std::string png = dir + "\\組曲.png", jpg = dir + "\\фото 📷.jpg";
    ASSERT_TRUE(CopyFileA("Z:\\work\\shared\\corpus\\pngsuite\\basn2c08.png", png.c_str(), FALSE));
    HMODULE jpegFilter = LoadLibraryA(drv_BuildPath("Plugins\\JPEG filter.dll").c_str());
    ASSERT_TRUE(jpegFilter);
    typedef int (*SavePicture)(HBITMAP, const char*, HWND);
    SavePicture save = (SavePicture)(void*)GetProcAddress(jpegFilter, "flt_SavePicture");
    ASSERT_TRUE(save && save((HBITMAP)img.bitmap, jpg.c_str(), nullptr));
    FreeLibrary(jpegFilter);
    srf_Destroy(&img);
    eng_Shutdown();
    write_file(junk, "neither an image nor anything like one");

    KvRunning r;
    ASSERT_TRUE(drv_StartReady(&r.p, program, ("\"" + bmp + "\"").c_str()));
    HWND main = r.p.main;
    EXPECT_EQ(drv_Text(main), "Kelvara 1.80 - [ Straße ✓ 写真.bmp ]");
    // A file nothing reads: "Loader Error", the image stays.
    ASSERT_TRUE(drv_DropFiles(&r.p, main, {junk}));
    ASSERT_TRUE(drv_Answer(&r.p, "Loader Error", IDCANCEL, 10000));
    EXPECT_TRUE(drv_WaitStatus(main, " Error :: Image Not Loaded!!", 5000)) << drv_Status(main);
    EXPECT_EQ(drv_Text(main), "Kelvara 1.80 - [ Straße ✓ 写真.bmp ]");
    // Saved back by its extension.
    std::remove(bmp.c_str());
    drv_Command(main, CMD_SAVE);
    EXPECT_TRUE(drv_WaitStatus(main, (" Saved '" + bmp + "' ").c_str(), 10000)) << drv_Status(main);
    EXPECT_EQ(GetFileAttributesA(bmp.c_str()) != INVALID_FILE_ATTRIBUTES, true);
    // The recent list is now the bitmap, then the first three: the third opens and
    // moves to the top.
    drv_Command(main, CMD_RECENT3);
    wait_title(main, "Kelvara 1.80 - [ Привет.kv5 ]");
    // Three dropped files: only the first opens.
    ASSERT_TRUE(drv_DropFiles(&r.p, main, three));
    wait_title(main, "Kelvara 1.80 - [ première.kv5 ]");
    // PNG and JPEG open and save back through the filter plug-ins.
    for (const std::string& f : {png, jpg}) {
        ASSERT_TRUE(drv_DropFiles(&r.p, main, {f}));
        wait_title(main, "Kelvara 1.80 - [ " + f.substr(f.find_last_of('\\') + 1) + " ]");
        EXPECT_TRUE(drv_SaveInPlace(main, f, 10000)) << f;
    }
    // A transparent file: the sprite question; "No" opens it as the main image.
    ASSERT_TRUE(drv_DropFiles(&r.p, main, {alpha}));
    ASSERT_TRUE(drv_Answer(&r.p, "Transparency Detected", IDNO, 10000));
    wait_title(main, "Kelvara 1.80 - [ альфа 🎨.kv5 ]");
    // Reload with unsaved changes asks first, then reloads into the main image
    // without the sprite question.
    drv_Command(main, CMD_FX_NEGATIVE);
    Sleep(300);
    drv_Command(main, CMD_RELOAD);
    ASSERT_TRUE(drv_Answer(&r.p, "Confirm Discard & Reload", IDYES, 10000));
    EXPECT_EQ(drv_FindOwned(&r.p, "Transparency Detected", 1500), nullptr);
    // "Yes": as a sprite the rectangle tool is current (it was already) and the middle
    // button still swaps back to the brush; the document keeps its name. The sprite
    // lands at the image's top-left and the view, scrolled to the far corner of a
    // large image, comes back to show it.
    ASSERT_TRUE(drv_DropFiles(&r.p, main, {big}));
    wait_title(main, "Kelvara 1.80 - [ big.kv5 ]");
    HWND bigView = drv_Child(main, "kelvara_wnd_view");
    PostMessageA(bigView, WM_HSCROLL, SB_BOTTOM, 0);
    PostMessageA(bigView, WM_VSCROLL, SB_BOTTOM, 0);
    Sleep(300);
    const LRESULT farScroll = SendMessageA(bigView, WM_VIEW_GETSCROLL, 0, 0);
    EXPECT_GT((short)LOWORD(farScroll), 1000);
    ASSERT_TRUE(drv_DropFiles(&r.p, main, {alpha}));
    ASSERT_TRUE(drv_Answer(&r.p, "Transparency Detected", IDYES, 10000));
    Sleep(300);
    EXPECT_EQ(drv_Text(main), "Kelvara 1.80 - [ big.kv5 ]");
    const LRESULT scroll = SendMessageA(bigView, WM_VIEW_GETSCROLL, 0, 0);
    EXPECT_LE((short)LOWORD(scroll), 20);  // image column 0 at or right of the view's left edge
    EXPECT_LE((short)HIWORD(scroll), 20);
    // The sprite sent to a file under an icon's name goes on to the Icon Creator, as
    // the image's save does.
    drv_Command(main, CMD_SPRITE_TO_FILE);
    HWND saveSprite = drv_FindOwned(&r.p, "Save Sprite", 10000);
    ASSERT_TRUE(saveSprite);
    TypeFileName(saveSprite, dir + "\\sprite.ico");
    ASSERT_TRUE(drv_Answer(&r.p, "Use Icon Creator", IDOK, 10000));
    EXPECT_TRUE(drv_Answer(&r.p, "My Icon Creator (Internal Device)", IDC_ICON_DISCARD, 10000));
    HWND view = drv_Child(main, "kelvara_wnd_view");
    PostMessageA(view, WM_MBUTTONDOWN, 0, MAKELPARAM(100, 100));
    EXPECT_TRUE(drv_CloseWithYes(&r.p));
    SettingsRecord after = read_settings(program);
    EXPECT_EQ(after.currentTool, 4);  // swapped back from the rectangle tool
    EXPECT_EQ(after.previousTool, 14);
    const std::string order[4] = {big, alpha, jpg, png};
    for (int i = 0; i < 4; i++) EXPECT_EQ(std::string(after.recent[i]), order[i]) << i;
}

// Two copies share one program folder: Options OK in one reloads the other's
// settings; a third run with /nogui ends at once with exit code 0. The second copy
// gets a transparent image on its command line: it is the main image all the same.
TEST(Journey, CopiesSharingOneSettingsFile) {
    KvRunning a, b;
    std::string dir = drv_MakeFolder("broadcast", drv_QuietSettingsFile());
    const std::string alpha = dir + "\\alpha.kv5";
    eng_Init();
    write_image(alpha, 0x80336699);
    eng_Shutdown();
    ASSERT_TRUE(drv_StartReady(&a.p, dir, ""));
    ASSERT_TRUE(drv_StartReady(&b.p, dir, ("\"" + alpha + "\"").c_str()));
    EXPECT_EQ(drv_Text(b.p.main), "Kelvara 1.80 - [ alpha.kv5 ]");

    drv_Command(a.p.main, CMD_OPTIONS);
    HWND options = drv_FindOwned(&a.p, "Kelvara - Options", 10000);
    ASSERT_NE(options, nullptr);
    SendMessageA(GetDlgItem(options, IDC_OPT_UNDO), WM_SETTEXT, 0, (LPARAM) "100");  // clamped to 64
    PostMessageA(GetDlgItem(options, IDOK), BM_CLICK, 0, 0);
    for (int t = 0; t < 200 && IsWindow(options); t++) Sleep(50);
    EXPECT_EQ(read_settings(dir).undoMB, 64);
    // The other copy took the new record: what it writes when it ends keeps 64.
    Sleep(1000);
    EXPECT_TRUE(drv_CloseWithYes(&b.p));
    EXPECT_EQ(read_settings(dir).undoMB, 64);
    EXPECT_TRUE(drv_CloseWithYes(&a.p));

    KvRunning n;
    ASSERT_TRUE(drv_Start(&n.p, dir, "/nogui"));
    EXPECT_EQ(drv_WaitExit(&n.p, DRV_START_MS), 0u);
    EXPECT_EQ(read_settings(dir).undoMB, 64);  // shutdown wrote the settings back
}

}  // namespace
