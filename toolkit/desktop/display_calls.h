#pragma once
// The platform functions through which the desktop service reaches the displays. Tests replace
// entries of display_calls() to show displays the machine does not have, and put
// display_calls_platform() back afterwards.

#include <windows.h>

struct DisplayCalls {
    // The display library and its entry points, looked up by name.
    HMODULE(WINAPI* load_library)(LPCSTR name);
    FARPROC(WINAPI* get_proc_address)(HMODULE module, LPCSTR name);
    BOOL(WINAPI* free_library)(HMODULE module);
    // The current mode of one display device.
    BOOL(WINAPI* enum_display_settings)(LPCSTR device, DWORD mode, DEVMODEA* settings);
    // The one-desktop fallback.
    HDC(WINAPI* create_dc)(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODEA* settings);
    int(WINAPI* get_device_caps)(HDC dc, int index);
    BOOL(WINAPI* delete_dc)(HDC dc);
    int(WINAPI* get_system_metrics)(int index);
};

// The table in force.
DisplayCalls& display_calls();
// The platform's own functions.
const DisplayCalls& display_calls_platform();
