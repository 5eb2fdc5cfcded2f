// Preview panel texts and geometry: the file size steps, the information texts of a
// loaded and of a probed file, the fit rectangle, and the save dialogs' pattern rules.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "formats/preview_text.h"

static std::string SizeText(int64_t n) {
    char out[32];
    pvt_FileSizeText(n, out, sizeof out);
    return out;
}

TEST(PreviewText, FileSizeStepsTruncate) {
    EXPECT_EQ(SizeText(0), "0 bytes");
    EXPECT_EQ(SizeText(1023), "1023 bytes");
    EXPECT_EQ(SizeText(1024), "1.00 KB");
    EXPECT_EQ(SizeText(1535), "1.49 KB");  // 1.499..., not rounded up
    EXPECT_EQ(SizeText(1048575), "1023.99 KB");
    EXPECT_EQ(SizeText(1048576), "1.00 MB");
    EXPECT_EQ(SizeText(5 * 1048576 + 1048575), "5.99 MB");
    EXPECT_EQ(SizeText((int64_t)3 << 40), "3145728.00 MB");  // beyond 32 bits, no wrap
    EXPECT_EQ(SizeText(-1), "<unknown>");
}

TEST(PreviewText, InformationOfLoadedAndProbedFiles) {
    ImageFileInfo info;
    std::memset(&info, 0, sizeof info);
    info.width = 7;
    info.height = 5;
    char out[512];
    pvt_LoadedInfo(&info, "130 bytes", "KV5 File", out, sizeof out);
    EXPECT_STREQ(out, "Size: 7 by 5\r\nPassword: NONE\r\nFile Size: 130 bytes\r\nFormat: KV5 File\r\n"
                      "Transparency: NONE\r\n");

    const char* kinds[3] = {"-> Translucency (KVDRAW2)", "-> Opacity (Windows GDI)", "-> Proprietary Alpha Type"};
    info.hasAlpha = 1;
    for (int k = 0; k < 3; k++) {
        info.looksLikeOpacity = (uint8_t)k;
        pvt_LoadedInfo(&info, "1.00 KB", "BMP", out, sizeof out);
        EXPECT_NE(std::string(out).find(std::string("Transparency: YES:\r\n") + kinds[k] + "\r\n"), std::string::npos);
    }

    // The author text is cut to 24 characters, and an unterminated record stays in bounds.
    std::memset(info.authorText, 'x', sizeof info.authorText);
    pvt_ProbedInfo(&info, "9 bytes", out, sizeof out);
    EXPECT_STREQ(out, "Size: 7 by 5\r\nPassword: NO\r\nFile Size: 9 bytes\r\nFormat: Kelvara Draw Image\r\n"
                      "Rights: xxxxxxxxxxxxxxxxxxxxxxxx...");
    info.isProtected = 1;
    std::strcpy(info.authorText, "Ann, 3 Mar, 2001");
    pvt_ProbedInfo(&info, "9 bytes", out, sizeof out);
    EXPECT_NE(std::string(out).find("Password: YES\r\n"), std::string::npos);
    EXPECT_NE(std::string(out).find("Rights: Ann, 3 Mar, 2001..."), std::string::npos);

    // A short buffer is cut, never overrun.
    char tiny[12];
    pvt_LoadedInfo(&info, "9 bytes", "X", tiny, sizeof tiny);
    EXPECT_EQ(std::strlen(tiny), sizeof tiny - 1);

    char type[16];
    pvt_TypeFallback("C:\\my.pics\\photo.Jpeg", type, sizeof type);
    EXPECT_STREQ(type, "JPEG");
    pvt_TypeFallback("C:\\my.pics\\README", type, sizeof type);
    EXPECT_STREQ(type, "<unknown>");
}

static std::string Fit(int bw, int bh, uint32_t w, uint32_t h) {
    PvtRect r = pvt_FitRect(bw, bh, w, h);
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
           std::to_string(r.height);
}

TEST(PreviewText, FitRectangle) {
    EXPECT_EQ(Fit(120, 80, 200, 50), "0,25 120x30");  // wider: box width, 120 * 50 / 200
    EXPECT_EQ(Fit(120, 80, 30, 100), "48,0 24x80");   // taller: box height, 80 * 30 / 100
    EXPECT_EQ(Fit(120, 80, 7, 5), "4,0 112x80");      // tiny images are enlarged too
    EXPECT_EQ(Fit(120, 80, 10, 3), "0,22 120x36");    // exact where a float ratio rounds
    EXPECT_EQ(Fit(120, 80, 3, 2), "0,0 120x80");      // the box's own shape fills it
    EXPECT_EQ(Fit(120, 80, 4096, 1), "0,39 120x1");   // a sliver keeps one row
}

TEST(PreviewText, SavePatternRules) {
    const char* save[] = {"*.kv5", "*.bmp;*.dib", "*.tga", "*.pcx", "*.ppm;*.pbm",
                          "*.jpg;*.jpe;*.jff;*.jpeg;*jfif", "*.png", "*.*"};
    EXPECT_EQ(pvt_PatternIndexForExtension(save, 8, ".DIB"), 2);
    EXPECT_EQ(pvt_PatternIndexForExtension(save, 8, ".jpeg"), 6);
    EXPECT_EQ(pvt_PatternIndexForExtension(save, 8, ".jfif"), 0);  // the list has "*jfif"
    EXPECT_EQ(pvt_PatternIndexForExtension(save, 8, ".jp"), 0);    // whole items only
    EXPECT_EQ(pvt_PatternIndexForExtension(save, 8, nullptr), 0);

    char ext[4];
    EXPECT_TRUE(pvt_PatternExtension("*.jpg;*.jpe", ext));
    EXPECT_STREQ(ext, "jpg");
    EXPECT_FALSE(pvt_PatternExtension("*.*", ext));

    char out[64];
    pvt_ReplaceExtension("C:\\my.pics\\photo.kv5", "bmp", out, sizeof out);
    EXPECT_STREQ(out, "C:\\my.pics\\photo.bmp");
    pvt_ReplaceExtension("C:\\my.pics\\photo", "tga", out, sizeof out);
    EXPECT_STREQ(out, "C:\\my.pics\\photo.tga");
    pvt_ReplaceExtension("", "tga", out, sizeof out);
    EXPECT_STREQ(out, "");
}
