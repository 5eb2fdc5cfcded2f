// print_e2e_win32.cpp — printing through a real printer. With the test printer of
// the session (a PDF queue, scripts/test-printer.sh) an image of four flat colours is
// printed once by each sizing option, and each page, as the printer made it and
// rasterised, must show the image where the printer's geometry puts it, at its size
// and in its (brightened) colours. With no printer at all the user is told once and
// the program goes on.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "app/app_ids.h"
#include "devices/devices_ids.h"
#include "devices/printgeom.h"
#include "e2e/driver_win32.h"
#include "engine/engine.h"
#include "engine/surface.h"
#include "formats/kv5_file.h"
#include "formats/ppm_file.h"
#include "support/test_surface.h"

namespace {

const char kDialog[] = "My Precision Printer (Internal Device)";
const int kImageW = 160, kImageH = 120;
// Top-left, top-right, bottom-left, bottom-right: dark enough to stay apart from the
// paper after brightening.
const uint32_t kQuadrant[4] = {0x00803020, 0x00205080, 0x00307030, 0x00404040};

// The default printer's printable area (as the program reads it), where that starts
// on the sheet, and the whole sheet: HORZRES, VERTRES, LOGPIXELSX, LOGPIXELSY,
// PHYSICALOFFSETX, PHYSICALOFFSETY, PHYSICALWIDTH, PHYSICALHEIGHT.
int read_default_printer(int caps[8]) {
    char name[256];
    DWORD n = sizeof name;
    HDC dc = GetDefaultPrinterA(name, &n) ? CreateDCA("WINSPOOL", name, nullptr, nullptr) : nullptr;
    const int which[8] = {HORZRES, VERTRES, LOGPIXELSX, LOGPIXELSY, PHYSICALOFFSETX, PHYSICALOFFSETY,
                          PHYSICALWIDTH, PHYSICALHEIGHT};
    for (int i = 0; dc && i < 8; i++) caps[i] = GetDeviceCaps(dc, which[i]);
    return dc && DeleteDC(dc) && caps[6] > 0 && caps[7] > 0;
}

int write_quadrants(const std::string& path) {
    Surface s{};
    if (!srf_CreateExact(kImageW, kImageH, &s)) return 0;
    srf_Unlock(&s);
    for (int q = 0; q < 4; q++)
        FillWith(&s, (q & 1) * kImageW / 2, (q >> 1) * kImageH / 2, ((q & 1) + 1) * kImageW / 2 - 1,
                 ((q >> 1) + 1) * kImageH / 2 - 1, kQuadrant[q]);
    int ok = kv5_Save(&s, path.c_str(), nullptr);
    srf_Destroy(&s);
    return ok;
}

// The printer's folder as Wine sees it, or "" without the test printer.
std::string printer_folder() {
    const char* out = std::getenv("KV_PRINT_OUT");
    return out && *out ? std::string("Z:") + out + "/" : std::string();
}

// The names of the rasterised pages in the printer's folder.
std::set<std::string> pages(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA f;
    HANDLE h = FindFirstFileA((folder + "*.ppm").c_str(), &f);
    if (h == INVALID_HANDLE_VALUE) return names;
    do names.insert(f.cFileName);
    while (FindNextFileA(h, &f));
    FindClose(h);
    return names;
}

// Waits for a rasterised page not in `seen` and loads it; 1 when it came.
int next_page(const std::string& folder, std::set<std::string>* seen, Surface* page) {
    for (int t = 0; t < 90000; t += 200, Sleep(200))
        for (const std::string& name : pages(folder))
            if (seen->insert(name).second) {
                ImageFileInfo info{};
                return ppm_Load(page, (folder + name).c_str(), &info);
            }
    return 0;
}

// The box of everything that is not paper on a rasterised page (x, y, w, h).
void ink_box(Surface* page, int box[4]) {
    std::vector<uint32_t> words = WordsOf(page);
    int x0 = INT_MAX, y0 = INT_MAX, x1 = -1, y1 = -1;
    for (size_t i = 0; i < words.size(); i++)
        if (MaxByteDifference({words[i] & 0xFFFFFF}, {0xFFFFFF}) > 25) {
            int x = (int)(i % page->width), y = (int)(i / page->width);
            x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
        }
    box[0] = x0, box[1] = y0, box[2] = x1 - x0 + 1, box[3] = y1 - y0 + 1;
}

}  // namespace

