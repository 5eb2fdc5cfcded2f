// The command-line grammar: drive, quoted and network paths, the "." rule, the
// fallback to quotes, where the switch text starts, and inputs of any shape.
#include <gtest/gtest.h>
#include <unistd.h>
#include <string>
#include "app/cmdline.h"
#include "support/scratch.h"

namespace {

struct Split {
    int result;
    std::string file, switches;
};

Split SplitLine(const std::string& line) {
    char file[KV_MAX_PATH], sw[CMD_SWITCH_CAP];
    Split s;
    s.result = SplitCommandLine(line.c_str(), file, sizeof file, sw, sizeof sw);
    s.file = file;
    s.switches = sw;
    return s;
}

// Runs each test inside a scratch folder holding a "C:" drive, so that drive paths
// name real files (natively "C:\x" is the relative path C:/x).
class CommandLine : public ::testing::Test {
protected:
    Scratch scratch;
    std::string oldCwd;
    void SetUp() override {
        char buf[4096];
        oldCwd = getcwd(buf, sizeof buf) ? buf : "/";
        ASSERT_EQ(chdir(scratch.host.c_str()), 0);
        for (const char* f : {"C:/pics/picture.kv5", "C:/My Pictures/sea side.kv5", "pic one.kv5",
                              "plain.kv5", "C:/install/print/pic.kv5", "C:/pics/link.lnk"})
            scratch.Write(f, {1});
    }
    void TearDown() override { ASSERT_EQ(chdir(oldCwd.c_str()), 0); }
};

}  // namespace

TEST_F(CommandLine, SplitsNameAndSwitches) {
    const std::string longName(5000, 'a');
    const struct {
        std::string line, file, switches;
    } cases[] = {
        {"", "", ""},
        {"C:\\pics\\picture.kv5 /print /nogui", "C:\\pics\\picture.kv5", "/print /nogui"},
        {"\"C:\\My Pictures\\sea side.kv5\" /nogui", "C:\\My Pictures\\sea side.kv5", "/nogui"},
        {"plain.kv5", "plain.kv5", ""},
        // From a drive the name runs to the first blank after the line's last ".".
        {"C:\\My Pictures\\sea side.kv5 /print", "C:\\My Pictures\\sea side.kv5", "/print"},
        // A relative name is cut at its first blank ("pic" is no file); quotes rescue it.
        {"pic one.kv5 /print", "", "/print"},
        {"\"pic one.kv5\" /print", "pic one.kv5", "/print"},
        // The plug-in name's "." stretches the name over the switch: no such file.
        {"C:\\pics\\picture.kv5 /addplugin C:\\pics\\x.dll", "", "/addplugin C:\\pics\\x.dll"},
        {"\"C:\\pics\\picture.kv5\" /addplugin C:\\pics\\x.dll", "C:\\pics\\picture.kv5", "/addplugin C:\\pics\\x.dll"},
        {"/nogui /print", "", "/nogui /print"},
        {"/nogui \"C:\\pics\\picture.kv5\"", "C:\\pics\\picture.kv5", "/nogui \""},  // up to the name
        // The file's own path is never switch text, whatever its folders are called.
        {"C:/install/print/pic.kv5", "C:/install/print/pic.kv5", ""},
        {"C:\\pics\\missing.kv5 /print", "", "/print"},
        {"C:\\pics\\link.lnk /print", "C:\\pics\\link.lnk", "/print"},  // natively no shortcuts
        {"/", "", "/"},
        {"\"", "", ""},
        {"\"C:\\pics\\picture.kv5 /print", "C:\\pics\\picture.kv5", "/print"},  // unbalanced quote
        {"\"\"", "", ""},
        {"C:", "", ""},
        // Longer than a path buffer: refused, never cut.
        {longName + ".kv5 /nogui", "", "/nogui"},
        {"C:\\" + longName + "\\x.kv5 /print", "", "/print"},
        {"\"" + std::string(4000, '"') + "\"", "", ""},
    };
    for (const auto& c : cases) {
        Split s = SplitLine(c.line);
        EXPECT_EQ(s.file, c.file) << c.line.substr(0, 80);
        EXPECT_EQ(s.switches, c.switches) << c.line.substr(0, 80);
    }
    // Switch text is cut to its buffer; tiny buffers are honoured; null is no line.
    EXPECT_EQ(SplitLine("/nogui " + std::string(5000, 'z')).switches.size(), (size_t)CMD_SWITCH_CAP - 1);
    char f[4] = "x", w[3] = "y";
    EXPECT_EQ(SplitCommandLine("plain.kv5 /nogui", f, sizeof f, w, sizeof w), 1);
    EXPECT_STREQ(f, "");
    EXPECT_STREQ(w, "/n");
    EXPECT_EQ(SplitCommandLine(nullptr, f, sizeof f, w, sizeof w), 0);
    EXPECT_STREQ(w, "");
}

TEST(CommandLineText, SwitchesAreCaseSensitiveSubstrings) {
    const struct {
        const char *text, *name;
        bool has;
    } cases[] = {{"/nogui /print", "/print", true}, {"/nogui /Print", "/print", false},
                 {"/printer", "/print", true},       {"/forceuninstall", "/uninstall", false},
                 {"", "/nogui", false},              {nullptr, "/nogui", false},
                 {"/nogui", "", false}};
    for (const auto& c : cases) EXPECT_EQ(cmd_HasSwitch(c.text, c.name) != 0, c.has) << c.name;
}

TEST(CommandLineText, WherePathsStart) {
    struct Case {
        const char* line;
        size_t start, end;
    } cases[] = {
        {"\\\\srv\\share\\my pic.kv5 /print", 0, 22},      // network, blanks kept
        {"//SERVER/share/my pic.kv5 /x", 0, 25},           // "//" + capital
        {"//server/share/my pic.kv5 /x", 0, 17},           // lower case: first word only
        {"\\\\_x\\a b.kv5", 0, 6},                        // "\\" + neither letter nor digit
        {"/open \"D:\\a b\\c d.kv5\" /print", 7, 21},   // drive inside, ends at the quote
        {"C:\\dir\\noext /print", 0, 12},                // no "." after the drive
        {"x C:\\", 0, 1},                                 // drive too near the end
        {"ab C:\\.", 3, 7},
        {"", 0, 0},
    };
    for (const Case& c : cases) {
        size_t start = 99, end = 99;
        cmd_NameSpan(c.line, &start, &end);
        EXPECT_EQ(start, c.start) << c.line;
        EXPECT_EQ(end, c.end) << c.line;
    }
}
