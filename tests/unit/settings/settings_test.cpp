// The settings record and file: layout on disk, the records both resets give, the
// round trip, every kind of bad file giving the full reset without a word, and the
// setters' ranges and whom they tell.
#include <gtest/gtest.h>
#include <cstring>
#include <functional>
#include "settings/settings.h"
#include "support/format_support.h"
#include "support/scratch.h"
#include "support/settings_support.h"

namespace {

// A valid file image of a distinctive record.
std::vector<uint8_t> GoodFile(SettingsRecord* rec = nullptr) {
    SettingsRecord r;
    for (size_t i = 0; i < sizeof r; i++) ((uint8_t*)&r)[i] = (uint8_t)(i * 7 + 3);
    if (rec) *rec = r;
    std::vector<uint8_t> file(SET_FILE_SIZE);
    set_Encode(&r, file.data());
    return file;
}

// FNV-1a of the file image of g_settings.
uint32_t HashOfRecord() {
    uint8_t file[SET_FILE_SIZE];
    set_Encode(&g_settings, file);
    return ftest::Fnv(file, sizeof file);
}

}  // namespace

// The record follows the header raw, little-endian: a text, a word and the last
// field; the offsets of all the others are pinned by the header's static_asserts.
TEST(SettingsFile, HeaderAndFieldsSitAtTheirOffsets) {
    Scratch s;
    EditSettings([](SettingsRecord& r) {
        std::strcpy(r.userName, "Ann");
        r.colour1 = 0x00112233;
        std::strcpy(r.recent[3], "C:");
    }, true);
    ASSERT_EQ(SaveSettings(), 1);
    const std::vector<uint8_t> f = s.Read("Kelvara.kvr");
    ASSERT_EQ(f.size(), 1356u);
    const size_t R = 144;
    ftest::ExpectFields(f, {{0, 4, 0x4F4D454Du /* "MEMO" */}, {4, 4, 144}, {8, 4, 1212}, {12, 4, set_Checksum(&g_settings)},
                            {R + 13, 4, 0x006E6E41u /* "Ann" */}, {R + 76, 4, 0x00112233u},
                            {R + 188 + 3 * 256, 4, 0x003A43u /* "C:" */}});
    EXPECT_STREQ((const char*)&f[16], "<<Orvik's Kelvara ver 1.80>>");
    for (size_t i = 16 + 29; i < 144; i++) ASSERT_EQ(f[i], 0) << i;
}

TEST(SettingsFile, ChecksumIsTheWrappingByteSum) {
    SettingsRecord r;
    std::memset(&r, 0xFF, sizeof r);
    EXPECT_EQ(set_Checksum(&r), 309060u);  // 1212 x 255: more than 16 bits hold
}

// The distinctive record leaves the user name and font face unterminated and has
// ranged fields beyond their ranges: a load takes it as set_Record does. A record
// within its ranges comes back byte for byte.
TEST(SettingsFile, LoadClampsAndClosesTheTextsAndSaveThenLoadGivesTheRecordBack) {
    Scratch s;
    SettingsRecord want;
    s.Write("Kelvara.kvr", GoodFile(&want));
    ASSERT_EQ(LoadSettings(), 1);
    want.userName[31] = 0;
    want.textFont[31] = 0;
    for (auto& r : want.recent) r[255] = 0;
    want.undoMB = 64;          // 111
    want.kv5Compression = 3;   // 125
    want.toolLevel = 100;      // 209
    want.toolWidth = 128;      // 216
    want.textStyle = 14;       // 253
    want.colour1 &= 0xFFFFFF, want.colour2 &= 0xFFFFFF;
    for (auto& c : want.userColours) c &= 0xFFFFFF;
    EXPECT_EQ(std::memcmp(&g_settings, &want, sizeof want), 0);

    ASSERT_EQ(SaveSettings(), 1);
    EditSettings([](SettingsRecord&) {}, true);
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_EQ(std::memcmp(&g_settings, &want, sizeof want), 0);
}

