// Replays hostile BMP inputs through the fuzzing step, so that every test run covers it.
#include "tests/views/picture/fuzz/bmp_fuzz_entry.h"

#include "tests/views/picture/bmp_test_files.h"

#include <gtest/gtest.h>

#include <climits>

namespace lysora::bmp {
namespace {

using testing::BmpSpec;
using testing::MakeBmp;
using testing::With;

TEST(BmpFuzzReplay, HostileInputsAreRefusedGoodOnesKeepTheirPromises)
{
    std::vector<std::vector<std::uint8_t>> refused;
    refused.push_back({});
    refused.push_back({'B', 'M'});
    for (std::int32_t width : {0, -1, INT_MIN, INT_MAX, 16385})
        refused.push_back(MakeBmp(With([&](BmpSpec& s) { s.width = width; })));
    for (std::int32_t height : {0, INT_MIN, 16385, 1000})
        refused.push_back(MakeBmp(With([&](BmpSpec& s) { s.height = height; s.pixels = {0, 0, 0, 0}; })));
    for (std::uint32_t clrUsed : {3u, 300u, 0x40000000u, 0xFFFFFFFFu})
        refused.push_back(MakeBmp(With([&](BmpSpec& s) { s.bitCount = 1; s.clrUsed = clrUsed; s.tableEntries = 2; })));
    for (std::int64_t offset : {0x7FFFFFFFLL, 0xFFFFFFFFLL, 0x100000LL})
        refused.push_back(MakeBmp(With([&](BmpSpec& s) { s.pixelOffset = offset; s.pixels.assign(8, 0); })));
    for (std::uint32_t headerSize : {0u, 39u, 0x7FFFFFFFu, 0xFFFFFFF0u})
        refused.push_back(MakeBmp(With([&](BmpSpec& s) { s.headerSize = headerSize; })));
    for (std::uint16_t bits : {0, 2, 16, 24, 32, 0xFFFF})
        refused.push_back(MakeBmp(With([&](BmpSpec& s) { s.bitCount = bits; })));
    for (const auto& bytes : refused)
        EXPECT_FALSE(fuzz::ParseOneBitmap(bytes.data(), bytes.size())) << &bytes - refused.data();

    const std::vector<std::vector<std::uint8_t>> accepted = {
        MakeBmp(With([](BmpSpec& s) { s.width = 33; s.height = 1; s.bitCount = 1; })),
        MakeBmp(With([](BmpSpec& s) { s.width = 7; s.height = -5; s.bitCount = 4; s.clrUsed = 3; })),
        MakeBmp(With([](BmpSpec& s) { s.width = 1; s.height = 1; s.clrUsed = 1; })),
        MakeBmp(With([](BmpSpec& s) { s.width = 16384; s.height = 1; })),
    };
    for (const auto& bytes : accepted)
        EXPECT_TRUE(fuzz::ParseOneBitmap(bytes.data(), bytes.size()));
}

} // namespace
} // namespace lysora::bmp
