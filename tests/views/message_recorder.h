// Test helper: records every message the code under test shows, for as long as it lives.
#pragma once

#include "base/messages.h"

#include <string>
#include <vector>

namespace lysora::testing {

struct ShownMessage {
    std::string text, caption;
    unsigned style = 0;
};

struct MessageRecorder final : MessageSink {
    std::vector<ShownMessage> shown;
    MessageRecorder() { SetMessages(this); }
    ~MessageRecorder() override { SetMessages(nullptr); }
    int Show(std::string_view text, std::string_view caption, unsigned style) override
    {
        shown.push_back({std::string(text), std::string(caption), style});
        return kIdOk;
    }
};

} // namespace lysora::testing
