// The entry point shared by the table-file fuzzer and the hostile-file unit test: the
// first byte chooses the reader under attack (0 table, 1 memo, 2 compound index), the rest
// is that file; the other files are small valid ones. The table is opened from memory and
// everything the engine can do with it is tried: it must refuse or work, never crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lysora::engine::fuzz {

enum Reader : std::uint8_t { kTable = 0, kMemo = 1, kIndex = 2 };

// Returns true when the table opened (false: refused with an error text).
bool FuzzTableFiles(const std::uint8_t* data, std::size_t size, std::string* error = nullptr);
// Valid inputs, one per reader (selector byte included).
std::vector<std::string> FuzzSeeds();

} // namespace lysora::engine::fuzz
