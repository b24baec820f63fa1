// The program's own BMP reader, portable part: reads an uncompressed Windows bitmap of 1, 4
// or 8 bits per pixel with its colour table into a plain DIB image (information header,
// colour table, pixel rows), checking every size against the file so that no header value
// can make the reader step outside its buffers. Every refusal is reported through ERROR.
// The Windows part (bmp_reader_win32.h) turns a DIB image into a palette and a bitmap.
// Left out: compressed images (RLE, bit fields), more than 8 bits per pixel, OS/2 headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// <windows.h> defines ERROR as a region result; this module's error function bears that name.
#ifdef ERROR
#undef ERROR
#endif

namespace lysora::bmp {

// Sizes of the two headers as the file holds them, and the reader's limits. Nothing the
// program shows comes near the limits; they stop a hostile header from asking for gigabytes.
inline constexpr std::size_t kFileHeaderBytes = 14;
inline constexpr std::size_t kInfoHeaderBytes = 40;
inline constexpr std::int32_t kMaxSide = 16384;
inline constexpr std::size_t kMaxPixelBytes = 32u << 20;
inline constexpr std::size_t kMaxFileBytes = kMaxPixelBytes + (1u << 20);

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

// A device-independent image ready for the Windows part.
struct DibImage {
    std::int32_t width = 0;
    std::int32_t height = 0;       // as in the file: negative for rows stored top row first
    std::uint16_t bitCount = 0;    // 1, 4 or 8
    std::vector<Rgb> colours;      // the colour table, biClrUsed entries
    // The 40-byte information header followed by the colour table (4 bytes an entry, blue,
    // green, red, reserved), with biSize, biPlanes, biClrUsed and biSizeImage made consistent:
    // what CreateDIBitmap takes as its BITMAPINFO.
    std::vector<std::uint8_t> info;
    std::vector<std::uint8_t> bits; // the pixel rows, SCANBYTES(width, bitCount) bytes each

    std::int32_t Rows() const { return height < 0 ? -height : height; }
    // Colour-table index of pixel (x, y), y counted from the top row; x and y must lie inside.
    unsigned PixelIndex(std::int32_t x, std::int32_t y) const;
};

// Number of colour-table entries a bit depth implies: 1 → 2, 4 → 16, 8 → 256,
// 16 → 65536, 24 (and any other) → 0.
unsigned NCOLORS(unsigned bits);
// Bytes of one pixel row, padded to a multiple of 4. Computed in 64 bits: a hostile width
// cannot wrap it.
std::int64_t SCANBYTES(std::int64_t width, unsigned bits);

// The module's one path to the user: a message with the error icon, task-modal, in front.
void ERROR(std::string_view text, std::string_view title = "Erreur");

// Parses the bytes of a whole BMP file; name is the file name the messages show. On any
// refusal shows its message and returns nothing.
std::optional<DibImage> ParseBitmap(std::span<const std::uint8_t> file, std::string_view name);

// Reads the file at path (as given: no directory is added) and parses it; the messages name
// the file by path.
std::optional<DibImage> ReadBitmapFile(const std::string& path);

// Where a named picture comes from: a bitmap resource when the name holds no ".", otherwise
// a file, taken in workingDir (which ends without a separator) unless the name holds a "\".
struct PictureSource {
    bool isFile = false;
    std::string name; // the resource name, or the file path to open
};
PictureSource ResolvePictureName(std::string_view name, std::string_view workingDir);

} // namespace lysora::bmp
