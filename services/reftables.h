// The reference tables: the declarations of the feedstuff, nutrient, values and general
// tables, the program's database holding them, and the program-wide data loaded from them
// at start (software title, copyright text, group bounds, permanent nutrient and the three
// nutrient groups). The feedstuff and nutrient tables exist once per language; declare
// them after the language is set (INITLANGUE).
#pragma once

#include "data/database.h"
#include "data/dbf.h"
#include "data/dbsel.h"

#include <string>
#include <string_view>
#include <vector>

namespace lysora {

// Feedstuffs, file "mat" + language: code, name, short name, definition.
class DBF_MAT : public DBF {
public:
    DBF_MAT();
};

// Nutrients, file "nut" + language: code, short and long names, display order and the five
// support flags ("O" = the nutrient carries that value type).
class DBF_NUTRI : public DBF {
public:
    DBF_NUTRI();
};

// Values, file "valeurs": one record per feedstuff and nutrient.
class DBF_VAL : public DBF {
public:
    DBF_VAL();
};

// General data, file "general": one record, its texts stored scrambled.
class DBF_GENERAL : public DBF {
public:
    DBF_GENERAL();
};

// Creates the program's database with the four tables, in the order feedstuffs, nutrients,
// values, general, and makes it the program's database (closing any earlier one).
DATABASE& I_DATABASE();
// The program's database; nullptr before I_DATABASE.
DATABASE* BASEPROGRAMME();

// One nutrient group: parallel lists of codes and short names, the permanent nutrient first.
struct GroupeNutriments {
    std::vector<std::string> codes;
    std::vector<std::string> courts;
};

// The program-wide data of the general table and the nutrient groups.
struct DonneesGenerales {
    std::string titre;     // software title in the current language
    std::string copyright; // copyright text in the current language
    int ordre1 = 0;        // nutrients ordered below ORDRE1 are essential amino acids,
    int ordre2 = 0;        // below ORDRE2 non-essential ones, the rest proximate analysis
    std::string nutriPermanent;
    GroupeNutriments aae, aane, ap;
};
const DonneesGenerales& DONNEESGENERALES();

// Reads the general table's one record (the general table must be open). Shows one of its
// four messages (caption "Erreur") and returns false when the table is empty or the
// permanent nutrient, ORDRE1 or ORDRE2 is missing.
bool LOADGENERAL();
// Builds the three nutrient groups from the nutrient table in ORDRE order and the bounds
// read by LOADGENERAL; the permanent nutrient heads each group once. No failure path.
bool LOADNUTRIMENTS();

// The eleven value fields of CHAMPSVALEURS (1-based entry): whether the nutrient on which
// nutrient stands carries entry i. NB_VAL always; a standard deviation when its mean is
// carried; a mean when the nutrient's flag of that type holds "O". False for an entry
// outside 1..11.
bool VALEURSUPPORTEE(DBSEL& nutrient, int entry);

// The general table's texts are stored scrambled: each byte combined by exclusive-or with a
// one-byte key, a build constant shared with the tool that writes the table (CMake cache
// variable LYSORA_SCRAMBLE_KEY).
#ifndef LYSORA_SCRAMBLE_KEY
#error "LYSORA_SCRAMBLE_KEY must be defined by the build"
#endif
inline constexpr unsigned char kScrambleKey = LYSORA_SCRAMBLE_KEY;
static_assert(kScrambleKey != 0, "a zero key would leave the texts unscrambled");

// Each byte combined with the scrambling key; the same length as the input. Its own
// inverse: DECRYPTER is CRYPTER.
std::string CRYPTER(std::string_view text);
std::string DECRYPTER(std::string_view text);

} // namespace lysora
