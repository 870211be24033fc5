#include <algorithm>
#include <optional>
#include <string>

#include "toolkit/ui/controls.h"
#include "toolkit/ui/controls_internal.h"
#include "toolkit/ui/events.h"
#include "toolkit/ui/text_boundary.h"

namespace {

constexpr DWORD kNoEdgeFlag = 0x20000;

// The platform's Edit procedure, the same for every text field.
WNDPROC g_edit_procedure = nullptr;

void put_in_front(Control* control, HWND window) {
    LONG_PTR edit = SetWindowLongPtrW(window, GWLP_WNDPROC, procedure_value(text_field_procedure));
    if (edit) g_edit_procedure = procedure_of(edit);
    control_default_colours(control, window);
}

// What of the text the options file can hold: each character that Windows-1252 lacks becomes its
// best-fit character or goes. Nothing when the conversion fails.
std::optional<std::wstring> fitted(std::wstring_view text) {
    std::optional<std::string> bytes = text_from_wide(text);
    return bytes ? text_to_wide(*bytes) : std::nullopt;
}

// A typed character (or one an input method hands over as a character) as the field takes it:
// fitted, or 0 when nothing of it can stay. Control characters (Backspace, Ctrl+V) are 1252's too.
WPARAM fitted_character(WPARAM character) {
    const auto unit = static_cast<wchar_t>(character);
    const std::optional<std::wstring> fit = fitted(std::wstring_view(&unit, 1));
    return fit && fit->size() == 1 ? static_cast<WPARAM>((*fit)[0]) : 0;
}

// Text that came in some other way (pasted, an input method's result, undone, set by another
// program) is fitted as a whole once the platform has put it in; the caret stays after what came
// before it.
void fit_text(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0) return;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(std::max(GetWindowTextW(hwnd, text.data(), length + 1), 0)));
    const std::optional<std::wstring> fit = fitted(text);
    if (!fit || *fit == text) return;
    DWORD caret = 0;
    SendMessageW(hwnd, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    const std::optional<std::wstring> before =
        fitted(std::wstring_view(text).substr(0, std::min<std::size_t>(caret, text.size())));
    if (!before) return;
    const std::size_t at = before->size();
    SetWindowTextW(hwnd, fit->c_str());
    SendMessageW(hwnd, EM_SETSEL, at, static_cast<LPARAM>(at));
}

bool may_bring_text(UINT message) {
    return message == WM_PASTE || message == WM_IME_COMPOSITION || message == EM_REPLACESEL || message == WM_SETTEXT ||
           message == WM_UNDO || message == EM_UNDO;
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
    if (!g_edit_procedure) return DefWindowProcW(hwnd, message, wParam, lParam);
    // The field only ever shows what a save writes: the options file is Windows-1252.
    if (message == WM_CHAR || message == WM_IME_CHAR) {
        wParam = fitted_character(wParam);
        if (wParam == 0) return 0;
    }
    const LRESULT result = CallWindowProcW(g_edit_procedure, hwnd, message, wParam, lParam);
    if (may_bring_text(message)) fit_text(hwnd);
    return result;
}

std::intptr_t text_field_create(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t width,
                                std::int32_t height, const char* text, std::int32_t flags) {
    const auto bits = static_cast<DWORD>(flags);
    const ControlBlueprint blueprint = {
        .kind = &TEXT_FIELD_KIND,
        .class_name = L"Edit",
        .ex_style = (bits & kNoEdgeFlag) ? 0 : static_cast<DWORD>(WS_EX_CLIENTEDGE),
        .style = bits | WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL,
        .text = text ? text : "",
        .provisional_id = -1,
        .before_attach = put_in_front,
    };
    std::int32_t identity;
    return control_create(number, x, y, width, height, blueprint, &identity);
}
