// The settings record and file: layout on disk, defaults of both resets, the round
// trip, and every kind of bad file giving the full reset without a word.
#include <gtest/gtest.h>
#include <cstring>
#include "settings/settings.h"
#include "platform/refusal.h"
#include "support/ui_script.h"
#include "support/scratch.h"

namespace {

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}
void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++) b[at + i] = (uint8_t)(v >> (8 * i));
}

// A valid file image of a distinctive record.
std::vector<uint8_t> GoodFile(SettingsRecord* rec = nullptr) {
    SettingsRecord r;
    std::memset(&r, 0, sizeof r);
    for (size_t i = 0; i < sizeof r; i++) ((uint8_t*)&r)[i] = (uint8_t)(i * 7 + 3);
    if (rec) *rec = r;
    std::vector<uint8_t> file(SET_FILE_SIZE);
    set_Encode(&r, file.data());
    return file;
}


}  // namespace

TEST(SettingsFile, HeaderAndFieldsSitAtTheirOffsets) {
    Scratch s;
    std::memset(&g_settings, 0, sizeof g_settings);
    g_settings.reserved0[0] = 0x5A;
    std::strcpy(g_settings.userName, "Ann");
    g_settings.assocMask = 0x01020304;
    g_settings.undoMB = 17;
    g_settings.tutorialCount = 9;
    g_settings.colour1 = 0x00112233;
    g_settings.userColours[15] = 0x00ABCDEF;
    std::strcpy(g_settings.textFont, "Arial");
    g_settings.textAntialias = 0x77;
    std::strcpy(g_settings.recent[3], "C:\\x.kv5");
    ASSERT_EQ(SaveSettings(), 1);

    std::vector<uint8_t> f = s.Read("Kelvara.kvr");
    ASSERT_EQ(f.size(), 1356u);
    EXPECT_EQ(std::memcmp(f.data(), "MEMO", 4), 0);
    EXPECT_EQ(U32At(f, 4), 144u);
    EXPECT_EQ(U32At(f, 8), 1212u);
    EXPECT_EQ(U32At(f, 12), set_Checksum(&g_settings));
    EXPECT_STREQ((const char*)&f[16], "<<Orvik's Kelvara ver 1.80>>");
    for (size_t i = 16 + 29; i < 144; i++) ASSERT_EQ(f[i], 0) << i;

    const size_t R = 144;
    EXPECT_EQ(f[R + 0], 0x5A);
    EXPECT_STREQ((const char*)&f[R + 13], "Ann");
    EXPECT_EQ(U32At(f, R + 48), 0x01020304u);
    EXPECT_EQ(f[R + 48], 0x04);  // little-endian
    EXPECT_EQ(f[R + 52], 17);
    EXPECT_EQ(f[R + 73], 9);
    EXPECT_EQ(U32At(f, R + 76), 0x00112233u);
    EXPECT_EQ(U32At(f, R + 84 + 15 * 4), 0x00ABCDEFu);
    EXPECT_STREQ((const char*)&f[R + 148], "Arial");
    EXPECT_EQ(f[R + 185], 0x77);
    EXPECT_STREQ((const char*)&f[R + 188 + 3 * 256], "C:\\x.kv5");
}

TEST(SettingsFile, ChecksumIsTheWrappingByteSum) {
    SettingsRecord r;
    std::memset(&r, 0xFF, sizeof r);
    EXPECT_EQ(set_Checksum(&r), 309060u);
    std::memset(&r, 0, sizeof r);
    EXPECT_EQ(set_Checksum(&r), 0u);
}

TEST(SettingsFile, SaveThenLoadGivesTheSameRecordBack) {
    Scratch s;
    SettingsRecord want;
    std::vector<uint8_t> file = GoodFile(&want);
    std::memcpy(&g_settings, &want, sizeof want);
    ASSERT_EQ(SaveSettings(), 1);
    std::memset(&g_settings, 0, sizeof g_settings);
    ASSERT_EQ(LoadSettings(), 1);
    // Loading closes the text fields; everything else comes back byte for byte.
    want.userName[31] = 0;
    want.textFont[31] = 0;
    for (auto& r : want.recent) r[255] = 0;
    EXPECT_EQ(std::memcmp(&g_settings, &want, sizeof want), 0);
}

TEST(SettingsFile, UnterminatedTextsAreClosedOnLoad) {
    Scratch s;
    SettingsRecord r;
    std::memset(&r, 'A', sizeof r);
    std::vector<uint8_t> file(SET_FILE_SIZE);
    set_Encode(&r, file.data());
    s.Write("Kelvara.kvr", file);
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_EQ(std::strlen(g_settings.userName), 31u);
    EXPECT_EQ(std::strlen(g_settings.textFont), 31u);
    for (auto& rec : g_settings.recent) EXPECT_EQ(std::strlen(rec), 255u);
    EXPECT_EQ(g_settings.reserved1[0], 'A');  // reserved bytes come back untouched
}

