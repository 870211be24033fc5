// Windows and the event queue, driven by posted and sent messages.

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <limits>
#include <thread>
#include <vector>

#include "tests/support/event_pump.h"
#include "tests/support/toolkit_session.h"
#include "toolkit/objects/heap.h"
#include "toolkit/objects/object_table.h"
#include "toolkit/ui/controls.h"
#include "toolkit/ui/event_record.h"
#include "toolkit/ui/events.h"
#include "toolkit/ui/window.h"
#include "toolkit/ui/window_internal.h"

namespace {

constexpr std::int32_t kPlainWindow = WS_CAPTION | WS_SYSMENU;
constexpr UINT kNudge = WM_APP + 1;

class WindowEvents : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(session_.started()); }

    static HWND open(std::int32_t number, std::int32_t flags = kPlainWindow, std::int32_t width = 300) {
        return reinterpret_cast<HWND>(window_open(number, 60, 60, width, 200, "Test", flags));
    }

    // The codes of the events that are due now, oldest first.
    static std::vector<std::int32_t> codes_due(HWND window) {
        std::vector<std::int32_t> codes;
        for (const SeenEvent& event : pump_until_idle(window)) codes.push_back(event.code);
        return codes;
    }

    static std::vector<std::int32_t> size_codes_due(HWND window) {
        std::vector<std::int32_t> codes;
        for (std::int32_t code : codes_due(window))
            if (code == EV_MINIMIZED || code == EV_MAXIMIZED || code == EV_RESTORED || code == EV_SIZED)
                codes.push_back(code);
        return codes;
    }

    ToolkitSession session_;
};

