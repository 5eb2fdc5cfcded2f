// The Text-Art editor under Wine, driven through its real controls: every change lands
// in the settings and the text and renders into the sprite exactly as the text-art
// kernel does when called directly; the missing selection, the colour command, the
// font entries, fitting the sprite and the symbol dialog.
#include <gtest/gtest.h>
#include <cstring>
#include <functional>
#include <string>
#include "document/document.h"
#include "document/toolkernel_win32.h"
#include "document/tools.h"
#include "panels/textart_ids.h"
#include "panels/textart_win32.h"
#include "settings/settings.h"
#include "support/test_surface.h"
#include "support/ui_script.h"
#include "support/win_driver_win32.h"

namespace {
const char kDefaultText[] = "Enter text here";

void Command(HWND w, int id, int code) {
    SendMessageA(w, WM_COMMAND, MAKEWPARAM(id, code), (LPARAM)GetDlgItem(w, id));
}
void Choose(HWND w, int id, const char* entry) {
    HWND combo = GetDlgItem(w, id);
    SendMessageA(combo, CB_SETCURSEL, SendMessageA(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)entry), 0);
    Command(w, id, CBN_SELCHANGE);
}
void Scroll(HWND w, int id, int code, int track = 0) {
    SendMessageA(w, WM_HSCROLL, MAKEWPARAM(code, track), (LPARAM)GetDlgItem(w, id));
}

// The sprite as the kernel draws it with the present settings at `size` points.
bool SpriteIsKernelRender(int size) {
    TestSurface want(g_doc.sprite.width, g_doc.sprite.height);
    tk_RenderTextArt(want.get(), tool_TextArtText(), g_settings.textFont, size, g_settings.textFlags,
                     g_settings.textStyle, g_settings.textLevel, g_settings.colour1, g_settings.colour2,
                     g_settings.textBorder, g_settings.textAntialias);
    return SameSurface(&g_doc.sprite, want.get());
}

struct TextArtEditor : ::testing::Test {
    HWND w = nullptr;
    void SetUp() override {
        ResetSettings(1);
        set_TextFont("Arial");
        std::strcpy(tool_TextArtText(), kDefaultText);
        srf_Create(240, 160, &g_doc.mainImage);
        uiscript_Reset();
    }
    void Open(bool withSprite) {
        if (withSprite) {
            ASSERT_TRUE(doc_SpriteFromArea(20, 20, 219, 119, 0));
        }
        w = textart_Open(nullptr);
        ASSERT_NE(w, nullptr) << "dialog 191 must be among the test program's resources";
    }
    void TearDown() override {
        if (textart_Window()) SendMessageA(textart_Window(), WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(textart_Window(), nullptr);
        doc_Discard();
        srf_Destroy(&g_doc.mainImage);
    }
};

struct ControlCase {
    const char* name;
    std::function<void(HWND)> act;
    std::function<bool()> stored;  // what the settings or the text must hold afterwards
    int size;                      // the size the sprite must be rendered at
};

const ControlCase kControls[] = {
    {"size typed beyond the list", [](HWND w) { SetDlgItemTextA(w, IDC_TA_SIZE, "300 pt size"); Command(w, IDC_TA_SIZE, CBN_EDITCHANGE); },
     [] { return g_settings.textSize == 255; }, 300},
    {"size chosen in the list", [](HWND w) { Choose(w, IDC_TA_SIZE, "120 pt size"); },
     [] { return g_settings.textSize == 120; }, 120},
    {"white border", [](HWND w) { Choose(w, IDC_TA_BORDER, "16 - Full / Bright White"); },
     [] { return g_settings.textBorder == 16; }, 24},
    {"banner style", [](HWND w) { Choose(w, IDC_TA_STYLE, "14 - Banner 2"); },
     [] { return g_settings.textStyle == 14; }, 24},
    {"level dragged to its left end", [](HWND w) { Scroll(w, IDC_TA_LEVEL, SB_THUMBTRACK, 0); },
     [] { return g_settings.textLevel == 10; }, 24},
    {"antialiasing to its right end", [](HWND w) { Scroll(w, IDC_TA_ANTIALIAS, SB_RIGHT); },
     [] { return g_settings.textAntialias == 255; }, 24},
    {"italic box", [](HWND w) { SendDlgItemMessageA(w, IDC_TA_ITALIC, BM_CLICK, 0, 0); },
     [] { return g_settings.textFlags == 0x33; }, 24},
    {"text typed", [](HWND w) {
         SendDlgItemMessageA(w, IDC_TA_TEXT, EM_SETSEL, 0, -1);
         SendDlgItemMessageA(w, IDC_TA_TEXT, EM_REPLACESEL, TRUE, (LPARAM) "Two\r\nlines");
     },
     [] { return std::string(tool_TextArtText()) == "Two\r\nlines"; }, 24},
    {"logo clicked", [](HWND w) { Command(w, IDC_TA_LOGO, STN_CLICKED); },
     [] { return std::string(tool_TextArtText()) == std::string(kDefaultText) + "Orvik"; }, 24},
    {"colour command", [](HWND w) {
         set_Colour(1, 0x00FF00);
         set_TextValue(SET_TEXT_FLAGS, 0);  // one colour, so the change shows everywhere
         SendMessageA(w, WM_COMMAND, IDC_TA_RERENDER, 0);
     },
     [] { return g_settings.colour1 == 0x00FF00; }, 24},
};
}  // namespace