// Reason "" marks a file that loads.
TEST(SettingsFile, FilesAreTakenOrRefusedWholeLeavingTheRecordAlone) {
    Scratch s;
    SettingsRecord want, untouched;
    const std::vector<uint8_t> good = GoodFile(&want);
    auto with = [&](size_t at, uint32_t v) {
        auto f = good;
        ftest::PutU32(f, at, v);
        return f;
    };
    auto text = [&](size_t at, const char* t) {
        auto f = good;
        std::memcpy(&f[at], t, std::strlen(t) + 1);
        return f;
    };
    auto flipped = good, sameSum = good, wider = good;
    flipped[144 + 500] ^= 1;
    sameSum[144 + 500] += 1;
    sameSum[144 + 501] -= 1;   // the checksum is only a sum
    wider.insert(wider.begin() + 144, 56, 0);   // a later version's header: the record follows it
    ftest::PutU32(wider, 4, 200);
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* reason;
    } cases[] = {
        {"mark inside more text", text(16, "v2 <<Orvik's Kelvara ver 1.80>> beta build"), ""},
        {"header of 200", wider, ""},
        {"same sum", sameSum, ""},
        {"empty", {}, "empty file"},
        {"magic", text(0, "NEMO"), "bad signature"},
        {"short", std::vector<uint8_t>(good.begin(), good.begin() + 10), "truncated header"},
        {"header cut", std::vector<uint8_t>(good.begin(), good.begin() + 100), "truncated header"},
        {"record cut", std::vector<uint8_t>(good.begin(), good.end() - 1), "truncated record"},
        {"text", text(16, "<<Other Program>>"), "bad header text"},
        {"mark after NUL", text(18, ""), "bad header text"},
        {"header of 16: the mark past its end", with(4, 16), "bad header text"},
        {"record size 1211", with(8, 1211), "bad record size"},
        {"record size 1213", with(8, 1213), "bad record size"},
        {"header size huge", with(4, 0xFFFFFFFF), "bad header size"},
        {"header size 4097", with(4, 4097), "bad header size"},
        {"header size 15", with(4, 15), "bad header size"},
        {"checksum", flipped, "bad checksum"},
    };
    for (const auto& c : cases) {
        s.Write("Kelvara.kvr", c.bytes);
        EditSettings([](SettingsRecord& r) { std::memset(&r, 0x5C, sizeof r); });
        untouched = g_settings;
        EXPECT_EQ(LoadSettings(), *c.reason ? 0 : 1) << c.what;
        EXPECT_STREQ(refuse_Reason(), c.reason) << c.what;
        EXPECT_EQ(std::memcmp(&g_settings, &untouched, sizeof untouched) == 0, *c.reason != 0) << c.what;
        EXPECT_EQ(g_settings.assocMask, *c.reason ? 0x5C5C5C5Cu : want.assocMask) << c.what;
    }
    std::filesystem::remove(s.At("Kelvara.kvr"));
    EXPECT_EQ(LoadSettings(), 0);
    EXPECT_STREQ(refuse_Reason(), "cannot open file");
}

TEST(SettingsFile, MissingOrBadFileGivesTheFullResetAndNothingElse) {
    Scratch s;
    setenv("USER", "quietuser", 1);
    uiscript_Reset();
    EXPECT_EQ(LoadOrResetSettings(), 0);  // no file at all
    EXPECT_STREQ(g_settings.userName, "quietuser");
    EXPECT_EQ(g_settings.undoMB, 8);
    std::vector<uint8_t> f = GoodFile();
    f[144 + 7] ^= 0x40;
    s.Write("Kelvara.kvr", f);
    EditSettings([](SettingsRecord& r) { std::memset(&r, 0x33, sizeof r); });
    EXPECT_EQ(LoadOrResetSettings(), 0);
    EXPECT_EQ(g_settings.reserved0[0], 0);  // a full reset zeroes the reserved bytes
    EXPECT_EQ(g_settings.assocMask, 127u);
    EXPECT_TRUE(uiscript_Boxes().empty());
    EXPECT_TRUE(uiscript_Statuses().empty());
}

