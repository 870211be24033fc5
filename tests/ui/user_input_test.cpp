// What a user does: clicks, the close box, Tab and Shift+Tab, focusing a text field, dragging a
// slider, all as real input through SendInput.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "tests/support/event_pump.h"
#include "tests/support/toolkit_session.h"
#include "tests/support/user_input.h"
#include "toolkit/ui/controls.h"
#include "toolkit/ui/event_record.h"
#include "toolkit/ui/events.h"
#include "toolkit/ui/window.h"

namespace {

constexpr int kWaitMs = 5000;

class UserInput : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(session_.started());
        window_ = reinterpret_cast<HWND>(window_open(0, 200, 150, 400, 260, "Input", WS_CAPTION | WS_SYSMENU));
        ASSERT_NE(window_, nullptr);
    }

    // Input goes to the foreground window only.
    void activate() {
        ASSERT_TRUE(bring_to_foreground(window_, kWaitMs, true));
        pump_until_idle(window_);
    }

    static HWND control(std::intptr_t created) { return reinterpret_cast<HWND>(created); }

    static bool has(const std::vector<SeenEvent>& log, std::int32_t gadget, std::int32_t type) {
        return std::any_of(log.begin(), log.end(), [&](const SeenEvent& event) {
            return event.code == EV_GADGET && event.gadget == gadget && event.type == type;
        });
    }

    ToolkitSession session_;
    HWND window_ = nullptr;
};

// Clicks are aimed in absolute coordinates scaled to 0..65535: they must land on the very pixel.
TEST_F(UserInput, PointerLandsOnThePixelAimedAt) {
    const LONG right = GetSystemMetrics(SM_CXSCREEN) - 1;
    const LONG bottom = GetSystemMetrics(SM_CYSCREEN) - 1;
    for (POINT aim : {POINT{0, 0}, POINT{right, bottom}, POINT{101, 57}, POINT{right / 2, bottom / 3}}) {
        ASSERT_TRUE(input_move(aim));
        POINT at = {};
        EXPECT_TRUE(wait_until([&] { return GetCursorPos(&at) && at.x == aim.x && at.y == aim.y; }, kWaitMs))
            << "aimed at " << aim.x << "," << aim.y << ", landed on " << at.x << "," << at.y;
    }
}

TEST_F(UserInput, ClickOnAButtonGivesOneGadgetEventOfTypeZero) {
    HWND button = control(button_create(9, 20, 180, 90, 30, "Speichern"));
    ASSERT_NE(button, nullptr);
    activate();
    ASSERT_TRUE(input_click(window_middle(button)));
    std::vector<SeenEvent> log;
    ASSERT_TRUE(pump_until_gadget(9, 0, kWaitMs, &log));
    for (const SeenEvent& event : pump_until_idle(window_)) log.push_back(event);
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const SeenEvent& event) { return event.code == EV_GADGET; }), 1);
}

TEST_F(UserInput, CloseBoxGivesACloseEventAndTheWindowStays) {
    activate();
    std::optional<POINT> close_box = find_close_box(window_);
    ASSERT_TRUE(close_box.has_value());
    ASSERT_TRUE(input_click(*close_box));
    std::vector<SeenEvent> log;
    ASSERT_TRUE(pump_until_code(EV_CLOSE, kWaitMs, &log));
    EXPECT_EQ(log.back().window, 0);
    pump_until_idle(window_);
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_EQ(window_handle(0), window_);
}

