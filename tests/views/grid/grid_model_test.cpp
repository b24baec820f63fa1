// The grid's model without a window: the number display rule, the sort order (numbers,
// zeros and missing values; a second click reverses; rows assigned later come out sorted),
// scroll positions that never leave their range, and header hit tests.
#include "views/grid/grid_model.h"

#include "base/display_number.h"

#include <gtest/gtest.h>

namespace lysora {
namespace {

Value Row(std::string title, ValueArray cells)
{
    cells.insert(cells.begin(), Value(std::move(title)));
    return Value(std::move(cells));
}

// The titles of the rows in their current order.
std::vector<std::string> Titles(const GridModel& grid)
{
    std::vector<std::string> titles;
    for (const Value& row : grid.Rows().Array())
        titles.push_back(row.Array().front().Text());
    return titles;
}

GridGeometry Sheet() { return GridGeometry{160, 38, 13, 18, 11}; }

TEST(DisplayNumber, NilBlankZeroDashWholeWithoutDecimalsOthersWithTheTablesTwo)
{
    EXPECT_EQ(DisplayNumber(Value()), "");
    EXPECT_EQ(DisplayNumber(Value("12")), "");
    EXPECT_EQ(DisplayNumber(Value(0)), "-");
    EXPECT_EQ(DisplayNumber(Value(-0.0)), "-");
    EXPECT_EQ(DisplayNumber(Value(12)), "12");
    EXPECT_EQ(DisplayNumber(Value(2.5), ','), "2,50");
    EXPECT_EQ(DisplayNumber(Value(0.3), ','), "0,30");
    EXPECT_EQ(DisplayNumber(Value(12.3), ','), "12,30"); // never 12,300000000000001
    EXPECT_EQ(DisplayNumber(Value(-0.75)), "-0.75");
    EXPECT_EQ(DisplayNumber(Value(999.99), ','), "999,99");
    EXPECT_EQ(DisplayNumber(Value(1234567.0)), "1234567"); // no exponent
    EXPECT_EQ(DisplayNumber(Value(0.1 + 0.2)), "0.30");
    EXPECT_EQ(DisplayNumber(Value(2.675)), "2.68"); // rounded as the decimal text reads
    EXPECT_EQ(DisplayNumber(Value(0.004)), "0"); // rounds to nothing: no "-0" nor "0,00"
    EXPECT_EQ(DisplayNumber(Value(-0.004)), "0");
    EXPECT_EQ(NumberText(2.96, 1), "3"); // a chart label: rounded first, then whole
    EXPECT_EQ(NumberText(2.5, 1), "2.5");
}

TEST(GridSort, AscendingPutsZerosAfterPositivesAndMissingValuesLast)
{
    GridModel grid(Sheet());
    grid.SetRows(Value(ValueArray{Row("a", {12}), Row("b", {0}), Row("c", {Value()}), Row("d", {3})}));
    grid.SortRows(2);
    EXPECT_EQ(Titles(grid), (std::vector<std::string>{"d", "a", "b", "c"}));
    EXPECT_EQ(grid.SortDirection(), +1);

    grid.SortRows(2); // the same header again: descending
    EXPECT_EQ(Titles(grid), (std::vector<std::string>{"a", "d", "b", "c"}));
    EXPECT_EQ(grid.SortDirection(), -1);

    grid.SortRows(1); // another header starts ascending, by row title
    EXPECT_EQ(Titles(grid), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(grid.SortElement(), 1);
    EXPECT_EQ(grid.SortDirection(), +1);
}

TEST(GridSort, StrictOrderEvenWithManyEqualKeys)
{
    // Equal keys must never compare "before" each other: a sort with such a predicate may
    // run past the array. Many equal zeros and missing values exercise that.
    for (const Value& v : {Value(), Value(0), Value(5), Value("x")}) {
        EXPECT_FALSE(GoesBeforeAscending(v, v));
        EXPECT_FALSE(GoesBeforeDescending(v, v));
    }
    ValueArray rows;
    for (int i = 0; i < 500; ++i)
        rows.push_back(Row("r" + std::to_string(i), {i % 3 == 0 ? Value() : Value(i % 2 ? 0 : 7)}));
    GridModel grid(Sheet());
    grid.SetRows(Value(rows));
    grid.SortRows(2);
    const ValueArray& sorted = grid.Rows().Array();
    for (std::size_t i = 1; i < sorted.size(); ++i)
        EXPECT_FALSE(GoesBeforeAscending(sorted[i].Array()[1], sorted[i - 1].Array()[1])) << i;
    // Equal keys keep their first order (stable).
    EXPECT_EQ(sorted.front().Array()[0].Text(), "r2");
}

TEST(GridSort, RowsAssignedLaterAreSortedInTheCallersArray)
{
    GridModel grid(Sheet());
    grid.SortRows(1); // as the owners do before any row exists
    Value rows(ValueArray{Row("Wheat", {1}), Row("Barley", {2}), Row("Maize", {3})});
    grid.SetRows(rows);
    EXPECT_EQ(Titles(grid), (std::vector<std::string>{"Barley", "Maize", "Wheat"}));
    EXPECT_EQ(rows.Array().front().Array()[0].Text(), "Barley"); // sorted in place, shared
}

TEST(GridRows, CountsEmptyAndShortRowsWithoutReadingPastThem)
{
    GridModel grid(Sheet());
    grid.SetRows(Value(ValueArray{}));
    EXPECT_EQ(grid.RowCount(), 0);
    EXPECT_EQ(grid.ColumnCount(), 0);
    EXPECT_FALSE(grid.VerticalBarNeeded());
    EXPECT_FALSE(grid.HorizontalBarNeeded());
    grid.SetRows(Value("not rows"));
    EXPECT_EQ(grid.RowCount(), 0);

    grid.SetRows(Value(ValueArray{Row("full", {1, 2, 3}), Row("short", {4})}));
    EXPECT_EQ(grid.ColumnCount(), 3);
    EXPECT_EQ(grid.CellText(1, 0, '.'), "4");
    EXPECT_EQ(grid.CellText(1, 2, '.'), ""); // missing cell: no value
    grid.SortRows(4);                         // sorting on a cell the short row lacks
    EXPECT_EQ(Titles(grid), (std::vector<std::string>{"full", "short"}));
}

TEST(GridScroll, BarsFollowTheVisibleCountsAndPositionsStayInRange)
{
    GridModel grid(Sheet()); // 13 columns and 11 rows visible
    auto rowsOf = [](int rows, int cols) {
        ValueArray all;
        for (int r = 0; r < rows; ++r)
            all.push_back(Row("r", ValueArray(std::size_t(cols), Value(1))));
        return Value(all);
    };
    grid.SetRows(rowsOf(11, 12));
    EXPECT_FALSE(grid.HorizontalBarNeeded());
    EXPECT_FALSE(grid.VerticalBarNeeded());
    grid.SetRows(rowsOf(30, 14));
    EXPECT_TRUE(grid.HorizontalBarNeeded());
    EXPECT_EQ(grid.MaxFirstCol(), 1);
    EXPECT_EQ(grid.MaxFirstRow(), 19);

    EXPECT_FALSE(grid.ScrollRows(-1));
    EXPECT_TRUE(grid.ScrollRows(100));
    EXPECT_EQ(grid.FirstRow(), 19);
    EXPECT_TRUE(grid.ScrollCols(3));
    EXPECT_EQ(grid.FirstCol(), 1);
    EXPECT_EQ(grid.ShownRows(), 11);
    EXPECT_EQ(grid.ShownCols(), 13);

    grid.SetRows(rowsOf(5, 2)); // fewer rows now: positions come back into range
    EXPECT_EQ(grid.FirstRow(), 0);
    EXPECT_EQ(grid.FirstCol(), 0);
    EXPECT_EQ(grid.ShownRows(), 5);
}

TEST(GridHits, HeaderPressesPickTheElementTheyShow)
{
    GridModel grid(GridGeometry{240, 38, 13, 18, 19});
    ValueArray rows;
    rows.push_back(Row("r", ValueArray(20, Value(1))));
    grid.SetRows(Value(rows));
    const int width = 240 + 13 * 38 + 1 + 16;
    EXPECT_EQ(grid.HeaderElementAt(10, 5, width, 16), 1);          // the title cell
    EXPECT_EQ(grid.HeaderElementAt(240, 0, width, 16), 2);         // first value column
    EXPECT_EQ(grid.HeaderElementAt(240 + 38 * 2 + 1, 17, width, 16), 4);
    EXPECT_EQ(grid.HeaderElementAt(240, 18, width, 16), std::nullopt); // first row, not header
    EXPECT_EQ(grid.HeaderElementAt(width - 16, 5, width, 16), std::nullopt); // on the bar
    grid.ScrollCols(5);
    EXPECT_EQ(grid.HeaderElementAt(240, 5, width, 16), 7); // scrolled columns count

    GridModel narrow(GridGeometry{240, 38, 13, 18, 19});
    narrow.SetRows(Value(ValueArray{Row("r", {1, 2})}));
    EXPECT_EQ(narrow.HeaderElementAt(240 + 38 * 5, 5, width, 16), std::nullopt); // no column there

    EXPECT_EQ(grid.Geometry().Y2I(17), -1); // in the header
    EXPECT_EQ(grid.Geometry().Y2I(18), 0);
    EXPECT_EQ(grid.Geometry().X2C(239), -1);
}

} // namespace
} // namespace lysora
