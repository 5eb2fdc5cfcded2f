// The readers only the Windows build has, under hostile input: every corpus file, cut
// short and with bytes changed, through the system picture loader and through the
// filter plug-ins, each by the load path the program takes for a file it routes
// there; the corpus BMPs' packed bitmaps the same way through the clipboard paste and
// a TWAIN transfer. Every variant either becomes a valid image or is refused the
// program's way (its message, or the refusal its caller turns into one), the image it
// would have replaced left as it was; no reader faults, and no bitmap file that the
// program's structure check calls cut loads.
//
// Per file 64 cuts and 64 changed copies, each from a seed of its own (from the
// file's path, the variant and KV_HOSTILE_SEED, 32 by default), so a failure names
// the file, the variant and the seed that make it again. CI runs the bitmaps' variants
// all and one in 64 of each file's for the file readers (every file goes through the
// whole chain of loaders); KV_HOSTILE_FULL=1 runs them all, KV_HOSTILE_FILE=<part of a
// path> only the files it names (a replay).
#include <gtest/gtest.h>
#include <windows.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>
#include "devices/clipboard_win32.h"
#include "devices/scanner_win32.h"
#include "engine/engine.h"
#include "formats/dispatch.h"
#include "formats/plugin_filter.h"
#include "formats/bmp_file.h"
#include "safety/exreport.h"
#include "support/corpus_index.h"
#include "support/format_support.h"
#include "support/scratch.h"
#include "support/test_surface.h"
#include "support/ui_script.h"
#include "support/win_driver_win32.h"

using ftest::Bytes;

