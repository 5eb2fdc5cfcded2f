// The load and save dispatchers: the extension table, the probing chain (a KV5 file
// under another name, the old layout and its conversion question), the alpha
// convention with its inversion rules, the "Loader Error" report, and every check
// and message of saving.
#include <gtest/gtest.h>
#include <filesystem>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include "platform/sysio.h"
#include "formats/bmp_file.h"
#include "formats/dispatch.h"
#include "formats/dispatch_table.h"
#include "support/format_support.h"
#include "support/scratch.h"

using namespace ftest;

namespace {

struct Load {
    int ok;
    ImageFileInfo info;
    std::vector<uint32_t> px;
};

Load LoadPath(std::string path, int quiet = 1) {
    char buf[KV_MAX_PATH];
    std::snprintf(buf, sizeof buf, "%s", path.c_str());
    Surface s{};
    Load r{};
    r.info.quiet = (uint8_t)quiet;
    r.ok = img_LoadFile(&s, buf, &r.info);
    if (r.ok) r.px = WordsOf(&s);
    if (s.created) srf_Destroy(&s);
    return r;
}

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

TEST(LoadDispatch, KV5UnderAnotherNameIsFoundByTheChainAndNeverInverted) {
    Scratch d("kvdispatch");
    WriterSettings ws(1, 0, 0);  // puts the settings back
    g_settings.autoDetectAlpha = 1;
    TestSurface src(8, 8);
    PaintOpacityStyle(src.get());
    auto want = WordsOf(src.get());
    ASSERT_TRUE(kv5_Save(src.get(), d.At("kv5.bmp").c_str()));
    ASSERT_TRUE(bmp_Save(src.get(), d.At("real.bmp").c_str()));
    uiscript_Reset();

    Load k = LoadPath(d.At("kv5.bmp"));
    ASSERT_TRUE(k.ok);
    EXPECT_EQ(k.px, want);  // native: alpha as stored
    EXPECT_EQ(k.info.hasAlpha, 1);
    EXPECT_EQ(k.info.looksLikeOpacity, 0);
    EXPECT_EQ(k.info.quiet, 1);
    EXPECT_EQ(uiscript_Statuses(),
              (std::vector<std::string>{" Loading File :: kv5.bmp", " Image Data Loaded."}));

    // The same pixels from a bitmap look like opacity and are turned round...
    Load b = LoadPath(d.At("real.bmp"));
    ASSERT_TRUE(b.ok);
    EXPECT_EQ(b.info.looksLikeOpacity, 1);
    for (auto& v : want) v ^= 0xFF000000u;
    EXPECT_EQ(b.px, want);
    for (auto& v : want) v ^= 0xFF000000u;
    // ...but only while the setting asks for it.
    g_settings.autoDetectAlpha = 0;
    b = LoadPath(d.At("real.bmp"));
    EXPECT_EQ(b.info.looksLikeOpacity, 1);
    EXPECT_EQ(b.px, want);

    // Fully opaque: no alpha, no convention.
    g_settings.autoDetectAlpha = 1;
    FillWith(src.get(), 0, 0, 7, 7, 0x00123456);
    ASSERT_TRUE(bmp_Save(src.get(), d.At("opaque.bmp").c_str()));
    b = LoadPath(d.At("opaque.bmp"));
    ASSERT_TRUE(b.ok);
    EXPECT_EQ(b.info.hasAlpha, 0);
    EXPECT_EQ(b.info.looksLikeOpacity, 0);
    EXPECT_EQ(b.px, WordsOf(src.get()));
    EXPECT_EQ(uiscript_WaitDepth(), 0);
}

TEST(LoadDispatch, OldLayoutAsksToConvertUnlessQuiet) {
    Scratch d("kvdispatch");
    WriterSettings ws(0, 0, 0);
    // One grey tile of 16 x 16 in the tiled layout.
    Bytes old(40, 0);
    std::memcpy(old.data(), "_KV5", 4);
    for (size_t at : {4, 16}) PutU32(old, at, 40);
    PutU16(old, 12, 16);
    PutU16(old, 14, 16);
    old.push_back(0x00);
    for (int i = 0; i < 256; i++) old.push_back((uint8_t)i);
    d.Write("old.kv5", old);

    Load q = LoadPath(d.At("old.kv5"), 1);
    ASSERT_TRUE(q.ok);
    EXPECT_EQ(q.px[17], 0x00111111u);
    EXPECT_TRUE(uiscript_Boxes().empty());

    uiscript_QueueBox("Update KV5 File", UI_IDNO);
    ASSERT_TRUE(LoadPath(d.At("old.kv5"), 0).ok);
    ASSERT_EQ(uiscript_Boxes().size(), 1u);
    EXPECT_EQ(uiscript_Boxes()[0].text,
              "This KV5 file is in the old format.\nYou should convert it to the new format.\n\n"
              "Do you want to convert it now?");
    EXPECT_EQ(d.Read("old.kv5"), old);

    uiscript_QueueBox("Update KV5 File", UI_IDYES);
    ASSERT_TRUE(LoadPath(d.At("old.kv5"), 0).ok);
    Bytes now = d.Read("old.kv5");
    ASSERT_GE(now.size(), 12u);
    EXPECT_EQ(GetU16(now, 10), 2u);  // rewritten in the current layout
    EXPECT_EQ(LoadPath(d.At("old.kv5"), 0).px, q.px);
    EXPECT_EQ(uiscript_Boxes().size(), 2u);  // no question for the current layout
}

TEST(LoadDispatch, FailuresLeaveTheTargetAndReportWhy) {
    Scratch d("kvdispatch");
    uiscript_Reset();
    d.Write("junk.kv5", Bytes(300, 0x5A));
    EXPECT_FALSE(LoadPath(d.At("junk.kv5")).ok);
    EXPECT_STREQ(refuse_Reason(), "no loader accepted the file");
    EXPECT_FALSE(LoadPath(d.At("missing.kv5")).ok);
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

    TestSurface src(6, 2);
    FillWith(src.get(), 0, 0, 5, 1, 0x00102030);
    WriterSettings ws(0, 0, 0);
    ASSERT_TRUE(kv5_Save(src.get(), d.At("good.kv5").c_str()));
    ASSERT_TRUE(img_LoadReporting(target.get(), d.At("good.kv5").c_str()));
    EXPECT_TRUE(SameSurface(target.get(), src.get()));
    EXPECT_EQ(uiscript_Statuses().back(), " Loaded '" + d.At("good.kv5") + "' ");

    // A cancelled password is asked once: the chain does not retry the table's reader.
    {
        WriterSettings protect(0, 1, 0);
        QueuePassword("secret");
        ASSERT_TRUE(kv5_Save(src.get(), d.At("locked.kv5").c_str()));
    }
    uiscript_Reset();
    EXPECT_FALSE(LoadPath(d.At("locked.kv5"), 0).ok);
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
    Surface none{};
    EXPECT_EQ(img_HasAlpha(&none), 1);  // cannot be locked: assume alpha
}

TEST(SaveDispatch, EveryCheckAndMessage) {
    Scratch d("kvdispatch");
    WriterSettings ws(0, 0, 0);
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
        EXPECT_EQ(img_SaveFile(s.get(), c.path.c_str()), 0) << c.path;
        EXPECT_STREQ(refuse_Reason(), c.reason) << c.path;
        EXPECT_EQ(uiscript_WaitDepth(), 0);
        if (c.title.empty()) {
            EXPECT_TRUE(uiscript_Boxes().empty());
            EXPECT_TRUE(uiscript_Statuses().empty());
            continue;
        }
        ASSERT_EQ(uiscript_Boxes().size(), 1u) << c.path;
        EXPECT_EQ(uiscript_Boxes()[0].title, c.title);
        EXPECT_EQ(uiscript_Boxes()[0].text, c.text);
        EXPECT_EQ(uiscript_Boxes()[0].flags, c.flags) << c.path;
    }
    EXPECT_EQ(d.Text("test.tmp"), "keep");  // someone's file, left alone

