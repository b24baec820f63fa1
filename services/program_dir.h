// Where the running program lives, per platform.
#pragma once

#include <string>

namespace lysora {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The directory of the running executable with a trailing separator; empty when unknown.
std::string ExecutableDirectory();

} // namespace lysora
