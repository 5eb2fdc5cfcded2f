// The command-line grammar: drive, quoted and network paths, the "." rule, the
// fallback to quotes, where the switch text starts, and inputs of any shape.
#include <gtest/gtest.h>
#include <unistd.h>
#include <string>
#include "app/cmdline.h"
#include "unit/settings/scratch.h"

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

TEST_F(CommandLine, EmptyLineReportsZero) {
    Split s = SplitLine("");
    EXPECT_EQ(s.result, 0);
    EXPECT_EQ(s.file, "");
    EXPECT_EQ(s.switches, "");
    char f[8] = "x", w[8] = "y";
    EXPECT_EQ(SplitCommandLine(nullptr, f, sizeof f, w, sizeof w), 0);
    EXPECT_STREQ(f, "");
    EXPECT_STREQ(w, "");
}

TEST_F(CommandLine, PlainAndQuotedPaths) {
    Split s = SplitLine("C:\\pics\\picture.kv5 /print /nogui");
    EXPECT_EQ(s.result, 1);
    EXPECT_EQ(s.file, "C:\\pics\\picture.kv5");
    EXPECT_EQ(s.switches, "/print /nogui");

    s = SplitLine("\"C:\\My Pictures\\sea side.kv5\" /nogui");
    EXPECT_EQ(s.file, "C:\\My Pictures\\sea side.kv5");
    EXPECT_EQ(s.switches, "/nogui");

    s = SplitLine("plain.kv5");
    EXPECT_EQ(s.file, "plain.kv5");
    EXPECT_EQ(s.switches, "");
}

TEST_F(CommandLine, UnquotedSpacesPassOnlyAfterADriveOrNetworkStart) {
    // From a drive the name runs to the first blank after the line's last ".".
    Split s = SplitLine("C:\\My Pictures\\sea side.kv5 /print");
    EXPECT_EQ(s.file, "C:\\My Pictures\\sea side.kv5");
    EXPECT_EQ(s.switches, "/print");
    // A relative name is cut at its first blank, and "pic" is no file.
    s = SplitLine("pic one.kv5 /print");
    EXPECT_EQ(s.file, "");
    EXPECT_EQ(s.switches, "/print");
    // Quoted, the same name is found through the quotes.
    s = SplitLine("\"pic one.kv5\" /print");
    EXPECT_EQ(s.file, "pic one.kv5");
    EXPECT_EQ(s.switches, "/print");
}

TEST_F(CommandLine, TheLastDotOfTheWholeLineDecidesTheEnd) {
    // The "." of the plug-in name stretches the name over the switch: no such file,
    // no quotes, so nothing is opened and the whole tail is switch text.
    Split s = SplitLine("C:\\pics\\picture.kv5 /addplugin C:\\pics\\x.dll");
    EXPECT_EQ(s.file, "");
    EXPECT_EQ(s.switches, "/addplugin C:\\pics\\x.dll");
    // With the name quoted, the quotes rescue it.
    s = SplitLine("\"C:\\pics\\picture.kv5\" /addplugin C:\\pics\\x.dll");
    EXPECT_EQ(s.file, "C:\\pics\\picture.kv5");
    EXPECT_EQ(s.switches, "/addplugin C:\\pics\\x.dll");
}

TEST_F(CommandLine, WhereTheSwitchTextStarts) {
    Split s = SplitLine("/nogui /print");
    EXPECT_EQ(s.file, "");
    EXPECT_EQ(s.switches, "/nogui /print");
    EXPECT_TRUE(cmd_HasSwitch(s.switches.c_str(), "/print"));

    // Switches typed before the name still count.
    s = SplitLine("/nogui \"C:\\pics\\picture.kv5\"");
    EXPECT_EQ(s.file, "C:\\pics\\picture.kv5");
    EXPECT_TRUE(cmd_HasSwitch(s.switches.c_str(), "/nogui"));

    // The file's own path is never switch text, whatever its folders are called.
    s = SplitLine("C:/install/print/pic.kv5");
    EXPECT_EQ(s.file, "C:/install/print/pic.kv5");
    EXPECT_EQ(s.switches, "");

    // A missing file is no name: the first "/" anywhere starts the switches.
    s = SplitLine("C:\\pics\\missing.kv5 /print");
    EXPECT_EQ(s.file, "");
    EXPECT_EQ(s.switches, "/print");
}

TEST_F(CommandLine, SwitchesAreCaseSensitiveSubstrings) {
    EXPECT_TRUE(cmd_HasSwitch("/nogui /print", "/print"));
    EXPECT_FALSE(cmd_HasSwitch("/nogui /Print", "/print"));
    EXPECT_TRUE(cmd_HasSwitch("/printer", "/print"));
    EXPECT_FALSE(cmd_HasSwitch("/forceuninstall", "/uninstall"));
    EXPECT_FALSE(cmd_HasSwitch("", "/nogui"));
    EXPECT_FALSE(cmd_HasSwitch(nullptr, "/nogui"));
    EXPECT_FALSE(cmd_HasSwitch("/nogui", ""));
}

TEST_F(CommandLine, OddShapesStayInBounds) {
    Split s = SplitLine("/");
    EXPECT_EQ(s.file, "");
    EXPECT_EQ(s.switches, "/");
    s = SplitLine("\"");
    EXPECT_EQ(s.result, 1);
    EXPECT_EQ(s.file, "");
    s = SplitLine("\"C:\\pics\\picture.kv5 /print");  // unbalanced quote
    EXPECT_EQ(s.file, "C:\\pics\\picture.kv5");
    EXPECT_EQ(s.switches, "/print");
    s = SplitLine("\"\"");
    EXPECT_EQ(s.file, "");
    s = SplitLine("C:");  // too short to start a path
    EXPECT_EQ(s.file, "");

    // Thousands of characters: a name longer than a path buffer is refused, switch
    // text is cut to its buffer.
    std::string longName(5000, 'a');
    s = SplitLine(longName + ".kv5 /nogui");
    EXPECT_EQ(s.file, "");
    EXPECT_EQ(s.switches, "/nogui");
    s = SplitLine("C:\\" + longName + "\\x.kv5 /print");
    EXPECT_EQ(s.file, "");
    EXPECT_EQ(s.switches, "/print");
    s = SplitLine("/nogui " + std::string(5000, 'z'));
    EXPECT_EQ(s.switches.size(), (size_t)CMD_SWITCH_CAP - 1);
    EXPECT_EQ(s.switches.substr(0, 7), "/nogui ");
    s = SplitLine("\"" + std::string(4000, '"') + "\"");
    EXPECT_EQ(s.file, "");

    // Tiny output buffers are honoured too.
    char f[4], w[3];
    EXPECT_EQ(SplitCommandLine("plain.kv5 /nogui", f, sizeof f, w, sizeof w), 1);
    EXPECT_STREQ(f, "");  // does not fit: refused, not cut
    EXPECT_STREQ(w, "/n");
}

TEST(CommandLineSpan, WherePathsStart) {
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

TEST_F(CommandLine, ShortcutsStayAsTheyAreNatively) {
    Split s = SplitLine("C:\\pics\\link.lnk /print");
    EXPECT_EQ(s.file, "C:\\pics\\link.lnk");
    EXPECT_EQ(s.switches, "/print");
}
