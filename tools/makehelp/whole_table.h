// The whole table: every feedstuff against every nutrient, one table per value type and
// nutrient group, read from the shipped tables through the program's own data layer.
#pragma once

#include <string>

namespace lysora::help {

// The HTML of the whole table in the current language (Windows-1252 texts turned into
// UTF-8). The program's database must be open and its general data and nutrient groups
// loaded. Feedstuffs in alphabetical order; only the nutrients that carry the value type,
// the permanent nutrient once, with the essential amino acids;
// a missing value record or a value of 0 shows "-", as on the program's screens. Each
// table's id is its value type and group ("TB-AAE"), so that the page can be checked
// against the tables.
std::string WholeTableHtml();

} // namespace lysora::help
