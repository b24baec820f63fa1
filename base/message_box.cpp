#include "base/message_box.h"

#include <windows.h>

#include <string>

namespace lysora {

int MessageBoxSink::Show(std::string_view text, std::string_view caption, unsigned style)
{
    return MessageBoxA(GetActiveWindow(), std::string(text).c_str(), std::string(caption).c_str(), style);
}

} // namespace lysora
