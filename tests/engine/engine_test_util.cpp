// Shared helpers of the engine's tests (see engine_test_util.h).
#include "tests/engine/engine_test_util.h"

#include <atomic>
#include <chrono>

namespace lysora::engine::test {

ScratchDir::ScratchDir() {
    static std::atomic<int> counter{0};
    dir_ = std::filesystem::temp_directory_path() /
           ("lysora-engine-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
}

ScratchDir::~ScratchDir() {
    DBCLOSEALL();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

void CreateValuesTable(const std::string& path) {
    std::string error;
    ASSERT_TRUE(DBCREATE(path,
                         {{"MATIERE", 'N', 4, 0}, {"NUTRI", 'C', 5, 0}, {"NB_VAL", 'N', 3, 0},
                          {"TB", 'N', 6, 2}},
                         {{"MAT_NUTRI", "str(MATIERE,4,0)+NUTRI", ""}}, &error))
        << error;
}

void AppendValue(int matiere, const std::string& nutri, double tb) {
    ASSERT_TRUE(DBAPPEND()) << LASTERROR();
    ASSERT_TRUE(FIELDPUT(1, Value(matiere))) << LASTERROR();
    ASSERT_TRUE(FIELDPUT(2, Value(nutri))) << LASTERROR();
    ASSERT_TRUE(FIELDPUT(4, Value(tb))) << LASTERROR();
}

std::string Trim(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    while (!s.empty() && s.front() == ' ') s.erase(s.begin());
    return s;
}

} // namespace lysora::engine::test
