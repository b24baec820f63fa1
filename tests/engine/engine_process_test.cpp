// The engine between processes: record locks that exclude another process (and survive
// this process reading the table file elsewhere), exclusive opens refused on both sides,
// a writer process appending while this process reads, committed changes seen once
// the reader moves, read bursts that see one state of the table until they end, and
// writers killed at random points and at every write while another process reads.
#include "tests/engine/churn.h"
#include "tests/engine/engine_test_util.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <set>
#include <stdexcept>
#include <thread>
#ifndef _WIN32
#include "data/engine/dbf_format.h"
#include "tests/support/run_command.h"
#endif

namespace lysora::engine::test {
namespace {

bool WaitForFile(const std::string& path) {
    for (int i = 0; i < 3000; ++i) {
        if (std::filesystem::exists(path)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

TEST(EngineProcesses, RecordLocksExcludeTheOtherProcess) {
    ScratchDir dir;
    std::string table = dir.Path("valeurs");
    CreateValuesTable(table);
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", table, "", true, false)) << LASTERROR();
    AppendValue(1, "LYS", 1);
    AppendValue(2, "LYS", 2);
    DBRUNLOCK();
    ASSERT_TRUE(DBRLOCK(1));
    // Reading the header through the engine must not drop the lock.
    EXPECT_EQ(32u, ReadFileHead(table + ".dbf", 32).size());
    EXPECT_EQ(1, RunPeer({"trylock", table, "1"}));
    EXPECT_EQ(0, RunPeer({"trylock", table, "2"}));
    // A second work area on the same table closing must not drop it either.
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", table, "OTHER", true, true));
    DBCLOSEAREA();
    DBSELECTAREA(1);
    EXPECT_EQ(1, RunPeer({"trylock", table, "1"}));
    DBRUNLOCK(1);
    EXPECT_EQ(0, RunPeer({"trylock", table, "1"}));
    // A change by the other process is seen here once this process moves.
    EXPECT_EQ(0, RunPeer({"put", table, "2", "7.5"}));
    DBGOTO(2);
    EXPECT_DOUBLE_EQ(7.5, FIELDGET(4).Number());
    // A record deleted by the other process: still reachable here by number, marked
    // deleted, and gone from navigation and seeks.
    ORDSETFOCUS(1);
    EXPECT_TRUE(DBSEEK("   2LYS"));
    EXPECT_EQ(0, RunPeer({"delete", table, "2"}));
    EXPECT_FALSE(DBSEEK("   2LYS"));
    DBGOTO(2);
    EXPECT_TRUE(DELETED());
    DBGOTOP();
    EXPECT_EQ(1, RECNO());
    DBSKIP();
    EXPECT_TRUE(DBEOF());
}

// A process that ends with a table still open, or closes it from a static destructor after
// main (as the program's database does), keeps its uncommitted changes and a sound index.
TEST(EngineProcesses, TablesClosedAtProcessEndKeepTheirChanges) {
    for (const char* ending : {"lateclose", "leaveopen"}) {
        SCOPED_TRACE(ending);
        ScratchDir dir;
        std::string table = dir.Path("valeurs");
        CreateValuesTable(table);
        ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", table, "", false, false));
        for (int matiere : {1, 2, 3})
            AppendValue(matiere, "LYS", 1.0);
        DBCLOSEAREA();
        ASSERT_EQ(0, RunPeer({ending, table, "2", "42.5"}));
        ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", table, "", true, true));
        ASSERT_TRUE(DBGOTO(2));
        EXPECT_EQ(42.5, FIELDGET(4).Number());
        EXPECT_TRUE(ORDCHECK().empty());
        DBCLOSEAREA();
    }
}

TEST(EngineProcesses, ExclusiveOpensAreRefusedBothWays) {
    ScratchDir dir;
    std::string table = dir.Path("valeurs");
    CreateValuesTable(table);
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", table, "", true, true));
    EXPECT_EQ(1, RunPeer({"open", table, "exclusive"}));
    EXPECT_EQ(0, RunPeer({"open", table, "shared"}));
    DBCLOSEAREA();

    std::string ready = dir.Path("ready"), stop = dir.Path("stop");
    Peer holder = StartPeer({"hold", table, "exclusive", ready, stop});
    ASSERT_TRUE(WaitForFile(ready));
    EXPECT_FALSE(DBUSEAREA(true, "DBFCDX", table, "", true, false));
    EXPECT_TRUE(NETERR());
    EXPECT_NE(std::string::npos, LASTERROR().find("exclusively"));
    std::string error;
    EXPECT_FALSE(DBCREATE(table, {{"X", 'C', 1, 0}}, {}, &error)); // never under its feet
    EXPECT_NE(std::string::npos, error.find("in use"));
    Touch(stop);
    EXPECT_EQ(0, WaitPeer(holder));
    EXPECT_TRUE(DBUSEAREA(true, "DBFCDX", table, "", true, false)) << LASTERROR();
    EXPECT_FALSE(NETERR());
}

TEST(EngineProcesses, ReaderNeverSeesABrokenIndexWhileAnotherProcessWrites) {
    ScratchDir dir;
    std::string table = dir.Path("valeurs");
    CreateValuesTable(table);
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", table, "", true, true)) << LASTERROR();
    ORDSETFOCUS("MAT_NUTRI");
    const long total = 300;
    Peer writer = StartPeer({"write", table, std::to_string(total)});
    long lastSeen = 0;
    int rounds = 0;
    for (; lastSeen < total && rounds < 20000; ++rounds) {
        DBGOTOP();
        for (; !DBEOF(); DBSKIP(1)) {
            double matiere = FIELDGET(1).Number();
            // The record is either blank (just appended) or filled field by field in
            // the writer's order; never a field that belongs to no state the writer wrote.
            double nb = FIELDGET(3).Number(), tb = FIELDGET(4).Number();
            EXPECT_TRUE(nb == 0 || nb == matiere) << "record " << RECNO();
            EXPECT_TRUE(tb == 0 || std::lround(tb * 10) == std::lround(matiere)) << "record " << RECNO();
        }
        // Records move in the order while the writer fills them, so a walk may meet one
        // twice or miss one; what must hold is that each state read is whole: the
        // index agrees with the records, and records never disappear.
        std::vector<std::string> problems = ORDCHECK();
        ASSERT_TRUE(problems.empty()) << problems.front();
        EXPECT_GE(LASTREC(), lastSeen);
        lastSeen = LASTREC();
    }
    EXPECT_EQ(0, WaitPeer(writer));
    DBGOTOP();
    EXPECT_EQ(total, LASTREC());
    EXPECT_GT(rounds, 1);
}

// The values table shared with records (1 LYS 1.0) and (2 LYS 2.0), open in a new area,
// nothing locked; MAT_NUTRI controls.
int OpenSharedPair(const std::string& table) {
    CreateValuesTable(table);
    EXPECT_TRUE(DBUSEAREA(true, "DBFCDX", table, "", true, false)) << LASTERROR();
    AppendValue(1, "LYS", 1.0);
    AppendValue(2, "LYS", 2.0);
    DBRUNLOCK();
    EXPECT_TRUE(DBCOMMIT()) << LASTERROR();
    ORDSETFOCUS("MAT_NUTRI");
    return SELECT();
}

// The records reached by navigation, in order, as "matiere:hundredths of tb".
std::vector<std::string> Walk() {
    std::vector<std::string> seen;
    for (DBGOTOP(); !DBEOF(); DBSKIP(1))
        seen.push_back(std::to_string(std::lround(FIELDGET(1).Number())) + ":" +
                       std::to_string(std::lround(FIELDGET(4).Number() * 100)));
    return seen;
}

TEST(EngineProcesses, ReadBurstSeesOneStateAndTheMoveAfterItSeesTheOtherProcess) {
    ScratchDir dir;
    std::string table = dir.Path("valeurs");
    const int area = OpenSharedPair(table);
    const std::vector<std::string> before{"1:100", "2:200"};
    {
        ReadBurst burst(area);
        ASSERT_TRUE(burst.Active()) << LASTERROR();
        // Four write-backs by the other process: a changed record, then three appends
        // (matiere 1 LYS, 2 MET, 3 LYS, each with its tenth as TB).
        ASSERT_EQ(0, RunPeer({"put", table, "2", "7.5"}));
        ASSERT_EQ(0, RunPeer({"write", table, "3"}));
        // None of them, whatever the movement: the burst reads the state it began with.
        EXPECT_EQ(before, Walk());
        EXPECT_EQ(2, LASTREC());
        EXPECT_FALSE(DBSEEK("   2MET"));
        EXPECT_TRUE(DBEOF());
        ASSERT_TRUE(DBGOTO(2));
        EXPECT_DOUBLE_EQ(2.0, FIELDGET(4).Number());
        EXPECT_TRUE(DBSEEK("   2LYS"));
        EXPECT_EQ(2, RECNO());
        DBGOTO(4);
        EXPECT_TRUE(DBEOF());
    }
    // The first movement after it takes all of them in.
    ASSERT_TRUE(DBGOTO(2));
    EXPECT_DOUBLE_EQ(7.5, FIELDGET(4).Number());
    EXPECT_EQ(5, LASTREC());
    EXPECT_TRUE(DBSEEK("   2MET"));
    EXPECT_EQ(4, RECNO());
    EXPECT_EQ((std::vector<std::string>{"1:100", "1:10", "2:750", "2:20", "3:30"}), Walk());
    EXPECT_TRUE(ORDCHECK().empty());
    DBCLOSEAREA();
}

// Only the outermost burst's end lets the changes in, and it ends however its scope is
// left, an exception included.
TEST(EngineProcesses, ReadBurstsNestAndEndWithTheirScope) {
    ScratchDir dir;
    std::string table = dir.Path("valeurs");
    const int area = OpenSharedPair(table);
    {
        ReadBurst outer(area);
        ASSERT_TRUE(outer.Active());
        {
            ReadBurst inner(area);
            ASSERT_TRUE(inner.Active());
            ASSERT_EQ(0, RunPeer({"put", table, "1", "3.5"}));
            ASSERT_TRUE(DBGOTO(1));
            EXPECT_DOUBLE_EQ(1.0, FIELDGET(4).Number());
        }
        ASSERT_TRUE(DBGOTO(1));
        EXPECT_DOUBLE_EQ(1.0, FIELDGET(4).Number()) << "the inner burst's end ended the outer one";
    }
    ASSERT_TRUE(DBGOTO(1));
    EXPECT_DOUBLE_EQ(3.5, FIELDGET(4).Number());

    try {
        ReadBurst burst(area);
        ASSERT_EQ(0, RunPeer({"put", table, "1", "4.5"}));
        ASSERT_TRUE(DBGOTO(1));
        EXPECT_DOUBLE_EQ(3.5, FIELDGET(4).Number());
        throw std::runtime_error("left early");
    } catch (const std::runtime_error&) {
    }
    ASSERT_TRUE(DBGOTO(1));
    EXPECT_DOUBLE_EQ(4.5, FIELDGET(4).Number());

    // A burst whose area was closed and opened again meanwhile leaves the new table alone,
    // at its start and at its end.
    std::optional<ReadBurst> old(area);
    DBCLOSEAREA();
    ASSERT_TRUE(DBUSEAREA(false, "DBFCDX", table, "", true, false)) << LASTERROR();
    ASSERT_EQ(area, SELECT());
    ASSERT_EQ(0, RunPeer({"put", table, "1", "5.5"}));
    ASSERT_TRUE(DBGOTO(1));
    EXPECT_DOUBLE_EQ(5.5, FIELDGET(4).Number());
    {
        ReadBurst fresh(area);
        old.reset();
        ASSERT_EQ(0, RunPeer({"put", table, "1", "6.5"}));
        DBGOTO(1);
        EXPECT_DOUBLE_EQ(5.5, FIELDGET(4).Number()) << "the old burst's end ended the new one";
    }
    DBGOTO(1);
    EXPECT_DOUBLE_EQ(6.5, FIELDGET(4).Number());
    EXPECT_FALSE(ReadBurst(kMaxAreas).Active()); // no table there
    DBCLOSEAREA();
}

// A burst reads a state other processes may have moved past: a change made over it could
// be written against stale records, so the table refuses changes until the burst ends.
TEST(EngineProcesses, ReadBurstRefusesChangesUntilItEnds) {
    ScratchDir dir;
    std::string table = dir.Path("valeurs");
    const int area = OpenSharedPair(table);
    ASSERT_TRUE(DBRLOCK(1));
    {
        ReadBurst burst(area);
        ASSERT_EQ(0, RunPeer({"put", table, "2", "8.5"}));
        ASSERT_TRUE(DBGOTO(1));
        EXPECT_FALSE(FIELDPUT(4, Value(9.5)));
        EXPECT_FALSE(LASTERROR().empty());
        EXPECT_FALSE(DBDELETE());
        EXPECT_FALSE(DBRLOCK(2));
        EXPECT_FALSE(DBAPPEND());
        EXPECT_FALSE(DBAPPEND(std::vector<Value>{Value(9), Value(std::string("LYS"))}));
        EXPECT_EQ(2, LASTREC());
        EXPECT_DOUBLE_EQ(1.0, FIELDGET(4).Number());
        EXPECT_FALSE(DELETED());
        // The lock taken before it stays; releasing locks is no change.
        EXPECT_EQ((std::vector<long>{1}), DBRLOCKLIST());
    }
    ASSERT_TRUE(DBGOTO(1));
    EXPECT_TRUE(FIELDPUT(4, Value(9.5))) << LASTERROR();
    EXPECT_TRUE(DBRLOCK(2)) << LASTERROR();
    ASSERT_TRUE(DBGOTO(2));
    EXPECT_DOUBLE_EQ(8.5, FIELDGET(4).Number()); // the other process's change is in
    DBCLOSEAREA();
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", table, "", true, true)) << LASTERROR();
    EXPECT_EQ((std::vector<std::string>{"1:950", "2:850"}), Walk());
    DBCLOSEAREA();
}

// The lines of a file (none when it is missing).
std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

#ifndef _WIN32
// Perl's XBase::Index walks the tag as the engine does (the table open in the current area).
void ExpectXBaseAgrees(const std::string& table) {
    ORDSETFOCUS(1);
    std::string ours;
    for (DBGOTOP(); !DBEOF(); DBSKIP()) {
        std::string key = FormatNumber(FIELDGET(1).Number(), 4, 0) + Trim(FIELDGET(2).Text());
        ours += key + " " + std::to_string(RECNO()) + "\n";
    }
    const auto [status, theirs] = lysora::testing::RunCommand("index_dump -type=char " + table + ".cdx MAT_NUTRI");
    EXPECT_EQ(0, status);
    EXPECT_EQ(ours, theirs);
}
#endif

// Writers killed while they save (at random moments, then at each write of a save in turn,
// before it or half-way through it), while a second process reads and opens the table
// again and again: the reader never sees a stamp that no save committed nor a state mixed
// from two saves, and after each kill the table opens whole, every tag agreeing with it.
TEST(EngineProcesses, WritersKilledAnywhereLeaveReadersOnlyCommittedStates) {
#ifdef _WIN32
    // A process takes a good part of a second to start under Wine: fewer kills there.
    const int randomKills = 40, killWindowUs = 100000;
#else
    const int randomKills = 240, killWindowUs = 30000;
#endif
    ScratchDir dir;
    const std::string table = dir.Path("valeurs");
    CreateValuesTable(table);
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", table, "", false, false)) << LASTERROR();
    ASSERT_TRUE(DBAPPEND({Value(ChurnKey(0)), Value("LYS"), Value(0), Value(0.0)})) << LASTERROR();
    ASSERT_TRUE(DBCLOSEAREA()) << LASTERROR();
    const std::string log = dir.Path("committed"), seen = dir.Path("seen"), stop = dir.Path("stop");
    Peer reader = StartPeer({"watch", table, seen, stop});
    std::set<long> committed{0};
    long incarnation = 0, killed = 0, killedAtWrite = 0;
    // Opened afresh (which undoes what a killed writer left half-done), the table is whole,
    // and the stamp it holds was committed.
    auto check = [&] {
        ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", table, "", true, false)) << LASTERROR();
        ORDSETFOCUS(1);
        EXPECT_EQ("", ChurnProblem());
        committed.insert(ChurnStamp());
#ifndef _WIN32
        if (incarnation % 60 == 0) ExpectXBaseAgrees(table);
#endif
        ASSERT_TRUE(DBCLOSEAREA()) << LASTERROR();
    };
    std::mt19937 rng(26);
    for (int i = 0; i < randomKills && !HasFatalFailure(); ++i) {
        // Every other writer is killed at a random moment after its start (opening, too),
        // the others at a random moment after their first save, however loaded the machine.
        const std::size_t saved = Lines(log).size();
        Peer writer = StartPeer({"churn", table, std::to_string(++incarnation * 100), log});
        for (int wait = 0; i % 2 && wait < 5000 && Lines(log).size() == saved; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % killWindowUs));
        KillPeer(writer);
        killed += WaitPeer(writer) != 0;
        check();
    }
    for (const char* how : {"before", "half"}) {
        for (long n = 1; n < 100 && !HasFatalFailure(); ++n) {
            const int code = RunPeer({"churn", table, std::to_string(++incarnation * 100), log, std::to_string(n), how});
            ASSERT_TRUE(code == 9 || code == 0) << "write " << n << ": exit " << code;
            check();
            if (code == 0) break; // the save had fewer writes
            ++killedAtWrite;
        }
    }
    Touch(stop);
    EXPECT_EQ(0, WaitPeer(reader));
    for (const std::string& line : Lines(log)) committed.insert(std::stol(line));
    const std::vector<std::string> read = Lines(seen);
    for (const std::string& line : read) {
        if (line.rfind("BAD", 0) == 0)
            ADD_FAILURE() << "the reader saw: " << line;
        else if (!committed.count(std::stol(line)))
            ADD_FAILURE() << "the reader saw stamp " << line << ", which no save committed";
    }
    EXPECT_GT(read.size(), 20u) << "the reader hardly read";
    EXPECT_GT(killed, randomKills / 2);
    EXPECT_GT(killedAtWrite, 8);
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", table, "", true, true)) << LASTERROR();
#ifndef _WIN32
    ExpectXBaseAgrees(table);
#endif
    std::printf("kills: %ld at random moments, %ld at a chosen write; %zu stamps committed, %zu states read\n", killed,
                killedAtWrite, committed.size(), read.size());
}

} // namespace
} // namespace lysora::engine::test
