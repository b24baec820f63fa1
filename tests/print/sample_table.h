// Test helper: a comparison table of made-up feedstuffs, as the comparison dialog hands it
// to the print functions.
#pragma once

#include "print/value_table.h"

#include <string>

namespace lysora::testing {

inline ComparisonPrint SampleTable(int rows, int columns)
{
    ComparisonPrint table;
    table.title = "Comparison of raw nutrients";
    table.footer = {"Lysora", "Illustrative sample data", "07/12/2026 19:30"};
    for (int k = 1; k <= columns; ++k)
        table.columns.push_back("AA" + std::to_string(k));
    for (int i = 1; i <= rows; ++i) {
        TableRow row{Value("Feed" + std::to_string(i))};
        for (int k = 1; k <= columns; ++k)
            row.push_back(Value(i % 7 == 0 ? 0.0 : i + k / 10.0));
        table.rows.push_back(row);
    }
    return table;
}

} // namespace lysora::testing
