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
// The field whose change is being fitted: what the fitting does to it belongs to that one change.
HWND g_fitting = nullptr;
// The field in which an input method is composing: its text is fitted once the composition ends.
HWND g_composing = nullptr;

void put_in_front(Control* control, HWND window) {
    LONG_PTR edit = SetWindowLongPtrW(window, GWLP_WNDPROC, procedure_value(text_field_procedure));
    if (edit) g_edit_procedure = procedure_of(edit);
    control_default_colours(control, window);
}

// What of the text the options file can hold: composed, and each character that Windows-1252
// lacks as its best-fit character or gone. Nothing when the conversion fails.
std::optional<std::wstring> fitted(std::wstring_view text) {
    std::optional<std::string> bytes = text_from_wide(text);
    return bytes ? text_to_wide(*bytes) : std::nullopt;
}

// A typed character (or one an input method hands over as a character) as the field takes it:
// fitted, or 0 when nothing of it can stay. Control characters (Backspace, Ctrl+V) are 1252's too.
// A combining mark goes in as it is, for the fitting of the change to compose it with the letter
// before it.
WPARAM fitted_character(WPARAM character) {
    const auto unit = static_cast<wchar_t>(character);
    if (text_combining_mark(unit)) return character;
    const std::optional<std::wstring> fit = fitted(std::wstring_view(&unit, 1));
    return fit && fit->size() == 1 ? static_cast<WPARAM>((*fit)[0]) : 0;
}

// The field's text becomes `fit`, from `before`, by replacing only the part between what the two
// share at their start and at their end; `fit` is cut after that part on the way.
void replace_difference(HWND field, std::wstring_view before, std::wstring& fit, bool undoable) {
    std::size_t start = 0;
    while (start < before.size() && start < fit.size() && before[start] == fit[start]) ++start;
    std::size_t end = 0;
    while (end < before.size() - start && end < fit.size() - start &&
           before[before.size() - 1 - end] == fit[fit.size() - 1 - end])
        ++end;
    SendMessageW(field, EM_SETSEL, start, static_cast<LPARAM>(before.size() - end));
    fit.resize(fit.size() - end);
    SendMessageW(field, EM_REPLACESEL, undoable ? TRUE : FALSE, reinterpret_cast<LPARAM>(fit.c_str() + start));
}

// After a change of the field's text, whatever brought it (typed, pasted, dropped, undone, an input
// method's result, set by another program), the text is fitted and the caret put after the same
// characters as before. The field's undo then takes back the change and its fitting together: the
// platform's own undo takes back the change, and the fitted text replaces what differs as one
// undoable step. A change that the field cannot undo is fitted without undo, as it came. A text that
// cannot be read or converted leaves the field as it is.
void fit_change(HWND field) {
    const std::optional<std::wstring> text = control_window_text(field);
    if (!text) return;
    std::optional<std::wstring> fit = fitted(*text);
    if (!fit || *fit == *text) return;
    DWORD selection_end = 0;
    SendMessageW(field, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&selection_end));
    const std::optional<std::wstring> before_caret =
        fitted(std::wstring_view(*text).substr(0, std::min<std::size_t>(selection_end, text->size())));
    if (!before_caret) return;
    const std::size_t caret = std::min(before_caret->size(), fit->size());

    g_fitting = field;
    std::optional<std::wstring> undone;
    bool undoable = SendMessageW(field, EM_CANUNDO, 0, 0) != 0;
    if (undoable) {
        SendMessageW(field, EM_UNDO, 0, 0);
        undone = control_window_text(field);
        const std::optional<std::wstring> undone_fit = undone ? fitted(*undone) : std::nullopt;
        if (undone_fit && *undone_fit == *undone) {
            // Undoing leaves its own undo, back to the unfitted text, which the edit control would
            // merge the replacement into where the two meet.
            SendMessageW(field, EM_EMPTYUNDOBUFFER, 0, 0);
        } else {
            // An undo that does not lead back to a text of the field's own (an input method's
            // intermediate state) is itself taken back, and the fitting is not undoable.
            SendMessageW(field, EM_UNDO, 0, 0);
            undone.reset();
            undoable = false;
        }
    }
    replace_difference(field, undone ? *undone : *text, *fit, undoable);
    SendMessageW(field, EM_SETSEL, caret, static_cast<LPARAM>(caret));
    g_fitting = nullptr;
}

// The field reports each change of its text to its parent (EN_CHANGE), after which it is fitted
// once; the reports of the fitting's own changes go no further.
LRESULT text_field_parent_message(Control* control, HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        const WORD code = HIWORD(wParam);
        if (control->window == g_fitting && (code == EN_UPDATE || code == EN_CHANGE)) return 0;
        if (code == EN_CHANGE && control->window != g_composing) fit_change(control->window);
    }
    return control_colour_message(control, parent, message, wParam, lParam);
}

}  // namespace

const ControlKind TEXT_FIELD_KIND = {
    .code = KIND_TEXT_FIELD,
    .size = sizeof(ControlKind),
    .parent_message = text_field_parent_message,
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
    if (message == WM_IME_STARTCOMPOSITION) g_composing = hwnd;
    const LRESULT result = CallWindowProcW(g_edit_procedure, hwnd, message, wParam, lParam);
    // An input method's intermediate text is its own; the field takes what the composition gives.
    if ((message == WM_IME_ENDCOMPOSITION || message == WM_KILLFOCUS) && g_composing == hwnd) {
        g_composing = nullptr;
        fit_change(hwnd);
    }
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