// Only enabled, visible tab stops take the focus, in creation order and round again; the keys
// raise no event of their own.
TEST_F(UserInput, TabAndShiftTabWalkTheTabStopsAndWrap) {
    HWND first = control(button_create(1, 10, 10, 80, 25, "first"));
    ASSERT_NE(label_create(2, 10, 40, 80, 20, "label"), 0);
    HWND disabled = control(button_create(3, 10, 70, 80, 25, "disabled"));
    HWND second = control(button_create(4, 10, 100, 80, 25, "second"));
    HWND hidden = control(button_create(5, 10, 130, 80, 25, "hidden"));
    HWND last = control(button_create(6, 10, 160, 80, 25, "last"));
    ASSERT_TRUE(first && disabled && second && hidden && last);
    EnableWindow(disabled, FALSE);
    ShowWindow(hidden, SW_HIDE);
    activate();

    std::vector<SeenEvent> log;
    auto press = [&](bool shift, HWND expected) {
        ASSERT_TRUE(input_key(VK_TAB, shift));
        EXPECT_TRUE(pump_until([&](const SeenEvent&) { return GetFocus() == expected; }, kWaitMs, &log) ||
                    GetFocus() == expected);
        for (const SeenEvent& event : pump_until_idle(window_)) log.push_back(event);
        EXPECT_EQ(GetFocus(), expected);
    };
    press(false, first);
    press(false, second);
    press(false, last);
    press(false, first);
    press(true, last);
    press(true, second);
    press(true, first);
    for (const SeenEvent& event : log) {
        EXPECT_NE(event.code, EV_GADGET);
        EXPECT_NE(event.code, EV_MENU);
    }
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const SeenEvent& event) { return event.code == WM_KEYUP; }));
}

// A list that can be typed into is no tab stop itself: Tab reaches its edit part instead.
TEST_F(UserInput, TabReachesTheEditPartOfAnEditableList) {
    HWND first = control(button_create(1, 10, 10, 80, 25, "first"));
    HWND list = control(list_create(2, 10, 45, 150, 22, CBS_DROPDOWN));
    HWND last = control(button_create(3, 10, 90, 80, 25, "last"));
    ASSERT_TRUE(first && list && last);
    EXPECT_EQ(GetWindowLongPtrA(list, GWL_STYLE) & CBS_DROPDOWNLIST, CBS_DROPDOWN);
    HWND edit = GetWindow(list, GW_CHILD);
    ASSERT_NE(edit, nullptr);
    activate();

    auto press = [&](bool shift, HWND expected) {
        ASSERT_TRUE(input_key(VK_TAB, shift));
        EXPECT_TRUE(pump_until([&](const SeenEvent&) { return GetFocus() == expected; }, kWaitMs) ||
                    GetFocus() == expected);
        pump_until_idle(window_);
        EXPECT_EQ(GetFocus(), expected);
    };
    press(false, first);
    press(false, edit);
    press(false, last);
    press(true, edit);
    press(true, first);
}

TEST_F(UserInput, FocusingAndLeavingATextFieldPostsItsOwnTypesBesideTheNotifications) {
    HWND field = control(text_field_create(1, 80, 20, 240, 20, "Spieler1"));
    HWND button = control(button_create(10, 120, 180, 90, 30, "Abbrechen"));
    ASSERT_TRUE(field && button);
    activate();

    std::vector<SeenEvent> log;
    ASSERT_TRUE(input_click(window_middle(field)));
    EXPECT_TRUE(pump_until([&](const SeenEvent&) { return has(log, 1, EV_TYPE_FOCUS) && has(log, 1, EN_SETFOCUS); },
                           kWaitMs, &log));

    log.clear();
    ASSERT_TRUE(input_click(window_middle(button)));
    EXPECT_TRUE(pump_until(
        [&](const SeenEvent&) { return has(log, 1, EV_TYPE_LOST_FOCUS) && has(log, 1, EN_KILLFOCUS); }, kWaitMs, &log));

    log.clear();
    ASSERT_TRUE(input_click(window_middle(field)));
    ASSERT_TRUE(pump_until_gadget(1, EV_TYPE_FOCUS, kWaitMs));
    ASSERT_TRUE(input_key(VK_END));
    ASSERT_TRUE(input_type("X"));
    EXPECT_TRUE(pump_until_gadget(1, EN_CHANGE, kWaitMs, &log));
    EXPECT_EQ(control_get_text(1), "Spieler1X");
}

