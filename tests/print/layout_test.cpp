// The page layout: cells, page breaks with list and page headers and footers, the spool
// file (offsets, sizes, failures, deletion).
#include "print/pl.h"
#include "print/spool.h"
#include "tests/print/recording_drawer.h"
#include "tests/support/message_recorder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace lysora {
namespace {

using testing::MessageRecorder;
using testing::RecordedPages;
using testing::RecordingLayout;

Row Line(const std::string& text, int h = 10) { return Row{CELL(50, h, text, "", 1)}; }

TEST(Cell, FormatLettersAndBorders)
{
    CELL right(10, 5, std::string("x"), "RBU", "LB");
    EXPECT_EQ(right.FMT, kCellRight);
    EXPECT_TRUE(right.BOLD);
    EXPECT_TRUE(right.UNDERLINED);
    EXPECT_FALSE(right.ITALIC);
    EXPECT_EQ(right.B_LEFT, 1);
    EXPECT_EQ(right.B_TOP, 0);
    EXPECT_EQ(right.B_BOTTOM, 1);

    CELL centred(10, 5, std::string("x"), "CRi", std::array<int, 4>{1, 2, 3, 4});
    EXPECT_EQ(centred.FMT, kCellCentred); // "C" wins over "R"; letters are case-sensitive
    EXPECT_FALSE(centred.ITALIC);
    EXPECT_EQ(centred.B_RIGHT, 3);
    EXPECT_EQ(CELL(1, 1, std::string(), "", 2).B_TOP, 2);
    EXPECT_EQ(CELL(1, 1).B_LEFT, 0);
}

TEST(Cell, TextsAreJoinedWithCarriageReturnOrMadeOnDemand)
{
    EXPECT_EQ(CELL(1, 1, std::vector<std::string>{"a", "b", "c"}).Text(), "a\rb\rc");
    EXPECT_EQ(CELL(1, 1, std::vector<std::string>{}).Text(), "");
    int calls = 0;
    CELL made(1, 1, std::function<std::string()>([&] { return "call " + std::to_string(++calls); }));
    EXPECT_EQ(made.Text(), "call 1");
    EXPECT_EQ(CELL(1, 1, std::function<std::string()>()).Text(), "");
}

TEST(Layout, CellGeometryInTenthsWithYNegativeDownward)
{
    std::shared_ptr<RecordedPages> pages;
    auto pl = RecordingLayout(pages);
    pl->XY(20, 30);
    pl->OUT(Row{CELL(40, 10, std::string("left")), CELL(30, 20, std::string("centre"), "C"),
                CELL(25, 10, std::string("right"), "R", 3)});
    pl->CLOSE();
    ASSERT_EQ(pages->pages.size(), 1u);
    const auto& cells = pages->pages[0];
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(cells[0].left, 200);
    EXPECT_EQ(cells[0].top, -300);
    EXPECT_EQ(cells[0].right, 600);
    EXPECT_EQ(cells[0].bottom, -400);
    EXPECT_EQ(cells[0].text_x, 215);             // 1.5 mm inset
    EXPECT_EQ(cells[0].text_y, -300 - 33);       // (10 - 3.5) / 2 mm below the top
    EXPECT_EQ(cells[0].font_height, 35);
    EXPECT_EQ(cells[1].text_x, (600 + 900) >> 1);
    EXPECT_EQ(cells[2].left, 900);
    EXPECT_EQ(cells[2].text_x, 1150 - 15);
    EXPECT_EQ(cells[2].borders, (std::array<int, 4>{3, 3, 3, 3}));
    EXPECT_EQ(cells[0].font_name, "Arial");
}

TEST(Layout, TallestCellDecidesTheRowBottomButNotTheBreak)
{
    std::shared_ptr<RecordedPages> pages;
    auto pl = RecordingLayout(pages);
    pl->XY(10, 270); // 270 + 10 = 280 mm: the first cell fits above the 287 mm limit
    pl->OUT(Row{CELL(20, 10, std::string("a")), CELL(20, 40, std::string("tall"))});
    EXPECT_EQ(pl->Y, 3100); // bottom of the tall cell, below the page: no split
    EXPECT_EQ(pl->PAGE, 1);
    pl->OUT(Line("next"));
    EXPECT_EQ(pl->PAGE, 2);
    pl->CLOSE();
    EXPECT_EQ(pages->Texts(1), std::vector<std::string>{"next"});
}

TEST(Layout, BreaksRepeatListHeaderAndCloseWithFooters)
{
    std::shared_ptr<RecordedPages> pages;
    auto pl = RecordingLayout(pages);
    pl->PAGE_TETE = {Line("page head")};
    pl->PAGE_PIED = {Line("page foot")};
    pl->LIST_TETE = {Line("list head")};
    pl->LIST_PIED = {Line("list foot")};
    // Usable height 10 ... 287 mm; heads take 20 mm, so 25 rows of 10 mm fit on page 1.
    for (int i = 1; i <= 30; ++i)
        pl->OUT(Line("row " + std::to_string(i)));
    pl->CLOSE();
    ASSERT_EQ(pl->PageCount(), 2);
    auto first = pages->Texts(0);
    ASSERT_GE(first.size(), 4u);
    EXPECT_EQ(first[0], "page head");
    EXPECT_EQ(first[1], "list head");
    EXPECT_EQ(first[2], "row 1");
    EXPECT_EQ(first[first.size() - 3], "row 25");
    EXPECT_EQ(first[first.size() - 2], "list foot");
    EXPECT_EQ(first.back(), "page foot");
    auto second = pages->Texts(1);
    EXPECT_EQ(second, (std::vector<std::string>{"page head", "list head", "row 26", "row 27", "row 28", "row 29",
                                                "row 30", "list foot", "page foot"}));
    EXPECT_EQ(pages->pages[0][0].font_height, 50); // the page header's font size
    EXPECT_EQ(pages->pages[0][2].font_height, 35);
}

TEST(Layout, HeadersAndFootersTallerThanThePageEndInsteadOfLooping)
{
    std::shared_ptr<RecordedPages> pages;
    auto pl = RecordingLayout(pages);
    pl->PAGE_TETE = {Line("huge head", 400)};
    pl->PAGE_PIED = {Line("huge foot", 400)};
    pl->OUT(Line("row"));
    pl->CLOSE();
    // The row fits under the head on no page: it stays on page 1 rather than leave it empty.
    EXPECT_EQ(pl->PageCount(), 1);
    EXPECT_EQ(pages->Texts(0), (std::vector<std::string>{"huge head", "row", "huge foot"}));
}

TEST(Layout, ListHeaderNeverStandsAloneAtTheBottomOfAPage)
{
    std::shared_ptr<RecordedPages> pages;
    auto pl = RecordingLayout(pages);
    pl->PAGE_TETE = {Line("page head")};
    pl->OUT(Line("intro")); // before the list
    pl->LIST_TETE = {Line("list head", 8)};
    pl->LIST_PIED = {Line("list foot")};
    // The list starts 272 mm down: its 8 mm header would fit above the 287 mm limit, the
    // header and a 10 mm row would not. Both move to page 2.
    pl->XY(10, 272);
    pl->OUT(Line("row 1"));
    // A row taller than any page: drawn under the headers of a new page, once.
    pl->OUT(Line("too tall", 300));
    pl->OUT(Line("after"));
    pl->CLOSE();
    ASSERT_EQ(pl->PageCount(), 4);
    EXPECT_EQ(pages->Texts(0), (std::vector<std::string>{"page head", "intro"}));
    EXPECT_EQ(pages->Texts(1), (std::vector<std::string>{"page head", "list head", "row 1", "list foot"}));
    EXPECT_EQ(pages->Texts(2), (std::vector<std::string>{"page head", "list head", "too tall", "list foot"}));
    EXPECT_EQ(pages->Texts(3), (std::vector<std::string>{"page head", "list head", "after", "list foot"}));
    EXPECT_EQ(pages->pages[1][1].top, -(100 + 100)); // the header at the top of page 2
}

TEST(Layout, GapOnFreshDocumentOpensPageOneAndCloseAddsNoEmptyPage)
{
    std::shared_ptr<RecordedPages> pages;
    auto pl = RecordingLayout(pages);
    pl->PAGE_TETE = {Line("head")};
    pl->CLOSE();
    EXPECT_EQ(pl->PageCount(), 0);
    pl->OUT(5.0);
    EXPECT_EQ(pl->PAGE, 1);
    EXPECT_EQ(pl->Y, 100 + 100 + 50); // top margin, head, gap
    pl->CLOSE();
    pl->CLOSE();
    pl->FORMFEED();
    EXPECT_EQ(pl->PageCount(), 1);
    EXPECT_EQ(pages->Texts(0), std::vector<std::string>{"head"});
}

TEST(Spool, PagesAreAppendedWithCumulativeOffsetsAndReadBack)
{
    std::shared_ptr<RecordedPages> pages;
    auto pl = RecordingLayout(pages);
    for (int i = 0; i < 3; ++i) {
        pl->OUT(Line(std::string(std::size_t(i * 7 + 1), 'x')));
        pl->FORMFEED();
    }
    ASSERT_EQ(pl->PageCount(), 3);
    EXPECT_EQ(pl->FILEPOS[0], 0u);
    EXPECT_EQ(pl->FILEPOS[1], pl->FILESIZE[0]);
    EXPECT_EQ(pl->FILEPOS[2], pl->FILESIZE[0] + pl->FILESIZE[1]);
    EXPECT_NE(pl->FILESIZE[0], pl->FILESIZE[2]);
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(pl->ReadPage(2, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "page 2:" + std::string(8, 'x') + ";");
    EXPECT_FALSE(pl->ReadPage(0, bytes));
    EXPECT_FALSE(pl->ReadPage(4, bytes));
    EXPECT_EQ(FileSize(pl->FILE), (long long)(pl->FILEPOS[2] + pl->FILESIZE[2]));
}

TEST(Spool, FileIsCreatedWithTheLayoutAndErasedWithIt)
{
    std::shared_ptr<RecordedPages> pages;
    std::string path;
    {
        auto pl = RecordingLayout(pages);
        path = pl->FILENAME;
        ASSERT_FALSE(path.empty());
        EXPECT_TRUE(std::filesystem::exists(path));
        EXPECT_NE(std::filesystem::path(path).filename().string().find("MTX"), std::string::npos);
        pl->OUT(Line("x"));
        pl->CLOSE();
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(Spool, AFailedWriteIsReportedOnceAndLeavesNoPartialPage)
{
    MessageRecorder messages;
    std::shared_ptr<RecordedPages> pages;
    auto pl = RecordingLayout(pages);
    pl->OUT(Line("written"));
    pl->FORMFEED();
    // The spool file becomes read-only: every later write fails.
    std::fclose(pl->FILE);
    pl->FILE = std::fopen(pl->FILENAME.c_str(), "rb");
    ASSERT_NE(pl->FILE, nullptr);
    pl->OUT(Line("lost"));
    pl->FORMFEED();
    pl->OUT(Line("lost too"));
    pl->CLOSE();
    EXPECT_EQ(pl->PageCount(), 1);
    EXPECT_FALSE(pl->SpoolOk());
    ASSERT_EQ(messages.shown.size(), 1u) << messages.Texts();
    EXPECT_NE(messages.shown[0].text.find("Erreur écriture"), std::string::npos);
}

} // namespace
} // namespace lysora
