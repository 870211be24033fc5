// Enter, Escape, the default-button frame and the focus kept across a switch, as the platform's
// dialog manager gives them to its dialogs.

#include "toolkit/ui/dialog.h"

#include "toolkit/ui/controls_internal.h"
#include "toolkit/ui/window_internal.h"

namespace {

// The low word of a button's style is its own; BM_SETSTYLE replaces it whole.
constexpr LONG_PTR kButtonStyleBits = 0xFFFF;

WindowRecord* record_of(HWND window) {
    const std::int32_t number = window_number_of(window);
    return number == -1 ? nullptr : window_find(number);
}

bool is_push_button(HWND window) {
    return window && (SendMessageW(window, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

// The window of a button stored as control number + 1; null when there is none.
HWND button_window(std::int32_t stored) {
    Control* control = stored == 0 ? nullptr : control_find(stored - 1);
    return control ? control->window : nullptr;
}

// Gives the push button named by `framed` the default frame and takes it from every other one.
BOOL CALLBACK set_frame(HWND child, LPARAM framed) {
    if (!is_push_button(child)) return TRUE;
    const LONG_PTR type = child == reinterpret_cast<HWND>(framed) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    if ((style & BS_TYPEMASK) != type)
        SendMessageW(child, BM_SETSTYLE, static_cast<WPARAM>((style & kButtonStyleBits & ~BS_TYPEMASK) | type), TRUE);
    return TRUE;
}

// The push button that has the focus carries the frame, as Enter presses it; else the default button.
void frame_default(HWND window, HWND focus) {
    WindowRecord* record = record_of(window);
    if (!record) return;
    HWND framed = is_push_button(focus) && IsChild(window, focus) ? focus : button_window(record->default_button);
    EnumChildWindows(window, set_frame, reinterpret_cast<LPARAM>(framed));
}

}  // namespace

void window_dialog_buttons(std::int32_t number, std::int32_t default_button, std::int32_t cancel_button) {
    WindowRecord* record = window_find(number);
    if (!record) return;
    record->default_button = default_button + 1;
    record->cancel_button = cancel_button + 1;
    frame_default(record->handle, GetFocus());
}

void window_focus_first(std::int32_t number) {
    WindowRecord* record = window_find(number);
    HWND window = record ? record->handle : nullptr;
    HWND first = window ? focus_first(window) : nullptr;
    if (!first) return;
    record->focus = first;
    focus_select_text(first);
    if (GetActiveWindow() == window) SetFocus(first);
}

bool dialog_key(HWND active_window, const MSG* message) {
    const WPARAM key = message->wParam;
    if (message->message != WM_KEYDOWN || (key != VK_RETURN && key != VK_ESCAPE)) return false;
    WindowRecord* record = record_of(active_window);
    // A window that holds the mouse capture runs a loop of its own (the sizing loop, an opened
    // list, a button held down): the key is its.
    if (!record || GetCapture()) return false;
    const std::int32_t stored = key == VK_ESCAPE ? record->cancel_button : record->default_button;
    HWND focus = GetFocus();
    // A control that wants every key (a multi-line field) gets these too, as in a dialog. Asked
    // without the message: given one, Wine's text field takes itself to be in a dialog from then on
    // and answers Enter itself with a command to its parent.
    if (focus &&
        (GetPropA(focus, SHORTCUT_ENTRY_PROPERTY) || (SendMessageW(focus, WM_GETDLGCODE, key, 0) & DLGC_WANTALLKEYS)))
        return false;
    HWND button =
        key == VK_RETURN && is_push_button(focus) && IsChild(active_window, focus) ? focus : button_window(stored);
    if (!button || !IsWindowEnabled(button)) return false;
    // What a click on the button sends: its parent turns it into the button's gadget event.
    SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    return true;
}

void dialog_activate(WindowRecord* record, WPARAM state) {
    HWND window = record->handle;
    if (LOWORD(state) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window, focus)) record->focus = focus;
    } else if (HIWORD(state) == 0 && record->focus && IsChild(window, record->focus)) {
        // Not while minimised: the platform's own activation leaves a minimised window's focus alone too.
        SetFocus(record->focus);
    }
}

void dialog_focus_moved(HWND control, UINT message, WPARAM other) {
    if (!is_push_button(control)) return;
    frame_default(control_owner_window(control), message == WM_SETFOCUS ? control : reinterpret_cast<HWND>(other));
}
