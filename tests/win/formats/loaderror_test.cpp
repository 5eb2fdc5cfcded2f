// The real "Loader Error" dialog: its texts, the colours of the heading and the link,
// and Close.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "formats/formats_ids.h"
#include "formats/loaderror_win32.h"
#include "support/win_driver_win32.h"

namespace {

std::string TextOf(HWND w) {
    char buf[512] = "";
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
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

}  // namespace

TEST(LoaderErrorDialog, ShowsTheReasonInItsColoursAndCloses) {
    const char reason[] = "    The file you specified could not be loaded. IT DOES NOT EXIST.";
    std::string heading, text, link;
    COLORREF red = 0, blue = 0;
    std::thread t = DriveWindowLater("Loader Error", [&](HWND w) {
        heading = TextOf(GetDlgItem(w, IDC_LDERR_HEADING));
        text = TextOf(GetDlgItem(w, IDC_LDERR_TEXT));
        link = TextOf(GetDlgItem(w, IDC_LDERR_LINK));
        red = ColourOf(w, IDC_LDERR_HEADING);
        blue = ColourOf(w, IDC_LDERR_LINK);
        PressButton(w, IDCANCEL);
    });
    img_LoaderErrorDialog(nullptr, reason);
    t.join();
    EXPECT_EQ(heading, "IMAGE NOT LOADED");
    EXPECT_EQ(text, reason);
    EXPECT_EQ(link, "<< click here to download plugins >>");
    EXPECT_EQ(red, RGB(255, 0, 0));
    EXPECT_EQ(blue, RGB(0, 0, 255));
    EXPECT_EQ(FindWindowA(nullptr, "Loader Error"), nullptr);
}
