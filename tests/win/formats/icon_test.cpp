// Icons as Surfaces: the key colour rule of ico_ToSurface, monochrome icons, and the
// "Select a resource to load" picker on a five-icon module, driven like a user would;
// .ico and cursor files and files without icons.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <cstring>
#include <string>
#include <thread>
#include <tuple>
#include "formats/formats_ids.h"
#include "formats/sysload_win32.h"
#include "support/format_support.h"
#include "support/scratch.h"
#include "support/win_driver_win32.h"

using namespace ftest;

namespace {

const char PICKER[] = "Select a resource to load";
const uint32_t IMAGE_SIZE = 40 + 32 * 32 * 4 + 32 * 4;

// Icon i of the test files is one flat opaque colour.
uint32_t IconColour(int i) { return (uint32_t)(0x10 + 40 * i) << 16 | 0x6400 | (uint32_t)(200 - 30 * i); }

// Icon i as stored in a file or resource: 32 x 32, 32 bits, alpha 255, AND mask all opaque.
Bytes IconImage(int i) {
    Bytes b;
    for (uint32_t v : {40, 32, 64}) Add32(b, v);
    Add16(b, 1), Add16(b, 32);
    b.resize(40, 0);
    for (int p = 0; p < 32 * 32; p++) Add32(b, 0xFF000000 | IconColour(i));
    b.resize(IMAGE_SIZE, 0);
    return b;
}

// Directory entry fields shared by .ico files and group resources.
Bytes EntryHead() {
    Bytes b = {32, 32, 0, 0};
    Add16(b, 1), Add16(b, 32), Add32(b, IMAGE_SIZE);
    return b;
}

// An .ico file with `count` images: to the system, one icon in several versions.
Bytes IconFile(int count) {
    Bytes b;
    Add16(b, 0), Add16(b, 1), Add16(b, count);
    for (int i = 0; i < count; i++) b = Cat({b, EntryHead()}), Add32(b, 6 + 16 * count + i * IMAGE_SIZE);
    for (int i = 0; i < count; i++) b = Cat({b, IconImage(i)});
    return b;
}

// A copy of this test program whose resources are `count` icons, one image each: a
// file the system counts as holding `count` icons.
bool WriteIconModule(const std::string& path, int count) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    HANDLE up = CopyFileA(self, path.c_str(), FALSE) ? BeginUpdateResourceA(path.c_str(), TRUE) : nullptr;
    bool ok = up != nullptr;
    for (int i = 0; ok && i < count; i++) {
        Bytes image = IconImage(i), group;
        Add16(group, 0), Add16(group, 1), Add16(group, 1);
        group = Cat({group, EntryHead()}), Add16(group, 100 + i);
        ok = UpdateResourceA(up, RT_ICON, MAKEINTRESOURCEA(100 + i), 0, image.data(), (DWORD)image.size()) &&
             UpdateResourceA(up, RT_GROUP_ICON, MAKEINTRESOURCEA(1 + i), 0, group.data(), (DWORD)group.size());
    }
    return up && EndUpdateResourceA(up, !ok) && ok;
}

std::string CounterOf(HWND dlg) {
    char buf[64] = {};
    GetDlgItemTextA(dlg, IDC_ICOPICK_COUNTER, buf, sizeof buf);
    return buf;
}
void Click(HWND dlg, int id) { SendMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }

struct Owned {
    Surface s{};
    ~Owned() {
        if (s.created) srf_Destroy(&s);
    }
};

}  // namespace

TEST(IcoToSurface, KeyColourMaskAndMonochrome) {
    // 32-bit colour plane without alpha, so the mask decides: one masked pixel and one
    // that really is the key colour in the artwork. Then a monochrome icon: AND mask over
    // XOR mask, 32 x 64, black ink (an 8-pixel block) on a transparent field.
    std::vector<uint32_t> colour(32 * 32, 0x00102030);
    colour[4 * 32 + 3] = ICO_KEY_COLOUR;
    colour[9 * 32 + 20] = 0x00000000;
    uint8_t mask[32 * 4] = {}, mono[64 * 4] = {};
    mask[9 * 4 + 20 / 8] = (uint8_t)(0x80 >> (20 % 8));
    std::memset(mono, 0xFF, 32 * 4);
    for (int y = 8; y < 16; y++) mono[y * 4] = 0x00;
    const uint32_t key = 0xFF000000 | ICO_KEY_COLOUR;
    const struct {
        HBITMAP andMask, xorColour;
        std::vector<std::tuple<int, int, uint32_t>> want;
    } cases[] = {
        {CreateBitmap(32, 32, 1, 1, mask), CreateBitmap(32, 32, 1, 32, colour.data()),
         {{3, 4, key}, {20, 9, key}, {0, 0, 0x00102030u}, {31, 31, 0x00102030u}}},
        {CreateBitmap(32, 64, 1, 1, mono), nullptr, {{3, 10, 0x00000000u}, {20, 10, key}}},
    };
    for (const auto& c : cases) {
        ICONINFO ii{TRUE, 0, 0, c.andMask, c.xorColour};
        HICON icon = CreateIconIndirect(&ii);
        ASSERT_TRUE(icon);
        Owned out;
        ASSERT_EQ(ico_ToSurface(&out.s, icon), 1);
        EXPECT_EQ(out.s.width, 32u);
        EXPECT_EQ(out.s.height, 32u);  // a monochrome icon is half its masks' height
        for (auto [x, y, v] : c.want) EXPECT_EQ(WordAt(&out.s, x, y), v) << x << "," << y;
        DestroyIcon(icon);
        DeleteObject(c.andMask);
        if (c.xorColour) DeleteObject(c.xorColour);
    }
}

