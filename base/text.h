// Small text helpers on Windows-1252 bytes, shared by every layer: case conversion of the
// ASCII letters (as table, field, key and symbol names are compared) and the trimming of
// blanks that field values need (DBF text fields are blank-padded).
#pragma once

#include <string>
#include <string_view>

namespace lysora {

std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);

// The text without leading and trailing blanks (AllTrim), without trailing (Trim) or
// leading ones (LTrim).
std::string AllTrim(std::string_view text);
std::string Trim(std::string_view text);
std::string LTrim(std::string_view text);

} // namespace lysora
