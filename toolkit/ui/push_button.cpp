#include "toolkit/ui/controls.h"
#include "toolkit/ui/controls_internal.h"

namespace {

std::int32_t button_get_state(Control* control) {
    return static_cast<std::int32_t>(SendMessageA(control->window, BM_GETCHECK, 0, 0) & 1);
}

void button_set_state(Control* control, std::int32_t state) {
    SendMessageA(control->window, BM_SETCHECK, state != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

const ControlKind PUSH_BUTTON_KIND = {
    .code = KIND_PUSH_BUTTON,
    .size = sizeof(ControlKind),
    .get_state = button_get_state,
    .set_state = button_set_state,
};

std::intptr_t button_create(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t width,
                            std::int32_t height, const char* text, std::int32_t flags) {
    const ControlBlueprint blueprint = {
        .kind = &PUSH_BUTTON_KIND,
        .class_name = L"Button",
        .ex_style = 0,
        .style = static_cast<DWORD>(flags) | WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP,
        .text = text ? text : "",
        .provisional_id = -1,
    };
    std::int32_t identity;
    return control_create(number, x, y, width, height, blueprint, &identity);
}
