#include "launcher/window_layout.h"

#include <algorithm>

std::int32_t scale_to_dpi(std::int32_t pixels, std::int32_t dpi) {
    const std::int64_t product = static_cast<std::int64_t>(pixels) * dpi;
    const std::int64_t magnitude = ((product < 0 ? -product : product) + kLayoutDpi / 2) / kLayoutDpi;
    return static_cast<std::int32_t>(product < 0 ? -magnitude : magnitude);
}

namespace {

// The start of a span of `size` that lies inside [low, high) if it fits, starting at `wanted` when
// it can; the low edge wins when the span is longer than the range.
std::int32_t fit_span(std::int32_t wanted, std::int32_t size, std::int32_t low, std::int32_t high) {
    const std::int64_t latest = static_cast<std::int64_t>(high) - size;
    return static_cast<std::int32_t>(std::max<std::int64_t>(low, std::min<std::int64_t>(wanted, latest)));
}

}  // namespace

ScreenPoint place_inside(ScreenPoint wanted, std::int32_t width, std::int32_t height, const ScreenRect& area) {
    return {fit_span(wanted.x, width, area.left, area.right), fit_span(wanted.y, height, area.top, area.bottom)};
}