TEST(SettingsFile, HeaderTextMayCarryMoreAroundTheMark) {
    Scratch s;
    std::vector<uint8_t> f = GoodFile();
    std::memset(&f[16], 0, 128);
    const char text[] = "v2 <<Orvik's Kelvara ver 1.80>> beta build";
    std::memcpy(&f[16], text, sizeof text);
    s.Write("Kelvara.kvr", f);
    EXPECT_EQ(LoadSettings(), 1);

    // A larger header of a later version: the record follows wherever it says.
    SettingsRecord want;
    std::vector<uint8_t> g = GoodFile(&want);
    g.insert(g.begin() + 144, 56, 0);
    PutU32(g, 4, 200);
    s.Write("Kelvara.kvr", g);
    std::memset(&g_settings, 0, sizeof g_settings);
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_EQ(g_settings.assocMask, want.assocMask);
}

TEST(SettingsFile, BadFilesAreRefusedAndLeaveTheRecordAlone) {
    Scratch s;
    const std::vector<uint8_t> good = GoodFile();
    auto with = [&](size_t at, uint32_t v) {
        auto f = good;
        PutU32(f, at, v);
        return f;
    };
    auto text = [&](size_t at, const char* t) {
        auto f = good;
        std::memcpy(&f[at], t, std::strlen(t) + 1);
        return f;
    };
    auto flipped = good;
    flipped[144 + 500] ^= 1;
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* reason;
    } cases[] = {
        {"empty", {}, "empty file"},
        {"magic", text(0, "NEMO"), "bad signature"},
        {"short", std::vector<uint8_t>(good.begin(), good.begin() + 10), "truncated header"},
        {"header cut", std::vector<uint8_t>(good.begin(), good.begin() + 100), "truncated header"},
        {"record cut", std::vector<uint8_t>(good.begin(), good.end() - 1), "truncated record"},
        {"text", text(16, "<<Other Program>>"), "bad header text"},
        {"mark after NUL", text(18, ""), "bad header text"},
        {"record size 1211", with(8, 1211), "bad record size"},
        {"record size 1213", with(8, 1213), "bad record size"},
        {"header size huge", with(4, 0xFFFFFFFF), "bad header size"},
        {"header size 4097", with(4, 4097), "bad header size"},
        {"header size 15", with(4, 15), "bad header size"},
        {"checksum", flipped, "bad checksum"},
    };
    for (const Case& c : cases) {
        s.Write("Kelvara.kvr", c.bytes);
        std::memset(&g_settings, 0x5C, sizeof g_settings);
        EXPECT_EQ(LoadSettings(), 0) << c.what;
        EXPECT_STREQ(refuse_Reason(), c.reason) << c.what;
        const uint8_t* b = (const uint8_t*)&g_settings;
        for (size_t i = 0; i < sizeof g_settings; i++) ASSERT_EQ(b[i], 0x5C) << c.what << " byte " << i;
    }
    // The smallest header that can hold the mark: 16 bytes, the mark past its end.
    EXPECT_EQ(set_Decode(with(4, 16).data(), good.size(), &g_settings), 0);
    EXPECT_STREQ(refuse_Reason(), "bad header text");
    auto sameSum = good;
    sameSum[144 + 500] += 1;
    sameSum[144 + 501] -= 1;  // same sum, so this one loads: the checksum is only a sum
    s.Write("Kelvara.kvr", sameSum);
    EXPECT_EQ(LoadSettings(), 1);
    EXPECT_STREQ(refuse_Reason(), "");
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
    std::memset(&g_settings, 0x33, sizeof g_settings);
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

