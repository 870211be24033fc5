#include <algorithm>

#include "toolkit/ui/controls.h"
#include "toolkit/ui/controls_internal.h"
#include "toolkit/ui/text_boundary.h"

namespace {

// The room of the opened list, whatever height was asked for.
constexpr int kOpenHeight = 350;
constexpr LPARAM kProbeItemHeight = 15;
// CBS_DROPDOWN in the caller's flags: the list can be typed into. The window's style cannot tell,
// since CBS_DROPDOWNLIST, which every other list gets, shares the bit.
constexpr DWORD kEditableBit = CBS_DROPDOWN;
// The height of the frame around the selection field, measured at each creation.
int g_frame_height = 0;

std::int32_t list_get_state(Control* control) {
    return static_cast<std::int32_t>(SendMessageA(control->window, CB_GETCURSEL, 0, 0));
}

void list_set_state(Control* control, std::int32_t index) {
    SendMessageA(control->window, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::int32_t list_add_item_at(Control* control, std::int32_t position, const char* text) {
    const std::optional<std::wstring> item = text_to_wide(text);
    if (position >= -1 && item)
        SendMessageW(control->window, CB_INSERTSTRING, static_cast<WPARAM>(position),
                     reinterpret_cast<LPARAM>(item->c_str()));
    return 0;
}

// The platform has no "replace": delete and insert at the same index, carrying the data value
// over. The selection is left as the platform leaves it: deleting the selected item leaves none,
// and a caller that wants the new item selected selects it.
void list_set_item_text(Control* control, std::int32_t item, const char* text) {
    HWND window = control->window;
    const auto index = static_cast<WPARAM>(item);
    const std::optional<std::wstring> replacement = text_to_wide(text);
    if (!replacement) return;
    const LRESULT data = SendMessageA(window, CB_GETITEMDATA, index, 0);
    if (SendMessageA(window, CB_DELETESTRING, index, 0) == CB_ERR) return;
    SendMessageW(window, CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(replacement->c_str()));
    SendMessageA(window, CB_SETITEMDATA, index, data);
}

// An editable list's edit part is its first child; Tab must be able to reach it.
void edit_part_tab_stop(Control*, HWND window) {
    if (HWND edit = GetWindow(window, GW_CHILD))
        SetWindowLongPtrA(edit, GWL_STYLE, GetWindowLongPtrA(edit, GWL_STYLE) | WS_TABSTOP);
}

// Makes the closed list as high as asked: the selection field's height is what remains after the
// frame, which is measured with a known field height.
void set_closed_height(HWND window, std::int32_t height) {
    SendMessageA(window, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), kProbeItemHeight);
    RECT frame;
    if (!GetWindowRect(window, &frame)) return;
    g_frame_height = static_cast<int>(frame.bottom - frame.top - kProbeItemHeight);
    // A height below the frame's would make the field's height 0 or negative, which the platform
    // takes as it comes and so draws no field at all.
    SendMessageA(window, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(height - g_frame_height, 1));
}

// The window keeps the open list's room; the closed height is the field's.
void list_place(Control* control, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    SetWindowPos(control->window, nullptr, x, y, width, kOpenHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    set_closed_height(control->window, height);
}

}  // namespace

const ControlKind DROP_DOWN_LIST_KIND = {
    .code = KIND_DROP_DOWN_LIST,
    .size = sizeof(ControlKind),
    .get_state = list_get_state,
    .set_state = list_set_state,
    .add_item = list_add_item_at,
    .set_item_text = list_set_item_text,
    .place = list_place,
};

std::intptr_t list_create(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                          std::int32_t flags) {
    auto style = static_cast<DWORD>(flags);
    const bool editable = (style & kEditableBit) != 0;
    if (!editable) style |= WS_TABSTOP | CBS_DROPDOWNLIST;
    const ControlBlueprint blueprint = {
        .kind = &DROP_DOWN_LIST_KIND,
        .class_name = L"ComboBox",
        .ex_style = WS_EX_CLIENTEDGE,
        .style = style | WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_GROUP | CBS_HASSTRINGS,
        .text = nullptr,
        .provisional_id = -1,
        .before_attach = editable ? edit_part_tab_stop : nullptr,
    };
    std::int32_t identity;
    std::intptr_t result = control_create(number, x, y, width, kOpenHeight, blueprint, &identity);
    if (Control* control = result ? control_find(identity) : nullptr) {
        control->placed.height = height;
        set_closed_height(control->window, height);
    }
    return result;
}
