// The clipboard exchange under the system's clipboard: a copy pasted back is the
// same words, alpha included; a 24-bit bitmap arrives opaque, its rows found after a
// colour table it may carry. (Damaged bitmaps: tests/win/hostile.)
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <vector>
#include "devices/clipboard_win32.h"
#include "engine/engine.h"
#include "support/format_support.h"
#include "support/test_surface.h"

namespace {

void PutOnClipboard(const std::vector<uint8_t>& bytes) {
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(g), bytes.data(), bytes.size());
    GlobalUnlock(g);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_DIB, g);
    CloseClipboard();
}

// A packed bitmap as it lies on the clipboard: a BMP file without its file header.
std::vector<uint8_t> Dib(int w, int h, int bits, const ftest::Bytes& palette, const ftest::Bytes& pixels,
                         uint32_t coloursUsed = 0) {
    const ftest::Bytes file = ftest::Bmp(w, h, bits, 0, palette, pixels, 1, 40, coloursUsed);
    return std::vector<uint8_t>(file.begin() + 14, file.end());
}

}  // namespace

TEST(Clipboard, CopyPasteAndForeignBitmaps) {
    eng_Init();
    Surface a{}, b{};
    srf_Create(7, 5, &a);
    FillPattern(&a);
    FillWith(&a, 0, 0, 2, 1, 0x80123456u);
    ASSERT_EQ(ClipboardCopy(&a, nullptr), 1);
    ASSERT_EQ(ClipboardPaste(&b, nullptr), 1);
    EXPECT_TRUE(SameSurface(&a, &b));

    PutOnClipboard(Dib(3, 2, 24, {}, ftest::Bytes(2 * 12, 0x40)));
    ASSERT_EQ(ClipboardPaste(&b, nullptr), 1);
    EXPECT_EQ((Dims{b.width, b.height}), (Dims{3, 2}));
    for (uint32_t w : WordsOf(&b)) EXPECT_EQ(w, 0x00404040u);

    // 8 bits with 16 colours used: the table has 16 entries, the pixels follow it.
    const ftest::Bytes entry15 = {0x10, 0x20, 0x30, 0};  // blue, green, red
    PutOnClipboard(Dib(2, 2, 8, ftest::Cat({ftest::Bytes(15 * 4, 0), entry15}), ftest::Bytes(2 * 4, 15), 16));
    ASSERT_EQ(ClipboardPaste(&b, nullptr), 1);
    for (uint32_t w : WordsOf(&b)) EXPECT_EQ(w, 0x00302010u);

    // 24 bits with a table of two colours: the rows follow the table.
    PutOnClipboard(Dib(3, 2, 24, ftest::Bytes(2 * 4, 0x77), ftest::Bytes(2 * 12, 0x40), 2));
    ASSERT_EQ(ClipboardPaste(&b, nullptr), 1);
    for (uint32_t w : WordsOf(&b)) EXPECT_EQ(w, 0x00404040u);

    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_EQ(ClipboardPaste(&b, nullptr), 0);
    srf_Destroy(&a);
    srf_Destroy(&b);
    eng_Shutdown();
}
