// Geometry resolution (see geometry.h). Sums wrap around in 32 bits, as the coordinates of
// the platform do, instead of overflowing.
#include "guikit/geometry.h"

namespace guikit {
namespace {

std::int32_t Wrap(std::int64_t value) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(value)); }

} // namespace

Geometry ResolveGeometry(const Geometry& requested, std::int32_t ref_w, std::int32_t ref_h)
{
    Geometry g;
    g.x = IsRelative(requested.x) ? Wrap(std::int64_t{ref_w} + requested.x) : requested.x;
    g.y = IsRelative(requested.y) ? Wrap(std::int64_t{ref_h} + requested.y) : requested.y;
    g.w = IsRelative(requested.w) ? Wrap(std::int64_t{ref_w} + requested.w - g.x) : requested.w;
    g.h = IsRelative(requested.h) ? Wrap(std::int64_t{ref_h} + requested.h - g.y) : requested.h;
    return g;
}

} // namespace guikit