TEST_F(WindowEvents, EqualConsecutiveQueuedEventsCollapse) {
    HWND window = open(3);
    HWND other = open(4);
    ASSERT_TRUE(window && other);
    pump_until_idle(window);
    HDC dc = GetDC(window);
    SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageA(window, WM_CLOSE, 0, 0);
    SendMessageA(other, WM_CLOSE, 0, 0);  // the same event of another window is another event
    SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ReleaseDC(window, dc);

    EXPECT_EQ(next_event(0), EV_REPAINT);
    EXPECT_EQ(event_record()->last_window, 3);
    EXPECT_EQ(next_event(0), EV_CLOSE);
    EXPECT_EQ(next_event(0), EV_CLOSE);
    EXPECT_EQ(event_record()->last_window, 4);
    EXPECT_EQ(next_event(0), EV_REPAINT);
    EXPECT_EQ(next_event(0), 0);
    // A close event leaves the window open.
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(WindowEvents, MinimiseRestoreAndMaximiseRaiseTheirEventsInOrder) {
    HWND window = open(0, kPlainWindow | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    ASSERT_NE(window, nullptr);
    pump_until_idle(window);

    ShowWindow(window, SW_MINIMIZE);
    EXPECT_EQ(size_codes_due(window), (std::vector<std::int32_t>{EV_MINIMIZED}));
    ShowWindow(window, SW_RESTORE);
    EXPECT_EQ(size_codes_due(window), (std::vector<std::int32_t>{EV_RESTORED, EV_SIZED}));
    ShowWindow(window, SW_MAXIMIZE);
    EXPECT_EQ(size_codes_due(window), (std::vector<std::int32_t>{EV_MAXIMIZED, EV_SIZED}));
    ShowWindow(window, SW_RESTORE);
    EXPECT_EQ(size_codes_due(window), (std::vector<std::int32_t>{EV_RESTORED, EV_SIZED}));
    // A plain resize is no restore.
    SetWindowPos(window, nullptr, 0, 0, 350, 250, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(size_codes_due(window), (std::vector<std::int32_t>{EV_SIZED}));
}

TEST_F(WindowEvents, GadgetOfTheLastEventOutlivesPollsAndRawMessages) {
    HWND window = open(0);
    ASSERT_NE(window, nullptr);
    PostMessageA(window, POST_GADGET_EVENT, 9, 5);
    ASSERT_TRUE(pump_until_gadget(9, 5, 5000));
    EXPECT_EQ(event_gadget(), 9);
    pump_until_idle(window);

    EXPECT_EQ(poll_event(), 0);
    EXPECT_EQ(event_gadget(), 9);
    EXPECT_EQ(next_event(20), 0);
    EXPECT_EQ(event_gadget(), 9);

    PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(next_event(5000), WM_MOUSEMOVE);
    EXPECT_EQ(event_gadget(), 9);
    EXPECT_EQ(event_record()->last_lparam, MAKELPARAM(5, 5));

    // A posted WM_NULL would read as "nothing there": a poll goes on past each to the message behind.
    PostMessageA(window, WM_NULL, 0, 0);
    PostMessageA(window, WM_NULL, 0, 0);
    PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(7, 7));
    EXPECT_EQ(poll_event(), WM_MOUSEMOVE);
    EXPECT_EQ(event_record()->last_lparam, MAKELPARAM(7, 7));
}

TEST_F(WindowEvents, EventRaisedWhileBusyIsLostOnlyToAQueuedEvent) {
    HWND window = open(0);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(text_field_create(4, 10, 10, 100, 20, ""), 0);
    pump_until_idle(window);

    // Setting the text notifies the window outside next_event; the next message brings it out.
    SetWindowTextA(GetDlgItem(window, 4), "changed");
    PostMessageA(window, kNudge, 0, 0);
    EXPECT_EQ(next_event(5000), EV_GADGET);
    EXPECT_EQ(event_gadget(), 4);
    EXPECT_EQ(event_record()->last_type, -1);
    pump_until_idle(window);

    // A queued event comes first and the pending one is dropped.
    SetWindowTextA(GetDlgItem(window, 4), "again");
    SendMessageA(window, WM_CLOSE, 0, 0);
    PostMessageA(window, kNudge, 0, 0);
    EXPECT_EQ(next_event(5000), EV_CLOSE);
    EXPECT_EQ(next_event(5000), static_cast<std::int32_t>(kNudge));
}

TEST_F(WindowEvents, ReopeningANumberReplacesTheWindowAndItsClass) {
    HWND first = open(0);
    ASSERT_NE(first, nullptr);
    WNDCLASSA info;
    EXPECT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "WindowClass_0", &info));

    HWND second = open(0);
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(window_handle(0), second);
    char name[32] = {};
    GetClassNameA(second, name, sizeof name);
    EXPECT_STREQ(name, "WindowClass_0");

    window_close(0);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(window_handle(0), nullptr);
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "WindowClass_0", &info));
    window_close(0);  // names nothing now: does nothing

    std::intptr_t identity = window_open(ANY_NUMBER, 10, 10, 100, 100, nullptr, kPlainWindow);
    ASSERT_LT(identity, -1);
    HWND loose = window_handle(static_cast<std::int32_t>(identity));
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(GetWindowTextLengthA(loose), 0);

    // Destroyed behind the toolkit's back, a window leaves no number (nor Tab table) to its handle,
    // which the platform may give to another window.
    DestroyWindow(loose);
    EXPECT_EQ(window_number_of(loose), -1);
    EXPECT_EQ(window_accelerators(loose), nullptr);
}

