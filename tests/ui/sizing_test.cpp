// The toolkit's own sizing loop on real windows under Wine, started by the size command and driven by
// real keys and mouse moves.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "tests/support/event_pump.h"
#include "tests/support/toolkit_session.h"
#include "tests/support/user_input.h"
#include "toolkit/ui/events.h"
#include "toolkit/ui/sizing.h"
#include "toolkit/ui/window.h"

namespace {

constexpr std::int32_t kSizable = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
constexpr int kTimeoutMs = 5000;

RECT window_rect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

POINT cursor_pos() {
    POINT p{};
    GetCursorPos(&p);
    return p;
}

bool same(POINT a, POINT b) {
    return a.x == b.x && a.y == b.y;
}
bool same(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

HCURSOR system_cursor(LPCSTR id) {
    return LoadCursorA(nullptr, id);
}

bool input_button(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    return SendInput(1, &input, sizeof(INPUT)) == 1;
}

// Takes a message of the window out of the queue without handing it to the window.
bool drop_message(HWND hwnd, UINT message) {
    MSG msg{};
    return wait_until([&] { return PeekMessageA(&msg, hwnd, message, message, PM_REMOVE) != FALSE; }, kTimeoutMs);
}

class SizingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(session_.started());
        SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &saved_full_drag_, 0);
        ASSERT_TRUE(SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0));
    }
    void TearDown() override {
        if (GetCapture()) ReleaseCapture();
        SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, static_cast<UINT>(saved_full_drag_), nullptr, 0);
    }

    // Fetches events through the toolkit until done() holds or the time is up; events_ keeps them.
    bool pump_until_state(const std::function<bool()>& done) {
        return done() || pump_until([&](const SeenEvent&) { return done(); }, kTimeoutMs, &events_);
    }
    bool seen_since(std::size_t from, std::int32_t code) const {
        return std::any_of(events_.begin() + static_cast<std::ptrdiff_t>(from), events_.end(),
                           [code](const SeenEvent& event) { return event.code == code; });
    }

    // Opens a window in front, with the keyboard focus and the cursor resting in its middle.
    HWND open(std::int32_t number, std::int32_t flags, int x = 300) {
        HWND hwnd = reinterpret_cast<HWND>(window_open(number, x, 200, 400, 300, "Sizing", flags));
        if (!hwnd || !bring_to_foreground(GetAncestor(hwnd, GA_ROOT), kTimeoutMs, true)) return nullptr;
        SetFocus(hwnd);
        const std::size_t from = events_.size();
        SetCursorPos(window_middle(hwnd).x, window_middle(hwnd).y);
        // The cursor's own move must be through before a test looks at mouse moves.
        return pump_until_state([&] { return GetFocus() == hwnd && seen_since(from, WM_MOUSEMOVE); }) ? hwnd : nullptr;
    }

    // Starts the loop as the system menu does; edge 0 is the keyboard start.
    bool start_sizing(HWND hwnd, WPARAM edge) {
        PostMessageA(hwnd, WM_SYSCOMMAND, SC_SIZE | edge, 0);
        return pump_until_state([&] { return GetCapture() == hwnd; });
    }

    // Presses a key and pumps until its release has come out of the toolkit.
    bool press(WORD key) {
        const std::size_t from = events_.size();
        return input_key(key) && pump_until_state([&] { return seen_since(from, WM_KEYUP); });
    }

    bool end_with(WORD key) {
        return input_key(key) && pump_until_state([] { return GetCapture() == nullptr; });
    }

    ToolkitSession session_;
    std::vector<SeenEvent> events_;
    BOOL saved_full_drag_ = FALSE;
};

