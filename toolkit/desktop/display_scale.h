#pragma once
// The display's scale and the part of the primary screen that windows may take, both in the device
// pixels of a program that declares itself aware of the system's display scale.

#include <windows.h>

#include <cstdint>

// The system's display scale in dots per inch: 96 at 100 %, 120 at 125 %, 144 at 150 %.
std::int32_t desktop_dpi();
// The primary monitor's work area: the screen less the task bar and docked tool bars.
RECT desktop_work_area();
