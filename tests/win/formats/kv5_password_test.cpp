// The real "Please Enter Password" dialog, driven from another thread like a user:
// typing into its fields, pressing its buttons, answering its message box. Also a
// KV5 file saved over an existing one through the Win32 replace step.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <thread>
#include "formats/formats_ids.h"
#include "formats/kv5_password_win32.h"
#include "support/format_support.h"
#include "support/scratch.h"
#include "support/win_driver_win32.h"

using namespace ftest;

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

std::string Text(HWND w) {
    char buf[512] = {};
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

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

// Both fields' password characters, as one number.
int Masks(HWND dlg) {
    return (int)SendDlgItemMessageA(dlg, IDC_KV5PW_PASSWORD, EM_GETPASSWORDCHAR, 0, 0) * 1000 +
           (int)SendDlgItemMessageA(dlg, IDC_KV5PW_CONFIRM, EM_GETPASSWORDCHAR, 0, 0);
}

}  // namespace

TEST(Kv5PasswordDialog, SavingMasksChecksTheConfirmationAndApplies) {
    Kv5PasswordFields f{};
    std::strcpy(f.hint, "stale");
    std::string message, hintAtStart = "?";
    int checked = -1, masked = -1, shown = -1, remasked = -1;
    std::thread user([&] {
        HWND dlg = FindWindowWait(TITLE, nullptr, 10000);
        if (!dlg) return;
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
    EXPECT_EQ(masked, '*' * 1000 + '*');
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(remasked, masked);
    EXPECT_EQ(message, "Passwords don't match!");
    EXPECT_STREQ(f.password, "Secret 1");
    EXPECT_STREQ(f.confirm, "Secret 1");
    EXPECT_STREQ(f.hint, "my hint");

    // Both fields empty, or Skip in either mode: 0.
    std::thread hintOnly([] {
        if (HWND dlg = FindWindowWait(TITLE, nullptr, 10000)) TypeInto(dlg, IDC_KV5PW_HINT, "only a hint"), Press(dlg, IDOK);
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
    std::thread user([&] {
        HWND dlg = FindWindowWait(TITLE, nullptr, 10000);
        if (!dlg) return;
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

TEST(Kv5FileWin32, SavingOverAFileReplacesItWhole) {
    Scratch d("kv5replace");
    WriterSettings ws(2, 0, 1, "Wine");
    TestSurface a(40, 30), b(64, 16), back(1, 1);
    std::mt19937 rng(3);
    FillRandom(a.get(), rng);
    FillRandom(b.get(), rng);
    const std::string path = d.At("r.kv5");
    ASSERT_EQ(kv5_Save(a.get(), path.c_str()), 1);
    ASSERT_EQ(kv5_Save(b.get(), path.c_str()), 1);
    ImageFileInfo info{};
    ASSERT_EQ(kv5_Load(back.get(), path.c_str(), &info), 1);
    EXPECT_TRUE(SameSurface(b.get(), back.get()));
    EXPECT_EQ(std::string(info.authorText).rfind("Wine, ", 0), 0u);
    EXPECT_EQ(GetFileAttributesA(d.At("r.kv~").c_str()), INVALID_FILE_ATTRIBUTES);
}
