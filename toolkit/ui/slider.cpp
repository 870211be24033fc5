#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "toolkit/ui/controls.h"
#include "toolkit/ui/controls_internal.h"
#include "toolkit/ui/events.h"

namespace {

bool vertical(Control* control) {
    return (GetWindowLongPtrA(control->window, GWL_STYLE) & TBS_VERT) != 0;
}

std::int32_t range_min(Control* control) {
    return static_cast<std::int32_t>(SendMessageA(control->window, TBM_GETRANGEMIN, 0, 0));
}

std::int32_t range_max(Control* control) {
    return static_cast<std::int32_t>(SendMessageA(control->window, TBM_GETRANGEMAX, 0, 0));
}

// A vertical slider's top end stands for its maximum: positions are mirrored within the range.
std::int64_t mirrored(Control* control, std::int64_t value) {
    return static_cast<std::int64_t>(range_max(control)) + range_min(control) - value;
}

std::int32_t slider_get_state(Control* control) {
    auto position = static_cast<std::int32_t>(SendMessageA(control->window, TBM_GETPOS, 0, 0));
    return vertical(control) ? static_cast<std::int32_t>(mirrored(control, position)) : position;
}

// The platform keeps the position within the range. Mirroring is done in 64 bits and held to the
// range, since max + min - value overflows 32 bits for values far outside it.
void slider_set_state(Control* control, std::int32_t value) {
    std::int64_t position = value;
    if (vertical(control)) {
        const std::int32_t low = range_min(control);
        const std::int32_t high = range_max(control);
        position = std::clamp<std::int64_t>(mirrored(control, value), std::min(low, high), std::max(low, high));
    }
    SendMessageA(control->window, TBM_SETPOS, TRUE, static_cast<LPARAM>(position));
}

// The platform sends no scroll message for TBM_SETPOS: only the user's moves are reported.
LRESULT slider_parent_message(Control* control, HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_HSCROLL || message == WM_VSCROLL) control_post_event(control->window, 0);
    return NOT_HANDLED;
}

}  // namespace

const ControlKind SLIDER_KIND = {
    .code = KIND_SLIDER,
    .size = sizeof(ControlKind),
    .parent_message = slider_parent_message,
    .get_state = slider_get_state,
    .set_state = slider_set_state,
};

std::intptr_t slider_create(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t width,
                            std::int32_t height, std::int32_t minimum, std::int32_t maximum, std::int32_t flags) {
    const ControlBlueprint blueprint = {
        .kind = &SLIDER_KIND,
        .class_name = TRACKBAR_CLASSW,
        .ex_style = 0,
        .style = static_cast<DWORD>(flags) | WS_CHILD | WS_VISIBLE | WS_TABSTOP,
        .text = nullptr,
        .provisional_id = 0,
    };
    std::int32_t identity;
    std::intptr_t result = control_create(number, x, y, width, height, blueprint, &identity);
    Control* control = result ? control_find(identity) : nullptr;
    if (!control) return result;
    SendMessageA(control->window, TBM_SETRANGEMIN, FALSE, std::max(minimum, 0));
    SendMessageA(control->window, TBM_SETRANGEMAX, FALSE, std::max(maximum, 0));
    if ((control = control_find(identity)) != nullptr) slider_set_state(control, 0);
    return result;
}
