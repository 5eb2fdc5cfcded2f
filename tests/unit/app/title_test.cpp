// Title text: the untitled literal, the 24-character rules and names too long to keep.
#include <gtest/gtest.h>
#include <string>
#include "app/title.h"
#include "app/viewgeom.h"
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

// Names in four scripts are cut only between characters (UTF-8 is the programs' code
// page), in the title and in the recent-files entries alike.
TEST(Title, ShortenedNameRules) {
    const struct {
        const char* path;
        const char* shown;
        bool inMenu = false;  // the recent-files entry shows the same cut
    } cases[] = {
        {"C:\\folder\\0123456789.kv5", "C:\\folder\\0123456789.kv5"},  // 24: whole path
        {"C:\\folders\\0123456789.kv5", "0123456789.kv5"},             // 25: the file part
        {"C:\\x\\abcdefghijklmnopqrst.kv5", "abcdefghijklmnopqrst.kv5"},
        {"C:\\x\\abcdefghijklmnopqrstu.kv5", "abcdefghij...pqrstu.kv5"},
        {"C:/x/averyveryverylongfilename.kv5", "averyveryv...lename.kv5"},
        {"\\\\srv/share\\averyveryverylongfilename.kv5", "averyveryv...lename.kv5"},
        {"abcdefghijklmnopqrstuvwxyz.kv5", "ghijklmnopqrstuvwxyz.kv5"},  // no separator
        {"C:\\a-folder-name-of-some-length\\", ""},
        {"C:\\x\\Hauptstra\xC3\x9F" "enbahnhof-Schild.bmp", "Hauptstra...Schild.bmp", true},  // ß across the cut
        {"C:\\x\\\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE\xD0\xB3\xD1\x80\xD0\xB0\xD1\x84\xD0\xB8\xD1\x8F-\xD0\xBF\xD1\x80\xD0\xB8\xD1\x80\xD0\xBE\xD0\xB4\xD1\x8B" "1.bmp", "\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE\xD0\xB3...\xD0\xB4\xD1\x8B" "1.bmp", true},  // фотог...ды1.bmp
        {"C:\\x\\\xE5\x86\x99\xE7\x9C\x9F\xE5\x86\x99\xE7\x9C\x9F\xE5\x86\x99\xE7\x9C\x9F\xE5\x86\x99\xE7\x9C\x9F.bmp", "\xE5\x86\x99\xE7\x9C\x9F\xE5\x86\x99...\xE5\x86\x99\xE7\x9C\x9F.bmp", true},  // 写真写...写真.bmp
        {"C:\\x\\\xF0\x9F\x98\x80\xF0\x9F\x98\x81\xF0\x9F\x98\x82\xF0\x9F\x98\x83\xF0\x9F\x98\x84\xF0\x9F\x98\x85.bmp", "\xF0\x9F\x98\x80\xF0\x9F\x98\x81...\xF0\x9F\x98\x85.bmp", true},  // 😀😁...😅.bmp
    };
    for (const auto& c : cases) {
        char out[TTL_MAX_SHOWN + 1];
        ttl_ShownName(c.path, out, sizeof out);
        EXPECT_STREQ(out, c.shown) << c.path;
        if (!c.inMenu) continue;
        char entry[300];
        vg_RecentMenuText(c.path, 0, entry, sizeof entry);
        EXPECT_EQ(std::string(entry), std::string("&1 - ") + c.shown + "\tCtrl+1") << c.path;
    }
}
