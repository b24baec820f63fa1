// The BMP reader's Windows part: a DIB image becomes a logical palette and a bitmap
// compatible with the screen; a named picture (bitmap resource or BMP file) is loaded for
// the picture field. All messages go through the module's ERROR (bmp_reader.h).
#pragma once

#include "views/picture/bmp_reader.h"

#include <windows.h>
#undef ERROR

#include <string>
#include <string_view>

namespace lysora::bmp {

// Reads cFile (used as given) and returns a bitmap compatible with the screen, or nullptr
// after showing why. palette receives the picture's palette, which the caller owns; it is
// left null when the file was refused before the palette was made, and it stays with the
// caller when only the bitmap could not be created.
HBITMAP READBITMAP(const std::string& cFile, HPALETTE& palette);

// A loaded picture: owns its bitmap and, for BMP files, its palette.
class Picture {
public:
    Picture() = default;
    Picture(HBITMAP bitmap, HPALETTE palette);
    Picture(Picture&& other) noexcept;
    Picture& operator=(Picture&& other) noexcept;
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    ~Picture();

    explicit operator bool() const { return bitmap_ != nullptr; }
    HBITMAP Bitmap() const { return bitmap_; }
    HPALETTE Palette() const { return palette_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    void Free();
    HBITMAP bitmap_ = nullptr;
    HPALETTE palette_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// Loads the picture the picture field names: a name without "." is a bitmap resource of
// module ("Impossible de charger la ressource " + name when missing); a name with "." is a
// BMP file, in the working directory unless the name holds a "\". An empty Picture after
// the message on failure.
Picture LoadPicture(std::string_view name, HINSTANCE module);

} // namespace lysora::bmp