TEST(SettingsDefaults, FullResetSetsEveryDocumentedDefault) {
    Scratch s;
    setenv("USER", "ann", 1);
    std::memset(&g_settings, 0xEE, sizeof g_settings);
    ASSERT_EQ(ResetSettings(0), 1);
    const SettingsRecord& r = g_settings;
    for (uint8_t b : r.reserved0) EXPECT_EQ(b, 0);
    EXPECT_STREQ(r.userName, "ann");
    EXPECT_EQ(r.userName[31], 0);
    EXPECT_EQ(r.assocMask, 127u);
    EXPECT_EQ(r.undoMB, 8);
    EXPECT_EQ(r.reserved2, 0);
    EXPECT_EQ(r.kv5Compression, 2);
    const uint8_t flags[] = {r.kv5Password, r.autoScroll, r.lockUninstall, r.smoothZoom, r.autosave,
                             r.wasMaximised, r.spritesInRecent, r.idleTranslucent, r.newImageTransparent};
    const uint8_t wantFlags[] = {1, 1, 1, 0, 1, 0, 0, 1, 1};
    EXPECT_EQ(std::memcmp(flags, wantFlags, sizeof flags), 0);
    EXPECT_EQ(r.currentTool, 0);
    EXPECT_EQ(r.previousTool, 4);
    EXPECT_EQ(r.toolLevel, 16);
    EXPECT_EQ(r.toolWidth, 16);
    EXPECT_EQ(r.alpha1, 0);
    EXPECT_EQ(r.alpha2, 255);
    EXPECT_EQ(r.autoDetectAlpha, 1);
    EXPECT_EQ(r.authorTag, 1);
    EXPECT_EQ(r.previewSprite, 1);
    EXPECT_EQ(r.tutorialCount, 0);
    EXPECT_EQ(r.colour1, 0xFFFFFFu);
    EXPECT_EQ(r.colour2, 0xFF0000u);
    const uint32_t palette[16] = {0x0080FF, 0x00D0FF, 0x0080C0, 0x004080, 0xC000FF, 0xFF00C0,
                                  0xC0FF00, 0x00FFD0, 0xC0DCC0, 0xF0CAA6, 0xFFD080, 0xFFD0D0,
                                  0xD0D0D0, 0x404040, 0xD0D0FF, 0xF0FBFF};
    for (int i = 0; i < 16; i++) EXPECT_EQ(r.userColours[i], palette[i]) << i;
    EXPECT_STREQ(r.textFont, "Comic Sans MS");
    for (size_t i = 14; i < 32; i++) EXPECT_EQ(r.textFont[i], 0);
    EXPECT_EQ(r.textSize, 24);
    EXPECT_EQ(r.textFlags, 0x31);
    EXPECT_EQ(r.textStyle, 1);
    EXPECT_EQ(r.textBorder, 0);
    EXPECT_EQ(r.textLevel, 0x32);
    EXPECT_EQ(r.textAntialias, 127);
    for (auto& p : r.recent) EXPECT_STREQ(p, "");  // no sample images anywhere
}

TEST(SettingsDefaults, UserNameIsCutTo31Characters) {
    Scratch s;
    setenv("USER", "a-user-name-of-forty-characters-in-total", 1);
    ResetSettings(0);
    EXPECT_STREQ(g_settings.userName, "a-user-name-of-forty-characters");
}

TEST(SettingsDefaults, RecentFilesAreTheSampleImagesFoundAlongTheSearchPath) {
    Scratch s;
    s.Write("Images/candle.kv5", {1});
    s.Write("Images/sunset.kv5", {2});
    ResetSettings(0);
    EXPECT_EQ(std::string(g_settings.recent[0]), s.dir + "\\Images\\candle.kv5");
    EXPECT_STREQ(g_settings.recent[1], "");
    EXPECT_STREQ(g_settings.recent[2], "");
    EXPECT_EQ(std::string(g_settings.recent[3]), s.dir + "\\Images\\sunset.kv5");
    s.Write("Images/o'er the waters.kv5", {3});
    ResetSettings(0);
    EXPECT_EQ(std::string(g_settings.recent[1]), s.dir + "\\Images\\o'er the waters.kv5");
}

TEST(SettingsDefaults, DefaultsButtonKeepsUserInformationOnly) {
    Scratch s;
    std::memset(&g_settings, 0x42, sizeof g_settings);
    std::strcpy(g_settings.userName, "kept");
    std::strcpy(g_settings.recent[2], "C:\\kept.kv5");
    std::strcpy(g_settings.textFont, "A Very Long Font Face Name Here");
    ResetSettings(1);
    const SettingsRecord& r = g_settings;
    EXPECT_STREQ(r.userName, "kept");
    EXPECT_STREQ(r.recent[2], "C:\\kept.kv5");
    EXPECT_EQ(r.spritesInRecent, 0x42);
    for (uint8_t b : r.reserved0) EXPECT_EQ(b, 0x42);
    for (uint8_t b : r.reserved1) EXPECT_EQ(b, 0x42);
    EXPECT_EQ(r.reserved2, 0x42);
    EXPECT_EQ(r.reserved3[1], 0x42);
    EXPECT_EQ(r.reserved4[0], 0x42);
    EXPECT_EQ(r.assocMask, 127u);
    EXPECT_EQ(r.tutorialCount, 0);
    EXPECT_EQ(r.wasMaximised, 0);
    EXPECT_EQ(r.colour2, 0xFF0000u);
    EXPECT_STREQ(r.textFont, "Comic Sans MS");
    for (size_t i = 14; i < 32; i++) EXPECT_EQ(r.textFont[i], 0);  // no tail of the old face
}
