// The number display rule shared by the grids, the spreadsheet and formulation exports, the
// RTF documents and the printed tables: no value shows blank, 0 shows "-", a whole number
// shows without decimals and any other with the decimals of its table field (two for every
// value the tables hold), "." replaced by the given decimal separator: 5.7 reads "5,70".
#pragma once

#include "base/value.h"

#include <string>

namespace lysora {

// Decimals of the value fields of the tables: means and standard deviations (the number of
// values has none, and so is always whole).
inline constexpr int kValueDecimals = 2;

// The number with exactly `decimals` decimals, rounded as its decimal text reads (2.675 gives
// "2.68"), "." as decimal point; empty when the number is not finite.
std::string FixedText(double number, int decimals);
// The number as the program writes it: rounded to `decimals` decimals, a whole result without
// any, "." replaced by decimalSeparator: (12, 2) "12", (5.7, 2, ',') "5,70", (2.96, 1) "3".
std::string NumberText(double number, int decimals, char decimalSeparator = '.');
// A table value in a cell: nil (or anything not a number) "", 0 "-", else NumberText with
// the tables' decimals.
std::string DisplayNumber(const Value& value, char decimalSeparator = '.');

} // namespace lysora
