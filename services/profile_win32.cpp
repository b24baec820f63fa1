// Profile files through the system's own profile functions (Windows build).
#include "services/profile.h"

#include <windows.h>

#include <vector>

namespace lysora {

std::string ReadProfileValue(const std::string& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              std::size_t bufferSize)
{
    if (bufferSize == 0)
        return {};
    std::vector<char> buffer(bufferSize, '\0');
    DWORD length = GetPrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                                            std::string(defaultValue).c_str(), buffer.data(),
                                            DWORD(bufferSize), file.c_str());
    return std::string(buffer.data(), length);
}

bool WriteProfileValue(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value)
{
    return WritePrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                                      std::string(value).c_str(), file.c_str()) != FALSE;
}

} // namespace lysora
