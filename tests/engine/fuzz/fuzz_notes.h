// The entry point shared by the change-note fuzzer and the hostile-note unit test. The
// first byte chooses how the rest is taken: even, as the note file (TABLE.chg) a copy
// catching up reads; odd, the same with its last four bytes made the right checksum, so
// that mutations reach what the checksum guards. What decodes is planned into the reads of
// a reader catching up from every counter the note names, over tables with and without an
// index and of several sizes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lysora::engine::fuzz {

// "" when every property holds, else the one that broke: a note decoded encodes back to
// its own bytes; a catch-up reads only records inside the table, index pages in order and
// once each, and no index pages where the table has no index.
std::string FuzzChangeNote(const std::uint8_t* data, std::size_t size);
// Whether the note (selector byte included) decodes at all.
bool NoteDecodes(const std::string& input);
// Valid notes (selector byte 0 included), as write-backs write them.
std::vector<std::string> NoteSeeds();

} // namespace lysora::engine::fuzz
