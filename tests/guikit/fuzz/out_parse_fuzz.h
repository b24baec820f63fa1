// The fuzz entry point of the drawing-command reader, also run over a fixed corpus by the
// ordinary host tests.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
