// The running executable's full path from the module file name (Windows build).
#include "services/program_dir.h"

#include <windows.h>

namespace lysora {

std::string ExecutablePath()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return std::string(path, length);
}

} // namespace lysora
