// One fuzzing step for the BMP reader (see bmp_fuzz_entry.h). Messages are swallowed.
#include "tests/views/picture/fuzz/bmp_fuzz_entry.h"

#include "base/messages.h"
#include "views/picture/bmp_reader.h"

#include <cstdlib>
#include <span>

namespace lysora::bmp::fuzz {
namespace {

struct Silent final : MessageSink {
    int Show(std::string_view, std::string_view, unsigned) override { return kIdOk; }
};

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

bool ParseOneBitmap(const std::uint8_t* data, std::size_t size)
{
    Silent silent;
    MessageSink* previous = SetMessages(&silent);
    const auto image = ParseBitmap(std::span<const std::uint8_t>(data, size), "fuzz.bmp");
    SetMessages(previous);
    if (!image)
        return false;
    Require(image->width > 0 && image->width <= kMaxSide);
    Require(image->Rows() > 0 && image->Rows() <= kMaxSide);
    Require(image->bits.size() == std::size_t(SCANBYTES(image->width, image->bitCount) * image->Rows()));
    Require(!image->colours.empty() && image->colours.size() <= NCOLORS(image->bitCount));
    Require(image->info.size() == kInfoHeaderBytes + image->colours.size() * 4);
    // Every pixel of the corners and the last column can be read back.
    for (std::int32_t y : {0, image->Rows() - 1})
        for (std::int32_t x : {0, image->width - 1})
            Require(image->PixelIndex(x, y) < (1u << image->bitCount));
    return true;
}

} // namespace lysora::bmp::fuzz