namespace {

const std::string CORPUS = "/work/shared/corpus/";
const int CUTS = 64, CHANGES = 64;
const char LOAD_REFUSED[] =
    "    The file you specified could not be loaded. It may be damaged or unavailable, you may have "
    "cancelled the operation, or you need an external plugin to open it.";

uint32_t EnvNumber(const char* name, uint32_t otherwise) {
    const char* v = std::getenv(name);
    return v && *v ? (uint32_t)std::strtoul(v, nullptr, 10) : otherwise;
}

struct Variant {
    int index;  // 0..CUTS-1 cut, then changed copies
    uint32_t seed;
    Bytes bytes;
    bool cut() const { return index < CUTS; }
};

// The file's variants this run takes: a cut keeps 1..size-1 bytes; a changed copy has
// 1-4 bytes replaced (half of them among the first 256, where the headers are) by a
// random value, 0x00, 0xFF or the old value with its top bit flipped.
std::vector<Variant> VariantsOf(const std::string& name, const Bytes& whole, uint32_t ciStride) {
    const uint32_t base = EnvNumber("KV_HOSTILE_SEED", 32), full = EnvNumber("KV_HOSTILE_FULL", 0);
    const uint32_t fileSeed = ftest::Fnv(name.data(), name.size()) ^ base * 0x9E3779B9u;
    std::vector<Variant> out;
    if (whole.size() < 2) return out;
    for (int v = 0; v < CUTS + CHANGES; v++) {
        if (!full && (fileSeed + (uint32_t)v) % ciStride) continue;
        Variant x{v, fileSeed ^ (uint32_t)(v + 1) * 0x85EBCA6Bu, {}};
        std::mt19937 rng(x.seed);
        if (x.cut()) {
            x.bytes.assign(whole.begin(), whole.begin() + 1 + (long)(rng() % (whole.size() - 1)));
        } else {
            x.bytes = whole;
            for (int n = 1 + (int)(rng() % 4); n > 0; n--) {
                const size_t at = rng() % (rng() % 2 ? std::min<size_t>(whole.size(), 256) : whole.size());
                const uint8_t values[] = {(uint8_t)rng(), 0x00, 0xFF, (uint8_t)(x.bytes[at] ^ 0x80)};
                x.bytes[at] = values[rng() % 4];
            }
        }
        out.push_back(std::move(x));
    }
    return out;
}

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

typedef std::vector<std::pair<std::string, Bytes>> Files;

// Every corpus file but the text ones (read once), and the packed bitmaps of the
// BMPs: what follows the file header.
const Files& CorpusFiles(bool dibs) {
    static Files files, bitmaps;
    if (files.empty())
        for (const corpus::Row& r : corpus::Rows(WinPath(CORPUS))) {
            if (r.format == "text") continue;
            files.push_back({r.path, ReadAll(WinPath(CORPUS + r.path))});
            const Bytes& b = files.back().second;
            if (r.format.rfind("BMP", 0) == 0 && b.size() > 14) bitmaps.push_back({r.path, Bytes(b.begin() + 14, b.end())});
            if (r.format.rfind("DIB", 0) == 0) bitmaps.push_back(files.back());
        }
    return dibs ? bitmaps : files;
}

// One reader: loads a variant into `current` (or into a surface of its own, `made`)
// and gives 1 or its refusal; `refusalWrong` says what is amiss with a refusal ("" when
// it was made the reader's way).
struct Reader {
    const char* name;
    std::function<int(const std::string& file, const Variant&, Surface* current, Surface* made)> load;
    std::function<std::string(int result, Surface* made)> refusalWrong;
    uint32_t maxSide;  // beyond what a Surface may be
    uint32_t ciStride;
};

// Runs every variant of `files` through `reader`; failures name file, variant and seed.
void Hammer(const Reader& reader, const Files& files) {
    int runs = 0, loaded[2] = {0, 0}, failures = 0;
    const auto start = std::chrono::steady_clock::now();
    const char* only = std::getenv("KV_HOSTILE_FILE");  // a replay: the files whose path has this
    for (const auto& file : files)
        for (const Variant& v : VariantsOf(file.first, file.second, reader.ciStride)) {
            if (only && file.first.find(only) == std::string::npos) continue;
            Surface current{}, made{};
            ASSERT_TRUE(srf_Create(5, 3, &current));
            FillPattern(&current);
            const uint32_t before = HashSurface(&current);
            uiscript_Reset();
            exr_SetCaught(CaughtException{});
            const int result = reader.load(file.first, v, &current, &made);
            Surface* got = made.created ? &made : &current;
            const bool cutBmp = v.cut() && v.bytes.size() > 1 && v.bytes[0] == 'B' && v.bytes[1] == 'M';
            std::string wrong;
            if (exr_Caught().code) {
                char text[64];
                std::snprintf(text, sizeof text, "a reader faulted (0x%08X)", exr_Caught().code);
                wrong = text;
            } else if (result == 1) {
                size_t pixels;
                if (!srf_IsValid(got) || !srf_SizeAccepted(got->width, got->height, &pixels) ||
                    got->width > reader.maxSide || got->height > reader.maxSide)
                    wrong = "loaded, but not as a valid image: " + std::to_string(got->width) + " x " +
                            std::to_string(got->height);
                else if (!uiscript_PromptsAsked().empty())
                    wrong = "loaded, and also said it could not";
                else if (cutBmp && !bmp_CheckStructure(v.bytes.data(), v.bytes.size()))
                    wrong = "loaded a bitmap file the program calls cut";  // with rows made up
                loaded[v.cut() ? 0 : 1]++;
            } else if (HashSurface(&current) != before || current.width != 5 || current.height != 3) {
                wrong = "refused, but the current image changed";
            } else {
                wrong = reader.refusalWrong(result, &made);
            }
            EXPECT_EQ(wrong, "") << reader.name << ": " << file.first << " variant " << v.index << " seed " << v.seed;
            ASSERT_LT(failures += !wrong.empty(), 20) << "the rest of " << reader.name << " left out";
            runs++;
            if (current.created) srf_Destroy(&current);
            if (made.created) srf_Destroy(&made);
        }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("  %s: %d variants of %zu files, loaded %d cut and %d changed, %.1f s\n", reader.name, runs,
                files.size(), loaded[0], loaded[1], seconds);
}

// The file readers' refusal: the "Loader Error" dialog with its text, nothing else asked.
std::string LoaderErrorWrong(int result, Surface*) {
    if (result < 0) return "could not write the variant (an earlier load left the file open?)";
    if (uiscript_PromptsAsked() != std::vector<std::string>{IMG_LOADER_ERROR_PROMPT}) return "refused without its dialog";
    if (uiscript_PromptTexts()[0] != LOAD_REFUSED) return "refused with " + uiscript_PromptTexts()[0];
    if (!uiscript_Boxes().empty()) return "refused, and asked " + uiscript_BoxLines()[0];
    return "";
}

// A program folder with the shipped plug-ins.
struct HostileReaders : ::testing::Test {
    Scratch d{"kvhostile"};
    void SetUp() override {
        eng_Init();
        ASSERT_TRUE(path_CreateFolders());
        for (const char* dll : {"PNG filter.dll", "JPEG filter.dll", "Imaging filter.dll"})
            ASSERT_TRUE(CopyFileA((WinPath(KV_PLUGIN_BUILD_DIR) + "\\" + dll).c_str(),
                                  (d.dir + "\\Plugins\\" + dll).c_str(), FALSE)) << dll;
        pflt_ResetCaches();
        ASSERT_GT(CorpusFiles(false).size(), 600u);
    }
    void TearDown() override {
        char tmp[MAX_PATH];
        GetTempPathA(sizeof tmp, tmp);
        SetCurrentDirectoryA(tmp);  // plug-in scans leave the program folder current
        eng_Shutdown();
    }
    // A file reader: the variant saved under a name (`extension` of the corpus file's)
    // that the load table gives that reader, loaded as the Open command does.
    Reader FileReader(const char* name, std::function<const char*(const std::string&)> extension) {
        return {name,
                [this, extension](const std::string& file, const Variant& v, Surface* current, Surface*) {
                    const std::string path = d.dir + "\\hostile" + extension(file);
                    FILE* f = std::fopen(path.c_str(), "wb");
                    const bool written = f && std::fwrite(v.bytes.data(), 1, v.bytes.size(), f) == v.bytes.size();
                    if (f) std::fclose(f);
                    return written ? img_LoadReporting(current, path.c_str()) : -1;
                },
                LoaderErrorWrong, SRF_MAX_PIXELS, 64};
    }
};

}  // namespace

