// Tab and Shift+Tab between the controls of the active window.

#include <richedit.h>

#include <cstring>
#include <vector>

#include "toolkit/ui/window_internal.h"

namespace {

bool key_down(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

// A writable rich-text field takes a plain Tab as text.
bool takes_tab_as_text(HWND focus) {
    if (!key_down(VK_TAB) || key_down(VK_CONTROL) || key_down(VK_SHIFT) || key_down(VK_MENU)) return false;
    char class_name[8] = {};
    GetClassNameA(focus, class_name, sizeof class_name);
    if (std::strncmp(class_name, "Rich", 4) != 0) return false;
    return (SendMessageA(focus, EM_GETOPTIONS, 0, 0) & ECO_READONLY) == 0;
}

// No exception may unwind through the platform's enumeration: out of memory ends the walk.
BOOL CALLBACK collect(HWND child, LPARAM list) {
    try {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

bool eligible(HWND window) {
    return IsWindowEnabled(window) && IsWindowVisible(window) &&
           (GetWindowLongPtrA(window, GWL_STYLE) & WS_TABSTOP) != 0;
}

// Descendants in EnumChildWindows order: creation order for siblings, a window's children after it.
std::vector<HWND> candidates(HWND root) {
    std::vector<HWND> list;
    EnumChildWindows(root, collect, reinterpret_cast<LPARAM>(&list));
    return list;
}

// The control that Tab gives the focus to, or null when the focus stays.
HWND focus_forward(const std::vector<HWND>& list, HWND current) {
    bool met = false;
    for (HWND candidate : list) {
        if (!current || met) {
            if (eligible(candidate)) return candidate;
        } else if (candidate == current) {
            if (!eligible(candidate)) return nullptr;
            met = true;
        }
    }
    if (!met) return nullptr;
    for (HWND candidate : list) {
        if (eligible(candidate)) return candidate;
    }
    return nullptr;
}

// The control that Shift+Tab gives the focus to, or null when the focus stays.
HWND focus_backward(const std::vector<HWND>& list, HWND current) {
    HWND last = nullptr;
    for (HWND candidate : list) {
        if (candidate == current && last) return last;
        if (eligible(candidate)) last = candidate;
    }
    return last;
}

}  // namespace

HACCEL window_accelerators(HWND active_window) {
    // Without a toolkit window's table the focus cannot change the answer: it is asked only then.
    const std::int32_t number = window_number_of(active_window);
    WindowRecord* record = number == -1 ? nullptr : window_find(number);
    if (!record || !record->accel_table) return nullptr;
    if (HWND focus = GetFocus()) {
        if (takes_tab_as_text(focus)) return nullptr;
        if (GetPropA(focus, SHORTCUT_ENTRY_PROPERTY)) return nullptr;
    }
    return record->accel_table;
}

void focus_step(bool backward) {
    HWND root = GetActiveWindow();
    if (!root) return;
    HWND focus = GetFocus();
    HWND current = focus && IsChild(root, focus) ? focus : nullptr;
    const std::vector<HWND> list = candidates(root);
    HWND next = backward ? focus_backward(list, current) : focus_forward(list, current);
    if (!next) return;
    focus_select_text(next);
    SetFocus(next);
}

HWND focus_first(HWND root) {
    return focus_forward(candidates(root), nullptr);
}

// As the platform's dialog manager does: a text field reached by the keyboard has its whole text
// selected, so that typing replaces it. A click still puts the caret where it lands.
void focus_select_text(HWND control) {
    if (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageA(control, EM_SETSEL, 0, -1);
}
