// batch_test.cpp — kvbatch from outside: each journey starts the program once on
// files made here and checks what it wrote, said and returned against the program's
// own code called directly. The option rules are checked in-process as a table.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>
#include "batch/options.h"
#include "batch/pipeline.h"
#include "effects/fx_alpha.h"
#include "effects/fx_colour.h"
#include "effects/fx_filter.h"
#include "effects/fx_key.h"
#include "effects/fx_smear.h"
#include "effects/palette.h"
#include "effects/transform.h"
#include "formats/dispatch.h"
#include "formats/kv5_file.h"
#include "formats/photo_native.h"
#include "pixcode/pix_compile.h"
#include "pixcode/pix_run.h"
#include "support/format_support.h"
#include "support/scratch.h"
#include "support/settings_support.h"
#include "support/test_surface.h"
#include "support/ui_script.h"

namespace {

struct Outcome {
    int status;
    std::string err;
};

// One start of kvbatch in `d` with `args`; `input` is its standard input.
Outcome RunBatch(const Scratch& d, const std::string& args, const std::string& input = "") {
    d.Write("stdin.txt", input.c_str());
    const std::string cmd = "cd " + d.host + " && " KVBATCH_PATH " " + args + " <stdin.txt 2>stderr.txt";
    const int raw = std::system(cmd.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, d.Text("stderr.txt")};
}

Surface Load(const std::string& path) {
    Surface s{};
    ImageFileInfo info{};
    info.quiet = 1;
    char p[KV_MAX_PATH];
    std::snprintf(p, sizeof p, "%s", path.c_str());
    EXPECT_TRUE(img_LoadFile(&s, p, &info)) << path;
    return s;
}

void SaveKv5(Surface* s, const std::string& path) {
    ASSERT_TRUE(kv5_Save(s, path.c_str(), nullptr));
}

int RunProgram(Surface* s, const char* text) {
    PixCell cells[PIX_CELLS];
    PixMachine m;
    PixCompileOut out;
    return pix_Compile(text, cells, &m, s, &out) && pix_RunPixels(s, cells, &m);
}

}  // namespace

// Every kind of operation in one chain, two files at once, protected KV5 output at
// level 3: each result is byte for byte what the kernels give when called in order.
TEST(BatchJourney, AChainEqualsTheKernelsCalledInOrder) {
    Scratch d("kvbatch");
    std::filesystem::create_directories(d.At("in"));
    std::mt19937 rng(7);
    TestSurface a(37, 23), b(64, 5);
    FillPattern(a.get());
    FillRandom(b.get(), rng);
    SaveKv5(a.get(), d.At("in/a.kv5"));
    SaveKv5(b.get(), d.At("in/b.kv5"));
    d.Write("swap.pxc", "// sample\r\nswap red,green;\r\n");
    d.Write("m.txt", "1 2 1\n2, 4, 2\n1 2 1\n");
    const Outcome r = RunBatch(
        d,
        "in --effect blur:300 --effect drop-shadow:700:6:40 --effect bilevel:400:::rb --colours 80C0FF:102030 "
        "--effect bluescreen:600::30 --effect replace-color:700 --transform rotate:610 --transform flip-h "
        "--pixcode swap.pxc --matrix m.txt --resize 50x40:nearest --reduce256 --effect greyscale "
        "--format kv5 --level 3 --password --jobs 2 --quiet -o out",
        "secret\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");

    const uint32_t c1 = 0xFFC080, c2 = 0x302010;   // COLORREFs of the two colours
    const double m[9] = {1, 2, 1, 2, 4, 2, 1, 2, 1};
    int32_t weights[9];
    ASSERT_EQ(fx_MatrixWeights(m, weights), 1);
    for (const char* name : {"a", "b"}) {
        Surface s = Load(d.At(std::string("in/") + name + ".kv5"));
        fx_Blur(&s, 300);
        fx_DropShadow(&s, 700, 6, 40);
        fx_BiLevel(&s, 400, 1 | 4);
        fx_KeyColor(&s, c1, 600, fx_KeyTolerance(30));
        fx_ReplaceHue(&s, c1, c2, 700);
        ASSERT_TRUE(tf_Rotate(&s, &s, tf_RotateAngle(610)));
        tf_Flip(&s, 0);
        ASSERT_TRUE(RunProgram(&s, "swap red,green;"));
        ASSERT_EQ(fx_Convolve(&s, weights, 3, 0xF), 1);
        ASSERT_TRUE(srf_Resize(&s, 50, 40, 3));
        ASSERT_TRUE(pal_SmartDither(&s));
        fx_Greyscale(&s);

        const Kv5SaveOptions packed = {3, nullptr, 0, "secret", nullptr};
        EXPECT_EQ(d.Read(std::string("out/") + name + ".kv5"), ftest::Kv5SaveBytes(&s, &packed)) << name;
        srf_Destroy(&s);
    }
    tf_ReleaseSpare();
}

