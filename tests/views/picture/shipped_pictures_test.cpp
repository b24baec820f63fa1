// The BMP files shipped beside the program: our own reader takes them, and each fits the
// window that shows it (intro 538 x 323 with the title panel at (282, 40) above the
// language buttons at y 228; menu 538 x 342).
#include "views/picture/bmp_reader.h"

#include "tests/support/message_recorder.h"

#include <gtest/gtest.h>

namespace lysora::bmp {
namespace {

using Recorder = lysora::testing::MessageRecorder;

TEST(ShippedPictures, EveryFileIsReadableAndFitsItsWindow)
{
    struct Expected {
        const char* file;
        int width, height;
    };
    const Expected pictures[] = {
        {"accueil.bmp", 538, 323}, {"menu.bmp", 538, 342}, {"titre.bmp", 240, 178}, {"title.bmp", 240, 178}};
    Recorder recorder;
    for (const Expected& expected : pictures) {
        const auto image = ReadBitmapFile(expected.file);
        ASSERT_TRUE(image.has_value()) << expected.file;
        EXPECT_EQ(image->width, expected.width) << expected.file;
        EXPECT_EQ(image->Rows(), expected.height) << expected.file;
        EXPECT_LE(image->bitCount, 8) << expected.file;
    }
    EXPECT_TRUE(recorder.shown.empty());
}

} // namespace
} // namespace lysora::bmp
