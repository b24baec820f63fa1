// The screen's colour depth, read from the desktop (Windows build, on the test display).
#include "services/screen.h"

#include <gtest/gtest.h>

namespace lysora {
namespace {

TEST(Screen, ColourDepthIsOneTheDisplayCanHave)
{
    int bits = NBBPP();
    EXPECT_TRUE(bits == 8 || bits == 16 || bits == 24 || bits == 32) << bits;
}

} // namespace
} // namespace lysora
