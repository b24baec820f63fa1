// One navigation step of the feedstuff sheet on its data path: the next feedstuff in
// alphabetical order, then the value rows of the three nutrient groups read again and handed
// to a grid model each (what the sheet's grids are given). Measured on the shipped tables
// and on a generated database of 5,000 feedstuffs by 60 nutrients (300,000 value records).
// The target is below 5 ms per step.
#include "services/opendb.h"
#include "services/reftables.h"
#include "services/settings.h"
#include "services/strings.h"
#include "tests/support/generated_tables.h"
#include "views/grid/grid_model.h"
#include "views/sheet/sheet_data.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

using namespace lysora;

// Writes db into its own folder and opens it as the program's database, in French.
void OpenDatabase(const tables::SampleDatabase& db, const std::string& name)
{
    const std::string problem = testing::OpenAsProgramDatabase(
        db, std::filesystem::temp_directory_path() / ("lysora-sheet-bench-" + name), kFrench);
    if (!problem.empty()) {
        std::fprintf(stderr, "sheet_bench: cannot open the %s database: %s\n", name.c_str(), problem.c_str());
        std::exit(1);
    }
}

void NavigationStep(benchmark::State& state)
{
    SheetData data;
    const DonneesGenerales& general = DONNEESGENERALES();
    const GroupeNutriments* groups[] = {&general.aae, &general.aane, &general.ap};
    GridModel grids[3] = {GridModel({160, 38, 13, 18, 11}), GridModel({160, 38, 13, 18, 11}),
                          GridModel({160, 38, 13, 18, 11})};
    for (auto _ : state) {
        if (!data.SUIVANT())
            data.PREMIER();
        for (int g = 0; g < 3; ++g)
            grids[g].SetRows(data.CREERLIGNES(groups[g]->codes));
        benchmark::DoNotOptimize(grids[2].RowCount());
    }
    state.counters["nutrients"] = double(general.aae.codes.size() + general.aane.codes.size() + general.ap.codes.size());
}

void ShippedTables(benchmark::State& state)
{
    static const bool opened = [] {
        tables::SampleDatabase db;
        const std::vector<std::string> problems = tables::LoadSources(LYSORA_TABLES_DIR, db);
        if (!problems.empty()) {
            std::fprintf(stderr, "sheet_bench: %s\n", problems.front().c_str());
            std::exit(1);
        }
        OpenDatabase(db, "shipped");
        return true;
    }();
    benchmark::DoNotOptimize(opened);
    NavigationStep(state);
}

void GeneratedTables(benchmark::State& state)
{
    static const bool opened = [] {
        OpenDatabase(testing::GeneratedDatabase(5000, 60), "generated");
        return true;
    }();
    benchmark::DoNotOptimize(opened);
    NavigationStep(state);
}

BENCHMARK(ShippedTables)->Unit(benchmark::kMillisecond);
BENCHMARK(GeneratedTables)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
