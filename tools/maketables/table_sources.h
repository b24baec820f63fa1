// The text sources of the shipped reference tables (tables/*.txt, UTF-8) read into memory
// as Windows-1252 texts and numbers, and the consistency rules the shipped data must meet.
//
// Files (lines starting with "#" and blank lines are ignored everywhere):
//   general.txt     "KEY = value" lines: TITREFRA, TITREENG, COPYFRA, COPYENG (plain text,
//                   scrambled only when written), ORDRE1, ORDRE2, NUTRI.
//   nutrients.txt   ";"-separated rows under a header row: NUTRI, ORDRE, the five support
//                   flags TB..TDIG_V ("O" = yes), COURT FRA, LONG FRA, COURT ENG, LONG ENG.
//   feedstuffs.txt  one block per feedstuff: "[code]" then "LIBELLE FRA = ...", "COURT FRA",
//                   "DEFINITION FRA" and the same three keys with ENG.
//   values.txt      ";"-separated rows under a header row: MATIERE, NUTRI, NB_VAL and the ten
//                   means and standard deviations; an empty field is a value not given.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace lysora::tables {

enum Language { kFra = 0, kEng = 1 };
using Texts = std::array<std::string, 2>; // per language, Windows-1252

// The five value types, in the order of the nutrient table's support flags.
enum ValueType { kTB, kTB16G, kDIG_A, kDIG_V, kTDIG_V, kValueTypes };
inline constexpr const char* kValueTypeNames[kValueTypes] = {"TB", "TB16G", "DIG_A", "DIG_V", "TDIG_V"};

struct General {
    Texts titre, copy;
    int ordre1 = 0, ordre2 = 0;
    std::string nutri; // the permanent nutrient
};

struct Nutrient {
    int line = 0;
    std::string code;
    int ordre = 0;
    std::array<bool, kValueTypes> carries{};
    Texts court, longName;
};

struct Feedstuff {
    int line = 0;
    int code = 0;
    Texts libelle, court, definition;
};

struct ValueRecord {
    int line = 0;
    int matiere = 0;
    std::string nutri;
    int nbVal = 0;
    std::array<std::optional<double>, kValueTypes> mean, deviation;
};

struct SampleDatabase {
    General general;
    std::vector<Nutrient> nutrients;
    std::vector<Feedstuff> feedstuffs;
    std::vector<ValueRecord> values;
};

// Reads the four files of directory into db. Returns the problems found, each as
// "file:line: what"; empty when everything was read.
std::vector<std::string> LoadSources(const std::string& directory, SampleDatabase& db);

// The consistency rules of the shipped data, each problem as "file:line: what"; empty when
// the data meets them all. At least 60 feedstuffs; field widths of the tables; unique codes; the permanent nutrient
// present and carrying no g/16 g N value; contents (in % as fed) at most 100; amino acids carrying all five value types and
// proximate analysis only the raw content; a value given exactly when its nutrient carries
// its type, with a positive standard deviation and at least one value behind it; contents
// in g/16 g N agreeing with the amino-acid and protein contents; apparent digestibility
// positive and at most the standardised one, which is at most 100; standardised digestible
// content = content x standardised digestibility / 100; every amino acid given, except
// for a free amino acid, which holds one; sums of amino acids and of the proximate
// fractions within the protein and dry matter; texts that survive scrambling.
std::vector<std::string> CheckSources(const SampleDatabase& db);

} // namespace lysora::tables