TEST_F(UserInput, ChoosingFromADropDownListReportsItsNotificationCodes) {
    HWND list = control(list_create(8, 80, 80, 190, 20));
    ASSERT_NE(list, nullptr);
    for (const char* text : {"640*480", "720*480", "800*600"}) list_add_item(8, -1, text);
    control_set_state(8, 0);
    activate();

    std::vector<SeenEvent> log;
    ASSERT_TRUE(input_click(window_middle(list)));
    // Focus and drop-down are reported while one click is dispatched: the later overwrites the
    // earlier in the pending slot.
    EXPECT_TRUE(pump_until_gadget(8, CBN_DROPDOWN, kWaitMs, &log));
    ASSERT_TRUE(input_key(VK_DOWN));
    ASSERT_TRUE(input_key(VK_RETURN));
    EXPECT_TRUE(pump_until([&](const SeenEvent&) { return has(log, 8, CBN_SELCHANGE) && has(log, 8, CBN_CLOSEUP); },
                           kWaitMs, &log));
    EXPECT_EQ(control_get_state(8), 1);
    EXPECT_EQ(control_get_text(8), "720*480");
}

// A writable rich-text field takes Tab as text while Shift+Tab still leaves it; a window marked as
// a shortcut entry keeps Tab too.
TEST_F(UserInput, WritableRichTextAndShortcutEntriesKeepTab) {
    ASSERT_NE(LoadLibraryA("riched20.dll"), nullptr);
    HWND before = control(button_create(1, 10, 10, 80, 25, "before"));
    HWND editor =
        CreateWindowExA(0, "RichEdit20A", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 40, 200, 60, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(30)), GetModuleHandleA(nullptr), nullptr);
    HWND after = control(button_create(2, 10, 110, 80, 25, "after"));
    ASSERT_TRUE(before && editor && after);
    activate();

    auto press = [&](bool shift) {
        std::vector<SeenEvent> log;
        ASSERT_TRUE(input_key(VK_TAB, shift));
        ASSERT_TRUE(pump_until([](const SeenEvent& event) { return event.code == WM_KEYUP; }, kWaitMs, &log));
        pump_until_idle(window_);
    };
    SetFocus(editor);
    press(false);
    EXPECT_EQ(GetFocus(), editor);
    EXPECT_EQ(GetWindowTextLengthA(editor), 1);
    press(true);
    EXPECT_EQ(GetFocus(), before);

    SendMessageA(editor, EM_SETOPTIONS, ECOOP_OR, ECO_READONLY);
    SetFocus(editor);
    press(false);
    EXPECT_EQ(GetFocus(), after);

    SetPropA(after, "ToolkitShortcutEntry", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(1)));
    press(false);
    EXPECT_EQ(GetFocus(), after);
    RemovePropA(after, "ToolkitShortcutEntry");
    press(false);
    EXPECT_EQ(GetFocus(), before);
}

// Each scroll report of a drag is a gadget event of type 0; setting the position is none.
TEST_F(UserInput, DraggingASliderReportsWhileSettingItDoesNot) {
    HWND slider = control(slider_create(14, 80, 110, 250, 30, 0, 100));
    ASSERT_NE(slider, nullptr);
    activate();
    control_set_state(14, 40);
    for (const SeenEvent& event : pump_until_idle(window_)) EXPECT_NE(event.code, EV_GADGET);

    RECT thumb = {};
    SendMessageA(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    POINT from = screen_point(slider, {(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2});
    POINT to = {from.x + 80, from.y};
    ASSERT_TRUE(input_drag(from, to));
    std::vector<SeenEvent> log;
    ASSERT_TRUE(pump_until_gadget(14, 0, kWaitMs, &log));
    // The release ends the drag with reports of its own.
    pump_until([](const SeenEvent&) { return (GetKeyState(VK_LBUTTON) & 0x8000) == 0; }, 500, &log);
    for (const SeenEvent& event : pump_until_idle(window_)) log.push_back(event);
    for (const SeenEvent& event : log) {
        if (event.code != EV_GADGET) continue;
        EXPECT_EQ(event.gadget, 14);
        EXPECT_EQ(event.type, 0);
    }
    EXPECT_GT(control_get_state(14), 40);
}

}  // namespace
