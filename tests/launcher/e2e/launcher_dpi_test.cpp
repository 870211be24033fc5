// The options window at the display scale that the test's Wine prefix is set to (LAUNCHER_TEST_DPI;
// launcher_dpi_test.sh runs this at each scale): its 96-DPI layout multiplied by dpi / 96, every
// caption and button text whole, the window whole on the screen, and the first-run file holding the
// display mode's real pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "tests/launcher/e2e/launcher_driver.h"
#include "tests/launcher/e2e/options_layout.h"
#include "tests/support/options_file.h"

namespace launcher_e2e {
namespace {

int scaled(int pixels, int dpi) {
    return MulDiv(pixels, dpi, USER_DEFAULT_SCREEN_DPI);
}

int text_width(const std::string& text, HFONT font) {
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, font);
    SIZE size = {};
    GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return size.cx;
}

TEST(LauncherDisplayScale, TheLayoutScaledWithEveryTextWholeOnTheScreen) {
    // Device pixels, as the launcher, which declares itself aware of the scale, lays itself out.
    SetProcessDPIAware();
    char asked[16] = "";
    const int dpi =
        GetEnvironmentVariableA("LAUNCHER_TEST_DPI", asked, sizeof asked) ? std::atoi(asked) : USER_DEFAULT_SCREEN_DPI;
    HDC screen = GetDC(nullptr);
    ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSY), dpi) << "the display is not at the scale asked for";
    ReleaseDC(nullptr, screen);

    Session session({.options = std::nullopt});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    HWND window = launcher.window();

    // The first-run file: the desktop's size in real pixels, whatever the scale.
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode));
    EXPECT_EQ(session.folder.options(),
              first_run_file(static_cast<int>(mode.dmPelsWidth), static_cast<int>(mode.dmPelsHeight)));

    RECT client = {}, frame = {}, area = {};
    GetClientRect(window, &client);
    EXPECT_NEAR(client.right, scaled(kClientSize.cx, dpi), 1);
    EXPECT_NEAR(client.bottom, scaled(kClientSize.cy, dpi), 1);
    GetWindowRect(window, &frame);
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    EXPECT_TRUE(frame.left >= area.left && frame.top >= area.top && frame.right <= area.right &&
                frame.bottom <= area.bottom)
        << "window (" << frame.left << ", " << frame.top << ")-(" << frame.right << ", " << frame.bottom
        << ") in the work area (" << area.left << ", " << area.top << ")-(" << area.right << ", " << area.bottom << ")";
    // The layout's place at this scale, moved no further than it takes to lie inside the work area.
    auto fit = [](LONG wanted, LONG size, LONG low, LONG high) { return std::max(low, std::min(wanted, high - size)); };
    EXPECT_EQ(frame.left, fit(scaled(kWindowPlace.x, dpi), frame.right - frame.left, area.left, area.right));
    EXPECT_EQ(frame.top, fit(scaled(kWindowPlace.y, dpi), frame.bottom - frame.top, area.top, area.bottom));

    // Every control gets the stock GUI font, which each program makes at the scale it starts with:
    // this program's own is the controls' font.
    const auto font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (const ControlLayout& want : kOptionsLayout) {
        SCOPED_TRACE("control " + std::to_string(want.id));
        HWND control = launcher.control(want.id);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(placed_at(control, window, want, dpi));

        const std::string class_name = want.class_name;
        // The credit line reaches past the window's edge at every scale; the window clips it.
        if ((class_name != "Static" && class_name != "Button") || want.id == kCreditLabel) continue;
        RECT inside = {};
        GetClientRect(control, &inside);
        const std::string text = launcher.text(control);
        EXPECT_LE(text_width(text, font), inside.right) << printable(text) << " is cut off";
    }

    // On a monitor of another scale each control stands exactly where the layout puts it there.
    const int other = dpi == 144 ? 120 : 144;
    ASSERT_TRUE(send_dpi_change(launcher, other, frame));
    for (const ControlLayout& want : kOptionsLayout) {
        const RECT got = client_rect_of(launcher.control(want.id), window), at96 = want.rect;
        const LONG left = scaled(at96.left, other), top = scaled(at96.top, other);
        // The closed list's height is the platform's field around the font.
        const LONG bottom = want.id == kResolutionList ? got.bottom : top + scaled(at96.bottom - at96.top, other);
        EXPECT_TRUE(got.left == left && got.top == top && got.right == left + scaled(at96.right - at96.left, other) &&
                    got.bottom == bottom)
            << "control " << want.id << " at (" << got.left << ", " << got.top << ")-(" << got.right << ", "
            << got.bottom << ") at " << other << " DPI";
    }
    EXPECT_EQ(launcher.cancel(), 0u);
}

}  // namespace
}  // namespace launcher_e2e
