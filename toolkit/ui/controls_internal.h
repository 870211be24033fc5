#pragma once
// What the control files share: the Control record, the operation table of a kind, and the
// creation steps common to every kind.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

struct ControlKind;

// Where a control was placed: in its parent's client pixels at the scale the parent had then (0 for
// a parent that is no toolkit window, whose scale the toolkit does not follow).
struct ControlPlacement {
    std::int32_t x;
    std::int32_t y;
    std::int32_t width;
    std::int32_t height;
    std::int32_t dpi;
};

// One slot of the control table.
struct Control {
    HWND window;  // 0 marks an empty slot
    const ControlKind* kind;
    WNDPROC previous_procedure;
    std::int32_t background_colour;  // RGB, or -1 for the platform's default
    std::int32_t text_colour;        // RGB, or -1 for the platform's default
    // Set together with the control-number property, which goes when the record does: the
    // window's own handling asks this instead of the platform.
    bool attached;
    ControlPlacement placed;
};

// The kind codes, fixed by the design; a new kind takes a code of its own.
// A "Button" with BS_PUSHBUTTON: raises a gadget event when clicked.
constexpr std::int32_t KIND_PUSH_BUTTON = 1;
// An "Edit" of one line: the text that the user types, and focus events.
constexpr std::int32_t KIND_TEXT_FIELD = 2;
// A "Static": a caption that reports nothing.
constexpr std::int32_t KIND_LABEL = 3;
// A "ComboBox" with CBS_DROPDOWNLIST (or CBS_DROPDOWN): items, of which one is selected.
constexpr std::int32_t KIND_DROP_DOWN_LIST = 8;
// A "msctls_trackbar32": a position within a range, reported when the user moves it.
constexpr std::int32_t KIND_SLIDER = 17;

// The operations of a kind; a null entry is an operation the kind does not have. Only the
// operations that this toolkit reaches are listed. A kind's table names the entries it has
// (designated initializers) and leaves the others null.
struct ControlKind {
    std::int32_t code;
    std::size_t size;
    LRESULT (*parent_message)(Control* control, HWND parent, UINT message, WPARAM wParam, LPARAM lParam) = nullptr;
    void (*release)(Control* control) = nullptr;
    std::int32_t (*get_state)(Control* control) = nullptr;
    void (*set_state)(Control* control, std::int32_t state) = nullptr;
    std::optional<std::string> (*get_text)(Control* control) = nullptr;
    std::int32_t (*add_item)(Control* control, std::int32_t position, const char* text) = nullptr;
    std::int32_t (*add_item_ex)(Control* control, std::int32_t position, const char* text, std::int32_t image,
                                std::int32_t flags) = nullptr;
    void (*set_item_text)(Control* control, std::int32_t item, const char* text) = nullptr;
    // Moves the control to a new place, for a kind whose window is not as high as the control.
    void (*place)(Control* control, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) = nullptr;
};

extern const ControlKind LABEL_KIND;
extern const ControlKind TEXT_FIELD_KIND;
extern const ControlKind DROP_DOWN_LIST_KIND;
extern const ControlKind PUSH_BUTTON_KIND;
extern const ControlKind SLIDER_KIND;

// The live control under a number (or ANY_NUMBER identity); null when there is none.
Control* control_find(std::int32_t number);

// What a kind gives the common creation steps.
struct ControlBlueprint {
    const ControlKind* kind;
    const wchar_t* class_name;
    DWORD ex_style;
    DWORD style;
    const char* text;  // Windows-1252; null for none
    LONG_PTR provisional_id;
    // Runs after the slot is taken and before the window is attached; may be null.
    void (*before_attach)(Control* control, HWND window) = nullptr;
};

// Makes the window as a child of the current control list, then takes the number's slot and
// attaches the window; *identity then names the control. The window handle, or for ANY_NUMBER the
// number; 0 when the platform refuses the window, in which case a control that holds the number
// stays.
std::intptr_t control_create(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t width,
                             std::int32_t height, const ControlBlueprint& blueprint, std::int32_t* identity);

// A control window's text as UTF-16; nothing when memory fails.
std::optional<std::wstring> control_window_text(HWND window);

// Labels and text fields: both colours the platform's default.
void control_default_colours(Control* control, HWND window);
// Their parent_message: no colour of their own, so the platform paints.
LRESULT control_colour_message(Control* control, HWND parent, UINT message, WPARAM wParam, LPARAM lParam);

// The control whose window this is: its font, then its place at the new scale.
void control_rescale(HWND window, std::int32_t dpi, HFONT font);

LRESULT CALLBACK control_procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK text_field_procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK control_list_procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
HWND control_owner_window(HWND window);
void control_post_event(HWND window, std::int32_t type);

// The parent of new controls (0 when there is none), and the font they get.
HWND control_context_list();
void control_context_set_list(HWND window);
HFONT control_context_font();
void control_context_start();

// The GWLP_WNDPROC value of a procedure, and back.
inline LONG_PTR procedure_value(WNDPROC procedure) {
    return reinterpret_cast<LONG_PTR>(procedure);
}
inline WNDPROC procedure_of(LONG_PTR value) {
    return reinterpret_cast<WNDPROC>(value);
}
