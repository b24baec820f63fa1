// Test helper: records every message the code under test shows, for as long as it lives,
// and answers each with `answer`, so that no test ever waits on a message box.
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
    int answer = kIdOk;

    MessageRecorder() { SetMessages(this); }
    ~MessageRecorder() override { SetMessages(nullptr); }
    int Show(std::string_view text, std::string_view caption, unsigned style) override
    {
        shown.push_back({std::string(text), std::string(caption), style});
        return answer;
    }
    std::string Texts() const // "caption: text" lines, for readable failures
    {
        std::string all;
        for (const ShownMessage& s : shown)
            all += s.caption + ": " + s.text + "\n";
        return all;
    }
};

} // namespace lysora::testing
