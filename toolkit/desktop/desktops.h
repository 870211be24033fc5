#pragma once
// Desktop metrics: one record per display attached to the desktop, the primary display first.

#include <cstdint>

// Rebuilds the desktop list; the number of desktops.
std::int32_t desktops_examine();
// Size of desktop n from the last examination; 0 when n is out of range.
std::int32_t desktop_width(std::int32_t n);
std::int32_t desktop_height(std::int32_t n);
// End routine: releases the display library.
void desktops_end();
