// The format dialogs, driven from another thread like a user: the file dialogs with
// their preview panel, the "Loader Error" dialog and the password dialog, each in its
// section below.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cstring>
#include <dlgs.h>
#include <string>
#include <thread>
#include "engine/engine.h"
#include "formats/filedlg_win32.h"
#include "formats/formats_ids.h"
#include "formats/kv5_password_win32.h"
#include "formats/loaderror_win32.h"
#include "support/format_support.h"
#include "support/scratch.h"
#include "support/win_driver_win32.h"

using namespace ftest;

// The real file dialogs with their preview panel in one journey: the filter index kept
// between runs, per dialog; the Help button opening the help viewer; the information of a plain and of a protected file named
// at start, the preview switch, cancel; a save dialog whose file type replaces the
// extension typed. The "Loader Error" dialog: texts, colours, Close.
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

TEST(FileDialogs, SpriteOpenAndSaveJourney) {
    eng_Init();
    Scratch d("kvfiledlg");
    TestSurface s(7, 5);
    FillWith(s.get(), 0, 0, 6, 4, 0x00336699);
    {  // saved over a bigger file: the Win32 replace step leaves the new file whole, no temporary
        const Kv5SaveOptions plain = WriterOptions(2, 0, 0);
        TestSurface big(64, 16);
        ASSERT_EQ(kv5_Save(big.get(), d.At("seven.kv5").c_str(), &plain), 1);
        ASSERT_EQ(kv5_Save(s.get(), d.At("seven.kv5").c_str(), &plain), 1);
        EXPECT_EQ(d.Read("seven.kv5"), Kv5SaveBytes(s.get(), &plain));
        EXPECT_EQ(GetFileAttributesA(d.At("seven.kv~").c_str()), INVALID_FILE_ATTRIBUTES);
    }
    const Kv5SaveOptions ws = WriterOptions(2, 1, 1, "Somebody With A Long Name");
    QueuePassword("secret", "hint");
    ASSERT_EQ(kv5_Save(s.get(), d.At("locked.kv5").c_str(), &ws), 1);
    char out[512] = "";

    // The sprite dialog keeps the file type chosen in it; the image dialog keeps its own.
    std::thread choose = DriveWindowLater("Open Sprite", [&](HWND dlg) {
        HWND name = NameField(dlg);
        ChooseType(dlg, 2);  // "Any format (All files)"
        SetWindowTextA(name, d.At("seven.kv5").c_str());
        PressButton(dlg, IDOK);
    });
    EXPECT_EQ(img_OpenSpriteDialog(nullptr, out), 1);
    choose.join();
    EXPECT_EQ(_stricmp(out, d.At("seven.kv5").c_str()), 0) << out;
    LRESULT sprite = -1, image = -1;
    std::thread again = DriveWindowLater("Open Sprite", [&](HWND dlg) {
        NameField(dlg);
        sprite = SendMessageA(GetDlgItem(dlg, cmb1), CB_GETCURSEL, 0, 0);
        PostMessageA(Descendant(dlg, IDC_FDP_HELP), BM_CLICK, 0, 0);
        PressButton(dlg, IDCANCEL);
    });
    EXPECT_EQ(img_OpenSpriteDialog(nullptr, out), 0);
    again.join();
    EXPECT_EQ(sprite, 2);
    // Help asks for the viewer (which finds no help file beside the tests).
    const std::vector<std::string>& said = uiscript_Statuses();
    EXPECT_NE(std::find(said.begin(), said.end(), " Connecting to HTML Help..."), said.end());

    std::string loaded, disabled, pathLine, locked;
    std::thread driver = DriveWindowLater("Open Image", [&](HWND dlg) {
        HWND info = Descendant(dlg, IDC_FDP_INFO);
        if (!info) return PressButton(dlg, IDCANCEL);
        image = SendMessageA(GetDlgItem(dlg, cmb1), CB_GETCURSEL, 0, 0);
        loaded = WaitText(info, "Size:");
        pathLine = Text(Descendant(dlg, IDC_FDP_PATH));
        SendMessageA(Descendant(dlg, IDC_FDP_SHOW), BM_CLICK, 0, 0);
        disabled = WaitText(info, "You have");
        PressButton(dlg, IDCANCEL);
    });
    std::strcpy(out, "untouched");
    // The current document's file fills the name at start.
    EXPECT_EQ(img_OpenImageDialog(nullptr, d.At("seven.kv5").c_str(), out), 0);
    driver.join();
    EXPECT_STREQ(out, "untouched");
    EXPECT_EQ(image, 0);
    EXPECT_EQ(loaded.rfind("Size: 7 by 5\r\nPassword: NONE\r\nFile Size: ", 0), 0u) << loaded;
    EXPECT_EQ(disabled,
              "You have disabled the Image Preview function.\r\nYou need to enable it by ticking the checkbox "
              "below to load image information and preview.");
    EXPECT_EQ(_stricmp(pathLine.c_str(), d.At("seven.kv5").c_str()), 0) << pathLine;

    // A protected file is probed, not loaded: quiet loading never asks for the password.
    std::thread probe = DriveWindowLater("Open Image", [&](HWND dlg) {
        if (HWND info = Descendant(dlg, IDC_FDP_INFO)) locked = WaitText(info, "Size:");
        PressButton(dlg, IDCANCEL);
    });
    EXPECT_EQ(img_OpenImageDialog(nullptr, d.At("locked.kv5").c_str(), out), 0);
    probe.join();
    EXPECT_EQ(locked.rfind("Size: 7 by 5\r\nPassword: YES\r\n", 0), 0u) << locked;
    EXPECT_NE(locked.find("\r\nRights: Somebody With A Long Nam..."), std::string::npos) << locked;
    EXPECT_EQ(uiscript_PromptsAsked().size(), 1u);

    // Saving: the file type chosen replaces the extension typed; "All files" leaves it.
    std::string renamed, afterAll;
    std::thread save = DriveWindowLater("Save Image", [&](HWND dlg) {
        HWND name = NameField(dlg);
        SetWindowTextA(name, d.At("picture.kv5").c_str());
        ChooseType(dlg, 1);  // "Standard Bitmaps (.bmp/.dib)"
        renamed = Text(name);
        ChooseType(dlg, 7);  // "Any format (All files) "
        afterAll = Text(name);
        PressButton(dlg, IDOK);
    });
    EXPECT_EQ(img_SaveImageDialog(nullptr, nullptr, out), 1);
    save.join();
    EXPECT_EQ(renamed, d.At("picture.bmp"));
    EXPECT_EQ(afterAll, renamed);
    EXPECT_EQ(_stricmp(out, d.At("picture.bmp").c_str()), 0) << out;
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

// The real "Please Enter Password" dialog, driven from another thread like a user:
// typing into its fields, pressing its buttons, answering its message box. (A KV5
// file saved over an existing one: the file dialog journey above.)
namespace {

const char TITLE[] = "Please Enter Password";

// One WM_CHAR per character, as the keyboard would send them; the field is emptied
// first with a select-all and a backspace.
void TypeInto(HWND dlg, int id, const std::string& text) {
    HWND edit = GetDlgItem(dlg, id);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_CHAR, VK_BACK, 0);
    for (char c : text) SendMessageA(edit, WM_CHAR, (WPARAM)(unsigned char)c, 0);
}

void Press(HWND dlg, int id) { SendMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }

// The longest static text of a window: a message box's message.
std::string MessageOf(HWND box) {
    std::string best;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM lp) -> BOOL {
            char cls[32] = {};
            GetClassNameA(child, cls, sizeof cls);
            std::string* out = (std::string*)lp;
            if (_stricmp(cls, "Static") == 0 && Text(child).size() > out->size()) *out = Text(child);
            return TRUE;
        },
        (LPARAM)&best);
    return best;
}