TEST_F(SizingTest, KeyboardStartWidensToTheLeftByTenPixelsPerKey) {
    HWND hwnd = open(0, kSizable);
    ASSERT_NE(hwnd, nullptr);
    const RECT before = window_rect(hwnd);
    const POINT start = cursor_pos();
    std::size_t from = events_.size();
    ASSERT_TRUE(start_sizing(hwnd, 0));
    EXPECT_EQ(GetCursor(), system_cursor(IDC_SIZEALL));
    EXPECT_TRUE(pump_until_state([&] { return seen_since(from, WM_ENTERSIZEMOVE); }));

    // The first Left only chooses the edge: the cursor goes onto it at the same height.
    ASSERT_TRUE(input_key(VK_LEFT));
    ASSERT_TRUE(pump_until_state([&] { return same(cursor_pos(), POINT{before.left, start.y}); }));
    EXPECT_EQ(GetCursor(), system_cursor(IDC_SIZEWE));
    ASSERT_TRUE(pump_until_state([&] { return seen_since(from, WM_KEYUP); }));
    EXPECT_TRUE(same(window_rect(hwnd), before));

    for (LONG step = 1; step <= 3; ++step) {
        ASSERT_TRUE(input_key(VK_LEFT));
        ASSERT_TRUE(pump_until_state([&] { return window_rect(hwnd).left == before.left - 10 * step; })) << step;
        const RECT now = window_rect(hwnd);
        EXPECT_EQ(now.right, before.right);
        EXPECT_EQ(now.top, before.top);
        EXPECT_EQ(now.bottom, before.bottom);
        EXPECT_EQ(cursor_pos().x, before.left - 10 * step);
    }

    from = events_.size();
    ASSERT_TRUE(end_with(VK_RETURN));
    EXPECT_TRUE(pump_until_state([&] { return seen_since(from, WM_EXITSIZEMOVE); }));
    EXPECT_EQ(window_rect(hwnd).left, before.left - 30);
    EXPECT_EQ(window_rect(hwnd).right, before.right);
}

TEST_F(SizingTest, EnterRightAfterTheStartChangesNothingAndPutsTheCursorBack) {
    HWND hwnd = open(0, kSizable);
    ASSERT_NE(hwnd, nullptr);
    const RECT before = window_rect(hwnd);
    const POINT start = cursor_pos();
    ASSERT_TRUE(start_sizing(hwnd, 0));
    // Something other than the user moves the cursor, and its mouse move never reaches the window.
    SetCursorPos(start.x + 40, start.y + 30);
    ASSERT_TRUE(drop_message(hwnd, WM_MOUSEMOVE));

    ASSERT_TRUE(end_with(VK_RETURN));
    EXPECT_TRUE(same(window_rect(hwnd), before));
    EXPECT_TRUE(same(cursor_pos(), start));
}

TEST_F(SizingTest, UpAfterLeftTakesTheTopLeftCorner) {
    HWND hwnd = open(0, kSizable);
    ASSERT_NE(hwnd, nullptr);
    const RECT before = window_rect(hwnd);
    ASSERT_TRUE(start_sizing(hwnd, 0));
    ASSERT_TRUE(press(VK_LEFT));
    ASSERT_TRUE(press(VK_UP));
    EXPECT_TRUE(same(cursor_pos(), POINT{before.left + 2, before.top + 2}));
    EXPECT_EQ(GetCursor(), system_cursor(IDC_SIZENWSE));
    EXPECT_TRUE(same(window_rect(hwnd), before));

    // The corner follows both ways: up moves only the top, left only the left side.
    ASSERT_TRUE(press(VK_UP));
    RECT expected = before;
    expected.top -= 10;
    EXPECT_TRUE(same(window_rect(hwnd), expected));
    ASSERT_TRUE(press(VK_LEFT));
    expected.left -= 10;
    EXPECT_TRUE(same(window_rect(hwnd), expected));
    ASSERT_TRUE(end_with(VK_ESCAPE));
    EXPECT_TRUE(same(window_rect(hwnd), expected));
}

TEST_F(SizingTest, DraggingTheRightBorderStopsAtTheMinimumTrackingWidth) {
    HWND hwnd = open(0, kSizable);
    ASSERT_NE(hwnd, nullptr);
    const RECT before = window_rect(hwnd);
    const LONG minimum = GetSystemMetrics(SM_CXMINTRACK);
    ASSERT_LT(minimum, before.right - before.left);
    ASSERT_TRUE(start_sizing(hwnd, WMSZ_RIGHT));
    ASSERT_TRUE(input_move({before.left + 5, before.top + 50}));
    ASSERT_TRUE(pump_until_state([&] { return window_rect(hwnd).right != before.right; }));
    RECT now = window_rect(hwnd);
    EXPECT_EQ(now.right - now.left, minimum);
    EXPECT_EQ(now.left, before.left);

    // The border follows the mouse out again, 2 pixels beyond it; Escape keeps that size.
    ASSERT_TRUE(input_move({before.right + 40, before.top + 50}));
    ASSERT_TRUE(pump_until_state([&] { return window_rect(hwnd).right == before.right + 42; }));
    ASSERT_TRUE(end_with(VK_ESCAPE));
    EXPECT_EQ(window_rect(hwnd).right, before.right + 42);
}

