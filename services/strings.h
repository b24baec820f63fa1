// The bilingual string table and the per-language names: the language code from the
// settings file, the texts of the current language looked up by key (LIB), the feedstuff and
// nutrient table symbols, the two help file paths, and the ordered list of the eleven value
// fields with their column titles. INITLANGUE rebuilds all of it; nothing keeps texts of the
// other language.
#pragma once

#include "base/symbol.h"
#include "base/value.h"

#include <string>
#include <string_view>
#include <vector>

namespace lysora {

inline constexpr std::string_view kFrench = "FRA";
inline constexpr std::string_view kEnglish = "ENG";

// Reads the language from the settings file (upper-cased; "ENG" when empty) and rebuilds
// everything in this file. An invalid language shows "<value> is not a valid language"
// (caption "Error") and returns false, leaving the previous language in place.
bool INITLANGUE();
// Makes code ("FRA" or "ENG", as it stands) the current language and rebuilds everything
// in this file, as INITLANGUE does after reading it; false, changing nothing, for any other
// code. For the programs that choose the language themselves (the administration tool).
bool CHOISIRLANGUE(std::string_view code);
// Fills the string table with the texts of the current language (after INITLANGUE has
// emptied it).
void CHARGERCHAINES();

// The text of key in the current language; "#" + key name when the key is not in the table.
std::string LIB(Symbol key);
// A ready text is returned unchanged, even when it equals a key name.
std::string LIB(const std::string& text);
std::string LIB(const char* text);
// A symbol value is looked up, a text value returned unchanged, anything else gives "".
std::string LIB(const Value& keyOrText);

// The current language code, "FRA" or "ENG" ("ENG" before the first INITLANGUE).
const std::string& LANGUE();
// The feedstuff and nutrient table symbols: "mat" and "nut" followed by the language.
Symbol TABLEMAT();
Symbol TABLENUTRI();
// The file stems of those two tables ("matFRA", "nutENG"...).
std::string FICHIERMAT();
std::string FICHIERNUTRI();
// The user help file and the concepts help file of the language, in the program directory.
const std::string& FICHIERAIDE();
const std::string& FICHIERCONCEPTS();

// The eleven value fields (TB, E_TB, TB16G, ..., NB_VAL) and their column titles in the
// current language.
const std::vector<Symbol>& CHAMPSVALEURS();
const std::vector<std::string>& TITRESVALEURS();

// Every key of the string table, in table order (for checks over the whole table).
std::vector<Symbol> CLESCHAINES();

// The text with every "&" (accelerator marker of a label) removed.
std::string UNAMP(std::string_view text);

} // namespace lysora
