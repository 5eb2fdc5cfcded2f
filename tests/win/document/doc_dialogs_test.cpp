// The document's dialogs driven like a user: target choice and border size.
#include <gtest/gtest.h>
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
