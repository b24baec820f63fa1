// Geometry resolution: positions and sizes anchored to the reference's right and bottom
// edges, CW_USEDEFAULT passed through, and the range of relative values.
#include "guikit/geometry.h"

#include <gtest/gtest.h>

namespace guikit {
namespace {

constexpr std::int32_t kUseDefault = INT32_MIN; // CW_USEDEFAULT

TEST(Geometry, RightAnchoredPositionFollowsTheReference)
{
    Geometry requested{-110, 10, 100, 22};
    EXPECT_EQ(ResolveGeometry(requested, 400, 300), (Geometry{290, 10, 100, 22}));
    EXPECT_EQ(ResolveGeometry(requested, 500, 300), (Geometry{390, 10, 100, 22}));
}

TEST(Geometry, RelativeSizeKeepsTheFarEdgeInside)
{
    EXPECT_EQ(ResolveGeometry({10, 20, -10, -30}, 400, 300), (Geometry{10, 20, 380, 250}));
    EXPECT_EQ(ResolveGeometry({-50, -40, -10, -10}, 400, 300), (Geometry{350, 260, 40, 30}));
}

TEST(Geometry, ZeroReferenceLeavesRelativeValuesNegative)
{
    EXPECT_EQ(ResolveGeometry({-110, -5, 100, 20}, 0, 0), (Geometry{-110, -5, 100, 20}));
}

TEST(Geometry, DefaultAndLargeNegativeValuesAreNotRelative)
{
    Geometry requested{kUseDefault, kUseDefault, kUseDefault, kUseDefault};
    EXPECT_EQ(ResolveGeometry(requested, 400, 300), requested);
    EXPECT_FALSE(IsRelative(-16777217));
    EXPECT_TRUE(IsRelative(-16777216));
    EXPECT_FALSE(IsRelative(0));
    EXPECT_EQ(ResolveGeometry({-16777217, 0, 5, 5}, 400, 300).x, -16777217);
}

} // namespace
} // namespace guikit
