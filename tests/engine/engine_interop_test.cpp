// Independent readers and writers of the published formats agree with the engine:
// Debian's python3-dbf and dbfread read the tables we write, the engine reads a table
// python3-dbf writes, and Perl's XBase::Index (index_dump) walks every tag of our
// compound indexes in the same key order as the engine; a program locking the bytes that
// FoxPro-style engines lock (Python's fcntl) and the engine exclude each other, and a lock
// held for too long makes the engine give up rather than hang. Host build only.
#include "tests/engine/engine_test_util.h"

#include "data/engine/dbf_format.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <fstream>
#include <sstream>

namespace lysora::engine::test {
namespace {

// Runs a shell command; its standard output, or "<failed>" when it did not exit with 0.
std::string RunShell(const std::string& command) {
    std::string out;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return "<failed>";
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    return ::pclose(pipe) == 0 ? out : "<failed>" + out;
}

std::string RunPython(const ScratchDir& dir, const std::string& script) {
    std::string path = dir.Path("script.py");
    std::ofstream(path) << script;
    return RunShell("/usr/bin/python3 " + path + " 2>&1");
}

const char* kNutrients[] = {"LYS", "MET", "CYS", "THR", "TRP", "ILE", "VAL", "LEU", "HIS", "PHE"};

TEST(EngineInterop, PythonReadsTablesWeWrite) {
    ScratchDir dir;
    std::string path = dir.Path("mixed");
    ASSERT_TRUE(DBCREATE(path,
                         {{"NAME", 'C', 10, 0}, {"QTY", 'N', 8, 3}, {"OK", 'L', 1, 0},
                          {"BORN", 'D', 8, 0}, {"NOTE", 'M', 10, 0}},
                         {{"NAME", "NAME", ""}}));
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", false, false));
    ASSERT_TRUE(DBAPPEND() && FIELDPUT(1, Value("Orge")) && FIELDPUT(2, Value(-12.125)) &&
                FIELDPUT(3, Value(true)) && FIELDPUT(4, Value(Date::FromYmd(2001, 3, 4))) &&
                FIELDPUT(5, Value(std::string(700, 'm'))));
    ASSERT_TRUE(DBAPPEND() && FIELDPUT(1, Value("Bl\xE9")) && FIELDPUT(2, Value(3.0)));
    ASSERT_TRUE(DBAPPEND() && FIELDPUT(1, Value("Gone")) && DBDELETE());
    DBCLOSEAREA();
    std::string out = RunPython(dir, R"(
import dbf, dbfread
t = dbf.Table(')" + path + R"(.dbf'); t.open()
for r in t:
    print('dbf', repr(r.name.rstrip()), r.qty, r.ok, r.born, len(r.note), dbf.is_deleted(r))
for r in dbfread.DBF(')" + path + R"(.dbf', encoding='cp1252', load=True).records:
    print('dbfread', repr(r['NAME']), r['QTY'], r['OK'], r['BORN'], len(r['NOTE'] or ''))
)");
    EXPECT_EQ("dbf 'Orge' -12.125 True 2001-03-04 700 False\n"
              "dbf 'Bl\xC3\xA9' 3.0 None None 0 False\n" // UTF-8 output; blank logical and date unknown
              "dbf 'Gone' None None None 0 True\n"
              "dbfread 'Orge' -12.125 True 2001-03-04 700\n"
              "dbfread 'Bl\xC3\xA9' 3.0 None None 0\n",
              out);
}

TEST(EngineInterop, WeReadTablesPythonWrites) {
    ScratchDir dir;
    std::string path = dir.Path("py");
    std::string out = RunPython(dir, R"(
import dbf, datetime
t = dbf.Table(')" + path + R"(.dbf', 'NAME C(10); QTY N(6,2); OK L; BORN D; NOTE M', dbf_type='db3', codepage='cp1252')
t.open(dbf.READ_WRITE)
t.append(('Orge', 12.5, True, datetime.date(2001, 3, 4), 'long memo ' * 100))
t.append(('Bl\xe9', -3.25, False, None, ''))
t.close()
)");
    ASSERT_EQ("", out);
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", true, true)) << LASTERROR();
    ASSERT_EQ(5, FCOUNT());
    EXPECT_EQ(Value("N"), DBFIELDINFO(DBS_TYPE, 2));
    EXPECT_EQ(Value(2), DBFIELDINFO(DBS_DEC, 2));
    ASSERT_EQ(2, LASTREC());
    DBGOTOP();
    EXPECT_EQ("Orge      ", FIELDGET(1).Text());
    EXPECT_DOUBLE_EQ(12.5, FIELDGET(2).Number());
    EXPECT_EQ(Value(true), FIELDGET(3));
    EXPECT_EQ(Value(Date::FromYmd(2001, 3, 4)), FIELDGET(4));
    std::string memo;
    for (int i = 0; i < 100; ++i) memo += "long memo ";
    EXPECT_EQ(memo, FIELDGET(5).Text());
    DBSKIP();
    EXPECT_EQ("Bl\xE9       ", FIELDGET(1).Text());
    EXPECT_DOUBLE_EQ(-3.25, FIELDGET(2).Number());
    EXPECT_TRUE(FIELDGET(4).GetDate().IsEmpty());
    EXPECT_EQ("", FIELDGET(5).Text());
}

TEST(EngineInterop, XBaseIndexWalksEveryTagInOurOrder) {
    ScratchDir dir;
    std::string path = dir.Path("valeurs");
    std::string error;
    ASSERT_TRUE(DBCREATE(path,
                         {{"MATIERE", 'N', 4, 0}, {"NUTRI", 'C', 5, 0}, {"NB_VAL", 'N', 3, 0},
                          {"TB", 'N', 6, 2}, {"OK", 'L', 1, 0}},
                         {{"MAT_NUTRI", "str(MATIERE,4,0)+NUTRI", ""},
                          {"NUTRI", "NUTRI", ""},
                          {"TB", "str(TB,6,2)", ""},
                          {"OKNUT", "if(OK,'Y','N' )+NUTRI", "NB_VAL > 2"}},
                         &error))
        << error;
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", false, false));
    for (int i = 0; i < 4000; ++i) {
        ASSERT_TRUE(DBAPPEND() && FIELDPUT(1, Value((i * 7919) % 1200)) &&
                    FIELDPUT(2, Value(kNutrients[i % 10])) && FIELDPUT(3, Value(i % 7)) &&
                    FIELDPUT(4, Value((i % 1000) / 10.0)) && FIELDPUT(5, Value(i % 3 == 0)));
    }
    ASSERT_TRUE(DBCOMMIT());
    auto compareTags = [&] {
        for (int order = 1; order <= ORDCOUNT(); ++order) {
            ORDSETFOCUS(order);
            std::ostringstream ours;
            for (DBGOTOP(); !DBEOF(); DBSKIP()) {
                std::string key;
                if (order == 1) key = FormatNumber(FIELDGET(1).Number(), 4, 0) + FIELDGET(2).Text();
                if (order == 2) key = FIELDGET(2).Text();
                if (order == 3) key = FormatNumber(FIELDGET(4).Number(), 6, 2);
                if (order == 4) key = std::string(FIELDGET(5).Logical() ? "Y" : "N") + FIELDGET(2).Text();
                while (!key.empty() && key.back() == ' ') key.pop_back();
                ours << key << " " << RECNO() << "\n";
            }
            std::string theirs = RunShell("index_dump -type=char " + path + ".cdx " + ORDNAME(order) + " 2>&1");
            EXPECT_EQ(ours.str(), theirs) << "tag " << ORDNAME(order);
            EXPECT_GT(ours.str().size(), 1000u);
        }
    };
    compareTags();
    // Written back piece by piece in a shared table: keys moving away from the lowest
    // leaves (which go to the free list), interior pages splitting, pages taken again.
    ASSERT_TRUE(DBCLOSEAREA());
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", true, false)) << LASTERROR();
    for (long r = 1; r <= 4000; ++r) {
        if (std::uint32_t(r * 2654435761u) % 3 != 0) continue;
        ASSERT_TRUE(DBRLOCK(r) && DBGOTO(r)) << LASTERROR();
        ASSERT_TRUE(FIELDPUT(1, Value(int(9000 - r))) && FIELDPUT(4, Value((r % 997) / 10.0)));
        DBRUNLOCK(r);
    }
    for (int i = 0; i < 1500; ++i)
        ASSERT_TRUE(DBAPPEND() && FIELDPUT(1, Value((i * 31) % 1200)) && FIELDPUT(2, Value(kNutrients[i % 10])) &&
                    FIELDPUT(3, Value(i % 5)) && FIELDPUT(5, Value(i % 2 == 0)));
    ASSERT_TRUE(DBCOMMIT()) << LASTERROR();
    compareTags();
}

// Two processes take turns saving on one shared table, each taking in the other's saves
// (through the change note) before its own; every save lands, as dbfread reads the file.
TEST(EngineInterop, ACopyThatTookInTheOtherCopysSaveSavesAgain) {
    ScratchDir dir;
    std::string path = dir.Path("valeurs");
    CreateValuesTable(path);
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", true, false)) << LASTERROR();
    AppendValue(1, "LYS", 1.0);
    AppendValue(2, "LYS", 2.0);
    ASSERT_TRUE(DBCLOSEAREA()) << LASTERROR();
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", true, false)) << LASTERROR(); // has written nothing yet
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(0, RunPeer({"put", path, "2", std::to_string(20 + round)}));
        ASSERT_TRUE(DBGOTO(2)) << LASTERROR(); // one save behind: caught up from the note
        EXPECT_DOUBLE_EQ(20 + round, FIELDGET(4).Number());
        ASSERT_TRUE(DBRLOCK(1)) << LASTERROR();
        ASSERT_TRUE(DBGOTO(1) && FIELDPUT(4, Value(10.0 + round))) << LASTERROR();
        DBRUNLOCK(1);
        EXPECT_TRUE(DBCOMMIT()) << LASTERROR();
        ASSERT_EQ(0, RunPeer({"put", path, "1", std::to_string(30 + round)})) << "the next save of the other copy";
        ASSERT_TRUE(DBGOTO(1)) << LASTERROR();
        EXPECT_TRUE(DBAPPEND() && FIELDPUT(1, Value(2 + round)) && FIELDPUT(2, Value("MET")) &&
                    FIELDPUT(4, Value(double(round))) && DBCOMMIT())
            << LASTERROR();
        DBRUNLOCK();
    }
    EXPECT_TRUE(ORDCHECK().empty());
    EXPECT_EQ("1 33.0\n2 23.0\n3 1.0\n4 2.0\n5 3.0\n", RunPython(dir, R"(
import dbfread
for r in dbfread.DBF(')" + path + R"(.dbf', load=True).records:
    print(r['MATIERE'], r['TB'])
)"));
}

// Locks the given bytes of a file (exclusive, or shared as a reader does; one byte each) in a
// Python process, creates `ready`, and holds them until `stop` exists (at most 60 s).
void StartPythonLocker(const ScratchDir& dir, const std::string& file, const std::vector<long long>& bytes,
                       const std::string& ready, const std::string& stop, bool shared = false) {
    std::string list;
    for (long long b : bytes) list += std::to_string(b) + ",";
    std::ofstream(dir.Path("locker.py")) << R"(
import fcntl, os, time
fd = os.open(')" + file + R"(', os.O_RDWR)
for b in [)" + list + R"(]:
    fcntl.lockf(fd, fcntl.)" + (shared ? "LOCK_SH" : "LOCK_EX") + R"( | fcntl.LOCK_NB, 1, b)
open(')" + ready + R"(', 'w').close()
for i in range(6000):
    if os.path.exists(')" + stop + R"('): break
    time.sleep(0.01)
)";
    RunShell("/usr/bin/python3 " + dir.Path("locker.py") + " >/dev/null 2>&1 &");
}

bool WaitFor(const std::string& path) {
    for (int i = 0; i < 1000 && !std::filesystem::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return std::filesystem::exists(path);
}

// Whether Python can lock byte `offset` of file at once.
bool PythonCanLock(const ScratchDir& dir, const std::string& file, long long offset) {
    std::string out = RunPython(dir, R"(
import fcntl, os
fd = os.open(')" + file + R"(', os.O_RDWR)
try:
    fcntl.lockf(fd, fcntl.LOCK_EX | fcntl.LOCK_NB, 1, )" + std::to_string(offset) + R"()
    print('free')
except OSError:
    print('held')
)");
    EXPECT_TRUE(out == "free\n" || out == "held\n") << out;
    return out == "free\n";
}

TEST(EngineInterop, LocksAreWhereFoxProStyleEnginesLookAndNeverWaitForEver) {
    ScratchDir dir;
    std::string path = dir.Path("valeurs");
    CreateValuesTable(path);
    const std::string dbf = path + ".dbf", cdx = path + ".cdx";
    const long long header = 0x7FFFFFFE;
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", true, false)) << LASTERROR();
    for (int i = 1; i <= 6; ++i) AppendValue(i, "LYS", i);
    DBRUNLOCK();
    ASSERT_TRUE(DBRLOCK(3));
    EXPECT_FALSE(PythonCanLock(dir, dbf, header - 3));
    EXPECT_TRUE(PythonCanLock(dir, dbf, header - 4));
    EXPECT_TRUE(PythonCanLock(dir, dbf, header)); // nobody is writing now
    DBRUNLOCK(3);
    EXPECT_TRUE(PythonCanLock(dir, dbf, header - 3));

    // The other program holds record 5; then the header (it is appending); then the index.
    StartPythonLocker(dir, dbf, {header - 5}, dir.Path("ready1"), dir.Path("stop1"));
    ASSERT_TRUE(WaitFor(dir.Path("ready1")));
    EXPECT_FALSE(DBRLOCK(5));
    EXPECT_TRUE(DBRLOCK(4)) << LASTERROR();
    std::ofstream(dir.Path("stop1")) << "x";
    StartPythonLocker(dir, dbf, {header}, dir.Path("ready2"), dir.Path("stop2"));
    ASSERT_TRUE(WaitFor(dir.Path("ready2")));
    EXPECT_FALSE(DBAPPEND(false)); // gives up while the header is still held
    EXPECT_NE(std::string::npos, LASTERROR().find("busy")) << LASTERROR();
    std::ofstream(dir.Path("stop2")) << "x";
    StartPythonLocker(dir, cdx, {header}, dir.Path("ready3"), dir.Path("stop3"));
    ASSERT_TRUE(WaitFor(dir.Path("ready3")));
    EXPECT_TRUE(DBGOTO(2)) << LASTERROR(); // nothing changed: the index need not be read
    EXPECT_FALSE(DBAPPEND(false)); // the index being written: the append waits, then gives up
    EXPECT_NE(std::string::npos, LASTERROR().find("index")) << LASTERROR();
    std::ofstream(dir.Path("stop3")) << "x";
    bool appended = false;
    for (int i = 0; i < 500 && !(appended = DBAPPEND()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(appended) << LASTERROR();
    EXPECT_EQ(7, LASTREC());

    // Another program reading (the header held shared) while a change waits to be written:
    // the move gives up saying so, and so does closing, each after one wait.
    ASSERT_TRUE(DBRLOCK(2) && DBGOTO(2) && FIELDPUT(4, Value(22.0))) << LASTERROR();
    StartPythonLocker(dir, dbf, {header}, dir.Path("ready4"), dir.Path("stop4"), true);
    ASSERT_TRUE(WaitFor(dir.Path("ready4")));
    EXPECT_FALSE(DBSKIP(1));
    EXPECT_NE(std::string::npos, LASTERROR().find("reading it for too long")) << LASTERROR();
    EXPECT_FALSE(DBCLOSEAREA());
    std::ofstream(dir.Path("stop4")) << "x";

    // An exclusive open for reading only excludes others all the same.
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", false, true)) << LASTERROR();
    EXPECT_EQ(1, RunPeer({"open", path, "shared"}));
    EXPECT_FALSE(DBRLOCK(1) && DBGOTO(1) && FIELDPUT(4, Value(1.0)));
}

} // namespace
} // namespace lysora::engine::test
