// The filter plug-in caches: which extension a path has, which slots a recorded
// plug-in takes, and when a remembered plug-in is found again.
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include <vector>
#include "formats/plugin_filter.h"
#include "support/scratch.h"

namespace {

std::vector<std::string> Slots(const PluginCache* c) {
    std::vector<std::string> r;
    for (const PluginCacheSlot& s : c->slot) r.push_back(std::string(s.ext) + "=" + s.name);
    return r;
}

}  // namespace

TEST(PluginCache, ExtensionOfTheFileName) {
    struct Case {
        const char* path;
        size_t cap;
        int ok;
        const char* ext;
    } cases[] = {
        {"C:\\pics\\a.png", 16, 1, ".png"},     {"C:\\pics\\a.tar.JPEG", 16, 1, ".JPEG"},
        {"C:\\my.pics\\noext", 16, 0, ""},      {"C:\\pics/b.x", 16, 1, ".x"},
        {"a.", 16, 1, "."},                     {"a.jpeg", 5, 0, ""} /* does not fit */,
    };
    for (const Case& c : cases) {
        char ext[16] = "junk";
        EXPECT_EQ(pflt_Extension(c.path, ext, c.cap), c.ok) << c.path;
        EXPECT_STREQ(ext, c.ext) << c.path;
    }
}

TEST(PluginCache, RecordMovesSlotsDownOrRenamesTheExtensionsSlots) {
    pflt_ResetCaches();
    PluginCache* c = pflt_Cache(PFLT_SAVE);
    struct Step {
        const char* ext;
        const char* dll;
        int ok;
        std::vector<std::string> slots;
    } steps[] = {
        {".PNG", "C:\\k\\Plugins\\PNG filter.dll", 1, {".png=PNG filter.dll", "=", "=", "="}},
        {".jpg", "C:\\k\\Plugins/J.dll", 1, {".jpg=J.dll", ".png=PNG filter.dll", "=", "="}},
        {".gif", "G.dll", 1, {".gif=G.dll", ".jpg=J.dll", ".png=PNG filter.dll", "="}},
        {".tif", "T.dll", 1, {".tif=T.dll", ".gif=G.dll", ".jpg=J.dll", ".png=PNG filter.dll"}},
        {".webp", "W.dll", 1, {".webp=W.dll", ".tif=T.dll", ".gif=G.dll", ".jpg=J.dll"}},
        {".JPG", "Other.dll", 1, {".webp=W.dll", ".tif=T.dll", ".gif=G.dll", ".jpg=Other.dll"}},
        {".longext", "L.dll", 0, {".webp=W.dll", ".tif=T.dll", ".gif=G.dll", ".jpg=Other.dll"}},
        {".bmp", "C:\\x\\a plug-in name of 32 chars!!.dll", 0, {".webp=W.dll", ".tif=T.dll", ".gif=G.dll", ".jpg=Other.dll"}},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(pflt_CacheRecord(c, s.ext, s.dll), s.ok) << s.ext;
        EXPECT_EQ(Slots(c), s.slots) << s.ext;
    }
    EXPECT_EQ(Slots(pflt_Cache(PFLT_LOAD)), std::vector<std::string>(4, "="));
    pflt_ResetCaches();
}

TEST(PluginCache, FindsOnlyShortExtensionsWhoseDllIsStillThere) {
    Scratch d("kvplc");
    ASSERT_TRUE(path_CreateFolders());
    pflt_ResetCaches();
    PluginCache* c = pflt_Cache(PFLT_LOAD);
    pflt_CacheRecord(c, ".png", "P.dll");
    pflt_CacheRecord(c, ".jpeg", "J.dll");
    d.Write("Plugins/P.dll");
    d.Write("Plugins/J.dll");
    const std::string p = d.dir + "\\Plugins\\P.dll";
    struct Case {
        const char* ext;
        size_t cap;
        int ok;
        std::string path;
    } cases[] = {
        {".PNG", KV_MAX_PATH, 1, p},   {".png", p.size(), 0, ""} /* no room for the NUL */,
        {".jpeg", KV_MAX_PATH, 0, ""}, {"", KV_MAX_PATH, 0, ""},
    };
    for (const Case& k : cases) {
        char out[KV_MAX_PATH] = "junk";
        EXPECT_EQ(pflt_CacheFind(c, k.ext, out, k.cap), k.ok) << k.ext;
        EXPECT_EQ(out, k.path) << k.ext;
    }
    std::remove(d.At("Plugins/P.dll").c_str());
    char out[KV_MAX_PATH];
    EXPECT_EQ(pflt_CacheFind(c, ".png", out, sizeof out), 0);
    pflt_ResetCaches();
}