TEST(Journey, PrintsEachSizingThroughARealPrinter) {
    std::string out = printer_folder();
    if (out.empty()) GTEST_SKIP() << "no test printer in this session (scripts/wine-session.sh starts one)";
    int caps[8];
    ASSERT_TRUE(read_default_printer(caps)) << "Wine lists no printer although the test printer runs";
    const PrintPage paper = {caps[0], caps[1], (double)caps[2], (double)caps[3]};
    eng_Init();
    std::set<std::string> seen = pages(out);  // pages of earlier runs stay out of it
    std::string dir = drv_MakeFolder("printing", drv_QuietSettingsFile());
    std::string file = dir + "\\quadrants.kv5";
    ASSERT_TRUE(write_quadrants(file));
    KvRunning r;
    ASSERT_TRUE(drv_StartReady(&r.p, dir, ("\"" + file + "\"").c_str())) << drv_Status(r.p.main);
    uint8_t bright[256];
    prn_BrightnessTable(bright);

    const struct {
        PrintFit fit;
        int brighten;
        const char* name;
    } runs[] = {
        {PRINT_FIT, 1, "fit to paper"},
        {PRINT_FIT_BORDER, 1, "fit with 10% border"},
        {PRINT_STRETCH, 0, "stretch to the edges, not brightened"},
        {PRINT_DIMENSIONS, 1, "120 x 90 mm"},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.name);
        drv_Command(r.p.main, CMD_PRINT);
        // No printer chosen yet: the system's dialog comes first and offers the default.
        ASSERT_TRUE(drv_Answer(&r.p, "Print", IDOK, 10000));
        HWND dlg = drv_FindOwned(&r.p, kDialog, 10000);
        ASSERT_TRUE(dlg);
        if (run.fit == PRINT_FIT) {  // the Help button opens the viewer: no help file here, said so
            PostMessageA(GetDlgItem(dlg, IDHELP), BM_CLICK, 0, 0);
            EXPECT_TRUE(drv_Answer(&r.p, "File not found!!", IDOK, 10000));
        }
        WaitForInputIdle(r.p.pi.hProcess, 5000);  // the dialog has set its controls from the last print
        PostMessageA(GetDlgItem(dlg, IDC_PRINT_FIT0 + run.fit), BM_CLICK, 0, 0);
        SendDlgItemMessageA(dlg, IDC_PRINT_BRIGHTEN, BM_SETCHECK, run.brighten ? BST_CHECKED : BST_UNCHECKED, 0);
        WaitForInputIdle(r.p.pi.hProcess, 5000);
        ASSERT_EQ(IsDlgButtonChecked(dlg, IDC_PRINT_BRIGHTEN) == BST_CHECKED, run.brighten == 1);
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(drv_WaitStatus(r.p.main, " Image sent to Printer.", 30000)) << drv_Status(r.p.main);
        Surface page{};
        ASSERT_TRUE(next_page(out, &seen, &page)) << "the printer made no page";

        int outW, outH, left, top;
        prn_OutputSize(paper, kImageW, kImageH, run.fit, 120, 90, &outW, &outH);
        prn_Margins(paper, outW, outH, &left, &top);
        double sx = (double)page.width / caps[6], sy = (double)page.height / caps[7];
        int want[4] = {(int)((caps[4] + left) * sx + 0.5), (int)((caps[5] + top) * sy + 0.5), (int)(outW * sx + 0.5),
                       (int)(outH * sy + 0.5)};
        int got[4];
        ink_box(&page, got);
        const char* what[4] = {"left", "top", "width", "height"};
        for (int i = 0; i < 4; i++)
            EXPECT_NEAR(got[i], want[i], 2) << what[i] << " on a page of " << page.width << " x " << page.height;

        for (int q = 0; q < 4; q++) {
            uint32_t c = kQuadrant[q], expected = c;
            if (run.brighten)
                expected = (uint32_t)bright[(c >> 16) & 255] << 16 | bright[(c >> 8) & 255] << 8 | bright[c & 255];
            uint32_t seenColour = WordAt(&page, want[0] + want[2] * (1 + 2 * (q & 1)) / 4,
                                         want[1] + want[3] * (1 + 2 * (q >> 1)) / 4);
            EXPECT_LE(MaxByteDifference({seenColour}, {expected}), 6)
                << "quadrant " << q << ": 0x" << std::hex << seenColour << ", expected 0x" << expected;
        }
        srf_Destroy(&page);
    }
    eng_Shutdown();
}

// "/print /nogui" on a system without printers (ctest runs it alone, with a print
// server that does not exist): one message, no print dialog that could not print,
// and the program ends.
TEST(NoPrinterJourney, PrintSaysSoOnce) {
    std::string dir = drv_MakeFolder("print", drv_QuietSettingsFile());
    KvRunning r;
    ASSERT_TRUE(drv_Start(&r.p, dir, "/print /nogui"));
    EXPECT_TRUE(drv_Answer(&r.p, "Printer Error!!", IDOK, 20000));
    EXPECT_FALSE(drv_FindOwned(&r.p, kDialog, 500));
    EXPECT_FALSE(drv_FindOwned(&r.p, "Print", 100)) << "the system's notice as well";
    EXPECT_EQ(drv_WaitExit(&r.p, 20000), 0u);
}
