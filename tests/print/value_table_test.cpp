// Printed value tables: blocks of 19 columns, the number display rule, page breaks with the
// footer and the repeated header line, and the RTF export of the same table.
#include "print/value_table.h"

#include "data/domain_text.h"
#include "tests/print/recording_drawer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace lysora {
namespace {

using testing::RecordedPages;
using testing::RecordingLayout;

ComparisonPrint Table(int columns, int rows)
{
    ComparisonPrint table;
    table.title = "Comparison of raw nutrients";
    table.footer = {"Lysora", "Sample data", "07/12/26 19:30"};
    for (int k = 1; k <= columns; ++k)
        table.columns.push_back("N" + std::to_string(k));
    for (int i = 1; i <= rows; ++i) {
        TableRow row{Value("Feed " + std::to_string(i))};
        for (int k = 1; k <= columns; ++k)
            row.push_back(Value(i + k / 100.0));
        table.rows.push_back(row);
    }
    return table;
}

TEST(DisplayText, NilBlankZeroDashNumbersWithTheSeparator)
{
    EXPECT_EQ(DisplayText(Value(), ','), "");
    EXPECT_EQ(DisplayText(Value(0.0), ','), "-");
    EXPECT_EQ(DisplayText(Value(2.5), ','), "2,50");
    EXPECT_EQ(DisplayText(Value(12.0), ','), "12");
    EXPECT_EQ(DisplayText(Value(-0.25), '.'), "-0.25");
    EXPECT_EQ(DisplayText(Value("Maize"), ','), "Maize");
}

TEST(ValueTable, TwentyColumnsPrintInBlocksOfNineteenThenOne)
{
    std::shared_ptr<RecordedPages> pages;
    auto pl = RecordingLayout(pages, true);
    IMPRIMERVALEURS(*pl, Table(20, 3));
    ASSERT_EQ(pl->PageCount(), 1);
    auto texts = pages->Texts(0);
    // Title band, header line of block 1 (corner + 19), 3 rows of 20 cells, header of
    // block 2 (corner + 1), 3 rows of 2, footer of 3 lines.
    ASSERT_EQ(texts.size(), 1u + 20 + 3 * 20 + 2 + 3 * 2 + 3);
    EXPECT_EQ(texts[0], "Comparison of raw nutrients");
    EXPECT_EQ(texts[1], "");
    EXPECT_EQ(texts[2], "N1");
    EXPECT_EQ(texts[20], "N19");
    EXPECT_EQ(texts[21], "Feed 1");
    EXPECT_EQ(texts[22], "1.01");
    const std::size_t block2 = 1 + 20 + 60;
    EXPECT_EQ(texts[block2 + 1], "N20");
    EXPECT_EQ(texts[block2 + 2], "Feed 1");
    EXPECT_EQ(texts[block2 + 3], "1.20");
    EXPECT_EQ(texts[texts.size() - 3], "Lysora");
    EXPECT_EQ(texts.back(), "07/12/26 19:30");
    // Printed widths: title column 80 mm, values 10 mm, 3 mm characters, borders of 2.
    const CellBox& title = pages->pages[0][21];
    EXPECT_EQ(title.right - title.left, 800);
    EXPECT_EQ(pages->pages[0][22].right - pages->pages[0][22].left, 100);
    EXPECT_EQ(pages->pages[0][22].font_height, 30);
    EXPECT_EQ(pages->pages[0][22].borders, (std::array<int, 4>{2, 2, 2, 2}));
}

TEST(ValueTable, ColumnWithoutValuesIsBlankAndMissingPairShowsDash)
{
    std::shared_ptr<RecordedPages> pages;
    auto pl = RecordingLayout(pages, true);
    ComparisonPrint table = Table(2, 2);
    table.rows[0][2] = Value();
    table.rows[1][2] = Value();
    table.rows[1][1] = Value(0.0);
    SetDecimalSeparator(',');
    IMPRIMERTABLEAU(*pl, table.columns, table.rows, "Title", table.footer);
    SetDecimalSeparator('.');
    pl->CLOSE();
    EXPECT_EQ(pages->Texts(0), (std::vector<std::string>{"Title", "", "N1", "N2", "Feed 1", "1,01", "", "Feed 2", "-", ""}));
}

TEST(ValueTable, LongTableBreaksBelow182mmWithFooterAndRepeatedHeader)
{
    std::shared_ptr<RecordedPages> pages;
    auto pl = RecordingLayout(pages, true);
    ComparisonPrint table = Table(3, 60);
    IMPRIMERVALEURS(*pl, table);
    ASSERT_EQ(pl->PageCount(), 2); // the footer's date stamp does not begin a page of its own
    auto first = pages->Texts(0), second = pages->Texts(1);
    EXPECT_EQ(first[0], table.title);
    EXPECT_EQ(first[first.size() - 3], "Lysora");
    EXPECT_EQ(first.back(), "07/12/26 19:30");
    EXPECT_EQ(second[0], table.title);
    EXPECT_EQ(second[1], "");
    EXPECT_EQ(second[2], "N1"); // the header line again
    EXPECT_EQ(second.back(), "07/12/26 19:30");
    // Every table line on page 1 starts at or above 182 mm.
    for (const CellBox& cell : pages->pages[0]) {
        if (cell.text.rfind("Feed", 0) == 0) {
            EXPECT_GE(cell.top, -1820 - 50) << cell.text;
        }
    }
    // No row is lost or repeated.
    int feeds = 0;
    for (std::size_t p = 0; p < 2; ++p)
        for (const std::string& text : pages->Texts(p))
            feeds += text.rfind("Feed", 0) == 0;
    EXPECT_EQ(feeds, 60);
}

TEST(ValueTable, RtfExportHasEveryCellInOrderWithoutFooter)
{
    const auto path = std::filesystem::temp_directory_path() / "lysora_value_table_test.rtf";
    ComparisonPrint table = Table(20, 2);
    ASSERT_TRUE(EXPORTRTF(path.string(), table));
    std::stringstream all;
    {
        std::ifstream in(path, std::ios::binary);
        all << in.rdbuf();
    } // closed before it is removed
    const std::string rtf = all.str();
    std::filesystem::remove(path);
    std::size_t at = rtf.find("Comparison of raw nutrients");
    ASSERT_NE(at, std::string::npos);
    for (const char* wanted : {"N1}", "N19}", "Feed 1}", "1.01}", "1.19}", "Feed 2}", "N20}", "Feed 1}", "1.20}"}) {
        at = rtf.find(wanted, at);
        ASSERT_NE(at, std::string::npos) << wanted;
    }
    EXPECT_EQ(rtf.find("Lysora"), std::string::npos);
    EXPECT_NE(rtf.find("\\cellx2552"), std::string::npos); // title column 45 mm
    EXPECT_NE(rtf.find("{\\f4\\fs18 N1}"), std::string::npos); // 3.2 mm characters
}

} // namespace
} // namespace lysora
