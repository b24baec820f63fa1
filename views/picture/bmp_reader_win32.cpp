// The BMP reader's Windows part (see bmp_reader_win32.h): palette and screen-compatible
// bitmap from a parsed DIB image, and the picture field's loading of a named picture.
#include "views/picture/bmp_reader_win32.h"

#include <utility>
#include <vector>

namespace lysora::bmp {
namespace {

HPALETTE CreateImagePalette(const DibImage& image)
{
    // LOGPALETTE declares one entry; the table follows it in the same block.
    std::vector<std::uint8_t> block(sizeof(LOGPALETTE) + image.colours.size() * sizeof(PALETTEENTRY));
    auto* logical = reinterpret_cast<LOGPALETTE*>(block.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = WORD(image.colours.size());
    for (std::size_t i = 0; i < image.colours.size(); ++i)
        logical->palPalEntry[i] = {image.colours[i].red, image.colours[i].green, image.colours[i].blue, 0};
    return CreatePalette(logical);
}

HBITMAP CreateScreenBitmap(const DibImage& image, HPALETTE palette)
{
    HDC screen = GetDC(nullptr);
    HPALETTE previous = palette ? SelectPalette(screen, palette, FALSE) : nullptr;
    if (palette)
        RealizePalette(screen);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(image.info.data());
    HBITMAP bitmap = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, image.bits.data(), info, DIB_RGB_COLORS);
    if (previous)
        SelectPalette(screen, previous, FALSE);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

std::string WorkingDirectory()
{
    char buffer[MAX_PATH];
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
    return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
}

} // namespace

HBITMAP READBITMAP(const std::string& cFile, HPALETTE& palette)
{
    const std::optional<DibImage> image = ReadBitmapFile(cFile);
    if (!image)
        return nullptr;
    palette = CreateImagePalette(*image);
    HBITMAP bitmap = CreateScreenBitmap(*image, palette);
    if (!bitmap)
        ERROR("Erreur de création du bitmap");
    return bitmap;
}

Picture::Picture(HBITMAP bitmap, HPALETTE palette) : bitmap_(bitmap), palette_(palette)
{
    BITMAP size{};
    if (bitmap_ && GetObjectA(bitmap_, sizeof size, &size) == sizeof size) {
        width_ = size.bmWidth;
        height_ = size.bmHeight;
    }
}

Picture::Picture(Picture&& other) noexcept
    : bitmap_(std::exchange(other.bitmap_, nullptr)), palette_(std::exchange(other.palette_, nullptr)),
      width_(std::exchange(other.width_, 0)), height_(std::exchange(other.height_, 0))
{
}

Picture& Picture::operator=(Picture&& other) noexcept
{
    if (this != &other) {
        Free();
        bitmap_ = std::exchange(other.bitmap_, nullptr);
        palette_ = std::exchange(other.palette_, nullptr);
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
    }
    return *this;
}

Picture::~Picture() { Free(); }

void Picture::Free()
{
    if (bitmap_)
        DeleteObject(bitmap_);
    if (palette_)
        DeleteObject(palette_);
    bitmap_ = nullptr;
    palette_ = nullptr;
    width_ = height_ = 0;
}

Picture LoadPicture(std::string_view name, HINSTANCE module)
{
    const PictureSource source = ResolvePictureName(name, WorkingDirectory());
    if (source.isFile) {
        HPALETTE palette = nullptr;
        HBITMAP bitmap = READBITMAP(source.name, palette);
        if (!bitmap) {
            if (palette)
                DeleteObject(palette);
            return {};
        }
        return Picture(bitmap, palette);
    }
    HBITMAP bitmap = LoadBitmapA(module, source.name.c_str());
    if (!bitmap) {
        ERROR("Impossible de charger la ressource " + source.name);
        return {};
    }
    return Picture(bitmap, nullptr);
}

} // namespace lysora::bmp
