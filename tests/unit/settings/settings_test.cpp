// The settings record and file: layout on disk, the records both resets give, the
// round trip, and every kind of bad file giving the full reset without a word.
#include <gtest/gtest.h>
#include <cstring>
#include "settings/settings.h"
#include "support/format_support.h"
#include "support/scratch.h"

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

// The record follows the header raw, little-endian; the field offsets themselves are
// pinned by the header's static_asserts.
TEST(SettingsFile, HeaderAndFieldsSitAtTheirOffsets) {
    Scratch s;
    std::memset(&g_settings, 0, sizeof g_settings);
    std::strcpy(g_settings.userName, "Ann");
    g_settings.assocMask = 0x01020304;
    g_settings.undoMB = 17;
    g_settings.colour1 = 0x00112233;
    g_settings.userColours[15] = 0x00ABCDEF;
    g_settings.textAntialias = 0x77;
    std::strcpy(g_settings.recent[3], "C:");
    ASSERT_EQ(SaveSettings(), 1);
    const std::vector<uint8_t> f = s.Read("Kelvara.kvr");
    ASSERT_EQ(f.size(), 1356u);
    const size_t R = 144;
    ftest::ExpectFields(f, {{0, 4, 0x4F4D454Du /* "MEMO" */}, {4, 4, 144}, {8, 4, 1212}, {12, 4, set_Checksum(&g_settings)},
                            {R + 13, 4, 0x006E6E41u /* "Ann" */}, {R + 48, 4, 0x01020304u}, {R + 52, 1, 17},
                            {R + 76, 4, 0x00112233u}, {R + 84 + 15 * 4, 4, 0x00ABCDEFu}, {R + 185, 1, 0x77},
                            {R + 188 + 3 * 256, 4, 0x003A43u /* "C:" */}});
    EXPECT_STREQ((const char*)&f[16], "<<Orvik's Kelvara ver 1.80>>");
    for (size_t i = 16 + 29; i < 144; i++) ASSERT_EQ(f[i], 0) << i;
}

TEST(SettingsFile, ChecksumIsTheWrappingByteSum) {
    SettingsRecord r;
    std::memset(&r, 0xFF, sizeof r);
    EXPECT_EQ(set_Checksum(&r), 309060u);
    std::memset(&r, 0, sizeof r);
    EXPECT_EQ(set_Checksum(&r), 0u);
}

// The distinctive record leaves the user name and font face unterminated.
TEST(SettingsFile, SaveThenLoadGivesTheRecordBackWithItsTextsClosed) {
    Scratch s;
    SettingsRecord want;
    GoodFile(&want);
    std::memcpy(&g_settings, &want, sizeof want);
    ASSERT_EQ(SaveSettings(), 1);
    std::memset(&g_settings, 0, sizeof g_settings);
    ASSERT_EQ(LoadSettings(), 1);
    want.userName[31] = 0;
    want.textFont[31] = 0;
    for (auto& r : want.recent) r[255] = 0;
    EXPECT_EQ(std::memcmp(&g_settings, &want, sizeof want), 0);
}

// Reason "" marks a file that loads.
TEST(SettingsFile, FilesAreTakenOrRefusedWholeLeavingTheRecordAlone) {
    Scratch s;
    SettingsRecord want, untouched;
    std::memset(&untouched, 0x5C, sizeof untouched);
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
        std::memset(&g_settings, 0x5C, sizeof g_settings);
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

// Both resets pinned whole by the hash of their file image (KV_GOLDEN_PRINT=1 prints
// it afresh); the defaults that carry a rule are spelled out.
TEST(SettingsDefaults, BothResetsGiveTheRecordedRecords) {
    Scratch s;   // no sample images: no recent files
    setenv("USER", "a-user-name-of-forty-characters-in-total", 1);
    std::memset(&g_settings, 0xEE, sizeof g_settings);
    ASSERT_EQ(ResetSettings(0), 1);
    EXPECT_STREQ(g_settings.userName, "a-user-name-of-forty-characters");
    EXPECT_EQ(g_settings.undoMB, 8);
    EXPECT_EQ(g_settings.assocMask, 127u);
    EXPECT_EQ(g_settings.colour1, 0xFFFFFFu);
    EXPECT_EQ(g_settings.colour2, 0xFF0000u);
    EXPECT_EQ(g_settings.userColours[0], 0x0080FFu);
    EXPECT_EQ(g_settings.userColours[15], 0xF0FBFFu);
    const uint32_t full = HashOfRecord();
    // The Defaults button keeps the reserved bytes, the user name, "sprites in recent"
    // and the recent files; a long font face leaves no tail.
    std::memset(&g_settings, 0x42, sizeof g_settings);
    std::strcpy(g_settings.userName, "kept");
    std::strcpy(g_settings.recent[2], "C:\\kept.kv5");
    std::strcpy(g_settings.textFont, "A Very Long Font Face Name Here");
    ResetSettings(1);
    EXPECT_STREQ(g_settings.userName, "kept");
    EXPECT_EQ(g_settings.spritesInRecent, 0x42);
    EXPECT_EQ(CheckGolden({{"full reset", 0x1242FFB1u, [=] { return full; }},
                           {"defaults button", 0x0BB56CA3u, HashOfRecord}}),
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
