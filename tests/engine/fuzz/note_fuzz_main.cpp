// libFuzzer target over the change-note reader (fuzz_notes.h). Build and run (host, clang):
//   scripts/fuzz note_fuzz 300
// engine_hostile_test runs the same entry over the seeds and hostile notes in every build.
#include "tests/engine/fuzz/fuzz_notes.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string broken = lysora::engine::fuzz::FuzzChangeNote(data, size);
    if (!broken.empty()) {
        std::fprintf(stderr, "note_fuzz: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
