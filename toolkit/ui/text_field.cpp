#include "toolkit/ui/controls.h"
#include "toolkit/ui/controls_internal.h"
#include "toolkit/ui/events.h"

namespace {

constexpr DWORD kNoEdgeFlag = 0x20000;

// The platform's Edit procedure, the same for every text field.
WNDPROC g_edit_procedure = nullptr;

void put_in_front(Control* control, HWND window) {
    LONG_PTR edit = SetWindowLongPtrA(window, GWLP_WNDPROC, procedure_value(text_field_procedure));
    if (edit) g_edit_procedure = procedure_of(edit);
    control_default_colours(control, window);
}

}  // namespace

const ControlKind TEXT_FIELD_KIND = {
    .code = KIND_TEXT_FIELD,
    .size = sizeof(ControlKind),
    .parent_message = control_colour_message,
};

// The platform reports focus changes of a text field to its parent as EN_SETFOCUS and
// EN_KILLFOCUS; the field posts events of its own besides.
LRESULT CALLBACK text_field_procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFOCUS)
        control_post_event(hwnd, EV_TYPE_FOCUS);
    else if (message == WM_KILLFOCUS)
        control_post_event(hwnd, EV_TYPE_LOST_FOCUS);
    if (!g_edit_procedure) return DefWindowProcA(hwnd, message, wParam, lParam);
    return CallWindowProcA(g_edit_procedure, hwnd, message, wParam, lParam);
}

std::intptr_t text_field_create(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t width,
                                std::int32_t height, const char* text, std::int32_t flags) {
    const auto bits = static_cast<DWORD>(flags);
    const ControlBlueprint blueprint = {
        .kind = &TEXT_FIELD_KIND,
        .class_name = "Edit",
        .ex_style = (bits & kNoEdgeFlag) ? 0 : static_cast<DWORD>(WS_EX_CLIENTEDGE),
        .style = bits | WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL,
        .text = text ? text : "",
        .provisional_id = -1,
        .before_attach = put_in_front,
    };
    std::int32_t identity;
    return control_create(number, x, y, width, height, blueprint, &identity);
}
