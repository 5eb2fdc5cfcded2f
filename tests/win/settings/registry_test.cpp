// Registry entries against the real registry (the test prefix's): create, read back,
// keep and restore a previous owner, delete.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "platform/paths.h"
#include "settings/registry_win32.h"

namespace {

const char TEST_EXT[] = ".kvtest";
const char TEST_CLASS[] = "Kelvara.kvtest";

// The value's text, or "<none>" when the key or value does not exist.
std::string Get(HKEY root, const std::string& key, const char* name = nullptr) {
    char buf[1024];
    DWORD size = sizeof buf, type = 0;
    HKEY hk;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &hk) != ERROR_SUCCESS) return "<none>";
    LONG r = RegQueryValueExA(hk, name, nullptr, &type, (BYTE*)buf, &size);
    RegCloseKey(hk);
    if (r != ERROR_SUCCESS || type != REG_SZ) return "<none>";
    return std::string(buf, size ? size - 1 : 0);
}

bool KeyExists(HKEY root, const std::string& key) {
    HKEY hk;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &hk) != ERROR_SUCCESS) return false;
    RegCloseKey(hk);
    return true;
}

class Registry : public ::testing::Test {
protected:
    std::string program;
    void SetUp() override {
        ASSERT_EQ(path_Init(), 1);
        program = path_ProgramFile();
        DeleteRegistryTree(HKEY_CLASSES_ROOT, TEST_EXT);
        DeleteRegistryTree(HKEY_CLASSES_ROOT, TEST_CLASS);
    }
    void TearDown() override {
        DeleteRegistryTree(HKEY_CLASSES_ROOT, TEST_EXT);
        DeleteRegistryTree(HKEY_CLASSES_ROOT, TEST_CLASS);
        DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\KelvaraTests");
    }
};

// {key, value name, text} under the classes root.
struct Entry {
    std::string key;
    const char* name;
    std::string text;
};
void ExpectEntries(const std::vector<Entry>& entries) {
    for (const Entry& e : entries)
        EXPECT_EQ(Get(HKEY_CLASSES_ROOT, e.key, e.name), e.text) << e.key << " " << (e.name ? e.name : "");
}

}  // namespace

TEST_F(Registry, StringsAreWrittenOnlyWhenTheyDifferAndTreesGoWhole) {
    const char* key = "Software\\KelvaraTests\\Strings";
    const struct {
        const char* name;
        const char* text;
        int wrote;
    } writes[] = {{"Name", "one", 1}, {"Name", "one", 0}, {"Name", "two", 1}, {nullptr, "default", 1},
                  {"", "default", 0}};   // "" is the default value too
    for (const auto& w : writes) {
        EXPECT_EQ(SetRegistryString(HKEY_CURRENT_USER, key, w.name, w.text), w.wrote) << w.text;
        EXPECT_EQ(Get(HKEY_CURRENT_USER, key, w.name), w.text);
    }
    // A value longer than the 512 bytes compared is simply written again.
    std::string longText(700, 'L');
    EXPECT_EQ(SetRegistryString(HKEY_CURRENT_USER, key, "Long", longText.c_str()), 1);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, key, "Long"), longText);
    EXPECT_EQ(SetRegistryString((HKEY)(ULONG_PTR)0x7654, "x", "y", "z"), 0);   // cannot be opened

    const std::string base = "Software\\KelvaraTests\\Tree";
    for (const char* sub : {"\\a\\b\\c", "\\a\\b2", "\\d", "\\a\\b\\c2\\e"})
        ASSERT_EQ(SetRegistryString(HKEY_CURRENT_USER, (base + sub).c_str(), "v", "1"), 1);
    EXPECT_EQ(DeleteRegistryTree(HKEY_CURRENT_USER, base.c_str()), 1);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, base));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\KelvaraTests"));
    EXPECT_EQ(DeleteRegistryTree(HKEY_CURRENT_USER, base.c_str()), 1);  // already gone
    EXPECT_EQ(DeleteRegistryTree(HKEY_CURRENT_USER, ""), 0);           // never the root itself
}

// Our own class and commands; a previous owner is kept once, never ourselves, and
// given the extension back.
TEST_F(Registry, AssociationsWriteTheClassAndKeepThePreviousOwner) {
    const std::string cls = TEST_CLASS;
    for (const char* previous : {"<none>", "OtherPaint.Image"}) {
        if (previous[0] != '<') {
            ASSERT_EQ(SetRegistryString(HKEY_CLASSES_ROOT, TEST_EXT, nullptr, previous), 1);
        }
        for (int again = 0; again < 2; again++) ASSERT_EQ(AssociateExtension(".KVTEST", "Kelvara Draw Image", 118), 1);
        ExpectEntries({{TEST_EXT, nullptr, cls}, {TEST_EXT, "_old", previous}, {cls, nullptr, "Kelvara Draw Image"},
                       {cls + "\\shell\\open\\command", nullptr, "\"" + program + "\" \"%1\""},
                       {cls + "\\shell\\print\\command", nullptr, "\"" + program + "\" \"%1\" /print /nogui"},
                       {cls + "\\DefaultIcon", nullptr, program + " ,-118"}});
        ASSERT_EQ(UnassociateExtension(TEST_EXT), 1);
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, TEST_CLASS));
        ExpectEntries({{TEST_EXT, nullptr, previous}, {TEST_EXT, "_old", "<none>"}});   // no pointer to a deleted class
    }
    EXPECT_EQ(AssociateExtension("kvtest", "no dot", 1), 0);
    EXPECT_EQ(AssociateExtension(".kv\\nested", "nested key", 1), 0);
}

TEST_F(Registry, SettingsFileTypeAndProgramPath) {
    ASSERT_EQ(RegisterSettingsFileType(162), 1);
    ExpectEntries({{".kvr", nullptr, "Kelvara.kvr"}, {".kvr", "NoOpen", " "}, {".kvr", "PerceivedType", "system"},
                   {"Kelvara.kvr", nullptr, "Data File"}, {"Kelvara.kvr\\DefaultIcon", nullptr, program + " ,-162"}});
    ASSERT_EQ(UnregisterSettingsFileType(), 1);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".kvr"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Kelvara.kvr"));
    const char* exe = "C:\\Program Files\\Kelvara\\kelvara.exe";
    ASSERT_EQ(SetProgramPathKey(exe), 1);
    EXPECT_EQ(SetProgramPathKey(exe), 1);  // unchanged is fine
    ExpectEntries({{"Kelvara.AppPath", nullptr, exe}});
    ASSERT_EQ(DeleteProgramPathKey(), 1);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Kelvara.AppPath"));
}