// A folder written into itself: the good file is written, a file whose result would
// replace it is left alone, an unreadable file and a Pixcode failure are named with
// their reasons, and nothing else is touched.
TEST(BatchJourney, BadFilesAreNamedAndTheOthersGoOn) {
    Scratch d("kvbatch");
    std::filesystem::create_directories(d.At("pics"));
    std::mt19937 rng(3);
    TestSurface good(13, 7), dark(5, 4);
    FillRandom(good.get(), rng);
    uint32_t* px = srf_Lock(good.get());
    for (uint32_t i = 0; i < 13 * 7; i++) px[i] |= 0x00404040;   // red never 0 after greyscale
    srf_Unlock(good.get());
    FillRandom(dark.get(), rng);
    FillWith(dark.get(), 2, 1, 2, 1, 0x00000000);     // black: the program divides by red
    SaveKv5(good.get(), d.At("pics/good.kv5"));
    SaveKv5(dark.get(), d.At("pics/dark.kv5"));
    d.Write("pics/bad.tga", std::vector<uint8_t>(40, 0xEE));
    d.Write("pics/old.ppm", "P3 1 1 255 1 2 3\n");
    d.Write("div.pxc", "divide green,#100,red;");
    std::vector<std::vector<uint8_t>> before;
    for (const char* f : {"pics/good.kv5", "pics/dark.kv5", "pics/bad.tga", "pics/old.ppm"}) before.push_back(d.Read(f));

    const Outcome r = RunBatch(d, "pics --effect greyscale --transform flip-v --pixcode div.pxc --format ppm -o pics");
    EXPECT_EQ(r.status, 1);
    char macro[128];
    pix_ErrorText(PIX_ERR_DIVZERO, PIX_DIVIDE, macro, sizeof macro);
    *std::strchr(macro, '\n') = ' ';
    for (const std::string& line : std::vector<std::string>{
             "kvbatch: pics/bad.tga: cannot load: no loader accepted the file\n",
          "kvbatch: pics/dark.kv5: --pixcode div.pxc: Macro Error: " + std::string(macro) + "\n",
             "kvbatch: pics/old.ppm: the result would overwrite the input (--in-place allows that)\n"})
        EXPECT_NE(r.err.find(line), std::string::npos) << line << "in:\n" << r.err;
    EXPECT_NE(r.err.find("kvbatch: 4 of 4 files, "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(", 3 failed\n"), std::string::npos) << r.err;

    int i = 0;
    for (const char* f : {"pics/good.kv5", "pics/dark.kv5", "pics/bad.tga", "pics/old.ppm"})
        EXPECT_EQ(d.Read(f), before[i++]) << f;
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(d.At("pics"))) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"bad.tga", "dark.kv5", "good.kv5", "good.ppm", "old.ppm"}));

    // Its pixels are the kernels' as in the chain above; here: it was written, as asked.
    EXPECT_EQ(d.Text("pics/good.ppm").substr(0, 2), "P6");
}

TEST(BatchJourney, AUsageErrorExitsWithTheUsageLineAndWritesNothing) {
    Scratch d("kvbatch");
    d.Write("a.ppm", "P3 1 1 255 1 2 3\n");
    const Outcome r = RunBatch(d, "a.ppm --effect blur:2000 -o out");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, std::string("kvbatch: blur: LEVEL must be 0..1000, not '2000'\n") + BOPT_USAGE_LINE + "\n");
    EXPECT_FALSE(std::filesystem::exists(d.At("out")));
}

