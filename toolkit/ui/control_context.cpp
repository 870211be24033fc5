// The current control list (the parent of new controls) and the default font.

#include <cinttypes>
#include <cstdio>

#include "toolkit/objects/heap.h"
#include "toolkit/ui/controls.h"
#include "toolkit/ui/controls_internal.h"

namespace {

struct ControlContext {
    HWND current_list;
    HFONT font;
};

struct ControlListRecord {
    HWND window;
    WNDPROC previous_procedure;
};

ControlContext g_context = {};

// The control-list property's name: a fixed prefix and the module's instance handle in decimal,
// so that toolkits in different modules of one process keep their own records.
struct PropertyName {
    char text[64];
};

PropertyName make_list_property() {
    PropertyName name;
    std::snprintf(name.text, sizeof name.text, "ToolkitControlList_%" PRIuPTR,
                  reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr)));
    return name;
}

const char* list_property() {
    static const PropertyName name = make_list_property();
    return name.text;
}

}  // namespace

void control_context_start() {
    g_context.current_list = nullptr;
    g_context.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HWND control_context_list() {
    return g_context.current_list;
}

void control_context_set_list(HWND window) {
    g_context.current_list = window;
}

HFONT control_context_font() {
    return g_context.font;
}

HWND control_list_select(HWND window) {
    HWND previous = g_context.current_list;
    if (!window) return previous;
    if (!GetPropA(window, list_property())) {
        auto* record = static_cast<ControlListRecord*>(heap_alloc(sizeof(ControlListRecord)));
        // Without a record nothing would notice the window's end: it cannot become the list.
        if (!record) return previous;
        record->window = window;
        record->previous_procedure = procedure_of(GetWindowLongPtrW(window, GWLP_WNDPROC));
        SetPropA(window, list_property(), record);
        SetWindowLongPtrW(window, GWLP_WNDPROC, procedure_value(control_list_procedure));
    }
    g_context.current_list = window;
    return previous;
}

LRESULT CALLBACK control_list_procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* record = static_cast<ControlListRecord*>(GetPropA(hwnd, list_property()));
    WNDPROC previous = record ? record->previous_procedure : nullptr;
    if (message == WM_NCDESTROY) {
        if (g_context.current_list == hwnd) g_context.current_list = nullptr;
        RemovePropA(hwnd, list_property());
        heap_free(record);
    }
    return previous ? CallWindowProcW(previous, hwnd, message, wParam, lParam)
                    : DefWindowProcW(hwnd, message, wParam, lParam);
}
