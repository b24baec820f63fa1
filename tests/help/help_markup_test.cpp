// The help markup: each construct becomes its HTML, text is escaped, lists and tables close
// where they end, and faults in a source are reported with their line instead of producing
// a broken page.
#include "tools/makehelp/help_markup.h"
#include "tools/makehelp/whole_table.h"

#include <gtest/gtest.h>

namespace lysora::help {
namespace {

Page Convert(const std::string& source)
{
    return ConvertMarkup(source, [] { return std::string("<p>TABLE</p>\n"); });
}

TEST(HelpMarkup, ConstructsBecomeTheirHtml)
{
    const Page page = Convert("title: Guide & more\n"
                              "# a comment\n"
                              "== Section {#first}\n"
                              "One **line\nand** the next.\n"
                              "\n"
                              "- item [[menu.html|the menu]]\n"
                              "- **bold** item\n"
                              "| A | B |\n"
                              "| 1 < 2 | [[a.html|x]] |\n"
                              "picture: menu_en.png | The \"menu\"\n"
                              "note: careful\n"
                              "wholetable:\n");
    EXPECT_TRUE(page.problems.empty()) << page.problems.front();
    EXPECT_EQ(page.title, "Guide &amp; more");
    EXPECT_EQ(page.body, "<h2 id=\"first\">Section</h2>\n"
                         "<p>One <strong>line\nand</strong> the next.</p>\n"
                         "<ul>\n<li>item <a href=\"menu.html\">the menu</a></li>\n<li><strong>bold</strong> item</li>\n</ul>\n"
                         "<table>\n<thead>\n<tr><th>A</th><th>B</th></tr>\n</thead>\n<tbody>\n"
                         "<tr><td>1 &lt; 2</td><td><a href=\"a.html\">x</a></td></tr>\n</tbody>\n</table>\n"
                         "<figure><img src=\"../pictures/menu_en.png\" alt=\"The &quot;menu&quot;\">"
                         "<figcaption>The &quot;menu&quot;</figcaption></figure>\n"
                         "<p class=\"note\">careful</p>\n"
                         "<p>TABLE</p>\n");
    EXPECT_EQ(page.pictures, std::vector<std::string>{"menu_en.png"});
}

TEST(HelpMarkup, AListOrTableEndsAtABlankLineOrAnotherConstruct)
{
    const Page page = Convert("title: t\n- a\n\n- b\ntext\n| h |\n\n| h2 |\n");
    EXPECT_EQ(page.body, "<ul>\n<li>a</li>\n</ul>\n<ul>\n<li>b</li>\n</ul>\n<p>text</p>\n"
                         "<table>\n<thead>\n<tr><th>h</th></tr>\n</thead>\n<tbody>\n</tbody>\n</table>\n"
                         "<table>\n<thead>\n<tr><th>h2</th></tr>\n</thead>\n<tbody>\n</tbody>\n</table>\n");
}

TEST(HelpMarkup, FaultsAreReportedWithTheirLine)
{
    const Page page = Convert("== No title yet\nsome **bold\n\n[[broken link\npicture: nocaption.png\ntitle: a\ntitle: b\n");
    ASSERT_EQ(page.problems.size(), 4u);
    EXPECT_EQ(page.problems[0], "line 2: ** left open");
    EXPECT_EQ(page.problems[1], "line 4: a link is [[page.html|label]]");
    EXPECT_EQ(page.problems[2], "line 5: a picture is picture: file.png | caption");
    EXPECT_EQ(page.problems[3], "line 7: a page has one title");
    // The open bold is closed, so the page stays well formed.
    EXPECT_NE(page.body.find("some <strong>bold</strong>"), std::string::npos);
    EXPECT_EQ(Convert("just text\n").problems, std::vector<std::string>{"line 1: the page has no title: line"});
}

} // namespace
} // namespace lysora::help
