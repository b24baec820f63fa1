// Reference databases made up for tests and benchmarks: any number of feedstuffs and
// nutrients, every value given, written with the program's own table writer. The values are
// arbitrary but distinct per feedstuff, nutrient and field, so a cell shown in the wrong
// place is seen.
#pragma once

#include "services/opendb.h"
#include "services/reftables.h"
#include "services/settings.h"
#include "services/strings.h"
#include "tools/maketables/table_sources.h"
#include "tools/maketables/table_writer.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace lysora::testing {

// The first nutrient ("N000") is the permanent one; nutrients 1 .. essential-1 are
// essential amino acids, then non-essential ones up to nonEssentialEnd-1, then proximate
// analysis carrying the raw content only. Feedstuff k (code k, from 1) is named
// "Feedstuff nnnn" in both languages.
inline tables::SampleDatabase GeneratedDatabase(int feedstuffs, int nutrients, int essentialEnd = 20,
                                                int nonEssentialEnd = 40)
{
    tables::SampleDatabase db;
    db.general.titre = {"Lysora (essai)", "Lysora (test)"};
    db.general.copy = {"exemple", "sample"};
    db.general.ordre1 = essentialEnd;
    db.general.ordre2 = nonEssentialEnd;
    db.general.nutri = "N000";
    for (int n = 0; n < nutrients; ++n) {
        tables::Nutrient nutrient;
        char code[16];
        std::snprintf(code, sizeof code, "N%03d", n);
        nutrient.code = code;
        nutrient.ordre = n;
        const bool aminoAcid = n < nonEssentialEnd;
        nutrient.carries = {true, aminoAcid, aminoAcid, aminoAcid, aminoAcid};
        nutrient.court = {code, code};
        nutrient.longName = {std::string("Nutriment ") + code, std::string("Nutrient ") + code};
        db.nutrients.push_back(nutrient);
    }
    for (int k = 1; k <= feedstuffs; ++k) {
        tables::Feedstuff feedstuff;
        char name[32];
        std::snprintf(name, sizeof name, "Feedstuff %04d", k);
        feedstuff.code = k;
        feedstuff.libelle = {name, name};
        feedstuff.court = {std::to_string(k), std::to_string(k)};
        feedstuff.definition = {std::string("Definition of ") + name, std::string("Definition of ") + name};
        db.feedstuffs.push_back(feedstuff);
        for (int n = 0; n < nutrients; ++n) {
            tables::ValueRecord value;
            value.matiere = k;
            value.nutri = db.nutrients[std::size_t(n)].code;
            value.nbVal = 1 + (k + n) % 30;
            for (int t = 0; t < tables::kValueTypes; ++t) {
                if (!db.nutrients[std::size_t(n)].carries[std::size_t(t)])
                    continue;
                value.mean[std::size_t(t)] = (k % 100) + n / 100.0 + t * 0.25 + 1;
                value.deviation[std::size_t(t)] = 0.5 + t;
            }
            db.values.push_back(value);
        }
    }
    return db;
}

// Writes db into dir (emptied first) and opens it as the program's database in that
// language, dir becoming the program folder. The problem met, empty on success.
inline std::string OpenAsProgramDatabase(const tables::SampleDatabase& db, const std::filesystem::path& dir,
                                         std::string_view language)
{
    if (DATABASE* open = BASEPROGRAMME())
        open->CLOSE(); // its tables' aliases are the new ones'
    std::error_code error;
    std::filesystem::remove_all(dir, error);
    std::filesystem::create_directories(dir, error);
    const std::vector<std::string> problems = tables::WriteSampleDatabase(db, dir.string());
    if (!problems.empty())
        return problems.front();
    SETPROGRAMDIR((dir / "").string());
    if (!CHOISIRLANGUE(language))
        return "no language " + std::string(language);
    return OPENDB(false) ? std::string() : "the database does not open";
}

} // namespace lysora::testing
