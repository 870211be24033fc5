#pragma once
// Real user input for GUI tests (SendInput), and what a test needs to aim it: points on windows,
// the close box found by asking the window, bringing a window to the foreground. Works on windows
// of other processes too.

#include <windows.h>

#include <optional>
#include <string_view>

enum class MouseButton { left, right };

// Each gives false when the platform took fewer inputs than sent.
bool input_move(POINT screen);
bool input_click(POINT screen, MouseButton button = MouseButton::left);
// Press at from, move in steps to to, release there.
bool input_drag(POINT from, POINT to, int steps = 8);
// A key press and release, with Shift held around it when shift is true.
bool input_key(WORD virtual_key, bool shift = false);
// One key's press or release, for callers that send inputs together in one batch.
INPUT key_input(WORD virtual_key, bool up);
// Types text as key presses: Windows-1252 bytes, or UTF-16.
bool input_type(std::string_view text);
bool input_type(std::wstring_view text);

// A point of the window's client area in screen coordinates.
POINT screen_point(HWND window, POINT client);
// The middle of a window's rectangle, in screen coordinates.
POINT window_middle(HWND window);

// The middle of the area where the window answers WM_NCHITTEST with HTCLOSE, in screen
// coordinates; nothing when it has no close box.
std::optional<POINT> find_close_box(HWND window);

// Makes the window the foreground window and checks that it is; when asking is not enough, a
// click on its caption activates it. Messages of this thread are handled meanwhile by
// PeekMessageA / DispatchMessageA unless toolkit_pump is true, when next_event takes them (their
// events are dropped). True when the window is in the foreground.
bool bring_to_foreground(HWND window, int timeout_ms = 5000, bool toolkit_pump = false);