TEST(IcoLoad, PickerIcoCursorAndIconlessFiles) {
    Scratch d("kvico");
    ASSERT_TRUE(WriteIconModule(d.At("five.dll"), 5));
    std::string atStart, afterPrev, afterNext, picture;
    std::thread user = DriveWindowLater(PICKER, [&](HWND dlg) {
        atStart = CounterOf(dlg);
        Click(dlg, IDC_ICOPICK_PREV);
        afterPrev = CounterOf(dlg);
        Click(dlg, IDC_ICOPICK_NEXT);
        afterNext = CounterOf(dlg);
        picture = SendDlgItemMessageA(dlg, IDC_ICOPICK_PICTURE, STM_GETICON, 0, 0) ? "icon" : "none";
        PressButton(dlg, IDOK);
    });
    Owned out;
    ImageFileInfo info{};
    int r = ico_Load(&out.s, d.At("five.dll").c_str(), &info);
    user.join();
    EXPECT_EQ(atStart, "1 of 5");
    EXPECT_EQ(afterPrev, "1 of 5");  // clamped at the first icon
    EXPECT_EQ(afterNext, "2 of 5");
    EXPECT_EQ(picture, "icon");
    ASSERT_EQ(r, 1);
    EXPECT_EQ(info.width, out.s.width);
    EXPECT_EQ(info.height, out.s.height);
    EXPECT_EQ(WordAt(&out.s, 16, 16), IconColour(1));

    // Cancel loads nothing and leaves the surface; quiet takes the first icon.
    void* kept = out.s.bitmap;
    std::thread cancel = AnswerWindowLater(PICKER, IDCANCEL);
    EXPECT_EQ(ico_Load(&out.s, d.At("five.dll").c_str(), &info), 0);
    cancel.join();
    EXPECT_EQ(out.s.bitmap, kept);
    info.quiet = 1;
    ASSERT_EQ(ico_Load(&out.s, d.At("five.dll").c_str(), &info), 1);
    EXPECT_EQ(WordAt(&out.s, 0, 0), IconColour(0));

    // An .ico file's five entries are versions of one icon; Next stays on it.
    d.Write("five.ico", IconFile(5));
    std::thread ico = DriveWindowLater(PICKER, [&](HWND dlg) {
        atStart = CounterOf(dlg);
        Click(dlg, IDC_ICOPICK_NEXT);
        afterNext = CounterOf(dlg);
        PressButton(dlg, IDOK);
    });
    info.quiet = 0;
    EXPECT_EQ(ico_Load(&out.s, d.At("five.ico").c_str(), &info), 1);
    ico.join();
    EXPECT_EQ(atStart, "1 of 1");
    EXPECT_EQ(afterNext, "1 of 1");

    // A cursor file, where the extractor finds no icon, loads whole, without a picker.
    Bytes cursor = IconFile(1);
    cursor[2] = 2;
    d.Write("one.cur", cursor);
    ASSERT_EQ(ExtractIconExA(d.At("one.cur").c_str(), -1, nullptr, nullptr, 0), 0u);  // else a picker would wait
    ASSERT_EQ(ico_Load(&out.s, d.At("one.cur").c_str(), &info), 1);
    EXPECT_EQ(info.width, 32u);
    EXPECT_EQ(info.height, 32u);
    EXPECT_EQ(WordAt(&out.s, 16, 16), IconColour(0));

    // A file without icons: no dialog, 0, quiet or not.
    d.Write("none.ico", Bytes(64, 0x33));
    for (int quiet = 0; quiet <= 1; quiet++) {
        info.quiet = (uint8_t)quiet;
        EXPECT_EQ(ico_Load(&out.s, d.At("none.ico").c_str(), &info), 0);
    }
    EXPECT_EQ(out.s.width, 32u);
}
