// The real file dialogs with their preview panel, driven from another thread: the
// information of a file named at start, the preview switch, cancel; a save dialog
// whose file type replaces the extension typed; the filter index kept between runs.
#include <gtest/gtest.h>
#include <windows.h>
#include <dlgs.h>
#include <cstring>
#include <string>
#include <thread>
#include "app/title.h"
#include "engine/engine.h"
#include "formats/filedlg_win32.h"
#include "formats/formats_ids.h"
#include "formats/kv5_file.h"
#include "formats/kv5_protect.h"
#include "settings/settings.h"
#include "support/test_surface.h"
#include "support/ui_script.h"
#include "support/win_driver_win32.h"

namespace {

std::string Text(HWND w) {
    char buf[1024] = {};
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

// Any descendant with this id (the panel is a child dialog inside the file dialog).
HWND Descendant(HWND root, int id) {
    struct Find {
        int id;
        HWND found;
    } f = {id, nullptr};
    EnumChildWindows(
        root,
        [](HWND child, LPARAM lp) -> BOOL {
            Find* f = (Find*)lp;
            if (GetDlgCtrlID(child) != f->id) return TRUE;
            f->found = child;
            return FALSE;
        },
        (LPARAM)&f);
    return f.found;
}

// Waits until the window's text starts with `prefix`; returns the last text seen.
std::string WaitText(HWND w, const std::string& prefix) {
    std::string t;
    for (int i = 0; i < 300; i++) {
        t = Text(w);
        if (t.rfind(prefix, 0) == 0) break;
        Sleep(20);
    }
    return t;
}

HWND NameField(HWND dialog) {
    HWND combo = GetDlgItem(dialog, cmb13);
    return combo && IsWindowVisible(combo) ? combo : GetDlgItem(dialog, edt1);
}

// Picks a file type the way the combo box reports a user's choice.
void ChooseType(HWND dialog, int index0) {
    HWND types = GetDlgItem(dialog, cmb1);
    SendMessageA(types, CB_SETCURSEL, index0, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE), (LPARAM)types);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELENDOK), (LPARAM)types);
}

struct Folder {
    std::string dir;
    Folder() {
        char tmp[MAX_PATH];
        GetTempPathA(sizeof tmp, tmp);
        dir = std::string(tmp) + "kvfiledlg" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(dir.c_str(), nullptr);
    }
    ~Folder() {
        for (const char* n : {"seven.kv5", "picture.bmp", "locked.kv5"}) DeleteFileA((dir + "\\" + n).c_str());
        RemoveDirectoryA(dir.c_str());
    }
    std::string file(const char* name) const { return dir + "\\" + name; }
};

std::string WriteSevenByFive(const Folder& f) {
    TestSurface s(7, 5);
    FillWith(s.get(), 0, 0, 6, 4, 0x00336699);
    std::string path = f.file("seven.kv5");
    EXPECT_EQ(kv5_Save(s.get(), path.c_str()), 1);
    return path;
}

}  // namespace