    // Success goes by the lower-cased extension and says so.
    uiscript_Reset();
    EXPECT_NE(img_SaveFile(s.get(), d.At("ok.KV5").c_str()), 0);
    EXPECT_STREQ(refuse_Reason(), "");
    EXPECT_EQ(uiscript_Statuses(), (std::vector<std::string>{" Saving '" + d.At("ok.KV5") + "' ",
                                                              " Saved '" + d.At("ok.KV5") + "' "}));
    Load back = LoadPath(d.At("ok.KV5"));
    EXPECT_EQ(back.px, WordsOf(s.get()));
    // Each extension reaches its own writer (the file starts as that format does), and
    // the file loads back through the dispatcher with the bits the format keeps.
    std::mt19937 rng(1);
    FillRandom(s.get(), rng, false);
    const struct {
        const char* name;
        std::string start;
        uint32_t kept;
    } writers[] = {{"a.Bmp", "BM", ~0u}, {"a.dib", "BM", ~0u}, {"a.tga", std::string("\0\0\x0A", 3), 0xFFFFFF},
                   {"a.pcx", "\x0A\x05", 0xFFFFFF}, {"a.ppm", "P6", 0xFFFFFF}, {"a.pbm", "P6", 0xFFFFFF}, {"a.kv5", "_KV5", ~0u}};
    g_settings.autoDetectAlpha = 0;
    for (const auto& w : writers) {
        ASSERT_NE(img_SaveFile(s.get(), d.At(w.name).c_str()), 0) << w.name;
        EXPECT_EQ(d.Text(w.name).substr(0, w.start.size()), w.start) << w.name;
        std::vector<uint32_t> want = WordsOf(s.get());
        for (auto& v : want) v &= w.kept;
        EXPECT_EQ(LoadPath(d.At(w.name)).px, want) << w.name;
    }
}
