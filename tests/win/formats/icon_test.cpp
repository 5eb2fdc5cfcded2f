// Icons as Surfaces: the key colour rule of ico_ToSurface, monochrome icons, and the
// "Select a resource to load" picker on a five-icon file, driven like a user would.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <cstring>
#include <string>
#include <thread>
#include <vector>
#include "formats/formats_ids.h"
#include "formats/rdwr.h"
#include "formats/sysload_win32.h"
#include "support/test_surface.h"
#include "support/win_driver_win32.h"

namespace {

typedef std::vector<uint8_t> Bytes;

const char PICKER[] = "Select a resource to load";

// Icon i of the test file is one flat opaque colour.
uint32_t IconColour(int i) { return (uint32_t)(0x10 + 40 * i) << 16 | 0x6400 | (uint32_t)(200 - 30 * i); }

void Put16(Bytes& b, uint32_t v) { b.push_back((uint8_t)v), b.push_back((uint8_t)(v >> 8)); }
void Put32(Bytes& b, uint32_t v) { Put16(b, v & 0xFFFF), Put16(b, v >> 16); }

const uint32_t IMAGE_SIZE = 40 + 32 * 32 * 4 + 32 * 4;

// Icon i as stored in a file or resource: 32 × 32, 32 bits, opaque (alpha 255).
Bytes IconImage(int i) {
    Bytes b;
    Put32(b, 40), Put32(b, 32), Put32(b, 64), Put16(b, 1), Put16(b, 32);
    for (int k = 0; k < 6; k++) Put32(b, 0);
    for (int p = 0; p < 32 * 32; p++) Put32(b, 0xFF000000 | IconColour(i));
    b.insert(b.end(), 32 * 4, 0);  // AND mask: all opaque
    return b;
}

// Directory entry fields shared by .ico files and group resources.
void EntryHead(Bytes& b) {
    b.push_back(32), b.push_back(32), b.push_back(0), b.push_back(0);
    Put16(b, 1), Put16(b, 32), Put32(b, IMAGE_SIZE);
}

// An .ico file with `count` images: to the system, one icon in several versions.
Bytes IconFile(int count) {
    Bytes b;
    Put16(b, 0), Put16(b, 1), Put16(b, count);
    for (int i = 0; i < count; i++) EntryHead(b), Put32(b, 6 + 16 * count + i * IMAGE_SIZE);
    for (int i = 0; i < count; i++) {
        Bytes image = IconImage(i);
        b.insert(b.end(), image.begin(), image.end());
    }
    return b;
}

// A copy of this test program whose resources are `count` icons, one image each:
// a file the system counts as holding `count` icons.
bool WriteIconModule(const std::string& path, int count) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    if (!CopyFileA(self, path.c_str(), FALSE)) return false;
    HANDLE up = BeginUpdateResourceA(path.c_str(), TRUE);
    if (!up) return false;
    bool ok = true;
    for (int i = 0; i < count; i++) {
        Bytes image = IconImage(i), group;
        Put16(group, 0), Put16(group, 1), Put16(group, 1);
        EntryHead(group), Put16(group, 100 + i);
        ok = ok && UpdateResourceA(up, RT_ICON, MAKEINTRESOURCEA(100 + i), 0, image.data(), (DWORD)image.size());
        ok = ok && UpdateResourceA(up, RT_GROUP_ICON, MAKEINTRESOURCEA(1 + i), 0, group.data(), (DWORD)group.size());
    }
    return EndUpdateResourceA(up, !ok) && ok;
}

std::string WriteTemp(const char* name, const Bytes& bytes) {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    std::string path = std::string(dir) + "kvico_" + std::to_string(GetCurrentProcessId()) + "_" + name;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done;
    WriteFile(f, bytes.data(), (DWORD)bytes.size(), &done, nullptr);
    CloseHandle(f);
    return path;
}

// Clicks and waits until the dialog has handled the click.
void Click(HWND dlg, int id) { SendMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }

std::string CounterOf(HWND dlg) {
    char buf[64] = {};
    GetDlgItemTextA(dlg, IDC_ICOPICK_COUNTER, buf, sizeof buf);
    return buf;
}

struct Owned {
    Surface s{};
    ~Owned() {
        if (s.created) srf_Destroy(&s);
    }
};

}  // namespace

TEST(IcoToSurface, KeyColouredAndMaskedPixelsBecomeTransparent) {
    // 32-bit colour plane without alpha, so the mask decides: one masked pixel and
    // one pixel that really is the key colour in the artwork.
    std::vector<uint32_t> colour(32 * 32, 0x00102030);
    colour[4 * 32 + 3] = ICO_KEY_COLOUR;
    colour[9 * 32 + 20] = 0x00000000;  // masked: screen shows through
    uint8_t mask[32 * 4] = {};
    mask[9 * 4 + 20 / 8] = (uint8_t)(0x80 >> (20 % 8));
    ICONINFO ii{TRUE, 0, 0, CreateBitmap(32, 32, 1, 1, mask), CreateBitmap(32, 32, 1, 32, colour.data())};
    HICON icon = CreateIconIndirect(&ii);
    ASSERT_TRUE(icon);
    Owned out;
    ASSERT_EQ(ico_ToSurface(&out.s, icon), 1);
    EXPECT_EQ(out.s.width, 32u);
    EXPECT_EQ(out.s.height, 32u);
    EXPECT_EQ(WordAt(&out.s, 3, 4), 0xFF000000 | ICO_KEY_COLOUR);
    EXPECT_EQ(WordAt(&out.s, 20, 9), 0xFF000000 | ICO_KEY_COLOUR);
    EXPECT_EQ(WordAt(&out.s, 0, 0), 0x00102030u);
    EXPECT_EQ(WordAt(&out.s, 31, 31), 0x00102030u);
    DestroyIcon(icon);
    DeleteObject(ii.hbmMask);
    DeleteObject(ii.hbmColor);
}

