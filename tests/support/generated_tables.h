// Reference databases made up for tests and benchmarks: any number of feedstuffs and
// nutrients, every value given, written with the program's own table writer. The values are
// arbitrary but distinct per feedstuff, nutrient and field, so a cell shown in the wrong
// place is seen.
#pragma once

#include "tools/maketables/table_sources.h"
#include "tools/maketables/table_writer.h"

#include <cstdio>
#include <string>

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

} // namespace lysora::testing
