// The real BMP, TGA, PCX and NetPBM files of the shared corpus, as its index describes
// them: files to load load with the stated size, files to reject are refused,
// questionable ones may go either way; the kinds these readers leave out on purpose
// (BMP below 8 or above 32 bits, run-length or embedded BMP, OS/2 headers; planes of
// fewer than 8 bits, grey+alpha TGA) must be refused. Where the index names a reference
// rendering, the loaded pixels must match it. Also the file shells: save to disk, load
// back, and a failed write reported as failure.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>  // rmdir
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#ifdef KV_HAVE_PNG
#include <png.h>
#endif
#include "formats/bmp_file.h"
#include "formats/pcx_file.h"
#include "formats/ppm_file.h"
#include "formats/tga_file.h"
#include "support/corpus_index.h"
#include "support/ui_script.h"
#include "unit/formats/exchange_support.h"

using namespace xtest;

namespace {

const char* CORPUS = "/work/shared/corpus/";

using corpus::Row;

std::vector<Row> Rows() { return corpus::Rows(CORPUS); }

typedef int (*FileLoader)(Surface*, const char*, ImageFileInfo*);

FileLoader LoaderFor(const std::string& format) {
    if (format.rfind("BMP", 0) == 0) return bmp_Load;
    if (format.rfind("TGA", 0) == 0) return tga_Load;
    if (format.rfind("PCX", 0) == 0) return pcx_Load;
    if (format == "PPM" || format == "PGM" || format == "PBM") return ppm_Load;
    return nullptr;
}

// Kinds left out of these readers: a clean refusal is the expected result.
bool OutOfScope(const Row& r) {
    if (r.format.rfind("BMP", 0) == 0) {
        const int bits = std::atoi(r.kind.c_str());
        for (const char* left : {"RLE", "JPEG", "PNG", "HUFFMAN", "ALPHABITFIELDS", "CORE hdr", "OS2"})
            if (r.kind.find(left) != std::string::npos) return true;
        return bits < 8 || bits > 32 || r.format != "BMP";
    }
    if (r.format.rfind("PCX", 0) == 0)
        return r.kind.find(" 8 bit x") == std::string::npos ||
               r.kind.find("x 4 plane") != std::string::npos;
    if (r.format == "TGA")  // grey with alpha
        return (r.kind.find("type 3 ") != std::string::npos ||
                r.kind.find("type 11 ") != std::string::npos) &&
               r.kind.find("16bpp") != std::string::npos;
    return false;
}

// ---- reference renderings ----

std::string ReferenceOf(const Row& r, const std::map<std::string, std::string>& listed) {
    return corpus::ReferenceOf(CORPUS, r, listed);
}

// Files whose reference shows what a fuller reader makes of them, not what these
// readers do by design.
const char* const MASKS16 = "16-bit pixels are read 5-5-5 whatever the bit-field masks say";
const char* const ALPHA16 = "16-bit pixels are read 5-5-5 without alpha whatever the bit-field masks say";
const char* const MASKS32 = "32-bit pixels are taken as stored whatever the bit-field masks say";
const std::map<std::string, std::string> KNOWN_DIFFERENCES = {
    {"bmpsuite/g/rgb16-565.bmp", MASKS16},
    {"bmpsuite/g/rgb16-565pal.bmp", MASKS16},
    {"bmpsuite/q/rgb16-231.bmp", MASKS16},
    {"bmpsuite/q/rgb16-3103.bmp", MASKS16},
    {"bmpsuite/q/rgba16-1924.bmp", MASKS16},
    {"bmpsuite/q/rgba16-4444.bmp", MASKS16},
    {"bmpsuite/q/rgba16-5551.bmp", ALPHA16},
    {"image-rs/bmp/V3_R5_G6_B5.bmp", MASKS16},
    {"image-rs/bmp/V3_R5_G6_B5_Top_Down.bmp", MASKS16},
    {"image-rs/bmp/V4_R5_G6_B5.bmp", MASKS16},
    {"image-rs/bmp/V3_X4_R4_G4_B4.bmp", MASKS16},
    {"image-rs/bmp/V3_X4_R4_G4_B4_Top_Down.bmp", MASKS16},
    {"image-rs/bmp/V5_A1_R5_G5_B5.bmp", ALPHA16},
    {"bmpsuite/g/rgb32bf.bmp", MASKS32},
    {"bmpsuite/q/rgb32-7187.bmp", MASKS32},
    {"bmpsuite/q/rgba32-1010102.bmp", MASKS32},
    {"bmpsuite/q/rgba32-2.bmp", MASKS32},
    {"bmpsuite/q/rgba32-61754.bmp", MASKS32},
    {"bmpsuite/q/rgba32-81284.bmp", MASKS32},
    {"bmpsuite/q/rgba32h56.bmp", MASKS32},
    {"image-rs/bmp/V3_X8_R8_G8_B8.bmp", MASKS32},
    {"image-rs/bmp/V3_X8_R8_G8_B8_Top_Down.bmp", MASKS32},
    {"image-rs/tga/testsuite/b5-attrib.tga", "the attribute bit becomes alpha; the reference ignores it"},
    {"image-rs/tga/testsuite/bottom_right.tga", "right-to-left rows are not mirrored"},
    {"image-rs/tga/testsuite/top_right.tga", "right-to-left rows are not mirrored"},
};

#ifdef KV_HAVE_PNG
// 8-bit RGBA of a PNG (palette, grey and 16-bit widened or narrowed, no gamma applied).
bool ReadPng(const std::string& path, uint32_t* w, uint32_t* h, std::vector<uint8_t>* rgba) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_bytep> rows;
    volatile bool ok = false;
    if (info && !setjmp(png_jmpbuf(png))) {
        png_init_io(png, f);
        png_read_info(png, info);
        png_set_expand(png);
        png_set_scale_16(png);
        png_set_gray_to_rgb(png);
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
        png_read_update_info(png, info);
        *w = png_get_image_width(png, info);
        *h = png_get_image_height(png, info);
        rgba->assign((size_t)*w * *h * 4, 0);
        rows.resize(*h);
        for (uint32_t y = 0; y < *h; y++) rows[y] = rgba->data() + (size_t)y * *w * 4;
        png_read_image(png, rows.data());
        ok = true;
    }
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    std::fclose(f);
    return ok;
}