TEST(SettingsFile, SaveFailsWhenTheFolderIsMissing) {
    Scratch s;
    std::filesystem::remove_all(s.host);
    EXPECT_EQ(SaveSettings(), 0);
    path_Build(nullptr);
    EXPECT_EQ(SaveSettings(), 0);  // no program folder known: nowhere to write
    EXPECT_EQ(LoadSettings(), 0);
    EXPECT_STREQ(refuse_Reason(), "no program folder");
}

// Both resets pinned whole by the hash of their file image (KV_GOLDEN_PRINT=1 prints
// it afresh); the fields that carry a rule are spelled out.
TEST(SettingsDefaults, BothResetsGiveTheRecordedRecords) {
    Scratch s;   // no sample images: no recent files
    setenv("USER", "a-user-name-of-forty-characters-in-total", 1);
    EditSettings([](SettingsRecord& r) { std::memset(&r, 0xEE, sizeof r); });
    ASSERT_EQ(ResetSettings(0), 1);
    EXPECT_STREQ(g_settings.userName, "a-user-name-of-forty-characters");
    const uint32_t full = HashOfRecord();
    // The Defaults button keeps the reserved bytes, the user name, "sprites in recent"
    // and the recent files (their last bytes closed by set_Record); a long font face
    // leaves no tail.
    EditSettings([](SettingsRecord& r) {
        std::memset(&r, 0x42, sizeof r);
        std::strcpy(r.userName, "kept");
        std::strcpy(r.recent[2], "C:\\kept.kv5");
        std::strcpy(r.textFont, "A Very Long Font Face Name Here");
    });
    ResetSettings(1);
    EXPECT_STREQ(g_settings.userName, "kept");
    EXPECT_EQ(g_settings.spritesInRecent, 0x42);
    EXPECT_EQ(CheckGolden({{"full reset", 0x1242FFB1u, [=] { return full; }},
                           {"defaults button", 0x25862C76u, HashOfRecord}}),
              "");
}

TEST(SettingsDefaults, RecentFilesAreTheSampleImagesFoundAlongTheSearchPath) {
    Scratch s;
    s.Write("Images/candle.kv5");
    s.Write("Images/sunset.kv5");
    ResetSettings(0);
    EXPECT_EQ(std::string(g_settings.recent[0]), s.dir + "\\Images\\candle.kv5");
    EXPECT_STREQ(g_settings.recent[1], "");
    EXPECT_STREQ(g_settings.recent[2], "");
    EXPECT_EQ(std::string(g_settings.recent[3]), s.dir + "\\Images\\sunset.kv5");
    s.Write("Images/o'er the waters.kv5");
    ResetSettings(0);
    EXPECT_EQ(std::string(g_settings.recent[1]), s.dir + "\\Images\\o'er the waters.kv5");
}

