// The document's dialogs driven like a user: target choice (placement and label
// colours too) and border size.
#include <gtest/gtest.h>
#include <cstdlib>
#include "document/doc_dialogs_win32.h"
#include "document/document.h"
#include "document/document_ids.h"
#include "support/ui_script.h"
#include "support/win_driver_win32.h"

TEST(DocDialogs, TargetIsAskedOnlyWithASpriteAndBorderSizeIsTyped) {
    uiscript_Reset();
    g_doc.spritePresent = 0;
    EXPECT_EQ(SelectTarget(nullptr), DOC_TARGET_MAIN);
    g_doc.spritePresent = 1;
    const struct {
        int button, target;
        const char* status;
    } picks[] = {{IDC_TARGET_SPRITE, DOC_TARGET_SPRITE, " Target set to Sprite..."},
                 {IDC_TARGET_MAIN, DOC_TARGET_MAIN, " Target set to Main Image..."},
                 {IDCANCEL, -1, " Target set to Main Image..."}};
    for (const auto& p : picks) {
        std::thread user = AnswerWindowLater("Select Target Image", p.button);
        EXPECT_EQ(SelectTarget(nullptr), p.target) << p.button;
        user.join();
        EXPECT_EQ(uiscript_Statuses().back(), p.status) << p.button;
    }
    // Over a main window: centred on it, labels in 0x404040 on 0xEFD7D7.
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, 100, 80, 700, 500, nullptr, nullptr,
                               nullptr, nullptr);
    int dx = 99, dy = 99;
    COLORREF text = 0, back = 0;
    std::thread look = DriveWindowLater("Select Target Image", [&](HWND dlg) {
        RECT o, d;
        GetWindowRect(owner, &o);
        GetWindowRect(dlg, &d);
        dx = (d.left + d.right) / 2 - (o.left + o.right) / 2;
        dy = (d.top + d.bottom) / 2 - (o.top + o.bottom) / 2;
        HDC dc = CreateCompatibleDC(nullptr);
        SendMessageA(dlg, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)GetWindow(dlg, GW_CHILD));
        text = GetTextColor(dc);
        back = GetBkColor(dc);
        DeleteDC(dc);
        PressButton(dlg, IDC_TARGET_SPRITE);
    });
    EXPECT_EQ(SelectTarget(owner), DOC_TARGET_SPRITE);
    look.join();
    DestroyWindow(owner);
    EXPECT_LE(std::abs(dx), 1);
    EXPECT_LE(std::abs(dy), 1);
    EXPECT_EQ(text, 0x404040u);
    EXPECT_EQ(back, 0xEFD7D7u);
    g_doc.spritePresent = 0;
    std::thread typist = DriveWindowLater("Specify Border Size", [](HWND dlg) {
        SendMessageA(GetDlgItem(dlg, IDC_BORDER_EDIT), WM_SETTEXT, 0, (LPARAM) "7");
        PressButton(dlg, IDC_BORDER_APPLY);
    });
    EXPECT_EQ(doc_AskBorder(nullptr), 7);
    typist.join();
    std::thread discard = AnswerWindowLater("Specify Border Size", IDC_BORDER_DISCARD);
    EXPECT_EQ(doc_AskBorder(nullptr), 0);
    discard.join();
}
