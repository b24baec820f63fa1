// The program's settings file "Lysora.ini" (one section, "Params") in the program directory,
// the system decimal separator from "win.ini", and the number, collation and date settings of
// the run. Nothing is cached: every read opens the file, every write goes to it at once. No
// function here shows a message.
//
// Keys of section "Params" (the constants below), their values and their defaults:
//   Langue      "FRA" or "ENG", upper-cased when read; default "ENG"
//   Mat         code of the feedstuff last shown on the feedstuff sheet; default none
//   Val         value type chosen for comparison (TB, TB16G, DIG_A, DIG_V, TDIG_V); default "TB"
//   ListeMat    feedstuff codes chosen for comparison, joined by ","; default empty
//   ListeNutri  nutrient codes chosen for comparison, joined by ","; default empty
#pragma once

#include "base/symbol.h"

#include <string>
#include <string_view>

namespace lysora {

inline constexpr std::string_view kSettingsFile = "Lysora.ini";
inline constexpr std::string_view kParams = "Params";
inline constexpr std::string_view kKeyLangue = "Langue";
inline constexpr std::string_view kKeyMat = "Mat";
inline constexpr std::string_view kKeyVal = "Val";
inline constexpr std::string_view kKeyListeMat = "ListeMat";
inline constexpr std::string_view kKeyListeNutri = "ListeNutri";
inline constexpr std::string_view kDefaultLangue = "ENG";
inline constexpr std::string_view kDefaultVal = "TB";

// The program directory, ending in a path separator (empty: the current directory). The
// Windows build starts with the directory of the running executable; START may set it again.
const std::string& PROGRAMDIR();
void SETPROGRAMDIR(std::string_view directory);

// The value of key in section of the settings file, at most 511 characters; empty when the
// file, the section or the key is missing.
std::string GETPARAM(std::string_view section, std::string_view key);
// Writes key into section of the settings file, creating the file and the section when
// needed. Write failures are ignored, as the program does not act on them.
void PUTPARAM(std::string_view section, std::string_view key, std::string_view value);

// The system decimal separator: the first character of "sDecimal" in section "intl" of
// "win.ini"; "." when the key is missing or empty.
std::string GETDECIMALSEP();
// The "win.ini" file GETDECIMALSEP reads. The Windows build reads the system's own by default;
// the host build has none by default (separator "."). Tests point it at a file of their own;
// an empty path restores the default.
void SETWININI(std::string_view path);

// Number, collation, date and directory settings of the run, before anything else reads
// them: numbers written with "." whatever the locale, texts compared by character code,
// two-digit years in 1970-2069, the program directory from the executable, the user's
// decimal separator from the system settings, and the field symbol LONG.
void INITREGLAGES();

// The nutrient table's long-name field, a symbol made at start from the text "long".
Symbol SYMLONG();

// Removes and returns the first token of list (the lists above are joined by ","): the text
// before the first separator, the list keeping what follows that separator; the whole list
// (leaving it empty) when there is no separator. An empty field between two separators gives
// an empty token; a list ending with a separator gives no extra token once the list is empty.
std::string NEXTTOKEN(std::string& list, std::string_view separator);

} // namespace lysora
