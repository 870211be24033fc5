// Controls: creation, numbering and the operations by number, in real windows.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <utility>

#include "tests/support/event_pump.h"
#include "tests/support/toolkit_session.h"
#include "toolkit/objects/object_table.h"
#include "toolkit/ui/controls.h"
#include "toolkit/ui/events.h"
#include "toolkit/ui/text_boundary.h"
#include "toolkit/ui/window.h"

namespace {

constexpr std::int32_t kPlainWindow = WS_CAPTION | WS_SYSMENU;

class Controls : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(session_.started());
        window_ = reinterpret_cast<HWND>(window_open(0, 40, 40, 400, 300, "Controls", kPlainWindow));
        ASSERT_NE(window_, nullptr);
    }

    static HWND handle(std::intptr_t created) { return reinterpret_cast<HWND>(created); }

    static std::string item_text(HWND list, int index) {
        char text[64] = {};
        if (SendMessageA(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) >= 64) return "?";
        SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
        return text;
    }

    static int item_count(HWND list) { return static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0)); }

    ToolkitSession session_;
    HWND window_ = nullptr;
};

TEST_F(Controls, OperationsByNumberGiveFixedResultsWhereThereIsNothingToDo) {
    HWND label = handle(label_create(0, 10, 10, 80, 20, "Spieler 1"));
    HWND field = handle(text_field_create(1, 100, 10, 120, 20, nullptr));
    HWND button = handle(button_create(2, 10, 40, 80, 25, "OK"));
    ASSERT_TRUE(label && field && button);
    EXPECT_EQ(GetDlgCtrlID(field), 1);
    EXPECT_EQ(GetParent(field), window_);

    EXPECT_EQ(control_get_state(0), 0);
    EXPECT_EQ(control_get_state(1), 0);
    EXPECT_EQ(control_get_state(77), 0);
    EXPECT_EQ(control_get_state(-5), 0);
    EXPECT_EQ(control_get_text(77), "");
    EXPECT_EQ(control_get_text(1), "");
    EXPECT_EQ(control_get_text(0), "Spieler 1");
    EXPECT_EQ(list_add_item(2, -1, "x"), 0);
    EXPECT_EQ(list_add_item(77, -1, "x"), 0);
    control_set_state(0, 1);
    control_set_state(77, 1);
    control_set_item_text(2, 0, "changed");
    control_set_item_text(77, 0, "changed");
    EXPECT_EQ(control_get_text(2), "OK");

    SetWindowTextW(field, L"Zindrop \u00F6");
    EXPECT_EQ(control_get_text(1), "Zindrop \xF6");
    // A text is created with as much as a user may type into a one-line field, and no less.
    HWND long_field = handle(text_field_create(3, 100, 40, 120, 20, std::string(40000, 'x').c_str()));
    EXPECT_EQ(GetWindowTextLengthW(long_field), 32767);

    // The controls end with their window, and their numbers with them.
    window_close(0);
    EXPECT_FALSE(IsWindow(field));
    EXPECT_EQ(control_get_text(0), "");
}

// Every byte that a one-line text can hold goes to the window as its Windows-1252 character and
// comes back as itself, whatever the system's code page (ctest runs this again under 932).
TEST_F(Controls, EveryWindows1252ByteShowsAsItselfAndComesBack) {
    const char* code_page = std::getenv("LAUNCHER_TEST_CODE_PAGE");
    ASSERT_TRUE(!code_page || GetACP() == static_cast<UINT>(std::atoi(code_page))) << "not at code page " << code_page;
    std::string bytes;
    for (int byte = 1; byte < 256; ++byte)
        if (byte != '\r' && byte != '\n') bytes += static_cast<char>(byte);
    std::wstring shown(bytes.size(), L'\0');
    const auto size = static_cast<int>(bytes.size());
    ASSERT_EQ(MultiByteToWideChar(1252, 0, bytes.data(), size, shown.data(), size), size);
    // WM_GETTEXT, or CB_GETLBTEXT of item 0, as UTF-16.
    auto shows = [](HWND window, UINT message) {
        wchar_t text[300] = {};
        SendMessageW(window, message, message == WM_GETTEXT ? 300 : 0, reinterpret_cast<LPARAM>(text));
        return std::wstring(text);
    };

    HWND titled =
        reinterpret_cast<HWND>(window_open(1, 60, 60, 200, 100, bytes.c_str(), kPlainWindow | WF_NO_CONTROLS));
    HWND field = handle(text_field_create(1, 10, 10, 300, 20, bytes.c_str()));
    HWND list = handle(list_create(8, 10, 40, 300, 20));
    ASSERT_TRUE(titled && field && list);
    list_add_item(8, -1, bytes.c_str());
    control_set_state(8, 0);
    EXPECT_EQ(shows(titled, WM_GETTEXT), shown);
    EXPECT_EQ(shows(field, WM_GETTEXT), shown);
    EXPECT_EQ(shows(list, CB_GETLBTEXT), shown);
    EXPECT_EQ(control_get_text(1), bytes);
    EXPECT_EQ(control_get_text(8), bytes);
}