TEST_F(TextArtEditor, OpensOnTheStoredValuesAndRendersIntoTheSprite) {
    Open(true);
    char text[64];
    GetDlgItemTextA(w, IDC_TA_SIZE, text, sizeof text);
    EXPECT_STREQ(text, "24 pt size");
    GetDlgItemTextA(w, IDC_TA_TEXT, text, sizeof text);
    EXPECT_STREQ(text, kDefaultText);
    GetDlgItemTextA(w, IDC_TA_STYLE, text, sizeof text);
    EXPECT_STREQ(text, "1 - Trapezium 1");
    EXPECT_EQ((std::vector<UINT>{IsDlgButtonChecked(w, IDC_TA_BOLD), IsDlgButtonChecked(w, IDC_TA_CENTER),
                                 IsDlgButtonChecked(w, IDC_TA_GRADIENT), IsDlgButtonChecked(w, IDC_TA_ITALIC)}),
              (std::vector<UINT>{BST_CHECKED, BST_CHECKED, BST_CHECKED, BST_UNCHECKED}));
    EXPECT_EQ(GetScrollPos(GetDlgItem(w, IDC_TA_LEVEL), SB_CTL), 50);
    EXPECT_TRUE(uiscript_Boxes().empty());
    const int fonts = (int)SendDlgItemMessageA(w, IDC_TA_FONT, LB_GETCOUNT, 0, 0);
    ASSERT_GT(fonts, 0);
    ASSERT_EQ(uiscript_Statuses().size(), 2u);
    EXPECT_EQ(uiscript_Statuses()[0], " Searching for fonts...");
    EXPECT_EQ(uiscript_Statuses()[1], " " + std::to_string(fonts) + " fonts found and loaded");
    EXPECT_TRUE(SpriteIsKernelRender(24));
    EXPECT_TRUE(uiscript_ViewChanges() & UI_VIEW_REPAINT);
    EXPECT_EQ(textart_Open(nullptr), w);  // one editor only
}

TEST_F(TextArtEditor, EveryControlStoresItsValueAndRendersAtOnce) {
    for (const ControlCase& c : kControls) {
        SCOPED_TRACE(c.name);
        Open(true);
        FillAll(&g_doc.sprite, 0x12345678u);  // any stale picture shows as a mismatch
        c.act(w);
        EXPECT_TRUE(c.stored());
        EXPECT_TRUE(SpriteIsKernelRender(c.size));
        TearDown();
        SetUp();
    }
}

