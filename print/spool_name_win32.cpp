// The spool files' temporary names, Windows build: GetTempPathA and GetTempFileNameA.
#include "print/spool_name.h"

#include <windows.h>

namespace lysora {

std::string TMPNAME(std::string_view prefix)
{
    char tempPath[256] = "";
    DWORD length = GetTempPathA(sizeof tempPath, tempPath);
    const std::string folders[] = {length > 0 && length < sizeof tempPath ? tempPath : "", ".", "c:\\"};
    std::string shortPrefix(prefix.substr(0, 3));
    for (const std::string& folder : folders) {
        char name[MAX_PATH + 1] = ""; // GetTempFileNameA may write up to MAX_PATH characters
        if (!folder.empty() && GetTempFileNameA(folder.c_str(), shortPrefix.c_str(), 0, name) != 0)
            return name;
    }
    return {};
}

} // namespace lysora
