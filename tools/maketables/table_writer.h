// Writing reference tables with the program's own engine and table declarations: a table
// file and its compound index made from a declaration, and the whole sample database.
#pragma once

#include "data/dbf.h"
#include "tools/maketables/table_sources.h"

#include <string>
#include <vector>

namespace lysora::tables {

// Creates (or replaces) the empty table file of table's declaration in directory, with one
// index tag per declared order. False with error set when the engine refuses.
bool CreateTable(const DBF& table, const std::string& directory, std::string& error);

// Writes matFRA, matENG, nutFRA, nutENG, valeurs and general (.dbf + .cdx) into directory
// from db, the general table's texts scrambled. Returns the problems met; empty on success.
// Leaves the language set to English.
std::vector<std::string> WriteSampleDatabase(const SampleDatabase& db, const std::string& directory);

} // namespace lysora::tables
