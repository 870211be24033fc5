#pragma once
// The display's scale and the part of the primary screen that windows may take, both in the device
// pixels of a program that declares itself aware of each monitor's display scale.

#include <windows.h>

#include <cstdint>

// The system's display scale in dots per inch: 96 at 100 %, 120 at 125 %, 144 at 150 %. It is the
// primary monitor's scale when the user signed in, at which the stock objects are made.
std::int32_t desktop_dpi();
// The scale of the monitor that holds the point, or lies nearest to it: each monitor has its own from
// Windows 8.1 on; before, every monitor has the system's.
std::int32_t desktop_monitor_dpi(POINT point);
// The scale that a window has from the monitor it is on: its own from Windows 10 on, else its
// monitor's.
std::int32_t desktop_window_dpi(HWND window);
// The primary monitor's work area: the screen less the task bar and docked tool bars.
RECT desktop_work_area();