TEST_F(SizingTest, DraggingTheLeftBorderTooFarHoldsTheRightSide) {
    HWND hwnd = open(0, kSizable);
    ASSERT_NE(hwnd, nullptr);
    const RECT before = window_rect(hwnd);
    ASSERT_TRUE(start_sizing(hwnd, WMSZ_LEFT));
    ASSERT_TRUE(input_move({before.right - 5, before.top + 50}));
    ASSERT_TRUE(pump_until_state([&] { return window_rect(hwnd).left != before.left; }));
    const RECT now = window_rect(hwnd);
    EXPECT_EQ(now.right, before.right);
    EXPECT_EQ(now.right - now.left, GetSystemMetrics(SM_CXMINTRACK));
}

TEST_F(SizingTest, EventsKeepComingWhileTheWindowIsSized) {
    HWND hwnd = open(0, kSizable);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(start_sizing(hwnd, 0));
    ASSERT_TRUE(press(VK_LEFT));
    for (int round = 0; round < 3; ++round) {
        const std::size_t from = events_.size();
        ASSERT_TRUE(input_key(VK_LEFT));
        ASSERT_TRUE(pump_until_state([&] { return seen_since(from, EV_SIZED) && seen_since(from, EV_MOVED); }))
            << round;
        EXPECT_EQ(GetCapture(), hwnd);
    }
    ASSERT_TRUE(end_with(VK_RETURN));
}

TEST_F(SizingTest, WindowWithoutSizingBorderNeverEntersTheLoop) {
    HWND hwnd = open(0, WS_CAPTION | WS_SYSMENU);
    ASSERT_NE(hwnd, nullptr);
    const RECT before = window_rect(hwnd);
    // Asked directly: a posted size command would run Wine's own keyboard sizing, which waits for
    // keys even on a window without a sizing border.
    EXPECT_EQ(sizing_filter(hwnd, WM_SYSCOMMAND, SC_SIZE, 0), NOT_HANDLED);
    EXPECT_EQ(sizing_filter(hwnd, WM_SYSCOMMAND, SC_SIZE | WMSZ_RIGHT, 0), NOT_HANDLED);
    EXPECT_EQ(GetCapture(), nullptr);

    // Pressing on its edge and dragging inwards moves nothing either.
    const std::size_t from = events_.size();
    ASSERT_TRUE(input_drag({before.right - 1, (before.top + before.bottom) / 2},
                           {before.right - 60, (before.top + before.bottom) / 2}));
    ASSERT_TRUE(pump_until_state([&] { return seen_since(from, WM_LBUTTONUP); }));
    EXPECT_TRUE(same(window_rect(hwnd), before));
    EXPECT_FALSE(seen_since(from, WM_ENTERSIZEMOVE));
}

TEST_F(SizingTest, MaximisedWindowIsNotSized) {
    HWND hwnd = open(0, kSizable | WS_MAXIMIZE);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(IsZoomed(hwnd));
    const std::size_t from = events_.size();
    PostMessageA(hwnd, WM_SYSCOMMAND, SC_SIZE, 0);
    ASSERT_TRUE(pump_until_state([&] { return seen_since(from, WM_SYSCOMMAND); }));
    EXPECT_EQ(GetCapture(), nullptr);
}

// With the platform drawing only a frame while dragging, its own loop is left to do the sizing.
TEST_F(SizingTest, OnlyTakesTheSizeCommandWithFullWindowDragging) {
    HWND hwnd = open(0, kSizable);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, 0));
    EXPECT_EQ(sizing_filter(hwnd, WM_SYSCOMMAND, SC_SIZE | WMSZ_RIGHT, 0), NOT_HANDLED);
    EXPECT_EQ(GetCapture(), nullptr);
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0));
    EXPECT_EQ(sizing_filter(hwnd, WM_SYSCOMMAND, SC_SIZE | WMSZ_RIGHT, 0), 0);
    EXPECT_EQ(GetCapture(), hwnd);
    ReleaseCapture();
}

