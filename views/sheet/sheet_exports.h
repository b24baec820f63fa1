// The feedstuff sheet's exports as texts, without a window: the spreadsheet file (fields
// separated by ";", the user's decimal separator) and the import file of the OLVAN 2
// formulation software (fields separated by TAB, "." always), both with CR LF line ends.
// What is exported is what the sheet's grids hold.
#pragma once

#include "base/value.h"

#include <string>
#include <vector>

namespace lysora {

// One group as the sheet shows it: the nutrients' short names and its grid's rows (each
// { title, cell 1 ... cell n }).
struct ExportGroup {
    std::vector<std::string> courts;
    Value rows;
};

// The spreadsheet text: the name, the definition, an empty line, the header (";" and each
// short name, the permanent nutrient, first in every group, only in the first group), then
// the eleven value rows in the same columns: nothing for no value, "-" for 0, else the
// number with decimalSeparator.
std::string SpreadsheetText(const std::string& name, const std::string& definition,
                            const std::vector<ExportGroup>& groups, char decimalSeparator);

// One value of the formulation export: the value type's number (1 TB, 2 DIG_V, 3 TDIG_V)
// followed by the trimmed nutrient code, and the value.
struct OlvanItem {
    std::string identifier;
    double value = 0;
};

// The formulation text: the title line (followed by " - " and note when there is one, as an
// adjustment to the user's batch is stated); with a feedstuff (code not 0) its record 01
// (code, name cut to 50 characters), record 02 (the number of items) and one record 03 per
// item.
std::string OlvanText(int code, const std::string& name, const std::vector<OlvanItem>& items,
                      const std::string& note = {});


} // namespace lysora
