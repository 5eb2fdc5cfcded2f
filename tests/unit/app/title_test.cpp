// Title text: the untitled literal, the 24-character rules and long names.
#include <gtest/gtest.h>
#include <string>
#include "app/title.h"

namespace {
std::string Shown(const std::string& name) {
    char out[TTL_MAX_SHOWN + 1];
    ttl_ShownName(name.c_str(), out, sizeof out);
    return out;
}
}  // namespace

TEST(Title, UntitledShowsTheProgramAlone) {
    SetTitle(TTL_UNTITLED);
    EXPECT_TRUE(ttl_IsUntitled());
    EXPECT_STREQ(ttl_Text(), "Kelvara 1.80");
}

TEST(Title, NamedDocumentShowsTheShortenedName) {
    SetTitle("C:\\a\\b\\averyveryverylongfilename.kv5");
    EXPECT_STREQ(ttl_Text(), "Kelvara 1.80 - [ averyveryv...lename.kv5 ]");
    EXPECT_STREQ(ttl_FileName(), "C:\\a\\b\\averyveryverylongfilename.kv5");
    SetTitle(nullptr);  // no name: the current one stays
    EXPECT_STREQ(ttl_FileName(), "C:\\a\\b\\averyveryverylongfilename.kv5");
    SetTitle("C:\\pic.kv5");
    EXPECT_STREQ(ttl_Text(), "Kelvara 1.80 - [ C:\\pic.kv5 ]");
}

TEST(Title, ShortenedNameRules) {
    const std::string path24 = "C:\\folder\\0123456789.kv5";  // 24 characters
    ASSERT_EQ(path24.size(), 24u);
    EXPECT_EQ(Shown(path24), path24);
    EXPECT_EQ(Shown("C:\\folders\\0123456789.kv5"), "0123456789.kv5");  // 25: file part
    const std::string part24 = "abcdefghijklmnopqrst.kv5";
    EXPECT_EQ(Shown("C:\\x\\" + part24), part24);
    std::string s = Shown("C:\\x\\abcdefghijklmnopqrstu.kv5");  // part of 25
    EXPECT_EQ(s, "abcdefghij...pqrstu.kv5");
    EXPECT_EQ(Shown("C:\\x\\averyveryverylongfilename.kv5").size(), 23u);
    EXPECT_EQ(Shown("C:/x/averyveryverylongfilename.kv5"), "averyveryv...lename.kv5");
    EXPECT_EQ(Shown("\\\\srv/share\\averyveryverylongfilename.kv5"), "averyveryv...lename.kv5");
    // No separator at all: the last 24 characters.
    EXPECT_EQ(Shown("abcdefghijklmnopqrstuvwxyz.kv5"), "ghijklmnopqrstuvwxyz.kv5");
    EXPECT_EQ(Shown("C:\\a-folder-name-of-some-length\\"), "");
}

TEST(Title, OverlongNamesAreCutToTheBuffer) {
    std::string name = "C:\\" + std::string(1000, 'n') + ".kv5";
    SetTitle(name.c_str());
    EXPECT_EQ(std::string(ttl_FileName()), name.substr(0, 259));
    EXPECT_STREQ(ttl_Text(), "Kelvara 1.80 - [ nnnnnnnnnn...nnnnnnnnnn ]");
    ttl_ClearFileName();
    EXPECT_STREQ(ttl_FileName(), "");
    EXPECT_FALSE(ttl_IsUntitled());
}
