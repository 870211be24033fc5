#include "toolkit/desktop/display_scale.h"

#include "toolkit/objects/platform_function.h"

namespace {
constexpr std::int32_t kDefaultDpi = 96;
}  // namespace

std::int32_t desktop_dpi() {
    // Windows 10 answers directly; older systems give the screen's logical pixels per inch, which
    // is the same figure for a program that declares itself aware of the scale.
    using GetDpiForSystemFunction = UINT(WINAPI*)();
    static const auto get_dpi_for_system = platform_function<GetDpiForSystemFunction>("user32.dll", "GetDpiForSystem");
    if (get_dpi_for_system) {
        if (const UINT dpi = get_dpi_for_system(); dpi > 0) return static_cast<std::int32_t>(dpi);
    }
    HDC screen = GetDC(nullptr);
    if (!screen) return kDefaultDpi;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDefaultDpi;
}

RECT desktop_work_area() {
    RECT area = {};
    if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0) && area.right > area.left && area.bottom > area.top)
        return area;
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}
