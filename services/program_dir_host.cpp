// The running executable's full path from /proc/self/exe (host build).
#include "services/program_dir.h"

#include <filesystem>

namespace lysora {

std::string ExecutablePath()
{
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.string();
}

} // namespace lysora
