// Windows profile (.ini) files: one text value per section and key. The Windows build goes
// through the system's profile functions; the host build has a reader and writer of its own
// with the same observable behaviour: section and key names match without regard to case,
// a value is cut to the buffer size less one, and writing creates the file and the section.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lysora {

// The value of key in section of the profile file, cut to bufferSize - 1 characters;
// defaultValue (cut the same way) when the file, the section or the key is missing.
std::string ReadProfileValue(const std::string& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              std::size_t bufferSize);

// Writes key = value into section, creating the file and the section when needed.
// Returns false when the file could not be written.
bool WriteProfileValue(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value);

} // namespace lysora