// Expectations written out, not asked of the platform: whatever the system's code page.
TEST(TextBoundary, Windows1252AndUtf16) {
    const std::pair<std::wstring, std::string> from_wide[] = {
        {L"?\u4E2D?", "??"},        {L"x\U0001F600y", "xy"}, {L"\xD800-e\u0301\xDC00", "-\xE9"},
        {L"Jose\u0301", "Jos\xE9"}, {L"\u0141\u0301", "L"},  {L"\u20AC", "\x80"},
    };
    for (const auto& [wide, bytes] : from_wide) EXPECT_EQ(text_from_wide(wide), bytes);
    EXPECT_EQ(text_to_wide("\x81"), std::wstring(L"\u0081"));
}

TEST_F(Controls, ItemsAreAddedAtValidPositionsOnly) {
    HWND list = handle(list_create(8, 10, 10, 190, 20));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list_add_item(8, -1, "a"), 0);
    EXPECT_EQ(list_add_item(8, 1, "b"), 0);   // at the count: appended
    EXPECT_EQ(list_add_item(8, 0, "z"), 0);   // in front
    EXPECT_EQ(list_add_item(8, -2, "c"), 0);  // refused by the library
    EXPECT_EQ(list_add_item(8, 9, "d"), 0);   // refused by the platform
    EXPECT_EQ(list_add_item(8, -1, nullptr), 0);
    ASSERT_EQ(item_count(list), 4);
    EXPECT_EQ(item_text(list, 0), "z");
    EXPECT_EQ(item_text(list, 1), "a");
    EXPECT_EQ(item_text(list, 2), "b");
    EXPECT_EQ(item_text(list, 3), "");
    EXPECT_EQ(control_get_state(8), -1);
    control_set_state(8, 2);
    EXPECT_EQ(control_get_state(8), 2);
    control_set_state(8, -1);
    EXPECT_EQ(control_get_state(8), -1);
}

// Replacing an item's text keeps its place and data value; the selection is the caller's: the
// replaced selected item is selected only when the caller selects it again.
TEST_F(Controls, ReplacingAnItemKeepsIndexAndDataButNotTheSelection) {
    HWND list = handle(list_create(8, 10, 10, 190, 20));
    ASSERT_NE(list, nullptr);
    for (const char* text : {"640*480", "800*600", "1024*768"}) list_add_item(8, -1, text);
    SendMessageA(list, CB_SETITEMDATA, 1, 4711);
    control_set_state(8, 1);

    control_set_item_text(8, 1, "1366*768");
    ASSERT_EQ(item_count(list), 3);
    EXPECT_EQ(item_text(list, 1), "1366*768");
    EXPECT_EQ(SendMessageA(list, CB_GETITEMDATA, 1, 0), 4711);
    // Deleting the selected item took the selection away, and the library leaves it so.
    EXPECT_EQ(control_get_state(8), -1);
    control_set_state(8, 1);
    EXPECT_EQ(control_get_state(8), 1);
    EXPECT_EQ(control_get_text(8), "1366*768");

    control_set_item_text(8, 0, nullptr);
    EXPECT_EQ(item_text(list, 0), "");
    EXPECT_EQ(control_get_state(8), 1);

    control_set_item_text(8, 3, "missing");
    EXPECT_EQ(item_count(list), 3);
}

TEST_F(Controls, DropDownListIsAsHighAsAskedAndATabStop) {
    HWND low = handle(list_create(8, 10, 10, 190, 20));
    HWND high = handle(list_create(9, 10, 60, 190, 30));
    ASSERT_TRUE(low && high);
    RECT low_frame, high_frame;
    GetWindowRect(low, &low_frame);
    GetWindowRect(high, &high_frame);
    EXPECT_EQ((high_frame.bottom - high_frame.top) - (low_frame.bottom - low_frame.top), 10);
    const LONG_PTR style = GetWindowLongPtrA(low, GWL_STYLE);
    EXPECT_EQ(style & CBS_DROPDOWNLIST, CBS_DROPDOWNLIST);
    EXPECT_TRUE(style & WS_TABSTOP);

    HWND flat = handle(list_create(10, 10, 110, 190, 1));
    ASSERT_NE(flat, nullptr);
    EXPECT_GE(SendMessageA(flat, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0), 1);
}

TEST_F(Controls, SliderRangeIsClampedAndPositionsStayInIt) {
    HWND slider = handle(slider_create(14, 10, 10, 250, 30, -5, 100));
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(SendMessageA(slider, TBM_GETRANGEMIN, 0, 0), 0);
    EXPECT_EQ(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0), 100);
    EXPECT_EQ(control_get_state(14), 0);
    control_set_state(14, 37);
    EXPECT_EQ(control_get_state(14), 37);
    control_set_state(14, 250);
    EXPECT_EQ(control_get_state(14), 100);
    control_set_state(14, -3);
    EXPECT_EQ(control_get_state(14), 0);

    HWND negative = handle(slider_create(15, 10, 50, 250, 30, -20, -10));
    ASSERT_NE(negative, nullptr);
    EXPECT_EQ(SendMessageA(negative, TBM_GETRANGEMAX, 0, 0), 0);
}