TEST_F(WindowEvents, FlagsChooseStyleVisibilityAndPlace) {
    HWND plain = open(0, 0);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(GetWindowLongPtrA(plain, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(IsWindowVisible(plain));

    HWND hidden = open(1, WF_INVISIBLE);
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(GetWindowLongPtrA(hidden, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    EXPECT_FALSE(IsWindowVisible(hidden));

    HWND tool = open(2, WF_TOOL | kPlainWindow | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    ASSERT_NE(tool, nullptr);
    EXPECT_TRUE(GetWindowLongPtrA(tool, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetWindowLongPtrA(tool, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    MINMAXINFO limits = {};
    SendMessageA(tool, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, 1);

    // The client area has the size asked for, also where the caption is added for want of a style.
    for (HWND window : {plain, hidden}) {
        RECT client;
        GetClientRect(window, &client);
        EXPECT_EQ(client.right, 300);
        EXPECT_EQ(client.bottom, 200);
    }

    const int screen_width = GetSystemMetrics(SM_CXSCREEN);
    const int screen_height = GetSystemMetrics(SM_CYSCREEN);
    HWND wide = reinterpret_cast<HWND>(
        window_open(3, KEEP_POSITION, KEEP_POSITION, screen_width + 400, 100, "wide", WF_CENTER_SCREEN | kPlainWindow));
    ASSERT_NE(wide, nullptr);
    RECT frame;
    GetWindowRect(wide, &frame);
    EXPECT_EQ(frame.left, 0);
    EXPECT_EQ(frame.right - frame.left, screen_width);
    EXPECT_EQ(frame.top, (screen_height - (frame.bottom - frame.top)) / 2);

    HWND owned =
        reinterpret_cast<HWND>(window_open_owned(4, 0, 0, 200, 50, "owned", WF_CENTER_OWNER | kPlainWindow, plain));
    ASSERT_NE(owned, nullptr);
    RECT owner_frame, owned_frame;
    GetWindowRect(plain, &owner_frame);
    GetWindowRect(owned, &owned_frame);
    EXPECT_EQ(owned_frame.left,
              owner_frame.left + (owner_frame.right - owner_frame.left - (owned_frame.right - owned_frame.left)) / 2);
}

// Centring on the owner with neither an owner nor an active window leaves nothing to centre on:
// KEEP_POSITION then lets the platform place the window instead of putting it at -65535.
TEST_F(WindowEvents, CentringOnNoOwnerWithKeepPositionStaysOnTheScreen) {
    ASSERT_EQ(GetActiveWindow(), nullptr);
    HWND window = reinterpret_cast<HWND>(
        window_open(0, KEEP_POSITION, KEEP_POSITION, 100, 50, "alone", WF_CENTER_OWNER | kPlainWindow));
    ASSERT_NE(window, nullptr);
    RECT frame;
    GetWindowRect(window, &frame);
    EXPECT_GT(frame.right, 0);
    EXPECT_GT(frame.bottom, 0);
    EXPECT_LT(frame.left, GetSystemMetrics(SM_CXSCREEN));
}

TEST_F(WindowEvents, CommandsTimersAndTrayMessagesBecomeEvents) {
    HWND window = open(0);
    ASSERT_NE(window, nullptr);
    pump_until_idle(window);

    PostMessageA(window, WM_COMMAND, MAKEWPARAM(321, 0), 0);  // a menu
    ASSERT_TRUE(pump_until_code(EV_MENU, 5000));
    EXPECT_EQ(event_gadget(), 321);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(500, 1), 0);  // an accelerator of some other table
    ASSERT_TRUE(pump_until_code(EV_MENU, 5000));
    EXPECT_EQ(event_gadget(), 500);

    HWND menu_control = CreateWindowExA(0, "Button", "m", WS_CHILD, 0, 0, 10, 10, window,
                                        reinterpret_cast<HMENU>(static_cast<LONG_PTR>(-10000)), nullptr, nullptr);
    ASSERT_NE(menu_control, nullptr);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(-10000), BN_CLICKED),
                 reinterpret_cast<LPARAM>(menu_control));
    ASSERT_TRUE(pump_until_code(EV_MENU, 5000));
    EXPECT_EQ(event_gadget(), static_cast<WORD>(-10000));

    ASSERT_NE(SetTimer(window, 77, 10, nullptr), 0u);
    ASSERT_TRUE(pump_until_code(EV_TIMER, 5000));
    KillTimer(window, 77);
    EXPECT_EQ(event_gadget(), 77);

    PostMessageA(window, TRAY_NOTIFY, 6, WM_RBUTTONDBLCLK);
    ASSERT_TRUE(pump_until_code(EV_TRAY, 5000));
    EXPECT_EQ(event_gadget(), 6);
    EXPECT_EQ(event_record()->last_type, 3);
    PostMessageA(window, TRAY_EVENT, 6, WM_MOUSEMOVE);
    for (const SeenEvent& event : pump_until_idle(window)) EXPECT_NE(event.code, EV_TRAY);
}

// A new display scale moves, lays out and paints the window of the toolkit's own accord: its caller
// hears of none of it, and the window keeps the scale.
TEST_F(WindowEvents, ANewDisplayScaleRaisesNoEvent) {
    HWND window = open(0);
    ASSERT_NE(window, nullptr);
    pump_until_idle(window);
    RECT suggested = {40, 30, 520, 360};
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(window_dpi(0), 144);
    EXPECT_EQ(codes_due(window), std::vector<std::int32_t>{});
}

// Posting WM_NULL is how another thread wakes a blocked wait: the wait ends with no event. Were it
// to wait on, only the helper's mouse move a while later would end it.
TEST_F(WindowEvents, PostedNullEndsABlockedWaitWithNoEvent) {
    HWND window = open(0);
    ASSERT_NE(window, nullptr);
    pump_until_idle(window);
    std::promise<void> returned;
    std::thread waker([window, settled = returned.get_future()] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        PostMessageA(window, WM_NULL, 0, 0);
        if (settled.wait_for(std::chrono::seconds(5)) == std::future_status::timeout)
            PostMessageA(window, WM_MOUSEMOVE, 0, 0);
    });
    const std::int32_t woken = wait_event();
    returned.set_value();
    waker.join();
    EXPECT_EQ(woken, 0);
}

// GetMessageA reports a failure with -1 and leaves the message unfilled.
BOOL WINAPI failing_get_message(LPMSG message, HWND, UINT, UINT) {
    // What an unfilled message might hold: a message that would raise an event if dispatched.
    message->hwnd = window_handle(0);
    message->message = POST_GADGET_EVENT;
    message->wParam = 42;
    message->lParam = 0;
    return -1;
}

TEST_F(WindowEvents, FailedWaitReturnsNoEventAndDispatchesNothing) {
    HWND window = open(0);
    ASSERT_NE(window, nullptr);
    PostMessageA(window, POST_GADGET_EVENT, 8, 0);
    ASSERT_TRUE(pump_until_gadget(8, 0, 5000));
    pump_until_idle(window);

    message_seam().get_message = failing_get_message;
    const std::int32_t result = wait_event();
    message_seam() = message_seam_platform();

    EXPECT_EQ(result, 0);
    EXPECT_EQ(event_gadget(), 8);
    EXPECT_EQ(event_record()->pending, 0);
    for (const SeenEvent& event : pump_until_idle(window)) EXPECT_NE(event.code, EV_GADGET);
}

// Any process may post a drop message: an address it carries is taken only when a drop source of
// this toolkit announced it, and only then freed with the event.
TEST_F(WindowEvents, DropDataIsTakenOnlyWhenAnnounced) {
    HWND window = open(0);
    ASSERT_NE(window, nullptr);
    PostMessageA(window, DROP_NOTIFY, 0, 0x1234);
    ASSERT_TRUE(pump_until_code(EV_DROP, 5000));
    EXPECT_EQ(event_record()->data, nullptr);
    pump_until_idle(window);

    auto* block = static_cast<DropData*>(heap_alloc(sizeof(DropData)));
    ASSERT_NE(block, nullptr);
    block->buffer = heap_alloc(16);
    ASSERT_TRUE(event_data_announce(block));
    PostMessageA(window, GADGET_DROP_NOTIFY, 12, reinterpret_cast<LPARAM>(block));
    ASSERT_TRUE(pump_until_code(EV_GADGET_DROP, 5000));
    EXPECT_EQ(event_record()->data, block);
    EXPECT_EQ(event_gadget(), 12);
    next_event(0);
    EXPECT_EQ(event_record()->data, nullptr);
    // Taken once: the same address a second time is foreign.
    EXPECT_FALSE(event_data_adopt(block));
}

// A negative time-out other than -1 only looks, as 0 does. Were it a wait, the timer's message
// would end it and come back as the event.
TEST_F(WindowEvents, NegativeTimeOutOtherThanMinusOneOnlyLooks) {
    HWND window = open(0);
    ASSERT_NE(window, nullptr);
    pump_until_idle(window);
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, nullptr);
    ASSERT_NE(timer, 0u);
    for (std::int32_t timeout : {-2, -1000, std::numeric_limits<std::int32_t>::min()})
        EXPECT_EQ(next_event(timeout), 0) << timeout;
    KillTimer(nullptr, timer);
    MSG left;
    while (PeekMessageA(&left, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
}

// Sleep takes an unsigned count in which -1 means "for ever".
TEST_F(WindowEvents, NegativeSleepDoesNotHang) {
    auto sleeper = std::async(std::launch::async, [] { sleep_ms(-1); });
    EXPECT_EQ(sleeper.wait_for(std::chrono::seconds(20)), std::future_status::ready);
}

}  // namespace
