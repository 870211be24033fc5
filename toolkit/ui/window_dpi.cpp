// A toolkit window's display scale, the font its controls get at that scale, and the relayout when
// the window comes onto a monitor of another scale.

#include "toolkit/desktop/display_scale.h"
#include "toolkit/ui/controls_internal.h"
#include "toolkit/ui/event_record.h"
#include "toolkit/ui/events.h"
#include "toolkit/ui/window.h"
#include "toolkit/ui/window_internal.h"

namespace {

WindowRecord* record_of(HWND window) {
    const std::int32_t number = window_number_of(window);
    return number == -1 ? nullptr : window_find(number);
}

// The stock font is made at the system's scale. At any other, a font of its face and point size made
// for that scale; null where the stock font serves, or where no other can be made.
HFONT font_for(std::int32_t dpi) {
    const std::int32_t stock_dpi = desktop_dpi();
    LOGFONTW font = {};
    if (dpi == stock_dpi || !GetObjectW(control_context_font(), sizeof font, &font)) return nullptr;
    font.lfHeight = MulDiv(font.lfHeight, dpi, stock_dpi);
    font.lfWidth = MulDiv(font.lfWidth, dpi, stock_dpi);
    return CreateFontIndirectW(&font);
}

}  // namespace

void window_dpi_start(WindowRecord* record) {
    record->dpi = desktop_window_dpi(record->handle);
    record->font = font_for(record->dpi);
}

void window_dpi_end(WindowRecord* record) {
    if (record->font) DeleteObject(record->font);
    record->font = nullptr;
}

std::int32_t window_dpi_of(HWND window) {
    const WindowRecord* record = record_of(window);
    return record ? record->dpi : 0;
}

HFONT window_font(HWND window) {
    const WindowRecord* record = record_of(window);
    return record && record->font ? record->font : control_context_font();
}

std::int32_t window_dpi(std::int32_t number) {
    const WindowRecord* record = window_find(number);
    return record ? record->dpi : 0;
}

// The system sends this when the window has come onto a monitor of another scale, or the monitor's
// scale has changed: wParam holds the new scale, lParam the rectangle the window is to take there.
LRESULT window_dpi_change(std::int32_t number, WPARAM wParam, LPARAM lParam) {
    WindowRecord* record = window_find(number);
    const auto dpi = static_cast<std::int32_t>(LOWORD(wParam));
    if (!record || dpi == 0) return NOT_HANDLED;
    HWND window = record->handle;
    HFONT previous = record->font;
    record->dpi = dpi;
    record->font = font_for(dpi);
    HFONT font = record->font ? record->font : control_context_font();

    const bool was_held = event_queue_hold(true);
    if (const auto* suggested = reinterpret_cast<const RECT*>(lParam))
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        control_rescale(child, dpi, font);
    // Painted here, within the hold, rather than by the caller's loop later.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_ERASENOW | RDW_UPDATENOW);
    event_queue_hold(was_held);
    // Every control has the new font now.
    if (previous) DeleteObject(previous);
    return 0;
}
