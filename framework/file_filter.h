// The filter text of the common open and save dialogs, built from rows of a description and
// a pattern: "Excel (*.csv)\0*.csv\0" for each row, ending with the extra NUL the dialog
// expects. No rows give the single filter "Tous les fichiers (*.*)".
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace lysora {

using FilterRows = std::vector<std::pair<std::string, std::string>>; // description, pattern

// The filter text, including the final double NUL.
std::string BuildFilterText(const FilterRows& rows);

} // namespace lysora
