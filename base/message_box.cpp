#include "base/message_box.h"

#include <windows.h>

#include <string>

namespace lysora {

int MessageBoxSink::Show(std::string_view text, std::string_view caption, unsigned style)
{
    // An empty caption means the platform's default title, which only a null caption gives.
    const std::string captionText(caption);
    HWND owner = (style & kMbNoOwner) ? nullptr : GetActiveWindow();
    return MessageBoxA(owner, std::string(text).c_str(), captionText.empty() ? nullptr : captionText.c_str(),
                       style & ~unsigned(kMbNoOwner));
}

} // namespace lysora
