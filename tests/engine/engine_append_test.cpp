// Shared appends write back a handful of small pieces each: the index file grows as one
// built at once does (pages given up are kept in its free list and taken again, also by a
// later program), a damaged free list is never followed into live pages, and a write-back
// stopped at any of its writes leaves the table as it was before it or after it.
#include "tests/engine/engine_test_util.h"

#include "data/engine/file.h"
#include "data/engine/table.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace lysora::engine::test {
namespace {

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | (unsigned char)bytes[at + std::size_t(i)];
    return v;
}

// The values table filled by shared appends, one write-back each, in shuffled key order.
void AppendShared(const std::string& path, int count, unsigned seed) {
    std::vector<int> order(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) order[std::size_t(i)] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(seed));
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", true, false)) << LASTERROR();
    for (int i : order) AppendValue(i / 20 + 1, "N" + std::to_string(100 + i % 20), (i % 1000) / 10.0);
    ASSERT_TRUE(DBCLOSEAREA()) << LASTERROR();
}

// Every file the engine opens from now on goes through plan.
void WrapFiles(const std::shared_ptr<FaultPlan>& plan) {
    SetFileWrapper([plan](std::unique_ptr<File> f, const std::string&) { return FaultyFile(std::move(f), plan); });
}

// The values table at dir/valeurs with count records from shared appends; its path.
std::string SharedTable(const ScratchDir& dir, int count, unsigned seed) {
    const std::string path = dir.Path("valeurs");
    CreateValuesTable(path);
    AppendShared(path, count, seed);
    return path;
}

TEST(EngineAppend, SharedAppendsGrowTheIndexAsABuildAtOnceDoes) {
    ScratchDir dir;
    const std::string path = dir.Path("valeurs");
    CreateValuesTable(path);
    AppendShared(path, 6000, 5);
    const auto shared = std::filesystem::file_size(path + ".cdx");
    std::string error;
    auto rebuilt = Table::Open(path, false, false, OpenMode::kRepair, error);
    ASSERT_TRUE(rebuilt && rebuilt->Close()) << error;
    const auto built = std::filesystem::file_size(path + ".cdx");
    EXPECT_LT(shared, 2 * built) << "shared appends: " << shared << " bytes, built at once: " << built;
}

// The free-page list as the index file keeps it: the head at offset 4 of the file header,
// each free page naming the next in its first four bytes.
std::vector<std::uint32_t> FreeList(const std::string& cdx) {
    std::vector<std::uint32_t> pages;
    for (std::uint32_t at = Le32(cdx, 4); at != 0xFFFFFFFFu && at != 0; at = Le32(cdx, at)) {
        if (at % 512 != 0 || at + 512 > cdx.size() || pages.size() > cdx.size() / 512) {
            ADD_FAILURE() << "free list runs to " << at;
            break;
        }
        pages.push_back(at);
    }
    return pages;
}

// Moves the keys of records first..last to the end of the order (their feedstuff + 5000),
// each change written back on its own.
void MoveKeys(long first, long last) {
    for (long r = first; r <= last; ++r) {
        ASSERT_TRUE(DBRLOCK(r) && DBGOTO(r)) << LASTERROR();
        ASSERT_TRUE(FIELDPUT(1, Value(FIELDGET(1).Number() + 5000))) << LASTERROR();
        DBRUNLOCK(r);
        ASSERT_EQ("", LASTERROR());
    }
}

