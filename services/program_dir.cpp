// The program's directory and the debug-copy mark, from the executable's path (see
// program_dir.h).
#include "services/program_dir.h"

namespace lysora {

std::string ExecutableDirectory()
{
    const std::string path = ExecutablePath();
    return path.substr(0, path.find_last_of("\\/") + 1);
}

bool IsDebugPath(std::string_view path) { return path.find("DBG") != std::string_view::npos; }

bool _DEBUG()
{
    static const bool debug = IsDebugPath(ExecutablePath());
    return debug;
}

} // namespace lysora