// A vertical slider's top stands for its maximum; values far outside the range must not
// overflow on the way to the platform.
TEST_F(Controls, VerticalSliderMirrorsItsPosition) {
    HWND slider = handle(slider_create(13, 10, 10, 30, 200, 0, 100, TBS_VERT));
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(control_get_state(13), 0);
    control_set_state(13, 30);
    EXPECT_EQ(control_get_state(13), 30);
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 70);
    control_set_state(13, INT_MIN);
    EXPECT_EQ(control_get_state(13), 0);
    control_set_state(13, INT_MAX);
    EXPECT_EQ(control_get_state(13), 100);
}

TEST_F(Controls, ControlListSelectionFollowsOpeningAndSelecting) {
    EXPECT_EQ(control_list_select(nullptr), window_);
    EXPECT_EQ(control_list_select(window_), window_);
    HWND other = reinterpret_cast<HWND>(window_open(1, 60, 60, 200, 100, "other", kPlainWindow | WF_NO_CONTROLS));
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(control_list_select(nullptr), window_);
    EXPECT_EQ(control_list_select(other), window_);
    HWND button = handle(button_create(3, 5, 5, 50, 20, "in other"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(GetParent(button), other);
    EXPECT_EQ(control_list_select(window_), other);
}

TEST_F(Controls, CreatingUnderALiveNumberReplacesItOnlyOnceTheNewWindowExists) {
    HWND old_button = handle(button_create(5, 10, 10, 80, 25, "old"));
    ASSERT_NE(old_button, nullptr);
    HWND new_button = handle(button_create(5, 10, 40, 80, 25, "new"));
    ASSERT_NE(new_button, nullptr);
    EXPECT_FALSE(IsWindow(old_button));
    EXPECT_EQ(control_get_text(5), "new");

    // With the control list gone the platform refuses the window: control 5 stays.
    HWND other = reinterpret_cast<HWND>(window_open(1, 60, 60, 200, 100, "other", kPlainWindow));
    ASSERT_NE(other, nullptr);
    window_close(1);
    EXPECT_EQ(control_list_select(nullptr), nullptr);
    EXPECT_EQ(button_create(5, 10, 70, 80, 25, "refused"), 0);
    EXPECT_EQ(slider_create(6, 10, 70, 80, 25, 0, 10), 0);
    EXPECT_TRUE(IsWindow(new_button));
    EXPECT_EQ(control_get_text(5), "new");

    // A number no control can have makes nothing either.
    EXPECT_EQ(control_list_select(window_), nullptr);
    EXPECT_EQ(button_create(-7, 10, 70, 80, 25, "bad"), 0);
    EXPECT_EQ(FindWindowExA(window_, nullptr, "Button", "bad"), nullptr);

    std::intptr_t loose = button_create(ANY_NUMBER, 10, 100, 80, 25, "loose");
    ASSERT_LT(loose, -1);
    EXPECT_EQ(control_get_text(static_cast<std::int32_t>(loose)), "loose");
}

// An input method's intermediate text is its own: the field fits what the composition leaves.
TEST_F(Controls, TextFieldFitsAnInputMethodsResultOnly) {
    HWND field = handle(text_field_create(1, 10, 10, 200, 20, ""));
    ASSERT_NE(field, nullptr);
    auto shown = [field] {
        wchar_t text[16] = {};
        GetWindowTextW(field, text, 16);
        return std::wstring(text);
    };
    SendMessageW(field, WM_IME_STARTCOMPOSITION, 0, 0);
    SendMessageW(field, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\u4E2D\u0141"));
    EXPECT_EQ(shown(), L"\u4E2D\u0141");
    SendMessageW(field, WM_IME_ENDCOMPOSITION, 0, 0);
    EXPECT_EQ(shown(), L"L");
}

// A window that is not the control, but whose identifier equals a control's number, must not
// pass for it: a foreign slider with identifier 0 does not report as slider 0.
TEST_F(Controls, OnlyAControlsOwnWindowReachesItsHandling) {
    HWND slider = handle(slider_create(0, 10, 10, 250, 30, 0, 100));
    ASSERT_NE(slider, nullptr);
    HWND foreign = CreateWindowExA(0, TRACKBAR_CLASSA, nullptr, WS_CHILD | WS_VISIBLE, 10, 60, 250, 30, window_,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(foreign, nullptr);
    ASSERT_EQ(GetDlgCtrlID(foreign), 0);
    pump_until_idle(window_);

    SendMessageA(window_, WM_HSCROLL, TB_THUMBTRACK, reinterpret_cast<LPARAM>(foreign));
    for (const SeenEvent& event : pump_until_idle(window_)) EXPECT_NE(event.code, EV_GADGET);

    SendMessageA(window_, WM_HSCROLL, TB_THUMBTRACK, reinterpret_cast<LPARAM>(slider));
    EXPECT_TRUE(pump_until_gadget(0, 0, 5000));
}

}  // namespace