// "" when the loaded image shows the reference (see corpus::Mismatch).
std::string Mismatch(Surface* s, const std::string& ref) {
    uint32_t w = 0, h = 0;
    std::vector<uint8_t> px;
    if (!ReadPng(std::string(CORPUS) + ref, &w, &h, &px)) return "reference unreadable: " + ref;
    return corpus::Mismatch(WordsOf(s), s->width, s->height, px, w, h, ref);
}
#endif

}  // namespace

TEST(ExchangeCorpus, EveryFileOfTheseKinds) {
    int loaded = 0, refused = 0, expected = 0, outOfScope = 0;
    int compared = 0, matched = 0, known = 0;
    const std::vector<Row> rows = Rows();
    const std::map<std::string, std::string> listed = corpus::ListedReferences(rows);
    for (const Row& r : rows) {
        FileLoader load = LoaderFor(r.format);
        if (!load || (r.expect != "load" && r.expect != "reject" && r.expect != "questionable"))
            continue;
        Surface s{};
        ImageFileInfo info{};
        info.quiet = 1;
        const int ok = load(&s, (std::string(CORPUS) + r.path).c_str(), &info);
        char got[32] = "";
        if (ok) {
            std::snprintf(got, sizeof got, "%ux%u", s.width, s.height);
            loaded++;
#ifdef KV_HAVE_PNG
            const std::string ref = ReferenceOf(r, listed);
            if (!ref.empty()) {
                compared++;
                const std::string why = Mismatch(&s, ref);
                auto k = KNOWN_DIFFERENCES.find(r.path);
                if (why.empty()) {
                    matched++;
                    if (k != KNOWN_DIFFERENCES.end())
                        std::printf("  now matches its reference: %s\n", r.path.c_str());
                } else if (k != KNOWN_DIFFERENCES.end()) {
                    known++;
                    std::printf("  known difference: %s (%s)\n", r.path.c_str(), k->second.c_str());
                } else {
                    ADD_FAILURE() << r.path << ": " << why;
                }
            }
#endif
            srf_Destroy(&s);
        } else {
            EXPECT_FALSE(s.created) << r.path;
            refused++;
        }
        if (r.expect == "load" && OutOfScope(r)) {
            outOfScope++;
            EXPECT_FALSE(ok) << r.path << " is of a kind these readers leave out";
        } else if (r.expect == "load") {
            EXPECT_TRUE(ok) << r.path;
            if (ok) {
                EXPECT_EQ(r.size, got) << r.path;
            }
        } else if (r.expect == "reject") {
            EXPECT_FALSE(ok) << r.path;
        }
        if (r.expect == "questionable" || ok == (r.expect == "load" && !OutOfScope(r))) expected++;
    }
    std::printf("BMP/TGA/PCX/NetPBM corpus: loaded %d / refused %d / expected %d (of them %d refused as "
                "out of scope)\n", loaded, refused, expected, outOfScope);
    std::printf("  reference renderings: compared %d / matched %d / known differences %d\n", compared,
                matched, known);
    EXPECT_GT(loaded, 0);
}

TEST(ExchangeFiles, SaveAndLoadThroughDisk) {
    char tmpl[] = "/tmp/exchtest.XXXXXX";
    std::string dir = mkdtemp(tmpl);
    std::mt19937 rng(1);
    TestSurface src(9, 4);
    FillRandom(src.get(), rng, false);
    auto want = WordsOf(src.get());
    for (auto& w : want) w &= 0xFFFFFF;
    uiscript_Reset();
    struct Kind {
        const char* name;
        int (*save)(Surface*, const char*);
        FileLoader load;
    } kinds[] = {{"a.tga", tga_Save, tga_Load}, {"a.pcx", pcx_Save, pcx_Load},
                 {"a.ppm", ppm_Save, ppm_Load}};
    for (const Kind& k : kinds) {
        std::string path = dir + "/" + k.name;
        ASSERT_TRUE(k.save(src.get(), path.c_str())) << k.name;
        Surface s{};
        ImageFileInfo info{};
        ASSERT_TRUE(k.load(&s, path.c_str(), &info)) << k.name;
        EXPECT_EQ(info.width, 9u);
        EXPECT_EQ(info.height, 4u);
        EXPECT_EQ(WordsOf(&s), want) << k.name;
        srf_Destroy(&s);
        // A target that cannot be replaced (a folder): failure, not success.
        std::string folder = dir + "/folder";
        mkdir(folder.c_str(), 0700);
        EXPECT_FALSE(k.save(src.get(), folder.c_str())) << k.name;
        rmdir(folder.c_str());
        EXPECT_FALSE(k.save(src.get(), (dir + "/missing/a").c_str())) << k.name;
        std::remove(path.c_str());
    }
    EXPECT_EQ(uiscript_Boxes().size(), 3u);  // the binary question, once per PPM save
    rmdir(dir.c_str());
    Surface none{};
    ImageFileInfo info{};
    EXPECT_FALSE(tga_Load(&none, (dir + "/missing.tga").c_str(), &info));
}
