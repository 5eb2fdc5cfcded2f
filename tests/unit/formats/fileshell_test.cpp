// The file shells of every own writer and reader: the reasons of a write or read that
// cannot happen, the KV5 probe and the tiled reader by path, a write that fails
// half-way leaving the previous file and no temporary, the temporary name and prefix
// reads. (Saving and loading through every shell: SaveDispatch in dispatch_test.cpp.)
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <csignal>
#include <filesystem>
#include <random>
#include "formats/bmp_file.h"
#include "formats/fileio.h"
#include "formats/kv5_tiled.h"
#include "formats/pcx_file.h"
#include "formats/ppm_file.h"
#include "formats/tga_file.h"
#include "support/format_support.h"
#include "support/scratch.h"

using namespace ftest;

namespace {

size_t FileCount(const std::string& dir) {
    size_t n = 0;
    for (auto& e : std::filesystem::directory_iterator(dir)) n += e.is_regular_file();
    return n;
}

}  // namespace

TEST(FileShells, TheReasonsOfFailureAndTheProbe) {
    Scratch d("kvshell");
    WriterSettings ws(2, 0, 1, "Disk");
    TestSurface src(9, 4), back(1, 1);
    std::filesystem::create_directory(d.At("folder"));
    const struct {
        int (*save)(Surface*, const char*);
        int (*load)(Surface*, const char*, ImageFileInfo*);
    } shells[] = {{kv5_Save, kv5_Load}, {bmp_Save, bmp_Load}, {tga_Save, tga_Load}, {pcx_Save, pcx_Load}, {ppm_Save, ppm_Load}};
    for (const auto& k : shells) {
        ImageFileInfo info{};
        EXPECT_FALSE(k.save(src.get(), d.At("folder").c_str()));
        EXPECT_STREQ(refuse_Reason(), "cannot replace file");
        EXPECT_FALSE(k.save(src.get(), d.At("missing/a").c_str()));
        EXPECT_STREQ(refuse_Reason(), "cannot create file");
        EXPECT_FALSE(k.load(back.get(), d.At("missing.x").c_str(), &info));
        EXPECT_STREQ(refuse_Reason(), "cannot open file");
        EXPECT_EQ(back->width, 1u);
    }
    EXPECT_EQ(FileCount(d.host), 0u);  // no temporary left behind
    Surface none{};
    EXPECT_FALSE(bmp_Save(&none, d.At("b.bmp").c_str()));
    EXPECT_STREQ(refuse_Reason(), "cannot lock surface");

    // Program-style path: backslashes stand for slashes natively.
    ASSERT_TRUE(kv5_Save(src.get(), (d.dir + "\\a.kv5").c_str()));
    ImageFileInfo probe{};
    ASSERT_EQ(kv5_Probe(d.At("a.kv5").c_str(), &probe), 1);
    EXPECT_EQ(probe.width, 9u);
    EXPECT_EQ(std::string(probe.authorText).rfind("Disk, ", 0), 0u);
    EXPECT_EQ(kv5_Probe(d.At("missing.kv5").c_str(), &probe), 0);
    EXPECT_EQ(kv5_LoadTiled(back.get(), d.At("a.kv5").c_str(), &probe), 0);
    EXPECT_STREQ(refuse_Reason(), "not the tiled layout");
}

TEST(FileShells, ReplacingKeepsTheOldFileUntilTheNewOneIsWhole) {
    Scratch d("kvshell");
    WriterSettings ws(0, 0, 0);
    std::string path = d.At("keep.kv5");
    std::mt19937 rng(2);
    TestSurface small(8, 8), bigger(300, 200), back(1, 1);
    FillRandom(small.get(), rng, false);
    FillRandom(bigger.get(), rng, false);
    ASSERT_EQ(kv5_Save(small.get(), path.c_str()), 1);
    // Writes beyond 64 KB now fail with EFBIG (the signal is ignored).
    auto old = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit low = saved;
    low.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &low), 0);
    int ok = kv5_Save(bigger.get(), path.c_str());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, old);
    EXPECT_EQ(ok, 0);
    EXPECT_STREQ(refuse_Reason(), "short write");
    EXPECT_EQ(FileCount(d.host), 1u);
    for (Surface* want : {small.get(), bigger.get()}) {  // the old file whole; then replaced
        ASSERT_EQ(kv5_Load(back.get(), path.c_str(), nullptr), 1);
        EXPECT_TRUE(SameSurface(want, back.get()));
        ASSERT_EQ(kv5_Save(bigger.get(), path.c_str()), 1);
    }
}

TEST(FileShells, TemporaryNameAndPrefixReads) {
    for (auto [name, temp] : {std::pair<const char*, const char*>{"C:\\a\\pic.kv5", "C:\\a\\pic.kv~"}, {"x~", "x!"}, {"", ""}}) {
        char t[32];
        fio_TempName(name, t, sizeof t);
        EXPECT_STREQ(t, temp);
    }
    Scratch d("kvshell");
    std::string path = d.At("bytes.bin");
    Bytes content(200000);
    for (size_t i = 0; i < content.size(); i++) content[i] = (uint8_t)(i * 31);
    FioPiece piece{content.data(), content.size()};
    ASSERT_EQ(fio_WriteReplace(path.c_str(), &piece, 1), 1);
    for (size_t limit : {0u, 1u, 65536u, 150000u, 200000u, 900000u}) {
        uint8_t* data;
        size_t size;
        ASSERT_EQ(fio_ReadPrefix(path.c_str(), limit, &data, &size), 1);
        EXPECT_EQ(size, std::min<size_t>(limit, content.size()));
        EXPECT_TRUE(std::equal(data, data + size, content.begin()));
        free(data);
    }
}
