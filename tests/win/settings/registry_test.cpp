// Registry entries against the real registry (the test prefix's): create, read back,
// keep and restore a previous owner, delete.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
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

}  // namespace

TEST_F(Registry, SetStringWritesOnlyWhatDiffers) {
    const char* key = "Software\\KelvaraTests\\Strings";
    EXPECT_EQ(SetRegistryString(HKEY_CURRENT_USER, key, "Name", "one"), 1);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, key, "Name"), "one");
    EXPECT_EQ(SetRegistryString(HKEY_CURRENT_USER, key, "Name", "one"), 0);
    EXPECT_EQ(SetRegistryString(HKEY_CURRENT_USER, key, "Name", "two"), 1);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, key, "Name"), "two");
    EXPECT_EQ(SetRegistryString(HKEY_CURRENT_USER, key, nullptr, "default"), 1);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, key), "default");
    EXPECT_EQ(SetRegistryString(HKEY_CURRENT_USER, key, "", "default"), 0);  // "" is the default too
    // A value longer than the 512 bytes compared is simply written again.
    std::string longText(700, 'L');
    EXPECT_EQ(SetRegistryString(HKEY_CURRENT_USER, key, "Long", longText.c_str()), 1);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, key, "Long"), longText);
    // A key that cannot be opened.
    EXPECT_EQ(SetRegistryString((HKEY)(ULONG_PTR)0x7654, "x", "y", "z"), 0);
}

TEST_F(Registry, DeleteTreeRemovesEveryLevel) {
    const std::string base = "Software\\KelvaraTests\\Tree";
    for (const char* sub : {"\\a\\b\\c", "\\a\\b2", "\\d", "\\a\\b\\c2\\e"})
        ASSERT_EQ(SetRegistryString(HKEY_CURRENT_USER, (base + sub).c_str(), "v", "1"), 1);
    ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, base + "\\a\\b\\c2\\e"));
    EXPECT_EQ(DeleteRegistryTree(HKEY_CURRENT_USER, base.c_str()), 1);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, base));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\KelvaraTests"));
    EXPECT_EQ(DeleteRegistryTree(HKEY_CURRENT_USER, base.c_str()), 1);  // already gone
    EXPECT_EQ(DeleteRegistryTree(HKEY_CURRENT_USER, ""), 0);           // never the root itself
}

TEST_F(Registry, AssociationWritesTheClassAndItsCommands) {
    ASSERT_EQ(AssociateExtension(".KVTEST", "Kelvara Draw Image", 118), 1);
    EXPECT_EQ(Get(HKEY_CLASSES_ROOT, TEST_EXT), TEST_CLASS);
    EXPECT_EQ(Get(HKEY_CLASSES_ROOT, TEST_EXT, "_old"), "<none>");
    EXPECT_EQ(Get(HKEY_CLASSES_ROOT, TEST_CLASS), "Kelvara Draw Image");
    EXPECT_EQ(Get(HKEY_CLASSES_ROOT, std::string(TEST_CLASS) + "\\shell\\open\\command"),
              "\"" + program + "\" \"%1\"");
    EXPECT_EQ(Get(HKEY_CLASSES_ROOT, std::string(TEST_CLASS) + "\\shell\\print\\command"),
              "\"" + program + "\" \"%1\" /print /nogui");
    EXPECT_EQ(Get(HKEY_CLASSES_ROOT, std::string(TEST_CLASS) + "\\DefaultIcon"), program + " ,-118");

    // Applying again keeps no "previous owner" that is really us.
    ASSERT_EQ(AssociateExtension(TEST_EXT, "Kelvara Draw Image", 118), 1);
    EXPECT_EQ(Get(HKEY_CLASSES_ROOT, TEST_EXT, "_old"), "<none>");

    ASSERT_EQ(UnassociateExtension(TEST_EXT), 1);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, TEST_CLASS));
    EXPECT_EQ(Get(HKEY_CLASSES_ROOT, TEST_EXT), "<none>");  // no pointer to a deleted class

    EXPECT_EQ(AssociateExtension("kvtest", "no dot", 1), 0);
    EXPECT_EQ(AssociateExtension(".kv\\nested", "nested key", 1), 0);
}

TEST_F(Registry, AnotherProgramsClassIsKeptAndRestored) {
    ASSERT_EQ(SetRegistryString(HKEY_CLASSES_ROOT, TEST_EXT, nullptr, "OtherPaint.Image"), 1);
    ASSERT_EQ(AssociateExtension(TEST_EXT, "Bitmap Image", 245), 1);
    EXPECT_EQ(Get(HKEY_CLASSES_ROOT, TEST_EXT), TEST_CLASS);
    EXPECT_EQ(Get(HKEY_CLASSES_ROOT, TEST_EXT, "_old"), "OtherPaint.Image");
    // A second association does not overwrite what was kept.
    ASSERT_EQ(AssociateExtension(TEST_EXT, "Bitmap Image", 245), 1);
    EXPECT_EQ(Get(HKEY_CLASSES_ROOT, TEST_EXT, "_old"), "OtherPaint.Image");

    ASSERT_EQ(UnassociateExtension(TEST_EXT), 1);
    EXPECT_EQ(Get(HKEY_CLASSES_ROOT, TEST_EXT), "OtherPaint.Image");
    EXPECT_EQ(Get(HKEY_CLASSES_ROOT, TEST_EXT, "_old"), "<none>");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, TEST_CLASS));
}

TEST_F(Registry, SettingsFileTypeAndProgramPath) {
    ASSERT_EQ(RegisterSettingsFileType(162), 1);
    EXPECT_EQ(Get(HKEY_CLASSES_ROOT, ".kvr"), "Kelvara.kvr");
    EXPECT_EQ(Get(HKEY_CLASSES_ROOT, ".kvr", "NoOpen"), " ");
    EXPECT_EQ(Get(HKEY_CLASSES_ROOT, ".kvr", "PerceivedType"), "system");
    EXPECT_EQ(Get(HKEY_CLASSES_ROOT, "Kelvara.kvr"), "Data File");
    EXPECT_EQ(Get(HKEY_CLASSES_ROOT, "Kelvara.kvr\\DefaultIcon"), program + " ,-162");
    ASSERT_EQ(UnregisterSettingsFileType(), 1);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".kvr"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Kelvara.kvr"));

    ASSERT_EQ(SetProgramPathKey("C:\\Program Files\\Kelvara\\kelvara.exe"), 1);
    EXPECT_EQ(Get(HKEY_CLASSES_ROOT, "Kelvara.AppPath"), "C:\\Program Files\\Kelvara\\kelvara.exe");
    EXPECT_EQ(SetProgramPathKey("C:\\Program Files\\Kelvara\\kelvara.exe"), 1);  // unchanged is fine
    ASSERT_EQ(DeleteProgramPathKey(), 1);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Kelvara.AppPath"));
}
