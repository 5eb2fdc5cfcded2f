// effects_e2e_win32.cpp — the effect, transform and matrix dialogs of a running
// kelvara.exe: the kept and reset settings, the guards, OK and Cancel after
// previews, undo, and the results read back by saving the image as .kv5.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/app_ids.h"
#include "effects/fx_smear.h"
#include "e2e/driver_win32.h"
#include "engine/engine.h"
#include "engine/shape.h"
#include "engine/surface.h"
#include "formats/kv5_file.h"
#include "panels/fx_ids.h"
#include "panels/size_ids.h"
#include "support/test_surface.h"

namespace {

struct Session {
    KvProcess* p;
    HWND main;
    std::string file;

    // Opens an effect or transform by its command; the dialog, or null.
    HWND Open(int command, const char* caption) {
        drv_Command(main, command);
        return drv_FindOwned(p, caption, 10000);
    }
    void Scroll(HWND dlg, int code, int times = 1) {
        for (int i = 0; i < times; i++)
            SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(code, 0), (LPARAM)GetDlgItem(dlg, IDC_FX_BAR0));
    }
    void Close(HWND dlg, int id) {
        PostMessageA(dlg, WM_COMMAND, id, 0);
        for (int t = 0; t < 200 && IsWindow(dlg); t++) Sleep(25);
    }
    // The image as saved now.
    void Saved(Surface* s) { ASSERT_TRUE(drv_SaveAndLoad(main, file, s)) << drv_Status(main); }
};

int all_alpha(Surface* s, uint32_t alpha) {
    int ok = 1;
    for (uint32_t w : WordsOf(s)) ok &= w >> 24 == alpha;
    return ok;
}

}  // namespace

