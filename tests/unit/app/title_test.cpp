// Title text: the untitled literal, the 24-character rules and names too long to keep.
#include <gtest/gtest.h>
#include <string>
#include "app/title.h"
#include "document/document.h"

TEST(Title, FollowsTheDocumentsFileName) {
    SetTitle(DOC_UNTITLED);
    EXPECT_TRUE(doc_IsUntitled());
    EXPECT_STREQ(ttl_Text(), "Kelvara 1.80");
    SetTitle("C:\\a\\b\\averyveryverylongfilename.kv5");
    EXPECT_STREQ(ttl_Text(), "Kelvara 1.80 - [ averyveryv...lename.kv5 ]");
    SetTitle(nullptr);  // no name: the current one stays
    EXPECT_STREQ(doc_FileName(), "C:\\a\\b\\averyveryverylongfilename.kv5");
    // A name the document cannot hold whole is never kept cut: the image is untitled.
    SetTitle(("C:\\" + std::string(1000, 'n') + ".kv5").c_str());
    EXPECT_TRUE(doc_IsUntitled());
    EXPECT_STREQ(ttl_Text(), "Kelvara 1.80");
}

TEST(Title, ShortenedNameRules) {
    const struct {
        const char* path;
        const char* shown;
    } cases[] = {
        {"C:\\folder\\0123456789.kv5", "C:\\folder\\0123456789.kv5"},  // 24: whole path
        {"C:\\folders\\0123456789.kv5", "0123456789.kv5"},             // 25: the file part
        {"C:\\x\\abcdefghijklmnopqrst.kv5", "abcdefghijklmnopqrst.kv5"},
        {"C:\\x\\abcdefghijklmnopqrstu.kv5", "abcdefghij...pqrstu.kv5"},
        {"C:/x/averyveryverylongfilename.kv5", "averyveryv...lename.kv5"},
        {"\\\\srv/share\\averyveryverylongfilename.kv5", "averyveryv...lename.kv5"},
        {"abcdefghijklmnopqrstuvwxyz.kv5", "ghijklmnopqrstuvwxyz.kv5"},  // no separator
        {"C:\\a-folder-name-of-some-length\\", ""},
    };
    for (const auto& c : cases) {
        char out[TTL_MAX_SHOWN + 1];
        ttl_ShownName(c.path, out, sizeof out);
        EXPECT_STREQ(out, c.shown) << c.path;
    }
}
