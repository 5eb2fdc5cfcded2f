// The load and save dispatchers, and below them the file shells of the own readers
// and writers, each in its section.
#include <gtest/gtest.h>
#include <filesystem>
#include <random>
#include <string>
#include "formats/bmp_file.h"
#include "formats/dispatch.h"
#include "formats/dispatch_table.h"
#include "formats/fileio.h"
#include "platform/safewrite.h"
#include "formats/kv5_tiled.h"
#include "support/format_support.h"
#include "support/scratch.h"
#include "support/settings_support.h"

using namespace ftest;

// The dispatchers: the extension table, the probing chain (a KV5 file under another
// name, the old layout and its conversion question), the alpha convention with its
// inversion rules, the "Loader Error" report, and every check and message of saving.
namespace {

// Opacity-style alpha: a flat background at alpha 0 around a varied, opaque (255) centre.
void PaintOpacityStyle(Surface* s) {
    FillWith(s, 0, 0, 7, 7, 0x00808080);
    for (int y = 2; y < 6; y++)
        for (int x = 2; x < 6; x++) FillWith(s, x, y, x, y, 0xFF000000u | (uint32_t)(x * 40 + y * 7) * 0x010203u);
}

}  // namespace

TEST(LoadTable, ExtensionOfTheNamePartWithoutRegardToCase) {
    // Unknown extensions go to the plug-in loader; the dot of a folder is no extension.
    const std::pair<const char*, int> names[] = {{"C:\\pics\\holiday.JPEG", IMG_LD_PICTURE}, {"a.b.Kv5", IMG_LD_KV5},
        {"x.VST", IMG_LD_TGA}, {"x.tiff", IMG_LD_PLUGIN}, {"x.jpeg2", IMG_LD_PLUGIN}, {"C:\\my.pics\\noext", -1}};
    for (auto [name, loader] : names) EXPECT_EQ(img_LoadTableLookup(name), loader) << name;
}

TEST(LoadDispatch, TheChainFindsKV5UnderAnotherNameNeverInvertedAndOffersToConvertTheOldLayout) {
    Scratch d("kvdispatch");
    const KeptSettings kept;
    // The conversion below saves as the program does: level 1, no password, no author.
    EditSettings([](SettingsRecord& r) {
        r.autoDetectAlpha = 1;
        r.kv5Compression = 1;
        r.kv5Password = 0;
        r.authorTag = 0;
    });
    TestSurface src(8, 8);
    PaintOpacityStyle(src.get());
    auto want = WordsOf(src.get());
    ASSERT_TRUE(kv5_Save(src.get(), d.At("kv5.bmp").c_str(), nullptr));
    ASSERT_TRUE(bmp_Save(src.get(), d.At("real.bmp").c_str()));
    uiscript_Reset();

    Loaded k = LoadFile(d.At("kv5.bmp"));
    ASSERT_TRUE(k.ok);
    EXPECT_EQ(k.px, want);  // native: alpha as stored
    EXPECT_EQ(k.info.hasAlpha, 1);
    EXPECT_EQ(k.info.looksLikeOpacity, 0);
    EXPECT_EQ(uiscript_Statuses(),
              (std::vector<std::string>{" Loading File :: kv5.bmp", " Image Data Loaded."}));

    // The same pixels from a bitmap look like opacity and are turned round...
    Loaded b = LoadFile(d.At("real.bmp"));
    ASSERT_TRUE(b.ok);
    EXPECT_EQ(b.info.looksLikeOpacity, 1);
    for (auto& v : want) v ^= 0xFF000000u;
    EXPECT_EQ(b.px, want);
    for (auto& v : want) v ^= 0xFF000000u;
    // ...but only while the setting asks for it.
    EditSettings([](SettingsRecord& r) { r.autoDetectAlpha = 0; });
    b = LoadFile(d.At("real.bmp"));
    EXPECT_EQ(b.info.looksLikeOpacity, 1);
    EXPECT_EQ(b.px, want);

    // Fully opaque: no alpha, no convention.
    EditSettings([](SettingsRecord& r) { r.autoDetectAlpha = 1; });
    FillWith(src.get(), 0, 0, 7, 7, 0x00123456);
    ASSERT_TRUE(bmp_Save(src.get(), d.At("opaque.bmp").c_str()));
    b = LoadFile(d.At("opaque.bmp"));
    ASSERT_TRUE(b.ok);
    EXPECT_EQ(b.info.hasAlpha, 0);
    EXPECT_EQ(b.info.looksLikeOpacity, 0);
    EXPECT_EQ(b.px, WordsOf(src.get()));
    EXPECT_EQ(uiscript_WaitDepth(), 0);

    // The old layout loads; unless quiet, the chain asks to convert it.
    Bytes tile(257);  // one grey tile of 16 x 16: kind byte 0, then the levels
    for (int i = 0; i < 256; i++) tile[i + 1] = (uint8_t)i;
    const Bytes old = TiledFile(16, 16, tile);
    d.Write("old.kv5", old);

    Loaded q = LoadFile(d.At("old.kv5"), 1);
    ASSERT_TRUE(q.ok);
    EXPECT_EQ(q.px[17], 0x00111111u);
    EXPECT_TRUE(uiscript_Boxes().empty());

    uiscript_QueueBox("Update KV5 File", UI_IDNO);
    ASSERT_TRUE(LoadFile(d.At("old.kv5"), 0).ok);
    EXPECT_EQ(uiscript_BoxLines(), std::vector<std::string>{
                                       "Update KV5 File: This KV5 file is in the old format.\nYou should convert it to "
                                       "the new format.\n\nDo you want to convert it now?"});
    EXPECT_EQ(d.Read("old.kv5"), old);

    uiscript_QueueBox("Update KV5 File", UI_IDYES);
    ASSERT_TRUE(LoadFile(d.At("old.kv5"), 0).ok);
    Bytes now = d.Read("old.kv5");
    ASSERT_GE(now.size(), 12u);
    EXPECT_EQ(GetU16(now, 10), 2u);  // rewritten in the current layout
    EXPECT_EQ(LoadFile(d.At("old.kv5"), 0).px, q.px);
    EXPECT_EQ(uiscript_Boxes().size(), 2u);  // no question for the current layout
}

