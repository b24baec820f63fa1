// The second process of the engine's multi-process tests. Commands:
//   engine_peer trylock TABLE RECNO         exit 0 when the record lock was obtained, 1 not
//   engine_peer open TABLE shared|exclusive exit 0 when the table opened, 1 when refused
//   engine_peer hold TABLE exclusive|shared READYFILE STOPFILE
//                 opens the table, creates READYFILE, waits for STOPFILE, exits 0
//   engine_peer write TABLE COUNT           appends COUNT value records (shared), each
//                                           committed; exit 0 when all went well
//   engine_peer put TABLE RECNO TB          locks the record, sets TB, commits, exit 0
//   engine_peer delete TABLE RECNO          locks the record, deletes it, exit 0
//   engine_peer lateclose TABLE RECNO TB    exclusive open, sets TB without commit; a static
//                                           object closes the table after main, as the
//                                           program's database does; exit 0
//   engine_peer leaveopen TABLE RECNO TB    the same, but nothing closes the table; exit 0
//   engine_peer churn TABLE FIRST LOG [DIEAT [half]]
//                 saves stamps FIRST, FIRST + 1, ... (at most 99) one write-back each:
//                 record 1 takes the stamp (TB = stamp / 100, MATIERE = ChurnKey) and a
//                 record holding it is appended (MATIERE = stamp % 1000, NUTRI "A"); each
//                 stamp is written to LOG once committed. With DIEAT: one stamp only, and
//                 the process ends (exit 9) at that write of its write-back, before it or,
//                 with "half", after half of its bytes; exit 0 when the write-back had fewer.
//   engine_peer watch TABLE OUT STOP   reads the table over and over (opening it again every
//                 tenth time) until STOP exists; writes to OUT each stamp it sees, and a
//                 line "BAD ..." for any state that no complete write-back left
#include "data/engine/engine.h"
#include "data/engine/file.h"
#include "tests/engine/churn.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

using namespace lysora;
using namespace lysora::engine;