// The option rules: each line must be refused with a reason naming the fault.
TEST(BatchOptions, RefusalsNameTheFault) {
    Scratch d("kvbatch");
    d.Write("bad.pxc", "frobnicate red;");
    d.Write("zero.txt", "1 -1 0 0 0 0 0 0 0");
    d.Write("eight.txt", "1 2 3 4 5 6 7 8");
    const std::string pxc = d.At("bad.pxc"), zero = d.At("zero.txt"), eight = d.At("eight.txt");
    const struct {
        std::vector<std::string> args;
        const char* reason;
    } rows[] = {
        {{"a.bmp", "-o", "x.bmp", "--sharpen"}, "unknown option '--sharpen'"},
        {{"a.bmp", "-o", "x.bmp", "--effect", "greyscale:5"}, "greyscale takes no parameters"},
        {{"a.bmp", "-o", "x.bmp", "--effect", "blur:300:8"}, "blur does not use DISTANCE"},
        {{"a.bmp", "-o", "x.bmp", "--effect", "drop-shadow:500:65"}, "DISTANCE must be 2..64"},
        {{"a.bmp", "-o", "x.bmp", "--effect", "smooth::::rx"}, "CHANNELS are letters of 'rgba'"},
        {{"a.bmp", "-o", "x.bmp", "--effect", "glow"}, "unknown effect 'glow'"},
        {{"a.bmp", "-o", "x.bmp", "--transform", "flip-h:300"}, "flip-h takes no LEVEL"},
        {{"a.bmp", "-o", "x.bmp", "--transform", "rotate:1001"}, "LEVEL must be 0..1000"},
        {{"a.bmp", "-o", "x.bmp", "--resize", "3x100"}, "--resize wants WxH"},
        {{"a.bmp", "-o", "x.bmp", "--resize", "5000x4000"}, "--resize wants WxH"},
        {{"a.bmp", "-o", "x.bmp", "--pixcode", pxc}, "'frobnicate'"},
        {{"a.bmp", "-o", "x.bmp", "--matrix", zero}, "add up to zero"},
        {{"a.bmp", "-o", "x.bmp", "--matrix", eight}, "nine numbers"},
        {{"a.bmp", "-o", "x.bmp", "--password=secret"}, "read from standard input"},
        {{"a.bmp", "--effect", "blur"}, "no output given"},
        {{"a.bmp", "--in-place", "-o", "x"}, "takes no -o"},
        {{"a.bmp", "-o", "x", "--format", "bmp", "--level", "2"}, "are for KV5 output"},
        {{"a.bmp", "-o", "x", "--level", "4"}, "--level must be 0..3"},
        {{"a.bmp", "-o", "x", "--jobs", "0"}, "--jobs must be 1..64"},
        {{"a.bmp", "-o", "x", "--format", "ico"}, "does not write icons"},
        {{"a.bmp", "-o", "x", "--format", "gif"}, "need the filter plug-ins"},
        {{"a.bmp", "-o", "x", "--colours", "12345G"}, "--colours wants RRGGBB"},
        {{"-o", "x"}, "no input given"},
        {{"a.bmp", "-o"}, "-o needs a value"},
    };
    for (const auto& row : rows) {
        std::vector<const char*> argv = {"kvbatch"};
        for (const std::string& a : row.args) argv.push_back(a.c_str());
        BatchOptions o;
        std::string error;
        EXPECT_FALSE(bopt_Parse((int)argv.size(), argv.data(), &o, &error)) << row.reason;
        EXPECT_NE(error.find(row.reason), std::string::npos) << error;
    }
}

