#pragma once
// Numbered top-level windows.

#include <windows.h>

#include <cstdint>

constexpr std::int32_t WF_CENTER_SCREEN = 0x1;
constexpr std::int32_t WF_CENTER_OWNER = 0x2;
constexpr std::int32_t WF_TOOL = 0x4;
constexpr std::int32_t WF_NO_CONTROLS = 0x8;
constexpr std::int32_t WF_INVISIBLE = 0x10000000;
// x or y: let the platform place the window.
constexpr std::int32_t KEEP_POSITION = -65535;

// Start-up routine, before any other window operation.
void windows_start();
// The window's handle, or for ANY_NUMBER its identifier; 0 on failure.
std::intptr_t window_open(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t inner_width,
                          std::int32_t inner_height, const char* title, std::int32_t flags);
std::intptr_t window_open_owned(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t inner_width,
                                std::int32_t inner_height, const char* title, std::int32_t flags, HWND owner);
void window_close(std::int32_t number);
HWND window_handle(std::int32_t number);
// The display scale the window is laid out at, in dots per inch: its monitor's when it opened, then
// each new one it comes to. 0 when the number names no window.
std::int32_t window_dpi(std::int32_t number);
// End routine: closes every window.
void windows_end();
