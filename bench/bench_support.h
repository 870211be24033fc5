#pragma once
// What the benchmark programs share: medians, and waiting until a started program's window answers.

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

// The middle value, or the mean of the middle two; -1 when there are none.
inline double median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The shown window titled "Optionen" of the process once its thread has answered a sent WM_NULL,
// that is, once it waits in its message loop; null when that does not happen within the time-out
// or the process ends first.
inline HWND wait_until_ready(const PROCESS_INFORMATION& process, DWORD timeout_ms) {
    struct Found {
        DWORD process_id;
        HWND window;
    };
    auto find_window = [](HWND window, LPARAM context) -> BOOL {
        auto* found = reinterpret_cast<Found*>(context);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char title[32] = {};
        if (owner != found->process_id || !IsWindowVisible(window)) return TRUE;
        GetWindowTextA(window, title, sizeof title);
        if (std::strcmp(title, "Optionen") != 0) return TRUE;
        found->window = window;
        return FALSE;
    };
    WaitForInputIdle(process.hProcess, timeout_ms);
    DWORD_PTR answer = 0;
    for (ULONGLONG deadline = GetTickCount64() + timeout_ms; GetTickCount64() < deadline; Sleep(1)) {
        Found found = {process.dwProcessId, nullptr};
        EnumWindows(find_window, reinterpret_cast<LPARAM>(&found));
        if (found.window && SendMessageTimeoutA(found.window, WM_NULL, 0, 0, SMTO_NORMAL, timeout_ms, &answer))
            return found.window;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
}
