#include "toolkit/desktop/display_scale.h"

#include "toolkit/desktop/display_calls.h"
#include "toolkit/objects/platform_function.h"

namespace {

constexpr std::int32_t kDefaultDpi = 96;
// MDT_EFFECTIVE_DPI: the scale the user chose for the monitor, by which windows are laid out.
constexpr int kEffectiveDpi = 0;

// Asks a scale of an entry point that older systems lack, looked up by name for this one question;
// 0 when the library or the entry point is missing or gives no answer.
template <typename Function, typename Ask>
UINT ask_dpi(const char* library_name, const char* entry_name, Ask ask) {
    const DisplayCalls& calls = display_calls();
    HMODULE library = calls.load_library(library_name);
    if (!library) return 0;
    const auto function = function_cast<Function>(calls.get_proc_address(library, entry_name));
    const UINT dpi = function ? ask(function) : 0;
    calls.free_library(library);
    return dpi;
}

std::int32_t monitor_dpi(HMONITOR monitor) {
    using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    const UINT dpi = ask_dpi<GetDpiForMonitorFunction>("Shcore.dll", "GetDpiForMonitor", [monitor](auto get) {
        UINT x = 0, y = 0;
        return get(monitor, kEffectiveDpi, &x, &y) == S_OK ? y : 0u;
    });
    return dpi > 0 ? static_cast<std::int32_t>(dpi) : desktop_dpi();
}

}  // namespace

std::int32_t desktop_dpi() {
    // Windows 10 answers directly; older systems lack the function and give the screen's logical
    // pixels per inch, which is the same figure for a program that declares itself aware of the scale.
    using GetDpiForSystemFunction = UINT(WINAPI*)();
    if (const UINT dpi =
            ask_dpi<GetDpiForSystemFunction>("User32.DLL", "GetDpiForSystem", [](auto get) { return get(); }))
        return static_cast<std::int32_t>(dpi);
    const DisplayCalls& calls = display_calls();
    HDC screen = calls.create_dc("DISPLAY", nullptr, nullptr, nullptr);
    if (!screen) return kDefaultDpi;
    const int dpi = calls.get_device_caps(screen, LOGPIXELSY);
    calls.delete_dc(screen);
    return dpi > 0 ? dpi : kDefaultDpi;
}

std::int32_t desktop_monitor_dpi(POINT point) {
    return monitor_dpi(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST));
}

std::int32_t desktop_window_dpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    const UINT dpi =
        ask_dpi<GetDpiForWindowFunction>("User32.DLL", "GetDpiForWindow", [window](auto get) { return get(window); });
    return dpi > 0 ? static_cast<std::int32_t>(dpi) : monitor_dpi(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

RECT desktop_work_area() {
    RECT area = {};
    if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0) && area.right > area.left && area.bottom > area.top)
        return area;
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}