TEST(LoadDispatch, FailuresLeaveTheTargetAndReportWhy) {
    Scratch d("kvdispatch");
    uiscript_Reset();
    d.Write("junk.kv5", Bytes(300, 0x5A));
    EXPECT_FALSE(LoadFile(d.At("junk.kv5")).ok);
    EXPECT_STREQ(refuse_Reason(), "no loader accepted the file");
    EXPECT_FALSE(LoadFile(d.At("missing.kv5")).ok);
    EXPECT_STREQ(refuse_Reason(), "cannot open file");
    EXPECT_EQ(uiscript_Statuses().back(), " No Image Data Found.");

    TestSurface target(5, 3);
    FillWith(target.get(), 0, 0, 4, 2, 0x00ABCDEF);
    auto before = WordsOf(target.get());
    uiscript_Reset();
    EXPECT_FALSE(img_LoadReporting(target.get(), d.At("missing.kv5").c_str()));
    EXPECT_FALSE(img_LoadReporting(target.get(), d.At("junk.kv5").c_str()));
    EXPECT_EQ(WordsOf(target.get()), before);
    ASSERT_EQ(uiscript_PromptsAsked(), (std::vector<std::string>{"Loader Error", "Loader Error"}));
    EXPECT_EQ(uiscript_PromptTexts()[0], "    The file you specified could not be loaded. IT DOES NOT EXIST.");
    EXPECT_EQ(uiscript_PromptTexts()[1],
              "    The file you specified could not be loaded. It may be damaged or unavailable, you may "
              "have cancelled the operation, or you need an external plugin to open it.");
    EXPECT_EQ(uiscript_Statuses().back(), " Error :: Image Not Loaded!!");

    // A cancelled password is asked once: the chain does not retry the table's reader.
    const Kv5SaveOptions protect = WriterOptions(0, 1, 0);
    QueuePassword("secret");
    ASSERT_TRUE(kv5_Save(target.get(), d.At("locked.kv5").c_str(), &protect));
    uiscript_Reset();
    EXPECT_FALSE(LoadFile(d.At("locked.kv5"), 0).ok);
    EXPECT_EQ(uiscript_PromptsAsked(), (std::vector<std::string>{KV5_PASSWORD_PROMPT}));
    EXPECT_EQ(uiscript_WaitDepth(), 0);
}

