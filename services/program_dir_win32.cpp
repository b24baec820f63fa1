// The executable's directory from the module file name (Windows build).
#include "services/program_dir.h"

#include <windows.h>

namespace lysora {

std::string ExecutableDirectory()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    std::string directory(path, length);
    return directory.substr(0, directory.find_last_of("\\/") + 1);
}

} // namespace lysora
