#pragma once
// What every Windows dialog does, for the toolkit's windows: Enter presses the focused push button
// or else the window's default button, Escape its cancel button, and the focus starts on the first
// tab stop and comes back to where it was whenever the window is activated again.

#include <cstdint>

// The control numbers of the buttons that Enter and Escape press in window `number`, -1 for none.
// The default button carries the platform's default-button frame while no other push button has
// the focus.
void window_dialog_buttons(std::int32_t number, std::int32_t default_button, std::int32_t cancel_button);
// Gives the window's first tab stop the focus as Tab does (a text field with its text selected): at
// once when the window is active, otherwise when it is activated.
void window_focus_first(std::int32_t number);