// Leaves emptied by key changes are given up into the file's free list, and a later
// program takes them again for the leaves it needs, so the file does not grow; the list
// reads as the format has it.
TEST(EngineAppend, PagesGivenUpAreKeptInTheFreeListAndTakenAgain) {
    ScratchDir dir;
    const std::string path = dir.Path("valeurs");
    CreateValuesTable(path);
    AppendShared(path, 3000, 8);
    ASSERT_TRUE(FreeList(Slurp(path + ".cdx")).empty());
    // The lowest keys (feedstuffs 1 to 50) move to the top: the leaves that held them empty.
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", true, false)) << LASTERROR();
    ORDSETFOCUS(1);
    std::vector<long> low;
    for (DBGOTOP(); !DBEOF() && FIELDGET(1).Number() <= 50; DBSKIP()) low.push_back(RECNO());
    ASSERT_EQ(1000u, low.size());
    for (long r : low) MoveKeys(r, r);
    ASSERT_TRUE(DBCLOSEAREA()) << LASTERROR();
    const std::string moved = Slurp(path + ".cdx");
    const std::vector<std::uint32_t> free = FreeList(moved);
    EXPECT_GE(free.size(), 5u) << "leaves given up";
    // Another program moves them back: the leaves it needs come from the free list.
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", true, false)) << LASTERROR();
    for (long r : low) {
        ASSERT_TRUE(DBRLOCK(r) && DBGOTO(r) && FIELDPUT(1, Value(FIELDGET(1).Number() - 5000))) << LASTERROR();
        DBRUNLOCK(r);
    }
    EXPECT_TRUE(ORDCHECK().empty());
    ASSERT_TRUE(DBCLOSEAREA()) << LASTERROR();
    const std::string back = Slurp(path + ".cdx");
    EXPECT_LT(FreeList(back).size(), free.size());
    // Without the list it would grow by every leaf it needs (more than the list holds);
    // with it, by the few needed before this program's own emptied leaves join the list.
    EXPECT_LT(back.size(), moved.size() + free.size() * 512) << "the file grew instead of taking its free pages";
    // What is in the list is nowhere in the tree: a fresh open checks every tag.
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", true, true)) << LASTERROR();
    EXPECT_TRUE(ORDCHECK().empty());
}

// A free list that runs into a page in use (here the tag's root) is not followed: the
// table opens, changes write back without touching that page, and the file stays sound.
TEST(EngineAppend, AFreeListRunningIntoLivePagesIsNeverFollowed) {
    ScratchDir dir;
    const std::string path = dir.Path("valeurs");
    CreateValuesTable(path);
    AppendShared(path, 500, 2);
    std::string cdx = Slurp(path + ".cdx");
    std::uint32_t root = 0;
    for (std::uint32_t at = 1024; at + 512 <= cdx.size(); at += 512)
        if (cdx.compare(at + 512, 22, "str(MATIERE,4,0)+NUTRI") == 0) {
            root = Le32(cdx, at);
            break;
        }
    ASSERT_NE(0u, root);
    for (int i = 0; i < 4; ++i) cdx[4 + std::size_t(i)] = char(root >> (8 * i));
    Spit(path + ".cdx", cdx);
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", true, false)) << LASTERROR();
    for (int i = 0; i < 300; ++i) AppendValue(9000 + i, "LYS", 1);
    ASSERT_TRUE(DBCLOSEAREA()) << LASTERROR();
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", true, true)) << LASTERROR();
    EXPECT_EQ(800, LASTREC());
    EXPECT_TRUE(ORDCHECK().empty());
    EXPECT_NE(root, Le32(Slurp(path + ".cdx"), 4));
}