// JPEG, GIF and metafiles by their own names, every other file named as a JPEG: the
// picture loader sees them all first.
TEST_F(HostileReaders, SystemPictureLoader) {
    Hammer(FileReader("picture loader", [](const std::string& file) {
               const std::string ext = file.substr(file.rfind('.'));
               return ext == ".gif" ? ".gif" : ext == ".wmf" ? ".wmf" : ".jpg";
           }),
           CorpusFiles(false));
}

// Named ".tif", which only the plug-ins take: the imaging plug-in hands every file to
// the imaging component's decoders (PNG and JPEG it leaves to their own plug-ins).
TEST_F(HostileReaders, FilterPlugins) {
    Hammer(FileReader("filter plug-ins", [](const std::string&) { return ".tif"; }), CorpusFiles(false));
}

// A packed bitmap on the clipboard, pasted: refused with -1 (which the paste commands
// say with "The picture on the clipboard cannot be read.").
TEST_F(HostileReaders, ClipboardBitmaps) {
    Reader paste{"clipboard paste",
                 [](const std::string&, const Variant& v, Surface* current, Surface*) {
                     HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, v.bytes.size());
                     std::memcpy(GlobalLock(g), v.bytes.data(), v.bytes.size());
                     GlobalUnlock(g);
                     if (!OpenClipboard(nullptr)) return -2;
                     EmptyClipboard();
                     if (!SetClipboardData(CF_DIB, g)) GlobalFree(g);
                     CloseClipboard();
                     return ClipboardPaste(current, nullptr);
                 },
                 [](int result, Surface*) { return result == -1 ? "" : "paste gave " + std::to_string(result); },
                 32767, 1};
    Hammer(paste, CorpusFiles(true));
}

// The same bitmaps as a TWAIN source's native transfer, through a stand-in source
// manager: refused with 0, " Scanning Error!!" and no surface made.
TEST_F(HostileReaders, TwainTransfers) {
    const std::string folder = WinPath(KV_TWAIN_SOURCE_DIR);
    HMODULE fake = LoadLibraryA((folder + "\\TWAINDSM.DLL").c_str());
    ASSERT_TRUE(fake);
    typedef void (*SetImage)(const uint8_t*, size_t);
    SetImage give = (SetImage)(void*)GetProcAddress(fake, "twfake_SetImage");
    ASSERT_TRUE(give);
    Reader scan{"TWAIN transfer",
                [&](const std::string&, const Variant& v, Surface*, Surface* made) {
                    give(v.bytes.data(), v.bytes.size());
                    const char* folders[] = {folder.c_str()};
                    return scan_AcquireThrough(folders, 1, nullptr, made);
                },
                [](int result, Surface* made) -> std::string {
                    if (result != 0 || made->created) return "refused, but left a surface";
                    if (uiscript_Statuses().empty() || uiscript_Statuses().back() != " Scanning Error!!")
                        return "refused without saying so";
                    return "";
                },
                4096, 1};
    Hammer(scan, CorpusFiles(true));
    give(nullptr, 0);
    FreeLibrary(fake);
}
