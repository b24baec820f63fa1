// The map from help requests to pages: every request the program makes reaches its own page
// in the language of the help file, whatever the folder, separator or letter case; unknown
// topics fall back to the file's contents, and a file that is no help file of the program
// maps to nothing.
#include "services/help.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace lysora {
namespace {

TEST(HelpMap, EachRequestOfTheProgramReachesItsOwnPage)
{
    const std::string dir = "C:\\Program Files\\Lysora\\";
    EXPECT_EQ(HelpPagePath(dir + "helpeng.hlp", kHelpContents, 0), dir + "help\\eng\\index.html");
    EXPECT_EQ(HelpPagePath(dir + "helpeng.hlp", kHelpContext, 10), dir + "help\\eng\\menu.html");
    EXPECT_EQ(HelpPagePath(dir + "helpeng.hlp", kHelpContext, 20), dir + "help\\eng\\sheet.html");
    EXPECT_EQ(HelpPagePath(dir + "helpeng.hlp", kHelpContext, 30), dir + "help\\eng\\selection.html");
    EXPECT_EQ(HelpPagePath(dir + "helpeng.hlp", kHelpContext, 40), dir + "help\\eng\\comparison.html");
    EXPECT_EQ(HelpPagePath(dir + "helpeng.hlp", kHelpContext, 50), dir + "help\\eng\\table.html");
    EXPECT_EQ(HelpPagePath(dir + "cptsfra.hlp", kHelpContents, 0), dir + "help\\fra\\concepts.html");
    EXPECT_EQ(HelpPagePath(dir + "cptsfra.hlp", kHelpContext, 9), dir + "help\\fra\\authors.html");
    EXPECT_EQ(HelpPagePath(dir + "cptsfra.hlp", kHelpContext, 15), dir + "help\\fra\\legal.html");
}

TEST(HelpMap, TopicsAreUniqueAndEveryPageBelongsToOneFile)
{
    std::set<std::string> pages, requests;
    for (const HelpTopic& topic : HelpTopics()) {
        EXPECT_TRUE(pages.insert(topic.page).second) << topic.page;
        EXPECT_TRUE(requests.insert(std::string(topic.kind) + std::to_string(topic.command) + "/" +
                                    std::to_string(topic.context)).second)
            << topic.page;
        // Each topic is reached through the path the program asks for.
        const std::string hlp = std::string("/opt/lysora/") + topic.kind + "eng.hlp";
        EXPECT_EQ(HelpPagePath(hlp, topic.command, topic.context), std::string("/opt/lysora/help/eng/") + topic.page);
    }
}

TEST(HelpMap, NamesAreMatchedWithoutRegardToCaseAndKeepTheirSeparator)
{
    EXPECT_EQ(HelpPagePath("D:/Feed/HELPFRA.HLP", kHelpContext, 20), "D:/Feed/help/fra/sheet.html");
    EXPECT_EQ(HelpPagePath("helpEng.Hlp", kHelpContext, 10), "help\\eng\\menu.html");
}

TEST(HelpMap, AnUnknownTopicShowsTheContentsOfItsFile)
{
    EXPECT_EQ(HelpPagePath("x\\helpeng.hlp", kHelpContext, 77), "x\\help\\eng\\index.html");
    // A topic of the other file is no topic of this one.
    EXPECT_EQ(HelpPagePath("x\\helpeng.hlp", kHelpContext, 9), "x\\help\\eng\\index.html");
    EXPECT_EQ(HelpPagePath("x\\cptseng.hlp", kHelpContext, 50), "x\\help\\eng\\concepts.html");
}

TEST(HelpMap, FilesThatAreNoHelpOfTheProgramMapToNothing)
{
    for (const char* file : {"", "C:\\Lysora\\", "C:\\Lysora\\helpdeu.hlp", "C:\\Lysora\\menueng.hlp",
                             "C:\\Lysora\\helpeng.chm", "C:\\Lysora\\xhelpeng.hlp", "helpeng.hlp\\"})
        EXPECT_EQ(HelpPagePath(file, kHelpContents, 0), "") << file;
}

} // namespace
} // namespace lysora
