// libFuzzer target over the table, memo and compound-index readers (fuzz_tables.h).
#include "tests/engine/fuzz/fuzz_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lysora::engine::fuzz::FuzzTableFiles(data, size);
    return 0;
}
