// The control table, the creation steps every kind shares, and the operations by number.

#include "toolkit/ui/controls.h"

#include <commctrl.h>

#include <optional>
#include <string_view>

#include "toolkit/objects/object_table.h"
#include "toolkit/ui/controls_internal.h"
#include "toolkit/ui/events.h"
#include "toolkit/ui/text_boundary.h"
#include "toolkit/ui/window_internal.h"

namespace {

constexpr std::int32_t kControlTableStep = 50;
// ICC_TAB_CLASSES, ICC_HOTKEY_CLASS, ICC_DATE_CLASSES, ICC_USEREX_CLASSES, ICC_INTERNET_CLASSES.
constexpr DWORD kCommonControlClasses = 0xB48;
// A control whose identifier is this has been detached (or not yet attached).
constexpr LONG_PTR kDetachedId = -1;
// The most text a control takes at its creation: as much as a user may type into a one-line field
// (the platform's default limit). Beyond it Wine, whose counted strings have 16-bit lengths, makes
// some controls with a cut text or none at all, and takes minutes over a hundred million characters.
constexpr std::size_t kCreationTextLimit = 32767;

ObjectTable* g_controls = nullptr;

HINSTANCE module() {
    return GetModuleHandleA(nullptr);
}

// The table's release operation: destroying the window empties the slot (see control_procedure).
void control_release(std::int32_t number) {
    if (Control* control = control_find(number)) DestroyWindow(control->window);
    if (control_find(number)) object_table_release(g_controls, number);
}

std::uint32_t g_last_error = 0;

std::optional<std::string> window_text(HWND window) {
    std::optional<std::wstring> text = control_window_text(window);
    return text ? text_from_wide(*text) : std::nullopt;
}

}  // namespace

Control* control_find(std::int32_t number) {
    return object_table_find<Control>(g_controls, number);
}

BOOL controls_init() {
    control_context_start();
    g_controls = object_table_create<Control>(kControlTableStep, control_release);
    INITCOMMONCONTROLSEX classes = {sizeof(INITCOMMONCONTROLSEX), kCommonControlClasses};
    BOOL result = InitCommonControlsEx(&classes);
    // The set above lacks the slider's class "msctls_trackbar32".
    INITCOMMONCONTROLSEX bars = {sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    InitCommonControlsEx(&bars);
    return result;
}

// Controls end with their windows, which windows_end closes afterwards; their table must live
// until then, since control_procedure still passes their last messages on through it.
void controls_end() {}

std::intptr_t control_create(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t width,
                             std::int32_t height, const ControlBlueprint& blueprint, std::int32_t* identity) {
    if (!g_controls) return 0;
    // Each Windows-1252 byte is one UTF-16 unit: the cut can be made before the conversion.
    const std::optional<std::wstring> text =
        blueprint.text ? text_to_wide(std::string_view(blueprint.text).substr(0, kCreationTextLimit)) : std::wstring();
    if (!text) return 0;
    HWND window = CreateWindowExW(blueprint.ex_style, blueprint.class_name, blueprint.text ? text->c_str() : nullptr,
                                  blueprint.style, x, y, width, height, control_context_list(),
                                  reinterpret_cast<HMENU>(blueprint.provisional_id), module(), nullptr);
    if (!window) return 0;
    *identity = number;
    // Destroys the control that held the number, which may re-enter anything.
    Control* control = object_table_slot<Control>(g_controls, number, identity);
    if (!control) {
        // Not a number a control can have, or no memory: the window would belong to nothing.
        DestroyWindow(window);
        return 0;
    }
    control->window = window;
    control->kind = blueprint.kind;
    control->placed = {x, y, width, height, window_dpi_of(control_context_list())};
    if (blueprint.before_attach) blueprint.before_attach(control, window);

    if ((control = control_find(*identity)) == nullptr) return 0;
    control->previous_procedure = procedure_of(GetWindowLongPtrW(window, GWLP_WNDPROC));
    SetWindowLongPtrW(window, GWLP_WNDPROC, procedure_value(control_procedure));
    SetWindowLongPtrA(window, GWLP_ID, *identity);
    SetPropA(window, CONTROL_NUMBER_PROPERTY, reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(*identity)));
    control->attached = true;
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(window_font(control_context_list())), TRUE);
    return number == ANY_NUMBER ? *identity : reinterpret_cast<std::intptr_t>(window);
}

