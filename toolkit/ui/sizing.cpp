#include "toolkit/ui/sizing.h"

#include "toolkit/objects/heap.h"
#include "toolkit/ui/events.h"

#include <cstdint>

// DefWindowProcA would size a window in a modal loop of its own, and the caller's event loop would
// stand still until the user lets go. This loop runs on the ordinary messages instead: the window
// holds the mouse capture, and each mouse move or arrow key resizes it at once.

namespace {

struct SizingState {
    std::int32_t active;
    std::int32_t keyboard_started;  // started from the system menu by keyboard, no mouse move since
    POINT saved_cursor;
    RECT rect;          // screen coordinates
    std::int32_t edge;  // 0 or a WMSZ_* value
    MINMAXINFO limits;
    HWND window;  // the window being sized; messages of any other window pass by
};

SizingState* g_sizing = nullptr;

constexpr WPARAM kCommandMask = 0xFFF0;
constexpr WPARAM kEdgeMask = 0xF;
// A cursor placed on a right or bottom border sits 2 pixels inside the window's outer edge.
constexpr LONG kBorderInset = 2;
constexpr LONG kKeyStep = 10;

bool edge_moves_left(std::int32_t edge) {
    return edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
}
bool edge_moves_right(std::int32_t edge) {
    return edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
}
bool edge_moves_top(std::int32_t edge) {
    return edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
}
bool edge_moves_bottom(std::int32_t edge) {
    return edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT;
}

// The extent between low and high, held between minimum and maximum by moving back the side just set.
void sizing_hold(LONG& low, LONG& high, bool low_was_set, LONG minimum, LONG maximum) {
    LONG extent = high - low;
    if (extent < minimum) {
        extent = minimum;
    } else if (extent > maximum) {
        extent = maximum;
    } else {
        return;
    }
    if (low_was_set) {
        low = high - extent;
    } else {
        high = low + extent;
    }
}

void sizing_apply_edge(SizingState& s, POINT point) {
    const LONG min_w = s.limits.ptMinTrackSize.x, max_w = s.limits.ptMaxTrackSize.x;
    const LONG min_h = s.limits.ptMinTrackSize.y, max_h = s.limits.ptMaxTrackSize.y;
    if (edge_moves_left(s.edge)) {
        s.rect.left = s.edge == WMSZ_TOPLEFT ? point.x - kBorderInset : point.x;
        sizing_hold(s.rect.left, s.rect.right, true, min_w, max_w);
    }
    if (edge_moves_right(s.edge)) {
        s.rect.right = point.x + kBorderInset;
        sizing_hold(s.rect.left, s.rect.right, false, min_w, max_w);
    }
    if (edge_moves_top(s.edge)) {
        s.rect.top = s.edge == WMSZ_TOPLEFT ? point.y - kBorderInset : point.y;
        sizing_hold(s.rect.top, s.rect.bottom, true, min_h, max_h);
    }
    if (edge_moves_bottom(s.edge)) {
        s.rect.bottom = point.y + kBorderInset;
        sizing_hold(s.rect.top, s.rect.bottom, false, min_h, max_h);
    }
}

// Sizes the window as for the cursor at point (screen coordinates).
void sizing_track(SizingState& s, HWND hwnd, POINT point) {
    sizing_apply_edge(s, point);
    SendMessageA(hwnd, WM_SIZING, static_cast<WPARAM>(s.edge), reinterpret_cast<LPARAM>(&s.rect));
    // The window may have been destroyed by its handling of WM_SIZING.
    if (!s.active || s.window != hwnd) return;
    RECT target = s.rect;
    if (GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD) {
        MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&target), 2);
    }
    MoveWindow(hwnd, target.left, target.top, target.right - target.left, target.bottom - target.top, TRUE);
}

void sizing_set_cursor(LPCSTR shape) {
    SetCursor(static_cast<HCURSOR>(LoadImageA(nullptr, shape, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE)));
}

void sizing_place_cursor(POINT point, LPCSTR shape) {
    SetCursorPos(point.x, point.y);
    sizing_set_cursor(shape);
}

struct EdgeChoice {
    WPARAM key;
    std::int32_t before;
    std::int32_t after;
    LPCSTR shape;
};

// Arrow keys that pick an edge or turn an edge into a corner; every other pair moves the cursor.
const EdgeChoice kEdgeChoices[] = {
    {VK_LEFT, 0, WMSZ_LEFT, IDC_SIZEWE},
    {VK_LEFT, WMSZ_TOP, WMSZ_TOPLEFT, IDC_SIZENWSE},
    {VK_LEFT, WMSZ_BOTTOM, WMSZ_BOTTOMLEFT, IDC_SIZENESW},
    {VK_RIGHT, 0, WMSZ_RIGHT, IDC_SIZEWE},
    {VK_RIGHT, WMSZ_TOP, WMSZ_TOPRIGHT, IDC_SIZENESW},
    {VK_RIGHT, WMSZ_BOTTOM, WMSZ_BOTTOMRIGHT, IDC_SIZENWSE},
    {VK_UP, 0, WMSZ_TOP, IDC_SIZENS},
    {VK_UP, WMSZ_LEFT, WMSZ_TOPLEFT, IDC_SIZENWSE},
    {VK_UP, WMSZ_RIGHT, WMSZ_TOPRIGHT, IDC_SIZENESW},
    {VK_DOWN, 0, WMSZ_BOTTOM, IDC_SIZENS},
    {VK_DOWN, WMSZ_LEFT, WMSZ_BOTTOMLEFT, IDC_SIZENESW},
    {VK_DOWN, WMSZ_RIGHT, WMSZ_BOTTOMRIGHT, IDC_SIZENWSE},
};

