#include "tests/support/user_input.h"

#include <string>
#include <vector>

#include "tests/support/event_pump.h"
#include "toolkit/ui/events.h"

namespace {

constexpr DWORD kAnswerTimeoutMs = 1000;

bool send(std::vector<INPUT>& inputs) {
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

// Absolute mouse coordinates run from 0 to 65535 across the primary screen; the platform maps
// back with x = dx * width / 65536, so round up to land on the pixel asked for.
LONG normalised(LONG pixel, int extent) {
    if (extent <= 0) return 0;
    return static_cast<LONG>((static_cast<long long>(pixel) * 65536 + extent - 1) / extent);
}

INPUT mouse(DWORD flags, POINT screen = {}) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        input.mi.dx = normalised(screen.x, GetSystemMetrics(SM_CXSCREEN));
        input.mi.dy = normalised(screen.y, GetSystemMetrics(SM_CYSCREEN));
    }
    return input;
}

INPUT move_to(POINT screen) {
    return mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, screen);
}

INPUT unicode(wchar_t character, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = character;
    input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
    return input;
}

LRESULT hit_test(HWND window, int x, int y) {
    DWORD_PTR answer = HTNOWHERE;
    LPARAM point = MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(x)), static_cast<WORD>(static_cast<SHORT>(y)));
    if (!SendMessageTimeoutA(window, WM_NCHITTEST, 0, point, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer))
        return HTNOWHERE;
    return static_cast<LRESULT>(answer);
}

// The middle of the area around (x, y) where the window answers code.
POINT middle_of_area(HWND window, int x, int y, LRESULT code) {
    int left = x, right = x, top = y, bottom = y;
    while (hit_test(window, left - 1, y) == code) --left;
    while (hit_test(window, right + 1, y) == code) ++right;
    const int middle_x = (left + right) / 2;
    while (hit_test(window, middle_x, top - 1) == code) --top;
    while (hit_test(window, middle_x, bottom + 1) == code) ++bottom;
    return {middle_x, (top + bottom) / 2};
}

// Scans the top band of the window, where the caption lies, for a point answered with code.
std::optional<POINT> find_area(HWND window, LRESULT code) {
    RECT frame;
    if (!GetWindowRect(window, &frame)) return std::nullopt;
    const int band = GetSystemMetrics(SM_CYCAPTION) + 4 * GetSystemMetrics(SM_CYFRAME) + 8;
    for (int y = frame.top; y < frame.bottom && y < frame.top + band; y += 2)
        for (int x = frame.right - 1; x >= frame.left; x -= 2)
            if (hit_test(window, x, y) == code) return middle_of_area(window, x, y, code);
    return std::nullopt;
}

bool is_foreground(HWND window) {
    return GetForegroundWindow() == window;
}

bool wait_foreground(HWND window, int timeout_ms, bool toolkit_pump) {
    auto done = [window] { return is_foreground(window); };
    if (!toolkit_pump) return pump_platform_until(done, timeout_ms);
    return pump_until([&](const SeenEvent&) { return done(); }, timeout_ms) || done();
}

}  // namespace

INPUT key_input(WORD virtual_key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtual_key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtual_key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

bool input_move(POINT screen) {
    std::vector<INPUT> inputs = {move_to(screen)};
    return send(inputs);
}

bool input_click(POINT screen, MouseButton button) {
    const bool left = button == MouseButton::left;
    std::vector<INPUT> inputs = {move_to(screen), mouse(left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN),
                                 mouse(left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP)};
    return send(inputs);
}

bool input_drag(POINT from, POINT to, int steps) {
    if (steps < 1) steps = 1;
    std::vector<INPUT> inputs = {move_to(from), mouse(MOUSEEVENTF_LEFTDOWN)};
    for (int step = 1; step <= steps; ++step) {
        POINT point = {from.x + (to.x - from.x) * step / steps, from.y + (to.y - from.y) * step / steps};
        inputs.push_back(move_to(point));
    }
    inputs.push_back(mouse(MOUSEEVENTF_LEFTUP));
    return send(inputs);
}

bool input_key(WORD virtual_key, bool shift) {
    std::vector<INPUT> inputs;
    if (shift) inputs.push_back(key_input(VK_SHIFT, false));
    inputs.push_back(key_input(virtual_key, false));
    inputs.push_back(key_input(virtual_key, true));
    if (shift) inputs.push_back(key_input(VK_SHIFT, true));
    return send(inputs);
}

bool input_type(std::string_view text) {
    if (text.empty()) return true;
    std::wstring wide(text.size(), L'\0');
    int length = MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                     static_cast<int>(wide.size()));
    return input_type(std::wstring_view(wide).substr(0, static_cast<std::size_t>(length > 0 ? length : 0)));
}

bool input_type(std::wstring_view text) {
    std::vector<INPUT> inputs;
    for (wchar_t character : text) {
        inputs.push_back(unicode(character, false));
        inputs.push_back(unicode(character, true));
    }
    return inputs.empty() || send(inputs);
}

POINT screen_point(HWND window, POINT client) {
    ClientToScreen(window, &client);
    return client;
}

POINT window_middle(HWND window) {
    RECT frame = {};
    GetWindowRect(window, &frame);
    return {(frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2};
}

std::optional<POINT> find_close_box(HWND window) {
    return find_area(window, HTCLOSE);
}

bool bring_to_foreground(HWND window, int timeout_ms, bool toolkit_pump) {
    SetForegroundWindow(window);
    if (wait_foreground(window, timeout_ms / 2, toolkit_pump)) return true;
    // The platform may refuse a process that has had no input yet: a click on the caption is input.
    std::optional<POINT> caption = find_area(window, HTCAPTION);
    if (!caption || !input_click(*caption)) return false;
    SetForegroundWindow(window);
    return wait_foreground(window, timeout_ms / 2, toolkit_pump);
}
