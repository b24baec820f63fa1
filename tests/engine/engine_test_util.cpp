// Shared helpers of the engine's tests (see engine_test_util.h).
#include "tests/engine/engine_test_util.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>

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

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Spit(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Trim(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    while (!s.empty() && s.front() == ' ') s.erase(s.begin());
    return s;
}

} // namespace lysora::engine::test

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

namespace lysora::engine::test {

Peer StartPeer(const std::vector<std::string>& args) {
#ifdef _WIN32
    std::string program = "engine_peer.exe";
#else
    std::string program = "./engine_peer";
#endif
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    Peer peer;
#ifdef _WIN32
    peer.handle = (long long)_spawnv(_P_NOWAIT, program.c_str(), argv.data());
#else
    pid_t pid;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) == 0) peer.handle = pid;
#endif
    return peer;
}

void KillPeer(Peer peer) {
    if (peer.handle == -1) return;
#ifdef _WIN32
    TerminateProcess(HANDLE(peer.handle), 9);
#else
    kill(pid_t(peer.handle), SIGKILL);
#endif
}

int WaitPeer(Peer peer) {
    if (peer.handle == -1) return -1;
#ifdef _WIN32
    int status = 0;
    if (_cwait(&status, (intptr_t)peer.handle, 0) == -1) return -1;
    return status;
#else
    int status = 0;
    if (waitpid(pid_t(peer.handle), &status, 0) < 0 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
#endif
}

} // namespace lysora::engine::test
