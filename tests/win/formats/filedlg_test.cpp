// The real file dialogs with their preview panel, driven from another thread: the
// information of a plain and of a protected file named at start, the preview switch,
// cancel; a save dialog whose file type replaces the extension typed; the filter index
// kept between runs, per dialog. The "Loader Error" dialog: texts, colours, Close.
#include <gtest/gtest.h>
#include <windows.h>
#include <dlgs.h>
#include <string>
#include <thread>
#include "engine/engine.h"
#include "formats/filedlg_win32.h"
#include "formats/formats_ids.h"
#include "formats/loaderror_win32.h"
#include "support/format_support.h"
#include "support/scratch.h"
#include "support/win_driver_win32.h"

using namespace ftest;

namespace {

std::string Text(HWND w) {
    char buf[1024] = {};
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

// Any descendant with this id (the panel is a child dialog inside the file dialog),
// waited for while the dialog builds itself.
HWND Descendant(HWND root, int id) {
    struct Find {
        int id;
        HWND found;
    } f = {id, nullptr};
    for (int i = 0; i < 300 && !f.found; i++, Sleep(f.found ? 0 : 20))
        EnumChildWindows(
            root,
            [](HWND child, LPARAM lp) -> BOOL {
                Find* f = (Find*)lp;
                if (GetDlgCtrlID(child) == f->id) f->found = child;
                return !f->found;
            },
            (LPARAM)&f);
    return f.found;
}

// Waits until the window's text starts with `prefix`; returns the last text seen.
std::string WaitText(HWND w, const std::string& prefix) {
    std::string t;
    for (int i = 0; i < 300 && (t = Text(w)).rfind(prefix, 0) != 0; i++) Sleep(20);
    return t;
}

// The file name field, once the dialog has finished its start-up.
HWND NameField(HWND dialog) {
    Descendant(dialog, cmb1);
    Sleep(200);
    HWND combo = GetDlgItem(dialog, cmb13);
    return combo && IsWindowVisible(combo) ? combo : GetDlgItem(dialog, edt1);
}

// The text colour the dialog picks for one of its static controls.
COLORREF ColourOf(HWND dialog, int id) {
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));
    SendMessageA(dialog, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)GetDlgItem(dialog, id));
    COLORREF c = GetTextColor(dc);
    DeleteDC(dc);
    return c;
}

// Picks a file type the way the combo box reports a user's choice.
void ChooseType(HWND dialog, int index0) {
    HWND types = GetDlgItem(dialog, cmb1);
    SendMessageA(types, CB_SETCURSEL, index0, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE), (LPARAM)types);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELENDOK), (LPARAM)types);
}

}  // namespace

TEST(FileDialogs, OpenShowsInformationOfPlainAndProtectedFiles) {
    eng_Init();
    Scratch d("kvfiledlg");
    TestSurface s(7, 5);
    FillWith(s.get(), 0, 0, 6, 4, 0x00336699);
    {
        WriterSettings plain(2, 0, 0);
        ASSERT_EQ(kv5_Save(s.get(), d.At("seven.kv5").c_str()), 1);
    }
    WriterSettings ws(2, 1, 1, "Somebody With A Long Name");
    QueuePassword("secret", "hint");
    ASSERT_EQ(kv5_Save(s.get(), d.At("locked.kv5").c_str()), 1);

    std::string loaded, black, disabled, pathLine, locked;
    std::thread driver = DriveWindowLater("Open Image", [&](HWND dlg) {
        HWND info = Descendant(dlg, IDC_FDP_INFO);
        if (!info) return PressButton(dlg, IDCANCEL);
        loaded = WaitText(info, "Size:");
        pathLine = Text(Descendant(dlg, IDC_FDP_PATH));
        SendMessageA(Descendant(dlg, IDC_FDP_BLACK), BM_CLICK, 0, 0);
        black = WaitText(info, "Size:");
        SendMessageA(Descendant(dlg, IDC_FDP_SHOW), BM_CLICK, 0, 0);
        disabled = WaitText(info, "You have");
        PressButton(dlg, IDCANCEL);
    });
    char out[512] = "untouched";
    // The current document's file fills the name at start.
    EXPECT_EQ(img_OpenImageDialog(nullptr, d.At("seven.kv5").c_str(), out), 0);
    driver.join();
    EXPECT_STREQ(out, "untouched");
    EXPECT_EQ(loaded.rfind("Size: 7 by 5\r\nPassword: NONE\r\nFile Size: ", 0), 0u) << loaded;
    EXPECT_NE(loaded.find("Transparency: NONE\r\n"), std::string::npos) << loaded;
    EXPECT_EQ(black.rfind("Size: 7 by 5\r\n", 0), 0u) << black;
    EXPECT_EQ(disabled,
              "You have disabled the Image Preview function.\r\nYou need to enable it by ticking the checkbox "
              "below to load image information and preview.");
    EXPECT_EQ(_stricmp(pathLine.c_str(), d.At("seven.kv5").c_str()), 0) << pathLine;

    // A protected file is probed, not loaded: quiet loading never asks for the password.
    std::thread again = DriveWindowLater("Open Image", [&](HWND dlg) {
        if (HWND info = Descendant(dlg, IDC_FDP_INFO)) locked = WaitText(info, "Size:");
        PressButton(dlg, IDCANCEL);
    });
    EXPECT_EQ(img_OpenImageDialog(nullptr, d.At("locked.kv5").c_str(), out), 0);
    again.join();
    EXPECT_EQ(locked.rfind("Size: 7 by 5\r\nPassword: YES\r\nFile Size: ", 0), 0u) << locked;
    EXPECT_NE(locked.find("\r\nFormat: Kelvara Draw Image\r\nRights: Somebody With A Long Nam..."), std::string::npos)
        << locked;
    EXPECT_EQ(uiscript_PromptsAsked().size(), 1u);
}

