// The real TGA, PCX and NetPBM files of the shared corpus, as its index describes them:
// files to load load with the stated size, files to reject are refused, questionable
// ones may go either way; the kinds these readers leave out on purpose (planes of fewer
// than 8 bits, grey+alpha TGA) must be refused. Also the file shells: save to disk,
// load back, and a failed write reported as failure.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>  // rmdir
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include "formats/pcx_file.h"
#include "formats/ppm_file.h"
#include "formats/tga_file.h"
#include "support/ui_script.h"
#include "unit/formats/exchange_support.h"

using namespace xtest;

namespace {

const char* CORPUS = "/work/shared/corpus/";

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

struct Row {
    std::string path, format, size, kind, expect;
};

std::vector<Row> Rows() {
    std::ifstream in(std::string(CORPUS) + "INDEX.md");
    std::vector<Row> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("| ", 0) != 0) continue;
        std::vector<std::string> f;
        std::stringstream ss(line.substr(1));
        std::string cell;
        while (std::getline(ss, cell, '|')) f.push_back(Trim(cell));
        if (f.size() >= 5) rows.push_back({f[0], f[1], f[2], f[3], f[4]});
    }
    return rows;
}

typedef int (*FileLoader)(Surface*, const char*, ImageFileInfo*);

FileLoader LoaderFor(const std::string& format) {
    if (format.rfind("TGA", 0) == 0) return tga_Load;
    if (format.rfind("PCX", 0) == 0) return pcx_Load;
    if (format == "PPM" || format == "PGM" || format == "PBM") return ppm_Load;
    return nullptr;
}

// Kinds left out of these readers: a clean refusal is the expected result.
bool OutOfScope(const Row& r) {
    if (r.format.rfind("PCX", 0) == 0)
        return r.kind.find(" 8 bit x") == std::string::npos ||
               r.kind.find("x 4 plane") != std::string::npos;
    if (r.format == "TGA")  // grey with alpha
        return (r.kind.find("type 3 ") != std::string::npos ||
                r.kind.find("type 11 ") != std::string::npos) &&
               r.kind.find("16bpp") != std::string::npos;
    return false;
}

}  // namespace

TEST(ExchangeCorpus, EveryFileOfTheseKinds) {
    int loaded = 0, refused = 0, expected = 0, outOfScope = 0;
    for (const Row& r : Rows()) {
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
            srf_Destroy(&s);
            loaded++;
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
    std::printf("TGA/PCX/NetPBM corpus: loaded %d / refused %d / expected %d (of them %d refused as "
                "out of scope)\n", loaded, refused, expected, outOfScope);
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
