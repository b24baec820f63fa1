// The help pages the build writes into bin/help: every topic of the page map exists in both
// languages and nothing else does, each page is valid HTML for tidy, every link, anchor and
// picture resolves, and the whole-table page holds exactly the values of the tables as an
// independent reader (Debian's python3 with dbfread) sees them.
#include "services/help.h"
#include "tests/support/run_command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace lysora {
namespace {

namespace fs = std::filesystem;

// Tests run in the build's bin/ folder.
const fs::path kHelp = fs::current_path() / "help";

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

using testing::RunCommand;

std::set<std::string> Pages(const char* language)
{
    std::set<std::string> pages;
    for (const fs::directory_entry& entry : fs::directory_iterator(kHelp / language))
        pages.insert(entry.path().filename().string());
    return pages;
}

std::vector<fs::path> AllPages()
{
    std::vector<fs::path> pages;
    for (const char* language : {"eng", "fra"})
        for (const std::string& page : Pages(language))
            pages.push_back(kHelp / language / page);
    return pages;
}

TEST(HelpPages, BothLanguagesHoldExactlyThePagesOfTheTopicTable)
{
    std::set<std::string> expected;
    for (const HelpTopic& topic : HelpTopics())
        expected.insert(topic.page);
    EXPECT_EQ(expected.size(), std::size(HelpTopics())); // one page per topic
    EXPECT_EQ(Pages("eng"), expected);
    EXPECT_EQ(Pages("fra"), expected);
}

TEST(HelpPages, EveryPageIsValidHtmlForTidy)
{
    for (const fs::path& page : AllPages()) {
        auto [status, output] = RunCommand("tidy -e -q \"" + page.string() + "\"");
        // tidy: 0 clean, 1 warnings, 2 errors.
        EXPECT_EQ(status, 0) << page << "\n" << output;
    }
}

TEST(HelpPages, EveryLinkAnchorAndPictureResolves)
{
    const std::regex reference(R"re((href|src)="([^"]*)")re"), anchor(R"re(id="([^"]*)")re");
    int checked = 0;
    for (const fs::path& page : AllPages()) {
        const std::string html = ReadText(page);
        for (std::sregex_iterator it(html.begin(), html.end(), reference), end; it != end; ++it) {
            const std::string target = (*it)[2];
            ASSERT_FALSE(target.empty()) << page;
            ASSERT_EQ(target.find("://"), std::string::npos) << page << ": the help links only to itself: " << target;
            const std::size_t hash = target.find('#');
            const fs::path file = hash == 0 ? page : page.parent_path() / target.substr(0, hash);
            ASSERT_TRUE(fs::is_regular_file(file)) << page << ": " << target;
            if (hash != std::string::npos) {
                const std::string ids = ReadText(file), id = target.substr(hash + 1);
                EXPECT_NE(ids.find("id=\"" + id + "\""), std::string::npos) << page << ": no anchor " << target;
            }
            ++checked;
        }
        // Anchors are unique within their page.
        std::set<std::string> ids;
        for (std::sregex_iterator it(html.begin(), html.end(), anchor), end; it != end; ++it)
            EXPECT_TRUE(ids.insert((*it)[1]).second) << page << ": id " << (*it)[1] << " twice";
    }
    EXPECT_GT(checked, 100);
}

TEST(HelpPages, TheMenuPagesShowTheirScreenshotsInTheirLanguage)
{
    EXPECT_NE(ReadText(kHelp / "eng" / "menu.html").find("src=\"../pictures/menu_en.png\""), std::string::npos);
    EXPECT_NE(ReadText(kHelp / "fra" / "menu.html").find("src=\"../pictures/menu_fr.png\""), std::string::npos);
}

TEST(HelpPages, EachPageNamesItsLanguageAndLinksToTheSamePageInTheOther)
{
    for (const HelpTopic& topic : HelpTopics()) {
        const std::string english = ReadText(kHelp / "eng" / topic.page), french = ReadText(kHelp / "fra" / topic.page);
        EXPECT_NE(english.find("<html lang=\"en\">"), std::string::npos) << topic.page;
        EXPECT_NE(french.find("<html lang=\"fr\">"), std::string::npos) << topic.page;
        EXPECT_NE(english.find(std::string("href=\"../fra/") + topic.page + "\""), std::string::npos) << topic.page;
        EXPECT_NE(french.find(std::string("href=\"../eng/") + topic.page + "\""), std::string::npos) << topic.page;
        // The sample-data notice of the tables stands at the foot of every page.
        EXPECT_NE(english.find("not for feed formulation"), std::string::npos) << topic.page;
        EXPECT_NE(french.find("ne pas utiliser pour formuler"), std::string::npos) << topic.page;
    }
}

TEST(HelpPages, TheWholeTableHoldsExactlyTheValuesOfTheTables)
{
    for (const char* language : {"ENG", "FRA"}) {
        auto [status, output] = RunCommand("/usr/bin/python3 \"" LYSORA_HELP_TESTS_DIR "/check_whole_table.py\" \"" +
                                    fs::current_path().string() + "\" " + language);
        EXPECT_EQ(status, 0) << output;
        EXPECT_NE(output.find(" values compared, 0 differences"), std::string::npos) << output;
    }
}

} // namespace
} // namespace lysora
