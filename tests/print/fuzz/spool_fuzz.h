// Fuzz entry point of the print program's outside input: the print command line and the
// spool pages it indexes.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
