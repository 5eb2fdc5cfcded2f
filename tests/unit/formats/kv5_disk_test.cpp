// KV5 through real files: save, load and probe by path, replacing a file, and a write
// that fails half-way (file size limit) leaving the previous file and no temporary.
#include <gtest/gtest.h>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include "formats/fileio.h"
#include "formats/kv5_tiled.h"
#include "unit/formats/kv5_support.h"

using namespace kv5test;

namespace {

struct Folder {
    std::string dir;
    Folder() {
        char tmpl[] = "/tmp/kv5test.XXXXXX";
        dir = mkdtemp(tmpl);
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::string At(const char* name) const { return dir + "/" + name; }
    size_t Count() const {
        size_t n = 0;
        for (auto& e : std::filesystem::directory_iterator(dir)) n += e.is_regular_file();
        return n;
    }
};

void PaintNoise(Surface* s, unsigned seed) {
    std::mt19937 rng(seed);
    FillRandom(s, rng, false);
}

}  // namespace

TEST(Kv5Disk, SaveLoadAndProbeByPath) {
    Folder f;
    WriterSettings ws(2, 0, 1, "Disk");
    TestSurface img(33, 17);
    PaintNoise(img.get(), 1);
    // Program-style path: backslashes stand for slashes natively.
    std::string path = f.dir + "\\pic.kv5";
    ASSERT_EQ(kv5_Save(img.get(), path.c_str()), 1);
    EXPECT_EQ(f.Count(), 1u);
    TestSurface back(1, 1);
    ImageFileInfo info{};
    ASSERT_EQ(kv5_Load(back.get(), path.c_str(), &info), 1);
    EXPECT_TRUE(SameSurface(img.get(), back.get()));
    EXPECT_EQ(std::string(info.authorText).rfind("Disk, ", 0), 0u);
    ImageFileInfo probe{};
    ASSERT_EQ(kv5_Probe(path.c_str(), &probe), 1);
    EXPECT_EQ(probe.width, 33u);
    EXPECT_STREQ(probe.authorText, info.authorText);
    EXPECT_EQ(kv5_LoadTiled(back.get(), path.c_str(), &info), 0);  // layout 2 is not tiled
    EXPECT_EQ(kv5_Load(back.get(), f.At("missing.kv5").c_str(), &info), 0);
    EXPECT_EQ(kv5_Probe(f.At("missing.kv5").c_str(), &info), 0);
    EXPECT_EQ(kv5_Save(img.get(), (f.dir + "/no/such/folder/x.kv5").c_str()), 0);
}

TEST(Kv5Disk, ReplacingKeepsTheOldFileUntilTheNewOneIsWhole) {
    Folder f;
    WriterSettings ws(0, 0, 0);
    std::string path = f.At("keep.kv5");
    TestSurface small(8, 8);
    PaintNoise(small.get(), 2);
    ASSERT_EQ(kv5_Save(small.get(), path.c_str()), 1);
    TestSurface bigger(300, 200);
    PaintNoise(bigger.get(), 3);
    ASSERT_EQ(kv5_Save(bigger.get(), path.c_str()), 1);  // replaced
    TestSurface back(1, 1);
    ASSERT_EQ(kv5_Load(back.get(), path.c_str(), nullptr), 1);
    EXPECT_TRUE(SameSurface(bigger.get(), back.get()));

    // Writes beyond 64 KB now fail with EFBIG (the signal is ignored).
    ASSERT_EQ(kv5_Save(small.get(), path.c_str()), 1);
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
    EXPECT_EQ(f.Count(), 1u);  // no temporary file left behind
    ASSERT_EQ(kv5_Load(back.get(), path.c_str(), nullptr), 1);
    EXPECT_TRUE(SameSurface(small.get(), back.get()));
}

TEST(Kv5Disk, TemporaryNameAndPrefixReads) {
    char t[32];
    fio_TempName("C:\\a\\pic.kv5", t, sizeof t);
    EXPECT_STREQ(t, "C:\\a\\pic.kv~");
    fio_TempName("x~", t, sizeof t);
    EXPECT_STREQ(t, "x!");
    fio_TempName("", t, sizeof t);
    EXPECT_STREQ(t, "");

    Folder f;
    std::string path = f.At("bytes.bin");
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
