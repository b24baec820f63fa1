// The Windows build's message sink: a real MessageBoxA owned by the active window.
#pragma once

#include "base/messages.h"

namespace lysora {

class MessageBoxSink final : public MessageSink {
public:
    int Show(std::string_view text, std::string_view caption, unsigned style) override;
};

} // namespace lysora