TEST(FileDialogs, OpenShowsInformationPreviewSwitchAndCancel) {
    eng_Init();
    Folder f;
    std::string path = WriteSevenByFive(f);
    SetTitle(path.c_str());  // the current document's file fills the name at start

    std::string loaded, black, disabled, pathLine;
    std::thread driver = DriveWindowLater("Open Image", [&](HWND dlg) {
        HWND info = nullptr;
        for (int i = 0; i < 300 && !info; i++, Sleep(20)) info = Descendant(dlg, IDC_FDP_INFO);
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
    EXPECT_EQ(img_OpenImageDialog(out), 0);
    driver.join();
    EXPECT_STREQ(out, "untouched");

    EXPECT_EQ(loaded.rfind("Size: 7 by 5\r\nPassword: NONE\r\nFile Size: ", 0), 0u) << loaded;
    EXPECT_NE(loaded.find("Transparency: NONE\r\n"), std::string::npos) << loaded;
    EXPECT_EQ(black.rfind("Size: 7 by 5\r\n", 0), 0u) << black;
    EXPECT_EQ(disabled,
              "You have disabled the Image Preview function.\r\nYou need to enable it by ticking the checkbox "
              "below to load image information and preview.");
    EXPECT_EQ(_stricmp(pathLine.c_str(), path.c_str()), 0) << pathLine;
    SetTitle(TTL_UNTITLED);
}

// Reads the information field of the "Open Image" dialog once it starts with `prefix`.
std::string OpenImageInformation(const std::string& prefix) {
    std::string text;
    std::thread driver = DriveWindowLater("Open Image", [&](HWND dlg) {
        HWND info = nullptr;
        for (int i = 0; i < 300 && !info; i++, Sleep(20)) info = Descendant(dlg, IDC_FDP_INFO);
        if (info) text = WaitText(info, prefix);
        PressButton(dlg, IDCANCEL);
    });
    char out[512];
    EXPECT_EQ(img_OpenImageDialog(out), 0);
    driver.join();
    return text;
}

TEST(FileDialogs, ProtectedFileIsProbedNotLoaded) {
    eng_Init();
    Folder f;
    SettingsRecord saved = g_settings;
    g_settings.kv5Password = 1;
    g_settings.authorTag = 1;
    std::strcpy(g_settings.userName, "Somebody With A Long Name");
    uiscript_Reset();
    UiScriptedAnswer pw;
    pw.result = 1;
    pw.text1 = "secret";
    pw.text2 = "hint";
    uiscript_QueuePrompt(KV5_PASSWORD_PROMPT, pw);
    TestSurface s(7, 5);
    std::string path = f.file("locked.kv5");
    ASSERT_EQ(kv5_Save(s.get(), path.c_str()), 1);
    g_settings = saved;

    SetTitle(path.c_str());
    std::string text = OpenImageInformation("Size:");
    SetTitle(TTL_UNTITLED);
    EXPECT_EQ(text.rfind("Size: 7 by 5\r\nPassword: YES\r\nFile Size: ", 0), 0u) << text;
    EXPECT_NE(text.find("\r\nFormat: Kelvara Draw Image\r\nRights: Somebody With A Long Nam..."), std::string::npos)
        << text;
    // Quiet loading never asked for the password.
    EXPECT_EQ(uiscript_PromptsAsked().size(), 1u);
}

TEST(FileDialogs, SaveTypeChangeReplacesTypedExtension) {
    eng_Init();
    Folder f;
    std::string typed = f.file("picture.kv5");
    std::string renamed, afterAll;
    std::thread driver = DriveWindowLater("Save Image", [&](HWND dlg) {
        HWND name = nullptr;
        for (int i = 0; i < 300 && !(name = NameField(dlg)); i++) Sleep(20);
        Sleep(200);  // let the dialog finish its start-up before typing
        SetWindowTextA(name, typed.c_str());
        ChooseType(dlg, 1);  // "Standard Bitmaps (.bmp/.dib)"
        renamed = Text(name);
        ChooseType(dlg, 7);  // "Any format (All files) " leaves the name alone
        afterAll = Text(name);
        PressButton(dlg, IDOK);
    });
    char out[512] = "";
    EXPECT_EQ(img_SaveImageDialog(out), 1);
    driver.join();
    EXPECT_EQ(renamed, f.file("picture.bmp"));
    EXPECT_EQ(afterAll, renamed);
    EXPECT_EQ(_stricmp(out, f.file("picture.bmp").c_str()), 0) << out;
}

TEST(FileDialogs, FilterIndexIsRememberedPerDialog) {
    eng_Init();
    Folder f;
    std::string path = WriteSevenByFive(f);
    std::thread choose = DriveWindowLater("Open Sprite", [&](HWND dlg) {
        HWND name = nullptr;
        for (int i = 0; i < 300 && !(name = NameField(dlg)); i++) Sleep(20);
        Sleep(200);
        ChooseType(dlg, 2);  // "Any format (All files)"
        SetWindowTextA(name, path.c_str());
        PressButton(dlg, IDOK);
    });
    char out[512] = "";
    EXPECT_EQ(img_OpenSpriteDialog(out), 1);
    choose.join();
    EXPECT_EQ(_stricmp(out, path.c_str()), 0) << out;

    LRESULT sprite = -1, image = -1;
    auto readType = [](LRESULT* sel) {
        return [sel](HWND dlg) {
            HWND types = nullptr;
            for (int i = 0; i < 300 && !(types = GetDlgItem(dlg, cmb1)); i++) Sleep(20);
            Sleep(200);
            *sel = SendMessageA(types, CB_GETCURSEL, 0, 0);
            PressButton(dlg, IDCANCEL);
        };
    };
    std::thread again = DriveWindowLater("Open Sprite", readType(&sprite));
    EXPECT_EQ(img_OpenSpriteDialog(out), 0);
    again.join();
    std::thread other = DriveWindowLater("Open Image", readType(&image));
    EXPECT_EQ(img_OpenImageDialog(out), 0);
    other.join();
    EXPECT_EQ(sprite, 2);
    EXPECT_EQ(image, 0);  // the image dialog keeps its own
}
