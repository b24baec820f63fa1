// UTF-8 text (the table sources) to Windows-1252 bytes (the tables), and back (the help pages).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lysora::tables {

// The Windows-1252 form of utf8; nullopt when it is not valid UTF-8 or holds a character
// that Windows-1252 cannot represent.
std::optional<std::string> Utf8ToCp1252(std::string_view utf8);

// The UTF-8 form of Windows-1252 text; the five unassigned codes become U+FFFD.
std::string Cp1252ToUtf8(std::string_view text);

} // namespace lysora::tables
