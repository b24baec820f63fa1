// A second process for the lock tests: opens a table shared, locks one record, writes the
// "ready" file, and holds the lock until the "release" file appears (or 30 s pass).
// Usage: data_lock_holder TABLE RECNO READY RELEASE
#include "data/engine/engine.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

int main(int argc, char** argv)
{
    namespace db = lysora::engine;
    if (argc != 5) {
        std::fprintf(stderr, "usage: data_lock_holder TABLE RECNO READY RELEASE\n");
        return 2;
    }
    if (!db::DBUSEAREA(true, "DBFCDX", argv[1], {}, true, false) || !db::DBRLOCK(std::atol(argv[2]))) {
        std::fprintf(stderr, "data_lock_holder: %s\n", db::LASTERROR().c_str());
        return 1;
    }
    std::ofstream(argv[3]).put('x');
    for (int wait = 0; wait < 1500 && !std::filesystem::exists(argv[4]); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    db::DBCLOSEALL();
    return 0;
}
