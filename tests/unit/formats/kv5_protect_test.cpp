// Password layer: the stream it writes, the three messages and their loops, the
// checksum rules, and how saving and loading react to Skip and quiet.
#include <gtest/gtest.h>
#include <string>
#include "support/format_support.h"

using namespace ftest;

namespace {

Bytes Protect(const Bytes& in) {
    Bytes out(in.size() + 72);
    out.resize(kv5_Protect(out.data(), out.size(), in.data(), in.size()));
    return out;
}

Bytes Unprotect(const Bytes& in) {
    Bytes out(in.size());
    out.resize(kv5_Unprotect(out.data(), out.size(), in.data(), in.size()));
    return out;
}

// The titles of the boxes shown so far, each a plain warning.
std::vector<std::string> Titles() {
    std::vector<std::string> t;
    for (const auto& b : uiscript_Boxes()) {
        t.push_back(b.title);
        EXPECT_EQ(b.flags, UI_ICONWARNING) << b.title;
    }
    return t;
}

}  // namespace

TEST(Kv5Protect, LayerLayout) {
    uiscript_Reset();
    QueuePassword("ab", "a hint");
    Bytes plain = {1, 2, 3, 250, 0};
    Bytes p = Protect(plain);
    ASSERT_EQ(p.size(), 77u);
    // Header size, hint text and its end, the checksum of the plain bytes, then the
    // bytes with the password's characters added in turn.
    ExpectFields(p, {{0, 1, 72}, {67, 1, 0}, {68, 4, 256}});
    EXPECT_EQ(std::string((const char*)p.data() + 1), "a hint");
    EXPECT_EQ(Bytes(p.begin() + 72, p.end()), Bytes({1 + 'a', 2 + 'b', 3 + 'a', (uint8_t)(250 + 'b'), 'a'}));
    EXPECT_EQ(uiscript_PromptsAsked(), std::vector<std::string>({KV5_PASSWORD_PROMPT}));
    EXPECT_STREQ(kv5_PasswordFields()->password, "ab");
    EXPECT_STREQ(kv5_PasswordFields()->hint, "a hint");

    QueuePassword("", "", 0);  // Skip
    EXPECT_TRUE(Protect(plain).empty());
    QueuePassword("", "hint", 1);  // nothing to protect with
    EXPECT_TRUE(Protect(plain).empty());
    Bytes tooSmall(72 + plain.size() - 1);
    QueuePassword("ab");
    EXPECT_EQ(kv5_Protect(tooSmall.data(), tooSmall.size(), plain.data(), plain.size()), 0u);
}

TEST(Kv5Protect, RightWrongAndMissingPasswords) {
    uiscript_Reset();
    Bytes plain(300);
    for (size_t i = 0; i < plain.size(); i++) plain[i] = (uint8_t)(i * 7);
    QueuePassword("Case Sensitive");
    Bytes p = Protect(plain);

    for (const char* pw : {"case sensitive", "", "Case Sensitive"}) QueuePassword(pw);
    EXPECT_EQ(Unprotect(p), plain);
    EXPECT_EQ(Titles(), std::vector<std::string>({"Wrong Password", "No Password"}));
    EXPECT_EQ(uiscript_Boxes()[0].text, "The password you entered is incorrect.");
    EXPECT_EQ(uiscript_Boxes()[1].text, "Please enter a valid password.");

    uiscript_Reset();
    QueuePassword("nope");
    QueuePassword("", "", 0);  // gives up after the warning
    EXPECT_TRUE(Unprotect(p).empty());
    EXPECT_EQ(Titles(), std::vector<std::string>({"Wrong Password"}));
    EXPECT_EQ(uiscript_PromptsAsked().size(), 2u);
}

TEST(Kv5Protect, ChecksumAndHeaderSizeRules) {
    uiscript_Reset();
    QueuePassword("k");
    Bytes p = Protect({10, 20, 30});
    PutU32(p, 68, 0);  // checksum 0: any password applies, with a warning
    QueuePassword("wrong key");
    EXPECT_EQ(Unprotect(p).size(), 3u);
    EXPECT_EQ(Titles(), std::vector<std::string>({"Skipping Validation"}));
    EXPECT_EQ(uiscript_Boxes()[0].text,
              "The password you entered has been\napplied without validation. If the\nimage is corrupted, it's incorrect.\n");

    // Plain bytes summing to 0: accepted without a word.
    uiscript_Reset();
    QueuePassword("k");
    Bytes z = Protect({0, 0});
    ASSERT_EQ(GetU32(z, 68), 0u);
    QueuePassword("k");
    EXPECT_EQ(Unprotect(z), Bytes({0, 0}));
    EXPECT_TRUE(uiscript_Boxes().empty());

    // H = 10: no checksum, cipher from byte 10. H = 80: checksum still at 68, cipher from 80.
    Bytes s = {10, 'h', 'i', 0, 0, 0, 0, 0, 0, 0, 5 + 'x', 6 + 'x'};
    QueuePassword("x");
    EXPECT_EQ(Unprotect(s), Bytes({5, 6}));
    Bytes t(82, 0);
    t[0] = 80, t[80] = 1 + 'y', t[81] = 2 + 'y';
    PutU32(t, 68, 3);
    QueuePassword("y");
    EXPECT_EQ(Unprotect(t), Bytes({1, 2}));
    // No cipher bytes at all: refused without asking.
    uiscript_Reset();
    Bytes headerOnly(72, 0);
    headerOnly[0] = 72;
    EXPECT_TRUE(Unprotect(headerOnly).empty());
    EXPECT_TRUE(Unprotect({200, 1, 2}).empty());
    EXPECT_TRUE(uiscript_PromptsAsked().empty());
}

TEST(Kv5Protect, SavingAndLoadingProtectedImages) {
    WriterSettings ws(2, 1, 1);
    TestSurface img(20, 10);
    for (int i = 0; i < 200; i++) img.at(i % 20, i / 20) = 0x01020304u * (uint32_t)i;
    QueuePassword("", "", 0);  // Skip: saved without protection
    EXPECT_EQ(Kv5SaveBytes(img.get())[28 + 15], 0);

    QueuePassword("pw", "hint");
    Bytes f = Kv5SaveBytes(img.get());
    ASSERT_EQ(f[28 + 15], 255);
    TestSurface back(1, 1);
    ImageFileInfo info{};
    info.quiet = 1;  // previews never ask
    EXPECT_EQ(kv5_LoadBytes(back.get(), f.data(), f.size(), &info), 0);
    EXPECT_EQ(info.isProtected, 1);
    EXPECT_EQ(uiscript_PromptsAsked().size(), 2u);

    info = ImageFileInfo{};
    QueuePassword("", "", 0);  // cancelled: the load fails
    EXPECT_EQ(kv5_LoadBytes(back.get(), f.data(), f.size(), &info), 0);
    EXPECT_EQ(info.isProtected, 1);
    EXPECT_EQ(back->width, 1u);
    QueuePassword("pw");
    EXPECT_EQ(kv5_LoadBytes(back.get(), f.data(), f.size(), &info), 1);
    EXPECT_TRUE(SameSurface(img.get(), back.get()));
}
