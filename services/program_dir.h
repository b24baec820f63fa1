// Where the running program lives, per platform, and the debug-copy mark in its path.
#pragma once

#include <string>
#include <string_view>

// _DEBUG below is the program's own name for its debug-copy test; a build must not define
// it as a macro (some toolchains do for their debug runtimes).
#ifdef _DEBUG
#error "_DEBUG names the debug-copy test of the program: do not define it as a macro"
#endif

namespace lysora {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The full path of the running executable; empty when unknown.
std::string ExecutablePath();
// The directory of the running executable with a trailing separator; empty when unknown.
std::string ExecutableDirectory();

// True when the path holds "DBG" (case-sensitive): the mark of a debug copy of the program.
bool IsDebugPath(std::string_view path);
// The debug build flag: the running executable's full path holds "DBG". A debug copy opens
// the tables writable, prints to the preview and offers the administration menu.
bool _DEBUG();

} // namespace lysora