TEST(IcoToSurface, MonochromeIconIsHalfItsMasksHeight) {
    // AND mask over XOR mask, 32 × 64: black ink on a transparent field.
    uint8_t bits[64 * 4];
    std::memset(bits, 0xFF, 32 * 4);  // AND: transparent...
    std::memset(bits + 32 * 4, 0, 32 * 4);
    for (int y = 8; y < 16; y++) bits[y * 4] = 0x00;  // ...except an 8-pixel block
    ICONINFO ii{TRUE, 0, 0, CreateBitmap(32, 64, 1, 1, bits), nullptr};
    HICON icon = CreateIconIndirect(&ii);
    ASSERT_TRUE(icon);
    Owned out;
    ASSERT_EQ(ico_ToSurface(&out.s, icon), 1);
    EXPECT_EQ(out.s.width, 32u);
    EXPECT_EQ(out.s.height, 32u);
    EXPECT_EQ(WordAt(&out.s, 3, 10), 0x00000000u);  // ink, opaque black
    EXPECT_EQ(WordAt(&out.s, 20, 10), 0xFF000000 | ICO_KEY_COLOUR);
    DestroyIcon(icon);
    DeleteObject(ii.hbmMask);
}

TEST(IcoLoad, PickerStepsThroughFiveIconsAndOkLoadsTheShownOne) {
    std::string path = WriteTemp("five.dll", Bytes());
    ASSERT_TRUE(WriteIconModule(path, 5));
    std::string atStart, afterPrev, afterNext, picture;
    std::thread user = DriveWindowLater(PICKER, [&](HWND dlg) {
        atStart = CounterOf(dlg);
        Click(dlg, IDC_ICOPICK_PREV);
        afterPrev = CounterOf(dlg);
        Click(dlg, IDC_ICOPICK_NEXT);
        afterNext = CounterOf(dlg);
        HICON shown = (HICON)SendDlgItemMessageA(dlg, IDC_ICOPICK_PICTURE, STM_GETICON, 0, 0);
        picture = shown ? "icon" : "none";
        PressButton(dlg, IDOK);
    });
    Owned out;
    ImageFileInfo info{};
    int r = ico_Load(&out.s, path.c_str(), &info);
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
    EXPECT_EQ(ico_Load(&out.s, path.c_str(), &info), 0);
    cancel.join();
    EXPECT_EQ(out.s.bitmap, kept);
    info.quiet = 1;
    ASSERT_EQ(ico_Load(&out.s, path.c_str(), &info), 1);
    EXPECT_EQ(WordAt(&out.s, 0, 0), IconColour(0));
    DeleteFileA(path.c_str());
}

TEST(IcoLoad, AnIcoFileIsOneIconWhateverItsImageCount) {
    // Its five entries are versions of one icon; Next stays on it.
    std::string path = WriteTemp("five.ico", IconFile(5));
    std::string atStart, afterNext;
    std::thread user = DriveWindowLater(PICKER, [&](HWND dlg) {
        atStart = CounterOf(dlg);
        Click(dlg, IDC_ICOPICK_NEXT);
        afterNext = CounterOf(dlg);
        PressButton(dlg, IDOK);
    });
    Owned out;
    ImageFileInfo info{};
    EXPECT_EQ(ico_Load(&out.s, path.c_str(), &info), 1);
    user.join();
    EXPECT_EQ(atStart, "1 of 1");
    EXPECT_EQ(afterNext, "1 of 1");
    EXPECT_EQ(out.s.width, 32u);

    // A cursor file, where the extractor finds no icon, loads whole, without a picker.
    Bytes cursor = IconFile(1);
    cursor[2] = 2;
    std::string cur = WriteTemp("one.cur", cursor);
    ASSERT_EQ(ExtractIconExA(cur.c_str(), -1, nullptr, nullptr, 0), 0u);  // else a picker would wait
    info.quiet = 0;
    ASSERT_EQ(ico_Load(&out.s, cur.c_str(), &info), 1);
    EXPECT_EQ(info.width, 32u);
    EXPECT_EQ(info.height, 32u);
    EXPECT_EQ(WordAt(&out.s, 16, 16), IconColour(0));
    DeleteFileA(cur.c_str());

    // A file without icons: no dialog, 0, quiet or not.
    std::string none = WriteTemp("none.ico", Bytes(64, 0x33));
    EXPECT_EQ(ico_Load(&out.s, none.c_str(), &info), 0);
    info.quiet = 1;
    EXPECT_EQ(ico_Load(&out.s, none.c_str(), &info), 0);
    EXPECT_EQ(out.s.width, 32u);
    DeleteFileA(path.c_str());
    DeleteFileA(none.c_str());
}
