#include "toolkit/desktop/desktops.h"

#include <cstring>

#include "toolkit/desktop/display_calls.h"
#include "toolkit/objects/heap.h"
#include "toolkit/objects/platform_function.h"

namespace {

using EnumDisplayDevicesFunction = BOOL(WINAPI*)(LPCSTR device, DWORD index, DISPLAY_DEVICEA* found, DWORD flags);
using GetMonitorInfoFunction = BOOL(WINAPI*)(HMONITOR monitor, MONITORINFO* info);
using EnumDisplayMonitorsFunction = BOOL(WINAPI*)(HDC dc, LPCRECT clip, MONITORENUMPROC visit, LPARAM data);

// The desktop list: exactly g_count records, or none.
Desktop* g_list = nullptr;
std::int32_t g_count = 0;

// The display library stays loaded from the first successful load until desktops_end.
HMODULE g_library = nullptr;
EnumDisplayDevicesFunction g_enum_display_devices = nullptr;
GetMonitorInfoFunction g_get_monitor_info = nullptr;
EnumDisplayMonitorsFunction g_enum_display_monitors = nullptr;

template <typename Function>
Function entry_point(const char* name) {
    return function_cast<Function>(display_calls().get_proc_address(g_library, name));
}

// Any of the entry points may be missing on an older system; the paths below then do without it.
void library_load() {
    if (g_library) return;
    g_library = display_calls().load_library("User32.DLL");
    if (!g_library) return;
    g_enum_display_devices = entry_point<EnumDisplayDevicesFunction>("EnumDisplayDevicesA");
    g_get_monitor_info = entry_point<GetMonitorInfoFunction>("GetMonitorInfoA");
    g_enum_display_monitors = entry_point<EnumDisplayMonitorsFunction>("EnumDisplayMonitors");
}

DISPLAY_DEVICEA device_blank() {
    DISPLAY_DEVICEA device = {};
    device.cb = sizeof device;
    return device;
}

bool device_attached(const DISPLAY_DEVICEA& device) {
    return (device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) != 0;
}

std::int32_t devices_count() {
    std::int32_t count = 0;
    DISPLAY_DEVICEA device = device_blank();
    for (DWORD index = 0; g_enum_display_devices(nullptr, index, &device, 0); ++index) {
        if (device_attached(device)) ++count;
    }
    return count;
}

void desktop_fill(Desktop& desktop, const DISPLAY_DEVICEA& device, const DEVMODEA& mode) {
    desktop.x = 0;
    desktop.y = 0;
    desktop.width = static_cast<std::int32_t>(mode.dmPelsWidth);
    desktop.height = static_cast<std::int32_t>(mode.dmPelsHeight);
    desktop.frequency = static_cast<std::int32_t>(mode.dmDisplayFrequency);
    desktop.depth = static_cast<std::int32_t>(mode.dmBitsPerPel);
    static_assert(sizeof device.DeviceName == kDesktopNameSize);
    std::memcpy(desktop.name, device.DeviceName, kDesktopNameSize);
    desktop.name[kDesktopNameSize - 1] = '\0';
}

// Fills up to `room` records, one per attached device whose current mode can be read, and gives the
// number filled: the first primary display becomes record 0, the others follow in enumeration order.
// Devices that appeared after the counting pass find no room, except a primary display, which then
// takes the place of the last other one.
std::int32_t devices_fill(Desktop* list, std::int32_t room) {
    std::int32_t filled = 0;
    std::int32_t primary = -1;
    DISPLAY_DEVICEA device = device_blank();
    for (DWORD index = 0; g_enum_display_devices(nullptr, index, &device, 0); ++index) {
        if (!device_attached(device)) continue;
        DEVMODEA mode = {};
        mode.dmSize = sizeof mode;
        mode.dmDriverExtra = 0;
        if (!display_calls().enum_display_settings(device.DeviceName, ENUM_CURRENT_SETTINGS, &mode)) continue;
        const bool is_primary = (device.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) != 0 && primary < 0;
        std::int32_t slot = filled;
        if (filled < room) {
            ++filled;
        } else if (is_primary) {
            slot = room - 1;
        } else {
            continue;
        }
        if (is_primary) primary = slot;
        desktop_fill(list[slot], device, mode);
    }
    if (primary > 0) {
        const Desktop first = list[primary];
        std::memmove(list + 1, list, static_cast<std::size_t>(primary) * sizeof(Desktop));
        list[0] = first;
    }
    return filled;
}

BOOL CALLBACK monitor_place(HMONITOR monitor, HDC, LPRECT rectangle, LPARAM) {
    MONITORINFOEXA info = {};
    info.cbSize = sizeof info;
    if (!rectangle || !g_get_monitor_info(monitor, &info)) return TRUE;
    info.szDevice[sizeof info.szDevice - 1] = '\0';
    for (std::int32_t n = 0; n < g_count; ++n) {
        if (std::strncmp(g_list[n].name, info.szDevice, kDesktopNameSize) == 0) {
            g_list[n].x = rectangle->left;
            g_list[n].y = rectangle->top;
            break;
        }
    }
    return TRUE;
}

bool devices_examine() {
    const std::int32_t counted = devices_count();
    if (counted <= 0) return false;
    auto* list = static_cast<Desktop*>(heap_alloc(static_cast<std::size_t>(counted) * sizeof(Desktop)));
    if (!list) return false;
    const std::int32_t filled = devices_fill(list, counted);
    if (filled == 0) {
        heap_free(list);
        return false;
    }
    g_list = list;
    g_count = filled;
    if (g_enum_display_monitors && g_get_monitor_info) g_enum_display_monitors(nullptr, nullptr, monitor_place, 0);
    return true;
}

// One desktop of the whole screen, for systems without the device path.
void fallback_examine() {
    const DisplayCalls& calls = display_calls();
    HDC dc = calls.create_dc("DISPLAY", nullptr, nullptr, nullptr);
    if (!dc) return;
    auto* list = static_cast<Desktop*>(heap_alloc(sizeof(Desktop)));
    if (list) {
        list->x = 0;
        list->y = 0;
        list->width = calls.get_system_metrics(SM_CXSCREEN);
        list->height = calls.get_system_metrics(SM_CYSCREEN);
        list->depth = calls.get_device_caps(dc, BITSPIXEL);
        const int frequency = calls.get_device_caps(dc, VREFRESH);
        // VREFRESH reports 0 or 1 for the hardware's default rate.
        list->frequency = frequency == 1 ? 0 : frequency;
        list->name[0] = '\0';
        g_list = list;
        g_count = 1;
    }
    calls.delete_dc(dc);
}

}  // namespace

std::int32_t desktops_examine() {
    heap_free(g_list);
    g_list = nullptr;
    g_count = 0;
    library_load();
    // When the device path gives no usable record (no device attached, none whose mode can be read,
    // no memory for the list), one desktop of the whole screen stands in.
    if (g_enum_display_devices && devices_examine()) return g_count;
    fallback_examine();
    return g_count;
}

const Desktop* desktop_record(std::int32_t n) {
    return n >= 0 && n < g_count ? &g_list[n] : nullptr;
}

std::int32_t desktop_width(std::int32_t n) {
    const Desktop* desktop = desktop_record(n);
    return desktop ? desktop->width : 0;
}

std::int32_t desktop_height(std::int32_t n) {
    const Desktop* desktop = desktop_record(n);
    return desktop ? desktop->height : 0;
}

void desktops_end() {
    if (g_library) display_calls().free_library(g_library);
    g_library = nullptr;
    g_enum_display_devices = nullptr;
    g_get_monitor_info = nullptr;
    g_enum_display_monitors = nullptr;
    // The list is left to the heap, which goes away at exit; a later heap must not see it.
    g_list = nullptr;
    g_count = 0;
}