TEST(AlphaConvention, GroupsAveragesAndHasAlpha) {
    // Row order, alpha 193+ high and up to 192 low; each group's first pixel is its own
    // predecessor. Low: 0, +2, +2, +1 over 4 pixels = 1.25; high: 0, +3 over 2 = 1.5.
    // The averages (not their truncations, both 1) decide: the low group is smoother.
    TestSurface s(3, 2);
    const uint32_t px[6] = {0xC0101010, 0xC1000000, 0x05101012,
                            0x00101014, 0xFF000003, 0x00101015};
    for (int i = 0; i < 6; i++) FillWith(s.get(), i % 3, i / 3, i % 3, i / 3, px[i]);
    ImageFileInfo info{};
    img_DetectAlphaConvention(s.get(), &info);
    EXPECT_EQ(info.hasAlpha, 1);
    EXPECT_EQ(info.looksLikeOpacity, 1);
    // One step more in the low group (1.5 each): no longer smoother.
    FillWith(s.get(), 2, 1, 2, 1, 0x00101016);
    img_DetectAlphaConvention(s.get(), &info);
    EXPECT_EQ(info.looksLikeOpacity, 0);
    // Only high pixels: opacity; only low ones: the engine's convention.
    FillWith(s.get(), 0, 0, 2, 1, 0xFF000000);
    img_DetectAlphaConvention(s.get(), &info);
    EXPECT_EQ(info.looksLikeOpacity, 1);
    FillWith(s.get(), 0, 0, 2, 1, 0x40000000);
    img_DetectAlphaConvention(s.get(), &info);
    EXPECT_EQ(info.looksLikeOpacity, 0);
    EXPECT_EQ(img_HasAlpha(s.get()), 1);
    FillWith(s.get(), 0, 0, 2, 1, 0x00FFFFFF);
    EXPECT_EQ(img_HasAlpha(s.get()), 0);
}

TEST(SaveDispatch, EveryCheckAndMessage) {
    Scratch d("kvdispatch");
    const Kv5SaveOptions plain = WriterOptions(0, 0, 0);
    TestSurface s(4, 4);
    FillWith(s.get(), 0, 0, 3, 3, 0x00204060);
    const unsigned box = UI_OK | UI_ICONWARNING | UI_TASKMODAL;
    // A folder in the way of the file, and someone's test.tmp beside it.
    std::filesystem::create_directory(d.At("taken.tga"));
    d.Write("test.tmp", "keep");
    const std::string badExt =
        "No internal or installed external image export filter plugin recognizes files of\ntype \".xyz\". "
        "Please save the file using another format, e.g. the internal types:\n.kv5, .bmp, .dib, .tga, "
        ".pcx or .ppm , or .jpg if you have the optional plugin.";
    struct Case {
        std::string path, title, text;
        unsigned flags;
        const char* reason;
    } cases[] = {
        {"- untitled -", "", "", 0, "untitled"},
        {d.At("noext"), "Save Error - No filename extension",
         "No filename extension. All files should be named\nas something-dot-something, e.g 'test.bmp'.", box, "no extension"},
        {d.At("my.pics/noext"), "Save Error - Bad filename extension", "Invalid Filename Extension", box, "bad extension"},
        {d.At("pic.ICO"), "Use Icon Creator",
         "You are trying to save an icon image type.\nPlease use the in-built Icon Creator device\ninstead.",
         UI_OK | UI_ICONINFORMATION | UI_TASKMODAL, "icon type"},
        {d.At("pic.Xyz"), "Save Error - Bad filename extension", badExt, box, "no writer for extension"},
        {d.At("missing/pic.bmp"), "Save Error", "The destination is READ-ONLY.", box, "cannot create file"},
        {d.At("taken.tga"), "Save Error", "Unknown rendering error.", box, "cannot replace file"},
    };
    for (const Case& c : cases) {
        uiscript_Reset();
        EXPECT_EQ(img_SaveFile(s.get(), c.path.c_str(), &plain), 0) << c.path;
        EXPECT_STREQ(refuse_Reason(), c.reason) << c.path;
        EXPECT_EQ(uiscript_WaitDepth(), 0);
        if (c.title.empty()) {
            EXPECT_TRUE(uiscript_Boxes().empty());
            EXPECT_TRUE(uiscript_Statuses().empty());
            continue;
        }
        ASSERT_EQ(uiscript_BoxLines(), std::vector<std::string>{c.title + ": " + c.text}) << c.path;
        EXPECT_EQ(uiscript_Boxes()[0].flags, c.flags) << c.path;
    }
    EXPECT_EQ(d.Text("test.tmp"), "keep");  // someone's file, left alone
    EXPECT_FALSE(std::filesystem::exists(d.At("taken.tg~")));  // no temporary left behind

    // Success goes by the lower-cased extension and says so.
    uiscript_Reset();
    EXPECT_NE(img_SaveFile(s.get(), d.At("ok.KV5").c_str(), &plain), 0);
    EXPECT_STREQ(refuse_Reason(), "");
    EXPECT_EQ(uiscript_Statuses(), (std::vector<std::string>{" Saving '" + d.At("ok.KV5") + "' ",
                                                              " Saved '" + d.At("ok.KV5") + "' "}));
    // Each extension reaches its own writer: the file starts as that format does.
    // (What each writer stores: the round trips of contract_test.cpp.)
    const std::pair<const char*, std::string> writers[] = {{"a.Bmp", "BM"}, {"a.dib", "BM"}, {"a.tga", std::string("\0\0\x0A", 3)},
        {"a.pcx", "\x0A\x05"}, {"a.ppm", "P6"}, {"a.pbm", "P6"}, {"a.kv5", "_KV5"}};
    for (const auto& [name, start] : writers) {
        ASSERT_NE(img_SaveFile(s.get(), d.At(name).c_str(), &plain), 0) << name;
        EXPECT_EQ(d.Text(name).substr(0, start.size()), start) << name;
    }
}

