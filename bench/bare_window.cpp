// The floor for the launcher's figures: one empty window of the launcher's size, class and
// resources, and a message loop; no controls, no files, no toolkit.
#include <windows.h>

#include "launcher/options_window_layout.h"

namespace {

constexpr DWORD kStyle = kOptionsWindowFlags;

LRESULT CALLBACK bare_procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA window_class = {};
    window_class.style = CS_DBLCLKS;
    window_class.lpfnWndProc = bare_procedure;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = "BareWindow";
    RegisterClassA(&window_class);

    RECT outer = {0, 0, kOptionsClientWidth, kOptionsClientHeight};
    AdjustWindowRectEx(&outer, kStyle, FALSE, 0);
    HWND window =
        CreateWindowExA(0, "BareWindow", kOptionsWindowTitle, kStyle, kOptionsWindowPlace.x, kOptionsWindowPlace.y,
                        outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
    if (!window) return 0;
    ShowWindow(window, SW_SHOWNORMAL);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
