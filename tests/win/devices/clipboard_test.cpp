// The clipboard exchange under the system's clipboard: a copy pasted back is the
// same words, alpha included; a 24-bit bitmap arrives opaque; a bitmap that lies
// about its size is refused and the surface is left alone.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <vector>
#include "devices/clipboard_win32.h"
#include "engine/engine.h"
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

std::vector<uint8_t> Dib24(int w, int h, uint8_t value) {
    int row = (w * 3 + 3) & ~3;
    std::vector<uint8_t> b(40 + row * h, value);
    BITMAPINFOHEADER bih{};
    bih.biSize = 40;
    bih.biWidth = w;
    bih.biHeight = h;
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    std::memcpy(b.data(), &bih, 40);
    return b;
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

    PutOnClipboard(Dib24(3, 2, 0x40));
    ASSERT_EQ(ClipboardPaste(&b, nullptr), 1);
    EXPECT_EQ((Dims{b.width, b.height}), (Dims{3, 2}));
    for (uint32_t w : WordsOf(&b)) EXPECT_EQ(w, 0x00404040u);

    // 8 bits with 16 colours used: the table has 16 entries, the pixels follow it.
    std::vector<uint8_t> pal8(40 + 16 * 4 + 4 * 2, 0);
    BITMAPINFOHEADER h8{};
    h8.biSize = 40;
    h8.biWidth = 2;
    h8.biHeight = 2;
    h8.biPlanes = 1;
    h8.biBitCount = 8;
    h8.biClrUsed = 16;
    std::memcpy(pal8.data(), &h8, 40);
    const uint8_t entry15[4] = {0x10, 0x20, 0x30, 0};  // blue, green, red
    std::memcpy(&pal8[40 + 15 * 4], entry15, 4);
    for (int i = 0; i < 8; i++) pal8[40 + 64 + i] = 15;
    PutOnClipboard(pal8);
    ASSERT_EQ(ClipboardPaste(&b, nullptr), 1);
    for (uint32_t w : WordsOf(&b)) EXPECT_EQ(w, 0x00302010u);

    std::vector<uint8_t> lying = Dib24(3, 2, 0x40);
    int32_t tall = 2000;
    std::memcpy(&lying[8], &tall, 4);
    PutOnClipboard(lying);
    EXPECT_EQ(ClipboardPaste(&b, nullptr), -1);
    EXPECT_EQ((Dims{b.width, b.height}), (Dims{2, 2}));  // untouched

    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_EQ(ClipboardPaste(&b, nullptr), 0);
    srf_Destroy(&a);
    srf_Destroy(&b);
    eng_Shutdown();
}
