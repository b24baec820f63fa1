// libFuzzer target for the BMP reader's header, size and colour-table checks.
// Built only by a fuzz build: scripts/fuzz bmp_fuzz.
#include "tests/views/picture/fuzz/bmp_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    lysora::bmp::fuzz::ParseOneBitmap(data, size);
    return 0;
}