TEST(FileDialogs, SaveTypeReplacesTheExtensionAndFilterIndexIsKeptPerDialog) {
    eng_Init();
    Scratch d("kvfiledlg");
    std::string renamed, afterAll;
    std::thread save = DriveWindowLater("Save Image", [&](HWND dlg) {
        HWND name = NameField(dlg);
        SetWindowTextA(name, d.At("picture.kv5").c_str());
        ChooseType(dlg, 1);  // "Standard Bitmaps (.bmp/.dib)"
        renamed = Text(name);
        ChooseType(dlg, 7);  // "Any format (All files) " leaves the name alone
        afterAll = Text(name);
        PressButton(dlg, IDOK);
    });
    char out[512] = "";
    EXPECT_EQ(img_SaveImageDialog(nullptr, nullptr, out), 1);
    save.join();
    EXPECT_EQ(renamed, d.At("picture.bmp"));
    EXPECT_EQ(afterAll, renamed);
    EXPECT_EQ(_stricmp(out, d.At("picture.bmp").c_str()), 0) << out;

    d.Write("sprite.kv5");
    std::thread choose = DriveWindowLater("Open Sprite", [&](HWND dlg) {
        HWND name = NameField(dlg);
        ChooseType(dlg, 2);  // "Any format (All files)"
        SetWindowTextA(name, d.At("sprite.kv5").c_str());
        PressButton(dlg, IDOK);
    });
    EXPECT_EQ(img_OpenSpriteDialog(nullptr, out), 1);
    choose.join();
    EXPECT_EQ(_stricmp(out, d.At("sprite.kv5").c_str()), 0) << out;
    LRESULT sprite = -1, image = -1;
    auto readType = [](LRESULT* sel) {
        return [sel](HWND dlg) {
            NameField(dlg);
            *sel = SendMessageA(GetDlgItem(dlg, cmb1), CB_GETCURSEL, 0, 0);
            PressButton(dlg, IDCANCEL);
        };
    };
    std::thread again = DriveWindowLater("Open Sprite", readType(&sprite));
    EXPECT_EQ(img_OpenSpriteDialog(nullptr, out), 0);
    again.join();
    std::thread other = DriveWindowLater("Open Image", readType(&image));
    EXPECT_EQ(img_OpenImageDialog(nullptr, nullptr, out), 0);
    other.join();
    EXPECT_EQ(sprite, 2);
    EXPECT_EQ(image, 0);  // the image dialog keeps its own
}

TEST(LoaderErrorDialog, ShowsTheReasonInItsColoursAndCloses) {
    const char reason[] = "    The file you specified could not be loaded. IT DOES NOT EXIST.";
    std::string heading, text, link;
    COLORREF red = 0, blue = 0;
    std::thread t = DriveWindowLater("Loader Error", [&](HWND w) {
        heading = Text(GetDlgItem(w, IDC_LDERR_HEADING));
        text = Text(GetDlgItem(w, IDC_LDERR_TEXT));
        link = Text(GetDlgItem(w, IDC_LDERR_LINK));
        red = ColourOf(w, IDC_LDERR_HEADING);
        blue = ColourOf(w, IDC_LDERR_LINK);
        PressButton(w, IDCANCEL);
    });
    lerr_ShowDialog(nullptr, reason);
    t.join();
    EXPECT_EQ(heading, "IMAGE NOT LOADED");
    EXPECT_EQ(text, reason);
    EXPECT_EQ(link, "<< click here to download plugins >>");
    EXPECT_EQ(red, RGB(255, 0, 0));
    EXPECT_EQ(blue, RGB(0, 0, 255));
    EXPECT_EQ(FindWindowA(nullptr, "Loader Error"), nullptr);
}
