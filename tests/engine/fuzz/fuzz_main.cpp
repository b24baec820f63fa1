// libFuzzer target over the table, memo and compound-index readers (fuzz_tables.h).
// Build and run (host, clang):
//   CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DLYSORA_FUZZ=ON
//   ninja -C build/fuzz engine_fuzz
//   build/fuzz/bin/engine_fuzz CORPUS_DIR -max_total_time=300
// Seed the corpus with the valid inputs of FuzzSeeds() (one file each); the unit test
// engine_hostile_test runs the same entry over damaged copies of them in every build.
#include "tests/engine/fuzz/fuzz_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lysora::engine::fuzz::FuzzTableFiles(data, size);
    return 0;
}
