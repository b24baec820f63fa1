// Small text utilities used across the program: splitting delimited lists, removing
// accelerator markers, and the byte scrambling of the general table's stored texts.
#pragma once

#include <string>
#include <string_view>

namespace lysora {

// The one-byte scrambling key, a build constant shared with the administration tool that
// writes the general table (CMake cache variable LYSORA_SCRAMBLE_KEY).
#ifndef LYSORA_SCRAMBLE_KEY
#error "LYSORA_SCRAMBLE_KEY must be defined by the build"
#endif
inline constexpr unsigned char kScrambleKey = LYSORA_SCRAMBLE_KEY;
static_assert(kScrambleKey != 0, "a zero key would leave the texts unscrambled");

// Removes and returns the first token of list: the text before the first separator, the
// list keeping what follows that separator; the whole list (leaving it empty) when there is
// no separator. An empty field between two separators gives an empty token; a list ending
// with a separator gives no extra token once the list is empty.
std::string NEXTTOKEN(std::string& list, std::string_view separator);

// The text with every "&" (accelerator marker) removed.
std::string UNAMP(std::string_view text);

// Each byte combined with the scrambling key by exclusive-or; the same length as the input.
// Its own inverse: DECRYPTER is CRYPTER.
std::string CRYPTER(std::string_view text);
std::string DECRYPTER(std::string_view text);

} // namespace lysora
