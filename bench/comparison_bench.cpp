// The comparison on a generated database, through the program's own data path: the cross
// table's rows for 1,000 feedstuffs by 60 nutrients (60,000 value seeks; target < 50 ms),
// sorting those rows on a column as a header click does (target < 5 ms), and filling the
// selection's two lists from 5,000 feedstuffs (target < 100 ms).
#include "services/reftables.h"
#include "services/settings.h"
#include "services/strings.h"
#include "tools/maketables/table_writer.h"
#include "views/comparison/comparison.h"
#include "views/grid/grid_model.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

using namespace lysora;

constexpr int kFeedstuffs = 5000, kCompared = 1000, kNutrients = 60;

std::string Code(int n) { return "N" + std::to_string(100 + n); } // "N100" .. "N159"

tables::SampleDatabase Generated()
{
    tables::SampleDatabase db;
    db.general.titre = {"Lysora", "Lysora"};
    db.general.copy = {"-", "-"};
    db.general.ordre1 = 20;
    db.general.ordre2 = 40;
    db.general.nutri = Code(0);
    for (int n = 0; n < kNutrients; ++n) {
        tables::Nutrient nutrient;
        nutrient.code = Code(n);
        nutrient.ordre = n + 1;
        nutrient.carries = {true, n % 4 != 0, n % 3 != 0, true, true}; // some types do not apply
        nutrient.court = {nutrient.code, nutrient.code};
        nutrient.longName = {"Nutriment " + nutrient.code, "Nutrient " + nutrient.code};
        db.nutrients.push_back(nutrient);
    }
    for (int m = 1; m <= kFeedstuffs; ++m) {
        tables::Feedstuff f;
        f.code = m;
        const std::string name = "Feedstuff " + std::to_string((m * 7919) % 100000);
        f.libelle = {name, name};
        f.court = {std::to_string(m), std::to_string(m)};
        f.definition = {"-", "-"};
        db.feedstuffs.push_back(f);
        if (m > kCompared)
            continue;
        for (int n = 0; n < kNutrients; ++n) {
            if ((m + n) % 17 == 0)
                continue; // a pair without a record
            tables::ValueRecord v;
            v.matiere = m;
            v.nutri = Code(n);
            v.nbVal = 3;
            for (int t = 0; t < tables::kValueTypes; ++t)
                if (db.nutrients[std::size_t(n)].carries[std::size_t(t)]) {
                    v.mean[std::size_t(t)] = double((m * 31 + n * 7 + t) % 10000) / 100;
                    v.deviation[std::size_t(t)] = 0.5;
                }
            db.values.push_back(v);
        }
    }
    return db;
}

// The generated database, written once and opened as the program opens its tables
// (shared, read-only), or exclusively, which shows the cost of the data path without the
// shared tables' check for other writers (made once per set of rows, in a read burst).
struct Database {
    std::vector<double> compared;
    std::vector<std::string> nutrients;
    bool shared = true;

    void Open(bool sharedTables)
    {
        if (DATABASE* open = BASEPROGRAMME())
            open->CLOSE();
        shared = sharedTables;
        CHOISIRLANGUE(kEnglish);
        DATABASE& database = I_DATABASE();
        database.DIRECTORY(PROGRAMDIR());
        if (!database.OPEN(shared, true) || !LOADGENERAL() || !LOADNUTRIMENTS()) {
            std::fprintf(stderr, "the generated database does not open\n");
            std::exit(1);
        }
    }

    Database()
    {
        const auto dir = std::filesystem::temp_directory_path() / "lysora-comparison-bench";
        std::filesystem::create_directories(dir);
        SETPROGRAMDIR(dir.string() + "/");
        if (!std::filesystem::exists(dir / "valeurs.dbf")) {
            for (const std::string& problem : tables::WriteSampleDatabase(Generated(), dir.string()))
                std::fprintf(stderr, "%s\n", problem.c_str());
        }
        Open(true);
        for (int m = 1; m <= kCompared; ++m)
            compared.push_back(m);
        for (int n = 0; n < kNutrients; ++n)
            nutrients.push_back(Code(n));
    }
};

Database& Db(bool shared = true)
{
    static Database db;
    if (db.shared != shared)
        db.Open(shared);
    return db;
}

void BM_CreerLignes(benchmark::State& state)
{
    Database& db = Db(state.range(1) != 0);
    const std::string type = state.range(0) == 0 ? "TB" : "DIG_A";
    for (auto _ : state)
        benchmark::DoNotOptimize(CREERLIGNES(type, db.compared, db.nutrients));
    state.SetLabel(type + ", 1000 feedstuffs x 60 nutrients, tables " + (db.shared ? "shared" : "exclusive"));
}

// A click on another column's header: the rows sorted ascending on it.
void BM_SortColumn(benchmark::State& state)
{
    Database& db = Db();
    GridModel model(GridGeometry{240, 38, 13, 18, 19});
    model.SetRows(CREERLIGNES("TB", db.compared, db.nutrients));
    int column = 2;
    for (auto _ : state) {
        model.SortRows(column);
        column = column == kNutrients + 1 ? 2 : column + 1;
    }
    state.SetLabel("1000 rows, each run another column");
}

void BM_FillSelectionLists(benchmark::State& state)
{
    Database& db = Db(state.range(0) != 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(FeedstuffList());
        benchmark::DoNotOptimize(NutrientList(DONNEESGENERALES().nutriPermanent));
    }
    state.SetLabel(std::string("5000 feedstuffs, 60 nutrients, tables ") + (db.shared ? "shared" : "exclusive"));
}

} // namespace

// Arguments: the value type (0 TB, 1 DIG_A), the tables shared (1) or exclusive (0).
BENCHMARK(BM_CreerLignes)->Args({0, 1})->Args({1, 1})->Args({0, 0})->Args({1, 0})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortColumn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillSelectionLists)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