TEST(Journey, EffectsAndTransformsWithPreview) {
    eng_Init();
    std::string dir = drv_MakeFolder("effects", drv_QuietSettingsFile());
    std::string file = dir + "\\picture.kv5", big = dir + "\\big.kv5";
    ASSERT_TRUE(drv_WritePicture(file, 64, 48));
    ASSERT_TRUE(drv_WritePicture(big, 2049, 2048));
    KvRunning r;
    ASSERT_TRUE(drv_StartReady(&r.p, dir, ("\"" + file + "\"").c_str())) << drv_Status(r.p.main);
    Session s{&r.p, r.p.main, file};
    SetCursorPos(1270, 1010);  // the real pointer off the window: its moves write no status
    Surface before{}, now{};
    s.Saved(&before);

    // Drop Shadow needs transparency: refused before any dialog.
    drv_Command(s.main, CMD_FX_DROP_SHADOW);
    EXPECT_TRUE(drv_Answer(s.p, "No Transparency", IDOK, 10000));
    EXPECT_FALSE(drv_FindOwned(s.p, "Effect - Drop Shadow", 500));

    // Cancel after several previews restores the image bit for bit.
    HWND dlg = s.Open(CMD_FX_BLUR, "Effect - Blur / Smear");
    ASSERT_TRUE(dlg);
    for (int code : {SB_PAGERIGHT, SB_PAGERIGHT, SB_RIGHT}) {
        s.Scroll(dlg, code);
        Sleep(150);
    }
    EXPECT_EQ(drv_Text(GetDlgItem(dlg, IDC_FX_LEVEL_TEXT)), "Effect Level: 1000 / 1000");
    s.Close(dlg, IDCANCEL);
    s.Saved(&now);
    EXPECT_TRUE(SameSurface(&before, &now)) << "cancelled blur";

    // Reopened, the same effect keeps its level; another one starts again at 500. OK
    // after the preview's rest is made keeps that preview: the whole image's blur.
    dlg = s.Open(CMD_FX_BLUR, "Effect - Blur / Smear");
    ASSERT_TRUE(dlg);
    EXPECT_EQ(drv_Text(GetDlgItem(dlg, IDC_FX_LEVEL_TEXT)), "Effect Level: 1000 / 1000");
    Sleep(600);
    s.Close(dlg, IDOK);
    s.Saved(&now);
    Surface blurred{};
    ASSERT_TRUE(srf_Duplicate(&blurred, &before) && fx_Blur(&blurred, 1000));
    EXPECT_TRUE(SameSurface(&blurred, &now)) << "blur kept from its preview";
    srf_Destroy(&blurred);
    drv_Command(s.main, CMD_UNDO);

    // Brightness at 500 changes nothing; OK still makes one undo step.
    dlg = s.Open(CMD_FX_BRIGHTNESS, "Effect - Adjust Brightness");
    ASSERT_TRUE(dlg);
    EXPECT_EQ(drv_Text(GetDlgItem(dlg, IDC_FX_LEVEL_TEXT)), "Effect Level: 500 / 1000");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_FX_BAR0 + 1)));
    s.Close(dlg, IDOK);
    s.Saved(&now);
    EXPECT_TRUE(SameSurface(&before, &now)) << "brightness 500";

    // Set Alpha at 1000 and at 0; undo goes back one effect at a time.
    dlg = s.Open(CMD_FX_SET_ALPHA, "Effect - Set Alpha");
    ASSERT_TRUE(dlg);
    s.Scroll(dlg, SB_RIGHT);
    Sleep(200);
    s.Close(dlg, IDOK);
    s.Saved(&now);
    EXPECT_TRUE(all_alpha(&now, 255));
    dlg = s.Open(CMD_FX_SET_ALPHA, "Effect - Set Alpha");
    ASSERT_TRUE(dlg);
    s.Scroll(dlg, SB_LEFT);
    Sleep(200);
    s.Close(dlg, IDOK);
    s.Saved(&now);
    EXPECT_TRUE(all_alpha(&now, 0));
    drv_Command(s.main, CMD_UNDO);
    s.Saved(&now);
    EXPECT_TRUE(all_alpha(&now, 255));

    // A zero-sum matrix is refused and changes nothing.
    drv_Command(s.main, CMD_UNDO);
    dlg = s.Open(CMD_FX_MATRIX, "Define matrix");
    ASSERT_TRUE(dlg);
    for (int i = 0; i < 9; i++) SetDlgItemTextA(dlg, IDC_MATRIX0 + i, i == 4 ? "-8" : "1");
    PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(drv_Answer(s.p, "Invalid Matrix", IDOK, 10000));
    s.Close(dlg, IDCANCEL);
    s.Saved(&now);
    EXPECT_TRUE(SameSurface(&before, &now)) << "refused matrix, after two undos";

    // Stretch at level 0 with "Left": 64 pixels wide become 6 (after the undo question).
    drv_Command(s.main, CMD_TR_STRETCH);
    EXPECT_TRUE(drv_Answer(s.p, "Continue Without Undo?", IDYES, 10000));
    dlg = drv_FindOwned(s.p, "Transform - Stretching", 10000);
    ASSERT_TRUE(dlg);
    EXPECT_EQ(drv_Text(GetDlgItem(dlg, IDC_TF_EDGE0 + 2)), "Both");
    s.Scroll(dlg, SB_LEFT);
    Sleep(200);
    EXPECT_TRUE(drv_SaveScreen(drv_BuildPath("kelvara_e2e_transform.bmp")));
    s.Close(dlg, IDOK);
    s.Saved(&now);
    EXPECT_EQ((Dims{now.width, now.height}), (Dims{6, 48}));

    // A transform of the sprite keeps its centre: the 6 x 48 image as a sprite at
    // (4, 4)-(9, 51), turned 90 degrees clockwise to 48 x 6 around (7, 28), lands at
    // (-16, 25)-(31, 30) when added to the image.
    Surface stretched{};
    s.Saved(&stretched);
    drv_Command(s.main, CMD_TO_SPRITE);
    drv_Command(s.main, CMD_TR_ROTATE90);
    ASSERT_TRUE(drv_Answer(s.p, "Select Target Image", 2750, 10000));  // "Use The Sprite"
    dlg = drv_FindOwned(s.p, "Transform - Right-Angle Rotate", 10000);
    ASSERT_TRUE(dlg);
    s.Scroll(dlg, SB_PAGELEFT, 2);
    Sleep(200);
    s.Close(dlg, IDOK);
    drv_Command(s.main, CMD_SPRITE_ADD);
    s.Saved(&now);
    ASSERT_TRUE(srf_Lock(&now) && srf_Lock(&stretched));
    // Sprite pixel (x, y) is the old image's (y, 47 - x); the sprite starts at x = -16.
    EXPECT_EQ(now.pixels[25 * now.stride + 0], stretched.pixels[(47 - 16) * stretched.stride + 0]);
    EXPECT_EQ(now.pixels[30 * now.stride + 5], stretched.pixels[(47 - 21) * stretched.stride + 5]);
    EXPECT_EQ(now.pixels[24 * now.stride + 0], stretched.pixels[24 * stretched.stride + 0]);
    srf_Unlock(&now);
    srf_Unlock(&stretched);
    srf_Destroy(&stretched);

    // Tile: the 6 x 48 image repeated to 13 x 50; pixel (12, 49) is the old (0, 1).
    s.Saved(&stretched);
    drv_Command(s.main, CMD_TR_TILE);
    ASSERT_TRUE(drv_Answer(s.p, "Continue Without Undo?", IDYES, 10000));
    dlg = drv_FindOwned(s.p, "Select Desired Picture Size", 10000);
    ASSERT_TRUE(dlg);
    SetDlgItemTextA(dlg, IDC_SIZE_WIDTH, "13");
    SetDlgItemTextA(dlg, IDC_SIZE_HEIGHT, "50");
    EXPECT_TRUE(drv_SaveScreen(drv_BuildPath("kelvara_e2e_picturesize.bmp")));
    s.Close(dlg, IDOK);
    s.Saved(&now);
    ASSERT_EQ((Dims{now.width, now.height}), (Dims{13, 50}));
    ASSERT_TRUE(srf_Lock(&now) && srf_Lock(&stretched));
    EXPECT_EQ(now.pixels[49 * now.stride + 12], stretched.pixels[1 * stretched.stride + 0]);
    srf_Unlock(&now);
    srf_Unlock(&stretched);
    srf_Destroy(&stretched);

    // The resize dialog and its presets, photographed and cancelled.
    drv_Command(s.main, CMD_RESIZE_IMAGE);
    dlg = drv_FindOwned(s.p, "Resize Image / Sprite", 10000);
    ASSERT_TRUE(dlg);
    PostMessageA(dlg, WM_COMMAND, IDC_SIZE_PRESETS, 0);
    HWND presets = drv_FindOwned(s.p, "Image Size Presets", 10000);
    EXPECT_TRUE(presets);
    EXPECT_TRUE(drv_SaveScreen(drv_BuildPath("kelvara_e2e_resize.bmp")));
    if (presets) s.Close(presets, IDCANCEL);
    s.Close(dlg, IDCANCEL);

    // New: a white image of the asked size, untitled.
    drv_Command(s.main, CMD_NEW);
    dlg = drv_FindOwned(s.p, "Select Desired Picture Size", 10000);
    ASSERT_TRUE(dlg);
    SetDlgItemTextA(dlg, IDC_SIZE_WIDTH, "40");
    SetDlgItemTextA(dlg, IDC_SIZE_HEIGHT, "30");
    s.Close(dlg, IDOK);
    for (int t = 0; t < 100 && drv_Text(s.main) != "Kelvara 1.80"; t++) Sleep(50);
    EXPECT_EQ(drv_Text(s.main), "Kelvara 1.80");
    // Its size, as the tile dialog offers it.
    drv_Command(s.main, CMD_TR_TILE);
    ASSERT_TRUE(drv_Answer(s.p, "Continue Without Undo?", IDYES, 10000));
    dlg = drv_FindOwned(s.p, "Select Desired Picture Size", 10000);
    ASSERT_TRUE(dlg);
    EXPECT_EQ(drv_Text(GetDlgItem(dlg, IDC_SIZE_WIDTH)) + "x" + drv_Text(GetDlgItem(dlg, IDC_SIZE_HEIGHT)), "40x30");
    s.Close(dlg, IDCANCEL);

    // Above 2048 x 2048 pixels the dialog warns first; No changes nothing.
    ASSERT_TRUE(drv_DropFiles(s.p, s.main, {big}));  // the image was just saved: no question
    for (int t = 0; t < 200 && drv_Text(s.main) != "Kelvara 1.80 - [ big.kv5 ]"; t++) Sleep(50);
    drv_Command(s.main, CMD_FX_COLOR_SHIFT);
    EXPECT_TRUE(drv_Answer(s.p, "Performance Warning", IDNO, 10000));
    EXPECT_FALSE(drv_FindOwned(s.p, "Effect - Color Shift", 500));

    srf_Destroy(&before);
    srf_Destroy(&now);
    eng_Shutdown();
}
