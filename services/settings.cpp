// Settings file access and the system decimal separator, over the profile functions.
#include "services/settings.h"

#include "services/profile.h"
#include "services/program_dir.h"

namespace lysora {
namespace {

// Profile values are read through a 512-byte buffer: 511 characters and the final NUL.
constexpr std::size_t kParamBuffer = 512;
// The decimal separator is read through a 2-byte buffer: only its first character counts.
constexpr std::size_t kDecimalBuffer = 2;

#ifdef _WIN32
// A bare name: the system looks for it in the Windows directory.
constexpr std::string_view kSystemWinIni = "win.ini";
#else
constexpr std::string_view kSystemWinIni = "";
#endif

std::string& ProgramDir()
{
    static std::string directory = ExecutableDirectory();
    return directory;
}

std::string& WinIni()
{
    static std::string path(kSystemWinIni);
    return path;
}

std::string SettingsPath() { return PROGRAMDIR() + std::string(kSettingsFile); }

} // namespace

const std::string& PROGRAMDIR() { return ProgramDir(); }

void SETPROGRAMDIR(std::string_view directory)
{
    std::string dir(directory);
    if (!dir.empty() && dir.back() != '\\' && dir.back() != '/')
        dir += kPathSeparator;
    ProgramDir() = dir;
}

std::string GETPARAM(std::string_view section, std::string_view key)
{
    return ReadProfileValue(SettingsPath(), section, key, "", kParamBuffer);
}

void PUTPARAM(std::string_view section, std::string_view key, std::string_view value)
{
    WriteProfileValue(SettingsPath(), section, key, value);
}

std::string GETDECIMALSEP()
{
    std::string separator;
    if (!WinIni().empty())
        separator = ReadProfileValue(WinIni(), "intl", "sDecimal", ".", kDecimalBuffer);
    // An empty "sDecimal=" would leave numbers without their decimal point: keep ".".
    return separator.empty() ? "." : separator;
}

void SETWININI(std::string_view path) { WinIni() = path.empty() ? std::string(kSystemWinIni) : std::string(path); }

} // namespace lysora