namespace {

int Usage() {
    std::fprintf(stderr, "engine_peer: bad arguments\n");
    return 2;
}

// Closes the current area when static objects are destroyed, after main has returned.
struct CloseAtExit {
    bool armed = false;
    ~CloseAtExit() {
        if (armed) DBCLOSEAREA();
    }
};
CloseAtExit closeAtExit; // constructed before the engine is first used

bool Open(const char* table, bool shared) {
    if (DBUSEAREA(true, "DBFCDX", table, "", shared, false)) return true;
    std::fprintf(stderr, "engine_peer: %s\n", LASTERROR().c_str());
    return false;
}

int Churn(const char* table, long first, const char* log, long dieAt, bool half) {
    auto plan = std::make_shared<FaultPlan>();
    plan->crash = true;
    plan->crashHalfway = half;
    if (dieAt > 0)
        SetFileWrapper([plan](std::unique_ptr<File> f, const std::string&) { return FaultyFile(std::move(f), plan); });
    if (!Open(table, true)) return 3;
    const long last = dieAt > 0 ? first : first + 98;
    for (long stamp = first; stamp <= last; ++stamp) {
        const double tb = double(stamp) / 100;
        const bool changed = DBRLOCK(1) && DBGOTO(1) && FIELDPUT(1, Value(test::ChurnKey(stamp))) &&
                             FIELDPUT(4, Value(tb));
        if (dieAt > 0) plan->failWrite = plan->writes + dieAt;
        // The waiting change to record 1 goes back with the appended record, in one write-back.
        if (!changed || !DBAPPEND({Value(int(stamp % 1000)), Value("A"), Value(0), Value(tb)}) || !DBCOMMIT()) {
            std::fprintf(stderr, "engine_peer: %s\n", LASTERROR().c_str());
            return 1;
        }
        if (std::FILE* out = std::fopen(log, "a")) {
            std::fprintf(out, "%ld\n", stamp);
            std::fclose(out);
        }
    }
    return 0;
}

int Watch(const char* table, const char* outPath, const char* stop) {
    std::FILE* out = std::fopen(outPath, "w");
    if (!out) return 2;
    long lastSeen = -1;
    for (long round = 0; !std::filesystem::exists(stop); ++round) {
        if (round % 10 == 0) {
            DBCLOSEALL();
            if (!Open(table, true)) {
                std::fprintf(out, "BAD cannot open: %s\n", LASTERROR().c_str());
                break;
            }
            ORDSETFOCUS(1);
        }
        ReadBurst burst(SELECT()); // one state of the table for the reads below
        if (!burst.Active()) {
            std::fprintf(out, "BAD cannot read: %s\n", LASTERROR().c_str());
            break;
        }
        const std::string problem = test::ChurnProblem();
        const long stamp = test::ChurnStamp();
        if (!problem.empty()) std::fprintf(out, "BAD %s\n", problem.c_str());
        if (stamp != lastSeen) std::fprintf(out, "%ld\n", stamp);
        std::fflush(out);
        lastSeen = stamp;
    }
    std::fclose(out);
    return 0;
}


} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    std::string command = argv[1];
    const char* table = argv[2];
    if (command == "trylock" && argc == 4) {
        if (!Open(table, true)) return 3;
        return DBRLOCK(std::atol(argv[3])) ? 0 : 1;
    }
    if (command == "open" && argc == 4) return Open(table, std::string(argv[3]) == "shared") ? 0 : 1;
    if (command == "hold" && argc == 6) {
        if (!Open(table, std::string(argv[3]) == "shared")) return 3;
        std::FILE* ready = std::fopen(argv[4], "w");
        if (ready) std::fclose(ready);
        for (int i = 0; i < 6000 && !std::filesystem::exists(argv[5]); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return 0;
    }
    if (command == "write" && argc == 4) {
        if (!Open(table, true)) return 3;
        ORDSETFOCUS(1);
        long count = std::atol(argv[3]);
        for (long i = 1; i <= count; ++i) {
            // Every field of a record is derived from its feedstuff code, so a reader can
            // tell a complete record from a mixed one.
            bool ok = DBAPPEND() && FIELDPUT(1, Value(int(i % 1000))) &&
                      FIELDPUT(2, Value(i % 2 ? "LYS" : "MET")) && FIELDPUT(3, Value(int(i % 1000))) &&
                      FIELDPUT(4, Value(double(i % 1000) / 10)) && DBCOMMIT();
            if (!ok) {
                std::fprintf(stderr, "engine_peer: %s\n", LASTERROR().c_str());
                return 1;
            }
        }
        return 0;
    }
    if (command == "put" && argc == 5) {
        if (!Open(table, true)) return 3;
        return DBRLOCK(std::atol(argv[3])) && DBGOTO(std::atol(argv[3])) &&
                       FIELDPUT(4, Value(std::atof(argv[4]))) && DBCOMMIT()
                   ? 0
                   : 1;
    }
    if ((command == "lateclose" || command == "leaveopen") && argc == 5) {
        if (!Open(table, false)) return 3;
        closeAtExit.armed = command == "lateclose";
        return DBGOTO(std::atol(argv[3])) && FIELDPUT(4, Value(std::atof(argv[4]))) ? 0 : 1;
    }
    if (command == "churn" && (argc == 5 || argc == 6 || argc == 7))
        return Churn(table, std::atol(argv[3]), argv[4], argc >= 6 ? std::atol(argv[5]) : 0,
                     argc == 7 && std::string(argv[6]) == "half");
    if (command == "watch" && argc == 5) return Watch(table, argv[3], argv[4]);
    if (command == "delete" && argc == 4) {
        if (!Open(table, true)) return 3;
        return DBRLOCK(std::atol(argv[3])) && DBGOTO(std::atol(argv[3])) && DBDELETE() ? 0 : 1;
    }
    return Usage();
}
