// Settings file access, the system decimal separator and the settings of the run, over the
// profile functions.
#include "services/settings.h"

#include "data/domain_text.h"
#include "services/profile.h"
#include "services/program_dir.h"

#include <clocale>
#include <locale>

namespace lysora {
namespace {

constexpr int kDateEpoch = 1970;

Symbol& LongField()
{
    static Symbol symbol;
    return symbol;
}

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

void INITREGLAGES()
{
    // Number-to-text conversion with ".", and byte-order comparison of texts, whatever the
    // user's locale says.
    std::setlocale(LC_NUMERIC, "C");
    std::setlocale(LC_COLLATE, "C");
    std::locale::global(std::locale::classic());
    SetDateEpoch(kDateEpoch);
    SETPROGRAMDIR(ExecutableDirectory());
    LongField() = Symbol("long");
    SetDecimalSeparator(GETDECIMALSEP().front());
}

Symbol SYMLONG() { return LongField(); }

std::string NEXTTOKEN(std::string& list, std::string_view separator)
{
    std::size_t found = separator.empty() ? std::string::npos : list.find(separator);
    std::string token;
    if (found == std::string::npos) {
        token.swap(list);
    } else {
        // Separators are one character long: only the first character is skipped.
        token = list.substr(0, found);
        list.erase(0, found + 1);
    }
    return token;
}

} // namespace lysora
