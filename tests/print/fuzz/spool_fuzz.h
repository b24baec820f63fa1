// Fuzz entry point of the print program's outside input: the print command line and the
// spool pages it indexes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lysora::testing {

// What one input did: the first promise it broke (empty when none), how many pages were read
// from the spool file and how many of the checked pages were accepted and played.
struct SpoolInputCheck {
    std::string broken;
    int pagesRead = 0;
    int pagesAccepted = 0;
};

// Reads the input as the print program reads its command line and spool file, and checks
// every promise the readers make about what they accept.
SpoolInputCheck CheckSpoolInput(const std::uint8_t* data, std::size_t size);

} // namespace lysora::testing

// Aborts on a broken promise, so that the fuzzer reports it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
