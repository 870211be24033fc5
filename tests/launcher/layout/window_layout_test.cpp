// The arithmetic of the options window's layout: 96-DPI pixels to device pixels, and the window's
// place kept inside the screen's work area.
#include "launcher/window_layout.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowLayout, ScalesToTheNearestDevicePixel) {
    struct Case {
        std::int32_t pixels, dpi, device;
    };
    const Case cases[] = {
        {370, 96, 370},  {135, 120, 169},  // 168.75
        {22, 120, 28},                     // 27.5: halves go up
        {257, 120, 321},                   // 321.25
        {-22, 120, -28}, {478, 144, 717}, {416, 192, 832}, {0, 192, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(scale_to_dpi(c.pixels, c.dpi), c.device) << c.pixels << " at " << c.dpi;
}

TEST(WindowLayout, AWindowThatFitsStaysWhereItIsAskedForElseMovesJustInside) {
    struct Case {
        const char* name;
        ScreenRect area;
        ScreenPoint wanted;
        ScreenPoint placed;
    };
    // A window of 400 x 300.
    const Case cases[] = {
        {"fits", {0, 0, 1366, 768}, {478, 416}, {478, 416}},
        {"fits exactly at the corner", {0, 0, 878, 716}, {478, 416}, {478, 416}},
        {"too far right", {0, 0, 800, 768}, {478, 416}, {400, 416}},
        {"too low", {0, 0, 1366, 600}, {478, 416}, {478, 300}},
        {"both", {0, 0, 800, 600}, {478, 416}, {400, 300}},
        {"task bar on the left and at the top", {60, 40, 800, 600}, {478, 416}, {400, 300}},
        {"larger than the area: the top-left corner stays in it", {10, 20, 300, 200}, {478, 416}, {10, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ScreenPoint placed = place_inside(c.wanted, 400, 300, c.area);
        EXPECT_EQ(placed.x, c.placed.x);
        EXPECT_EQ(placed.y, c.placed.y);
    }
}

}  // namespace