// Both fields' password characters by name: "password *, confirm *" ("none" when shown).
std::string Masks(HWND dlg) {
    auto mask = [dlg](int id) {
        const char c = (char)SendDlgItemMessageA(dlg, id, EM_GETPASSWORDCHAR, 0, 0);
        return c ? std::string(1, c) : std::string("none");
    };
    return "password " + mask(IDC_KV5PW_PASSWORD) + ", confirm " + mask(IDC_KV5PW_CONFIRM);
}

}  // namespace

TEST(Kv5PasswordDialog, SavingMasksChecksTheConfirmationAndApplies) {
    Kv5PasswordFields f{};
    std::strcpy(f.hint, "stale");
    std::string message, hintAtStart = "?";
    int checked = -1;
    std::string masked, shown, remasked;
    std::thread user = DriveWindowLater(TITLE, [&](HWND dlg) {
        hintAtStart = Text(GetDlgItem(dlg, IDC_KV5PW_HINT));
        checked = (int)IsDlgButtonChecked(dlg, IDC_KV5PW_MASK);
        masked = Masks(dlg);
        Press(dlg, IDC_KV5PW_MASK);
        shown = Masks(dlg);
        Press(dlg, IDC_KV5PW_MASK);
        remasked = Masks(dlg);
        TypeInto(dlg, IDC_KV5PW_HINT, "my hint");
        TypeInto(dlg, IDC_KV5PW_PASSWORD, "Secret 1");
        TypeInto(dlg, IDC_KV5PW_CONFIRM, "secret 1");
        PostMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
        HWND box = FindWindowWait("Password Mismatch", nullptr, 10000);
        if (!box) return;
        message = MessageOf(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        for (int i = 0; i < 500 && IsWindow(box); i++) Sleep(10);
        TypeInto(dlg, IDC_KV5PW_CONFIRM, "Secret 1");
        Press(dlg, IDOK);
    });
    int r = kv5_PasswordDialog(1, &f);
    user.join();
    EXPECT_EQ(r, 1);
    EXPECT_EQ(hintAtStart, "");  // saving starts with every field empty
    EXPECT_EQ(checked, BST_CHECKED);
    EXPECT_EQ(masked, "password *, confirm *");
    EXPECT_EQ(shown, "password none, confirm none");
    EXPECT_EQ(remasked, masked);
    EXPECT_EQ(message, "Passwords don't match!");
    EXPECT_STREQ(f.password, "Secret 1");
    EXPECT_STREQ(f.confirm, "Secret 1");
    EXPECT_STREQ(f.hint, "my hint");

    // Both fields empty, or Skip in either mode: 0.
    std::thread hintOnly = DriveWindowLater(TITLE, [](HWND dlg) {
        TypeInto(dlg, IDC_KV5PW_HINT, "only a hint");
        Press(dlg, IDOK);
    });
    EXPECT_EQ(kv5_PasswordDialog(1, &f), 0);
    hintOnly.join();
    for (int saving = 0; saving <= 1; saving++) {
        std::thread skip = AnswerWindowLater(TITLE, IDCANCEL);
        EXPECT_EQ(kv5_PasswordDialog(saving, &f), 0);
        skip.join();
    }
}

TEST(Kv5PasswordDialog, LoadingShowsTheHintReadOnlyAndLimitsFields) {
    Kv5PasswordFields f{};
    std::strcpy(f.hint, "the file's hint");
    std::string hint;
    LONG styles[3] = {};
    const int ids[3] = {IDC_KV5PW_HINT, IDC_KV5PW_CONFIRM, IDC_KV5PW_PASSWORD};
    std::thread user = DriveWindowLater(TITLE, [&](HWND dlg) {
        hint = Text(GetDlgItem(dlg, IDC_KV5PW_HINT));
        for (int i = 0; i < 3; i++) styles[i] = GetWindowLongA(GetDlgItem(dlg, ids[i]), GWL_STYLE);
        TypeInto(dlg, IDC_KV5PW_PASSWORD, std::string(40, 'k'));  // 31 are taken
        Press(dlg, IDOK);
    });
    EXPECT_EQ(kv5_PasswordDialog(0, &f), 1);
    user.join();
    EXPECT_EQ(hint, "the file's hint");
    EXPECT_TRUE(styles[0] & ES_READONLY);
    EXPECT_TRUE(styles[1] & ES_READONLY);
    EXPECT_FALSE(styles[2] & ES_READONLY);
    EXPECT_EQ(std::string(f.password), std::string(31, 'k'));
}
