// The program's own BMP reader, portable part (see bmp_reader.h).
//
// File layout read (little-endian):
//   file header, 14 bytes: 0 "BM" | 2 file size (ignored) | 6 reserved | 10 offset of the pixel rows
//   information header, biSize bytes (40, or more for the later header versions, whose extra
//   fields are ignored): 0 biSize | 4 biWidth | 8 biHeight (negative: top row first) |
//   12 biPlanes | 14 biBitCount | 16 biCompression | 20 biSizeImage (recomputed, not trusted) |
//   24 biXPelsPerMeter | 28 biYPelsPerMeter | 32 biClrUsed (0: all the depth allows) | 36 biClrImportant
//   colour table: biClrUsed entries of 4 bytes (blue, green, red, reserved), right after the
//   information header;
//   pixel rows: at the offset of the file header when it is not 0, else after the colour
//   table; each row padded to a multiple of 4 bytes, bottom row first unless biHeight < 0.
#include "views/picture/bmp_reader.h"

#include "base/messages.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace lysora::bmp {
namespace {

std::uint16_t Read16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return std::uint16_t(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t Read32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 | std::uint32_t(bytes[at + 2]) << 16 |
           std::uint32_t(bytes[at + 3]) << 24;
}

void Write32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = std::uint8_t(value >> (8 * i));
}

std::string Text(std::string_view a, std::string_view b) { return std::string(a) + std::string(b); }

// Information-header offsets.
enum : std::size_t { kSize = 0, kWidth = 4, kHeight = 8, kPlanes = 12, kBitCount = 14, kCompression = 16,
                     kSizeImage = 20, kClrUsed = 32, kClrImportant = 36 };

} // namespace

unsigned NCOLORS(unsigned bits)
{
    switch (bits) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    case 16: return 65536;
    default: return 0;
    }
}

std::int64_t SCANBYTES(std::int64_t width, unsigned bits) { return (width * bits + 31) / 32 * 4; }

void ERROR(std::string_view text, std::string_view title)
{
    ShowMessage(text, title, kMbIconError | kMbTaskModal | kMbSetForeground);
}

unsigned DibImage::PixelIndex(std::int32_t x, std::int32_t y) const
{
    const std::int32_t fileRow = height < 0 ? y : Rows() - 1 - y;
    const std::size_t row = std::size_t(fileRow) * std::size_t(SCANBYTES(width, bitCount));
    const std::size_t bit = std::size_t(x) * bitCount;
    const unsigned byte = bits.at(row + bit / 8);
    // Pixels fill each byte from its high bits down.
    const unsigned shift = 8 - bitCount - unsigned(bit % 8);
    return (byte >> shift) & ((1u << bitCount) - 1);
}

std::optional<DibImage> ParseBitmap(std::span<const std::uint8_t> file, std::string_view name)
{
    const std::string readError = Text("Erreur de lecture de ", name);
    auto refuse = [](const std::string& message) {
        ERROR(message);
        return std::nullopt;
    };

    if (file.size() < kFileHeaderBytes)
        return refuse(readError);
    if (file[0] != 'B' || file[1] != 'M')
        return refuse(Text(name, " n'est pas un fichier BMP"));
    const std::uint32_t pixelOffset = Read32(file, 10);
    if (file.size() < kFileHeaderBytes + kInfoHeaderBytes)
        return refuse(readError);
    const auto header = file.subspan(kFileHeaderBytes);
    const std::uint32_t headerBytes = Read32(header, kSize);
    if (headerBytes < kInfoHeaderBytes)
        return refuse(readError);

    DibImage image;
    image.width = std::int32_t(Read32(header, kWidth));
    image.height = std::int32_t(Read32(header, kHeight));
    image.bitCount = Read16(header, kBitCount);
    if (image.bitCount > 8 || NCOLORS(image.bitCount) == 0)
        return refuse(Text(name, " a " + std::to_string(image.bitCount) + " bits par pixel (non supporté)"));
    if (Read32(header, kCompression) != 0)
        return refuse(Text(name, " est un bitmap compressé (non supporté)"));

    // Sizes the header claims must be sane and the file must hold every byte they imply.
    const std::int64_t rows = std::abs(std::int64_t(image.height));
    if (image.width <= 0 || image.width > kMaxSide || rows == 0 || rows > kMaxSide)
        return refuse(readError);
    std::uint32_t colourCount = Read32(header, kClrUsed);
    if (colourCount == 0)
        colourCount = NCOLORS(image.bitCount);
    if (colourCount > NCOLORS(image.bitCount))
        return refuse(readError);
    const std::int64_t tableAt = std::int64_t(kFileHeaderBytes) + headerBytes;
    const std::int64_t tableEnd = tableAt + std::int64_t(colourCount) * 4;
    if (tableEnd > std::int64_t(file.size()))
        return refuse(readError);
    const std::int64_t pixelBytes = SCANBYTES(image.width, image.bitCount) * rows;
    if (pixelBytes > std::int64_t(kMaxPixelBytes))
        return refuse(readError);
    const std::int64_t pixelsAt = pixelOffset != 0 ? std::int64_t(pixelOffset) : tableEnd;
    if (pixelsAt + pixelBytes > std::int64_t(file.size()))
        return refuse(readError);

    image.info.assign(header.begin(), header.begin() + kInfoHeaderBytes);
    image.info.resize(kInfoHeaderBytes + std::size_t(colourCount) * 4);
    std::copy_n(file.begin() + tableAt, colourCount * 4, image.info.begin() + kInfoHeaderBytes);
    Write32(image.info, kSize, kInfoHeaderBytes);
    image.info[kPlanes] = 1;
    image.info[kPlanes + 1] = 0;
    Write32(image.info, kSizeImage, std::uint32_t(pixelBytes));
    Write32(image.info, kClrUsed, colourCount);
    if (Read32(image.info, kClrImportant) > colourCount)
        Write32(image.info, kClrImportant, 0);

    for (std::uint32_t i = 0; i < colourCount; ++i) {
        const std::size_t at = kInfoHeaderBytes + std::size_t(i) * 4;
        image.colours.push_back({image.info[at + 2], image.info[at + 1], image.info[at]});
    }
    image.bits.assign(file.begin() + pixelsAt, file.begin() + pixelsAt + pixelBytes);
    return image;
}

std::optional<DibImage> ReadBitmapFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ERROR("Impossible d'ouvrir le fichier " + path);
        return std::nullopt;
    }
    // A file beyond the limit cannot hold an image the reader accepts: its first part is
    // enough to refuse it with the right message.
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0);
    std::vector<std::uint8_t> bytes(std::size_t(std::clamp<std::streamoff>(size, 0, kMaxFileBytes)));
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    bytes.resize(std::size_t(in.gcount()));
    if (size < 0 || in.bad()) {
        ERROR("Erreur de lecture de " + path);
        return std::nullopt;
    }
    return ParseBitmap(bytes, path);
}

PictureSource ResolvePictureName(std::string_view name, std::string_view workingDir)
{
    if (name.find('.') == std::string_view::npos)
        return {false, std::string(name)};
    if (name.find('\\') != std::string_view::npos || workingDir.empty())
        return {true, std::string(name)};
    std::string path(workingDir);
    if (path.back() != '\\')
        path += '\\';
    return {true, path + std::string(name)};
}

} // namespace lysora::bmp
