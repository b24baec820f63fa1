// Helpers shared by the engine's tests: a fresh scratch folder per test and the values
// table of the reference data (feedstuff code, nutrient code, values) with its compound
// key on feedstuff and nutrient.
#pragma once

#include "data/engine/engine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace lysora::engine::test {

// A scratch folder under the system's temporary folder, emptied when the test ends.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

private:
    std::filesystem::path dir_;
};

// Creates the values table at path (without extension) with tag MAT_NUTRI.
void CreateValuesTable(const std::string& path);
// Appends (matiere, nutri, tb) to the table open in the current area; asserts success.
void AppendValue(int matiere, const std::string& nutri, double tb);
std::string Trim(std::string s);
// A whole file's bytes (empty when it cannot be read), and a file replaced by bytes.
std::string Slurp(const std::string& path);
void Spit(const std::string& path, const std::string& bytes);

} // namespace lysora::engine::test

namespace lysora::engine::test {

// Runs the test helper engine_peer (beside the test program) with arguments, without
// waiting; Wait gives its exit code (-1 when it could not run).
struct Peer {
    long long handle = -1;
};
Peer StartPeer(const std::vector<std::string>& args);
int WaitPeer(Peer peer);
void KillPeer(Peer peer); // ends it at once, as a crash would; WaitPeer then reaps it
inline int RunPeer(const std::vector<std::string>& args) { return WaitPeer(StartPeer(args)); }

} // namespace lysora::engine::test