// The file shells: the KV5 probe and the tiled reader by path, a write that fails
// half-way leaving the previous file and no temporary, the temporary name. (The
// reasons a write or read cannot happen, and every shell reached: SaveDispatch and
// LoadDispatch above.)
namespace {

const Kv5SaveOptions DISK_OPTIONS = {2, "Disk", 0, nullptr, nullptr};
int SaveKv5OnDisk(Surface* s, const char* path) { return kv5_Save(s, path, &DISK_OPTIONS); }

}  // namespace

TEST(FileShells, TheKv5ProbeAndTheTiledReaderByPath) {
    Scratch d("kvshell");
    TestSurface src(9, 4), back(1, 1);
    // Program-style path: backslashes stand for slashes natively.
    ASSERT_TRUE(SaveKv5OnDisk(src.get(), (d.dir + "\\a.kv5").c_str()));
    ImageFileInfo probe{};
    ASSERT_EQ(kv5_Probe(d.At("a.kv5").c_str(), &probe), 1);
    EXPECT_EQ(probe.width, 9u);
    EXPECT_EQ(std::string(probe.authorText).rfind("Disk, ", 0), 0u);
    EXPECT_EQ(kv5_Probe(d.At("missing.kv5").c_str(), &probe), 0);
    EXPECT_EQ(kv5_LoadTiled(back.get(), d.At("a.kv5").c_str(), &probe), 0);
    EXPECT_STREQ(refuse_Reason(), "not the tiled layout");
}

TEST(FileShells, TemporaryNames) {
    for (auto [name, temp] : {std::pair<const char*, const char*>{"C:\\a\\pic.kv5", "C:\\a\\pic.kv~"}, {"x~", "x!"}, {"", ""}}) {
        char t[32];
        swr_TempName(name, t, sizeof t);
        EXPECT_STREQ(t, temp) << name;
    }
    // A plug-in goes by the extension: it stays.
    for (auto [name, temp] : {std::pair<const char*, const char*>{"C:\\a\\pic.png", "C:\\a\\pic~.png"},
                              {"x~.jpg", "x~!.jpg"}, {"C:\\my.pics\\name", ""}, {".png", ""},
                              {"C:\\a\\longer-than-the-room.png", ""}}) {
        char t[24];
        swr_TypedTempName(name, t, sizeof t);
        EXPECT_STREQ(t, temp) << name;
    }
}