// Where the cursor goes when an edge is chosen: on that edge as the edge rule reads it back.
POINT sizing_edge_point(const RECT& r, std::int32_t edge, POINT cursor) {
    switch (edge) {
        case WMSZ_LEFT:
            return {r.left, cursor.y};
        case WMSZ_RIGHT:
            return {r.right - kBorderInset, cursor.y};
        case WMSZ_TOP:
            return {cursor.x, r.top};
        case WMSZ_BOTTOM:
            return {cursor.x, r.bottom - kBorderInset};
        case WMSZ_TOPLEFT:
            return {r.left + kBorderInset, r.top + kBorderInset};
        case WMSZ_TOPRIGHT:
            return {r.right - kBorderInset, r.top};
        case WMSZ_BOTTOMLEFT:
            return {r.left, r.bottom - kBorderInset};
        default:  // WMSZ_BOTTOMRIGHT
            return {r.right - kBorderInset, r.bottom - kBorderInset};
    }
}

void sizing_arrow(SizingState& s, HWND hwnd, WPARAM key) {
    POINT cursor{};
    GetCursorPos(&cursor);
    for (const EdgeChoice& choice : kEdgeChoices) {
        if (choice.key == key && choice.before == s.edge) {
            s.edge = choice.after;
            sizing_place_cursor(sizing_edge_point(s.rect, s.edge, cursor), choice.shape);
            return;
        }
    }
    switch (key) {
        case VK_LEFT:
            cursor.x -= kKeyStep;
            break;
        case VK_RIGHT:
            cursor.x += kKeyStep;
            break;
        case VK_UP:
            cursor.y -= kKeyStep;
            break;
        default:  // VK_DOWN
            cursor.y += kKeyStep;
            break;
    }
    SetCursorPos(cursor.x, cursor.y);
    sizing_track(s, hwnd, cursor);
}

bool is_arrow_key(WPARAM key) {
    return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
}

// Only what the platform's own loop would size: a sizing border, neither minimised nor maximised.
bool sizing_allowed(HWND hwnd) {
    return (GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_THICKFRAME) && !IsIconic(hwnd) && !IsZoomed(hwnd);
}

void sizing_fill_limits(MINMAXINFO& limits, HWND hwnd) {
    limits = MINMAXINFO{};
    limits.ptMaxSize = {GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
    if (GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_BORDER) {
        limits.ptMaxPosition = {GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER)};
    } else if (GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_WINDOWEDGE) {
        limits.ptMaxPosition = {GetSystemMetrics(SM_CXEDGE), GetSystemMetrics(SM_CYEDGE)};
    }
    limits.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    limits.ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
}

LRESULT sizing_begin(SizingState& s, HWND hwnd, WPARAM command) {
    s.edge = static_cast<std::int32_t>(command & kEdgeMask);
    s.active = 1;
    s.window = hwnd;
    GetWindowRect(hwnd, &s.rect);
    sizing_fill_limits(s.limits, hwnd);
    SendMessageA(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&s.limits));
    SetCapture(hwnd);
    PostMessageA(hwnd, WM_ENTERSIZEMOVE, 0, 0);
    if (s.edge == 0) {
        s.keyboard_started = 1;
        GetCursorPos(&s.saved_cursor);
        sizing_set_cursor(IDC_SIZEALL);
    } else {
        s.keyboard_started = 0;
    }
    return 0;
}

// Back to idle; the cursor returns when the keyboard started the loop and the mouse never moved.
void sizing_finish(SizingState& s) {
    s.active = 0;
    s.window = nullptr;
    if (s.keyboard_started) SetCursorPos(s.saved_cursor.x, s.saved_cursor.y);
    s.keyboard_started = 0;
}

LRESULT sizing_running(SizingState& s, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE: {
            s.keyboard_started = 0;
            POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ClientToScreen(hwnd, &point);
            sizing_track(s, hwnd, point);
            return 0;
        }
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
                ReleaseCapture();
                return 0;
            }
            if (is_arrow_key(wParam)) sizing_arrow(s, hwnd, wParam);
            return NOT_HANDLED;
        case WM_LBUTTONUP:
            ReleaseCapture();
            return 0;
        case WM_CAPTURECHANGED:
            PostMessageA(hwnd, WM_EXITSIZEMOVE, 0, 0);
            sizing_finish(s);
            return 0;
        case WM_DESTROY:
            // A window destroyed while it is sized still holds the capture here, and no
            // WM_CAPTURECHANGED reaches it later (so under Wine): the loop would stay active for a
            // dead handle and refuse every later size command. Giving up the capture ends it the
            // ordinary way.
            if (GetCapture() == hwnd) ReleaseCapture();
            if (s.active && s.window == hwnd) sizing_finish(s);
            return NOT_HANDLED;
        default:
            return NOT_HANDLED;
    }
}

}  // namespace

void sizing_start() {
    // A new heap may have been made since an earlier start, so the state is always allocated anew.
    g_sizing = static_cast<SizingState*>(heap_alloc(sizeof(SizingState)));
}

LRESULT sizing_filter(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!g_sizing) return NOT_HANDLED;
    SizingState& s = *g_sizing;
    if (s.active) {
        // The loop belongs to one window; another window's messages, a size command among them,
        // take their ordinary way.
        if (hwnd != s.window) return NOT_HANDLED;
        return sizing_running(s, hwnd, message, wParam, lParam);
    }
    if (message != WM_SYSCOMMAND || (wParam & kCommandMask) != SC_SIZE) return NOT_HANDLED;
    BOOL full_drag = FALSE;
    if (!SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &full_drag, 0) || !full_drag) return NOT_HANDLED;
    if (!sizing_allowed(hwnd)) return NOT_HANDLED;
    return sizing_begin(s, hwnd, wParam);
}