TEST_F(SizingTest, MessagesOfAnotherWindowLeaveTheLoopAlone) {
    HWND sized = open(0, kSizable);
    HWND other = open(1, kSizable, 750);
    ASSERT_NE(sized, nullptr);
    ASSERT_NE(other, nullptr);
    const RECT sized_before = window_rect(sized), other_before = window_rect(other);
    ASSERT_TRUE(start_sizing(sized, 0));

    SendMessageA(other, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    SendMessageA(other, WM_KEYDOWN, VK_RETURN, 0);
    SendMessageA(other, WM_CAPTURECHANGED, 0, 0);
    EXPECT_TRUE(same(window_rect(other), other_before));
    EXPECT_TRUE(same(window_rect(sized), sized_before));
    EXPECT_EQ(GetCapture(), sized);

    // The loop still answers its own window: Left chooses that window's left border.
    const POINT start = cursor_pos();
    SendMessageA(sized, WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_TRUE(same(cursor_pos(), POINT{sized_before.left, start.y}));
}

TEST_F(SizingTest, ClosingTheSizedWindowEndsTheLoop) {
    HWND first = open(0, kSizable);
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(start_sizing(first, 0));
    window_close(0);

    HWND second = open(1, kSizable);
    ASSERT_NE(second, nullptr);
    const RECT before = window_rect(second);
    // Asked directly: were the loop still held for the closed window, a posted command would go to
    // the platform's own loop and wait there for keys.
    ASSERT_EQ(sizing_filter(second, WM_SYSCOMMAND, SC_SIZE, 0), 0);
    ASSERT_EQ(GetCapture(), second);
    ASSERT_TRUE(press(VK_LEFT));
    ASSERT_TRUE(press(VK_LEFT));
    EXPECT_EQ(window_rect(second).left, before.left - 10);
    ASSERT_TRUE(end_with(VK_RETURN));
}

// A sizable child window is moved in its parent's client coordinates.
TEST_F(SizingTest, ChildWindowFollowsTheMouseOnTheScreen) {
    HWND parent = open(0, kSizable);
    ASSERT_NE(parent, nullptr);
    HWND child = reinterpret_cast<HWND>(window_open_owned(1, 20, 20, 150, 100, "", WS_CHILD | WS_THICKFRAME, parent));
    ASSERT_NE(child, nullptr);
    const RECT before = window_rect(child);
    ASSERT_TRUE(start_sizing(child, WMSZ_RIGHT));
    ASSERT_TRUE(input_move({before.right + 30, before.top + 20}));
    ASSERT_TRUE(pump_until_state([&] { return window_rect(child).right != before.right; }));
    RECT expected = before;
    expected.right += 32;
    EXPECT_TRUE(same(window_rect(child), expected));
}

TEST_F(SizingTest, DraggingTheBorderWithTheMouseSizesTheWindow) {
    HWND hwnd = open(0, kSizable);
    ASSERT_NE(hwnd, nullptr);
    const RECT before = window_rect(hwnd);
    const POINT border{before.right - 2, (before.top + before.bottom) / 2};
    const std::size_t from = events_.size();
    // A press on the border makes the platform send the size command with that border. Each step
    // waits for the last, so that no input is aimed before the capture has been taken.
    ASSERT_TRUE(input_move(border));
    ASSERT_TRUE(input_button(MOUSEEVENTF_LEFTDOWN));
    ASSERT_TRUE(pump_until_state([&] { return GetCapture() == hwnd; }));
    ASSERT_TRUE(input_move({border.x + 50, border.y}));
    ASSERT_TRUE(pump_until_state([&] { return window_rect(hwnd).right == before.right + 50; }));
    ASSERT_TRUE(input_button(MOUSEEVENTF_LEFTUP));
    ASSERT_TRUE(pump_until_state([&] { return seen_since(from, WM_EXITSIZEMOVE); }));
    EXPECT_TRUE(seen_since(from, WM_ENTERSIZEMOVE));
    EXPECT_TRUE(seen_since(from, EV_SIZED));
    EXPECT_EQ(GetCapture(), nullptr);
    RECT expected = before;
    expected.right += 50;
    EXPECT_TRUE(same(window_rect(hwnd), expected));
}

}  // namespace
