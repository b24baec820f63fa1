// TMPNAME, the unique temporary file name that names the print spool files: the one part of
// printing that differs between Windows and other systems besides the pages themselves.
#pragma once

#include <string>
#include <string_view>

namespace lysora {

// A new, empty file with a unique name made from the first three characters of prefix,
// created in the temporary folder, else in the current folder, else (Windows) in "c:\";
// returns its path, or an empty text when all three fail. The caller deletes the file.
std::string TMPNAME(std::string_view prefix);

} // namespace lysora
