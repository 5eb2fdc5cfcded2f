// Preview panel texts and geometry: the file size steps, the information texts of a
// loaded and of a probed file, the fit rectangle, and the save dialogs' pattern rules.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "formats/preview_text.h"

TEST(PreviewText, FileSizeStepsAndFitRectangle) {
    const std::pair<int64_t, const char*> sizes[] = {
        {0, "0 bytes"}, {1023, "1023 bytes"}, {1024, "1.00 KB"}, {1535, "1.49 KB"} /* not rounded up */,
        {1048575, "1023.99 KB"}, {1048576, "1.00 MB"}, {5 * 1048576 + 1048575, "5.99 MB"},
        {(int64_t)3 << 40, "3145728.00 MB"} /* beyond 32 bits, no wrap */, {-1, "<unknown>"}};
    for (auto [n, text] : sizes) {
        char out[32];
        pvt_FileSizeText(n, out, sizeof out);
        EXPECT_STREQ(out, text) << n;
    }
    // Image w x h in a 120 x 80 box: x, y, width, height.
    const struct {
        uint32_t w, h;
        int x, y, width, height;
    } fits[] = {
        {200, 50, 0, 25, 120, 30},  // wider: box width, 120 * 50 / 200
        {30, 100, 48, 0, 24, 80},   // taller: box height, 80 * 30 / 100
        {7, 5, 4, 0, 112, 80},      // tiny images are enlarged too
        {10, 3, 0, 22, 120, 36},    // exact where a float ratio rounds
        {3, 2, 0, 0, 120, 80},      // the box's own shape fills it
        {4096, 1, 0, 39, 120, 1},   // a sliver keeps one row
    };
    for (const auto& f : fits) {
        PvtRect r = pvt_FitRect(120, 80, f.w, f.h);
        EXPECT_EQ(std::vector<int>({r.x, r.y, r.width, r.height}), std::vector<int>({f.x, f.y, f.width, f.height})) << f.w << "x" << f.h;
    }
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
    for (auto [path, type] : {std::pair<const char*, const char*>{"C:\\my.pics\\photo.Jpeg", "JPEG"}, {"C:\\my.pics\\README", "<unknown>"}}) {
        pvt_TypeFallback(path, out, 16);
        EXPECT_STREQ(out, type);
    }
}

TEST(PreviewText, SavePatternRules) {
    const char* save[] = {"*.kv5", "*.bmp;*.dib", "*.tga", "*.pcx", "*.ppm;*.pbm", "*.jpg;*.jpe;*.jff;*.jpeg;*jfif", "*.png", "*.*"};
    // ".jfif": the list has "*jfif"; ".jp": whole items only.
    const std::pair<const char*, int> indices[] = {{".DIB", 2}, {".jpeg", 6}, {".jfif", 0}, {".jp", 0}, {nullptr, 0}};
    for (auto [ext, index] : indices) EXPECT_EQ(pvt_PatternIndexForExtension(save, 8, ext), index) << (ext ? ext : "null");
    char ext[4];
    EXPECT_TRUE(pvt_PatternExtension("*.jpg;*.jpe", ext));
    EXPECT_STREQ(ext, "jpg");
    EXPECT_FALSE(pvt_PatternExtension("*.*", ext));
    const struct {
        const char *path, *ext, *want;
    } names[] = {{"C:\\my.pics\\photo.kv5", "bmp", "C:\\my.pics\\photo.bmp"}, {"C:\\my.pics\\photo", "tga", "C:\\my.pics\\photo.tga"}, {"", "tga", ""}};
    for (const auto& n : names) {
        char out[64];
        pvt_ReplaceExtension(n.path, n.ext, out, sizeof out);
        EXPECT_STREQ(out, n.want);
    }
}
