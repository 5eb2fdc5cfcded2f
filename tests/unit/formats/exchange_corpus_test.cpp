// The real BMP, TGA, PCX and NetPBM files of the shared corpus, as its index describes
// them: files to load load with the stated size, files to reject are refused,
// questionable ones may go either way; the kinds these readers leave out on purpose
// (BMP below 8 or above 32 bits, run-length or embedded BMP, OS/2 headers) must be
// refused. Natively, so the sanitizers watch every file; the pixels are compared with
// the reference renderings under Windows (corpus_dispatch_test.cpp), where a decoder of
// them is at hand.
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include "formats/bmp_file.h"
#include "formats/pcx_file.h"
#include "formats/ppm_file.h"
#include "formats/tga_file.h"
#include "support/corpus_index.h"
#include "support/format_support.h"

using namespace ftest;

namespace {

const char* CORPUS = "/work/shared/corpus/";

using corpus::Row;

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
    return false;
}

}  // namespace

TEST(ExchangeCorpus, EveryFileOfTheseKinds) {
    int loaded = 0, refused = 0, outOfScope = 0;
    for (const Row& r : corpus::Rows(CORPUS)) {
        FileLoader load = LoaderFor(r.format);
        if (!load || (r.expect != "load" && r.expect != "reject" && r.expect != "questionable")) continue;
        Surface s{};
        ImageFileInfo info{};
        info.quiet = 1;
        const int ok = load(&s, (std::string(CORPUS) + r.path).c_str(), &info);
        char got[32] = "";
        std::snprintf(got, sizeof got, "%ux%u", s.width, s.height);
        ok ? loaded++ : refused++;
        if (ok) srf_Destroy(&s);
        else EXPECT_FALSE(s.created) << r.path;
        if (r.expect == "load" && OutOfScope(r)) {
            outOfScope++;
            EXPECT_FALSE(ok) << r.path << " is of a kind these readers leave out";
        } else if (r.expect == "load") {
            EXPECT_TRUE(ok) << r.path;
            if (ok) EXPECT_EQ(r.size, got) << r.path;
        } else if (r.expect == "reject") {
            EXPECT_FALSE(ok) << r.path;
        }
    }
    std::printf("BMP/TGA/PCX/NetPBM corpus: loaded %d / refused %d (of them %d as out of scope)\n", loaded, refused, outOfScope);
    EXPECT_GT(loaded, 0);
}
