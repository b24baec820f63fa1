// Fuzz entry point of the drawing-command reader: any bytes, read as a command text with a
// box size taken from the first bytes, must be read without a fault, and every operation must
// stay within the operand limits.
#include "tests/guikit/fuzz/out_parse_fuzz.h"

#include "guikit/out_parse.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct CheckingDevice final : guikit::OutDevice {
    void Draw(const guikit::OutOp& op) override
    {
        using guikit::OutOpKind;
        if (op.kind == OutOpKind::Text && std::strlen(op.text) > guikit::kOutTextMax) std::abort();
        if (op.kind == OutOpKind::Bitmap && std::strlen(op.text) > guikit::kOutBitmapNameMax) std::abort();
        if (op.font && std::strlen(op.font->face) > guikit::kOutFaceMax) std::abort();
        if (op.kind == OutOpKind::Bar && op.h != guikit::kOutBarHeight) std::abort();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    int w = 0, h = 0;
    if (size >= 2) {
        w = static_cast<std::int8_t>(data[0]) * 1000;
        h = static_cast<std::int8_t>(data[1]) * 1000;
    }
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.c_str(); // the reader sees a NUL-terminated text, as _Out does
    CheckingDevice device;
    guikit::ParseOut(text.c_str(), w, h, device);
    const char* p = text.c_str();
    guikit::ReadOutColour(p);
    p = text.c_str();
    guikit::ReadOutNumber(p);
    return 0;
}
