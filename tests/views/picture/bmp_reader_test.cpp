// The BMP reader's portable part: accepted files, every refusal and its message, and
// headers that lie about sizes.
#include "views/picture/bmp_reader.h"

#include "tests/support/message_recorder.h"
#include "tests/views/picture/bmp_test_files.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

namespace lysora::bmp {
namespace {

using testing::BmpSpec;
using testing::MakeBmp;
using testing::With;

using Recorder = lysora::testing::MessageRecorder;

// Parses spec's file under the name "x.bmp" and returns the one message it gave.
std::string RefusalOf(const BmpSpec& spec)
{
    Recorder recorder;
    const auto image = ParseBitmap(MakeBmp(spec), "x.bmp");
    EXPECT_FALSE(image.has_value());
    EXPECT_EQ(recorder.shown.size(), 1u);
    return recorder.shown.empty() ? "" : recorder.shown[0].text;
}

TEST(BmpSizes, ColourCountAndRowBytesFollowTheBitDepth)
{
    EXPECT_EQ(NCOLORS(1), 2u);
    EXPECT_EQ(NCOLORS(4), 16u);
    EXPECT_EQ(NCOLORS(8), 256u);
    EXPECT_EQ(NCOLORS(16), 65536u);
    EXPECT_EQ(NCOLORS(24), 0u);
    EXPECT_EQ(SCANBYTES(33, 1), 8);
    EXPECT_EQ(SCANBYTES(32, 1), 4);
    EXPECT_EQ(SCANBYTES(5, 8), 8);
    EXPECT_EQ(SCANBYTES(7, 4), 4);
    EXPECT_EQ(SCANBYTES(1, 24), 4);
    EXPECT_EQ(SCANBYTES(INT_MAX, 8), 2147483648LL); // no 32-bit wrap
}

TEST(BmpReader, ReadsAnEightBitImageBottomRowFirst)
{
    BmpSpec spec;
    spec.width = 3;
    spec.height = 2;
    spec.clrUsed = 3;
    spec.colours = {0xFF0000, 0x00FF00, 0x0000FF};
    spec.pixels = {2, 1, 0, 0xEE, /* top row: */ 0, 1, 2, 0xEE};
    Recorder recorder;
    const auto image = ParseBitmap(MakeBmp(spec), "x.bmp");
    ASSERT_TRUE(image.has_value());
    EXPECT_TRUE(recorder.shown.empty());
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->Rows(), 2);
    ASSERT_EQ(image->colours.size(), 3u);
    EXPECT_EQ(image->colours[0], (Rgb{255, 0, 0}));
    EXPECT_EQ(image->colours[2], (Rgb{0, 0, 255}));
    EXPECT_EQ(image->PixelIndex(0, 0), 0u);
    EXPECT_EQ(image->PixelIndex(2, 0), 2u);
    EXPECT_EQ(image->PixelIndex(0, 1), 2u);
    // The header handed on carries the recomputed image size and the real table length.
    ASSERT_EQ(image->info.size(), 40u + 3 * 4);
    EXPECT_EQ(image->info[20], 8); // biSizeImage = 4 bytes x 2 rows
    EXPECT_EQ(image->info[32], 3); // biClrUsed
}

TEST(BmpReader, TopDownRowsAndLaterHeaderVersionsAndPixelOffsets)
{
    BmpSpec spec;
    spec.width = 2;
    spec.height = -2; // top row first
    spec.bitCount = 4;
    spec.headerSize = 124; // a later header version: its colour table follows all 124 bytes
    spec.colours = {0x000000, 0x112233};
    spec.pixelOffset = 14 + 124 + 16 * 4 + 10; // a gap before the rows
    spec.pixels = {0x10, 0, 0, 0, 0x01, 0, 0, 0};
    Recorder recorder;
    const auto image = ParseBitmap(MakeBmp(spec), "x.bmp");
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->colours[1], (Rgb{0x11, 0x22, 0x33}));
    EXPECT_EQ(image->PixelIndex(0, 0), 1u);
    EXPECT_EQ(image->PixelIndex(1, 0), 0u);
    EXPECT_EQ(image->PixelIndex(1, 1), 1u);
    EXPECT_EQ(image->info[0], 40); // the header handed on is the 40-byte one
}

TEST(BmpReader, FourBitsWithoutColourCountGetSixteenColours)
{
    BmpSpec spec;
    spec.bitCount = 4;
    Recorder recorder;
    const auto image = ParseBitmap(MakeBmp(spec), "x.bmp");
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->colours.size(), 16u);
    EXPECT_EQ(image->info.size(), 40u + 16 * 4);
}

TEST(BmpReader, OneBitThirtyThreeWideUsesEightBytesARow)
{
    BmpSpec spec;
    spec.width = 33;
    spec.height = 3;
    spec.bitCount = 1;
    spec.pixels.assign(8 * 3, 0);
    spec.pixels[8 * 2 + 4] = 0x80; // pixel 32 of the top row
    Recorder recorder;
    const auto image = ParseBitmap(MakeBmp(spec), "x.bmp");
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->bits.size(), 24u);
    EXPECT_EQ(image->PixelIndex(32, 0), 1u);
    EXPECT_EQ(image->PixelIndex(31, 0), 0u);
    EXPECT_EQ(image->PixelIndex(32, 1), 0u);
}

