#pragma once
// The options window is laid out in pixels of a 96-DPI display; these turn that layout into the
// device pixels of the display it appears on, and keep the window on the screen.

#include <cstdint>

// The display scale at which layout pixels are device pixels (100 %).
constexpr std::int32_t kLayoutDpi = 96;

// pixels * dpi / 96, rounded to the nearest device pixel (halves away from zero).
std::int32_t scale_to_dpi(std::int32_t pixels, std::int32_t dpi);

struct ScreenPoint {
    std::int32_t x;
    std::int32_t y;
};

// Screen coordinates; right and bottom lie just outside.
struct ScreenRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

// Where a window of the given outer size, wanted with its top-left corner at `wanted`, lies whole
// inside `area`: where it already does, at `wanted` itself; otherwise moved just far enough. A
// window larger than the area keeps its top-left corner in it, so that its caption stays in reach.
ScreenPoint place_inside(ScreenPoint wanted, std::int32_t width, std::int32_t height, const ScreenRect& area);
