// The executable's directory from /proc/self/exe (host build).
#include "services/program_dir.h"

#include <filesystem>

namespace lysora {

std::string ExecutableDirectory()
{
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return exe.parent_path().string() + kPathSeparator;
}

} // namespace lysora
