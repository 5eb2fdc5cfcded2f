// The help file's sources against the program: every page the program opens exists
// and is compiled into Kelvara.chm, the pages' links lead somewhere, and every Pixcode
// example of the reference compiles and runs.
#include <gtest/gtest.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include "pixcode/pix_compile.h"
#include "pixcode/pix_run.h"
#include "support/help_project.h"
#include "support/test_surface.h"
#include "support/ui_script.h"

namespace fs = std::filesystem;

namespace {

// The source tree: this file lies in <root>/tests/unit/help/.
fs::path Root() { return fs::path(__FILE__).parent_path().parent_path().parent_path().parent_path(); }
fs::path HelpDir() { return Root() / "resources" / "help"; }

std::string Read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::set<std::string> Matches(const std::string& text, const std::regex& re) {
    std::set<std::string> found;
    for (std::sregex_iterator i(text.begin(), text.end(), re), end; i != end; ++i) found.insert((*i)[1]);
    return found;
}

// Every page named in the program: string literals ending in ".htm" in src/, which
// are the tool table and the help calls of the windows.
std::set<std::string> PagesNamedInCode() {
    std::set<std::string> pages;
    const std::regex literal("\"([A-Za-z0-9_]+\\.htm)\"");
    for (const auto& e : fs::recursive_directory_iterator(Root() / "src"))
        if (e.path().extension() == ".cpp" || e.path().extension() == ".h")
            for (const std::string& p : Matches(Read(e.path()), literal)) pages.insert(p);
    return pages;
}

std::set<std::string> ProjectFiles() {
    const std::vector<std::string> files = HelpProjectFiles(Read(HelpDir() / "Kelvara.hhp"));
    return std::set<std::string>(files.begin(), files.end());
}

std::set<std::string> HelpFolder(const char* extension) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(HelpDir()))
        if (e.path().extension() == extension) names.insert(e.path().filename().string());
    return names;
}

std::string Unescape(std::string s) {
    const std::pair<const char*, const char*> entities[] = {{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
    for (const auto& [from, to] : entities)
        for (size_t at; (at = s.find(from)) != std::string::npos;) s.replace(at, std::strlen(from), to);
    return s;
}

}  // namespace

TEST(HelpPages, EveryPageTheProgramOpensIsCompiledIn) {
    std::set<std::string> named = PagesNamedInCode(), files = ProjectFiles();
    for (const char* page : {"index.htm", "tutorial.htm", "effects.htm", "transforms.htm", "programming.htm", "devices.htm",
                             "printer.htm", "autosave.htm", "file_formats.htm"})
        EXPECT_TRUE(named.count(page)) << page << " is no longer opened by the program";
    for (const std::string& page : named) {
        EXPECT_TRUE(fs::exists(HelpDir() / page)) << page << " is missing from resources/help";
        EXPECT_TRUE(files.count(page)) << page << " is not in the [FILES] of Kelvara.hhp";
    }
}

TEST(HelpPages, ProjectListsExactlyThePagesAndTheirLinksResolve) {
    std::set<std::string> files = ProjectFiles(), pages = HelpFolder(".htm");
    for (const std::string& page : pages) EXPECT_TRUE(files.count(page)) << page << " is not compiled in";
    for (const std::string& file : files) EXPECT_TRUE(fs::exists(HelpDir() / file)) << file << " is listed but missing";
    const std::regex link("href=\"([^\"#:]+)\""), local("name=\"Local\" value=\"([^\"]+)\"");
    for (const std::string& page : pages)
        for (const std::string& target : Matches(Read(HelpDir() / page), link))
            EXPECT_TRUE(files.count(target)) << page << " links to " << target;
    for (const char* table : {"contents.hhc", "index.hhk"})
        for (const std::string& target : Matches(Read(HelpDir() / table), local))
            EXPECT_TRUE(files.count(target)) << table << " names " << target;
}

TEST(HelpPages, EveryPixcodeExampleCompilesAndRuns) {
    const std::regex block("<pre class=\"pixcode\">([^<]*)</pre>");
    int examples = 0;
    for (const std::string& page : HelpFolder(".htm"))
        for (const std::string& text : Matches(Read(HelpDir() / page), block)) {
            SCOPED_TRACE(page + ":\n" + Unescape(text));
            uiscript_Reset();
            TestSurface t(64, 32);  // random colours reach every branch of the examples
            std::mt19937 rng(examples);
            FillRandom(t.get(), rng);
            static PixCell cells[PIX_CELLS];
            PixMachine m;
            PixCompileOut out;
            ASSERT_TRUE(pix_Compile(Unescape(text).c_str(), cells, &m, t.get(), &out)) << out.error;
            m.jumpBudget = 1000;  // an example never loops for long
            EXPECT_EQ(pix_RunPixels(t.get(), cells, &m), 1);
            EXPECT_TRUE(uiscript_Boxes().empty()) << uiscript_Boxes()[0].text;
            examples++;
        }
    EXPECT_GE(examples, 10);
}