TEST_F(TextArtEditor, WithoutASelectionWarnsYetOpensAndRenders) {
    srf_Create(64, 32, &g_doc.sprite);  // a sprite surface that is not presented
    Open(false);
    ASSERT_EQ(uiscript_BoxLines(), std::vector<std::string>{"No Selection: To insert text, select an area with the text tool first"});
    EXPECT_EQ(uiscript_Boxes()[0].flags & 0xF0, UI_ICONWARNING);
    EXPECT_TRUE(IsWindow(w));
    EXPECT_TRUE(SpriteIsKernelRender(24));
    Command(w, IDC_TA_FIT, BN_CLICKED);  // nothing to fit without a selection
    EXPECT_EQ(g_doc.sprite.width, 64u);
}

TEST_F(TextArtEditor, FontEntriesAreChosenAndDrawnOnTheSelectionColour) {
    Open(true);
    HWND list = GetDlgItem(w, IDC_TA_FONT);
    char face[64];
    SendMessageA(list, LB_GETTEXT, 0, (LPARAM)face);
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    Command(w, IDC_TA_FONT, LBN_SELCHANGE);
    EXPECT_STREQ(g_settings.textFont, face);
    EXPECT_TRUE(SpriteIsKernelRender(24));
    EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), 36);

    const struct { UINT state; uint32_t back; } rows[] = {{ODS_SELECTED, 0xC0C0FFu}, {0, 0xFFFFFFu}};
    for (const auto& row : rows) {
        TestSurface item(300, 36);
        DRAWITEMSTRUCT d{ODT_LISTBOX, IDC_TA_FONT, 0, ODA_DRAWENTIRE, row.state, list, (HDC)item->dc, {0, 0, 300, 36}, 0};
        SendMessageA(w, WM_DRAWITEM, IDC_TA_FONT, (LPARAM)&d);
        GdiFlush();
        EXPECT_EQ(item.at(299, 0) & 0xFFFFFF, row.back);
        int ink = 0;
        for (int x = 0; x < 300; x++) ink += (item.at(x, 18) & 0xFFFFFF) != row.back;
        EXPECT_GT(ink, 0) << "the face's name is drawn";
    }
}

TEST_F(TextArtEditor, ResizeToFitTextGivesTheSpriteTheMeasuredSize) {
    Open(true);
    TestSurface probe(g_doc.sprite.width, g_doc.sprite.height);
    RECT want = {g_doc.spriteX1, g_doc.spriteY1, g_doc.spriteX2, g_doc.spriteY2};
    ASSERT_TRUE(tk_FitTextSurface(probe.get(), tool_TextArtText(), "Arial", 24, g_settings.textFlags, &want));
    Command(w, IDC_TA_FIT, BN_CLICKED);
    EXPECT_EQ(g_doc.spriteX2, want.right);
    EXPECT_EQ(g_doc.spriteY2, want.bottom);
    EXPECT_EQ(g_doc.sprite.width, probe->width);
    EXPECT_TRUE(SpriteIsKernelRender(24));
}

TEST_F(TextArtEditor, InsertSymbolAppendsTheChosenCharacterOnlyOnOk) {
    // #169 is the copyright sign, held in UTF-8 (the program's code page).
    const struct { int button; std::string added; } rows[] = {{IDOK, "\xC2\xA9"}, {IDCANCEL, ""}};
    for (const auto& row : rows) {
        Open(true);
        std::thread user = DriveWindowLater("Insert Symbol", [&](HWND d) {
            HWND list = GetDlgItem(d, IDC_SYM_LIST);
            EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 128);
            EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), 64);
            SendMessageA(list, LB_SETCURSEL, 0xA9 - 128, 0);
            PressButton(d, row.button);
        });
        Command(w, IDC_TA_INSERT_SYMBOL, BN_CLICKED);
        user.join();
        EXPECT_EQ(std::string(tool_TextArtText()), kDefaultText + row.added);
        char shown[64];
        GetDlgItemTextA(w, IDC_TA_TEXT, shown, sizeof shown);
        EXPECT_EQ(std::string(shown), kDefaultText + row.added);
        TearDown();
        SetUp();
    }
}
