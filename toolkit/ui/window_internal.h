#pragma once
// What the window, event and control files of the toolkit share among themselves.

#include <windows.h>

#include <cstdint>

#include "toolkit/objects/object_table.h"

// One slot of the window table.
struct WindowRecord {
    HWND handle;  // 0 marks an empty slot
    ACCEL* accel_entries;
    HACCEL accel_table;
    std::int32_t accel_count;
    HWND focus;  // the control that gets the focus back when the window is activated
    // The buttons that Enter and Escape press, as control number + 1: 0 (ANY_NUMBER + 1) is none.
    std::int32_t default_button;
    std::int32_t cancel_button;
    std::int32_t min_or_max;  // 1 while minimised or maximised: a later restore raises EV_RESTORED
    std::int32_t dpi;         // the display scale the window is laid out at
    HFONT font;               // its controls' font, made for dpi; null where the stock font is
};

// Window property names. The window-number property holds the number + 1, so that 0 (no property)
// means "no toolkit window".
constexpr const char* WINDOW_NUMBER_PROPERTY = "ToolkitWindowNumber";
constexpr const char* CONTROL_NUMBER_PROPERTY = "ToolkitControlNumber";
constexpr const char* DROP_TARGET_PROPERTY = "ToolkitDropTarget";
constexpr const char* SHORTCUT_ENTRY_PROPERTY = "ToolkitShortcutEntry";

// Commands of the two Tab accelerators.
constexpr WORD FOCUS_NEXT_COMMAND = 64001;
constexpr WORD FOCUS_PREVIOUS_COMMAND = 64002;

// A control whose identifier is this reports menu commands.
constexpr LONG_PTR MENU_CONTROL_ID = -10000;

ObjectTable* window_table();
WindowRecord* window_find(std::int32_t number);

// The number of the toolkit window hwnd, or -1 when it carries no window-number property.
std::int32_t window_number_of(HWND hwnd);
// Drops the remembered answer of window_number_of.
void window_number_forget();
bool window_is_toolkit(HWND hwnd);

// The window's scale and font, taken when it opens and released when it closes.
void window_dpi_start(WindowRecord* record);
void window_dpi_end(WindowRecord* record);
// For the controls made in a window: its scale (0 for a window that is no toolkit window) and font.
std::int32_t window_dpi_of(HWND window);
HFONT window_font(HWND window);
// WM_DPICHANGED to the toolkit window: its place, its controls and their font at the new scale.
LRESULT window_dpi_change(std::int32_t number, WPARAM wParam, LPARAM lParam);

LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT window_message(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT control_forward(HWND control, HWND parent, UINT message, WPARAM wParam, LPARAM lParam);
HACCEL window_accelerators(HWND active_window);
void focus_step(bool backward);
// The first control of root that Tab would give the focus to, or null.
HWND focus_first(HWND root);
// Selects a text field's whole text, as the keyboard's way into it does.
void focus_select_text(HWND control);

// Enter or Escape pressed in the active toolkit window: true when it pressed a button.
bool dialog_key(HWND active_window, const MSG* message);
// WM_ACTIVATE: the focus is remembered on leaving and given back on coming back.
void dialog_activate(WindowRecord* record, WPARAM state);
// A control's WM_SETFOCUS or WM_KILLFOCUS (other: the window that lost or gets the focus).
void dialog_focus_moved(HWND control, UINT message, WPARAM other);