// Results that would collide are refused file by file; -o and --format must agree.
TEST(BatchOptions, PlanningKeepsResultsApart) {
    Scratch d("kvbatch");
    for (const char* f : {"p.ppm", "p.tga", "q.bmp"}) d.Write(f, "x");
    const auto plan = [&](std::vector<const char*> args, std::vector<BatchFile>* files, std::string* error) {
        args.insert(args.begin(), "kvbatch");
        BatchOptions o;
        EXPECT_TRUE(bopt_Parse((int)args.size(), args.data(), &o, error)) << *error;
        const std::filesystem::path back = std::filesystem::current_path();
        std::filesystem::current_path(d.host);
        const int ok = bpl_Plan(o, files, error);
        std::filesystem::current_path(back);
        return ok;
    };
    std::vector<BatchFile> files;
    std::string error;
    ASSERT_TRUE(plan({"p.ppm", "p.tga", "q.bmp", "--format", "bmp", "-o", "."}, &files, &error)) << error;
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].refusal, "");
    EXPECT_EQ(files[1].refusal, "would give the same result file as p.ppm");
    EXPECT_EQ(files[2].refusal, "the result would overwrite the input (--in-place allows that)");
    EXPECT_EQ(files[0].target, d.host + "/./p.bmp");
    EXPECT_FALSE(plan({"p.ppm", "--format", "bmp", "-o", "r.tga"}, &files, &error));
    EXPECT_EQ(error, "-o r.tga does not end in .bmp as --format asks");
    EXPECT_FALSE(plan({"p.ppm", "q.bmp", "-o", "r.tga"}, &files, &error));
    EXPECT_EQ(error, "-o r.tga names one file, but there are several inputs");
    EXPECT_FALSE(plan({"p.ppm", "-o", "r", "--level", "1"}, &files, &error));
    EXPECT_EQ(error, "--level and --password are for KV5 output, not .ppm");
    EXPECT_FALSE(std::filesystem::exists(d.At("r")));
    ASSERT_TRUE(plan({"p.ppm", "--in-place"}, &files, &error));
    EXPECT_EQ(files[0].target, files[0].source);
    EXPECT_EQ(files[0].refusal, "");
}

// A folder of real PNGs (every colour type, depth and interlacing of the corpus's
// suite) to KV5 and back, their alpha taken as stored: every pixel comes back. A
// photograph through JPEG stays close and opaque. Broken PNGs are named and skipped.
TEST(BatchJourney, PngFolderThroughKv5KeepsEveryPixel) {
    Scratch d("kvbatch");
    const KeptSettings kept;
    const std::string suite = "/work/shared/corpus/pngsuite/", photo = "/work/shared/corpus/bench-photos/photo_dune.png";
    std::vector<std::string> names;
    std::filesystem::create_directories(d.At("in"));
    for (const auto& e : std::filesystem::directory_iterator(suite))
        if (e.path().extension() == ".png") {
            names.push_back(e.path().stem());
            std::filesystem::copy_file(e.path(), d.At("in/" + names.back() + ".png"));
        }
    Outcome r = RunBatch(d, "in --format kv5 --alpha-as-stored --quiet -o kv");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("kvbatch: in/xcrn0g04.png: cannot load: no loader accepted the file\n"), std::string::npos);
    r = RunBatch(d, "kv --format png --quiet -o back");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const std::string& n : names) {
        if (n[0] == 'x') continue;  // the suite's broken files
        const ftest::Loaded raw = ftest::LoadWith(photo_LoadPngBytes, d.Read("in/" + n + ".png"));
        const ftest::Loaded back = ftest::LoadWith(photo_LoadPngBytes, d.Read("back/" + n + ".png"));
        EXPECT_TRUE(raw.ok && raw.w == back.w && raw.h == back.h && raw.px == back.px) << n;
    }

    r = RunBatch(d, photo + " --resize 300x200 --quiet -o dune.jpg");
    ASSERT_EQ(r.status, 0) << r.err;
    const ftest::Loaded jpeg = ftest::LoadWith(photo_LoadJpegBytes, d.Read("dune.jpg"));
    Surface want = Load(photo);
    ASSERT_TRUE(srf_Resize(&want, 300, 200, 2));
    const std::vector<uint32_t> px = WordsOf(&want);
    srf_Destroy(&want);
    ASSERT_TRUE(jpeg.ok && jpeg.px.size() == px.size());
    double err = 0;
    for (size_t i = 0; i < px.size(); i++) {
        EXPECT_EQ(jpeg.px[i] >> 24, 0u) << i;
        for (int c = 0; c < 24; c += 8) err += std::abs((int)(jpeg.px[i] >> c & 255) - (int)(px[i] >> c & 255));
    }
    EXPECT_LT(err / (px.size() * 3), 8.0);  // quality 90 on a detailed photograph: about 5.4
}