// Shared appends with the Nth write failing, for every write of a run of appends that
// splits leaves and interior pages (the journal, the record and end mark, the header,
// leaves, interior pages, freed pages, the free list's head, the done mark, the change
// note), and then with the disk stopping part-way through each of them: every failure
// is reported, the changes it held wait for the next write-back, and the table reopened
// holds exactly the appends reported done, under an index that agrees.
TEST(EngineAppend, ASharedAppendStoppedAtAnyWriteLeavesTheOldOrTheNewState) {
    ScratchDir dir;
    const std::string path = SharedTable(dir, 1200, 4);
    const std::string dbf = Slurp(path + ".dbf"), cdx = Slurp(path + ".cdx");
    auto restore = [&] {
        Spit(path + ".dbf", dbf);
        Spit(path + ".cdx", cdx);
        std::filesystem::remove(path + ".jnl");
        std::filesystem::remove(path + ".chg");
    };
    // 60 appends, all into the same few leaves (feedstuff 30), then a commit.
    auto run = [&](const std::shared_ptr<FaultPlan>& plan, long failAt, std::uint64_t budget) {
        WrapFiles(plan);
        long appended = 0, failures = 0;
        if (!DBUSEAREA(true, "DBFCDX", path, "", true, false)) {
            ADD_FAILURE() << LASTERROR();
            SetFileWrapper({});
            return appended;
        }
        plan->failWrite = failAt ? plan->writes + failAt : 0;
        plan->byteBudget = budget;
        for (int i = 0; i < 60; ++i) {
            if (!DBAPPEND()) {
                ++failures;
                continue;
            }
            ++appended;
            if (!(FIELDPUT(1, Value(30)) && FIELDPUT(2, Value("X" + std::to_string(100 + i))) && FIELDPUT(4, Value(7.0))))
                ADD_FAILURE() << LASTERROR();
        }
        if (!DBCOMMIT()) ++failures;
        DBCLOSEAREA();
        SetFileWrapper({});
        EXPECT_EQ(failures > 0, failAt > 0 || budget != ~std::uint64_t(0)) << "a failure went unreported, or one was invented";
        return appended;
    };
    auto expect = [&](long appended, bool valuesWritten) {
        ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", false, false)) << LASTERROR();
        EXPECT_EQ(1200 + appended, LASTREC());
        std::vector<std::string> problems = ORDCHECK();
        EXPECT_TRUE(problems.empty()) << problems.front();
        for (long r = 1201; r <= LASTREC() && valuesWritten; ++r) {
            DBGOTO(r);
            EXPECT_EQ(30, FIELDGET(1).Number()) << "record " << r;
        }
        ORDSETFOCUS(1);
        if (valuesWritten) {
            EXPECT_EQ(appended > 0, DBSEEK("  30X1")) << "appended keys in the order";
        }
        ASSERT_TRUE(DBCLOSEAREA());
        EXPECT_FALSE(std::filesystem::exists(path + ".jnl"));
    };
    long writes = 0;
    {
        restore();
        auto plan = std::make_shared<FaultPlan>();
        ASSERT_EQ(60, run(plan, 0, ~std::uint64_t(0)));
        writes = plan->writes;
        expect(60, true);
    }
    ASSERT_GT(writes, 60 * 5);
    for (long n = 1; n <= writes; n += n < 40 ? 1 : 7) {
        SCOPED_TRACE("failing write " + std::to_string(n));
        restore();
        long appended = run(std::make_shared<FaultPlan>(), n, ~std::uint64_t(0));
        expect(appended, true); // a failed write-back is retried by the next
    }
    for (std::uint64_t budget : {0, 1, 100, 3000, 9000, 20000, 40000, 70000}) {
        SCOPED_TRACE("bytes through: " + std::to_string(budget));
        restore();
        long appended = run(std::make_shared<FaultPlan>(), 0, budget);
        expect(appended, false); // the disk stopped: the values may not have followed
    }
}

// A shared append whose write-back stops part-way, and whose undo cannot be written either
// (the disk stopped), then the disk comes back: the work area reads the files again before
// its next write-back instead of writing what it held, so the record never appended
// leaves no key behind and the waiting change still goes through.
TEST(EngineAppend, AfterAWriteBackThatCouldNotBeUndoneTheAreaReadsTheFilesAgain) {
    ScratchDir dir;
    const std::string path = SharedTable(dir, 300, 6);
    const std::string dbf = Slurp(path + ".dbf"), cdx = Slurp(path + ".cdx"), note = Slurp(path + ".chg");
    // cut: how many bytes of the append's write-back get through (none: all of them).
    auto run = [&](std::uint64_t cut) {
        Spit(path + ".dbf", dbf);
        Spit(path + ".cdx", cdx);
        Spit(path + ".chg", note); // the change note too, so that every run writes as much
        auto plan = std::make_shared<FaultPlan>();
        WrapFiles(plan);
        std::uint64_t used = 0;
        if (DBUSEAREA(true, "DBFCDX", path, "", true, false) && DBRLOCK(1) && DBGOTO(1) && FIELDPUT(4, Value(99.0))) {
            plan->byteBudget = cut;
            const bool appended = DBAPPEND(std::vector<Value>{Value(1), Value("ZZZ")});
            EXPECT_EQ(cut == ~std::uint64_t(0), appended);
            used = cut - plan->byteBudget;
            plan->stopped = false; // the disk is back
            plan->byteBudget = ~std::uint64_t(0);
            EXPECT_TRUE(DBCOMMIT()) << LASTERROR();
        } else {
            ADD_FAILURE() << LASTERROR();
        }
        EXPECT_TRUE(DBCLOSEAREA()) << LASTERROR();
        SetFileWrapper({});
        EXPECT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", true, true)) << LASTERROR();
        EXPECT_EQ(cut == ~std::uint64_t(0) ? 301 : 300, LASTREC());
        std::vector<std::string> problems = ORDCHECK();
        EXPECT_TRUE(problems.empty()) << problems.front();
        DBGOTO(1);
        EXPECT_EQ(99.0, FIELDGET(4).Number());
        DBCLOSEAREA();
        return used;
    };
    const std::uint64_t total = run(~std::uint64_t(0));
    ASSERT_GT(total, 1000u);
    // Stopped at the journal's done mark, in the index, in the records.
    for (std::uint64_t cut : {total - 1, total - 100, total - 400}) {
        SCOPED_TRACE("bytes through: " + std::to_string(cut) + " of " + std::to_string(total));
        run(cut);
    }
}

