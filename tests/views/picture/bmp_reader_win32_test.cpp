// The BMP reader's Windows part under Wine: the bitmap, its pixels read back with GetDIBits,
// the palette, and the picture field's loading of named pictures.
#include "views/picture/bmp_reader_win32.h"

#include "tests/support/message_recorder.h"
#include "tests/views/picture/bmp_test_files.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace lysora::bmp {
namespace {

using testing::BmpSpec;
using testing::MakeBmp;

using Recorder = lysora::testing::MessageRecorder;

// The bitmap's pixels as 0x00RRGGBB, top row first.
std::vector<std::uint32_t> PixelsOf(HBITMAP bitmap, int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(std::size_t(width) * height);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(rows, height);
    for (auto& pixel : pixels)
        pixel &= 0xFFFFFF;
    return pixels;
}

int PaletteEntries(HPALETTE palette) { return int(GetPaletteEntries(palette, 0, 0, nullptr)); }

class ReadBitmapTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (bitmap)
            DeleteObject(bitmap);
        if (palette)
            DeleteObject(palette);
        std::remove(path.c_str());
    }
    HBITMAP Read(const BmpSpec& spec)
    {
        testing::WriteFile(path, MakeBmp(spec));
        bitmap = READBITMAP(path, palette);
        return bitmap;
    }
    const std::string path = "bmp_reader_win32_test.bmp";
    HBITMAP bitmap = nullptr;
    HPALETTE palette = nullptr;
    Recorder recorder;
};

TEST_F(ReadBitmapTest, EightBitFileGivesItsSizeColoursAndPalette)
{
    BmpSpec spec;
    spec.width = 3;
    spec.height = 2;
    spec.clrUsed = 4;
    spec.colours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    spec.pixels = {3, 2, 1, 0, /* top row: */ 0, 1, 2, 0};
    ASSERT_NE(Read(spec), nullptr);
    EXPECT_TRUE(recorder.shown.empty());
    BITMAP size{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof size, &size), int(sizeof size));
    EXPECT_EQ(size.bmWidth, 3);
    EXPECT_EQ(size.bmHeight, 2);
    EXPECT_EQ(PixelsOf(bitmap, 3, 2), (std::vector<std::uint32_t>{0xFF0000, 0x00FF00, 0x0000FF,
                                                                   0xFFFFFF, 0x0000FF, 0x00FF00}));
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(PaletteEntries(palette), 4);
    PALETTEENTRY entry{};
    GetPaletteEntries(palette, 1, 1, &entry);
    EXPECT_EQ(entry.peRed, 0);
    EXPECT_EQ(entry.peGreen, 255);
    EXPECT_EQ(entry.peBlue, 0);
}

TEST_F(ReadBitmapTest, FourAndOneBitFilesDecodeEveryPixel)
{
    BmpSpec four;
    four.width = 3;
    four.height = 1;
    four.bitCount = 4;
    four.colours = {0x000000, 0x102030, 0xC08040};
    four.pixels = {0x12, 0x00, 0, 0};
    ASSERT_NE(Read(four), nullptr);
    EXPECT_EQ(PaletteEntries(palette), 16); // biClrUsed 0: all sixteen
    EXPECT_EQ(PixelsOf(bitmap, 3, 1), (std::vector<std::uint32_t>{0x102030, 0xC08040, 0x000000}));
    DeleteObject(bitmap);
    DeleteObject(palette);
    palette = nullptr;

    BmpSpec one;
    one.width = 33;
    one.height = 1;
    one.bitCount = 1;
    one.colours = {0x000000, 0xFFFFFF};
    one.pixels = {0x80, 0, 0, 0x01, 0x80, 0, 0, 0};
    ASSERT_NE(Read(one), nullptr);
    const auto pixels = PixelsOf(bitmap, 33, 1);
    EXPECT_EQ(pixels[0], 0xFFFFFFu);
    EXPECT_EQ(pixels[1], 0u);
    EXPECT_EQ(pixels[31], 0xFFFFFFu);
    EXPECT_EQ(pixels[32], 0xFFFFFFu);
}

TEST_F(ReadBitmapTest, RefusedFileGivesNoBitmapAndNoPalette)
{
    BmpSpec truecolour;
    truecolour.bitCount = 24;
    EXPECT_EQ(Read(truecolour), nullptr);
    EXPECT_EQ(palette, nullptr);
    ASSERT_EQ(recorder.shown.size(), 1u);
    EXPECT_EQ(recorder.shown[0].text, path + " a 24 bits par pixel (non supporté)");
}

TEST_F(ReadBitmapTest, PicturesAreFilesInTheWorkingDirectoryOrResources)
{
    BmpSpec spec;
    spec.width = 6;
    spec.height = 5;
    testing::WriteFile(path, MakeBmp(spec));
    Picture file = LoadPicture(path, GetModuleHandleA(nullptr));
    ASSERT_TRUE(file);
    EXPECT_EQ(file.Width(), 6);
    EXPECT_EQ(file.Height(), 5);
    EXPECT_NE(file.Palette(), nullptr);

    Picture moved = std::move(file);
    EXPECT_FALSE(file);
    EXPECT_EQ(moved.Width(), 6);

    EXPECT_FALSE(LoadPicture("NOSUCHPICTURE", GetModuleHandleA(nullptr)));
    EXPECT_FALSE(LoadPicture("missing.bmp", GetModuleHandleA(nullptr)));
    ASSERT_EQ(recorder.shown.size(), 2u);
    EXPECT_EQ(recorder.shown[0].text, "Impossible de charger la ressource NOSUCHPICTURE");
    // The working directory is put in front of a bare file name.
    char directory[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, directory);
    EXPECT_EQ(recorder.shown[1].text, "Impossible d'ouvrir le fichier " + std::string(directory) + "\\missing.bmp");
}

} // namespace
} // namespace lysora::bmp
