#pragma once
// Desktop metrics: one record per display attached to the desktop, the primary display first.

#include <cstdint>

constexpr int kDesktopNameSize = 32;

struct Desktop {
    std::int32_t x;  // left edge in virtual-screen coordinates; 0 unless a monitor reports it
    std::int32_t y;  // top edge in virtual-screen coordinates
    std::int32_t width;
    std::int32_t height;
    std::int32_t frequency;       // refresh rate in Hz; 0 is the hardware default
    std::int32_t depth;           // bits per pixel
    char name[kDesktopNameSize];  // display device name, NUL-terminated; empty in the fallback record
};

// Rebuilds the desktop list; the number of desktops.
std::int32_t desktops_examine();
// Size of desktop n from the last examination; 0 when n is out of range.
std::int32_t desktop_width(std::int32_t n);
std::int32_t desktop_height(std::int32_t n);
// Record n from the last examination, or null when n is out of range.
const Desktop* desktop_record(std::int32_t n);
// End routine: releases the display library and forgets the list (which goes with the heap).
void desktops_end();