// New memos are written back with the records naming them, under the journal: a write-back
// stopped at any write (exclusive commit, or a shared table's memo put) leaves the memo
// file exactly as it was, with every record naming a memo that reads back whole.
TEST(EngineAppend, AMemoWriteBackStoppedAnywhereLeavesTheOldMemoFile) {
    ScratchDir dir;
    const std::string path = dir.Path("notes");
    auto reset = [&] {
        ASSERT_TRUE(DBCREATE(path, {{"CODE", 'C', 4, 0}, {"NOTE", 'M', 10, 0}}, {{"CODE", "CODE", ""}}));
        ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", false, false)) << LASTERROR();
        for (int i = 1; i <= 3; ++i)
            ASSERT_TRUE(DBAPPEND(std::vector<Value>{Value("R" + std::to_string(i)), Value(std::string(700 * i, char('a' + i)))}))
                << LASTERROR();
        ASSERT_TRUE(DBCLOSEAREA()) << LASTERROR();
    };
    // Every record's memo reads back whole: the old text, or (changed) the new one.
    auto expect = [&](const std::string& oldDbt, bool changed) {
        ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", false, false)) << LASTERROR();
        EXPECT_EQ(changed ? 5 : 3, LASTREC());
        for (long r = 1; r <= LASTREC(); ++r) {
            DBGOTO(r);
            const std::string text = FIELDGET(2).Text();
            const std::string old(std::size_t(700 * r), char('a' + r));
            EXPECT_EQ(changed ? "new " + std::to_string(r) + old : old, text) << "record " << r;
        }
        EXPECT_TRUE(ORDCHECK().empty());
        ASSERT_TRUE(DBCLOSEAREA());
        if (!changed) {
            EXPECT_EQ(oldDbt, Slurp(path + ".dbt")) << "the memo file changed";
        }
    };
    auto change = [](bool shared) {
        bool ok = true;
        for (long r = 1; r <= 3 && ok; ++r) {
            DBGOTO(r);
            ok = (!shared || DBRLOCK(r)) && FIELDPUT(2, Value("new " + std::to_string(r) + FIELDGET(2).Text()));
        }
        for (long r = 4; r <= 5 && ok; ++r)
            ok = DBAPPEND(std::vector<Value>{Value("R" + std::to_string(r)),
                                             Value("new " + std::to_string(r) + std::string(std::size_t(700 * r), char('a' + r)))});
        return ok && DBCOMMIT();
    };
    for (bool shared : {false, true}) {
        SCOPED_TRACE(shared ? "shared" : "exclusive");
        long writes = 0;
        {
            reset();
            auto plan = std::make_shared<FaultPlan>();
            WrapFiles(plan);
            ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", shared, false));
            plan->writes = 0;
            ASSERT_TRUE(change(shared)) << LASTERROR();
            ASSERT_TRUE(DBCLOSEAREA());
            writes = plan->writes;
            SetFileWrapper({});
            expect("", true);
        }
        // Exclusive: every write of the one commit. Shared: every write up to the first
        // memo put's write-back done (the ones after it belong to later write-backs).
        for (long n = 1; n <= (shared ? 6 : writes); ++n) {
            SCOPED_TRACE("failing write " + std::to_string(n));
            reset();
            const std::string oldDbt = Slurp(path + ".dbt");
            auto plan = std::make_shared<FaultPlan>();
            WrapFiles(plan);
            ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", shared, false));
            plan->failWrite = plan->writes + n;
            EXPECT_FALSE(change(shared));
            plan->stopped = true; // the machine stops: nothing more is written
            DBCLOSEAREA();
            SetFileWrapper({});
            expect(oldDbt, false);
        }
    }
}

} // namespace
} // namespace lysora::engine::test
