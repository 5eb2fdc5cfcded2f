// The document's dialogs driven like a user: target choice and border size.
#include <gtest/gtest.h>
#include "document/doc_dialogs_win32.h"
#include "document/document.h"
#include "document/document_ids.h"
#include "support/ui_script.h"
#include "support/win_driver_win32.h"

TEST(DocDialogs, TargetIsAskedOnlyWithASprite) {
    uiscript_Reset();
    g_doc.spritePresent = 0;
    EXPECT_EQ(SelectTarget(nullptr), DOC_TARGET_MAIN);
    g_doc.spritePresent = 1;
    std::thread pick = AnswerWindowLater("Select Target Image", IDC_TARGET_SPRITE);
    EXPECT_EQ(SelectTarget(nullptr), DOC_TARGET_SPRITE);
    pick.join();
    EXPECT_EQ(uiscript_Statuses().back(), " Target set to Sprite...");
    pick = AnswerWindowLater("Select Target Image", IDC_TARGET_MAIN);
    EXPECT_EQ(SelectTarget(nullptr), DOC_TARGET_MAIN);
    pick.join();
    EXPECT_EQ(uiscript_Statuses().back(), " Target set to Main Image...");
    pick = AnswerWindowLater("Select Target Image", IDCANCEL);
    EXPECT_EQ(SelectTarget(nullptr), -1);
    pick.join();
    g_doc.spritePresent = 0;
}

TEST(DocDialogs, BorderSizeAppliesTheTypedValueOrDiscards) {
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
