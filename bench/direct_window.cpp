// The launcher's window built with plain platform calls (direct_options_window.cpp) and a plain
// message loop: the launcher's own cost is what it needs beyond this program. "Abbrechen" ends it.
#include <windows.h>

#include "bench/direct_options_window.h"

namespace {

LRESULT CALLBACK direct_procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == kCancelButton && HIWORD(wParam) == BN_CLICKED) DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    direct_start_common_controls();
    if (!direct_open_window(direct_procedure)) return 0;
    direct_build_controls();

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
