// The number display rule shared by the grid, the spreadsheet exports and the printed tables:
// no value shows blank, 0 shows "-", any other number shows its shortest exact text without
// blanks (a whole number without decimals), with "." replaced by the given decimal separator.
#pragma once

#include "base/value.h"

#include <string>

namespace lysora {

// The text of a number alone, "." replaced by decimalSeparator: 12 -> "12", 2.5 -> "2,5".
std::string NumberText(double number, char decimalSeparator = '.');
// The display rule for a cell: nil (or anything not a number) -> "", 0 -> "-", else NumberText.
std::string DisplayNumber(const Value& value, char decimalSeparator = '.');

} // namespace lysora
