// NetPBM: P3 and P6 round trips and the binary/text question, every type of the reader
// (bitmaps unpacked bit by bit, maxima below 256 unscaled, 16-bit samples scaled),
// comments in odd places, and refusals of damaged headers and short data.
#include <gtest/gtest.h>
#include <cstring>
#include <random>
#include "formats/ppm_file.h"
#include "support/ui_script.h"
#include "unit/formats/exchange_support.h"

using namespace xtest;

TEST(PpmWriter, RoundTripsBothModes) {
    std::mt19937 rng(9);
    for (int binary = 0; binary < 2; binary++) {
        TestSurface src(5, 3);
        FillRandom(src.get(), rng);
        uint8_t* data;
        size_t size;
        ASSERT_TRUE(ppm_SaveBytes(src.get(), binary, &data, &size));
        auto b = Take(data, size);
        std::string text(b.begin(), b.end());
        if (binary)
            EXPECT_EQ(text.rfind("P6\n# Created by Orvik's Kelvara\n#", 0), 0u);
        else
            EXPECT_EQ(text.rfind("P3\n# Created by Orvik's Kelvara\n5 3\n255\n", 0), 0u);
        Loaded back = LoadWith(ppm_LoadBytes, b);
        ASSERT_TRUE(back.ok);
        auto want = WordsOf(src.get());
        for (size_t i = 0; i < want.size(); i++) ASSERT_EQ(back.px[i], want[i] & 0xFFFFFF);
    }
    TestSurface one(1, 1);
    FillWith(one.get(), 0, 0, 0, 0, 0x00FF0A00);
    uint8_t* data;
    size_t size;
    ASSERT_TRUE(ppm_SaveBytes(one.get(), 0, &data, &size));
    auto b = Take(data, size);
    EXPECT_EQ(std::string(b.end() - 9, b.end()), "255 10 0 ");
}

TEST(PpmWriter, AsksAndFailsOnUnwritablePath) {
    uiscript_Reset();
    TestSurface src(2, 2);
    uiscript_QueueBox(PPM_BINARY_TITLE, UI_IDNO);
    EXPECT_FALSE(ppm_Save(src.get(), "/nonexistent-dir/x.ppm"));
    ASSERT_EQ(uiscript_Boxes().size(), 1u);
    EXPECT_EQ(uiscript_Boxes()[0].text, PPM_BINARY_QUESTION);
    EXPECT_EQ(uiscript_Boxes()[0].title, "Use Binary Mode PPM");
    EXPECT_TRUE(uiscript_Boxes()[0].flags & UI_TOPMOST);
}

TEST(PpmReader, Types) {
    // P5 with maximum 100 stays unscaled.
    Loaded g = LoadWith(ppm_LoadBytes, Text(std::string("P5 2 1 100\n") + char(0) + char(100)));
    ASSERT_TRUE(g.ok);
    EXPECT_EQ(g.at(1, 0), 0x00646464u);
    // P6 with comments between the numbers.
    Loaded c = LoadWith(ppm_LoadBytes, Text("P6\n# a\n1 # b\n# c\n1\n255\nABC"));
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.at(0, 0), 0x00414243u);
    // P4 rows are bits, 1 black; a 10-wide row takes two bytes.
    auto p4 = Text("P4\n10 2\n");
    for (int v : {0x80, 0x40, 0xFF, 0xC0}) p4.push_back((uint8_t)v);
    Loaded bits = LoadWith(ppm_LoadBytes, p4);
    ASSERT_TRUE(bits.ok);
    EXPECT_EQ(bits.at(0, 0), 0u);
    EXPECT_EQ(bits.at(1, 0), 0x00FFFFFFu);
    EXPECT_EQ(bits.at(9, 0), 0u);
    EXPECT_EQ(bits.at(9, 1), 0u);
    // P1 and P2 text; a "#" in the samples ends them, the rest stays black.
    Loaded one = LoadWith(ppm_LoadBytes, Text("P1 3 1 1 0\n1"));
    ASSERT_TRUE(one.ok);
    EXPECT_EQ(one.at(0, 0), 0u);
    EXPECT_EQ(one.at(1, 0), 0x00FFFFFFu);
    Loaded packed = LoadWith(ppm_LoadBytes, Text("P1 3 1\n011"));
    ASSERT_TRUE(packed.ok);
    EXPECT_EQ(packed.at(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(packed.at(2, 0), 0u);
    Loaded cut = LoadWith(ppm_LoadBytes, Text("P2 3 1 255 7 # 8 9"));
    ASSERT_TRUE(cut.ok);
    EXPECT_EQ(cut.at(0, 0), 0x00070707u);
    EXPECT_EQ(cut.at(1, 0), 0u);
    // 16-bit samples, big-endian, scaled down.
    auto wide = Text("P5 2 1 65535\n");
    for (int v : {0xFF, 0xFF, 0x80, 0x00}) wide.push_back((uint8_t)v);
    Loaded w = LoadWith(ppm_LoadBytes, wide);
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.at(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(w.at(1, 0), 0x00808080u);
    Loaded t = LoadWith(ppm_LoadBytes, Text("P3 1 1 1000 1000 500 0"));
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.at(0, 0), 0x00FF8000u);
}

TEST(PpmReader, AsciiSamples) {
    auto text = Text("1 300 x7\n12#3 4");
    size_t n;
    uint8_t* s = ppm_ReadAsciiSamples(text.data(), text.size(), 255, 10, &n);
    ASSERT_TRUE(s);
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(s[1], 300 % 256);
    EXPECT_EQ(s[3], 12);
    EXPECT_EQ(s[4], 0);
    std::free(s);
}

TEST(PpmReader, Refusals) {
    const char* bad[] = {"", "P", "P7 1 1 255\n", "Q6 1 1 255\nabc", "P6 0 1 255\n", "P6 1 1 0\nabc",
                         "P6 1 1 65536\nabcdef", "P6 5000 5000 255\n", "P6 1 1 255\nab", "P6 1 1 255",
                         "P5 1 1 300\na", "P4 9 1\n\x01", "P6 99999999999 1 255\n", "P61 1 255\nabc"};
    for (const char* b : bad) {
        Surface s{};
        auto bytes = Text(b);
        EXPECT_FALSE(ppm_LoadBytes(&s, bytes.data(), bytes.size(), nullptr)) << b;
        EXPECT_FALSE(s.created) << b;
    }
}
