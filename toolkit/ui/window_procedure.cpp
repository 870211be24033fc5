// The class procedure of every toolkit window: it turns messages into events and hands control
// messages to the controls' own handling.

#include "toolkit/ui/controls_internal.h"
#include "toolkit/ui/event_record.h"
#include "toolkit/ui/events.h"
#include "toolkit/ui/sizing.h"
#include "toolkit/ui/window_internal.h"

namespace {

// The toolkit window that hwnd is or lies in: its number, or -1.
std::int32_t find_window(HWND hwnd, HWND* found) {
    for (HWND current = hwnd; current; current = GetParent(current)) {
        std::int32_t number = window_number_of(current);
        if (number != -1) {
            *found = current;
            return number;
        }
    }
    *found = nullptr;
    return -1;
}

void raise(EventRecord* events, std::int32_t code, std::int32_t gadget) {
    events->pending = code;
    events->gadget = gadget;
}

BOOL CALLBACK send_system_colours(HWND child, LPARAM) {
    SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

void on_size(WindowRecord* record, WPARAM kind, std::int32_t number) {
    switch (kind) {
        case SIZE_MINIMIZED:
            record->min_or_max = 1;
            event_queue_push(EV_MINIMIZED, number);
            break;
        case SIZE_MAXIMIZED:
            record->min_or_max = 1;
            event_queue_push(EV_MAXIMIZED, number);
            event_queue_push(EV_SIZED, number);
            break;
        case SIZE_RESTORED:
            if (record->min_or_max == 1) {
                record->min_or_max = 0;
                event_queue_push(EV_RESTORED, number);
            }
            event_queue_push(EV_SIZED, number);
            break;
        default:
            event_queue_push(EV_SIZED, number);
            break;
    }
}

void on_command(EventRecord* events, HWND hwnd, WPARAM wParam, LPARAM lParam) {
    auto control = reinterpret_cast<HWND>(lParam);
    if (control_forward(control, hwnd, WM_COMMAND, wParam, lParam) != NOT_HANDLED) return;
    if (control) {
        events->type = HIWORD(wParam);
        LONG_PTR id = GetWindowLongPtrA(control, GWLP_ID);
        if (id == MENU_CONTROL_ID)
            raise(events, EV_MENU, LOWORD(wParam));
        else
            raise(events, EV_GADGET, static_cast<std::int32_t>(id));
    } else if (HIWORD(wParam) == 0) {
        raise(events, EV_MENU, static_cast<std::int32_t>(wParam));
    } else if (LOWORD(wParam) == FOCUS_NEXT_COMMAND) {
        focus_step(false);
    } else if (LOWORD(wParam) == FOCUS_PREVIOUS_COMMAND) {
        focus_step(true);
    } else {
        raise(events, EV_MENU, LOWORD(wParam));
    }
}

void on_tray_event(EventRecord* events, WPARAM wParam, LPARAM lParam) {
    raise(events, EV_TRAY, static_cast<std::int32_t>(wParam));
    switch (lParam) {
        case WM_LBUTTONDOWN:
            events->type = 0;
            break;
        case WM_RBUTTONDOWN:
            events->type = 1;
            break;
        case WM_LBUTTONDBLCLK:
            events->type = 2;
            break;
        case WM_RBUTTONDBLCLK:
            events->type = 3;
            break;
        default:
            events->pending = 0;
            break;
    }
}

// A drop message hands over a block only when its source announced it (see event_data_announce).
void take_drop_data(EventRecord* events, LPARAM lParam) {
    void* block = reinterpret_cast<void*>(lParam);
    if (!event_data_adopt(block)) return;
    event_data_free(events->data);
    events->data = block;
}

}  // namespace

LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = window_message(hwnd, message, wParam, lParam);
    // A window destroyed without window_close (a DestroyWindow of its own) keeps its property to
    // the end: its number must not stay remembered for a handle value the platform reuses.
    if (message == WM_NCDESTROY) window_number_forget();
    if (result != NOT_HANDLED) return result;
    SetLastError(0);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT window_message(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT sized = sizing_filter(hwnd, message, wParam, lParam);
    if (sized != NOT_HANDLED) return sized;

    EventRecord* events = event_record();
    if (!events) return NOT_HANDLED;
    HWND toolkit_window;
    const std::int32_t number = find_window(hwnd, &toolkit_window);
    WindowRecord* record = number == -1 ? nullptr : window_find(number);
    events->window = number;

    switch (message) {
        case WM_MOVE:
        case WM_CLOSE:
            if (number != -1) event_queue_push(static_cast<std::int32_t>(message), number);
            return 0;
        case WM_SIZE:
            if (!record || hwnd != toolkit_window) return 1;
            on_size(record, wParam, number);
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) event_queue_push(EV_ACTIVATED, number);
            if (record && hwnd == toolkit_window) dialog_activate(record, wParam);
            return 1;
        case WM_ERASEBKGND:
            event_queue_push(EV_REPAINT, number);
            return NOT_HANDLED;
        case WM_SYSCOLORCHANGE:
            if (record) EnumChildWindows(hwnd, send_system_colours, 0);
            return NOT_HANDLED;
        case WM_GETMINMAXINFO:
            if (!record) return NOT_HANDLED;
            if (GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)
                reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize.x = 1;
            return 0;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<const NMHDR*>(lParam);
            return control_forward(header ? header->hwndFrom : nullptr, hwnd, message, wParam, lParam);
        }
        case WM_COMMAND:
            on_command(events, hwnd, wParam, lParam);
            return 0;
        case WM_TIMER:
            if (!record) return NOT_HANDLED;
            raise(events, EV_TIMER, static_cast<std::int32_t>(wParam));
            return 0;
        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
        case CONTROL_PRIVATE:
            return control_forward(reinterpret_cast<HWND>(lParam), hwnd, message, wParam, lParam);
        case WM_DPICHANGED:
            return hwnd == toolkit_window ? window_dpi_change(number, wParam, lParam) : NOT_HANDLED;
        case TRAY_NOTIFY:
            PostMessageA(hwnd, TRAY_EVENT, wParam, lParam);
            return 0;
        case TRAY_EVENT:
            on_tray_event(events, wParam, lParam);
            return 0;
        case POST_GADGET_EVENT:
            events->type = static_cast<std::int32_t>(lParam);
            raise(events, EV_GADGET, static_cast<std::int32_t>(wParam));
            return 0;
        case DROP_NOTIFY:
            events->pending = EV_DROP;
            take_drop_data(events, lParam);
            return 0;
        case GADGET_DROP_NOTIFY:
            raise(events, EV_GADGET_DROP, static_cast<std::int32_t>(wParam));
            take_drop_data(events, lParam);
            return 0;
        default:
            return NOT_HANDLED;
    }
}

LRESULT control_forward(HWND control, HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!control) return NOT_HANDLED;
    LONG_PTR id = GetWindowLongPtrA(control, GWLP_ID);
    if (id != static_cast<std::int32_t>(id)) return NOT_HANDLED;
    Control* record = control_find(static_cast<std::int32_t>(id));
    // A window whose identifier happens to name a control (a slider before it is attached, a
    // foreign child) must not pass for it: the record must be its own and attached, which is what
    // a control-number property equal to the identifier says, without a round trip to ask for it.
    if (!record || record->window != control || !record->attached || !record->kind->parent_message) return NOT_HANDLED;
    return record->kind->parent_message(record, parent, message, wParam, lParam);
}
