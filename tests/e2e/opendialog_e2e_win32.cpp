// opendialog_e2e_win32.cpp — the Open dialog as a user meets it: typing goes into the
// file name (never to the dialog's shortcuts, which would pick another file type), and
// the preview follows a change of folder instead of keeping the old picture.
#include <gtest/gtest.h>
#include <windows.h>

#include <dlgs.h>

#include <string>

#include "app/app_ids.h"
#include "e2e/driver_win32.h"
#include "engine/engine.h"
#include "formats/formats_ids.h"
#include "support/win_driver_win32.h"

namespace {

// A control of the preview panel, a dialog inside the file dialog.
HWND panel_item(HWND dialog, int id) {
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (HWND item = GetDlgItem(c, id)) return item;
    return nullptr;
}

HWND focus_in(HWND w) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &info) ? info.hwndFocus : nullptr;
}

}  // namespace

TEST(Journey, OpenDialogTakesTheNameAndFollowsTheFolder) {
    eng_Init();
    std::string dir = drv_MakeFolder("opendialog", drv_QuietSettingsFile());
    std::string file = dir + "\\tortoise.kv5", sub = dir + "\\more";
    ASSERT_TRUE(drv_WritePicture(file, 64, 48));
    CreateDirectoryA(sub.c_str(), nullptr);
    KvRunning r;
    ASSERT_TRUE(drv_StartReady(&r.p, dir, ("\"" + file + "\"").c_str())) << drv_Status(r.p.main);

    drv_Command(r.p.main, CMD_OPEN);
    HWND dlg = drv_FindOwned(&r.p, "Open Image", 10000);
    ASSERT_TRUE(dlg);
    HWND info = nullptr;
    for (int t = 0; t < 100 && !(info = panel_item(dlg, IDC_FDP_INFO)); t++) Sleep(50);
    ASSERT_TRUE(info);
    for (int t = 0; t < 100 && drv_Text(info).rfind("Size: 64 by 48", 0) != 0; t++) Sleep(50);
    EXPECT_EQ(drv_Text(info).rfind("Size: 64 by 48", 0), 0u) << "the open file is previewed: " << drv_Text(info);

    // The focus starts in the name field; letters typed land there.
    HWND name = GetDlgItem(dlg, cmb13);
    if (!name || !IsWindowVisible(name)) name = GetDlgItem(dlg, edt1);
    HWND focus = nullptr;
    for (int t = 0; t < 100 && !((focus = focus_in(dlg)) == name || IsChild(name, focus)); t++) Sleep(50);
    EXPECT_TRUE(focus == name || IsChild(name, focus)) << "the focus is on control " << GetDlgCtrlID(focus);
    LRESULT type = SendDlgItemMessageA(dlg, cmb1, CB_GETCURSEL, 0, 0);
    for (const char* c = "tortoise"; *c; c++) PostMessageA(focus, WM_CHAR, (WPARAM)*c, 0);
    for (int t = 0; t < 100 && drv_Text(name) != "tortoise"; t++) Sleep(20);
    EXPECT_EQ(drv_Text(name), "tortoise");
    EXPECT_EQ(SendDlgItemMessageA(dlg, cmb1, CB_GETCURSEL, 0, 0), type) << "typing switched the file type";

    // Into a folder without pictures: the preview shows that folder, not the old picture.
    TypeFileName(dlg, sub);
    for (int t = 0; t < 100 && drv_Text(info) != "<< FILE FOLDER >>"; t++) Sleep(50);
    EXPECT_EQ(drv_Text(info), "<< FILE FOLDER >>");
    EXPECT_TRUE(drv_Cancel(&r.p, "Open Image", 5000));
    EXPECT_TRUE(drv_CloseWithYes(&r.p));
    eng_Shutdown();
}