// Each row starts from the defaults: the field (or the text's last byte) after the
// setter, and the view's bits it asked for. Colours tell the colour panels; the other
// fields are shown only by the windows that set them.
TEST(SettingsSetters, KeepTheirRangesAndTellWhoShowsThem) {
    Scratch s;
    const KeptSettings kept;
    SettingsRecord wild;
    std::memset(&wild, 0xFF, sizeof wild);
    SettingsRecord split = g_settings;
    std::memset(split.userName, 'a', 30);
    std::memcpy(split.userName + 30, "\xC3\x9F", 2);  // "ß" over the last byte
    const struct {
        const char* what;
        std::function<void()> set;
        size_t offset, size;
        uint32_t want;
        unsigned told;
    } rows[] = {
        {"width 0", [] { set_ToolValue(SET_TOOL_WIDTH, 0); }, offsetof(SettingsRecord, toolWidth), 1, 1, 0},
        {"width 129", [] { set_ToolValue(SET_TOOL_WIDTH, 129); }, offsetof(SettingsRecord, toolWidth), 1, 128, 0},
        {"fx level 101", [] { set_ToolValue(SET_TOOL_LEVEL, 101); }, offsetof(SettingsRecord, toolLevel), 1, 100, 0},
        {"alpha 2 of -1", [] { set_ToolValue(SET_TOOL_ALPHA2, -1); }, offsetof(SettingsRecord, alpha2), 1, 0, 0},
        {"text style 15", [] { set_TextValue(SET_TEXT_STYLE, 15); }, offsetof(SettingsRecord, textStyle), 1, 14, 0},
        {"text border 17", [] { set_TextValue(SET_TEXT_BORDER, 17); }, offsetof(SettingsRecord, textBorder), 1, 16, 0},
        {"text level 9", [] { set_TextValue(SET_TEXT_LEVEL, 9); }, offsetof(SettingsRecord, textLevel), 1, 10, 0},
        {"text level 91", [] { set_TextValue(SET_TEXT_LEVEL, 91); }, offsetof(SettingsRecord, textLevel), 1, 90, 0},
        {"text size 300", [] { set_TextValue(SET_TEXT_SIZE, 300); }, offsetof(SettingsRecord, textSize), 1, 255, 0},
        {"long font face kept out", [] { set_TextFont("A Font Face Name Of Forty Characters Long"); },
         offsetof(SettingsRecord, textFont), 1, 'C', 0},
        {"undo 0 MB", [] { set_UndoMB(0); }, offsetof(SettingsRecord, undoMB), 1, 1, 0},
        {"undo 65 MB", [] { set_UndoMB(65); }, offsetof(SettingsRecord, undoMB), 1, 64, 0},
        {"tutorial 256", [] { set_TutorialCount(256); }, offsetof(SettingsRecord, tutorialCount), 1, 255, 0},
        {"current tool 256", [] { set_Tools(256, 2); }, offsetof(SettingsRecord, currentTool), 1, 255, 0},
        {"colour #2", [] { set_Colour(2, 0xFF123456u); }, offsetof(SettingsRecord, colour2), 4, 0x123456, UI_VIEW_COLOURS},
        {"colour #1 swapped in", [] { set_Colours(0x01ABCDEFu, 0); }, offsetof(SettingsRecord, colour1), 4, 0xABCDEF,
         UI_VIEW_COLOURS},
        {"user colour 16", [] { set_UserColour(15, 0x80FFFFFFu); }, offsetof(SettingsRecord, userColours) + 60, 4, 0xFFFFFF,
         UI_VIEW_COLOURS},
        {"user colour 17 is none", [] { set_UserColour(16, 0); }, offsetof(SettingsRecord, textFont), 1, 'C', 0},
        {"whole record: level", [&] { set_Record(&wild); }, offsetof(SettingsRecord, kv5Compression), 1, 3, UI_VIEW_COLOURS},
        {"whole record: text level", [&] { set_Record(&wild); }, offsetof(SettingsRecord, textLevel), 1, 90, UI_VIEW_COLOURS},
        {"whole record: name", [&] { set_Record(&wild); }, offsetof(SettingsRecord, userName) + 31, 1, 0, UI_VIEW_COLOURS},
        {"name filled up to a 2-byte character", [&] { set_Record(&split); }, offsetof(SettingsRecord, userName) + 30, 2,
         0, UI_VIEW_COLOURS},
    };
    for (const auto& r : rows) {
        ResetSettings(1);
        uiscript_Reset();
        r.set();
        uint32_t got = 0;
        std::memcpy(&got, (const uint8_t*)&g_settings + r.offset, r.size);
        EXPECT_EQ(got, r.want) << r.what;
        EXPECT_EQ(uiscript_ViewChanges(), r.told) << r.what;
    }
}
