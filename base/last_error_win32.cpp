// LastErrorText (see last_error_win32.h).
#include "base/last_error_win32.h"

#include <windows.h>

namespace lysora {

std::string LastErrorText()
{
    const DWORD error = GetLastError();
    if (error == 0)
        return {};
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, sizeof text,
                   nullptr);
    std::string s = text;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' '))
        s.pop_back();
    return s.empty() ? "code " + std::to_string(error) : s;
}

} // namespace lysora
