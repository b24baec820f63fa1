// The table engine on a generated values table of 300,000 records (6,000 feedstuffs by
// 50 nutrients, the program's 13 value fields) with the compound key MAT_NUTRI, against
// SQLite holding the same rows (clustered on the same key, a page cache that holds the
// whole database, as the engine holds the table in memory).
//
// Each comparison runs both sides in the same mode, in this one run:
// - exclusive: our table opened exclusively, against SQLite with locking_mode=EXCLUSIVE;
// - shared: our table opened shared (every seek first takes the header lock shared and
//   compares the change counter), against SQLite's default locking (every statement takes
//   and drops its shared lock and checks the database's change counter).
// Durability is SQLite's default (journal_mode=DELETE, synchronous=FULL) on its side and
// the engine's (journalled write-backs; DBCOMMIT syncs) on ours; the lookups write nothing.
// Each lookup, in both, also reads one value of the record found.
//
// Shared-mode changes (no SQLite counterpart): a key change written through; a reader's
// next move after another process (a forked child) changed a record; a shared append of a
// whole table of records.
#include "data/engine/dbf_format.h"
#include "data/engine/engine.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

using namespace lysora;
using namespace lysora::engine;

namespace {

constexpr int kFeedstuffs = 6000, kNutrients = 50;
constexpr int kValueFields = 10; // TB .. E_TDIG_V, fields 4 to 13

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

void Die(const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", what.c_str(), LASTERROR().c_str());
    std::exit(1);
}

void CreateValues(const std::string& path) {
    std::string error;
    if (!DBCREATE(path,
                  {{"MATIERE", 'N', 4, 0}, {"NUTRI", 'C', 5, 0}, {"NB_VAL", 'N', 3, 0}, {"TB", 'N', 6, 2},
                   {"TB16G", 'N', 6, 2}, {"DIG_A", 'N', 6, 2}, {"DIG_V", 'N', 6, 2}, {"TDIG_V", 'N', 6, 2},
                   {"E_TB", 'N', 6, 2}, {"E_TB16G", 'N', 6, 2}, {"E_DIG_A", 'N', 6, 2}, {"E_DIG_V", 'N', 6, 2},
                   {"E_TDIG_V", 'N', 6, 2}},
                  {{"MAT_NUTRI", "str(MATIERE,4,0)+NUTRI", ""}}, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(1);
    }
}

// The records of the values table, in a shuffled order so that the index is really sorted.
const std::vector<int>& AppendOrder() {
    static const std::vector<int> order = [] {
        std::vector<int> v(kFeedstuffs * kNutrients);
        for (int i = 0; i < int(v.size()); ++i) v[std::size_t(i)] = i;
        std::shuffle(v.begin(), v.end(), std::mt19937(7));
        return v;
    }();
    return order;
}

// Appends record i of the values table to the current area; false on any refusal.
bool AppendRecord(int i) {
    int m = i / kNutrients + 1, n = i % kNutrients;
    bool ok = DBAPPEND() && FIELDPUT(1, Value(m)) && FIELDPUT(2, Value(Nutrient(n))) &&
              FIELDPUT(3, Value(i % 20));
    for (int f = 0; f < kValueFields && ok; ++f) ok = FIELDPUT(4 + f, Value(Tb(m, n + f)));
    return ok;
}

// Builds the table once per run (exclusive: changes stay in memory until the close).
void BuildTable() {
    static bool built = false;
    if (built) return;
    built = true;
    CreateValues(TablePath());
    if (!DBUSEAREA(true, "DBFCDX", TablePath(), "", false, false)) Die("open");
    for (int i : AppendOrder())
        if (!AppendRecord(i)) Die("append");
    if (!DBCLOSEAREA()) Die("close");
}

void OpenTable(bool shared) {
    BuildTable();
    if (!DBUSEAREA(true, "DBFCDX", TablePath(), "VALEURS", shared, false)) Die("open");
    ORDSETFOCUS("MAT_NUTRI");
}

struct Probe {
    int m, n;
    std::string key, nutri;
};

const std::vector<Probe>& Probes() {
    static const std::vector<Probe> probes = [] {
        std::vector<Probe> v;
        std::mt19937 rng(11);
        for (int i = 0; i < 8192; ++i) {
            int m = int(rng() % kFeedstuffs) + 1, n = int(rng() % kNutrients);
            v.push_back({m, n, FormatNumber(m, 4, 0) + Nutrient(n) + " ", Nutrient(n)});
        }
        return v;
    }();
    return probes;
}

void EngineSeek(benchmark::State& state, bool shared) {
    OpenTable(shared);
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
    DBCLOSEAREA();
}

void BM_EngineSeekExclusive(benchmark::State& state) { EngineSeek(state, false); }
void BM_EngineSeekShared(benchmark::State& state) { EngineSeek(state, true); }

// SQLite's copy of the table, built once per run.
std::string SqlitePath() { return Folder() + "/valeurs.sqlite"; }

void BuildSqlite() {
    static bool built = false;
    if (built) return;
    built = true;
    std::filesystem::remove(SqlitePath());
    sqlite3* d = nullptr;
    sqlite3_open(SqlitePath().c_str(), &d);
    sqlite3_exec(d,
                 "CREATE TABLE valeurs(matiere INTEGER, nutri TEXT, nb_val INTEGER, tb REAL, tb16g REAL,"
                 " dig_a REAL, dig_v REAL, tdig_v REAL, e_tb REAL, e_tb16g REAL, e_dig_a REAL, e_dig_v REAL,"
                 " e_tdig_v REAL, PRIMARY KEY(matiere, nutri)) WITHOUT ROWID; BEGIN;",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(d, "INSERT INTO valeurs VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?)", -1, &insert, nullptr);
    for (int i : AppendOrder()) {
        int m = i / kNutrients + 1, n = i % kNutrients;
        std::string nutri = Nutrient(n);
        sqlite3_bind_int(insert, 1, m);
        sqlite3_bind_text(insert, 2, nutri.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 3, i % 20);
        for (int f = 0; f < kValueFields; ++f) sqlite3_bind_double(insert, 4 + f, Tb(m, n + f));
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(d, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(d);
}

void SqliteLookup(benchmark::State& state, bool exclusive) {
    BuildSqlite();
    sqlite3* db = nullptr;
    sqlite3_open(SqlitePath().c_str(), &db);
    sqlite3_exec(db, exclusive ? "PRAGMA locking_mode=EXCLUSIVE; PRAGMA cache_size=-262144;"
                               : "PRAGMA cache_size=-262144;",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, "SELECT tb FROM valeurs WHERE matiere = ? AND nutri = ?", -1, &select, nullptr);
    const auto& probes = Probes();
    std::size_t i = 0;
    double sum = 0;
    for (auto _ : state) {
        const Probe& p = probes[i++ & 8191];
        sqlite3_bind_int(select, 1, p.m);
        sqlite3_bind_text(select, 2, p.nutri.c_str(), int(p.nutri.size()), SQLITE_STATIC);
        if (sqlite3_step(select) != SQLITE_ROW) state.SkipWithError("row not found");
        sum += sqlite3_column_double(select, 0);
        sqlite3_reset(select);
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations());
}

void BM_SqliteLookupExclusive(benchmark::State& state) { SqliteLookup(state, true); }
void BM_SqliteLookupShared(benchmark::State& state) { SqliteLookup(state, false); }

// A key change in a shared table, written back: record 1's feedstuff code moves between
// two values (its MAT_NUTRI key with it); each iteration is one FIELDPUT and the move
// (DBSKIP(0)) that writes the record, its header and index pages back under the journal
// (not synced: DBCOMMIT does that).
void BM_EngineSharedKeyChange(benchmark::State& state) {
    OpenTable(true);
    if (!DBRLOCK(1)) Die("lock");
    DBGOTO(1);
    const double original = FIELDGET(1).Number();
    int flip = 0;
    for (auto _ : state)
        if (!FIELDPUT(1, Value(++flip % 2 ? 9999.0 : original)) || !DBSKIP(0))
            state.SkipWithError(LASTERROR().c_str());
    FIELDPUT(1, Value(original));
    state.SetItemsProcessed(state.iterations());
    DBCLOSEAREA();
}

// A reader's next move (DBSKIP along MAT_NUTRI) after another process changed a record:
// first Arg 0 a value (TB), 1 the key (MATIERE); second Arg the number of changes, each
// written back on its own, the reader is behind. The child process makes them for each
// byte it reads from a pipe, and answers with a byte when they are written; only the
// reader's move is timed.
void BM_EngineReaderMoveAfterChange(benchmark::State& state) {
    BuildTable();
    const bool keyChange = state.range(0) == 1;
    const long changes = long(state.range(1));
    int ask[2], done[2];
    if (::pipe(ask) != 0 || ::pipe(done) != 0) Die("pipe");
    pid_t child = ::fork();
    if (child == 0) {
        ::close(ask[1]);
        ::close(done[0]);
        if (!DBUSEAREA(true, "DBFCDX", TablePath(), "", true, false) || !DBRLOCK(2)) ::_exit(1);
        DBGOTO(2);
        const double original = FIELDGET(keyChange ? 1 : 4).Number();
        char c;
        for (long n = 1; ::read(ask[0], &c, 1) == 1;) {
            for (long k = 0; k < changes; ++k, ++n) {
                double v = keyChange ? (n % 2 ? 9998.0 : original) : double(n % 1000) / 10;
                if (!FIELDPUT(keyChange ? 1 : 4, Value(v)) || !DBSKIP(0)) ::_exit(2); // written back
            }
            if (::write(done[1], &c, 1) != 1) ::_exit(3);
        }
        FIELDPUT(keyChange ? 1 : 4, Value(original));
        DBCLOSEAREA();
        ::_exit(0);
    }
    ::close(ask[0]);
    ::close(done[1]);
    OpenTable(true);
    DBGOTOP();
    for (auto _ : state) {
        state.PauseTiming();
        char c = 'x';
        if (::write(ask[1], &c, 1) != 1 || ::read(done[0], &c, 1) != 1) state.SkipWithError("writer gone");
        state.ResumeTiming();
        DBSKIP(1);
        if (DBEOF()) DBGOTOP();
    }
    ::close(ask[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(done[0]);
    DBCLOSEAREA();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("writer failed");
    state.SetItemsProcessed(state.iterations());
}

// Appending a whole values table (range(0) records, in shuffled key order) to a table open
// shared: each record is appended, filled field by field (each change written through)
// and its lock released; one commit at the end.
void BM_EngineSharedAppend(benchmark::State& state) {
    const std::string path = Folder() + "/appended";
    const int count = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        CreateValues(path);
        if (!DBUSEAREA(true, "DBFCDX", path, "", true, false)) Die("open");
        state.ResumeTiming();
        for (int k = 0; k < count; ++k)
            if (!AppendRecord(AppendOrder()[std::size_t(k)])) Die("append");
        if (!DBCOMMIT()) Die("commit");
        state.PauseTiming();
        DBCLOSEAREA();
        state.ResumeTiming();
    }
    state.counters["records"] = count;
    state.SetItemsProcessed(state.iterations() * count);
}

BENCHMARK(BM_EngineSeekExclusive);
BENCHMARK(BM_SqliteLookupExclusive);
BENCHMARK(BM_EngineSeekShared);
BENCHMARK(BM_SqliteLookupShared);
BENCHMARK(BM_EngineSharedKeyChange)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EngineReaderMoveAfterChange)
    ->Args({0, 1})->Args({1, 1})->Args({0, 2})->Args({1, 2})->Args({1, 10})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EngineSharedAppend)->Arg(2000)->Arg(300000)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
