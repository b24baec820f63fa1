// File helpers of the data layer, the only part of it that differs between Windows and
// other systems: whether a file exists, and TMPNAME, the unique temporary file name that
// names the print spool files. Paths may use "\" or "/" between folders.
#pragma once

#include <string>
#include <string_view>

namespace lysora {

// True when path names an existing file (not a folder).
bool FileExists(std::string_view path);

// A new, empty file with a unique name made from the first three characters of prefix,
// created in the temporary folder, else in the current folder, else (Windows) in "c:\";
// returns its path, or an empty text when all three fail. The caller deletes the file.
std::string TMPNAME(std::string_view prefix);

} // namespace lysora