void control_rescale(HWND window, std::int32_t dpi, HFONT font) {
    const LONG_PTR id = GetWindowLongPtrA(window, GWLP_ID);
    const auto number = static_cast<std::int32_t>(id);
    Control* control = id == number ? control_find(number) : nullptr;
    if (!control || control->window != window || !control->attached || control->placed.dpi <= 0) return;
    const ControlPlacement at = control->placed;
    // A combo box sizes its fields by the font: the font first, then the place.
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // Through the 96-DPI pixels that the place was laid out in, which a scale of at least 96 keeps
    // exactly: the control lands where that layout puts it at the new scale, not a rounding away.
    auto scaled = [&](std::int32_t pixels) {
        return static_cast<std::int32_t>(
            MulDiv(MulDiv(pixels, USER_DEFAULT_SCREEN_DPI, at.dpi), dpi, USER_DEFAULT_SCREEN_DPI));
    };
    if ((control = control_find(number)) == nullptr || control->window != window) return;
    if (control->kind->place)
        control->kind->place(control, scaled(at.x), scaled(at.y), scaled(at.width), scaled(at.height));
    else
        SetWindowPos(window, nullptr, scaled(at.x), scaled(at.y), scaled(at.width), scaled(at.height),
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK control_procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const LONG_PTR id = GetWindowLongPtrA(hwnd, GWLP_ID);
    if (id == kDetachedId) return DefWindowProcW(hwnd, message, wParam, lParam);
    const auto number = static_cast<std::int32_t>(id);
    Control* control = control_find(number);
    if (!control || control->window != hwnd) return DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = CallWindowProcW(control->previous_procedure, hwnd, message, wParam, lParam);
    if (message == WM_SETFOCUS || message == WM_KILLFOCUS) dialog_focus_moved(hwnd, message, wParam);
    if (message == WM_NCDESTROY) {
        control = control_find(number);
        if (control && control->window == hwnd) {
            if (control->kind->release) control->kind->release(control);
            RemovePropA(hwnd, CONTROL_NUMBER_PROPERTY);
            SetWindowLongPtrA(hwnd, GWLP_ID, kDetachedId);
            object_table_release(g_controls, number);
        }
    }
    return result;
}

HWND control_owner_window(HWND window) {
    HWND current = window;
    while (current && !window_is_toolkit(current)) {
        HWND parent = GetParent(current);
        if (!parent) break;
        current = parent;
    }
    return current;
}

void control_post_event(HWND window, std::int32_t type) {
    PostMessageA(control_owner_window(window), POST_GADGET_EVENT,
                 static_cast<WPARAM>(GetWindowLongPtrA(window, GWLP_ID)), type);
}

void control_set_state(std::int32_t number, std::int32_t state) {
    Control* control = control_find(number);
    if (control && control->kind->set_state) control->kind->set_state(control, state);
}

std::int32_t control_get_state(std::int32_t number) {
    Control* control = control_find(number);
    return control && control->kind->get_state ? control->kind->get_state(control) : 0;
}

std::int32_t list_add_item(std::int32_t number, std::int32_t position, const char* text) {
    Control* control = control_find(number);
    if (!control) return 0;
    if (!text) text = "";
    if (control->kind->add_item_ex) return control->kind->add_item_ex(control, position, text, 0, 0);
    if (control->kind->add_item) return control->kind->add_item(control, position, text);
    return 0;
}

void control_set_item_text(std::int32_t number, std::int32_t item, const char* text) {
    Control* control = control_find(number);
    if (control && control->kind->set_item_text) control->kind->set_item_text(control, item, text ? text : "");
}

std::optional<std::wstring> control_window_text(HWND window) {
    try {
        // Room for GetWindowTextLengthW's answer (which may exceed the text) and a NUL; cut at the NUL.
        const int length = GetWindowTextLengthW(window);
        if (length <= 0) return std::wstring();
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        GetWindowTextW(window, text.data(), length + 1);
        text.resize(text.find(L'\0'));
        return text;
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return std::nullopt;
    }
}

std::optional<std::string> control_get_text(std::int32_t number) {
    Control* control = control_find(number);
    if (!control) return std::string();
    std::optional<std::string> text =
        control->kind->get_text ? control->kind->get_text(control) : window_text(control->window);
    if (!text) g_last_error = GetLastError();
    return text;
}

std::uint32_t control_last_error() {
    return g_last_error;
}
