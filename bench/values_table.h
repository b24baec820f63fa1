// The values table the browse is timed on: 300,000 records (6,000 feedstuffs by 50
// nutrients, the program's 13 value fields) keyed MAT_NUTRI, written once per run in a
// temporary folder with the engine, then opened shared as the program opens it.
#pragma once

#include "data/dbf.h"
#include "data/dbsel.h"
#include "data/domain.h"
#include "data/engine/engine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace lysora::bench {

constexpr int kFeedstuffs = 6000, kNutrients = 50;

class Values : public DBF {
public:
    Values() : DBF("valeurs")
    {
        static const char* const kValueFields[] = {"TB",   "TB16G",   "DIG_A",   "DIG_V",   "TDIG_V",
                                                   "E_TB", "E_TB16G", "E_DIG_A", "E_DIG_V", "E_TDIG_V"};
        FLD(Symbol("MATIERE"), std::make_shared<DOM_NUM>(4, 0), "Matière première");
        FLD(Symbol("NUTRI"), std::make_shared<DOM_CAR>(5, true), "Nutriment");
        FLD(Symbol("NB_VAL"), std::make_shared<DOM_NUM>(3, 0), "Nombre de valeurs");
        for (const char* field : kValueFields)
            FLD(Symbol(field), std::make_shared<DOM_NUM>(6, 2), field);
        ORD(Symbol("MAT_NUTRI"), std::vector{Symbol("MATIERE"), Symbol("NUTRI")});
    }
};

inline void Die(const char* what)
{
    std::fprintf(stderr, "%s: %s\n", what, engine::LASTERROR().c_str());
    std::exit(1);
}

// The table, built once per run, open shared; its selection in key order.
inline DBSEL& ValuesSelection()
{
    static std::unique_ptr<Values> table;
    static std::unique_ptr<DBSEL> selection;
    if (selection)
        return *selection;
    table = std::make_unique<Values>();
    const auto dir = std::filesystem::temp_directory_path() / "lysora-browse-bench";
    std::filesystem::create_directories(dir);
    const std::string folder = dir.string() + "/";
    std::vector<engine::FieldSpec> fields;
    for (std::size_t i = 0; i < table->FLDSYM().size(); ++i) {
        const DOM& dom = *table->FLDOBJ()[i];
        fields.push_back({table->FLDSYM()[i].Name(), dom.TYP()[0], dom.LEN(), dom.DEC()});
    }
    const std::string path = folder + "valeurs";
    if (!engine::DBCREATE(path, fields, {{"MAT_NUTRI", table->AORDKEY()[0], ""}}))
        Die("create");
    if (!engine::DBUSEAREA(true, "DBFCDX", path, "", false, false))
        Die("open");
    std::vector<int> order(kFeedstuffs * kNutrients);
    for (int i = 0; i < int(order.size()); ++i)
        order[std::size_t(i)] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    for (int i : order) {
        const int m = i / kNutrients + 1, n = i % kNutrients;
        bool ok = engine::DBAPPEND() && engine::FIELDPUT(1, Value(m)) &&
                  engine::FIELDPUT(2, Value("N" + std::to_string(100 + n))) && engine::FIELDPUT(3, Value(i % 20));
        for (int f = 0; f < 10 && ok; ++f)
            ok = engine::FIELDPUT(4 + f, Value(double((m * 31 + n * 7 + f) % 10000) / 100));
        if (!ok)
            Die("append");
    }
    if (!engine::DBCLOSEAREA())
        Die("close");
    if (!table->OPEN(true, false, folder))
        Die("open shared");
    selection = std::make_unique<DBSEL>(AreaRef(table->AREA()), ItemRef(Symbol("MAT_NUTRI")));
    return *selection;
}

} // namespace lysora::bench
