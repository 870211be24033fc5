#include "toolkit/ui/controls.h"
#include "toolkit/ui/controls_internal.h"
#include "toolkit/ui/events.h"

namespace {
// The flag that gives a label a sunken edge and takes it from a text field.
constexpr DWORD kEdgeFlag = 0x20000;
}  // namespace

void control_default_colours(Control* control, HWND) {
    control->background_colour = -1;
    control->text_colour = -1;
}

// No operation of the toolkit gives a label or a text field colours of its own, so colour messages
// go on to the platform's default handling.
LRESULT control_colour_message(Control*, HWND, UINT, WPARAM, LPARAM) {
    return NOT_HANDLED;
}

const ControlKind LABEL_KIND = {
    .code = KIND_LABEL,
    .size = sizeof(ControlKind),
    .parent_message = control_colour_message,
};

std::intptr_t label_create(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                           const char* text, std::int32_t flags) {
    const auto bits = static_cast<DWORD>(flags);
    const ControlBlueprint blueprint = {
        .kind = &LABEL_KIND,
        .class_name = L"Static",
        .ex_style = (bits & kEdgeFlag) ? static_cast<DWORD>(WS_EX_CLIENTEDGE) : 0,
        .style = bits | WS_CHILD | WS_VISIBLE | WS_GROUP,
        .text = text ? text : "",
        .provisional_id = -1,
        .before_attach = control_default_colours,
    };
    std::int32_t identity;
    return control_create(number, x, y, width, height, blueprint, &identity);
}
