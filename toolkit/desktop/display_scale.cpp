#include "toolkit/desktop/display_scale.h"

#include "toolkit/desktop/display_calls.h"
#include "toolkit/objects/platform_function.h"

namespace {
constexpr std::int32_t kDefaultDpi = 96;
}  // namespace

std::int32_t desktop_dpi() {
    // Windows 10 answers directly; older systems lack the function and give the screen's logical
    // pixels per inch, which is the same figure for a program that declares itself aware of the scale.
    using GetDpiForSystemFunction = UINT(WINAPI*)();
    const DisplayCalls& calls = display_calls();
    if (HMODULE library = calls.load_library("User32.DLL")) {
        const auto get_dpi_for_system =
            function_cast<GetDpiForSystemFunction>(calls.get_proc_address(library, "GetDpiForSystem"));
        const UINT dpi = get_dpi_for_system ? get_dpi_for_system() : 0;
        calls.free_library(library);
        if (dpi > 0) return static_cast<std::int32_t>(dpi);
    }
    HDC screen = calls.create_dc("DISPLAY", nullptr, nullptr, nullptr);
    if (!screen) return kDefaultDpi;
    const int dpi = calls.get_device_caps(screen, LOGPIXELSY);
    calls.delete_dc(screen);
    return dpi > 0 ? dpi : kDefaultDpi;
}

RECT desktop_work_area() {
    RECT area = {};
    if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0) && area.right > area.left && area.bottom > area.top)
        return area;
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}