TEST(BmpReader, RefusedFormatsNameTheFileAndWhy)
{
    BmpSpec truecolour;
    truecolour.bitCount = 24;
    EXPECT_EQ(RefusalOf(truecolour), "x.bmp a 24 bits par pixel (non supporté)");
    BmpSpec twoBits;
    twoBits.bitCount = 2;
    EXPECT_EQ(RefusalOf(twoBits), "x.bmp a 2 bits par pixel (non supporté)");
    BmpSpec rle;
    rle.compression = 1;
    EXPECT_EQ(RefusalOf(rle), "x.bmp est un bitmap compressé (non supporté)");

    Recorder recorder;
    auto notBmp = MakeBmp(BmpSpec{});
    notBmp[0] = 'P';
    EXPECT_FALSE(ParseBitmap(notBmp, "x.bmp"));
    ASSERT_EQ(recorder.shown.size(), 1u);
    EXPECT_EQ(recorder.shown[0].text, "x.bmp n'est pas un fichier BMP");
    // Every message is an error box: error icon, task-modal, brought to the front.
    EXPECT_EQ(recorder.shown[0].caption, "Erreur");
    EXPECT_EQ(recorder.shown[0].style, 0x10u | 0x2000u | 0x10000u);
}

TEST(BmpReader, EveryTruncationIsAReadError)
{
    BmpSpec spec;
    spec.width = 5;
    spec.height = 3;
    const auto whole = MakeBmp(spec);
    for (std::size_t length = 0; length < whole.size(); ++length) {
        Recorder recorder;
        const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + length);
        EXPECT_FALSE(ParseBitmap(cut, "x.bmp")) << length;
        ASSERT_EQ(recorder.shown.size(), 1u) << length;
        // Two bytes are enough to tell a BMP; shorter files cannot be read at all.
        EXPECT_EQ(recorder.shown[0].text, "Erreur de lecture de x.bmp") << length;
    }
}

TEST(BmpReader, HostileSizesAreReadErrors)
{
    const std::string readError = "Erreur de lecture de x.bmp";
    const BmpSpec cases[] = {
        With([](BmpSpec& s) { s.width = 0; }),
        With([](BmpSpec& s) { s.width = -4; }),
        With([](BmpSpec& s) { s.height = 0; }),
        With([](BmpSpec& s) { s.height = INT_MIN; }),
        With([](BmpSpec& s) { s.width = INT_MAX; }),
        With([](BmpSpec& s) { s.width = 20000; s.pixels.assign(8, 0); }),
        With([](BmpSpec& s) { s.width = 4000; s.height = 4000; s.pixels.assign(64, 0); }), // rows missing
        With([](BmpSpec& s) { s.height = 3; s.pixels.assign(8, 0); }),                     // one row short
        With([](BmpSpec& s) { s.clrUsed = 257; }),
        With([](BmpSpec& s) { s.bitCount = 4; s.clrUsed = 17; }),
        With([](BmpSpec& s) { s.clrUsed = 0xFFFFFFFF; s.tableEntries = 1; }),
        With([](BmpSpec& s) { s.pixelOffset = 0x7FFFFFFF; s.pixels.assign(8, 0); }),
        With([](BmpSpec& s) { s.pixelOffset = 0xFFFFFFFF; s.pixels.assign(8, 0); }),
        With([](BmpSpec& s) { s.headerSize = 12; }), // a header too small to hold the fields
    };
    for (const BmpSpec& spec : cases)
        EXPECT_EQ(RefusalOf(spec), readError) << spec.width << "x" << spec.height << " clr " << spec.clrUsed;

    // A header size beyond the file moves the colour table out of it.
    auto bytes = MakeBmp(BmpSpec{});
    bytes[14] = bytes[15] = bytes[16] = 0xF0;
    bytes[17] = 0xFF;
    Recorder recorder;
    EXPECT_FALSE(ParseBitmap(bytes, "x.bmp"));
    ASSERT_EQ(recorder.shown.size(), 1u);
    EXPECT_EQ(recorder.shown[0].text, readError);
}

TEST(BmpReader, FilesAreOpenedByTheirPathAndNamedByIt)
{
    const std::string path = "bmp_reader_test_good.bmp";
    BmpSpec spec;
    spec.bitCount = 1;
    testing::WriteFile(path, MakeBmp(spec));
    Recorder recorder;
    const auto image = ReadBitmapFile(path);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->colours.size(), 2u);
    std::remove(path.c_str());

    EXPECT_FALSE(ReadBitmapFile("bmp_reader_test_missing.bmp"));
    auto cut = MakeBmp(spec);
    cut.resize(30);
    testing::WriteFile(path, cut);
    EXPECT_FALSE(ReadBitmapFile(path));
    std::remove(path.c_str());
    ASSERT_EQ(recorder.shown.size(), 2u);
    EXPECT_EQ(recorder.shown[0].text, "Impossible d'ouvrir le fichier bmp_reader_test_missing.bmp");
    EXPECT_EQ(recorder.shown[1].text, "Erreur de lecture de " + path);
}

TEST(PictureNames, NamesWithoutADotAreResourcesOthersFiles)
{
    EXPECT_EQ(ResolvePictureName("Fiche", "C:\\lysora").isFile, false);
    EXPECT_EQ(ResolvePictureName("Fiche", "C:\\lysora").name, "Fiche");
    EXPECT_EQ(ResolvePictureName("accueil.bmp", "C:\\lysora").name, "C:\\lysora\\accueil.bmp");
    EXPECT_EQ(ResolvePictureName("accueil.bmp", "C:\\").name, "C:\\accueil.bmp");
    const PictureSource absolute = ResolvePictureName("D:\\images\\titre.bmp", "C:\\lysora");
    EXPECT_TRUE(absolute.isFile);
    EXPECT_EQ(absolute.name, "D:\\images\\titre.bmp");
}

} // namespace
} // namespace lysora::bmp
