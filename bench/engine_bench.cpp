// The table engine on a generated values table of 300,000 records (6,000 feedstuffs by
// 50 nutrients) with the compound key MAT_NUTRI: exact seeks, records skipped along the
// tag, appends with the index kept (a commit every 1,000), a full reindex; and SQLite
// doing the same point lookups on the same data through a prepared statement. Each
// lookup, in both, also reads one value of the record found.
#include "data/engine/dbf.h"
#include "data/engine/engine.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using namespace lysora;
using namespace lysora::engine;

namespace {

constexpr int kFeedstuffs = 6000, kNutrients = 50;

std::string Nutrient(int n) { return "N" + std::to_string(100 + n); } // "N100".."N149"
double Tb(int m, int n) { return double((m * 31 + n * 7) % 10000) / 100; }

const std::string& Folder() {
    static const std::string dir = [] {
        auto d = std::filesystem::temp_directory_path() / "lysora-engine-bench";
        std::filesystem::create_directories(d);
        return d.string();
    }();
    return dir;
}

std::string TablePath() { return Folder() + "/valeurs"; }

// Builds the table once per run: appended in random order, so the index is really sorted.
void BuildTable() {
    static bool built = false;
    if (built) return;
    built = true;
    std::string error;
    if (!DBCREATE(TablePath(),
                  {{"MATIERE", 'N', 4, 0}, {"NUTRI", 'C', 5, 0}, {"NB_VAL", 'N', 3, 0}, {"TB", 'N', 6, 2},
                   {"TB16G", 'N', 6, 2}, {"DIG_A", 'N', 6, 2}, {"DIG_V", 'N', 6, 2}, {"TDIG_V", 'N', 6, 2},
                   {"E_TB", 'N', 6, 2}, {"E_TB16G", 'N', 6, 2}, {"E_DIG_A", 'N', 6, 2}, {"E_DIG_V", 'N', 6, 2},
                   {"E_TDIG_V", 'N', 6, 2}},
                  {{"MAT_NUTRI", "str(MATIERE,4,0)+NUTRI", ""}}, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(1);
    }
    std::vector<int> order(kFeedstuffs * kNutrients);
    for (int i = 0; i < int(order.size()); ++i) order[std::size_t(i)] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    DBUSEAREA(true, "DBFCDX", TablePath(), "", false, false);
    for (int i : order) {
        int m = i / kNutrients + 1, n = i % kNutrients;
        DBAPPEND();
        FIELDPUT(1, Value(m));
        FIELDPUT(2, Value(Nutrient(n)));
        FIELDPUT(3, Value(i % 20));
        for (int f = 4; f <= 13; ++f) FIELDPUT(f, Value(Tb(m, n + f)));
        FIELDPUT(4, Value(Tb(m, n)));
    }
    DBCLOSEAREA();
}

void OpenTable() {
    BuildTable();
    if (!USED() && !DBUSEAREA(true, "DBFCDX", TablePath(), "VALEURS", false, false)) {
        std::fprintf(stderr, "%s\n", LASTERROR().c_str());
        std::exit(1);
    }
    ORDSETFOCUS("MAT_NUTRI");
}

struct Probe {
    int m, n;
    std::string key;
};

const std::vector<Probe>& Probes() {
    static const std::vector<Probe> probes = [] {
        std::vector<Probe> v;
        std::mt19937 rng(11);
        for (int i = 0; i < 8192; ++i) {
            int m = int(rng() % kFeedstuffs) + 1, n = int(rng() % kNutrients);
            v.push_back({m, n, FormatNumber(m, 4, 0) + Nutrient(n) + " "});
        }
        return v;
    }();
    return probes;
}

void BM_EngineExactSeek(benchmark::State& state) {
    OpenTable();
    const auto& probes = Probes();
    std::size_t i = 0;
    double sum = 0;
    for (auto _ : state) {
        const Probe& p = probes[i++ & 8191];
        if (!DBSEEK(p.key)) state.SkipWithError("key not found");
        sum += FIELDGET(4).Number();
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EngineExactSeek);

void BM_EngineSkipAlongTag(benchmark::State& state) {
    OpenTable();
    DBGOTOP();
    for (auto _ : state) {
        DBSKIP(1);
        if (DBEOF()) DBGOTOP();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EngineSkipAlongTag);

void BM_EngineAppendWithIndex(benchmark::State& state) {
    OpenTable();
    std::mt19937 rng(5);
    long n = 0;
    for (auto _ : state) {
        int m = int(rng() % 9999) + 1;
        DBAPPEND();
        FIELDPUT(1, Value(m));
        FIELDPUT(2, Value(Nutrient(int(rng() % 100))));
        FIELDPUT(4, Value(1.5));
        if (++n % 1000 == 0) DBCOMMIT();
    }
    DBCOMMIT();
    state.SetItemsProcessed(state.iterations());
    DBCLOSEAREA(); // the next runs start from the table as built... plus these records
}
BENCHMARK(BM_EngineAppendWithIndex)->Iterations(20000);

void BM_EngineReindex(benchmark::State& state) {
    OpenTable();
    for (auto _ : state)
        if (!ORDLISTREBUILD()) state.SkipWithError("reindex failed");
    state.counters["records"] = double(LASTREC());
}
BENCHMARK(BM_EngineReindex)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same lookups in SQLite, at its fastest: the rows clustered on the primary key
// (matiere, nutri), a page cache larger than the database.
sqlite3* Sqlite() {
    static sqlite3* db = [] {
        sqlite3* d = nullptr;
        std::string path = Folder() + "/valeurs.sqlite";
        std::filesystem::remove(path);
        sqlite3_open(path.c_str(), &d);
        sqlite3_exec(d, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;"
                        "PRAGMA cache_size=-262144;" // 256 MB: all pages in memory, as ours
                        "CREATE TABLE valeurs(matiere INTEGER, nutri TEXT, nb_val INTEGER, tb REAL,"
                        " PRIMARY KEY(matiere, nutri)) WITHOUT ROWID;"
                        "BEGIN;", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(d, "INSERT INTO valeurs VALUES(?,?,?,?)", -1, &insert, nullptr);
        for (int i = 0; i < kFeedstuffs * kNutrients; ++i) {
            int m = i / kNutrients + 1, n = i % kNutrients;
            std::string nutri = Nutrient(n);
            sqlite3_bind_int(insert, 1, m);
            sqlite3_bind_text(insert, 2, nutri.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(insert, 3, i % 20);
            sqlite3_bind_double(insert, 4, Tb(m, n));
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(d, "COMMIT;", nullptr, nullptr, nullptr);
        return d;
    }();
    return db;
}

void BM_SqliteExactLookup(benchmark::State& state) {
    sqlite3* db = Sqlite();
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, "SELECT tb FROM valeurs WHERE matiere = ? AND nutri = ?", -1, &select, nullptr);
    const auto& probes = Probes();
    std::vector<std::string> nutri;
    for (const Probe& p : probes) nutri.push_back(Nutrient(p.n));
    std::size_t i = 0;
    double sum = 0;
    for (auto _ : state) {
        std::size_t k = i++ & 8191;
        sqlite3_bind_int(select, 1, probes[k].m);
        sqlite3_bind_text(select, 2, nutri[k].c_str(), int(nutri[k].size()), SQLITE_STATIC);
        if (sqlite3_step(select) != SQLITE_ROW) state.SkipWithError("row not found");
        sum += sqlite3_column_double(select, 0);
        sqlite3_reset(select);
    }
    sqlite3_finalize(select);
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SqliteExactLookup);

} // namespace

BENCHMARK_MAIN();
