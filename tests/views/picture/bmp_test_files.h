// Test helper: composes BMP files byte by byte, so that each test states the header values
// it cares about, and writes them to disk.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace lysora::bmp::testing {

struct BmpSpec {
    std::int32_t width = 4;
    std::int32_t height = 2;
    std::uint16_t bitCount = 8;
    std::uint32_t compression = 0;
    std::uint32_t clrUsed = 0;        // header value
    std::uint32_t tableEntries = 0;   // entries actually written; 0: as the header implies
    std::uint32_t headerSize = 40;
    std::int64_t pixelOffset = -1;    // -1: right after the colour table
    std::vector<std::uint8_t> pixels; // written as given; empty: zero rows of the right size
    std::vector<std::uint32_t> colours; // 0x00RRGGBB; missing entries are grey levels
};

inline void Put16(std::vector<std::uint8_t>& out, unsigned v)
{
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

inline void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(v >> (8 * i)));
}

inline std::uint32_t RowBytes(std::int64_t width, unsigned bits) { return std::uint32_t((width * bits + 31) / 32 * 4); }

// The default spec changed by change (a callable taking BmpSpec&).
template <typename Change> BmpSpec With(Change change)
{
    BmpSpec spec;
    change(spec);
    return spec;
}

inline std::vector<std::uint8_t> MakeBmp(const BmpSpec& spec)
{
    std::uint32_t entries = spec.tableEntries;
    if (entries == 0)
        entries = spec.clrUsed ? spec.clrUsed : (spec.bitCount <= 8 ? 1u << spec.bitCount : 0u);
    std::vector<std::uint8_t> pixels = spec.pixels;
    if (pixels.empty() && spec.width > 0 && spec.width < 100000 && spec.height != 0 && spec.height < 100000 &&
        spec.height > -100000) {
        const std::int64_t rows = spec.height < 0 ? -std::int64_t(spec.height) : spec.height;
        pixels.assign(std::size_t(RowBytes(spec.width, spec.bitCount) * rows), 0);
    }
    const std::uint32_t tableEnd = 14 + spec.headerSize + entries * 4;
    const std::uint32_t offset = spec.pixelOffset < 0 ? tableEnd : std::uint32_t(spec.pixelOffset);

    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, std::uint32_t(tableEnd + pixels.size()));
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, spec.headerSize);
    Put32(out, std::uint32_t(spec.width));
    Put32(out, std::uint32_t(spec.height));
    Put16(out, 1);
    Put16(out, spec.bitCount);
    Put32(out, spec.compression);
    Put32(out, 0); // biSizeImage: the reader recomputes it
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, spec.clrUsed);
    Put32(out, 0);
    // Header sizes and offsets a test gives only to lie about them are not padded out.
    constexpr std::uint32_t kMostPadding = 1u << 20;
    if (spec.headerSize < kMostPadding)
        out.resize(14 + spec.headerSize, 0);
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::uint32_t grey = entries > 1 ? i * 255 / (entries - 1) : 0;
        const std::uint32_t rgb = i < spec.colours.size() ? spec.colours[i] : grey * 0x010101u;
        out.push_back(std::uint8_t(rgb));       // blue
        out.push_back(std::uint8_t(rgb >> 8));  // green
        out.push_back(std::uint8_t(rgb >> 16)); // red
        out.push_back(0);
    }
    if (offset > out.size() && offset < kMostPadding)
        out.resize(offset, 0);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace lysora::bmp::testing
