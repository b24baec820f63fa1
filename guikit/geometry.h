// Resolution of a window's requested geometry into pixels: the portable half of the layout
// of library windows. A requested value in -16 777 216 ... -1 is relative: a position is
// measured from the reference's right or bottom edge, a size keeps the window's far edge that
// many pixels inside it. CW_USEDEFAULT (0x80000000) and every other value pass unchanged.
#pragma once

#include <cstdint>

namespace guikit {

struct Geometry {
    std::int32_t x = 0, y = 0, w = 0, h = 0;
    bool operator==(const Geometry&) const = default;
};

constexpr bool IsRelative(std::int32_t value) { return value >= -16777216 && value <= -1; }

// Resolves requested against a reference size (the parent's client area, or 0 x 0).
Geometry ResolveGeometry(const Geometry& requested, std::int32_t ref_w, std::int32_t ref_h);

} // namespace guikit
