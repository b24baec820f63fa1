// libFuzzer target over the table, memo and compound-index readers (fuzz_tables.h).
// Build and run (host, clang):
//   scripts/fuzz engine_fuzz 300
// Seed the corpus with the valid inputs of FuzzSeeds() (one file each); the unit test
// engine_hostile_test runs the same entry over damaged copies of them in every build.
#include "tests/engine/fuzz/fuzz_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lysora::engine::fuzz::FuzzTableFiles(data, size);
    return 0;
}
