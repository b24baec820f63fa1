#include "base/messages.h"

#include <cstdio>

namespace lysora {
namespace {

class StandardErrorSink final : public MessageSink {
public:
    int Show(std::string_view text, std::string_view caption, unsigned style) override
    {
        std::fprintf(stderr, "[%.*s] %.*s\n", int(caption.size()), caption.data(), int(text.size()), text.data());
        return (style & 0x000F) == kMbYesNo ? kIdYes : kIdOk;
    }
};

StandardErrorSink gDefaultSink;
MessageSink* gSink = &gDefaultSink;

} // namespace

MessageSink& Messages() { return *gSink; }

MessageSink* SetMessages(MessageSink* sink)
{
    MessageSink* previous = gSink;
    gSink = sink ? sink : &gDefaultSink;
    return previous == &gDefaultSink ? nullptr : previous;
}

} // namespace lysora
